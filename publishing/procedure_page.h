#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/document_map.h"

namespace qlx::publishing {

// What the index and the other pages know of a procedure's page.
struct PageEntry {
    std::string name;  // the procedure's name (UTF-8)
    std::string stem;  // its page is stem.html, its styles stem.css (page_stem)
    std::size_t reports = 0;
    std::size_t macros = 0;
    std::size_t screens = 0;
    std::size_t text_bytes = 0;  // of its text below the export header
};

// How many reports, macros and screens an outline heads.
void count_items(const std::vector<conversion::OutlineHeading>& outline, PageEntry& entry);

// A procedure's page and what the site keeps of it.
struct ProcedurePage {
    std::string html;
    std::string style_sheet;  // its formats (stem.css)
    // Its text below the export header (UTF-8, lines ended by LF), for the search index; the
    // first line is the page's line `first_line` (from 1, as the ids "L<n>" of its lines).
    std::string text;
    std::size_t first_line = 1;
};

// Procedure `index`'s page from its converted document (RTF) and map: the document as
// `qlx-convert --html` shows it (each line with its id), its outline as a list of links beside
// it, and links to the previous and next procedures of `entries`. Its colours are the document's,
// but that a text colour too light to read on white (its pure red) is darkened.
ProcedurePage procedure_page(std::string_view rtf, const conversion::DocumentMap& map,
                             const std::vector<PageEntry>& entries, std::size_t index);

}  // namespace qlx::publishing
