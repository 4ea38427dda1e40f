// morvalen_service: the line and brief-system service, and the operator's commands on its store.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>

#include "core/pages/list_page.h"
#include "service/brief_service.h"
#include "service/client_address.h"
#include "service/http_server.h"
#include "service/open_file_limit.h"
#include "service/on_demand_systems.h"
#include "service/command_table.h"
#include "service/store.h"

namespace morvalen::service {
namespace {

constexpr const char* default_database = "morvalen_service.db";

std::string usage() {
    std::string text =
        "usage: morvalen_service [--db FILE] [--listen ADDRESS] [--port N] [--page DIR] [--proxy ADDRESS]...\n"
        "                        [COMMAND ARGS...]\n"
        "Without a command it serves the store over HTTP (127.0.0.1:8017 by default):\n"
        "  GET /sttot/getbrief.ashx?line=1 | grant=G_ab | signat=N, /updmtz17.ini, /morvalen_trast.rar,\n"
        "  /morvalen_help.html, and the browser page at / from --page DIR (" MORVALEN_PAGE_DIR ").\n"
        "  A new database gets the demonstration line and the brief-system catalogue. New brief systems\n"
        "  are rationed per client; behind nginx on another machine, --proxy names that machine, whose\n"
        "  X-Real-IP then names the player (nginx on the loopback always is believed).\n"
        "Commands:\n";
    for (const auto& [name, command] : service_commands()) text += "  " + command.usage + "\n";
    return text;
}

int serve(CommandContext& ctx) {
    if (!ctx.args.empty()) throw CommandUsageError("serve takes no arguments");
    // Termination signals are taken by sigwait below, not by a handler inside the server's threads.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    raise_open_file_limit();

    Store store(ctx.database_path);
    if (store.seeded_demo_line()) ctx.out << "new database: the demonstration line is in place\n";
    BriefService service(store);
    serve_brief_systems(store, service);
    std::string page_error;
    const PageFiles page = PageFiles::load(ctx.page_folder, page_error);
    if (!page_error.empty()) {
        ctx.err << "morvalen_service: " << page_error << "\n";
        return 1;
    }
    ServerOptions options;
    options.host = ctx.listen_host;
    options.port = ctx.port;
    options.page_files = &page;
    options.trusted_proxies = ctx.proxies;
    HttpServer server(service, options);
    const int port = server.bind();
    if (port <= 0) {
        ctx.err << "morvalen_service: cannot listen on " << ctx.listen_host << ":" << ctx.port << "\n";
        return 1;
    }
    ctx.out << "morvalen_service: serving " << ctx.database_path << " on http://" << ctx.listen_host << ":" << port
            << "\n";
    if (!page.empty()) ctx.out << "morvalen_service: the page from " << ctx.page_folder << " at /\n";
    ctx.out << std::flush;
    std::atomic<bool> served{true};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        served = server.run();
        finished = true;
        // A server that failed on its own ends the wait below as a signal would.
        if (!served) kill(getpid(), SIGTERM);
    });
    int received = 0;
    sigwait(&signals, &received);
    // stop() is heard only once the loop runs.
    while (!server.running() && !finished) std::this_thread::yield();
    server.stop();
    worker.join();
    ctx.out << "morvalen_service: stopped\n";
    return served ? 0 : 1;
}

const ServiceCommandRegistration serve_command{
    "serve", {"serve                 serve the store over HTTP (the default)", serve}};

int run(int argc, char** argv) {
    CommandContext ctx{default_database, "127.0.0.1", 8017, {}, std::cout, std::cerr};
    std::string command;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const std::string& name) -> std::string {
            if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0)
                return arg.substr(name.size() + 1);
            if (i + 1 >= argc) throw CommandUsageError(name + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << usage();
            return 0;
        } else if (arg == "--db" || arg.starts_with("--db=")) {
            ctx.database_path = value("--db");
        } else if (arg == "--listen" || arg.starts_with("--listen=")) {
            ctx.listen_host = value("--listen");
        } else if (arg == "--port" || arg.starts_with("--port=")) {
            const std::string text = value("--port");
            const auto port = core::parse_int32(text);
            if (!port || *port < 0 || *port > 65535) throw CommandUsageError("--port takes 0 to 65535");
            ctx.port = *port;
        } else if (arg == "--page" || arg.starts_with("--page=")) {
            ctx.page_folder = value("--page");
        } else if (arg == "--proxy" || arg.starts_with("--proxy=")) {
            const std::string proxy = value("--proxy");
            if (!is_address(proxy)) throw CommandUsageError("--proxy takes an IPv4 or IPv6 address");
            ctx.proxies.push_back(proxy);
        } else if (command.empty() && !arg.starts_with("--")) {
            command = arg;
        } else if (!command.empty()) {
            // Options the program does not know belong to the command (build-catalogue --budget).
            ctx.args.push_back(arg);
        } else {
            throw CommandUsageError("unknown option " + arg);
        }
    }
    if (command.empty()) command = "serve";
    const auto found = service_commands().find(command);
    if (found == service_commands().end()) throw CommandUsageError("unknown command " + command);
    try {
        return found->second.run(ctx);
    } catch (const CommandUsageError& error) {
        throw CommandUsageError(std::string("usage: morvalen_service ") + error.what());
    }
}

}  // namespace
}  // namespace morvalen::service

int main(int argc, char** argv) {
    using namespace morvalen::service;
    try {
        return run(argc, argv);
    } catch (const CommandUsageError& error) {
        std::cerr << "morvalen_service: " << error.what() << "\n" << usage();
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "morvalen_service: " << error.what() << "\n";
        return 1;
    }
}
