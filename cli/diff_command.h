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
};

// Compares two exports procedure by procedure (see comparison::compare_exports): a unified
// diff per changed procedure ("--- OLD:NAME", "+++ NEW:NAME"), then a line per added, removed
// and changed procedure and the count of unchanged ones; with `json`, one JSON object per
// added, removed or changed procedure and one with the counts. Damage in either export is
// listed on `err` as "EXPORT:LINE: reason" and the comparison goes on.
// Returns 0 when nothing differs, 1 when something does, 2 on trouble: an export that cannot
// be read or is not an export (nothing is compared), or damage (everything is).
int run_diff(const DiffOptions& options, std::ostream& out, std::ostream& err);

}  // namespace qlx::cli
