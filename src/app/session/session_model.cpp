// Edits nest: a command that calls another announces once, when the outermost edit ends.
#include "app/session/session_model.h"

#include "core/pages/line_refresh.h"

namespace morvalen::app {

SessionModel::Edit SessionModel::change(Changes changes) {
    ++open_edits_;
    pending_ |= changes;
    return Edit(*this);
}

void SessionModel::end_edit() {
    if (--open_edits_ > 0) return;
    const Changes changes = pending_;
    pending_ = 0;
    // In the order a view depends on them: the figures before the marks over them, all before the package.
    if (changes & line) Q_EMIT line_changed();
    if (changes & probabilities) Q_EMIT probabilities_changed();
    if (changes & marks) Q_EMIT marks_changed();
    if (changes & package) Q_EMIT package_changed();
    if (changes & conditions) Q_EMIT conditions_changed();
    if (changes & pool_rules) Q_EMIT pool_rules_changed();
    if (changes & settings) Q_EMIT settings_changed();
}

core::LinePageResult SessionModel::read_line_page(const std::string& text) {
    const core::EventNames names_before = core::event_names(session_.events);
    const core::LinePageResult result = core::read_line_page(text, session_.events);
    // Read again: marks stay on the events that are still the same matches.
    core::clear_marks_of_renamed_events(names_before, session_.events);
    QStringList names;
    for (const std::string& name : result.names) names.append(QString::fromStdString(name));
    Q_EMIT line_read(names, result.ok());
    return result;
}

core::ListPageResult SessionModel::read_brief_systems(const std::string& text, int m1, int m2) {
    const core::ListPageResult result = core::read_list_page(text, session_.brief_systems);
    if (result.ok()) Q_EMIT brief_systems_listed(m1, m2);
    return result;
}

void SessionModel::clear_brief_systems(int m1, int m2) {
    session_.brief_systems.clear();
    Q_EMIT brief_systems_listed(m1, m2);
}

}  // namespace morvalen::app
