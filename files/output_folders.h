#pragma once

#include <chrono>
#include <expected>
#include <filesystem>
#include <string_view>

#include "model/diagnostics.h"

// Where converted documents go: the viewer's folder and one folder per conversion in it.
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

// Removes the conversion folders in the viewer's folder last changed before `cutoff` that
// hold nothing but the program's documents (is_document_name, and what a write cut short
// left of one); a folder where anything else stands keeps all it holds. Nothing else in the
// viewer's folder is touched.
void remove_old_conversion_folders(const std::filesystem::path& viewer_folder,
                                   std::filesystem::file_time_type cutoff);

// Whether a file name is one that the program gives a conversion's documents: tempN.rtf and,
// beside it, tempN.txt and tempN.html (N from 1, in decimal without leading zeros).
bool is_document_name(std::string_view name);

// The path of document n in a folder: folder/temp<n>.rtf.
std::filesystem::path document_path(const std::filesystem::path& folder, int number);
}  // namespace qlx::conversion
