#include "files/export_reading.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>

#include "files/names_and_reasons.h"
#include "files/platform_file.h"

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
        platform::prefer_large_pages(data, length);
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

}  // namespace qlx::conversion
