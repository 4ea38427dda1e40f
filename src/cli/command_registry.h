// Commands of morvalen_pack register themselves here, one source file per group of commands.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "cli/cli_context.h"

namespace morvalen::cli {

using CommandFunction = std::function<void(CliContext&)>;

std::map<std::string, CommandFunction>& command_registry();

struct CommandRegistration {
    CommandRegistration(const std::string& name, CommandFunction function) {
        command_registry()[name] = std::move(function);
    }
};

}  // namespace morvalen::cli
