#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

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

// A whole file read on a thread of its own while what has arrived of it is already used: the
// converter converts the start of an export while the rest is read. Reads as read_file does
// (a pipe whole before any of it arrives); a file that grows meanwhile is read to its end.
class FileReadAhead final : public ArrivingText {
public:
    // Opens the file under the rules and starts reading it; returns once the start has been
    // looked at, with the reason when the rules refuse the file.
    static std::expected<std::unique_ptr<FileReadAhead>, FileError> open(
        const std::filesystem::path& path, const ReadRules& rules = {});
    FileReadAhead(const FileReadAhead&) = delete;
    FileReadAhead& operator=(const FileReadAhead&) = delete;
    // Stops the reading at its next chunk and waits for it.
    ~FileReadAhead() override;

    Arrived wait_beyond(std::size_t have) override;
    std::size_t expected_size() const override { return size_; }

    // Waits for the whole file and hands over its bytes; only while no view of them is held.
    std::expected<std::string, FileError> take_whole();
    // Waits for the end of the reading: why the file could not be read whole, if it could not.
    std::expected<void, FileError> finish();

private:
    FileReadAhead(std::FILE* file, std::string name, std::filesystem::file_type type,
                  std::uint64_t size, const ReadRules& rules);
    void run();
    std::expected<void, FileError> read_regular();
    // Makes the first `size` bytes at `data` the text arrived so far; true to go on reading.
    bool publish(const char* data, std::size_t size, bool start_checked);

    std::FILE* const file_;  // owned
    const std::string name_;
    const std::filesystem::file_type type_;
    const std::size_t size_;
    const ReadRules rules_;
    std::string bytes_;  // the file as its size was when opened, filled in place
    std::string grown_;  // the whole file, when it grew while it was read
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string_view arrived_;
    bool start_checked_ = false;
    bool stopping_ = false;
    std::optional<std::expected<void, FileError>> result_;  // once the reading is over
    std::thread reader_;  // last: it starts once the rest is made
};

}  // namespace qlx::conversion
