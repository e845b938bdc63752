#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qlx::richtext {

struct SearchOptions {
    bool match_case = false;
    // The match stands alone: no letter, digit or underscore right before or after it.
    bool whole_words = false;
};

// One match in a UTF-8 text whose lines end with '\n'. Offsets are in bytes from the text's
// start; lines are numbered from 1.
struct TextMatch {
    std::size_t line = 0;
    std::size_t line_start = 0;
    std::size_t line_end = 0;  // the '\n' ending the line, or the text's end
    std::size_t start = 0;
    std::size_t length = 0;
    friend bool operator==(const TextMatch&, const TextMatch&) = default;
};

// Every match of `pattern` in `text`, in order; matches do not overlap. Without match_case,
// letters match in either case: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic (the
// scripts of the code pages exports and RTF files are written in). An empty pattern matches
// nothing.
std::vector<TextMatch> find_matches(std::string_view text, std::string_view pattern,
                                    SearchOptions options);

// The text of an RTF document as a search sees it: its paragraphs, and the lines of a
// paragraph, each ended by '\n' but the last; the cells of a table row separated by a tab.
std::string searchable_text(std::string_view rtf);

}  // namespace qlx::richtext
