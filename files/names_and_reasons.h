#pragma once

#include <filesystem>
#include <functional>
#include <string>

// Paths and failures in words, for messages; random parts of names.
namespace qlx::conversion {

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
