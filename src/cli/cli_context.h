// What every batch command gets: the options, the package read from standard input, the output.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/model/line_memo.h"
#include "core/model/session.h"

namespace morvalen::cli {

// Wrong options or marks: exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// A failed operation: exit status 1.
struct OperationError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using core::LineMemo;

struct CliContext {
    std::string command_name;  // the first argument: "best" accepts guarantee 8, the other commands up to 7
    std::map<std::string, std::string> options;  // "--stake" -> "3.1"; flags map to ""
    core::Session session;
    LineMemo memo;
    std::string output;  // written to standard output only when the command succeeds

    bool has(const std::string& option) const { return options.count(option) != 0; }
    std::optional<std::string> value(const std::string& option) const;
    // The seed from --seed, or from the clock.
    std::uint64_t seed() const;

    void print_line(const std::string& line) { output += line; output += '\n'; }
    void print_memo() { for (const auto& line : memo.lines) print_line(line); }
    // Exit 2 unless every event has a mark.
    void require_full_marking(const std::string& command) const;
};

// The autoformation check that `stats --coverage` runs first; returns whether the coverage line is
// shown. Set by the formation commands, so the list commands do not depend on them.
inline std::function<bool(CliContext&)>& coverage_check() {
    static std::function<bool(CliContext&)> check;
    return check;
}

}  // namespace morvalen::cli
