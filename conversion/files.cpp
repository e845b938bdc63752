#include "conversion/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "conversion/driver.h"
#include "conversion/platform_file.h"

namespace qlx::conversion {

namespace fs = std::filesystem;

namespace {

std::string errno_reason(int error) { return std::generic_category().message(error); }

}  // namespace

std::string display_path(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

std::expected<fs::path, FileError> default_output_folder() {
#ifdef _WIN32
    return fs::path("c:\\temp");
#else
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/') {
        return fs::path(cache) / "qlx-viewer";
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return fs::path(home) / ".cache" / "qlx-viewer";
    }
    return std::unexpected(
        FileError{"~/.cache/qlx-viewer", "neither HOME nor XDG_CACHE_HOME is set"});
#endif
}

std::expected<void, FileError> prepare_output_folder(const fs::path& folder) {
    std::error_code error;
    if (fs::is_directory(folder, error)) {
        return {};
    }
    if (!fs::create_directories(folder, error) && error) {
        return std::unexpected(FileError{display_path(folder), error.message()});
    }
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
    if (error) {
        return std::unexpected(FileError{display_path(folder), error.message()});
    }
    return {};
}

fs::path document_path(const fs::path& folder, int number) {
    return folder / ("temp" + std::to_string(number) + ".rtf");
}

std::expected<std::string, FileError> read_file(const std::string& path, const Progress& progress) {
    const fs::path file_path(reinterpret_cast<const char8_t*>(path.c_str()));
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file_path, error);
    if (error) {
        return std::unexpected(FileError{path, error.message()});
    }
    std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "rb"),
                                                            &std::fclose);
    if (!file) {
        return std::unexpected(FileError{path, errno_reason(errno)});
    }
    // Read into a string of the file's size, so the text costs its size in memory once; a file
    // that grows meanwhile is still read to its end. The string is not filled beforehand, so
    // the first progress report comes after the first chunk, not after touching the whole size.
    constexpr std::size_t chunk = 1024 * 1024;
    bool cancelled = false;
    std::string text;
    text.resize_and_overwrite(static_cast<std::size_t>(size), [&](char* data, std::size_t length) {
        std::size_t done = 0;
        while (done < length) {
            const std::size_t got =
                std::fread(data + done, 1, std::min(chunk, length - done), file.get());
            done += got;
            if (got == 0) {
                break;
            }
            if (progress && !progress(Phase::loading, done, size)) {
                cancelled = true;
                break;
            }
        }
        return done;
    });
    if (cancelled) {
        return std::unexpected(FileError{path, "cancelled"});
    }
    char more[4096];
    for (std::size_t got; (got = std::fread(more, 1, sizeof more, file.get())) > 0;) {
        text.append(more, got);
    }
    if (std::ferror(file.get())) {
        return std::unexpected(FileError{path, errno_reason(errno)});
    }
    if (progress) {
        progress(Phase::loading, text.size(), text.size());
    }
    return text;
}

FolderSink::FolderSink(fs::path folder) : folder_(std::move(folder)) {}

FolderSink::~FolderSink() {
    // A document left unfinished by a failed conversion is removed rather than left cut short.
    if (file_) {
        file_.reset();
        std::error_code ignored;
        fs::remove(target_, ignored);
    }
}

FileError FolderSink::error_for(const fs::path& path) const {
    return {display_path(path), errno_reason(errno)};
}

std::expected<void, FileError> FolderSink::begin_document(int number) {
    target_ = document_path(folder_, number);
    file_.reset(open_for_replacing(target_));
    if (!file_) {
        return std::unexpected(error_for(target_));
    }
    // The writer hands over large blocks: no second buffer.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    return {};
}

std::expected<void, FileError> FolderSink::write(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
        return std::unexpected(error_for(target_));
    }
    return {};
}

std::expected<void, FileError> FolderSink::end_document() {
    const bool closed = std::fclose(file_.release()) == 0;
    if (!closed) {
        const FileError failure = error_for(target_);
        std::error_code ignored;
        fs::remove(target_, ignored);
        return std::unexpected(failure);
    }
    return {};
}

}  // namespace qlx::conversion
