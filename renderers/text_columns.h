#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "model/report_state.h"

namespace qlx::conversion {
class LineReader;
}

namespace qlx::renderers {

// Appends the parts one after another, keeping only the first `width` characters of what
// they add. Widths count the export's own characters; escaping comes when the text is
// written. With a blank run as last part this is the column of a fixed-width table.
void append_column(std::string& out, std::size_t width,
                   std::initializer_list<std::string_view> parts);

// Blanks enough to fill any column of the renderers' tables.
inline constexpr std::string_view blanks_run = "                                        ";

// The last `width` characters of `width` blanks followed by the text: the text
// right-aligned, its end kept when it is longer.
void append_right_aligned(std::string& out, std::string_view text, std::size_t width);

// The last n characters of the text, or the whole text when it is shorter.
std::string_view last_characters(std::string_view text, std::size_t n);

// The number of a sort or picture node: its last n characters, n being the code of its second
// character (the length of its first subscript); the whole line when it is shorter.
std::string_view node_number(std::string_view line);

// The text after its first `n` characters; empty when it is not longer.
std::string_view drop_front(std::string_view text, std::size_t n);

// Stores the counted strings of a value line at entries 1, 2, 3... of `parts` until the
// line is used up. Entries beyond the 30th string are ignored; entries not reached keep
// their content.
void split_counted_list(std::string_view value, CountedList& parts, conversion::LineReader& reader);

// Text of a selection number: ASCII digits only, 0 to 30, leading zeros allowed; -1 for
// anything else.
int selection_number(std::string_view text);

}  // namespace qlx::renderers
