#include <algorithm>

#include "model/conversion_state.h"
#include "renderers/report_sections.h"

namespace qlx::renderers {

using namespace conversion;

namespace {

void discard_value(ConversionState& state, std::string_view) {
    state.take_next_line();
}

void discard_attributes(ConversionState& state, std::string_view line) {
    on_report_attributes_node(state.flags);
    discard_value(state, line);
}

void render_documentation_line(ConversionState& state, std::string_view) {
    on_documentation_node(state.flags);
    open_section_once(state, state.flags.documentation_shown, heading_documentation);
    state.out.line(rtfPar, state.take_next_line());
}

// Unrecognised nodes are listed as they arrive; their value line comes as a node of its own.
void render_other_line(ConversionState& state, std::string_view line) {
    on_unrecognised_report_line(state.flags);
    open_section_once(state, state.flags.other_shown, heading_other);
    state.out.line(rtfPar, line);
}

// The selection table is written once per procedure, before the first picture or report
// line.
void flush_selection_fields_when_due(ConversionState& state) {
    if (!state.flags.selection_fields_shown) {
        flush_selection_fields(state);
    }
}

void render_picture_after_selections(ConversionState& state, std::string_view line) {
    flush_selection_fields_when_due(state);
    render_picture_node(state, line);
}

void render_report_lines_after_selections(ConversionState& state, std::string_view line) {
    flush_selection_fields_when_due(state);
    render_report_lines_node(state, line);
}

// A node is recognised by its first character and a second character in [low, high]: the
// second letter of a two-letter name, or the length character of the first subscript.
struct ReportNode {
    char name;
    char low;
    char high;
    void (*render)(ConversionState&, std::string_view);
};

// Tried in this order; the first match decides.
constexpr ReportNode report_nodes[] = {
    {'A', 'T', 'T', discard_attributes},  {'N', 1, 2, render_footnotes_node},
    {'S', 'R', 'R', discard_value},       {'D', 'C', 'C', render_documentation_line},
    {'T', 1, 2, render_sort_fields_node}, {'P', 1, 3, render_picture_after_selections},
    {'U', 8, 11, discard_value},          {'F', 30, 30, render_selection_field},
    {'F', 'I', 'I', discard_value},       {'F', 1, 3, render_fields_node},
    {'I', 1, 3, discard_value},           {'L', 1, 3, render_report_lines_after_selections},
};

}  // namespace

void render_report_line(ConversionState& state, std::string_view line) {
    if (line.size() >= 2) {
        for (const ReportNode& node : report_nodes) {
            if (line[0] == node.name && line[1] >= node.low && line[1] <= node.high) {
                node.render(state, line);
                return;
            }
        }
    }
    render_other_line(state, line);
}

void finish_procedure_document(ConversionState& state) {
    const auto& rows = state.report.selection_rows;
    const bool rows_pending =
        std::any_of(rows.begin() + 1, rows.end(), [](const auto& row) { return !row.empty(); });
    if (rows_pending || !state.report.selection_relationship_text.empty()) {
        flush_selection_fields(state);
    }
}

}  // namespace qlx::renderers
