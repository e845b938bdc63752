#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace qlx::cli {

struct ConvertOptions {
    std::string export_path;  // UTF-8
    // Where tempN.rtf go; the viewer's folder when empty.
    std::optional<std::filesystem::path> output_folder;
};

enum ExitCode : int { exit_ok = 0, exit_failure = 1, exit_usage = 2 };

// Converts one export into output_folder/temp1.rtf, temp2.rtf, ... Prints one line per
// document to `out` (its path, a TAB, its caption in UTF-8) and damage and failures to `err`.
int run_convert(const ConvertOptions& options, std::ostream& out, std::ostream& err);

}  // namespace qlx::cli
