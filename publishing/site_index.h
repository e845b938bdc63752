#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "comparison/export_comparison.h"
#include "model/diagnostics.h"
#include "publishing/procedure_page.h"

namespace qlx::publishing {

// The index page: the export's name and header, the damage found in it, and a table of the
// procedures in export order (number, name linking to its page, reports, macros, screens,
// size of its text) that sorts by a column and filters by name.
std::string site_index(std::string_view export_name,
                       const std::vector<comparison::ExportTexts::HeaderField>& header,
                       const std::vector<PageEntry>& entries, const conversion::DamageLog& damage);

}  // namespace qlx::publishing
