#include "files/document_sinks.h"

#include "files/output_folders.h"

namespace qlx::conversion {

namespace fs = std::filesystem;

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

std::expected<void, FileError> CopyingSink::write_block(std::string& block) {
    documents.back() += block;
    return next_.write_block(block);
}

std::expected<void, FileError> CopyingSink::end_document() {
    documents.back().shrink_to_fit();
    return next_.end_document();
}

}  // namespace qlx::conversion
