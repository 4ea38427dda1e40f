// The memo's two states and its writing of bet lines.
#include "app/widgets/bet_memo.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace morvalen::app {

BetMemo::BetMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setWordWrapMode(QTextOption::NoWrap);
    // The undo stack would keep a copy of every program write of a long package.
    setUndoRedoEnabled(false);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        utf8_current_ = false;
        if (!suspended()) Q_EMIT edited();
    });
}

void BetMemo::suspend() { suspended_ = true; }

void BetMemo::resume() {
    flush_pending();
    suspended_ = false;
}

// Appends are collected while suspended and written in one edit: thousands of single-line inserts
// into the document would cost far more than the formation itself.
void BetMemo::flush_pending() {
    if (pending_.isEmpty()) return;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    // A final empty line is the break after the last line, not a line of its own.
    const bool ends_with_break = document()->lastBlock().text().isEmpty();
    QString text = pending_.join(QLatin1Char('\n'));
    if (!ends_with_break) text.prepend(QLatin1Char('\n'));
    pending_.clear();
    cursor.insertText(text);
}

void BetMemo::set_text_quietly(const QString& text) {
    const bool was_shown = !suspended();
    if (was_shown) suspend();
    pending_.clear();
    setPlainText(text);
    if (was_shown) resume();
}

void BetMemo::set_menu_keys(const QList<int>& keys) {
    menu_keys_.clear();
    for (int key : keys) menu_keys_.append(QKeyCombination(Qt::ControlModifier, static_cast<Qt::Key>(key)));
}

QString BetMemo::memo_text() {
    flush_pending();
    return toPlainText();
}

QByteArray BetMemo::utf8_text() {
    flush_pending();
    if (!utf8_current_) {
        utf8_ = toPlainText().toUtf8();
        utf8_current_ = true;
    }
    return utf8_;
}

void BetMemo::append_line(const std::string& line) {
    const bool was_shown = !suspended();
    pending_.append(QString::fromStdString(line));
    if (was_shown) flush_pending();
}

void BetMemo::replace_all(const std::vector<std::string>& lines) {
    const bool was_shown = !suspended();
    if (was_shown) suspend();
    pending_.clear();
    QStringList all;
    all.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) all.append(QString::fromStdString(line));
    setPlainText(all.join(QLatin1Char('\n')));
    if (was_shown) resume();
}

void BetMemo::remove_line(std::size_t index) {
    flush_pending();
    QTextBlock block = document()->findBlockByNumber(static_cast<int>(index));
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    if (block.next().isValid()) {
        // The line and the break after it.
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    } else if (block.previous().isValid()) {
        // The last line takes the break before it, so no empty line is left behind.
        cursor.movePosition(QTextCursor::PreviousBlock);
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    } else {
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
}

void BetMemo::mark_unread(const std::vector<std::pair<int, QString>>& lines) {
    if (lines.empty() && unread_.empty()) return;
    unread_ = lines;
    QList<QTextEdit::ExtraSelection> tints;
    for (const auto& [index, reason] : unread_) {
        const QTextBlock block = document()->findBlockByNumber(index);
        if (!block.isValid()) continue;
        QTextEdit::ExtraSelection tint;
        tint.cursor = QTextCursor(block);
        tint.format.setBackground(QColor(255, 214, 214));
        tint.format.setProperty(QTextFormat::FullWidthSelection, true);
        tint.format.setToolTip(reason);
        tints.append(tint);
    }
    setExtraSelections(tints);
}

QString BetMemo::unread_reason(int index) const {
    for (const auto& [line, reason] : unread_)
        if (line == index) return reason;
    return {};
}

QString BetMemo::line_text(int index) {
    flush_pending();
    return document()->findBlockByNumber(index).text();
}

bool BetMemo::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip && !unread_.empty()) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString reason = unread_reason(cursorForPosition(help->pos()).blockNumber());
        if (reason.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(help->globalPos(), reason, viewport());
        return true;
    }
    return QPlainTextEdit::viewportEvent(event);
}

bool BetMemo::event(QEvent* event) {
    // Refusing the override lets the menu's shortcut take Ctrl+C, Ctrl+X and the others.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (menu_keys_.contains(key->keyCombination())) {
            event->ignore();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

}  // namespace morvalen::app
