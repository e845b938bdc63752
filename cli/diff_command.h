#pragma once

#include <cstddef>
#include <filesystem>
#include <ostream>

namespace qlx::cli {

struct DiffOptions {
    std::filesystem::path old_export;
    std::filesystem::path new_export;
    std::size_t context = 3;  // lines around each change
    bool json = false;
    bool html = false;  // the comparison as one web page (publishing::comparison_report)
};

// Compares two exports: their headers once (comparison::compare_headers), a line per field
// that differs ("Export header: date OLD → NEW"), then the procedures without the header
// (comparison::compare_exports): a unified diff per changed procedure ("--- OLD:NAME",
// "+++ NEW:NAME"), then a line per added, removed and changed procedure and the count of
// unchanged ones. With `json`, one JSON object with the header's changes ("header": a list of
// "field", "old" and "new") when it differs, one per added, removed or changed procedure and
// one with the counts. With `html`, the same as one HTML page. Damage in either export is
// listed on `err` as "EXPORT:LINE: reason" and the comparison goes on.
// Returns 0 when nothing differs, 1 when something does, 2 on trouble: an export that cannot
// be read or is not an export (nothing is compared), or damage (everything is).
int run_diff(const DiffOptions& options, std::ostream& out, std::ostream& err);

}  // namespace qlx::cli
