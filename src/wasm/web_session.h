// The page's session: the core's session, its memo as lines and the undo steps, in the page's terms.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/analysis/condition_costs.h"
#include "core/analysis/package_chances.h"
#include "core/analysis/results_check.h"
#include "core/model/line_memo.h"
#include "core/model/session.h"
#include "core/model/stop_token.h"
#include "core/formats/spreadsheet_table.h"

namespace morvalen::web {

// The memo of the page: plain lines, sent whole to the page after each command.
class LineMemo : public core::LineMemo {
public:
    std::string text() const;
};

// What a long run tells the page: the caption text while it runs.
using CaptionSink = std::function<void(const std::string&)>;
// Read between slices of a long run; true stops it as "Esc" does in the window.
using StopProbe = std::function<bool()>;

struct FormationResult {
    std::string error;          // the player's message, empty on success
    bool show_coverage = false;  // the statistics show the coverage of the last check
};

struct ResultsReport {
    std::string error;
    core::PackageHits hits;
    core::ChancesReport chances;
};

class WebSession {
public:
    explicit WebSession(std::uint64_t seed);

    core::Session& session() { return session_; }
    const core::Session& session() const { return session_; }
    const LineMemo& memo() const { return memo_; }

    void seed(std::uint64_t value) { session_.rng.seed(value); }
    // The service's line page (already decoded to UTF-8 text); the error text when it could not be read.
    std::string read_line(const std::string& page_text);
    bool select_cell(int column, int row, bool key_held);
    // The panel's settings; the stake text as typed ("3.1"). The error when the stake is not a number.
    std::string apply_settings(const core::FormationSettings& settings, const std::string& stake_text);

    // The brief-system request: orders the events and gives the signature to ask the service for.
    std::int64_t prepare_brief_system();
    // The inflated body of the service's answer (the browser decompressed it).
    FormationResult expand_brief_content(const std::string& content, const CaptionSink& caption);
    FormationResult form(core::FormationMethod method, std::optional<std::int64_t> start_index,
                         const CaptionSink& caption, const StopProbe& stop);

    // "coupon", "split", "repeats", "variants", "clear", "filter": one undo step each.
    std::string list_command(const std::string& name);
    // The player typed in the memo: the text is read back into the list; the first edit after
    // another command opens one undo step for the typing.
    void memo_edited(const std::string& text);
    bool undo();
    bool redo();

    ResultsReport check_results(const std::string& results_text) const;
    // The memo as the text file holds it: Windows-1251 with CR LF.
    std::string text_file() const;
    core::SpreadsheetBuild spreadsheet(core::SheetLayout layout) const;
    std::string quotes_file(const std::string& caption) const;
    // The error text when the file is not a quotes file; the caption it holds otherwise in `caption`.
    std::string read_quotes_file(const std::string& bytes, std::string& caption);
    bool drag_point(int e, int column, std::int64_t last_y, std::int64_t y, std::int64_t pixels_per_percent);

    // The rules dialog's text ("tickets=…;payout=…;tiers=…;jackpot=…"): the error, or empty once set.
    std::string set_pool_rules(const std::string& text);
    void clear_pool_rules() { session_.pool_rules.reset(); }
    // "Ожидаемый возврат: …" once the rules are set, empty before.
    std::string return_line() const;

    // The conditions in the file's grammar: the error ("строка 3: …"), or empty once the set is taken.
    std::string set_conditions(const std::string& text);
    void set_conditions_enabled(bool on) { session_.conditions.enabled = on; }
    core::CostTable condition_costs() const;

    // The service's list page for the nearest systems of the present marks and guarantee.
    std::string nearest_systems_address();
    // The list page read into the session; the error text when a field did not convert.
    std::string read_system_list(const std::string& page_text);
    // The grid of the window "Ближайшие бриф-системы" for the counts of the last address.
    std::vector<std::pair<std::string, std::string>> nearest_rows() const;
    std::pair<int, int> nearest_counts() const { return nearest_counts_; }

    // Marks and memo put back from the page's stored working state.
    void restore(const std::vector<std::uint8_t>& marks, const std::string& memo_text);

private:
    core::PackageSnapshot snapshot() const;
    void apply(const core::PackageSnapshot& state);
    void keep_step(core::PackageSnapshot before);
    core::ProgressHooks hooks(const CaptionSink& caption, const StopProbe& stop, core::StopSource& source);

    core::Session session_;
    LineMemo memo_;
    bool typing_ = false;
    std::pair<int, int> nearest_counts_{};
    bool running_ = false;  // a formation is under way: the page's other commands wait
};

}  // namespace morvalen::web
