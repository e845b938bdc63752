#pragma once

#include <expected>
#include <filesystem>
#include <string_view>

#include "model/diagnostics.h"

// Files the user saves, under names the user chose.
namespace qlx::conversion {

// How a save failed, and so what became of the file.
enum class SaveProblem {
    not_written,      // the file is as it was, or was never made
    read_only,        // the file is read-only: it was left as it was
    left_incomplete,  // the file was being written in place: it may now be incomplete
};

struct SaveError {
    FileError file;
    SaveProblem problem = SaveProblem::not_written;
};

// Whether the user may not write the file (platform::is_read_only says how that is told).
bool is_read_only(const std::filesystem::path& path);

// Saves `bytes` as the file at `target`, following a link there to the file it leads to.
// A read-only file is never replaced. Otherwise the file is replaced whole or not at all
// (ReplacingFile), keeping its permissions and, where the system allows, its owner and group.
// Only when the file's folder does not let the user make the new file beside it, while the
// file itself may be written, is the file written in place, then written through to the disk;
// a failure there may leave it incomplete.
std::expected<void, SaveError> save_file(const std::filesystem::path& target,
                                         std::string_view bytes);

}  // namespace qlx::conversion
