// Windows-1251, the code page of the program's files, to and from UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace morvalen::core {

std::string cp1251_to_utf8(std::string_view bytes);
// Characters outside the code page become "?".
std::string utf8_to_cp1251(std::string_view text);
bool is_valid_utf8(std::string_view bytes);
// Input of unknown code: valid UTF-8 is taken as it is, anything else is read as Windows-1251.
std::string decode_utf8_or_cp1251(std::string_view bytes);

}  // namespace morvalen::core
