#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What every page of a published site shares: names, escaping, the frame around the content.
namespace qlx::publishing {

// The names of the site's own files beside the pages.
inline constexpr std::string_view index_page = "index.html";
inline constexpr std::string_view style_sheet_file = "site.css";
inline constexpr std::string_view script_file = "site.js";
inline constexpr std::string_view search_index_file = "search-index.js";

// The name of procedure `number`'s page and style sheet without the extension, safe in file
// names on every system and in URLs without escaping: the number (at least four digits, so that
// names sort in export order and no two are the same), then the procedure's name with ASCII
// letters, digits, '-' and '_' kept and every other run of bytes as one '-', at most 48 of them:
// "0007-ORDER-ENTRY-LIST".
std::string page_stem(std::size_t number, std::string_view name);

// Text (UTF-8) escaped for HTML text and quoted attributes.
std::string html_text(std::string_view text);

// The page's beginning up to and including the opening of <main>: the Content-Security-Policy
// (nothing but the site's own files), `title` (UTF-8, escaped here), the site's style sheet and
// `own_style_sheet` when given, the script, the bar with the link to the index and the search
// box. `heading` is the page's one <h1> (HTML), followed by the place of search results.
std::string page_start(std::string_view title, std::string_view own_style_sheet,
                       std::string_view heading);
// From the end of <main> (`after_main` is HTML put after it, as navigation) to the end.
std::string page_end(std::string_view after_main = {});

}  // namespace qlx::publishing
