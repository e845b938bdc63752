#include "publishing/search_index.h"

#include <cstdio>

namespace qlx::publishing {

void append_script_string(std::string& out, std::string_view text) {
    out += '"';
    std::size_t plain = 0;  // where the characters not yet appended begin
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        std::string_view escape;
        char code[8];
        if (c == '"') {
            escape = "\\\"";
        } else if (c == '\\') {
            escape = "\\\\";
        } else if (c == '\n') {
            escape = "\\n";
        } else if (c == '<') {
            escape = "\\x3c";  // no "</script>" or "<!--", should a page ever inline it
        } else if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(code, sizeof code, "\\x%02x", byte);
            escape = code;
        } else if (byte == 0xE2 && i + 2 < text.size() && text[i + 1] == '\x80' &&
                   (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
            escape = text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";  // line ends to old parsers
        } else {
            continue;
        }
        out.append(text, plain, i - plain);
        out += escape;
        i += byte == 0xE2 ? 2 : 0;
        plain = i + 1;
    }
    out.append(text, plain);
    out += '"';
}

std::string search_entry(std::string_view page, std::string_view name, std::size_t first_line,
                         std::string_view text) {
    std::string entry;
    entry.reserve(text.size() + text.size() / 16 + 64);
    entry += '[';
    append_script_string(entry, page);
    entry += ',';
    append_script_string(entry, name);
    entry += ',' + std::to_string(first_line) + ',';
    append_script_string(entry, text);
    entry += ']';
    return entry;
}

std::string search_index_script(const std::vector<std::string>& entries) {
    std::size_t size = 64;
    for (const std::string& entry : entries) {
        size += entry.size() + 2;
    }
    std::string script;
    script.reserve(size);
    script += "window.qlxSearchIndex = [\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        script += i == 0 ? "" : ",\n";
        script += entries[i];
    }
    script += "\n];\n";
    return script;
}

}  // namespace qlx::publishing
