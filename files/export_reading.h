#pragma once

#include <cstdint>
#include <cstdio>
#include <expected>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "model/diagnostics.h"
#include "model/progress.h"

// Reading a whole file or stream (an export, an RTF or text file) under limits: only what the
// rules allow is opened, nothing larger than they allow is read, and progress is reported.
namespace qlx::conversion {

// What read_file accepts.
struct ReadRules {
    // Pipes are read too (the converter); otherwise only regular files are (the viewer).
    bool pipes_too = false;
    // A file or stream longer than this is refused: far beyond any real export.
    std::uint64_t max_size = std::uint64_t{4} << 30;
    // When set, looks at the first `start_size` bytes (all of them, when there are fewer) as
    // soon as they are read: a reason it gives stops the reading, with that reason.
    std::function<std::string(std::string_view start)> check_start{};
    std::size_t start_size = 0;
};

// Reads a whole file, reporting Phase::loading progress. Opens the file for reading only;
// anything that is not a regular file (or a pipe, when the rules allow) is refused unread,
// with its kind in words as the reason.
std::expected<std::string, FileError> read_file(const std::filesystem::path& path,
                                                const Progress& progress = {},
                                                const ReadRules& rules = {});

// Reads the first `size` bytes of a file (fewer when the file is shorter), with the same
// checks as read_file.
std::expected<std::string, FileError> read_file_start(const std::filesystem::path& path,
                                                      std::size_t size,
                                                      const ReadRules& rules = {});

// Reads a stream to its end (the standard input, for instance); `name` names it in messages.
std::expected<std::string, FileError> read_stream(std::FILE* stream, std::string_view name,
                                                  const Progress& progress = {},
                                                  const ReadRules& rules = {});

}  // namespace qlx::conversion
