#include "cli/json.h"

#include "files/names_and_reasons.h"
#include "richtext/utf8.h"
#include "richtext/windows1252.h"

namespace qlx::cli {

namespace {

void append_json_escape(std::string& out, char32_t code) {
    static constexpr std::string_view hex = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += hex[(code >> shift) & 0xF];
    }
}

void append_json_code_point(std::string& out, char32_t code) {
    if (code == '"' || code == '\\') {
        out += '\\';
        out += static_cast<char>(code);
    } else if (code < 0x20 || code == 0x7F) {
        append_json_escape(out, code);
    } else {
        richtext::append_utf8(out, code);
    }
}

}  // namespace

// A JSON string of a path, exact: what has no Unicode reading is written as the surrogate
// that stands for it (see for_each_code_point), which Python's json and os.fsencode turn
// back into the name's bytes.
std::string json_path(const std::filesystem::path& path) {
    std::string out = "\"";
    conversion::for_each_code_point(path, [&out](char32_t code, bool undecodable) {
        if (undecodable) {
            append_json_escape(out, code);
        } else {
            append_json_code_point(out, code);
        }
    });
    return out + "\"";
}

std::string json_string(std::string_view utf8) {
    std::string out = "\"";
    for (std::size_t pos = 0; pos < utf8.size();) {
        append_json_code_point(out, richtext::next_code_point(utf8, pos));
    }
    return out + "\"";
}

}  // namespace qlx::cli
