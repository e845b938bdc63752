#include "model/conversion_state.h"
#include "renderers/report_sections.h"
#include "renderers/text_columns.h"

namespace qlx::renderers {

using namespace conversion;

namespace {

constexpr std::size_t piece_width = 90;
// Values longer than this, like empty ones, are written whole on one line.
constexpr std::size_t longest_cut_value = 270;

void write_line_header(ConversionState& state, std::string_view number) {
    std::string_view value = state.take_next_line();
    // An empty value line is a header without title, not a damaged one.
    const std::string_view title =
        value.empty() ? std::string_view() : take_counted_string(value, state.reader);
    if (number != state.report.last_report_line_number) {
        state.out.line();
    }
    state.report.last_report_line_number = number;
    state.out.line(rtfPar, number, title);
}

// `label`: the element remainder without its length, kind and label-length characters.
void write_element(ConversionState& state, std::string_view number, std::string_view label) {
    const std::string_view value = state.take_next_line();
    if (value.empty() || value.size() > longest_cut_value) {
        state.out.line(rtfPar, number, label, "="_rtf, value);
        return;
    }
    for (std::size_t start = 0; start < value.size(); start += piece_width) {
        state.out.line(rtfPar, number, label, "="_rtf, value.substr(start, piece_width));
    }
}

}  // namespace

void render_report_lines_node(ConversionState& state, std::string_view line) {
    on_report_lines_node(state.flags);
    open_section_once(state, state.flags.report_lines_shown, heading_report_lines);
    std::string_view remainder = drop_front(line, 1);
    const std::string_view number = take_counted_string(remainder, state.reader);
    if (remainder.empty()) {
        write_line_header(state, number);
    } else if (remainder.find("CL") != std::string_view::npos) {
        state.take_next_line();
    } else {
        write_element(state, number, drop_front(remainder, 3));
    }
}

}  // namespace qlx::renderers
