#pragma once

#include <cstdint>
#include <string_view>

namespace qlx::richtext {

// What the reader does with an RTF control word.
enum class Action : std::uint8_t {
    ignore,
    // document
    ansi_code_page,  // \ansicpgN, and \ansi \mac \pc \pca with their code page as `value`
    default_font,
    default_tab,
    font_table,
    color_table,
    skip_destination,  // a group whose content is not text: \info, \pict, \header, ...
    binary,
    // font and colour table entries
    font_charset,
    font_code_page,
    red,
    green,
    blue,
    // text
    field,            // \field: the group is a field
    footnote_number,  // \chftn
    paragraph,        // \par, \page (`value` 2), \sect (`value` 3)
    cell,             // \cell, \nestcell (`value` 1)
    row,              // \row, \nestrow (`value` 1)
    character,        // a symbol word; `value` is its code point
    unicode,
    unicode_skip,
    upr,                  // \upr: a group of two versions of text, ANSI and Unicode (\ud)
    unicode_destination,  // \ud: the Unicode version of \upr's text
    // character format
    plain,
    font,
    associated_font,  // \afN: the font of the script \loch, \hich or \dbch chose
    script,           // \loch (`value` 0), \hich (1), \dbch (2), \rtlch (3), \ltrch (4)
    font_size,
    character_style,  // \csN
    color,
    highlight,
    bold,       // \b; `value` 1: \ab, of the script \loch, \hich, ... chose
    italic,     // \i; `value` 1: \ai
    underline,  // `value` 0: \ulnone; N: the kind underline_words[N - 1]
    strike_out,
    hidden,
    vertical_position,  // `value` 0: \nosupersub, 1: \super, 2: \sub
    raise,              // `value` 1: \upN, 2: \dnN (N half-points, 6 when not given)
    // paragraph format
    paragraph_defaults,  // \pard
    style,               // \sN
    alignment,           // `value`: the Alignment
    left_indent,
    right_indent,
    first_line_indent,
    space_before,
    space_after,
    line_spacing,
    line_spacing_multiple,
    page_break_before,
    list,        // \lsN
    list_level,  // \ilvlN
    // page and sections
    page_setup,        // \paperwN, \marglN, \landscape, ...: carried as the document's page
                       // (with how its pages and notes are numbered, and whether its first
                       // page has a header of its own)
    section_defaults,  // \sectd: a section's properties follow
    // tables
    in_table,                 // \intbl: the paragraph is in a table (at depth 1 unless \itap)
    table_depth,              // \itapN: the paragraph is in a table nested N deep
    row_defaults,             // \trowd: the row's cells are defined anew
    nested_table_properties,  // \nesttableprops: a nested row's properties, read as text
};

struct ControlWord {
    Action action = Action::ignore;
    char32_t value = 0;
};

// The meaning of a control word given by its letters; Action::ignore for unknown words.
ControlWord lookup_control_word(std::string_view letters);

// Where a group of a document's head goes, in the order word processors write a head.
enum class HeadRank : std::uint8_t {
    defaults,        // \defchp, \defpap
    style_sheet,
    lists,           // \listtable
    list_overrides,  // \listoverridetable
    tables,          // page styles, revisions, editing sessions
    other,           // the rest, as it came
    section,         // headers and footers: the first section's, after its properties
};

// The words of the kinds of underline (CharFormat::underline_kind), single first.
inline constexpr std::string_view underline_words[] = {
    "ul",         "uld",       "uldash",     "uldashd", "uldashdd", "uldb",
    "ulhwave",    "ulldash",   "ulth",       "ulthd",   "ulthdash", "ulthdashd",
    "ulthdashdd", "ulthldash", "ululdbwave", "ulw",     "ulwave"};

// The rank of a group ("{\stylesheet ...}", "{\*\listtable ...}") by its first word.
HeadRank head_group_rank(std::string_view group);

}  // namespace qlx::richtext
