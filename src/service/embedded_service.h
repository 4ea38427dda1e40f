// The service started inside the desktop program on an ephemeral loopback port.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "service/page_files.h"

namespace morvalen::service {

class Store;
class BriefService;
class HttpServer;

class EmbeddedService {
public:
    // Opens (or creates) the database and serves it on 127.0.0.1 in a background thread. An empty
    // path gives an in-memory store holding the demonstration line. nullptr when it cannot start.
    // With brief_systems, a store without systems gets the shipped catalogue and missing systems
    // are generated on demand.
    static std::unique_ptr<EmbeddedService> start(const std::string& database_path, bool brief_systems = false);

    // "http://127.0.0.1:PORT", no trailing "/".
    const std::string& base_url() const { return base_url_; }
    int port() const { return port_; }
    // For callers that add systems or hooks (tests, on-demand generation).
    BriefService& service() { return *service_; }
    Store& store() { return *store_; }

    ~EmbeddedService();
    EmbeddedService(const EmbeddedService&) = delete;
    EmbeddedService& operator=(const EmbeddedService&) = delete;

private:
    EmbeddedService() = default;

    std::unique_ptr<Store> store_;
    std::unique_ptr<BriefService> service_;
    // The browser page, when the package installed it: the player can open the tool in a browser too.
    PageFiles page_;
    std::unique_ptr<HttpServer> server_;
    std::atomic<bool> finished_{false};
    std::thread thread_;
    std::string base_url_;
    int port_ = 0;
};

}  // namespace morvalen::service
