// The HTTP face of the service: an event-driven transport (Asio and Beast) with deadlines and a
// connection cap, handing each request to a small pool of handler threads.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "service/brief_service.h"
#include "service/page_files.h"

namespace morvalen::service {

struct ServerOptions {
    std::string host = "127.0.0.1";
    int port = 8017;  // 0 picks a free port
    // Event-loop threads; every connection stays on one of them.
    std::size_t io_threads = 2;
    // Handler threads; a request for a system being generated waits on one of them for a while.
    std::size_t threads = 8;
    // The whole head of a request must arrive within this, however slowly it trickles.
    std::chrono::milliseconds head_timeout{5000};
    // An idle kept-alive connection is closed after this.
    std::chrono::milliseconds keep_alive_timeout{5000};
    std::chrono::milliseconds write_timeout{5000};
    std::chrono::milliseconds linger_timeout{1000};
    // Connections served at once; beyond them a connection gets a quick 503. Lowered at bind() to
    // what the open-file limit leaves room for.
    std::size_t max_connections = 10000;
    // 503 answers in flight at once; beyond them a connection is closed without one.
    std::size_t max_refusals = 64;
    std::size_t max_head_bytes = 8192;
    // The field in which nginx names the player it forwards (the deployment's site sets it); it is
    // believed only from a loopback peer or from trusted_proxies. Empty: every client is its peer.
    std::string forwarded_client_field = "X-Real-IP";
    std::vector<std::string> trusted_proxies = {};  // addresses of nginx machines elsewhere
    // The browser page served at "/"; must outlive the server. Null serves none.
    const PageFiles* page_files = nullptr;
};

class HttpServer {
public:
    HttpServer(BriefService& service, ServerOptions options);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds the listening socket; returns the port, or -1 when it cannot bind.
    int bind();
    // Serves on the calling thread until stop(); returns false when serving failed. stop() before
    // run() makes run() return at once.
    bool run();
    void stop();
    bool running() const;

    // The cap in force after bind(), and the connections open now (served and refused).
    std::size_t connection_cap() const;
    std::size_t open_connections() const;

private:
    struct Transport;
    std::unique_ptr<Transport> transport_;
};

}  // namespace morvalen::service
