#include "publishing/search_index.h"

#include <cstdio>

namespace qlx::publishing {

void append_script_string(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                continue;
            case '\\':
                out += "\\\\";
                continue;
            case '\n':
                out += "\\n";
                continue;
            case '<':
                out += "\\x3c";  // no "</script>" or "<!--" in a page that might inline it
                continue;
            default:
                break;
        }
        if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            out += escape;
        } else if (byte == 0xE2 && i + 2 < text.size() && text[i + 1] == '\x80' &&
                   (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
            out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";  // line ends to old parsers
            i += 2;
        } else {
            out += c;
        }
    }
    out += '"';
}

SearchIndex::SearchIndex() : script_("window.qlxSearchIndex = [\n") {}

void SearchIndex::add(std::string_view page, std::string_view name, std::size_t first_line,
                      std::string_view text) {
    script_ += first_ ? "[" : ",\n[";
    first_ = false;
    append_script_string(script_, page);
    script_ += ',';
    append_script_string(script_, name);
    script_ += ',' + std::to_string(first_line) + ',';
    append_script_string(script_, text);
    script_ += ']';
}

std::string SearchIndex::finish() {
    script_ += "\n];\n";
    return std::move(script_);
}

}  // namespace qlx::publishing
