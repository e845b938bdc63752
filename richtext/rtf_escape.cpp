#include "richtext/rtf_escape.h"

#include "richtext/utf8.h"
#include "richtext/windows1252.h"

namespace qlx::richtext::writing {

namespace {

constexpr char hex_digits[] = "0123456789abcdef";

void append_unicode(std::string& out, char32_t code) {
    if (code > 0xFFFF) {
        const char32_t offset = code - 0x10000;
        append_unicode(out, 0xD800 + (offset >> 10));
        append_unicode(out, 0xDC00 + (offset & 0x3FF));
        return;
    }
    const int value = code > 0x7FFF ? static_cast<int>(code) - 65536 : static_cast<int>(code);
    out += "\\u";
    out += std::to_string(value);
    out += '?';
}

}  // namespace

void append_hex_byte(std::string& out, int byte) {
    out += "\\'";
    out += hex_digits[(byte >> 4) & 0xF];
    out += hex_digits[byte & 0xF];
}

void append_number(std::string& out, std::string_view word, long long number) {
    out += word;
    out += std::to_string(number);
}

void append_text(std::string& out, std::string_view text, TextKind kind, bool windows1252) {
    const bool body = kind == TextKind::body;
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t code = next_code_point(text, pos);
        if (code == '\\' || code == '{' || code == '}') {
            out += '\\';
            out += static_cast<char>(code);
        } else if (code == '\t' && body) {
            out += "\\tab ";
        } else if (code == 0x2028 && body) {
            out += "\\line ";
        } else if (code >= 0x20 && code < 0x7F && (body || code != ';')) {
            out += static_cast<char>(code);
        } else if (const int byte = windows1252 ? unicode_to_windows1252(code) : -1; byte >= 0) {
            append_hex_byte(out, byte);
        } else {
            append_unicode(out, code);
        }
    }
}

}  // namespace qlx::richtext::writing
