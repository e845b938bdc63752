#include "files/replacing_file.h"

#include <cerrno>
#include <system_error>
#include <utility>

#include "files/names_and_reasons.h"
#include "files/platform_file.h"

namespace qlx::conversion {

namespace fs = std::filesystem;

namespace {

// Where a link named by the user leads; the link itself when it leads nowhere.
fs::path resolve_link(const fs::path& target) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(target, error))) {
        return target;
    }
    fs::path resolved = fs::canonical(target, error);
    return error ? target : resolved;
}

}  // namespace

std::expected<ReplacingFile, FileError> ReplacingFile::create(const fs::path& target,
                                                              Options options) {
    const fs::path resolved = options.at_link == AtLink::follow ? resolve_link(target) : target;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(resolved, error);
    if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_symlink(status)) {
        return std::unexpected(
            FileError{display_path(resolved), describe_file_type(status.type())});
    }
    std::FILE* file = nullptr;
    fs::path temporary;
    for (int attempt = 0; attempt < 100 && file == nullptr; ++attempt) {
        temporary = resolved;
        temporary.replace_filename("." + resolved.filename().string() + "-" + random_name_part() +
                                   ".part");
        file = platform::create_new_file(temporary);
        if (file == nullptr && errno != EEXIST) {
            break;
        }
    }
    if (file == nullptr) {
        const int failed = errno;
        return std::unexpected(FileError{display_path(resolved), errno_reason(failed),
                                         std::error_code(failed, std::generic_category())});
    }
    // The writes come in large blocks and each one's failure must show at once: no buffer.
    std::setvbuf(file, nullptr, _IONBF, 0);
    ReplacingFile replacing(resolved, std::move(temporary), file, options);
    if (options.at_link == AtLink::follow && fs::is_regular_file(status)) {
        // A file the user replaces keeps its owner and group, where the system allows it,
        // and who may read it (set last: a new owner clears some of the permissions).
        platform::take_owner(replacing.file_.get(), resolved);
        fs::permissions(replacing.temporary_, fs::status(resolved, error).permissions(),
                        fs::perm_options::replace, error);
    }
    return replacing;
}

ReplacingFile::ReplacingFile(fs::path target, fs::path temporary, std::FILE* file, Options options)
    : target_(std::move(target)),
      temporary_(std::move(temporary)),
      file_(file),
      options_(options) {}

ReplacingFile::ReplacingFile(ReplacingFile&& other) noexcept
    : target_(std::move(other.target_)),
      temporary_(std::exchange(other.temporary_, {})),
      file_(std::move(other.file_)),
      options_(other.options_) {}

ReplacingFile& ReplacingFile::operator=(ReplacingFile&& other) noexcept {
    if (this != &other) {
        discard();
        target_ = std::move(other.target_);
        temporary_ = std::exchange(other.temporary_, {});
        file_ = std::move(other.file_);
        options_ = other.options_;
    }
    return *this;
}

ReplacingFile::~ReplacingFile() {
    discard();
}

void ReplacingFile::discard() {
    file_.reset();
    if (!temporary_.empty()) {
        std::error_code ignored;
        fs::remove(std::exchange(temporary_, {}), ignored);
    }
}

FileError ReplacingFile::failure(int error) const {
    return {display_path(target_), errno_reason(error),
            std::error_code(error, std::generic_category())};
}

std::expected<void, FileError> ReplacingFile::write(std::string_view bytes) {
    if (!file_) {
        return std::unexpected(failure(EBADF));
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
        const FileError error = failure(errno);
        discard();
        return std::unexpected(error);
    }
    return {};
}

std::expected<void, FileError> ReplacingFile::commit() {
    if (!file_) {
        return std::unexpected(failure(EBADF));
    }
    if (options_.durable && !platform::sync_file(file_.get())) {
        const FileError error = failure(errno);
        discard();
        return std::unexpected(error);
    }
    if (std::fclose(file_.release()) != 0) {
        const FileError error = failure(errno);
        discard();
        return std::unexpected(error);
    }
    // Where the system can, the new file and what stands at the target swap names, and the
    // file replaced is removed after: a rename over a file would wait while the system writes
    // the new file out and frees the old one (ext4), which takes far longer than the writing.
    std::error_code error;
    if (platform::exchange_names(temporary_, target_)) {
        // The temporary name now stands for what was replaced. Anything but a file (a folder
        // put there meanwhile), or a file that cannot be removed, takes the target back.
        const fs::file_status replaced = fs::symlink_status(temporary_, error);
        if (fs::is_regular_file(replaced) || fs::is_symlink(replaced)) {
            fs::remove(temporary_, error);
        } else if (!error) {
            error = std::make_error_code(std::errc::is_a_directory);
        }
        if (error) {
            platform::exchange_names(temporary_, target_);
        }
    } else {
        fs::rename(temporary_, target_, error);
    }
    if (error) {
        discard();
        return std::unexpected(FileError{display_path(target_), error.message(), error});
    }
    temporary_.clear();
    return {};
}

std::expected<void, FileError> write_whole_file(const fs::path& target, std::string_view bytes,
                                                ReplacingFile::Options options) {
    auto file = ReplacingFile::create(target, options);
    if (!file) {
        return std::unexpected(file.error());
    }
    if (auto written = file->write(bytes); !written) {
        return written;
    }
    return file->commit();
}

}  // namespace qlx::conversion
