// A raw loopback HTTP client for the transport tests: exact bytes out, answers read with timeouts.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace morvalen::service::testing {

struct RawAnswer {
    int status = 0;
    std::string head;  // status line and fields
    std::string body;
};

class RawConnection {
public:
    explicit RawConnection(int port);  // 127.0.0.1:port
    ~RawConnection();
    RawConnection(RawConnection&& other) noexcept;
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;
    RawConnection& operator=(RawConnection&&) = delete;

    bool connected() const { return fd_ >= 0; }
    // false once the server has closed its side.
    bool send(std::string_view bytes);
    // One answer with its Content-Length body; nullopt on close, reset or timeout.
    std::optional<RawAnswer> read_answer(std::chrono::milliseconds timeout);
    // Whether the server closes the connection (end of stream or reset) within timeout; bytes it
    // sends meanwhile are dropped.
    bool closed_within(std::chrono::milliseconds timeout);
    // Non-blocking: has the server closed it already?
    bool closed_now();

private:
    int fd_ = -1;
    std::string pending_;
};

// One GET on a fresh connection.
std::optional<RawAnswer> get_once(int port, std::string_view target, std::chrono::milliseconds timeout);

}  // namespace morvalen::service::testing
