#include <algorithm>

#include "model/conversion_state.h"
#include "renderers/report_sections.h"
#include "renderers/section_dispatch.h"
#include "renderers/text_columns.h"

namespace qlx::renderers {

using namespace conversion;

namespace {

// The data columns are 5, 39, 9, 10 and 9 characters wide, so from "Order" on they do not
// stand under the titles of this header.
constexpr RtfLiteral sort_column_header{
    "\\par \\plain\\f2\\fs16\\cf2 Num  Field                                  Order   Header  "
    "Trailer  Renumber \\plain\\f2\\fs16"};

constexpr std::size_t number_width = 5;
constexpr std::size_t column_widths[] = {39, 9, 10, 9};
constexpr std::size_t blank_parts = 7;

void write_pending_relationship(ConversionState& state) {
    std::string& relationship = state.report.selection_relationship_text;
    if (relationship.empty()) {
        return;
    }
    open_section(state, heading_selection_relationship);
    state.out.line(rtfPar, relationship);
    relationship.clear();
}

void write_sort_heading(ConversionState& state) {
    open_section(state, heading_sort_fields);
    state.out.line(rtfPar);
    state.out.line(sort_column_header);
    state.out.line(rtfPar);
    state.flags.sort_fields_shown = true;
}

}  // namespace

void render_sort_fields_node(ConversionState& state, std::string_view line) {
    on_sort_fields_node(state.flags);
    write_pending_relationship(state);
    if (!state.flags.sort_fields_shown) {
        write_sort_heading(state);
    }
    const std::string_view number = node_number(line);

    CountedList& parts = state.report.sort_parts;
    std::fill(parts.begin() + 1, parts.begin() + 1 + blank_parts, std::string_view(" "));
    split_counted_list(state.take_next_line(), parts, state.reader);

    std::string& row = state.report.line_buffer;
    row.clear();
    append_column(row, number_width, {number, blanks_run});
    for (std::size_t i = 0; i < std::size(column_widths); ++i) {
        append_column(row, column_widths[i], {parts[i + 1], blanks_run});
    }
    for (std::size_t i = std::size(column_widths) + 1; i <= blank_parts; ++i) {
        row += parts[i];
    }
    state.out.line(rtfPar, row);
}

}  // namespace qlx::renderers
