// The files of the update host, named once for the program that fetches them and the service that serves them.
#pragma once

#include <string_view>

namespace morvalen::core {

// The version text, the release archive and the information page, as files and as paths of the host.
inline constexpr std::string_view version_file_name = "updmtz17.ini";
inline constexpr std::string_view archive_file_name = "morvalen_trast.rar";
inline constexpr std::string_view help_file_name = "morvalen_help.html";
inline constexpr std::string_view version_file_path = "/updmtz17.ini";
inline constexpr std::string_view update_archive_path = "/morvalen_trast.rar";
inline constexpr std::string_view information_page_path = "/morvalen_help.html";
// Each signed file's minisign signature is served at its path with this suffix.
inline constexpr std::string_view signature_suffix = ".minisig";
inline constexpr std::string_view version_signature_file_name = "updmtz17.ini.minisig";
inline constexpr std::string_view archive_signature_file_name = "morvalen_trast.rar.minisig";
inline constexpr std::string_view version_signature_path = "/updmtz17.ini.minisig";
inline constexpr std::string_view archive_signature_path = "/morvalen_trast.rar.minisig";

// The paths spelled from the names, checked where they are written.
static_assert(version_file_path.substr(1) == version_file_name);
static_assert(update_archive_path.substr(1) == archive_file_name);
static_assert(information_page_path.substr(1) == help_file_name);
static_assert(version_signature_path.substr(1) == version_signature_file_name);
static_assert(archive_signature_path.substr(1) == archive_signature_file_name);
static_assert(version_signature_file_name.substr(version_file_name.size()) == signature_suffix);
static_assert(archive_signature_file_name.substr(archive_file_name.size()) == signature_suffix);

}  // namespace morvalen::core
