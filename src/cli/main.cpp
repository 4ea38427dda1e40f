// morvalen_pack: the batch face of the core. COMMAND [OPTIONS] < package > result
#include <cstdio>
#include <iostream>
#include <iterator>
#include <sstream>

#include "cli/command_registry.h"
#include "cli/options.h"
#include "core/model/bet.h"
#include "core/formats/cp1251.h"

namespace morvalen::cli {

std::map<std::string, CommandFunction>& command_registry() {
    static std::map<std::string, CommandFunction> registry;
    return registry;
}

namespace {

std::string usage() {
    std::string text = "usage: morvalen_pack COMMAND [OPTIONS] < package.txt > result.txt\ncommands:";
    for (const auto& [name, function] : command_registry()) text += " " + name;
    return text + "\n";
}

int run(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << usage();
        return 2;
    }
    const std::string command = argv[1];
    if (command == "--help" || command == "-h") {
        std::cout << usage();
        return 0;
    }
    const auto found = command_registry().find(command);
    if (found == command_registry().end()) {
        std::cerr << "morvalen_pack: неизвестная команда \"" << command << "\"\n" << usage();
        return 2;
    }
    CliContext ctx;
    ctx.command_name = command;
    try {
        parse_options(std::vector<std::string>(argv + 2, argv + argc), ctx);
        apply_settings(ctx);
        std::ostringstream raw;
        raw << std::cin.rdbuf();
        const std::string input = core::decode_utf8_or_cp1251(raw.str());
        for (std::string_view line : core::memo_lines(input)) ctx.memo.lines.emplace_back(line);
        ctx.session.bets.reserve(ctx.memo.lines.size());
        for (const std::string& line : ctx.memo.lines) ctx.session.bets.push_back(core::parse_bet_line(line));
        ctx.session.memo = &ctx.memo;
        found->second(ctx);
    } catch (const UsageError& error) {
        std::cerr << "morvalen_pack " << command << ": " << error.what() << "\n";
        return 2;
    } catch (const OperationError& error) {
        std::cerr << "morvalen_pack " << command << ": " << error.what() << "\n";
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "morvalen_pack " << command << ": Нехватка оперативной памяти\n";
        return 1;
    }
    std::fwrite(ctx.output.data(), 1, ctx.output.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace
}  // namespace morvalen::cli

int main(int argc, char** argv) { return morvalen::cli::run(argc, argv); }
