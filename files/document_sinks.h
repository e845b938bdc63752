#pragma once

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/replacing_file.h"
#include "model/document_writer.h"

// Where a conversion's documents go: files in a folder, memory, or both.
namespace qlx::conversion {

// Writes document n to folder/temp<n>.rtf. Each document replaces what stood under its name
// only once it is written whole (see ReplacingFile): a link, a file with other names, or the
// export itself standing there is never written into.
class FolderSink : public DocumentSink {
public:
    explicit FolderSink(std::filesystem::path folder);

    std::expected<void, FileError> begin_document(int number) override;
    std::expected<void, FileError> write(std::string_view bytes) override;
    std::expected<void, FileError> end_document() override;

private:
    std::filesystem::path folder_;
    std::optional<ReplacingFile> file_;
};

// Keeps every document in memory and nothing else; documents[0] is document 1.
class MemorySink : public DocumentSink {
public:
    std::expected<void, FileError> begin_document(int number) override;
    std::expected<void, FileError> write(std::string_view bytes) override;
    std::expected<void, FileError> end_document() override;

    std::vector<std::string> documents;
};

// Hands every document on to another sink and keeps a copy of it in memory, so that what a
// conversion shows is what it wrote, whatever happens to the files afterwards.
class CopyingSink : public DocumentSink {
public:
    explicit CopyingSink(DocumentSink& next) : next_(next) {}

    std::expected<void, FileError> begin_document(int number) override;
    std::expected<void, FileError> write(std::string_view bytes) override;
    std::expected<void, FileError> end_document() override;
    std::expected<void, FileError> write_block(std::string& block) override;

    // documents[0] is document 1.
    std::vector<std::string> documents;

private:
    DocumentSink& next_;
};
}  // namespace qlx::conversion
