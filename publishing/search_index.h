#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qlx::publishing {

// The search index, search-index.js: a script that sets window.qlxSearchIndex to a list with
// one entry per procedure, [page, name, first line, text] (the text its lines below the export
// header, joined by LF). A script rather than data, since a page opened from file:// may load
// a script beside it but not read a file.

// One procedure's entry (UTF-8 texts).
std::string search_entry(std::string_view page, std::string_view name, std::size_t first_line,
                         std::string_view text);

// The whole script of the entries, in order.
std::string search_index_script(const std::vector<std::string>& entries);

// Appends text (UTF-8) as a JavaScript string literal in double quotes: every character that
// could end the string, the line or the script element escaped.
void append_script_string(std::string& out, std::string_view text);

}  // namespace qlx::publishing
