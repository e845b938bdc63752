#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <expected>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/diagnostics.h"
#include "conversion/document_writer.h"
#include "conversion/replacing_file.h"

// Every file the program reads or writes goes through here and through ReplacingFile: folders
// it makes are its owner's alone, nothing is written through a link or into an existing file,
// and a file is replaced whole or not at all.
namespace qlx::conversion {

// The viewer's folder, where each conversion makes its own folder for its documents:
// "c:\temp" on Windows; elsewhere a per-user cache folder ($XDG_CACHE_HOME/qlx-viewer or
// ~/.cache/qlx-viewer).
std::expected<std::filesystem::path, FileError> default_output_folder();

// Creates the folder (and its parents) when it does not exist; a folder it creates can be
// opened by its owner only. An existing folder is taken as it is; anything else in its place
// (a file, a pipe, a link that leads nowhere) is reported in words.
std::expected<void, FileError> prepare_output_folder(const std::filesystem::path& folder);

// How long a conversion's folder is kept after it was made.
inline constexpr std::chrono::hours conversion_folder_lifetime{24 * 7};

// Makes a new folder of one conversion inside the viewer's folder (made first if need be),
// named after the time (UTC) and a random part, e.g. 20261207-143005-k3x9qa, open to its owner
// only. No other conversion, of this process or another, ever writes into it. Folders of
// earlier conversions older than conversion_folder_lifetime are removed on the way.
std::expected<std::filesystem::path, FileError> make_conversion_folder(
    const std::filesystem::path& viewer_folder);

// Removes the conversion folders in the viewer's folder last changed before `cutoff`;
// nothing else in it is touched.
void remove_old_conversion_folders(const std::filesystem::path& viewer_folder,
                                   std::filesystem::file_time_type cutoff);

// The path of document n in a folder: folder/temp<n>.rtf.
std::filesystem::path document_path(const std::filesystem::path& folder, int number);

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

    // documents[0] is document 1.
    std::vector<std::string> documents;

private:
    DocumentSink& next_;
};

// Calls visit(code_point, undecodable) for each character of a path's name in the system's
// form. What has no Unicode reading comes as undecodable: a byte that is not UTF-8 as
// U+DC80 + byte (as Python reads file names), a lone surrogate of a Windows name as itself.
void for_each_code_point(const std::filesystem::path& path,
                         const std::function<void(char32_t code, bool undecodable)>& visit);

// Readable text of a path for messages, in UTF-8: what is undecodable shows as U+FFFD.
std::string display_path(const std::filesystem::path& path);

// The reason a file of this type cannot be used as a file: "is a folder", "is a pipe", ...
std::string describe_file_type(std::filesystem::file_type type);

// The system's text for an errno value ("No space left on device").
std::string errno_reason(int error);

// Six random letters and digits, for names that must not be guessed.
std::string random_name_part();

}  // namespace qlx::conversion
