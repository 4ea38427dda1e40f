// The start-up version check's fixed texts and the decision whether to offer the new version.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morvalen::core {

inline constexpr std::string_view own_version = "1.0.2.0";
inline constexpr std::string_view version_file_path = "/updmtz17.ini";
inline constexpr std::string_view update_archive_path = "/morvalen_trast.rar";
inline constexpr std::string_view local_archive_file = "morvalen_trast.rar";
inline constexpr std::string_view information_page_path = "/morvalen_help.html";
inline constexpr std::string_view update_user_agent = "Mozilla/5.0 (compatible; MSIE 6.0; SV1; MRA 4.8 (build 01705))";
inline constexpr std::size_t version_text_limit = 282;  // one read of the version file
inline constexpr std::size_t archive_read_chunk = 281911;

inline constexpr std::string_view update_offer_text = "Доступна новая версия программы!\rОбновить?";
inline constexpr std::string_view archive_write_failure_text = "Невозможно записать временный файл в рабочую папку.";

// True when `own` orders before the fetched text byte by byte (unsigned codes), a longer text that
// starts with `own` included. So 1.0.3.0 and "1.0.2.0\n" are newer, while 1.0.10.0 is not, and an
// empty text (no network) never is.
bool offers_update(std::string_view fetched_version, std::string_view own = own_version);

// The version text as the first read delivered it: at most version_text_limit bytes.
std::string_view version_text(std::string_view body);

// "Получен архивный файл morvalen_trast.rar с новой версией программы" and the fetched version
// text right after it; the fetched bytes are read in the program's 8-bit code page.
std::string after_download_text(std::string_view fetched_version);

}  // namespace morvalen::core
