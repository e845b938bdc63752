#pragma once

#include <string_view>

namespace qlx::publishing {

// The style sheet and the script that every page of a site shares (site.css, site.js): the
// frame, the index table's sorting and filter, the search over search-index.js and the mark of
// a match on the page a result opens, and what printing leaves out.
extern const std::string_view site_style_sheet;
extern const std::string_view site_script;

}  // namespace qlx::publishing
