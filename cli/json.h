#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// JSON strings for the commands' --json output, quotes included.
namespace qlx::cli {

// A JSON string of UTF-8 text.
std::string json_string(std::string_view utf8);

// A JSON string of a path, exact: what has no Unicode reading is written as the surrogate
// that stands for it (see for_each_code_point), which Python's json and os.fsencode turn
// back into the name's bytes.
std::string json_path(const std::filesystem::path& path);

}  // namespace qlx::cli
