#pragma once

#include <cstdint>
#include <cstdio>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "model/diagnostics.h"
#include "model/export_model.h"
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

// A file read a piece at a time as its text is used (the converter reads an export so): only
// the piece being converted is in memory, never the whole file. Opens and refuses as read_file
// does, looking at the start at once; a file that grows meanwhile is read to its end.
class FileInPieces final : public ArrivingText {
public:
    // Opens the file under the rules and reads its start; the reason when the rules refuse it.
    static std::expected<std::unique_ptr<FileInPieces>, FileError> open(
        const std::filesystem::path& path, const ReadRules& rules = {});
    FileInPieces(const FileInPieces&) = delete;
    FileInPieces& operator=(const FileInPieces&) = delete;
    ~FileInPieces() override;

    std::size_t read(char* data, std::size_t room) override;
    std::size_t expected_size() const override { return size_; }

    // The first bytes: the rules' start_size of them, or the whole file when it is shorter.
    std::string_view start() const { return start_; }
    // Reads the whole file and hands over its bytes; only before read() was called.
    std::expected<std::string, FileError> take_whole();
    // Once read() has answered 0: why the file could not be read to its end, if it could not.
    std::expected<void, FileError> finish() const;

private:
    FileInPieces(std::FILE* file, std::string name, std::uint64_t size, const ReadRules& rules);

    std::FILE* const file_;  // owned
    const std::string name_;
    const std::size_t size_;
    const ReadRules rules_;
    std::string start_;
    std::size_t start_handed_ = 0;  // bytes of start_ that read() has handed over
    std::uint64_t total_ = 0;       // bytes read from the file
    std::expected<void, FileError> result_;
};

}  // namespace qlx::conversion
