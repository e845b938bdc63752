#pragma once

#include <cstdio>
#include <filesystem>

namespace qlx::conversion {

// Opens a file for writing from its start, for replacing its whole content: a missing file is
// created, a regular file emptied in place. A symbolic link standing in its place is removed and
// a new file created, never followed; anything else (a folder, a device, a pipe) is refused.
// Returns nullptr with errno set when it fails.
std::FILE* open_for_replacing(const std::filesystem::path& path);

}  // namespace qlx::conversion
