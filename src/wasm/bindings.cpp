// The session as the page's worker sees it: plain JavaScript values in, one view object out.
#include <cmath>

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include "core/analysis/distribution_table.h"
#include "core/formats/condition_file.h"
#include "core/model/event_table.h"
#include "core/model/outcomes.h"
#include "core/formats/percent_text.h"
#include "core/pages/page_text.h"
#include "core/analysis/probability_drag.h"
#include "core/pages/service_request.h"
#include "wasm/web_session.h"

namespace morvalen::web {
namespace {

using emscripten::val;

val bytes_of(const std::string& bytes) {
    const val view(emscripten::typed_memory_view(bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data())));
    return val::global("Uint8Array").new_(view);
}

std::string string_of_bytes(const val& array) {
    return array.isNull() || array.isUndefined() ? std::string() : array.as<std::string>();
}

CaptionSink caption_sink(const val& callback) {
    if (callback.isNull() || callback.isUndefined()) return {};
    return [callback](const std::string& text) { callback(text); };
}

StopProbe stop_probe(const val& callback) {
    if (callback.isNull() || callback.isUndefined()) return {};
    return [callback] { return callback().as<bool>(); };
}

val formation_result(const FormationResult& result) {
    val out = val::object();
    out.set("error", result.error);
    out.set("showCoverage", result.show_coverage);
    return out;
}

val hit_counts(const core::HitCounts& counts) {
    val out = val::array();
    for (std::int64_t n : counts.by_hits) out.call<void>("push", static_cast<double>(n));
    return out;
}

// The session behind the page, with the methods the worker calls.
class PageSession {
public:
    explicit PageSession(double seed) : web_(static_cast<std::uint64_t>(seed)) {}

    void seed(const std::string& decimal) { web_.seed(std::stoull(decimal)); }
    std::string read_line(const std::string& body, const std::string& content_type) {
        return web_.read_line(core::page_text(body, content_type));
    }
    bool select_cell(int column, int row, bool key_held) { return web_.select_cell(column, row, key_held); }

    std::string apply_settings(const val& panel) {
        core::FormationSettings settings;
        settings.method = static_cast<core::FormationMethod>(panel["method"].as<int>());
        settings.guarantee = panel["guarantee"].as<int>();
        settings.repeat_count = static_cast<std::int64_t>(panel["repeatCount"].as<double>());
        settings.yellow_min = panel["yellowMin"].as<int>();
        settings.yellow_max = panel["yellowMax"].as<int>();
        settings.start_with = panel["startWith"].as<bool>();
        return web_.apply_settings(settings, panel["stake"].as<std::string>());
    }

    std::string prepare_brief_system() { return std::to_string(web_.prepare_brief_system()); }
    val expand_brief_content(const val& content, const val& caption) {
        return formation_result(web_.expand_brief_content(string_of_bytes(content), caption_sink(caption)));
    }
    val form(int method, double start_index, const val& caption, const val& stop) {
        std::optional<std::int64_t> start;
        if (start_index >= 0) start = static_cast<std::int64_t>(start_index);
        return formation_result(
            web_.form(static_cast<core::FormationMethod>(method), start, caption_sink(caption), stop_probe(stop)));
    }

    std::string list_command(const std::string& name) { return web_.list_command(name); }
    void memo_edited(const std::string& text) { web_.memo_edited(text); }
    bool undo() { return web_.undo(); }
    bool redo() { return web_.redo(); }

    // Everything the page draws: the grid, the summary, the memo and the enabled commands.
    val view(bool with_coverage, bool start_with_ticked) const {
        const core::Session& session = web_.session();
        val out = val::object();
        val events = val::array();
        for (int e = 1; e <= core::event_count; ++e) {
            const core::Event& event = session.events.event(e);
            val row = val::object();
            row.set("name", event.name);
            row.set("shortName", core::short_event_name(event.name));
            row.set("startWith", static_cast<int>(event.start_with));
            val cells = val::array();
            for (int o = 1; o <= core::outcome_count; ++o) {
                const core::OutcomeCell& cell = event.outcomes[static_cast<std::size_t>(o - 1)];
                val item = val::object();
                item.set("text", core::outcome_cell_text(session.events, e, o));
                item.set("mark", cell.mark);
                item.set("yellow", cell.yellow_mark);
                item.set("setting", static_cast<double>(cell.setting_probability.ten_thousandths()));
                item.set("quote", static_cast<double>(cell.quote_probability.ten_thousandths()));
                item.set("pool", static_cast<double>(cell.pool_probability.ten_thousandths()));
                item.set("settingMark", core::format_value_mark(cell.setting_probability));
                cells.call<void>("push", item);
            }
            row.set("cells", cells);
            events.call<void>("push", row);
        }
        out.set("events", events);
        const core::StatsView stats = session.stats(with_coverage);
        out.set("packageLine", stats.package_line);
        out.set("variantsLine", stats.variants_line);
        out.set("coverageLine", stats.coverage_line);
        val enabled = val::object();
        enabled.set("formingLink", stats.enabled.forming_link);
        enabled.set("addCoupon", stats.enabled.add_coupon);
        enabled.set("removeVariants", stats.enabled.remove_variants);
        enabled.set("listCommands", stats.enabled.list_commands);
        enabled.set("undo", session.history.can_undo());
        enabled.set("redo", session.history.can_redo());
        out.set("enabled", enabled);
        out.set("memo", web_.memo().text());
        out.set("stake", session.settings.stake.currency().to_string());
        out.set("startWithCaption", core::start_with_caption(session.events, start_with_ticked));
        out.set("acceptanceNote", session.events.acceptance_note);
        out.set("returnLine", web_.return_line());
        out.set("poolRules", session.pool_rules ? core::format_pool_rules(*session.pool_rules) : std::string());
        out.set("conditionsEnabled", session.conditions.enabled);
        out.set("conditionsText", core::write_condition_file(session.conditions));
        enabled.set("filterByConditions", core::conditions_in_force(session.conditions) && stats.totals.package_bets > 0);
        return out;
    }

    val check_results(const std::string& text) const {
        const ResultsReport report = web_.check_results(text);
        val out = val::object();
        out.set("error", report.error);
        if (!report.error.empty()) return out;
        out.set("byHits", hit_counts(report.hits.totals));
        val shares = val::array();
        for (int k = 0; k <= core::event_count; ++k) shares.call<void>("push", report.hits.share(k));
        out.set("shares", shares);
        out.set("chancesRefusal", report.chances.refusal);
        if (report.chances.chances) {
            const core::PackageChances& chances = *report.chances.chances;
            val at_least = val::array();
            for (double p : chances.at_least) at_least.call<void>("push", p);
            out.set("atLeast", at_least);
            out.set("exact", chances.exact);
            out.set("expectedFullHits", chances.expected_full_hits);
        }
        return out;
    }

    // "Распределение по исходам": rows 1 to 8 by columns 1 to 17, "4(33%)" or empty.
    val distribution() const {
        const core::DistributionTable table = core::distribution_table(web_.session().bets);
        val rows = val::array();
        for (const auto& row : table.cells) {
            val cells = val::array();
            for (const std::string& cell : row) cells.call<void>("push", cell);
            rows.call<void>("push", cells);
        }
        return rows;
    }

    val text_file() const { return bytes_of(web_.text_file()); }
    val spreadsheet(bool by_rows) const {
        const core::SpreadsheetBuild build =
            web_.spreadsheet(by_rows ? core::SheetLayout::row_per_line : core::SheetLayout::column_per_line);
        val out = val::object();
        out.set("error", build.error);
        if (!build.table) return out;
        const core::SpreadsheetTable& table = *build.table;
        out.set("sheetName", table.sheet_name);
        val rows = val::array();
        for (std::size_t r = 0; r < table.rows; ++r) {
            val row = val::array();
            for (std::size_t c = 0; c < table.columns; ++c) {
                const core::SheetCell& cell = table.at(r, c);
                if (const auto* text = std::get_if<std::string>(&cell)) row.call<void>("push", *text);
                else if (const auto* number = std::get_if<double>(&cell)) row.call<void>("push", *number);
                else row.call<void>("push", val::null());
            }
            rows.call<void>("push", row);
        }
        out.set("rows", rows);
        return out;
    }
    val quotes_file(const std::string& caption) const { return bytes_of(web_.quotes_file(caption)); }
    val read_quotes_file(const val& bytes) {
        std::string caption;
        const std::string error = web_.read_quotes_file(string_of_bytes(bytes), caption);
        val out = val::object();
        out.set("error", error);
        out.set("caption", caption);
        return out;
    }
    bool drag_point(int e, int column, double last_y, double y, double pixels_per_percent) {
        return web_.drag_point(e, column, static_cast<std::int64_t>(last_y), static_cast<std::int64_t>(y),
                               static_cast<std::int64_t>(pixels_per_percent));
    }
    void apply_preset(int e, int preset) {
        core::apply_preset(web_.session().events, e, static_cast<core::ProbabilityPreset>(preset));
    }

    std::string set_pool_rules(const std::string& text) { return web_.set_pool_rules(text); }
    void clear_pool_rules() { web_.clear_pool_rules(); }
    std::string set_conditions(const std::string& text) { return web_.set_conditions(text); }
    void set_conditions_enabled(bool on) { web_.set_conditions_enabled(on); }

    // The conditions window's cost table: a row per condition in order, then the set's row.
    val condition_costs() const {
        const core::CostTable table = web_.condition_costs();
        const core::ConditionSet& set = web_.session().conditions;
        val out = val::object();
        out.set("refusal", table.refusal);
        out.set("markedVariants", static_cast<double>(table.marked_variants));
        out.set("markedPercent", core::six_digit_percent(table.marked_percent));
        out.set("samples", static_cast<double>(table.samples));
        const double variants = static_cast<double>(table.marked_variants);
        const auto row_of = [&](const std::string& name, const core::CostRow& cost) {
            val row = val::object();
            row.set("name", name);
            row.set("exact", cost.exact);
            row.set("keptVariants", static_cast<double>(std::llround(cost.kept_variants)));
            row.set("variantsError", static_cast<double>(std::llround(cost.variants_error)));
            row.set("sharePercent", core::six_digit_percent(variants > 0 ? cost.kept_variants * 100 / variants : 0));
            row.set("shareError", core::six_digit_percent(variants > 0 ? cost.variants_error * 100 / variants : 0));
            row.set("keptPercent", core::six_digit_percent(cost.kept_percent));
            row.set("percentError", core::six_digit_percent(cost.percent_error));
            return row;
        };
        val rows = val::array();
        const bool ready = table.refusal.empty() && table.marked_variants > 0;
        for (std::size_t j = 0; ready && j < table.conditions.size(); ++j)
            rows.call<void>("push", row_of(core::condition_line(set.conditions[j]), table.conditions[j]));
        if (ready) rows.call<void>("push", row_of("", table.set));
        out.set("rows", rows);
        out.set("allowedErrors", set.allowed_errors);
        return out;
    }

    std::string nearest_systems_address() { return web_.nearest_systems_address(); }
    // The window's grid after the list page is read; the error when a field did not convert.
    val read_system_list(const std::string& body, const std::string& content_type) {
        const std::string error = web_.read_system_list(core::page_text(body, content_type));
        val out = val::object();
        out.set("error", error);
        val rows = val::array();
        for (const auto& [formula, bets] : web_.nearest_rows()) {
            val row = val::array();
            row.call<void>("push", formula);
            row.call<void>("push", bets);
            rows.call<void>("push", row);
        }
        out.set("rows", rows);
        out.set("first", web_.nearest_counts().first);
        out.set("second", web_.nearest_counts().second);
        return out;
    }

    void restore(const val& marks, const std::string& memo_text) {
        const std::string bytes = string_of_bytes(marks);
        web_.restore(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), memo_text);
    }
    val marks() const {
        std::string bytes;
        const core::EventTable& table = web_.session().events;
        for (int e = 1; e <= core::event_count; ++e) {
            for (int o = 1; o <= core::outcome_count; ++o)
                bytes.push_back(static_cast<char>(table.cell(e, o).mark == 0 ? 0 : table.cell(e, o).yellow_mark ? 2 : 1));
            bytes.push_back(static_cast<char>(table.event(e).start_with));
        }
        return bytes_of(bytes);
    }

private:
    WebSession web_;
};

val outcome_labels() {
    val out = val::array();
    for (int o = 1; o <= core::outcome_count; ++o) out.call<void>("push", std::string(core::outcome_label(o)));
    return out;
}

// The service's queries on the page's own origin.
std::string line_address() { return core::line_page_address("", core::local_now()); }
std::string system_address(const std::string& signature) { return core::system_address("", std::stoll(signature)); }

}  // namespace
}  // namespace morvalen::web

EMSCRIPTEN_BINDINGS(morvalen_core) {
    using namespace morvalen::web;
    emscripten::function("outcomeLabels", &outcome_labels);
    emscripten::function("lineAddress", &line_address);
    emscripten::function("systemAddress", &system_address);
    emscripten::class_<PageSession>("PageSession")
        .constructor<double>()
        .function("seed", &PageSession::seed)
        .function("readLine", &PageSession::read_line)
        .function("selectCell", &PageSession::select_cell)
        .function("applySettings", &PageSession::apply_settings)
        .function("prepareBriefSystem", &PageSession::prepare_brief_system)
        .function("expandBriefContent", &PageSession::expand_brief_content)
        .function("form", &PageSession::form)
        .function("listCommand", &PageSession::list_command)
        .function("memoEdited", &PageSession::memo_edited)
        .function("undo", &PageSession::undo)
        .function("redo", &PageSession::redo)
        .function("view", &PageSession::view)
        .function("checkResults", &PageSession::check_results)
        .function("distribution", &PageSession::distribution)
        .function("textFile", &PageSession::text_file)
        .function("spreadsheet", &PageSession::spreadsheet)
        .function("quotesFile", &PageSession::quotes_file)
        .function("readQuotesFile", &PageSession::read_quotes_file)
        .function("dragPoint", &PageSession::drag_point)
        .function("applyPreset", &PageSession::apply_preset)
        .function("setPoolRules", &PageSession::set_pool_rules)
        .function("clearPoolRules", &PageSession::clear_pool_rules)
        .function("setConditions", &PageSession::set_conditions)
        .function("setConditionsEnabled", &PageSession::set_conditions_enabled)
        .function("conditionCosts", &PageSession::condition_costs)
        .function("nearestSystemsAddress", &PageSession::nearest_systems_address)
        .function("readSystemList", &PageSession::read_system_list)
        .function("restore", &PageSession::restore)
        .function("marks", &PageSession::marks);
}
