#pragma once

#include <string_view>

namespace qlx::conversion {
struct ConversionState;
struct RtfLiteral;
}  // namespace qlx::conversion

namespace qlx::renderers {

using conversion::ConversionState;

// Hands a node line of the current item to the renderer of that item's kind.
void render_item_line(ConversionState& state, std::string_view line);

// Writes "\par ", the current item key and the text, for lines no renderer recognises.
void write_unmatched_line(ConversionState& state, std::string_view text);

// Procedure items: description nodes under a "Description" heading, anything else unmatched.
void render_procedure_line(ConversionState& state, std::string_view line);

// Called when a procedure's document is about to end (before its closing lines).
void finish_procedure_document(ConversionState& state);

// Writes the section opener with `heading` and notes the heading in the document's outline.
void open_section(ConversionState& state, conversion::RtfLiteral heading);

// Unless `shown` is set: writes the section opener with `heading` and an empty line, then
// sets `shown`. The heading of a section that has one flag and nothing else.
void open_section_once(ConversionState& state, bool& shown, conversion::RtfLiteral heading);

// The renderers of the other item kinds.
void render_screen_line(ConversionState& state, std::string_view line);
void render_macro_line(ConversionState& state, std::string_view line);
void render_report_line(ConversionState& state, std::string_view line);

}  // namespace qlx::renderers
