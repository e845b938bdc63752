#include "files/output_folders.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "files/names_and_reasons.h"
#include "files/platform_file.h"

namespace qlx::conversion {

namespace fs = std::filesystem;

namespace {

// Whether a name is one that make_conversion_folder gives: 20261207-143005-k3x9qa.
bool is_conversion_folder_name(const std::string& name) {
    constexpr std::string_view shape = "dddddddd-dddddd-aaaaaa";
    if (name.size() != shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const char c = name[i];
        const bool digit = c >= '0' && c <= '9';
        const bool fits = shape[i] == 'd'   ? digit
                          : shape[i] == 'a' ? digit || (c >= 'a' && c <= 'z')
                                            : c == shape[i];
        if (!fits) {
            return false;
        }
    }
    return true;
}

std::string utc_stamp(std::chrono::system_clock::time_point now) {
    const auto day = std::chrono::floor<std::chrono::days>(now);
    const std::chrono::year_month_day date(day);
    const std::chrono::hh_mm_ss time(std::chrono::floor<std::chrono::seconds>(now - day));
    const auto two = [](long long value) {
        return (value < 10 ? "0" : "") + std::to_string(value);
    };
    return std::to_string(static_cast<int>(date.year())) +
           two(static_cast<unsigned>(date.month())) + two(static_cast<unsigned>(date.day())) + "-" +
           two(time.hours().count()) + two(time.minutes().count()) +
           two(static_cast<long long>(time.seconds().count()));
}

}  // namespace

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
    const fs::file_status status = fs::status(folder, error);
    if (fs::is_directory(status)) {
        return {};
    }
    if (fs::exists(status)) {
        return std::unexpected(
            FileError{display_path(folder), describe_file_type(status.type()) + ", not a folder"});
    }
    if (fs::is_symlink(fs::symlink_status(folder, error))) {
        return std::unexpected(
            FileError{display_path(folder), "the output folder is a broken link"});
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

void remove_old_conversion_folders(const fs::path& viewer_folder, fs::file_time_type cutoff) {
    std::error_code error;
    fs::directory_iterator entries(viewer_folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        std::error_code ignored;
        if (is_conversion_folder_name(entry.path().filename().string()) &&
            entry.is_directory(ignored) && !entry.is_symlink(ignored) &&
            entry.last_write_time(ignored) < cutoff) {
            fs::remove_all(entry.path(), ignored);
        }
    }
}

std::expected<fs::path, FileError> make_conversion_folder(const fs::path& viewer_folder) {
    if (auto prepared = prepare_output_folder(viewer_folder); !prepared) {
        return std::unexpected(prepared.error());
    }
    remove_old_conversion_folders(viewer_folder,
                                  fs::file_time_type::clock::now() - conversion_folder_lifetime);
    const std::string stamp = utc_stamp(std::chrono::system_clock::now());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path folder = viewer_folder / (stamp + "-" + random_name_part());
        if (platform::create_private_folder(folder)) {
            return folder;
        }
        if (errno != EEXIST) {
            return std::unexpected(FileError{display_path(folder), errno_reason(errno)});
        }
    }
    return std::unexpected(FileError{display_path(viewer_folder), errno_reason(EEXIST)});
}

fs::path document_path(const fs::path& folder, int number) {
    return folder / ("temp" + std::to_string(number) + ".rtf");
}

}  // namespace qlx::conversion
