// Commands of morvalen_service register themselves here, one *_commands.cpp file per group.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace morvalen::service {

struct CommandContext {
    std::string database_path;
    std::string listen_host;
    int port = 0;
    std::vector<std::string> args;  // the command's own arguments
    std::ostream& out;
    std::ostream& err;
    // The browser page's folder, served at "/" when it exists.
    std::string page_folder = MORVALEN_PAGE_DIR;
    // Addresses of the nginx machines whose X-Real-IP names the player (the loopback always is one).
    std::vector<std::string> proxies = {};
};

// A wrong use of a command: exit status 2 and the usage line.
class CommandUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ServiceCommand {
    std::string usage;  // "import-line FILE: ..."
    std::function<int(CommandContext&)> run;
};

std::map<std::string, ServiceCommand>& service_commands();

struct ServiceCommandRegistration {
    ServiceCommandRegistration(const std::string& name, ServiceCommand command) {
        service_commands()[name] = std::move(command);
    }
};

// Reads a whole file, refusing one larger than limit bytes.
std::string read_file_capped(const std::string& path, std::size_t limit);

}  // namespace morvalen::service
