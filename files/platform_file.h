#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>

// The few file operations that the standard library does not offer and that differ between
// systems. Each returns nullptr or false with errno set when it fails.
namespace qlx::conversion::platform {

// Creates a new file for writing, in binary mode. Fails (EEXIST) when anything stands at
// `path`, a link or a dangling link included: nothing is ever opened through a link.
std::FILE* create_new_file(const std::filesystem::path& path);

// Writes the file's data through to the disk (the file is flushed first).
bool sync_file(std::FILE* file);

// Whether the user may not write the file at `path` (a missing file is not read-only). The
// administrator, whom permissions do not stop, takes a file that nobody may write for
// read-only, as editors do.
bool is_read_only(const std::filesystem::path& path);

// Opens an existing regular file for writing, emptied; creates nothing, and opens nothing
// that is not a regular file (EINVAL).
std::FILE* open_for_rewriting(const std::filesystem::path& path);

// Gives a new file the owner and group of the file at `from`, as far as the system lets the
// user; true when both are now the same.
bool take_owner(std::FILE* file, const std::filesystem::path& from);

// Creates a folder that only its owner can enter; fails (EEXIST) when anything stands there.
bool create_private_folder(const std::filesystem::path& path);

// Creates a folder with the rights the user gives new folders (for what the user shares, such
// as a published site); fails (EEXIST) when anything stands there.
bool create_folder(const std::filesystem::path& path);

// Gives a file or folder another name in the same folder; fails when anything stands at `to`
// (on every system: where rename would replace a file, this refuses).
bool rename_new(const std::filesystem::path& from, const std::filesystem::path& to);

// Swaps the names of two files in the same folder in one step, where the system can (Linux);
// false, with errno set, where it cannot or when either name is free.
bool exchange_names(const std::filesystem::path& first, const std::filesystem::path& second);

// Removes a folder and everything in it; a link in it is removed, never followed.
bool remove_tree(const std::filesystem::path& path);

// Opens a file for reading in binary mode. A file that is not a regular file is opened only
// when `pipes_too` and it is a pipe; otherwise nothing is opened, errno is EINVAL and `type`
// says what the path is. Opening never waits, except for a named pipe with no writer yet,
// which is accepted only with `pipes_too`.
std::FILE* open_for_reading(const std::filesystem::path& path, bool pipes_too,
                            std::filesystem::file_type& type);

// Asks the system to read the whole file into its cache now, ahead of the reads to come, so
// that reading it a piece at a time seldom waits for the disk. Only a hint.
void read_ahead(std::FILE* file);

// Asks the system to back the memory at [data, data + size) with large pages where it can, so
// that filling it takes few page faults. Only a hint: where there is none, nothing happens.
void prefer_large_pages(char* data, std::size_t size);

// The standard input, switched to binary mode.
std::FILE* binary_standard_input();

// Switches the standard output to binary mode: what is written there (RTF, text, HTML) comes
// out byte for byte as on other systems, not with each LF turned into CR LF.
void binary_standard_output();

}  // namespace qlx::conversion::platform
