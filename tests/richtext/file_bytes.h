#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace qlx::testing {

// The whole content of a file; empty when it cannot be read.
inline std::string file_bytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

}  // namespace qlx::testing
