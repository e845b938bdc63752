#include <algorithm>

#include "model/conversion_state.h"
#include "renderers/report_sections.h"
#include "renderers/section_dispatch.h"
#include "renderers/text_columns.h"

namespace qlx::renderers {

using namespace conversion;

namespace {

constexpr RtfLiteral selection_column_header{
    "\\par \\plain\\f2\\fs16\\cf2 Num  Field                             Op   Prompt      "
    "                         Default           (Stored As)\\plain\\f2\\fs16"};

constexpr std::size_t field_name_width = 30;
constexpr std::size_t prompt_width = 35;
constexpr std::size_t default_width = 20;

void build_selection_row(std::string& row, std::string_view number, const CountedList& parts,
                         std::string_view field_name, std::string_view default_lead) {
    row.clear();
    append_right_aligned(row, number, 3);
    row += "  ";
    const std::string_view qualifier = parts[5];
    append_column(row, field_name_width, {qualifier, qualifier.empty() ? "" : ".", field_name});
    row += "    ";
    row += parts[1];
    append_column(row, prompt_width, {"   ", parts[7], rtfBlanks30});
    append_column(row, default_width, {default_lead, parts[8], rtfBlanks30});
    row += "   (";
    row += parts[2];
    row += parts[3];
    row += ')';
}

}  // namespace

void store_selection_row(ConversionState& state, std::string_view number,
                         std::string_view default_lead) {
    ReportState& report = state.report;
    std::fill(report.value_parts.begin() + 1, report.value_parts.begin() + 9, std::string_view());
    split_counted_list(state.take_next_line(), report.value_parts, state.reader);
    const int index = selection_number(number);
    if (index < 0) {
        return;
    }
    build_selection_row(report.selection_rows[static_cast<std::size_t>(index)], number,
                        report.value_parts, report.selection_field_name, default_lead);
}

void render_selection_field(ConversionState& state, std::string_view line) {
    const std::string_view subscripts = drop_front(line, 2);
    const std::size_t se = subscripts.find("SE");
    if (se != std::string_view::npos) {
        // The selection number follows "SE" and one length character.
        store_selection_row(state, drop_front(subscripts, se + 3), "   ");
        return;
    }
    std::string_view value = state.take_next_line();
    const std::string_view name = take_counted_string(value, state.reader);
    // Cut or padded with blanks to exactly the width.
    state.report.selection_field_name = name;
    state.report.selection_field_name.resize(field_name_width, ' ');
}

void flush_selection_fields(ConversionState& state) {
    open_section(state, heading_selection_fields);
    state.out.line(rtfPar);
    state.out.line(selection_column_header);
    for (std::size_t i = 1; i < state.report.selection_rows.size(); ++i) {
        std::string& row = state.report.selection_rows[i];
        if (!row.empty()) {
            state.out.line(rtfPar, row);
            row.clear();
        }
    }
    state.flags.selection_fields_shown = true;
    std::string& relationship = state.report.selection_relationship_text;
    if (!relationship.empty()) {
        state.out.line(rtfPar);
        state.out.line(heading_selection_relationship_inline, relationship, rtfPlain);
        state.note_heading(std::string(heading_words(heading_selection_relationship_inline)),
                           state.section_level());
        relationship.clear();
    }
}

}  // namespace qlx::renderers
