#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace qlx::renderers {

// A table filled from a value line of counted strings: entry i (1 to 30) is the i-th string;
// entry 0 is never filled. The entries are copies: they outlive the line they come from.
using CountedList = std::array<std::string, 31>;

// What the report renderers keep between lines of one conversion: the selection table and
// the numbers that carry over from one report line, item or procedure to the next.
struct ReportState {
    // Text stored from the line after an "SR" key line, written later with the selection
    // fields or in its own section; empty when nothing is pending.
    std::string selection_relationship_text;
    // Field 3 of the current report's attribute line, shown again for an empty field 12.
    std::string report_dpm;

    // Selection rows by selection number (0 to 30), stored as export text (escaped when
    // written), waiting for the next flush. Row 0 is never written.
    std::array<std::string, 31> selection_rows;
    // The last selection's value line: 1 operator, 2 and 3 storage, 5 qualifier, 7 prompt,
    // 8 default.
    CountedList value_parts;
    // The last field definition: 1 name, 2 qualifier, 4 display value. Entries survive from
    // one definition to the next; the selection nodes of a field read 1 and 2.
    CountedList field_parts;
    // The last sort field: 1 field, 2 order, 3 header, 4 trailer, 5 to 7 renumber and on.
    CountedList sort_parts;
    // The qualified name of the field the next selection row belongs to, 30 characters
    // (empty until the first field or field-name node).
    std::string selection_field_name;
    // Numbers of the last report-line header and field definition written: a new number
    // starts with an empty line. Both carry over from item to item.
    std::string last_report_line_number;
    std::string last_field_number;

    // Reused to build one output line without allocating per line.
    std::string line_buffer;
};

}  // namespace qlx::renderers
