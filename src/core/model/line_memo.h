// The memo of the batch tool and the page: the list's text form as plain lines.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/model/session.h"

namespace morvalen::core {

class LineMemo : public MemoSink {
public:
    std::vector<std::string> lines;
    void append_line(const std::string& line) override { lines.push_back(line); }
    void replace_all(const std::vector<std::string>& new_lines) override { lines = new_lines; }
    void remove_line(std::size_t index) override { lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(index)); }
};

}  // namespace morvalen::core
