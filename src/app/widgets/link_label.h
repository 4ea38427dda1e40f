// A label that acts as a link: it reports a click of the left button.
#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace morvalen::app {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Q_EMIT clicked();
        QLabel::mouseReleaseEvent(event);
    }
};

}  // namespace morvalen::app
