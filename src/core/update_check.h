// The start-up version check's fixed texts and the decision whether to offer the new version.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
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

// The address of a path on the update host: "http://127.0.0.1:8080" + "/updmtz17.ini"; a "/" at
// the end of the host is not doubled.
std::string update_address(std::string_view host, std::string_view path);

enum class ArchiveDownload { written, not_written, file_not_created };

// The outside world of the start-up check, so that it runs the same against a real host and in tests.
struct UpdateHooks {
    // The first read of the body (at most version_text_limit bytes); "" when the address cannot be
    // opened; nullopt when the request raised an error, which ends the check.
    std::function<std::optional<std::string>(const std::string& address)> fetch_text;
    std::function<ArchiveDownload(const std::string& address, const std::string& local_file)> download_to_file;
    std::function<bool(std::string_view text)> ask_yes_no;       // the offer; true for Yes
    std::function<bool(std::string_view text)> confirm;            // after the download; true for Yes
    std::function<void(std::string_view text)> show_error;         // caption "Ошибка", OK
};

enum class UpdateOutcome {
    no_check,            // the version request raised an error
    up_to_date,          // nothing newer (also when the host could not be reached)
    declined,            // the player answered No to the offer
    not_downloaded,      // the archive could not be fetched or written
    downloaded,          // the archive was written, the player goes on with this version
    terminate_requested, // the archive was written and the player chose to end the program
};

// The whole start-up check: version text, offer, download into local_archive_file, message.
UpdateOutcome run_update_check(std::string_view host, const UpdateHooks& hooks);

}  // namespace morvalen::core
