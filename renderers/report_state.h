#pragma once

#include <string>

namespace qlx::renderers {

// What the report renderers keep between lines of one conversion: the selection table and
// the numbers that carry over from one report line to the next.
struct ReportState {
    // Text stored from the line after an "SR" key line, written later with the selection
    // fields or in its own section.
    std::string selection_relationship_text;
    // Field 3 of the current report's attribute line, shown again for an empty field 12.
    std::string report_dpm;
};

}  // namespace qlx::renderers
