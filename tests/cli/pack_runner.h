// Runs morvalen_pack as a child process with a given standard input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace morvalen::test {

struct PackResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string pack_binary() {
    const char* dir = std::getenv("MORVALEN_BINARY_DIR");
    return std::string(dir ? dir : ".") + "/src/cli/morvalen_pack";
}

inline std::string read_whole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// args are passed through a shell, quoted with single quotes.
inline PackResult run_pack(const std::string& args, const std::string& input) {
    char dir_template[] = "/tmp/morvalen_pack_XXXXXX";
    const std::string dir = mkdtemp(dir_template);
    { std::ofstream(dir + "/in", std::ios::binary) << input; }
    const std::string command = pack_binary() + " " + args + " < " + dir + "/in > " + dir + "/out 2> " + dir + "/err";
    const int raw = std::system(command.c_str());
    PackResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = read_whole(dir + "/out");
    result.err = read_whole(dir + "/err");
    std::system(("rm -rf " + dir).c_str());
    return result;
}

}  // namespace morvalen::test
