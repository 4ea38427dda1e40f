// The version comparison of the update check, by characters as the version file has always been read.
#include "core/update_check.h"

#include "core/cp1251.h"

namespace morvalen::core {

bool offers_update(std::string_view fetched_version, std::string_view own) {
    // char_traits<char> compares as unsigned char, which is the 8-bit code order.
    return own.compare(fetched_version) < 0;
}

std::string_view version_text(std::string_view body) { return body.substr(0, version_text_limit); }

std::string after_download_text(std::string_view fetched_version) {
    return "Получен архивный файл morvalen_trast.rar с новой версией программы" + cp1251_to_utf8(fetched_version);
}

std::string update_address(std::string_view host, std::string_view path) {
    while (!host.empty() && host.back() == '/') host.remove_suffix(1);
    return std::string(host) + std::string(path);
}

UpdateOutcome run_update_check(std::string_view host, const UpdateHooks& hooks) {
    const auto fetched = hooks.fetch_text(update_address(host, version_file_path));
    if (!fetched) return UpdateOutcome::no_check;
    const std::string_view version = version_text(*fetched);
    if (!offers_update(version)) return UpdateOutcome::up_to_date;
    if (!hooks.ask_yes_no(update_offer_text)) return UpdateOutcome::declined;
    switch (hooks.download_to_file(update_address(host, update_archive_path), std::string(local_archive_file))) {
        case ArchiveDownload::written:
            break;
        case ArchiveDownload::file_not_created:
            hooks.show_error(archive_write_failure_text);
            return UpdateOutcome::not_downloaded;
        case ArchiveDownload::not_written:
            return UpdateOutcome::not_downloaded;
    }
    return hooks.confirm(after_download_text(version)) ? UpdateOutcome::terminate_requested : UpdateOutcome::downloaded;
}

}  // namespace morvalen::core
