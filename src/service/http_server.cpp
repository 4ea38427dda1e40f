// A few event-loop threads own every socket, each connection staying on one of them, so a slow client
// costs a descriptor and a few kilobytes, never a thread.
#include "service/http_server.h"

#include <atomic>
#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
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
        : options(std::move(opts)),
          loops(make_loops(options.io_threads)),
          acceptor(*loops.front()),
          accept_pause_timer(*loops.front()),
          handlers(options.threads ? options.threads : 1) {
        // Each loop's reactor takes descriptors of its own; made now, not when descriptors may have run out.
        for (auto& loop : loops) {
            [[maybe_unused]] const tcp::socket reactor_made(*loop);
        }
        shared.limits.head_timeout = options.head_timeout;
        shared.limits.keep_alive_timeout = options.keep_alive_timeout;
        shared.limits.write_timeout = options.write_timeout;
        shared.limits.linger_timeout = options.linger_timeout;
        shared.limits.max_head_bytes = options.max_head_bytes;
        shared.handlers = &handlers;
        shared.forwarded_client_field = options.forwarded_client_field;
        shared.trusted_proxies = options.trusted_proxies;
        shared.answer = [&service](std::string_view target, std::string_view client) {
            try {
                return answer_request(service, target, client);
            } catch (const std::exception& error) {
                std::fprintf(stderr, "morvalen_service: %s\n", error.what());
            } catch (...) {
                std::fprintf(stderr, "morvalen_service: unknown error\n");
            }
            return transport_refusal(500, "internal error");
        };
        if (const PageFiles* page = options.page_files; page && !page->empty())
            shared.page = [page](std::string_view target, bool accepts_gzip) { return page->answer(target, accepts_gzip); };
        shared.answer_at_once = [&service](std::string_view target) -> std::optional<Reply> {
            try {
                return answer_at_once(service, target);
            } catch (...) {
                return std::nullopt;  // the handler thread answers it, and reports what went wrong
            }
        };
    }

    static std::vector<std::unique_ptr<asio::io_context>> make_loops(std::size_t count) {
        std::vector<std::unique_ptr<asio::io_context>> made;
        for (std::size_t i = 0; i < std::max<std::size_t>(count, 1); ++i) made.push_back(std::make_unique<asio::io_context>(1));
        return made;
    }

    void accept_next() {
        try {
            // Connections are dealt to the loops in turn; each lives on its loop's thread alone.
            asio::io_context& loop = *loops[next_loop++ % loops.size()];
            acceptor.async_accept(loop, [this, &loop](const error_code& error, tcp::socket socket) {
                if (!acceptor.is_open()) return;
                if (error) {
                    report_accept_failure(error.message());
                    pause_accepting();
                    return;
                }
                try {
                    take(loop, std::move(socket));
                } catch (const std::exception& failure) {
                    report_accept_failure(failure.what());  // the socket closes; serving goes on
                }
                accept_next();
            });
        } catch (const std::exception& failure) {
            report_accept_failure(failure.what());
            pause_accepting();
        }
    }

    // An accept that failed (out of descriptors above all) leaves the pending connection ready, so an
    // immediate retry would spin.
    void pause_accepting() {
        accept_pause_timer.expires_after(accept_pause);
        accept_pause_timer.async_wait([this](const error_code& waited) {
            if (!waited) accept_next();
        });
    }

    void take(asio::io_context& loop, tcp::socket socket) {
        error_code ignored;
        // Head and body go out in one write, but a kept-alive client must not wait on delayed ACKs.
        socket.set_option(tcp::no_delay(true), ignored);
        if (served.load() < cap) {
            ++served;
            auto connection = std::make_shared<HttpConnection>(std::move(socket), shared, served);
            asio::post(loop, [connection] { connection->serve(); });
        } else if (refusing.load() < options.max_refusals) {
            ++refusing;
            auto connection = std::make_shared<HttpConnection>(std::move(socket), shared, refusing);
            asio::post(loop, [connection] { connection->refuse(); });
        }
        // else: the socket closes here, the cheapest refusal of all.
    }

    void report_accept_failure(const std::string& reason) {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_accept_report < std::chrono::seconds(10)) return;
        last_accept_report = now;
        std::fprintf(stderr, "morvalen_service: cannot accept a connection (%s); retrying shortly\n",
                     reason.c_str());
    }

    ServerOptions options;
    // Declared before the loops: connections they destroy count themselves down here.
    std::atomic<std::size_t> served{0};
    std::atomic<std::size_t> refusing{0};
    std::size_t cap = 0;
    ConnectionShared shared;
    std::vector<std::unique_ptr<asio::io_context>> loops;
    std::size_t next_loop = 0;
    tcp::acceptor acceptor;
    asio::steady_timer accept_pause_timer;
    std::chrono::steady_clock::time_point last_accept_report{};
    // Declared after the loops so it is destroyed first: its queued work may hold connections.
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
        tcp::resolver resolver(*t.loops.front());
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
    asio::post(*t.loops.front(), [&t] { t.accept_next(); });
    const auto run_loop = [&t](asio::io_context& loop) {
        // Idle loops wait for connections instead of returning.
        const auto busy = asio::make_work_guard(loop);
        while (!t.stopped) {
            try {
                loop.run();
                break;
            } catch (const std::exception& error) {
                // A failure inside one connection's step (memory, most likely) must not end the service.
                std::fprintf(stderr, "morvalen_service: %s\n", error.what());
            }
        }
    };
    std::vector<std::thread> others;
    for (std::size_t i = 1; i < t.loops.size(); ++i) others.emplace_back(run_loop, std::ref(*t.loops[i]));
    run_loop(*t.loops.front());
    for (auto& other : others) other.join();
    t.looping = false;
    return true;
}

void HttpServer::stop() {
    auto& t = *transport_;
    t.stopped = true;
    for (auto& loop : t.loops) loop->stop();
}

bool HttpServer::running() const { return transport_->looping; }

std::size_t HttpServer::connection_cap() const { return transport_->cap; }

std::size_t HttpServer::open_connections() const { return transport_->served + transport_->refusing; }

}  // namespace morvalen::service
