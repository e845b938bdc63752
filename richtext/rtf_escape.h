#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qlx::richtext::writing {

enum class TextKind { body, font_name };

// Appends UTF-8 text as RTF text. In a font name, where symbol words mean nothing and ";"
// would end the entry, tabs, line breaks and ";" are written as character codes.
// Characters beyond ASCII are written as Windows-1252 bytes (\'hh) where `windows1252` and
// the code page has them, as \uN everywhere else.
void append_text(std::string& out, std::string_view text, TextKind kind = TextKind::body,
                 bool windows1252 = true);
void append_hex_byte(std::string& out, int byte);
// A control word and its number: "\fs" and 24 as "\fs24".
void append_number(std::string& out, std::string_view word, long long number);

}  // namespace qlx::richtext::writing
