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

}  // namespace morvalen::core
