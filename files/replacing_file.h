#pragma once

#include <cstdio>
#include <expected>
#include <filesystem>
#include <memory>
#include <string_view>

#include "model/diagnostics.h"

namespace qlx::conversion {

// What stands at the target when it is a symbolic link.
enum class AtLink {
    replace,  // the link itself is replaced by the new file (files the program makes)
    follow,   // the file the link leads to is replaced (files the user names)
};

// A file written whole or not at all. The bytes go into a new file beside the target, which
// takes the target's name only once every byte is written and the file is closed; until then
// the target is untouched, and a failure or a destruction before commit() removes the new
// file. An existing file is never written into, so neither its other names (hard links) nor
// a file being read under that name are ever changed.
class ReplacingFile {
public:
    struct Options {
        AtLink at_link = AtLink::replace;
        // Write the data through to the disk before the file takes the name.
        bool durable = false;
    };

    static std::expected<ReplacingFile, FileError> create(const std::filesystem::path& target,
                                                          Options options);
    ReplacingFile(ReplacingFile&&) noexcept;
    ReplacingFile& operator=(ReplacingFile&&) noexcept;
    ~ReplacingFile();

    std::expected<void, FileError> write(std::string_view bytes);
    // Puts the file in place of the target. After a failure the target is as it was.
    std::expected<void, FileError> commit();

    const std::filesystem::path& target() const { return target_; }

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    ReplacingFile(std::filesystem::path target, std::filesystem::path temporary, std::FILE* file,
                  Options options);
    FileError failure(int error) const;
    void discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    Options options_;
};

// Writes a whole file with ReplacingFile.
std::expected<void, FileError> write_whole_file(const std::filesystem::path& target,
                                                std::string_view bytes,
                                                ReplacingFile::Options options);

}  // namespace qlx::conversion
