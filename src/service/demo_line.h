// The demonstration line that a new database gets, built into the program from data/demo-line.json.
#pragma once

#include <string_view>

#include "service/line_store.h"

namespace morvalen::service {

std::string_view demo_line_json();
DrawLine demo_line();

}  // namespace morvalen::service
