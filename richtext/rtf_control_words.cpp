#include "richtext/rtf_control_words.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>

namespace qlx::richtext {

namespace {

using Entry = std::pair<std::string_view, ControlWord>;

constexpr ControlWord act(Action action, char32_t value = 0) {
    return {action, value};
}

constexpr ControlWord skip = act(Action::skip_destination);

// Sorted by name, to be read and kept in order.
constexpr auto words = std::to_array<Entry>({
    {"ab", act(Action::bold, 1)},
    {"aenddoc", act(Action::page_setup)},
    {"aendnotes", act(Action::page_setup)},
    {"af", act(Action::associated_font)},
    {"aftncn", skip},
    {"aftnnalc", act(Action::page_setup)},
    {"aftnnar", act(Action::page_setup)},
    {"aftnnauc", act(Action::page_setup)},
    {"aftnnchi", act(Action::page_setup)},
    {"aftnnrlc", act(Action::page_setup)},
    {"aftnnruc", act(Action::page_setup)},
    {"aftnrestart", act(Action::page_setup)},
    {"aftnrstcont", act(Action::page_setup)},
    {"aftnsep", skip},
    {"aftnsepc", skip},
    {"aftnstart", act(Action::page_setup)},
    {"ai", act(Action::italic, 1)},
    {"annotation", skip},
    {"ansi", act(Action::ansi_code_page, 1252)},
    {"ansicpg", act(Action::ansi_code_page)},
    {"atnauthor", skip},
    {"atndate", skip},
    {"atnid", skip},
    {"atnref", skip},
    {"author", skip},
    {"b", act(Action::bold)},
    {"bin", act(Action::binary)},
    {"bkmkend", skip},
    {"bkmkstart", skip},
    {"blue", act(Action::blue)},
    {"bullet", act(Action::character, 0x2022)},
    {"cb", act(Action::highlight)},
    {"cell", act(Action::cell)},
    {"cf", act(Action::color)},
    {"chcbpat", act(Action::highlight)},
    {"chftn", act(Action::footnote_number)},
    {"colorschememapping", skip},
    {"colortbl", act(Action::color_table)},
    {"comment", skip},
    {"company", skip},
    {"cpg", act(Action::font_code_page)},
    {"cs", act(Action::character_style)},
    {"datastore", skip},
    {"dbch", act(Action::script, 2)},
    {"deff", act(Action::default_font)},
    {"deftab", act(Action::default_tab)},
    {"dn", act(Action::raise, 2)},
    {"doccomm", skip},
    {"docvar", skip},
    {"emdash", act(Action::character, 0x2014)},
    {"emspace", act(Action::character, 0x2003)},
    {"endash", act(Action::character, 0x2013)},
    {"enddoc", act(Action::page_setup)},
    {"endnotes", act(Action::page_setup)},
    {"enspace", act(Action::character, 0x2002)},
    {"f", act(Action::font)},
    {"facingp", act(Action::page_setup)},
    {"fchars", skip},
    {"fcharset", act(Action::font_charset)},
    {"fet", act(Action::page_setup)},
    {"fi", act(Action::first_line_indent)},
    {"field", act(Action::field)},
    {"fldinst", skip},
    {"fonttbl", act(Action::font_table)},
    {"footer", skip},
    {"footerf", skip},
    {"footerl", skip},
    {"footerr", skip},
    {"footnote", skip},
    {"fs", act(Action::font_size)},
    {"ftnbj", act(Action::page_setup)},
    {"ftncn", skip},
    {"ftnnalc", act(Action::page_setup)},
    {"ftnnar", act(Action::page_setup)},
    {"ftnnauc", act(Action::page_setup)},
    {"ftnnchi", act(Action::page_setup)},
    {"ftnnrlc", act(Action::page_setup)},
    {"ftnnruc", act(Action::page_setup)},
    {"ftnrestart", act(Action::page_setup)},
    {"ftnrstcont", act(Action::page_setup)},
    {"ftnrstpg", act(Action::page_setup)},
    {"ftnsep", skip},
    {"ftnsepc", skip},
    {"ftnstart", act(Action::page_setup)},
    {"ftntj", act(Action::page_setup)},
    {"generator", skip},
    {"green", act(Action::green)},
    {"gutter", act(Action::page_setup)},
    {"header", skip},
    {"headerf", skip},
    {"headerl", skip},
    {"headerr", skip},
    {"hich", act(Action::script, 1)},
    {"highlight", act(Action::highlight)},
    {"hlinkbase", skip},
    {"i", act(Action::italic)},
    {"ilvl", act(Action::list_level)},
    {"info", skip},
    {"intbl", act(Action::in_table)},
    {"itap", act(Action::table_depth)},
    {"keywords", skip},
    {"landscape", act(Action::page_setup)},
    {"latentstyles", skip},
    {"lchars", skip},
    {"ldblquote", act(Action::character, 0x201C)},
    {"li", act(Action::left_indent)},
    {"lin", act(Action::left_indent)},
    {"line", act(Action::character, 0x2028)},
    {"listoverridetable", skip},
    {"listtable", skip},
    {"listtext", skip},
    {"loch", act(Action::script, 0)},
    {"lquote", act(Action::character, 0x2018)},
    {"ls", act(Action::list)},
    {"ltrch", act(Action::script, 4)},
    {"ltrmark", act(Action::character, 0x200E)},
    {"mac", act(Action::ansi_code_page, 10000)},
    {"margb", act(Action::page_setup)},
    {"margl", act(Action::page_setup)},
    {"margmirror", act(Action::page_setup)},
    {"margr", act(Action::page_setup)},
    {"margt", act(Action::page_setup)},
    {"mmathPr", skip},
    {"nestcell", act(Action::cell, 1)},
    {"nestrow", act(Action::row, 1)},
    {"nesttableprops", act(Action::nested_table_properties)},
    {"nonesttables", skip},
    {"nonshppict", skip},
    {"nosupersub", act(Action::vertical_position, 0)},
    {"object", skip},
    {"operator", skip},
    {"page", act(Action::paragraph, 2)},
    {"pagebb", act(Action::page_break_before)},
    {"paperh", act(Action::page_setup)},
    {"paperw", act(Action::page_setup)},
    {"par", act(Action::paragraph)},
    {"pard", act(Action::paragraph_defaults)},
    {"pc", act(Action::ansi_code_page, 437)},
    {"pca", act(Action::ansi_code_page, 850)},
    {"pgdsctbl", skip},
    {"pgnstart", act(Action::page_setup)},
    {"pict", skip},
    {"plain", act(Action::plain)},
    {"pn", skip},
    {"pntext", skip},
    {"qc", act(Action::alignment, 1)},
    {"qd", act(Action::alignment, 3)},
    {"qj", act(Action::alignment, 3)},
    {"ql", act(Action::alignment, 0)},
    {"qmspace", act(Action::character, 0x2005)},
    {"qr", act(Action::alignment, 2)},
    {"rdblquote", act(Action::character, 0x201D)},
    {"red", act(Action::red)},
    {"revtbl", skip},
    {"ri", act(Action::right_indent)},
    {"rin", act(Action::right_indent)},
    {"row", act(Action::row)},
    {"rquote", act(Action::character, 0x2019)},
    {"rsidtbl", skip},
    {"rtlch", act(Action::script, 3)},
    {"rtlmark", act(Action::character, 0x200F)},
    {"s", act(Action::style)},
    {"sa", act(Action::space_after)},
    {"sb", act(Action::space_before)},
    {"sect", act(Action::paragraph, 3)},
    {"sectd", act(Action::section_defaults)},
    {"shp", skip},
    {"shppict", skip},
    {"sl", act(Action::line_spacing)},
    {"slmult", act(Action::line_spacing_multiple)},
    {"strike", act(Action::strike_out)},
    {"striked", act(Action::strike_out)},
    {"stylesheet", skip},
    {"sub", act(Action::vertical_position, 2)},
    {"subject", skip},
    {"super", act(Action::vertical_position, 1)},
    {"tab", act(Action::character, '\t')},
    {"tc", skip},
    {"template", skip},
    {"themedata", skip},
    {"title", skip},
    {"titlepg", act(Action::page_setup)},
    {"trowd", act(Action::row_defaults)},
    {"txe", skip},
    {"u", act(Action::unicode)},
    {"uc", act(Action::unicode_skip)},
    {"ud", act(Action::unicode_destination)},
    {"ul", act(Action::underline, 1)},
    {"uld", act(Action::underline, 2)},
    {"uldash", act(Action::underline, 3)},
    {"uldashd", act(Action::underline, 4)},
    {"uldashdd", act(Action::underline, 5)},
    {"uldb", act(Action::underline, 6)},
    {"ulhwave", act(Action::underline, 7)},
    {"ulldash", act(Action::underline, 8)},
    {"ulnone", act(Action::underline, 0)},
    {"ulth", act(Action::underline, 9)},
    {"ulthd", act(Action::underline, 10)},
    {"ulthdash", act(Action::underline, 11)},
    {"ulthdashd", act(Action::underline, 12)},
    {"ulthdashdd", act(Action::underline, 13)},
    {"ulthldash", act(Action::underline, 14)},
    {"ululdbwave", act(Action::underline, 15)},
    {"ulw", act(Action::underline, 16)},
    {"ulwave", act(Action::underline, 17)},
    {"up", act(Action::raise, 1)},
    {"upr", act(Action::upr)},
    {"userprops", skip},
    {"v", act(Action::hidden)},
    {"wgrffmtfilter", skip},
    {"xe", skip},
    {"xmlnstbl", skip},
    {"zwj", act(Action::character, 0x200D)},
    {"zwnj", act(Action::character, 0x200C)},
});

static_assert(std::ranges::is_sorted(words, {}, &Entry::first));

// The words in an open-addressed hash table, made when the program is compiled: a lookup
// costs a hash of the letters and, nearly always, one comparison.
constexpr std::size_t slot_count = 1024;  // a power of two, well over twice the words
constexpr std::uint16_t empty_slot = 0xFFFF;

constexpr std::size_t hash_of(std::string_view letters) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : letters) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return hash & (slot_count - 1);
}

constexpr auto slots = [] {
    std::array<std::uint16_t, slot_count> made{};
    made.fill(empty_slot);
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::size_t slot = hash_of(words[i].first);
        while (made[slot] != empty_slot) {
            slot = (slot + 1) & (slot_count - 1);
        }
        made[slot] = static_cast<std::uint16_t>(i);
    }
    return made;
}();

static_assert(words.size() * 2 < slot_count);

}  // namespace

HeadRank head_group_rank(std::string_view group) {
    using enum HeadRank;
    static constexpr std::pair<std::string_view, HeadRank> ranks[] = {
        {"defchp", defaults},
        {"defpap", defaults},
        {"stylesheet", style_sheet},
        {"listtable", lists},
        {"listoverridetable", list_overrides},
        {"pgdsctbl", tables},
        {"revtbl", tables},
        {"rsidtbl", tables},
        {"header", section},
        {"headerf", section},
        {"headerl", section},
        {"headerr", section},
        {"footer", section},
        {"footerf", section},
        {"footerl", section},
        {"footerr", section}};
    const std::size_t skip = group.starts_with("{\\*\\") ? 4 : group.starts_with("{\\") ? 2 : 0;
    std::string_view word = group.substr(skip == 0 ? group.size() : skip);
    word = word.substr(
        0, static_cast<std::size_t>(
               std::ranges::find_if(
                   word, [](char c) { return !std::isalpha(static_cast<unsigned char>(c)); }) -
               word.begin()));
    const auto rank = std::ranges::find(ranks, word, &std::pair<std::string_view, HeadRank>::first);
    return rank == std::end(ranks) ? other : rank->second;
}

ControlWord lookup_control_word(std::string_view letters) {
    for (std::size_t slot = hash_of(letters);; slot = (slot + 1) & (slot_count - 1)) {
        const std::uint16_t entry = slots[slot];
        if (entry == empty_slot) {
            return {};
        }
        if (words[entry].first == letters) {
            return words[entry].second;
        }
    }
}

}  // namespace qlx::richtext
