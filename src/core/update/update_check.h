// The update check's fixed texts and decisions: which version text is a version, whether it is newer,
// and whether a signature's trusted comment proves the file the program is about to trust.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/update/update_paths.h"
#include "core/version.h"

namespace morvalen::core {

inline constexpr std::string_view own_version = program_version;
inline constexpr std::string_view local_archive_file = archive_file_name;
inline constexpr std::string_view update_user_agent = "Mozilla/5.0 (compatible; MSIE 6.0; SV1; MRA 4.8 (build 01705))";
inline constexpr std::size_t version_text_limit = 282;  // one read of the version file
inline constexpr std::size_t archive_read_chunk = 281911;
// The largest update archive the program downloads and the service accepts from its operator.
inline constexpr std::size_t update_archive_limit = std::size_t{64} << 20;

inline constexpr std::string_view update_offer_text = "Доступна новая версия программы!\rОбновить?";
inline constexpr std::string_view not_a_version_text =
    "Узел обновлений прислал вместо номера версии что-то другое. Обновление не предлагается.";

// The version text without one trailing line break, when it is digits in one to four dot-separated
// groups ("1.0.3.0"); anything else (a page, markup, spaces) is not a version.
std::optional<std::string> plain_version(std::string_view text);

// True when the plain version is newer than `own`, group by group as numbers (1.0.10.0 is newer
// than 1.0.2.0; missing groups count as 0). A text that is no plain version is never newer.
bool offers_update(std::string_view fetched_version, std::string_view own = own_version);

// The version text as the first read delivered it: at most version_text_limit bytes.
std::string_view version_text(std::string_view body);

// "Получен архивный файл morvalen_trast.rar с новой версией программы1.0.3.0", the name being the
// one the archive was saved under, and on a line of its own where it was saved.
std::string after_download_text(std::string_view saved_name, std::string_view version, std::string_view saved_path);

// The address of a path on the update host: "http://127.0.0.1:8080" + "/updmtz17.ini"; a "/" at
// the end of the host is not doubled.
std::string update_address(std::string_view host, std::string_view path);

// What checking a minisign signature against the program's keys found.
enum class SignatureCheck {
    valid,        // made by a built-in key over these bytes and this trusted comment
    missing,      // the host has no signature file
    malformed,    // not a minisign signature file
    unknown_key,  // a signature by a key the program does not trust
    forged,       // the bytes or the trusted comment are not what the key signed
};

// The trusted comment of a release's signatures: "file:updmtz17.ini version:1.0.3.0". Fields are
// separated by blanks or tabs, so minisign's own "timestamp:..." may stand beside them.
std::string trusted_comment_for(std::string_view file, std::string_view version);

struct SignedFor {
    std::string file;
    std::string version;
};
std::optional<SignedFor> signed_for(std::string_view trusted_comment);

enum class SignedFile { version_text, archive };

// Empty when the check is valid and its trusted comment names this file at this version; else the
// player's message why nothing is offered or saved. An old archive signed for another version is
// refused here, so a host cannot replay it as the new one.
std::string signature_refusal(SignedFile file, SignatureCheck check, std::string_view trusted_comment,
                              std::string_view version);

// The archive could not be fetched (why, in Russian) or written into the folder.
std::string download_failure_text(std::string_view reason);
std::string archive_write_failure_text(std::string_view folder);
// Why an archive above update_archive_limit is not fetched, with the limit in it.
std::string archive_too_large_reason();

}  // namespace morvalen::core
