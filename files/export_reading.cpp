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

// Fills [data, data + length) from the file, a chunk at a time, and tells `arrived` of each
// chunk (the bytes read so far); it says whether to go on. The start is looked at once it is in
// (or all the file is, when shorter), unless `start_checked` already. Returns the bytes read;
// `refused` says why the reading stopped before the end, "cancelled" when `arrived` said so.
std::size_t read_chunks(std::FILE* file, char* data, std::size_t length, const ReadRules& rules,
                        std::string& refused, bool& start_checked,
                        const std::function<bool(std::size_t)>& arrived) {
    std::size_t done = 0;
    while (done < length) {
        const std::size_t got =
            std::fread(data + done, 1, std::min(read_chunk, length - done), file);
        if (got == 0) {
            break;
        }
        done += got;
        if (!start_checked && done >= rules.start_size) {
            start_checked = true;
            refused = rules.check_start(std::string_view(data, done));
            if (!refused.empty()) {
                return done;
            }
        }
        if (!arrived(done)) {
            refused = "cancelled";
            return done;
        }
    }
    if (!start_checked) {
        start_checked = true;
        refused = rules.check_start(std::string_view(data, done));
    }
    return done;
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

struct OpenedFile {
    std::unique_ptr<std::FILE, FileCloser> file;
    fs::file_type type = fs::file_type::none;
    std::uint64_t size = 0;  // of a regular file, when opened
};

// Opens a file for reading under the rules, and learns the size of a regular one (refused when
// larger than they allow).
std::expected<OpenedFile, FileError> open_sized(const fs::path& path, const ReadRules& rules) {
    OpenedFile opened;
    auto file = open_under_rules(path, rules, opened.type);
    if (!file) {
        return std::unexpected(file.error());
    }
    opened.file = std::move(*file);
    if (opened.type != fs::file_type::regular) {
        return opened;
    }
    std::error_code error;
    opened.size = fs::file_size(path, error);
    if (error) {
        return std::unexpected(FileError{display_path(path), error.message()});
    }
    if (opened.size > rules.max_size) {
        return std::unexpected(FileError{display_path(path), too_large(rules.max_size)});
    }
    return opened;
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
    auto opened = open_sized(path, rules);
    if (!opened) {
        return std::unexpected(opened.error());
    }
    auto& [file, type, size] = *opened;
    if (type != fs::file_type::regular) {
        return read_stream(file.get(), name, progress, rules);
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
        return read_chunks(
            file.get(), data, length, rules, refused, start_checked,
            [&](std::size_t done) { return !progress || progress(Phase::loading, done, size); });
    });
    if (!refused.empty()) {
        return std::unexpected(FileError{name, std::move(refused)});
    }
    ReadRules rest_rules = rules;
    if (start_checked) {
        rest_rules.check_start = nullptr;
    }
    if (auto rest = read_rest(file.get(), name, size, text, progress, rest_rules); !rest) {
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

std::expected<std::unique_ptr<FileInPieces>, FileError> FileInPieces::open(const fs::path& path,
                                                                           const ReadRules& rules) {
    auto opened = open_sized(path, rules);
    if (!opened) {
        return std::unexpected(opened.error());
    }
    std::unique_ptr<FileInPieces> reading(
        new FileInPieces(opened->file.release(), display_path(path), opened->size, rules));
    // Each piece asked for is read straight into the reader's buffer.
    std::setvbuf(reading->file_, nullptr, _IONBF, 0);
    std::string& start = reading->start_;
    start.resize(rules.start_size);
    start.resize(std::fread(start.data(), 1, start.size(), reading->file_));
    reading->total_ = start.size();
    if (std::ferror(reading->file_)) {
        return std::unexpected(FileError{reading->name_, errno_reason(errno)});
    }
    if (rules.check_start) {
        if (std::string reason = rules.check_start(start); !reason.empty()) {
            return std::unexpected(FileError{reading->name_, std::move(reason)});
        }
    }
    if (opened->type == fs::file_type::regular) {
        platform::read_ahead(reading->file_);
    }
    return reading;
}

FileInPieces::FileInPieces(std::FILE* file, std::string name, std::uint64_t size,
                           const ReadRules& rules)
    : file_(file), name_(std::move(name)), size_(static_cast<std::size_t>(size)), rules_(rules) {}

FileInPieces::~FileInPieces() {
    std::fclose(file_);
}

std::size_t FileInPieces::read(char* data, std::size_t room) {
    if (start_handed_ < start_.size()) {
        const std::size_t handed = std::min(room, start_.size() - start_handed_);
        std::copy_n(start_.data() + start_handed_, handed, data);
        start_handed_ += handed;
        return handed;
    }
    if (!result_) {
        return 0;
    }
    const std::size_t got = std::fread(data, 1, room, file_);
    if (got == 0 && std::ferror(file_)) {
        result_ = std::unexpected(FileError{name_, errno_reason(errno)});
    }
    total_ += got;
    if (total_ > rules_.max_size) {
        result_ = std::unexpected(FileError{name_, too_large(rules_.max_size)});
        return 0;
    }
    return got;
}

std::expected<std::string, FileError> FileInPieces::take_whole() {
    std::string text = std::move(start_);
    start_.clear();
    ReadRules rest_rules = rules_;
    rest_rules.check_start = nullptr;
    if (auto rest = read_rest(file_, name_, size_, text, {}, rest_rules); !rest) {
        return std::unexpected(rest.error());
    }
    return text;
}

std::expected<void, FileError> FileInPieces::finish() const {
    return result_;
}

}  // namespace qlx::conversion
