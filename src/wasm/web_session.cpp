// The page's commands over the core, each leaving the list, the memo and the undo steps as the window does.
#include "wasm/web_session.h"

#include <sstream>

#include "core/formation/autoformation.h"
#include "core/formation/best_chances.h"
#include "core/formation/brief_expansion.h"
#include "core/formats/condition_file.h"
#include "core/analysis/expected_return.h"
#include "core/pages/line_page.h"
#include "core/pages/line_refresh.h"
#include "core/pages/list_page.h"
#include "core/formation/nearest_systems.h"
#include "core/formats/payload.h"
#include "core/analysis/probability_drag.h"
#include "core/formats/quotes_file.h"
#include "core/formation/random_distribution.h"
#include "core/formation/return_maximising_package.h"
#include "core/formation/sensations.h"
#include "core/pages/service_request.h"

namespace morvalen::web {

std::string LineMemo::text() const {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) text += '\n';
        text += lines[i];
    }
    return text;
}

WebSession::WebSession(std::uint64_t seed) : session_(seed) { session_.memo = &memo_; }

std::string WebSession::read_line(const std::string& page_text) {
    const core::EventNames before = core::event_names(session_.events);
    const core::LinePageResult result = core::read_line_page(page_text, session_.events);
    core::clear_marks_of_renamed_events(before, session_.events);
    if (result.ok() && result.stake_text) {
        if (const auto stake = core::Stake::parse(*result.stake_text)) session_.settings.stake = *stake;
    }
    return result.error;
}

bool WebSession::select_cell(int column, int row, bool key_held) {
    if (running_) return false;
    return core::select_cell(session_.events, column, row, key_held);
}

std::string WebSession::apply_settings(const core::FormationSettings& settings, const std::string& stake_text) {
    if (running_) return {};
    const core::Stake stake = session_.settings.stake;
    session_.settings = settings;
    session_.settings.stake = stake;
    const auto parsed = core::Stake::parse(stake_text);
    if (!parsed || parsed->value < 0) return "'" + stake_text + "' is not a valid floating point value";
    session_.settings.stake = *parsed;
    return {};
}

core::PackageSnapshot WebSession::snapshot() const { return {memo_.text(), session_.bets, std::nullopt, std::nullopt}; }

void WebSession::apply(const core::PackageSnapshot& state) {
    memo_.lines.clear();
    for (std::string_view line : core::memo_lines(state.memo_text)) memo_.lines.emplace_back(line);
    session_.bets = state.bets;
}

void WebSession::keep_step(core::PackageSnapshot before) {
    typing_ = false;
    if (before == snapshot()) return;
    session_.history.record(std::move(before));
}

core::ProgressHooks WebSession::hooks(const CaptionSink& caption, const StopProbe& stop, core::StopSource& source) {
    core::ProgressHooks hooks;
    // The page answers between slices of the run, which are where the run shows its progress.
    hooks.show_caption = [caption, stop, source](const std::string& text) mutable {
        if (caption) caption(text);
        if (stop && stop()) source.request_stop();
    };
    return hooks;
}

std::int64_t WebSession::prepare_brief_system() {
    session_.expansion_order = core::order_events(session_.events, session_.settings.start_with, session_.rng);
    return core::signature_of(session_.settings.guarantee, session_.expansion_order);
}

FormationResult WebSession::expand_brief_content(const std::string& content, const CaptionSink& caption) {
    FormationResult result;
    if (content.size() > core::brief_content_cap) {
        result.error = "бриф-система не распакована: слишком большое содержимое";
        return result;
    }
    auto before = snapshot();
    core::StopSource never;
    core::expand_brief_system(session_, core::payload_records(content), content.size(), hooks(caption, {}, never));
    keep_step(std::move(before));
    return result;
}

FormationResult WebSession::form(core::FormationMethod method, std::optional<std::int64_t> start_index,
                                 const CaptionSink& caption, const StopProbe& stop) {
    FormationResult result;
    if (running_) return result;
    // The stop probe calls the page, which must not start a second command inside this one.
    running_ = true;
    struct Running {
        bool& flag;
        ~Running() { flag = false; }
    } running{running_};
    auto before = snapshot();
    core::StopSource source;
    const core::ProgressHooks progress = hooks(caption, stop, source);
    switch (method) {
        case core::FormationMethod::brief_systems: break;
        case core::FormationMethod::sensations: core::form_by_sensations(session_); break;
        case core::FormationMethod::random_distribution:
            if (auto refused = core::random_distribution(session_)) result.error = *refused;
            break;
        case core::FormationMethod::autoformation: {
            const core::AutoformationOutcome outcome =
                core::autoform(session_, session_.settings.repeat_count, progress, start_index, source.get_token());
            if (outcome.failed) result.error = core::out_of_memory_text;
            result.show_coverage = outcome.show_coverage && !outcome.failed;
            break;
        }
        case core::FormationMethod::best_chances:
            if (auto refused = core::form_best_chances_package(session_, progress, std::chrono::milliseconds(4000),
                                                                source.get_token()))
                result.error = *refused;
            break;
        case core::FormationMethod::return_maximising:
            if (!session_.pool_rules) result.error = "Задайте правила тотализатора: Пакет → Правила тотализатора";
            else if (auto refused = core::form_return_maximising_package(session_, *session_.pool_rules, progress)) result.error = *refused;
            break;
    }
    keep_step(std::move(before));
    return result;
}

std::string WebSession::list_command(const std::string& name) {
    if (running_) return {};
    auto before = snapshot();
    std::optional<std::string> refused;
    if (name == "coupon") session_.add_coupon();
    else if (name == "split") refused = session_.split_into_singles();
    else if (name == "repeats") session_.remove_repeats();
    else if (name == "variants") refused = session_.remove_variants();
    else if (name == "clear") session_.clear();
    else if (name == "filter" && core::conditions_in_force(session_.conditions)) refused = session_.filter_by_conditions(memo_.lines);
    keep_step(std::move(before));
    return refused.value_or(std::string());
}

void WebSession::memo_edited(const std::string& text) {
    if (text == memo_.text()) return;
    if (!typing_) {
        session_.history.record(snapshot());
        typing_ = true;
    }
    apply({text, {}, std::nullopt, std::nullopt});
    core::read_memo(text, session_.bets);
}

bool WebSession::undo() {
    typing_ = false;
    auto state = session_.history.undo(snapshot());
    if (!state) return false;
    apply(*state);
    return true;
}

bool WebSession::redo() {
    typing_ = false;
    auto state = session_.history.redo(snapshot());
    if (!state) return false;
    apply(*state);
    return true;
}

ResultsReport WebSession::check_results(const std::string& results_text) const {
    ResultsReport report;
    const core::ResultsParse parsed = core::parse_results(results_text);
    if (!parsed.results) {
        report.error = parsed.error;
        return report;
    }
    report.hits = core::package_hits(session_.bets, *parsed.results);
    report.chances = core::package_chances(session_.bets, session_.events);
    return report;
}

std::string WebSession::text_file() const {
    std::ostringstream out;
    core::write_memo_text(out, memo_.text());
    return out.str();
}

core::SpreadsheetBuild WebSession::spreadsheet(core::SheetLayout layout) const {
    std::vector<std::string_view> lines(memo_.lines.begin(), memo_.lines.end());
    return core::build_spreadsheet_table(lines, layout);
}

std::string WebSession::quotes_file(const std::string& caption) const {
    std::ostringstream out;
    core::write_quotes(out, session_.events, caption);
    return out.str();
}

std::string WebSession::read_quotes_file(const std::string& bytes, std::string& caption) {
    std::istringstream in(bytes);
    const core::QuotesLoad load = core::read_quotes(in, session_.events);
    if (!load.ok) return std::string(core::quotes_format_error);
    caption = load.caption.value_or(std::string());
    return {};
}

bool WebSession::drag_point(int e, int column, std::int64_t last_y, std::int64_t y, std::int64_t pixels_per_percent) {
    return core::drag_step(session_.events, e, column, last_y, y, pixels_per_percent);
}

std::string WebSession::set_pool_rules(const std::string& text) {
    const core::PoolRulesParse parse = core::parse_pool_rules(text);
    if (!parse.rules) return parse.error;
    session_.pool_rules = *parse.rules;
    return {};
}

std::string WebSession::return_line() const {
    if (!session_.pool_rules) return {};
    return core::return_summary_line(core::expected_return(session_.bets, session_.events, *session_.pool_rules,
                                                           session_.settings.stake.currency(), core::summary_return_options()));
}

std::string WebSession::set_conditions(const std::string& text) {
    core::ConditionFileRead read = core::read_condition_file(text);
    if (!read.set) return read.error;
    read.set->enabled = session_.conditions.enabled;
    session_.conditions = std::move(*read.set);
    return {};
}

core::CostTable WebSession::condition_costs() const { return core::condition_costs(session_.events, session_.conditions); }

std::string WebSession::nearest_systems_address() {
    nearest_counts_ = core::two_largest_marked_counts(session_.events);
    return core::list_page_address("", std::to_string(session_.settings.guarantee), nearest_counts_.first,
                                   nearest_counts_.second, core::local_now());
}

std::string WebSession::read_system_list(const std::string& page_text) {
    return core::read_list_page(page_text, session_.brief_systems).error;
}

std::vector<std::pair<std::string, std::string>> WebSession::nearest_rows() const {
    return core::nearest_system_rows(session_.brief_systems, nearest_counts_.first, nearest_counts_.second);
}

void WebSession::restore(const std::vector<std::uint8_t>& marks, const std::string& memo_text) {
    if (marks.size() == static_cast<std::size_t>(core::event_count * (core::outcome_count + 1))) {
        std::size_t at = 0;
        for (int e = 1; e <= core::event_count; ++e) {
            for (int o = 1; o <= core::outcome_count; ++o, ++at) {
                session_.events.cell(e, o).mark = marks[at] != 0 ? 1 : 0;
                session_.events.cell(e, o).yellow_mark = marks[at] == 2 ? 1 : 0;
            }
            const std::uint8_t start = marks[at++];
            session_.events.event(e).start_with = start <= core::outcome_count ? start : 0;
        }
    }
    apply({memo_text, {}, std::nullopt, std::nullopt});
    core::read_memo(memo_text, session_.bets);
    session_.history.clear();
    typing_ = false;
}

}  // namespace morvalen::web
