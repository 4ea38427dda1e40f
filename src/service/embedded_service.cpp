// Starting in-process: bind first, so the address is known and connections queue in the backlog
// even before the serving thread has entered its loop.
#include "service/embedded_service.h"

#include <chrono>
#include <cstdio>
#include <exception>

#include "service/brief_service.h"
#include "service/http_server.h"
#include "service/on_demand_systems.h"
#include "service/open_file_limit.h"
#include "service/store.h"

namespace morvalen::service {

std::unique_ptr<EmbeddedService> EmbeddedService::start(const std::string& database_path, bool brief_systems) {
    std::unique_ptr<EmbeddedService> embedded(new EmbeddedService());
    raise_open_file_limit();
    try {
        embedded->store_ = std::make_unique<Store>(database_path);
        embedded->service_ = std::make_unique<BriefService>(*embedded->store_);
        if (brief_systems) {
            // One player on the loopback: the budget that keeps a shared service fair would only
            // stand between the player and the machine's own generator.
            OnDemandOptions generation;
            generation.ration_clients = false;
            serve_brief_systems(*embedded->store_, *embedded->service_, generation);
        }
        ServerOptions options;
        options.host = "127.0.0.1";
        options.port = 0;
        options.threads = 8;
        options.io_threads = 1;  // the desktop program serves one player
        std::string page_error;
        embedded->page_ = PageFiles::load(MORVALEN_PAGE_DIR, page_error);
        options.page_files = &embedded->page_;
        embedded->server_ = std::make_unique<HttpServer>(*embedded->service_, options);
        embedded->port_ = embedded->server_->bind();
        if (embedded->port_ <= 0) return nullptr;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "morvalen: the embedded service cannot start: %s\n", error.what());
        return nullptr;
    }
    embedded->base_url_ = "http://127.0.0.1:" + std::to_string(embedded->port_);
    HttpServer* server = embedded->server_.get();
    auto* finished = &embedded->finished_;
    embedded->thread_ = std::thread([server, finished] {
        server->run();
        finished->store(true);
    });
    return embedded;
}

EmbeddedService::~EmbeddedService() {
    // The server hears stop() only once its loop runs, so an early destruction waits for that.
    while (server_ && thread_.joinable() && !server_->running() && !finished_.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (server_) server_->stop();
    if (thread_.joinable()) thread_.join();
}

}  // namespace morvalen::service
