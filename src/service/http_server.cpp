// One event-loop thread owns every socket, so a slow client costs a descriptor and a few kilobytes,
// never a thread. Accept failures (out of descriptors above all) pause accepting instead of retrying
// at once, since the pending connection stays ready and an immediate retry would spin.
#include "service/http_server.h"

#include <atomic>
#include <cstdio>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/thread_pool.hpp>

#include "service/http_connection.h"
#include "service/http_response.h"
#include "service/http_routes.h"
#include "service/open_file_limit.h"

namespace morvalen::service {
namespace {

namespace asio = boost::asio;
using asio::ip::tcp;
using boost::system::error_code;

// Descriptors kept free of connections for the database, the refusals and the program around us.
constexpr std::size_t reserved_descriptors = 128;
constexpr auto accept_pause = std::chrono::milliseconds(100);

}  // namespace

struct HttpServer::Transport {
    Transport(BriefService& service, ServerOptions opts)
        : options(std::move(opts)), acceptor(io), accept_pause_timer(io), handlers(options.threads ? options.threads : 1) {
        shared.limits.head_timeout = options.head_timeout;
        shared.limits.keep_alive_timeout = options.keep_alive_timeout;
        shared.limits.write_timeout = options.write_timeout;
        shared.limits.linger_timeout = options.linger_timeout;
        shared.limits.max_head_bytes = options.max_head_bytes;
        shared.handlers = &handlers;
        shared.answer = [&service](std::string_view target) {
            try {
                return answer_request(service, target);
            } catch (const std::exception& error) {
                std::fprintf(stderr, "morvalen_service: %s\n", error.what());
            } catch (...) {
                std::fprintf(stderr, "morvalen_service: unknown error\n");
            }
            return transport_refusal(500, "internal error");
        };
        shared.answer_at_once = [&service](std::string_view target) -> std::optional<Reply> {
            try {
                return answer_at_once(service, target);
            } catch (...) {
                return std::nullopt;  // the handler thread answers it, and reports what went wrong
            }
        };
    }

    void accept_next() {
        acceptor.async_accept([this](const error_code& error, tcp::socket socket) {
            if (!acceptor.is_open()) return;
            if (error) {
                report_accept_failure(error);
                accept_pause_timer.expires_after(accept_pause);
                accept_pause_timer.async_wait([this](const error_code& waited) {
                    if (!waited) accept_next();
                });
                return;
            }
            error_code ignored;
            // Head and body go out in one write, but a kept-alive client must not wait on delayed ACKs.
            socket.set_option(tcp::no_delay(true), ignored);
            if (served.load() < cap) {
                ++served;
                std::make_shared<HttpConnection>(std::move(socket), shared, served)->serve();
            } else if (refusing.load() < options.max_refusals) {
                ++refusing;
                std::make_shared<HttpConnection>(std::move(socket), shared, refusing)->refuse();
            }
            // else: the socket closes here, the cheapest refusal of all.
            accept_next();
        });
    }

    void report_accept_failure(const error_code& error) {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_accept_report < std::chrono::seconds(10)) return;
        last_accept_report = now;
        std::fprintf(stderr, "morvalen_service: cannot accept a connection (%s); retrying shortly\n",
                     error.message().c_str());
    }

    ServerOptions options;
    // Declared before the io context: connections it destroys count themselves down here.
    std::atomic<std::size_t> served{0};
    std::atomic<std::size_t> refusing{0};
    std::size_t cap = 0;
    ConnectionShared shared;
    asio::io_context io{1};
    tcp::acceptor acceptor;
    asio::steady_timer accept_pause_timer;
    std::chrono::steady_clock::time_point last_accept_report{};
    // Declared after the io context so it is destroyed first: its queued work may hold connections.
    asio::thread_pool handlers;
    std::atomic<bool> bound{false};
    std::atomic<bool> stopped{false};
    std::atomic<bool> looping{false};
};

HttpServer::HttpServer(BriefService& service, ServerOptions options)
    : transport_(std::make_unique<Transport>(service, std::move(options))) {}

HttpServer::~HttpServer() {
    stop();
    transport_->handlers.stop();
    transport_->handlers.join();
}

int HttpServer::bind() {
    auto& t = *transport_;
    try {
        tcp::resolver resolver(t.io);
        const auto endpoints = resolver.resolve(t.options.host, std::to_string(t.options.port),
                                                tcp::resolver::passive | tcp::resolver::numeric_service);
        for (const auto& entry : endpoints) {
            error_code error;
            t.acceptor.open(entry.endpoint().protocol(), error);
            if (error) continue;
            t.acceptor.set_option(tcp::acceptor::reuse_address(true), error);
            t.acceptor.bind(entry.endpoint(), error);
            if (!error) t.acceptor.listen(asio::socket_base::max_listen_connections, error);
            if (!error) break;
            t.acceptor.close();
        }
    } catch (const std::exception&) {
        return -1;  // the host does not resolve
    }
    if (!t.acceptor.is_open()) return -1;
    const std::size_t limit = open_file_limit();
    const std::size_t room = limit > 2 * reserved_descriptors + t.options.max_refusals
                                 ? limit - reserved_descriptors - t.options.max_refusals
                                 : limit / 2;
    t.cap = std::min(t.options.max_connections, room);
    t.bound = true;
    return t.acceptor.local_endpoint().port();
}

bool HttpServer::run() {
    auto& t = *transport_;
    if (!t.bound) return false;
    t.looping = true;
    asio::post(t.io, [&t] { t.accept_next(); });
    while (!t.stopped) {
        try {
            t.io.run();
            break;
        } catch (const std::exception& error) {
            // A failure inside one connection's step (memory, most likely) must not end the service.
            std::fprintf(stderr, "morvalen_service: %s\n", error.what());
        }
    }
    t.looping = false;
    return true;
}

void HttpServer::stop() {
    auto& t = *transport_;
    t.stopped = true;
    t.io.stop();
}

bool HttpServer::running() const { return transport_->looping; }

std::size_t HttpServer::connection_cap() const { return transport_->cap; }

std::size_t HttpServer::open_connections() const { return transport_->served + transport_->refusing; }

}  // namespace morvalen::service
