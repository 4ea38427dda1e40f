// The real desktop's message boxes and clipboard.
#include "app/platform/platform.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>

#include "app/platform/desktop_services.h"

namespace morvalen::app {

void QtMessageBoxes::show_error(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    // Texts may carry what a host sent; a box never renders them as markup or links.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtClipboard::set_text(const QString& text) { QApplication::clipboard()->setText(text); }

QString QtClipboard::text() const { return QApplication::clipboard()->text(); }

Platform desktop_platform() {
    static QtMessageBoxes boxes;
    static QtClipboard clipboard;
    static UnchangedKeyboardLayout layout;
    static QtFileDialogs dialogs;
    static QtQuestions questions;
    static QtDesktop desktop;
    return {&boxes, &clipboard, &layout, &dialogs, &questions, &desktop};
}

}  // namespace morvalen::app
