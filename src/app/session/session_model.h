// The window's session: owns the core's session and announces each kind of change to the views.
#pragma once

#include <exception>

#include <QObject>
#include <QStringList>

#include "core/model/session.h"
#include "core/pages/line_page.h"
#include "core/pages/list_page.h"

namespace morvalen::app {

// Every write goes through an edit, which names what it changes; when the outermost edit ends, the
// model announces those changes, each once. The views read `session()` and subscribe to the
// signals; nothing pushes into them.
class SessionModel : public QObject {
    Q_OBJECT
public:
    // What an edit changes. The formation's working fields (the random source, the expansion order,
    // the reached chance, the uncovered count) are shown by no view: an edit of them names nothing.
    enum Change : unsigned {
        line = 1U << 0,           // event names and figures (a quotes load, an undo of one)
        probabilities = 1U << 1,  // set probabilities (the editor, the saved marks put back)
        marks = 1U << 2,          // marks, yellow marks and the start-with ticks
        package = 1U << 3,        // the bet list (and the memo that shows it)
        conditions = 1U << 4,     // the conditions and their switch
        pool_rules = 1U << 5,
        settings = 1U << 6,       // the formation settings: guarantee, stake, method…
    };
    using Changes = unsigned;

    class Edit {
    public:
        Edit(const Edit&) = delete;
        Edit& operator=(const Edit&) = delete;
        // A view that fails while following reaches the command's error handling, as a failure of
        // the command itself would; while another failure unwinds, the first one is the one told.
        ~Edit() noexcept(false) {
            if (std::uncaught_exceptions() == unwinding_) {
                model_.end_edit();
                return;
            }
            try {
                model_.end_edit();
            } catch (...) {
            }
        }
        core::Session& operator*() const { return model_.session_; }
        core::Session* operator->() const { return &model_.session_; }

    private:
        friend class SessionModel;
        explicit Edit(SessionModel& model) : model_(model) {}
        SessionModel& model_;
        int unwinding_ = std::uncaught_exceptions();
    };

    explicit SessionModel(QObject* parent = nullptr) : QObject(parent) {}

    const core::Session& session() const { return session_; }
    // Opens an edit that announces `changes` when it (or the outermost edit around it) ends. An edit
    // naming nothing writes what no view shows, or a burst announced once it rests (a drag).
    [[nodiscard]] Edit change(Changes changes);
    // The end of such a burst.
    void announce(Changes changes) { const Edit edit = change(changes); }

    // Reads a line page into the event table; marks of events that are now other matches are cleared.
    core::LinePageResult read_line_page(const std::string& text);
    // Reads a list of brief systems nearest to marked counts m1 and m2; the list is announced when it reads.
    core::ListPageResult read_brief_systems(const std::string& text, int m1, int m2);
    // No service to ask: the list is empty, and is announced so.
    void clear_brief_systems(int m1, int m2);

Q_SIGNALS:
    // A line page was read: `names` are those it brought (fewer than 8 when it broke off), `complete`
    // whether it read whole. The line's figures changed with it, and the marks of renamed events went.
    void line_read(const QStringList& names, bool complete);
    void line_changed();
    void marks_changed();
    void probabilities_changed();
    void package_changed();
    void conditions_changed();
    void pool_rules_changed();
    void settings_changed();
    // The list of brief systems nearest to m1 and m2 marked outcomes has come.
    void brief_systems_listed(int m1, int m2);

private:
    void end_edit();

    core::Session session_;
    int open_edits_ = 0;
    Changes pending_ = 0;
};

}  // namespace morvalen::app
