// The HTTP face of the service on cpp-httplib: routes, limits and timeouts.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "service/brief_service.h"

namespace httplib {
class Server;
}

namespace morvalen::service {

struct ServerOptions {
    std::string host = "127.0.0.1";
    int port = 8017;  // 0 picks a free port
    std::size_t threads = 32;
    // A client that stalls holds a worker only this long.
    std::chrono::seconds read_timeout{5};
    std::chrono::seconds write_timeout{5};
    std::chrono::seconds keep_alive_timeout{2};
};

class HttpServer {
public:
    HttpServer(BriefService& service, ServerOptions options);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds the listening socket; returns the port, or -1 when it cannot bind.
    int bind();
    // Serves until stop(); returns false when serving failed.
    bool run();
    void stop();
    bool running() const;

private:
    BriefService& service_;
    ServerOptions options_;
    std::unique_ptr<httplib::Server> server_;
};

}  // namespace morvalen::service
