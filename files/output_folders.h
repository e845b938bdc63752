#pragma once

#include <chrono>
#include <expected>
#include <filesystem>

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

// Removes the conversion folders in the viewer's folder last changed before `cutoff`;
// nothing else in it is touched.
void remove_old_conversion_folders(const std::filesystem::path& viewer_folder,
                                   std::filesystem::file_time_type cutoff);

// The path of document n in a folder: folder/temp<n>.rtf.
std::filesystem::path document_path(const std::filesystem::path& folder, int number);
}  // namespace qlx::conversion
