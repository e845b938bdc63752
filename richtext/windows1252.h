#pragma once

#include <string>
#include <string_view>

namespace qlx::richtext {

// The Unicode code point of a Windows-1252 byte. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same number.
char32_t windows1252_to_unicode(unsigned char byte);

// The Windows-1252 byte of a code point, or -1 when the code page has none.
int unicode_to_windows1252(char32_t code_point);

// Appends the UTF-8 form of a code point (U+FFFD for a surrogate or one beyond U+10FFFF).
void append_utf8(std::string& out, char32_t code_point);

std::string windows1252_to_utf8(std::string_view bytes);

}  // namespace qlx::richtext
