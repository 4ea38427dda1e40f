// Routes are registered for the exact paths only: nothing here maps a request onto the file system.
#include "service/http_server.h"

#include <httplib.h>

#include <cstdio>

namespace morvalen::service {
namespace {

void send(httplib::Response& response, const Reply& reply) {
    response.status = reply.status;
    response.set_header("Cache-Control", "no-store");
    response.set_content(reply.body, reply.content_type.c_str());
}

// The raw query string as it came, for the length check.
std::size_t target_length(const httplib::Request& request) { return request.target.size(); }

}  // namespace

HttpServer::HttpServer(BriefService& service, ServerOptions options)
    : service_(service), options_(std::move(options)), server_(std::make_unique<httplib::Server>()) {
    auto& server = *server_;
    const std::size_t threads = options_.threads;
    server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    server.set_read_timeout(options_.read_timeout);
    server.set_write_timeout(options_.write_timeout);
    server.set_keep_alive_timeout(options_.keep_alive_timeout.count());
    server.set_keep_alive_max_count(1000);
    server.set_payload_max_length(4096);  // the service takes no request bodies
    // Headers and body go out in separate writes; without this, delayed ACKs stall keep-alive clients.
    server.set_tcp_nodelay(true);

    server.Get(std::string(brief_path), [this](const httplib::Request& request, httplib::Response& response) {
        // The raw target, not the library's parsed map, which folds repeated pairs together.
        const auto params = query_params(request.target);
        if (!params) {
            send(response, bad_request("malformed escape in the query"));
            return;
        }
        send(response, service_.brief(*params, target_length(request)));
    });
    for (const char* path : {"/updmtz17.ini", "/morvalen_trast.rar", "/morvalen_help.html"}) {
        server.Get(path, [this, name = std::string(path + 1)](const httplib::Request&, httplib::Response& response) {
            send(response, service_.update(name));
        });
    }
    server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) return;
        const char* text = response.status == 404 ? "not found\n" : response.status == 400 ? "bad request\n"
                                                                                             : "request refused\n";
        response.set_content(text, "text/plain; charset=utf-8");
    });
    server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr error) {
        std::string what = "unknown error";
        try {
            if (error) std::rethrow_exception(error);
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
        std::fprintf(stderr, "morvalen_service: %s\n", what.c_str());
        response.status = 500;
        response.set_content("internal error\n", "text/plain; charset=utf-8");
    });
}

HttpServer::~HttpServer() { stop(); }

int HttpServer::bind() {
    if (options_.port == 0) return server_->bind_to_any_port(options_.host);
    return server_->bind_to_port(options_.host, options_.port) ? options_.port : -1;
}

bool HttpServer::run() { return server_->listen_after_bind(); }

void HttpServer::stop() {
    if (server_) server_->stop();
}

bool HttpServer::running() const { return server_->is_running(); }

}  // namespace morvalen::service
