// The update location's files: the version text, the update archive and the information page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/update/update_check.h"
#include "service/sqlite_db.h"

namespace morvalen::service {

inline constexpr std::string_view version_file = core::version_file_name;
inline constexpr std::string_view archive_file = core::archive_file_name;
inline constexpr std::string_view help_file = core::help_file_name;
// The release maker's minisign signatures of the version text and the archive, served beside them.
inline constexpr std::string_view version_signature_file = core::version_signature_file_name;
inline constexpr std::string_view archive_signature_file = core::archive_signature_file_name;
// The largest update archive: what the operator may store is what the program accepts to download.
inline constexpr std::size_t archive_size_limit = core::update_archive_limit;
// A minisign signature file is four short lines.
inline constexpr std::size_t signature_file_limit = 4096;
// A new database offers no update: its version text is the program's own.
inline constexpr std::string_view default_version_text = core::program_version;

void ensure_update_schema(Database& db);
void put_update_file(Database& db, std::string_view name, const std::string& content);
std::optional<std::string> update_file(Database& db, std::string_view name);
void remove_update_file(Database& db, std::string_view name);

// The information page served until the operator sets one (UTF-8 HTML).
std::string_view default_help_page();

}  // namespace morvalen::service
