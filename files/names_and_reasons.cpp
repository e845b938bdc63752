#include "files/names_and_reasons.h"

#include <random>
#include <system_error>

#include "richtext/utf8.h"
#include "richtext/windows1252.h"

namespace qlx::conversion {

namespace fs = std::filesystem;

std::string errno_reason(int error) {
    // A failure that left no code is still a failure: never "Success".
    return std::generic_category().message(error == 0 ? EIO : error);
}

void for_each_code_point(const fs::path& path,
                         const std::function<void(char32_t code, bool undecodable)>& visit) {
#ifdef _WIN32
    const std::wstring& wide = path.native();
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t code = wide[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (wide[++i] - 0xDC00);
        }
        visit(code, code >= 0xD800 && code <= 0xDFFF);
    }
#else
    const std::string& bytes = path.native();
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t from = pos;
        const char32_t code = richtext::next_code_point(bytes, pos);
        if (code == 0xFFFD && std::string_view(bytes).substr(from, 3) != "\xEF\xBF\xBD") {
            visit(0xDC00 + static_cast<unsigned char>(bytes[from]), true);
        } else {
            visit(code, false);
        }
    }
#endif
}

std::string display_path(const fs::path& path) {
    std::string text;
    for_each_code_point(path, [&text](char32_t code, bool undecodable) {
        richtext::append_utf8(text, undecodable ? 0xFFFD : code);
    });
    return text;
}

std::string describe_file_type(fs::file_type type) {
    switch (type) {
        case fs::file_type::directory:
            return "is a folder";
        case fs::file_type::fifo:
            return "is a pipe";
        case fs::file_type::character:
        case fs::file_type::block:
            return "is a device";
        case fs::file_type::socket:
            return "is a socket";
        case fs::file_type::symlink:
            return "is a link";
        case fs::file_type::not_found:
            return "does not exist";
        default:
            return "is not a regular file";
    }
}

std::string random_name_part() {
    static constexpr std::string_view letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
    std::string part(6, ' ');
    for (char& c : part) {
        c = letters[pick(engine)];
    }
    return part;
}

}  // namespace qlx::conversion
