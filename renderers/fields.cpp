#include <algorithm>

#include "model/conversion_state.h"
#include "renderers/report_sections.h"
#include "renderers/section_dispatch.h"
#include "renderers/text_columns.h"

namespace qlx::renderers {

using namespace conversion;

namespace {

constexpr std::size_t selection_field_name_width = 30;
constexpr std::size_t definition_parts_cleared = 6;

// The qualifier with a "." when there is one, then the name: "PAT.NAME".
void assign_qualified_name(std::string& out, const CountedList& parts) {
    out = parts[2];
    if (!parts[2].empty()) {
        out += '.';
    }
    out += parts[1];
}

void store_field_selection(ConversionState& state, std::string_view number) {
    std::string& field_name = state.report.selection_field_name;
    assign_qualified_name(field_name, state.report.field_parts);
    field_name.resize(selection_field_name_width, ' ');
    store_selection_row(state, number, "    ");
}

void write_field_definition(ConversionState& state, std::string_view number) {
    ReportState& report = state.report;
    CountedList& parts = report.field_parts;
    std::fill(parts.begin() + 1, parts.begin() + 1 + definition_parts_cleared, std::string_view());
    split_counted_list(state.take_next_line(), parts, state.reader);
    if (number != report.last_field_number) {
        state.out.line();
    }
    report.last_field_number = number;
    std::string& name = report.line_buffer;
    assign_qualified_name(name, parts);
    state.out.line(rtfPar);
    state.out.line(rtfPar, number, "FLD="_rtf, name);
    state.out.line(rtfPar, "DSP="_rtf, parts[4]);
}

enum class FieldNode { definition, attribute_in_pieces, attribute_in_one_line, skipped };

// Nodes that continue a "VAL" subscript by two or more characters are skipped; an
// attribute that ends in "VAL" or is three characters or shorter is cut into pieces.
FieldNode classify(std::string_view remainder) {
    if (remainder.empty()) {
        return FieldNode::definition;
    }
    const std::size_t val = remainder.find("VAL");
    if (val == std::string_view::npos) {
        return remainder.size() > 3 ? FieldNode::attribute_in_one_line
                                    : FieldNode::attribute_in_pieces;
    }
    return val + 4 >= remainder.size() ? FieldNode::attribute_in_pieces : FieldNode::skipped;
}

}  // namespace

void render_fields_node(ConversionState& state, std::string_view line) {
    on_fields_node(state.flags);
    if (!state.flags.fields_shown) {
        open_section(state, heading_fields);
        state.flags.fields_shown = true;
    }
    std::string_view remainder = drop_front(line, 1);
    const std::string_view number = take_counted_string(remainder, state.reader);
    const std::size_t se = remainder.find("SE");
    if (se != std::string_view::npos) {
        // The selection number follows "SE" and one length character.
        store_field_selection(state, drop_front(remainder, se + 3));
        return;
    }
    const std::string_view label = drop_front(remainder, 3);
    switch (classify(remainder)) {
        case FieldNode::definition:
            write_field_definition(state, number);
            break;
        case FieldNode::attribute_in_pieces:
            wrap_code_value(state, label, state.take_next_line());
            break;
        case FieldNode::attribute_in_one_line:
            state.out.line(rtfPar, label, "="_rtf, state.take_next_line());
            break;
        case FieldNode::skipped:
            state.take_next_line();
            break;
    }
}

}  // namespace qlx::renderers
