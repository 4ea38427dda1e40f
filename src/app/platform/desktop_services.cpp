// The real desktop's file dialogs, question boxes, default applications and quitting.
#include "app/platform/desktop_services.h"

#include <QPushButton>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace morvalen::app {
namespace {

// The program's texts break lines with CR (or CR LF); a message box breaks them on LF.
QString box_text(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace

QString QtFileDialogs::save_file_name(QWidget* parent) { return QFileDialog::getSaveFileName(parent); }

QString QtFileDialogs::open_file_name(QWidget* parent) { return QFileDialog::getOpenFileName(parent); }

bool QtQuestions::ask_yes_no(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, box_text(text), QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

bool QtQuestions::confirm(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, box_text(text), QMessageBox::Yes, parent);
    box.setTextFormat(Qt::PlainText);
    // With Yes as its only button, Esc and the close button would press it; they dismiss the box.
    QPushButton* dismiss = box.addButton(QMessageBox::Cancel);
    dismiss->hide();
    box.setEscapeButton(dismiss);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

bool QtDesktop::open_url(const QUrl& url) { return QDesktopServices::openUrl(url); }

void QtDesktop::request_quit() {
    // quit() before the event loop runs would be lost; queued, it ends the loop on its first turn.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

}  // namespace morvalen::app
