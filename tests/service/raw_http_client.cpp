// Plain sockets and poll(), so the tests see exactly what the server does with each byte.
#include "raw_http_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace morvalen::service::testing {
namespace {

using Clock = std::chrono::steady_clock;

int remaining_ms(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

RawConnection::RawConnection(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

RawConnection::~RawConnection() {
    if (fd_ >= 0) ::close(fd_);
}

RawConnection::RawConnection(RawConnection&& other) noexcept : fd_(other.fd_), pending_(std::move(other.pending_)) {
    other.fd_ = -1;
}

bool RawConnection::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::optional<RawAnswer> RawConnection::read_answer(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const auto head_end = pending_.find("\r\n\r\n");
        if (head_end != std::string::npos) {
            RawAnswer answer;
            answer.head = pending_.substr(0, head_end + 2);
            answer.status = std::atoi(answer.head.c_str() + answer.head.find(' ') + 1);
            std::size_t length = 0;
            const auto field = answer.head.find("Content-Length: ");
            if (field != std::string::npos) length = std::strtoul(answer.head.c_str() + field + 16, nullptr, 10);
            if (pending_.size() >= head_end + 4 + length) {
                answer.body = pending_.substr(head_end + 4, length);
                pending_.erase(0, head_end + 4 + length);
                return answer;
            }
        }
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, remaining_ms(deadline)) <= 0) return std::nullopt;
        char buffer[4096];
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0) return std::nullopt;
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
}

bool RawConnection::closed_within(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        pollfd ready{fd_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, remaining_ms(deadline));
        if (polled <= 0) return false;
        char buffer[4096];
        if (::recv(fd_, buffer, sizeof buffer, 0) <= 0) return true;
    }
}

bool RawConnection::closed_now() {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0) return true;
        if (got < 0) return errno != EAGAIN && errno != EWOULDBLOCK;
    }
}

std::optional<RawAnswer> get_once(int port, std::string_view target, std::chrono::milliseconds timeout) {
    RawConnection connection(port);
    if (!connection.connected()) return std::nullopt;
    if (!connection.send("GET " + std::string(target) + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"))
        return std::nullopt;
    return connection.read_answer(timeout);
}

}  // namespace morvalen::service::testing
