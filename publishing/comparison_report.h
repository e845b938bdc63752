#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "comparison/export_comparison.h"

// Two exports compared, as one web page that stands alone.
namespace qlx::publishing {

// What was compared, as the comparison window and `qlx-convert --diff` hold it: the two
// exports' names for people (UTF-8), their texts, and the results of
// comparison::compare_headers and comparison::compare_exports on them.
struct ComparedExports {
    std::string_view old_name;
    std::string_view new_name;
    const comparison::ExportTexts& old_export;
    const comparison::ExportTexts& new_export;
    const std::vector<comparison::HeaderChange>& header;
    const std::vector<comparison::ProcedureComparison>& procedures;
};

// The comparison as one self-contained HTML page (UTF-8, styles inline, no script): the
// header's changes once, a summary table linking to each changed, added and removed procedure,
// then each one's lines as `qlx-convert --diff` lists them (`context` lines around changes),
// removed lines on light red, added on light green, changed words in bold; the damage of
// either export; readable when printed. Every text of the exports is escaped.
std::string comparison_report(const ComparedExports& compared, std::size_t context = 3);

}  // namespace qlx::publishing
