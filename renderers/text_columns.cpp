#include "renderers/text_columns.h"

#include <algorithm>

#include "model/export_model.h"

namespace qlx::renderers {

void append_column(std::string& out, std::size_t width,
                   std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts) {
        if (width == 0) {
            return;
        }
        const std::string_view kept = part.substr(0, std::min(width, part.size()));
        out += kept;
        width -= kept.size();
    }
}

void append_right_aligned(std::string& out, std::string_view text, std::size_t width) {
    if (text.size() < width) {
        out.append(width - text.size(), ' ');
    }
    out += last_characters(text, width);
}

std::string_view last_characters(std::string_view text, std::size_t n) {
    return text.size() <= n ? text : text.substr(text.size() - n);
}

std::string_view node_number(std::string_view line) {
    return line.size() < 2 ? line : last_characters(line, static_cast<unsigned char>(line[1]));
}

std::string_view drop_front(std::string_view text, std::size_t n) {
    return text.size() <= n ? std::string_view() : text.substr(n);
}

void split_counted_list(std::string_view value, CountedList& parts,
                        conversion::LineReader& reader) {
    for (std::size_t i = 1; i < parts.size() && !value.empty(); ++i) {
        parts[i] = conversion::take_counted_string(value, reader);
    }
}

int selection_number(std::string_view text) {
    if (text.empty()) {
        return -1;
    }
    int number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        number = number * 10 + (c - '0');
        if (number > 30) {
            return -1;
        }
    }
    return number;
}

}  // namespace qlx::renderers
