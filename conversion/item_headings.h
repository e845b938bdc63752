#pragma once

#include <string_view>

namespace qlx::conversion {

struct ConversionState;

// What opens an item, written when the driver meets its key line. Each takes the lines that
// belong to the key line and sets current_item_key to the key as written. start_procedure
// expects the driver to have begun the procedure's document.
void start_procedure(ConversionState& state, std::string_view key);
void start_report(ConversionState& state, std::string_view key);
void start_macro(ConversionState& state, std::string_view key);
void start_screen(ConversionState& state, std::string_view key);

}  // namespace qlx::conversion
