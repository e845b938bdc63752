#include "model/export_encoding.h"

#include "richtext/utf8.h"
#include "richtext/windows1252.h"

namespace qlx::conversion {

ExportEncoding export_encoding(std::string_view start) {
    if (is_export(start)) {
        return ExportEncoding::windows1252;
    }
    if (start.starts_with(utf8_byte_order_mark) &&
        is_export(start.substr(utf8_byte_order_mark.size()))) {
        return ExportEncoding::utf8;
    }
    return ExportEncoding::none;
}

void reencode_utf8_export(std::string& text, DamageLog& damage) {
    const bool crlf = text.find("\r\n") != std::string::npos;
    std::size_t line = 1;
    std::size_t write = 0;
    std::size_t read = text.starts_with(utf8_byte_order_mark) ? utf8_byte_order_mark.size() : 0;
    while (read < text.size()) {
        const auto byte = static_cast<unsigned char>(text[read]);
        if (byte < 0x80) {
            if (byte == '\n' && (!crlf || (write > 0 && text[write - 1] == '\r'))) {
                ++line;
            }
            text[write++] = text[read++];
            continue;
        }
        const std::size_t from = read;
        const char32_t code = richtext::next_code_point(text, read);
        const bool malformed =
            code == 0xFFFD && std::string_view(text).substr(from, 3) != "\xEF\xBF\xBD";
        if (malformed) {
            damage.record(line, "re-encoded from UTF-8: a byte that is not UTF-8 is kept as it is");
            text[write++] = static_cast<char>(byte);
            continue;
        }
        const int windows1252 = richtext::unicode_to_windows1252(code);
        if (windows1252 < 0) {
            damage.record(line,
                          "re-encoded from UTF-8: a character with no Windows-1252 form is "
                          "written as ?");
        }
        text[write++] = windows1252 < 0 ? '?' : static_cast<char>(windows1252);
    }
    text.resize(write);
}

}  // namespace qlx::conversion
