// The conditions file (".usl", UTF-8): one condition a line, "#" comments, blank-separated words.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/model/conditions.h"

namespace morvalen::core {

struct ConditionFileRead {
    std::optional<ConditionSet> set;  // enabled, when read
    std::string error;                // "строка 3: ожидается …" when refused
};

// Reads the grammar:
//   errors E
//   count LO HI GROUP         GROUP: home draws away other yellow favourite crowd-favourite, or cells
//   probability LO HI            as "*-(0:0,1:1);3-(2:1)"
//   popularity LO HI
//   value LO HI
// LO and HI are integers 0 to 8 for count, decimals with "." otherwise; HI may be "*". A condition the
// program saved switched off is a comment "#выкл " followed by the condition.
ConditionFileRead read_condition_file(std::string_view text);

// The file of a set; reading it back gives the same set (switched-off conditions included). A cells
// group with no cell cannot be written and is left out.
std::string write_condition_file(const ConditionSet& set);

// One condition as its line ("count 0 2 away"); empty for a cells group with no cell.
std::string condition_line(const Condition& condition);
// The group word of a count condition ("home", "*-(0:0)").
std::string group_text(const Condition& condition);
// Reads a group word into the condition; false when it is not one.
bool read_group(std::string_view word, Condition& condition);
// A decimal with "." in its shortest form that reads back exactly ("0.5", "12", "*" for none).
std::string decimal_text(std::optional<double> value);
// Reads a decimal with "." (optional sign, no exponent); nullopt otherwise.
std::optional<double> read_plain_decimal(std::string_view word);

}  // namespace morvalen::core
