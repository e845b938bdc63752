#pragma once

#include <string_view>

#include "renderers/section_dispatch.h"

namespace qlx::renderers {

// The renderers of a report's sections. Each is given the node line as it arrived, takes
// the value line that belongs to it and writes its section, heading included when the
// section's flag says the heading is due.

// "F" nodes with a 30-character first subscript: a field name, or a selection stored as a
// row of the selection table. Writes nothing.
void render_selection_field(ConversionState& state, std::string_view line);
// The Selection Fields table: heading, column header, every stored row from 1 upward (each
// emptied as it is written) and a pending selection relationship.
void flush_selection_fields(ConversionState& state);

// Takes a selection's value line into value_parts and stores its row under the selection
// number (written as it stands, right-aligned). A number that is not 0 to 30 stores nothing.
// `default_lead` is the run of blanks in front of the default value.
void store_selection_row(ConversionState& state, std::string_view number,
                         std::string_view default_lead);

void render_report_lines_node(ConversionState& state, std::string_view line);
void render_fields_node(ConversionState& state, std::string_view line);
void render_sort_fields_node(ConversionState& state, std::string_view line);
void render_picture_node(ConversionState& state, std::string_view line);
void render_footnotes_node(ConversionState& state, std::string_view line);

// Writes a name=code value in lines of "\par ", the name, "=" and a piece of at most 90 of
// the value's characters. An empty value writes nothing.
void wrap_code_value(ConversionState& state, std::string_view name, std::string_view value);

}  // namespace qlx::renderers
