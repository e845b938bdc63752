#include <string>

#include "model/conversion_state.h"
#include "renderers/report_sections.h"
#include "renderers/section_dispatch.h"
#include "renderers/text_columns.h"

namespace qlx::renderers {

using namespace conversion;

namespace {

constexpr std::size_t code_piece_width = 90;

// A field or picture line number that reads as the number 1: blanks around it, an optional
// sign, digits and an optional fraction ("01", " 1", "+1.0" do; "x", "", "1e0" do not).
bool reads_as_one(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return false;
    }
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    auto digits = [](std::string_view part) {
        return part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (!digits(whole) || !digits(fraction) || whole.size() + fraction.size() == 0) {
        return false;
    }
    const std::size_t significant = whole.find_first_not_of('0');
    return !negative && significant != std::string_view::npos && whole.substr(significant) == "1" &&
           fraction.find_first_not_of('0') == std::string_view::npos;
}

// "P" followed by the length character 1, 2 or 3 of its first subscript.
bool is_screen_p_node(std::string_view line) {
    return line.size() >= 2 && line[0] == 'P' && line[1] >= '\x01' && line[1] <= '\x03';
}

void render_title_and_prompt(ConversionState& state) {
    std::string_view value = state.take_next_line();
    const std::string_view title = take_counted_string(value, state.reader);
    const std::string_view prompt = take_counted_string(value, state.reader);
    state.out.line("\\par Screen Title"_rtf, title);
    state.out.line("\\par Print Prompt"_rtf, prompt);
}

// r3: what follows the "F" kind letter: the field number, then optionally an attribute
// kind and name.
void render_field_node(ConversionState& state, std::string_view r3) {
    const std::string_view field_number = take_counted_string(r3, state.reader);
    if (r3.empty()) {
        std::string_view value = state.take_next_line();
        const std::string_view attribute = take_counted_string(value, state.reader);
        if (reads_as_one(field_number)) {
            open_section(state, heading_custom_select_attributes);
            state.out.line(rtfPar);
        }
        std::string number;
        append_right_aligned(number, field_number, 3);
        state.out.line(rtfPar, number, attribute);
    } else if (r3.size() >= 2 && r3[1] == 'C') {
        wrap_code_value(state, drop_front(r3, 3), state.take_next_line());
    } else {
        state.out.line(rtfPar, r3);
        state.out.line(rtfPar, state.take_next_line());
    }
}

void render_picture_line(ConversionState& state, std::string_view line_number) {
    if (reads_as_one(line_number)) {
        open_section(state, heading_custom_select_picture);
        state.out.line(rtfPar);
    }
    state.out.line(rtfPar, line_number, state.take_next_line());
}

// r2: the node line after "P", its one-character first subscript and the length character
// of the kind subscript.
void render_screen_subscripts(ConversionState& state, std::string_view r2) {
    const char kind = r2.empty() ? '\0' : r2.front();
    switch (kind) {
        case 'M':
        case 'S':
            state.take_next_line();
            break;
        case 'F':
            render_field_node(state, r2.substr(1));
            break;
        case 'P':
            render_picture_line(state, drop_front(r2, 2));
            break;
        default:
            state.out.line(rtfPar);
            write_unmatched_line(state, r2);
    }
}

}  // namespace

void render_screen_line(ConversionState& state, std::string_view line) {
    on_screen_line(state.flags);
    if (line.starts_with("CS")) {
        state.take_next_line();
    } else if (is_screen_p_node(line)) {
        const std::string_view r = line.substr(2);
        if (r.size() == 1) {
            render_title_and_prompt(state);
        } else {
            render_screen_subscripts(state, drop_front(r, 2));
        }
    } else {
        write_unmatched_line(state, line);
    }
}

void wrap_code_value(ConversionState& state, std::string_view name, std::string_view value) {
    for (std::size_t start = 0; start < value.size(); start += code_piece_width) {
        state.out.line(rtfPar, name, "="_rtf, value.substr(start, code_piece_width));
    }
}

}  // namespace qlx::renderers
