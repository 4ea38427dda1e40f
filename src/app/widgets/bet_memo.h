// The bet memo: the package as bet lines, read back after edits or suspended while the program writes.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>

#include <utility>
#include <vector>

#include "core/model/session.h"

namespace morvalen::app {

class BetMemo : public QPlainTextEdit, public core::MemoSink {
    Q_OBJECT
public:
    explicit BetMemo(QWidget* parent = nullptr);

    // Suspended, the memo collects appended lines and its changes are not read back; it stays in view.
    void suspend();
    // Writes what was appended meanwhile; that text is the program's, so it is not read back either.
    void resume();
    bool suspended() const { return suspended_; }

    // The lines as the memo holds them, including lines appended while suspended.
    QString memo_text();
    // The same in UTF-8, kept until the text changes: the re-read, the undo history and the saved
    // state of one keystroke share one conversion of a long memo.
    QByteArray utf8_text();

    void append_line(const std::string& line) override;
    void replace_all(const std::vector<std::string>& lines) override;
    void remove_line(std::size_t index) override;

    // Replaces the whole text without a re-read (undo and redo put the list back themselves).
    void set_text_quietly(const QString& text);

    // Tints the lines (0-based) that do not read as whole bets; each tooltip says why.
    void mark_unread(const std::vector<std::pair<int, QString>>& lines);
    // The reason shown for line `index`, empty when it reads whole.
    QString unread_reason(int index) const;
    // The text of line `index` as the memo holds it.
    QString line_text(int index);

    // Ctrl+letter keys that belong to the menu even while the memo has the focus.
    void set_menu_keys(const QList<int>& keys);
    // Another key combination that belongs to the menu (Ctrl+Shift+Z).
    void add_menu_key(QKeyCombination combination) { menu_keys_.append(combination); }

Q_SIGNALS:
    // The text changed while the memo was shown.
    void edited();

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void flush_pending();

    bool suspended_ = false;
    QStringList pending_;
    QByteArray utf8_;
    bool utf8_current_ = false;
    QList<QKeyCombination> menu_keys_;
    std::vector<std::pair<int, QString>> unread_;
};

}  // namespace morvalen::app
