// The command table and the file reading shared by the operator's commands.
#include "service/command_table.h"

#include <fstream>

namespace morvalen::service {

std::map<std::string, ServiceCommand>& service_commands() {
    static std::map<std::string, ServiceCommand> commands;
    return commands;
}

std::string read_file_capped(const std::string& path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::string content;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        if (content.size() + static_cast<std::size_t>(in.gcount()) > limit)
            throw std::runtime_error(path + " is larger than " + std::to_string(limit) + " bytes");
        content.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) throw std::runtime_error("cannot read " + path);
    return content;
}

}  // namespace morvalen::service
