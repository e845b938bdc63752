#include "files/saved_file.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

#include "files/names_and_reasons.h"
#include "files/platform_file.h"
#include "files/replacing_file.h"

namespace qlx::conversion {

namespace fs = std::filesystem;

namespace {

// Whether making a new file failed because the folder lets the user add nothing.
bool folder_refused(const FileError& error) {
    return error.code == std::errc::permission_denied ||
           error.code == std::errc::operation_not_permitted;
}

// Writes the file itself: emptied, written, written through to the disk. When it cannot be
// opened it is untouched, and `refused` (why the file could not be replaced) is the reason.
std::expected<void, SaveError> write_in_place(const fs::path& target, std::string_view bytes,
                                              const FileError& refused) {
    std::FILE* opened = platform::open_for_rewriting(target);
    if (opened == nullptr) {
        return std::unexpected(SaveError{refused, SaveProblem::not_written});
    }
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file(opened);
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    int error = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
        !platform::sync_file(file.get())) {
        error = errno;
    }
    if (std::fclose(file.release()) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        return std::unexpected(SaveError{{display_path(target), errno_reason(error),
                                          std::error_code(error, std::generic_category())},
                                         SaveProblem::left_incomplete});
    }
    return {};
}

}  // namespace

bool is_read_only(const fs::path& path) {
    return platform::is_read_only(path);
}

std::expected<void, SaveError> save_file(const fs::path& target, std::string_view bytes) {
    if (platform::is_read_only(target)) {
        return std::unexpected(
            SaveError{{display_path(target), "the file is read-only"}, SaveProblem::read_only});
    }
    auto file = ReplacingFile::create(target, {AtLink::follow, true});
    if (!file) {
        std::error_code ignored;
        if (folder_refused(file.error()) && fs::is_regular_file(fs::status(target, ignored))) {
            return write_in_place(target, bytes, file.error());
        }
        return std::unexpected(SaveError{file.error()});
    }
    if (auto written = file->write(bytes); !written) {
        return std::unexpected(SaveError{written.error()});
    }
    if (auto committed = file->commit(); !committed) {
        // (A folder open to all but sticky lets only a file's owner replace it.)
        if (folder_refused(committed.error())) {
            return write_in_place(target, bytes, committed.error());
        }
        return std::unexpected(SaveError{committed.error()});
    }
    return {};
}

}  // namespace qlx::conversion
