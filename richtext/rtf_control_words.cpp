#include "richtext/rtf_control_words.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qlx::richtext {

namespace {

using Entry = std::pair<std::string_view, ControlWord>;

constexpr ControlWord act(Action action, char32_t value = 0) {
    return {action, value};
}

constexpr ControlWord skip = act(Action::skip_destination);

// Sorted by name, for binary search.
constexpr auto words = std::to_array<Entry>({
    {"aftncn", skip},
    {"aftnsep", skip},
    {"aftnsepc", skip},
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
    {"colorschememapping", skip},
    {"colortbl", act(Action::color_table)},
    {"comment", skip},
    {"company", skip},
    {"cpg", act(Action::font_code_page)},
    {"datastore", skip},
    {"deff", act(Action::default_font)},
    {"deftab", act(Action::default_tab)},
    {"doccomm", skip},
    {"docvar", skip},
    {"emdash", act(Action::character, 0x2014)},
    {"emspace", act(Action::character, 0x2003)},
    {"endash", act(Action::character, 0x2013)},
    {"enspace", act(Action::character, 0x2002)},
    {"f", act(Action::font)},
    {"fchars", skip},
    {"fcharset", act(Action::font_charset)},
    {"fldinst", skip},
    {"fonttbl", act(Action::font_table)},
    {"footer", skip},
    {"footerf", skip},
    {"footerl", skip},
    {"footerr", skip},
    {"footnote", skip},
    {"fs", act(Action::font_size)},
    {"ftncn", skip},
    {"ftnsep", skip},
    {"ftnsepc", skip},
    {"generator", skip},
    {"green", act(Action::green)},
    {"header", skip},
    {"headerf", skip},
    {"headerl", skip},
    {"headerr", skip},
    {"highlight", act(Action::highlight)},
    {"hlinkbase", skip},
    {"i", act(Action::italic)},
    {"info", skip},
    {"keywords", skip},
    {"latentstyles", skip},
    {"lchars", skip},
    {"ldblquote", act(Action::character, 0x201C)},
    {"line", act(Action::character, 0x2028)},
    {"listoverridetable", skip},
    {"listtable", skip},
    {"lquote", act(Action::character, 0x2018)},
    {"ltrmark", act(Action::character, 0x200E)},
    {"mac", act(Action::ansi_code_page, 10000)},
    {"mmathPr", skip},
    {"nestcell", act(Action::cell)},
    {"nestrow", act(Action::paragraph, 1)},
    {"nonshppict", skip},
    {"object", skip},
    {"operator", skip},
    {"page", act(Action::paragraph, 2)},
    {"par", act(Action::paragraph)},
    {"pc", act(Action::ansi_code_page, 437)},
    {"pca", act(Action::ansi_code_page, 850)},
    {"pgdsctbl", skip},
    {"pict", skip},
    {"plain", act(Action::plain)},
    {"pn", skip},
    {"qmspace", act(Action::character, 0x2005)},
    {"rdblquote", act(Action::character, 0x201D)},
    {"red", act(Action::red)},
    {"revtbl", skip},
    {"row", act(Action::paragraph, 1)},
    {"rquote", act(Action::character, 0x2019)},
    {"rsidtbl", skip},
    {"rtlmark", act(Action::character, 0x200F)},
    {"sect", act(Action::paragraph)},
    {"shp", skip},
    {"shppict", skip},
    {"strike", act(Action::strike_out)},
    {"striked", act(Action::strike_out)},
    {"stylesheet", skip},
    {"subject", skip},
    {"tab", act(Action::character, '\t')},
    {"tc", skip},
    {"template", skip},
    {"themedata", skip},
    {"title", skip},
    {"txe", skip},
    {"u", act(Action::unicode)},
    {"uc", act(Action::unicode_skip)},
    {"ul", act(Action::underline, 1)},
    {"uld", act(Action::underline, 1)},
    {"uldash", act(Action::underline, 1)},
    {"uldashd", act(Action::underline, 1)},
    {"uldashdd", act(Action::underline, 1)},
    {"uldb", act(Action::underline, 1)},
    {"ulhwave", act(Action::underline, 1)},
    {"ulldash", act(Action::underline, 1)},
    {"ulnone", act(Action::underline, 0)},
    {"ulth", act(Action::underline, 1)},
    {"ulthd", act(Action::underline, 1)},
    {"ulthdash", act(Action::underline, 1)},
    {"ulthdashd", act(Action::underline, 1)},
    {"ulthdashdd", act(Action::underline, 1)},
    {"ulthldash", act(Action::underline, 1)},
    {"ululdbwave", act(Action::underline, 1)},
    {"ulw", act(Action::underline, 1)},
    {"ulwave", act(Action::underline, 1)},
    {"userprops", skip},
    {"v", act(Action::hidden)},
    {"wgrffmtfilter", skip},
    {"xe", skip},
    {"xmlnstbl", skip},
    {"zwj", act(Action::character, 0x200D)},
    {"zwnj", act(Action::character, 0x200C)},
});

static_assert(std::ranges::is_sorted(words, {}, &Entry::first));

}  // namespace

ControlWord lookup_control_word(std::string_view letters) {
    const auto it = std::ranges::lower_bound(words, letters, {}, &Entry::first);
    if (it == words.end() || it->first != letters) {
        return {};
    }
    return it->second;
}

}  // namespace qlx::richtext
