#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "richtext/document.h"

namespace qlx::richtext::writing {

// The font and colour tables the RTF writer writes: those the document was read from, under
// their numbers and with everything their entries said, then what the formats it uses need
// besides. Written again from what it wrote, a document gets the same tables.
class RtfWriterTables {
public:
    explicit RtfWriterTables(const Document& document);

    // The font \plain stands for (\deffN): the source's default font where the table has
    // it; no_font: no \deffN is written (text in no font stays in none).
    int default_font() const { return default_font_; }
    static constexpr int no_font = -1;

    void write(std::string& out) const;
    // "\plain" (unless `plain` is false: it was just written) and the words of the format,
    // then a blank.
    void write_format(std::string& out, const CharFormat& format, bool plain = true) const;
    // Whether text in this format may be written as Windows-1252 bytes (\'hh): the document's
    // code page is Windows-1252 and the format's font reads bytes in it. Elsewhere characters
    // beyond ASCII are written as \uN, which every font reads alike.
    bool writes_windows1252(const CharFormat& format) const;

private:
    struct FontNameHash {
        std::size_t operator()(const FontName& name) const { return name.hash(); }
    };

    static std::uint32_t pack(const Rgb& c) { return (c.red << 16) | (c.green << 8) | c.blue; }
    bool reads_as_written(const SourceFont& font) const;
    void note_font_numbers(std::string_view rtf);
    int free_number() const;
    int add_font(const FontName& family, int charset = -1);
    void choose_default_font(const Document& document, bool nameless_text);
    void add_colors(const CharFormat& format);
    // The font text in this format is written in.
    int font_of(const CharFormat& format) const;

    std::vector<SourceFont> fonts_;
    std::set<int> used_numbers_;
    std::unordered_map<FontName, int, FontNameHash> font_index_;
    std::map<std::pair<std::string, int>, int> charset_index_;  // family and \fcharsetN
    std::set<int> foreign_fonts_;  // fonts whose bytes are not the document's code page
    int default_font_ = 0;
    int nameless_font_ = -1;  // the font of text in no font (an entry without a name)
    bool positions_ = false;  // some format is raised or lowered (\super, \sub)
    std::vector<std::optional<Rgb>> colors_;
    std::map<std::uint32_t, std::size_t> color_index_;
    std::size_t default_color_ = 0;  // an entry without a colour, for the default named
    int code_page_;
};

}  // namespace qlx::richtext::writing
