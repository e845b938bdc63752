#include "conversion/files.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <random>
#include <system_error>

#include "conversion/driver.h"
#include "conversion/platform_file.h"
#include "richtext/utf8.h"
#include "richtext/windows1252.h"

namespace qlx::conversion {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t read_chunk = 1024 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string too_large(std::uint64_t limit) {
    const std::string size = limit >= (1u << 20) ? std::to_string(limit >> 20) + " MB"
                                                 : std::to_string(limit) + " bytes";
    return "it is larger than " + size + ", far more than any export holds; it was not read";
}

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

// Reads what is left of a stream into `text`, in chunks, reporting progress against `total`
// (the expected size; 0 when unknown).
std::expected<void, FileError> read_rest(std::FILE* stream, std::string_view name,
                                         std::uint64_t total, std::string& text,
                                         const Progress& progress, const ReadRules& rules) {
    std::array<char, 64 * 1024> chunk;
    std::size_t reported = 0;
    bool start_checked = !rules.check_start || text.size() >= rules.start_size;
    for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), stream)) > 0;) {
        if (text.size() + got > rules.max_size) {
            return std::unexpected(FileError{std::string(name), too_large(rules.max_size)});
        }
        text.append(chunk.data(), got);
        if (!start_checked && text.size() >= rules.start_size) {
            start_checked = true;
            if (std::string reason = rules.check_start(text); !reason.empty()) {
                return std::unexpected(FileError{std::string(name), std::move(reason)});
            }
        }
        if (progress && text.size() - reported >= read_chunk) {
            reported = text.size();
            if (!progress(Phase::loading, text.size(),
                          std::max<std::uint64_t>(total, text.size()))) {
                return std::unexpected(FileError{std::string(name), "cancelled"});
            }
        }
    }
    if (std::ferror(stream)) {
        return std::unexpected(FileError{std::string(name), errno_reason(errno)});
    }
    if (!start_checked) {
        if (std::string reason = rules.check_start(text); !reason.empty()) {
            return std::unexpected(FileError{std::string(name), std::move(reason)});
        }
    }
    return {};
}

// Opens a file for reading under the rules; the error names it and says why in words.
std::expected<std::unique_ptr<std::FILE, FileCloser>, FileError> open_under_rules(
    const fs::path& path, const ReadRules& rules, fs::file_type& type) {
    std::unique_ptr<std::FILE, FileCloser> file(
        platform::open_for_reading(path, rules.pipes_too, type));
    if (!file) {
        const bool wrong_type = errno == EINVAL && type != fs::file_type::regular &&
                                type != fs::file_type::not_found && type != fs::file_type::unknown;
        return std::unexpected(FileError{
            display_path(path),
            wrong_type ? describe_file_type(type) + ", not a regular file" : errno_reason(errno)});
    }
    return file;
}

}  // namespace

std::string errno_reason(int error) {
    // A failure that left no code is still a failure: never "Success".
    return std::generic_category().message(error == 0 ? EIO : error);
}

void for_each_code_point(const fs::path& path,
                         const std::function<void(char32_t code, bool undecodable)>& visit) {
#ifdef _WIN32
    const std::wstring& wide = path.native();
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t code = wide[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (wide[++i] - 0xDC00);
        }
        visit(code, code >= 0xD800 && code <= 0xDFFF);
    }
#else
    const std::string& bytes = path.native();
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t from = pos;
        const char32_t code = richtext::next_code_point(bytes, pos);
        if (code == 0xFFFD && std::string_view(bytes).substr(from, 3) != "\xEF\xBF\xBD") {
            visit(0xDC00 + static_cast<unsigned char>(bytes[from]), true);
        } else {
            visit(code, false);
        }
    }
#endif
}

std::string display_path(const fs::path& path) {
    std::string text;
    for_each_code_point(path, [&text](char32_t code, bool undecodable) {
        richtext::append_utf8(text, undecodable ? 0xFFFD : code);
    });
    return text;
}

std::string describe_file_type(fs::file_type type) {
    switch (type) {
        case fs::file_type::directory:
            return "is a folder";
        case fs::file_type::fifo:
            return "is a pipe";
        case fs::file_type::character:
        case fs::file_type::block:
            return "is a device";
        case fs::file_type::socket:
            return "is a socket";
        case fs::file_type::symlink:
            return "is a link";
        case fs::file_type::not_found:
            return "does not exist";
        default:
            return "is not a regular file";
    }
}

std::string random_name_part() {
    static constexpr std::string_view letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
    std::string part(6, ' ');
    for (char& c : part) {
        c = letters[pick(engine)];
    }
    return part;
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

std::expected<std::string, FileError> read_stream(std::FILE* stream, std::string_view name,
                                                  const Progress& progress,
                                                  const ReadRules& rules) {
    std::string text;
    if (auto read = read_rest(stream, name, 0, text, progress, rules); !read) {
        return std::unexpected(read.error());
    }
    if (progress) {
        progress(Phase::loading, text.size(), text.size());
    }
    return text;
}

std::expected<std::string, FileError> read_file(const fs::path& path, const Progress& progress,
                                                const ReadRules& rules) {
    const std::string name = display_path(path);
    fs::file_type type = fs::file_type::none;
    auto file = open_under_rules(path, rules, type);
    if (!file) {
        return std::unexpected(file.error());
    }
    if (type != fs::file_type::regular) {
        return read_stream(file->get(), name, progress, rules);
    }
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) {
        return std::unexpected(FileError{name, error.message()});
    }
    if (size > rules.max_size) {
        return std::unexpected(FileError{name, too_large(rules.max_size)});
    }
    // Read into a string of the file's size, so the text costs its size in memory once; a file
    // that grows meanwhile is still read to its end. The string is not filled beforehand, so
    // the first progress report comes after the first chunk, not after touching the whole size.
    // The start is looked at once the first chunk is in (or the whole file, when shorter).
    std::string refused;
    bool start_checked = !rules.check_start;
    std::string text;
    text.resize_and_overwrite(static_cast<std::size_t>(size), [&](char* data, std::size_t length) {
        std::size_t done = 0;
        while (done < length) {
            const std::size_t got =
                std::fread(data + done, 1, std::min(read_chunk, length - done), file->get());
            done += got;
            if (!start_checked && (done >= rules.start_size || got == 0)) {
                start_checked = true;
                refused = rules.check_start(std::string_view(data, done));
                if (!refused.empty()) {
                    break;
                }
            }
            if (got == 0) {
                break;
            }
            if (progress && !progress(Phase::loading, done, size)) {
                refused = "cancelled";
                break;
            }
        }
        return done;
    });
    if (!refused.empty()) {
        return std::unexpected(FileError{name, std::move(refused)});
    }
    ReadRules rest_rules = rules;
    if (start_checked) {
        rest_rules.check_start = nullptr;
    }
    if (auto rest = read_rest(file->get(), name, size, text, progress, rest_rules); !rest) {
        return std::unexpected(rest.error());
    }
    if (progress) {
        progress(Phase::loading, text.size(), text.size());
    }
    return text;
}

std::expected<std::string, FileError> read_file_start(const fs::path& path, std::size_t size,
                                                      const ReadRules& rules) {
    fs::file_type type = fs::file_type::none;
    auto file = open_under_rules(path, rules, type);
    if (!file) {
        return std::unexpected(file.error());
    }
    std::string start(size, '\0');
    start.resize(std::fread(start.data(), 1, size, file->get()));
    if (std::ferror(file->get())) {
        return std::unexpected(FileError{display_path(path), errno_reason(errno)});
    }
    return start;
}

FolderSink::FolderSink(fs::path folder) : folder_(std::move(folder)) {}

std::expected<void, FileError> FolderSink::begin_document(int number) {
    file_.reset();
    auto file = ReplacingFile::create(document_path(folder_, number), {AtLink::replace, false});
    if (!file) {
        return std::unexpected(file.error());
    }
    file_.emplace(std::move(*file));
    return {};
}

std::expected<void, FileError> FolderSink::write(std::string_view bytes) {
    return file_->write(bytes);
}

std::expected<void, FileError> FolderSink::end_document() {
    auto committed = file_->commit();
    file_.reset();
    return committed;
}

std::expected<void, FileError> MemorySink::begin_document(int) {
    documents.emplace_back();
    return {};
}

std::expected<void, FileError> MemorySink::write(std::string_view bytes) {
    documents.back() += bytes;
    return {};
}

std::expected<void, FileError> MemorySink::end_document() {
    return {};
}

std::expected<void, FileError> CopyingSink::begin_document(int number) {
    documents.emplace_back();
    return next_.begin_document(number);
}

std::expected<void, FileError> CopyingSink::write(std::string_view bytes) {
    documents.back() += bytes;
    return next_.write(bytes);
}

std::expected<void, FileError> CopyingSink::end_document() {
    documents.back().shrink_to_fit();
    return next_.end_document();
}

}  // namespace qlx::conversion
