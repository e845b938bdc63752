#include "files/output_folders.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <system_error>
#include <vector>

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

bool is_lower_alphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
}

// Whether a name is what a write of a document cut short leaves: ".temp1.rtf-k3x9qa.part".
bool is_leftover_name(std::string_view name) {
    constexpr std::string_view end = ".part";
    constexpr std::size_t random_size = 6;
    if (!name.starts_with('.') || !name.ends_with(end) ||
        name.size() < 1 + random_size + 1 + end.size()) {
        return false;
    }
    const std::string_view random =
        name.substr(name.size() - end.size() - random_size, random_size);
    const std::string_view document = name.substr(1, name.size() - end.size() - random_size - 2);
    return name[name.size() - end.size() - random_size - 1] == '-' &&
           std::ranges::all_of(random, is_lower_alphanumeric) && is_document_name(document);
}

// The program's files in a folder: the conversion's documents and what writes cut short
// left of them, regular files all. Empty when anything else stands there too.
std::vector<fs::path> only_documents(const fs::path& folder) {
    std::vector<fs::path> documents;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        const std::string name = display_path(entry.path().filename());
        std::error_code ignored;
        if (entry.is_symlink(ignored) || !entry.is_regular_file(ignored) ||
            !(is_document_name(name) || is_leftover_name(name))) {
            return {};
        }
        documents.push_back(entry.path());
    }
    return error ? std::vector<fs::path>() : documents;
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

bool is_document_name(std::string_view name) {
    constexpr std::string_view start = "temp";
    if (!name.starts_with(start)) {
        return false;
    }
    name.remove_prefix(start.size());
    const std::size_t digits = name.find_first_not_of("0123456789");
    if (digits == 0 || digits == std::string_view::npos || name.front() == '0') {
        return false;
    }
    const std::string_view extension = name.substr(digits);
    return extension == ".rtf" || extension == ".txt" || extension == ".html";
}

void remove_old_conversion_folders(const fs::path& viewer_folder, fs::file_time_type cutoff) {
    std::error_code error;
    fs::directory_iterator entries(viewer_folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        std::error_code ignored;
        if (!is_conversion_folder_name(display_path(entry.path().filename())) ||
            !entry.is_directory(ignored) || entry.is_symlink(ignored) ||
            entry.last_write_time(ignored) >= cutoff) {
            continue;
        }
        const std::vector<fs::path> documents = only_documents(entry.path());
        if (documents.empty() && !fs::is_empty(entry.path(), ignored)) {
            continue;  // something of the user's is there: all of it stays
        }
        for (const fs::path& document : documents) {
            fs::remove(document, ignored);
        }
        // Only once empty: a file put there meanwhile keeps the folder.
        fs::remove(entry.path(), ignored);
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
