#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qlx::comparison {

// The lines of a text: split at '\n'; a '\n' at the very end ends the last line and starts
// no empty one after it.
std::vector<std::string_view> split_lines(std::string_view text);

enum class LineChange { same, removed, added };

// One line of two texts aligned: a line of both (same), of the old only (removed) or of the
// new only (added). Line numbers count from 1; 0 where the line is not in that text.
struct DiffLine {
    LineChange change = LineChange::same;
    std::size_t old_line = 0;
    std::size_t new_line = 0;
    std::string_view text;
    friend bool operator==(const DiffLine&, const DiffLine&) = default;
};

// Every line of both texts in order, aligned by a shortest edit script (Wu's O(NP) algorithm,
// by the dtl library): within a change, removed lines come before added ones.
std::vector<DiffLine> diff_lines(const std::vector<std::string_view>& old_lines,
                                 const std::vector<std::string_view>& new_lines);

// A hunk as `diff -u` prints it: changes with up to `context` lines around them; hunks whose
// context would touch or overlap are one.
struct Hunk {
    std::size_t old_start = 0;  // the first old line; with no old lines, the one before
    std::size_t old_count = 0;
    std::size_t new_start = 0;
    std::size_t new_count = 0;
    std::vector<DiffLine> lines;
};
std::vector<Hunk> hunks_of(const std::vector<DiffLine>& lines, std::size_t context);

// The hunks as `diff -u` prints them, under "--- OLD" and "+++ NEW" header lines; empty when
// there are no hunks.
std::string unified_diff(std::string_view old_header, std::string_view new_header,
                         const std::vector<Hunk>& hunks);

// Where a changed line differs from its new version: byte ranges of the words (and of the
// spaces and signs between them) taken out of the old line and put into the new one. Changes
// with only blanks between them are one range.
struct Span {
    std::size_t start = 0;
    std::size_t length = 0;
    friend bool operator==(const Span&, const Span&) = default;
};
struct WordChanges {
    std::vector<Span> removed;  // in the old line
    std::vector<Span> added;    // in the new line
    friend bool operator==(const WordChanges&, const WordChanges&) = default;
};
WordChanges changed_words(std::string_view old_line, std::string_view new_line);

// The aligned lines side by side: a row holds a line of the old text, of the new text, or
// both. Within a change the i-th removed line stands beside the i-th added one (with the words
// that changed between them); the rest of the longer side stand beside nothing.
struct SideBySideRow {
    const DiffLine* old_line = nullptr;
    const DiffLine* new_line = nullptr;
    WordChanges words;  // for a removed line beside an added one
};
std::vector<SideBySideRow> side_by_side(const std::vector<DiffLine>& lines);

}  // namespace qlx::comparison
