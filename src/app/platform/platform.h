// Thin adapters over the desktop's message boxes, clipboard and keyboard layouts, so tests can answer them.
#pragma once

#include <QString>

class QWidget;

namespace morvalen::app {

class FileDialogs;
class Questions;
class Desktop;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A box with one OK button; returns when the user has closed it.
    virtual void show_error(QWidget* parent, const QString& title, const QString& text) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void set_text(const QString& text) = 0;
    virtual QString text() const = 0;
};

// The program's input language. Codes are the last three characters of the layout name
// ("419" Russian, "422" Ukrainian, "409" English).
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;
    virtual QString active_code() = 0;
    virtual void activate_next() = 0;
    virtual void load_and_activate(const QString& layout_name) = 0;
};

class QtMessageBoxes final : public MessageBoxes {
public:
    void show_error(QWidget* parent, const QString& title, const QString& text) override;
};

class QtClipboard final : public Clipboard {
public:
    void set_text(const QString& text) override;
    QString text() const override;
};

// Desktops without per-program input languages: the layout is never switched, so it stays as it was.
class UnchangedKeyboardLayout final : public KeyboardLayout {
public:
    QString active_code() override { return QStringLiteral("419"); }
    void activate_next() override {}
    void load_and_activate(const QString&) override {}
};

struct Platform {
    MessageBoxes* boxes = nullptr;
    Clipboard* clipboard = nullptr;
    KeyboardLayout* layout = nullptr;
    // File dialogs, questions and the desktop's applications (desktop_services.h); null ones act
    // as cancelled dialogs, No answers and no application.
    FileDialogs* dialogs = nullptr;
    Questions* questions = nullptr;
    Desktop* desktop = nullptr;
};

// The adapters of the real desktop, living for the whole run.
Platform desktop_platform();

}  // namespace morvalen::app
