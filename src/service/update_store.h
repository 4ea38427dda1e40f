// The update location's files: the version text, the update archive and the information page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "service/sqlite_db.h"

namespace morvalen::service {

inline constexpr std::string_view version_file = "updmtz17.ini";
inline constexpr std::string_view archive_file = "morvalen_trast.rar";
inline constexpr std::string_view help_file = "morvalen_help.html";
// A new database offers no update: its version text is the program's own.
inline constexpr std::string_view default_version_text = "1.0.2.0";

void ensure_update_schema(Database& db);
void put_update_file(Database& db, std::string_view name, const std::string& content);
std::optional<std::string> update_file(Database& db, std::string_view name);

// The information page served until the operator sets one (UTF-8 HTML).
std::string_view default_help_page();

}  // namespace morvalen::service
