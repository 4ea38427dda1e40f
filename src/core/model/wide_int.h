// 128-bit integers for exact intermediate products (a compiler extension on every target we build).
#pragma once

namespace morvalen::core {
__extension__ typedef __int128 int128;
__extension__ typedef unsigned __int128 uint128;
}  // namespace morvalen::core
