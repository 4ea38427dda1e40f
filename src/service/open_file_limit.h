// The process's open-file limit: raised to the hard limit at start, read to size the connection cap.
#pragma once

#include <cstddef>

namespace morvalen::service {

// Raises the soft RLIMIT_NOFILE to the hard one; returns the soft limit now in force.
std::size_t raise_open_file_limit();
std::size_t open_file_limit();

}  // namespace morvalen::service
