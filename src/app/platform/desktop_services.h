// Adapters over the desktop's file dialogs, questions, default applications and quitting, so tests answer them.
#pragma once

#include <QString>
#include <QUrl>

class QWidget;

namespace morvalen::app {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen name as the dialog returns it (no filter, no default extension); empty when cancelled.
    virtual QString save_file_name(QWidget* parent) = 0;
    virtual QString open_file_name(QWidget* parent) = 0;
};

class Questions {
public:
    virtual ~Questions() = default;
    // Yes and No buttons; true for Yes.
    virtual bool ask_yes_no(QWidget* parent, const QString& title, const QString& text) = 0;
    // A single Yes button; true only when Yes was pressed (closing the box otherwise is false).
    virtual bool confirm(QWidget* parent, const QString& title, const QString& text) = 0;
};

class Desktop {
public:
    virtual ~Desktop() = default;
    // Opens a file or page with the desktop's default application or browser; false when none took it.
    virtual bool open_url(const QUrl& url) = 0;
    // Ends the program as soon as its event loop runs.
    virtual void request_quit() = 0;
};

class QtFileDialogs final : public FileDialogs {
public:
    QString save_file_name(QWidget* parent) override;
    QString open_file_name(QWidget* parent) override;
};

class QtQuestions final : public Questions {
public:
    bool ask_yes_no(QWidget* parent, const QString& title, const QString& text) override;
    bool confirm(QWidget* parent, const QString& title, const QString& text) override;
};

class QtDesktop final : public Desktop {
public:
    bool open_url(const QUrl& url) override;
    void request_quit() override;
};

}  // namespace morvalen::app
