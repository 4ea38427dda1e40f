// Every connection is a descriptor, and the usual soft limit of 1024 would cap the service far below
// what the machine allows.
#include "service/open_file_limit.h"

#include <sys/resource.h>

namespace morvalen::service {

std::size_t open_file_limit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 1024;
    return limit.rlim_cur == RLIM_INFINITY ? static_cast<std::size_t>(1) << 20 : static_cast<std::size_t>(limit.rlim_cur);
}

std::size_t raise_open_file_limit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);  // on failure the old limit stays, and the cap follows it
    }
    return open_file_limit();
}

}  // namespace morvalen::service
