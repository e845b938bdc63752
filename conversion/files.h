#pragma once

#include <cstdio>
#include <expected>
#include <filesystem>
#include <memory>
#include <string>

#include "conversion/diagnostics.h"
#include "conversion/document_writer.h"

namespace qlx::conversion {

// The folder converted documents are written to: "c:\temp" on Windows; elsewhere a per-user
// cache folder ($XDG_CACHE_HOME/qlx-viewer or ~/.cache/qlx-viewer).
std::expected<std::filesystem::path, FileError> default_output_folder();

// Creates the folder (and its parents) when it does not exist; a folder it creates can be
// opened by its owner only.
std::expected<void, FileError> prepare_output_folder(const std::filesystem::path& folder);

// The path of document n in a folder: folder/temp<n>.rtf.
std::filesystem::path document_path(const std::filesystem::path& folder, int number);

// Writes document n to folder/temp<n>.rtf, replacing an existing file; a symbolic link planted
// in its place is replaced by a new file, never written through.
class FolderSink : public DocumentSink {
public:
    explicit FolderSink(std::filesystem::path folder);
    ~FolderSink() override;

    std::expected<void, FileError> begin_document(int number) override;
    std::expected<void, FileError> write(std::string_view bytes) override;
    std::expected<void, FileError> end_document() override;

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    FileError error_for(const std::filesystem::path& path) const;

    std::filesystem::path folder_;
    std::filesystem::path target_;
    std::unique_ptr<std::FILE, FileCloser> file_;
};

// UTF-8 text of a path, for messages.
std::string display_path(const std::filesystem::path& path);

}  // namespace qlx::conversion
