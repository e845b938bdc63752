#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/code_page.h"
#include "richtext/document.h"

namespace qlx::richtext {

// The font and colour tables of an RTF document and its code page, filled as the reader
// meets them and looked up when text is decoded and formats are resolved.
class RtfTables {
public:
    enum class Component : std::uint8_t { red, green, blue };

    void set_ansi_code_page(int code_page) { ansi_code_page_ = code_page; }
    int ansi_code_page() const { return ansi_code_page_; }

    // A font table entry: \fN, then its character set or code page and its name, ended by
    // ";" (or by the next entry, or the end of the table).
    void begin_font(int number);
    bool font_open() const { return font_number_ >= 0; }
    // A negative character set is none.
    void set_font_charset(int charset) { font_charset_ = std::max(charset, -1); }
    // A code page that does not read ASCII as ASCII is no font's.
    void set_font_code_page(int code_page) {
        font_code_page_ = is_ascii_compatible(code_page) ? code_page : 0;
    }
    // A byte of the name as it stands in the table, where ";" ends the entry.
    void add_font_name_text(char byte);
    // A byte of the name given by its code (\'hh) or escaped.
    void add_font_name_byte(char byte);
    void add_font_name_code_point(char32_t code);
    // Another word or group of the entry, as written (see SourceFont::properties).
    void add_font_property(std::string_view rtf);
    void end_font();

    // A colour table entry: its components, ended by ";". An entry without components is the
    // default colour.
    void begin_color_table();
    void set_color_component(Component component, int value);
    void end_color();
    void end_color_table();

    // The family of font `number`; empty when the table has no such font.
    const FontName& font_family(int number) const;
    // The character set of font `number` (\fcharsetN); -1 when none is given or no such font.
    int font_charset(int number) const;
    // The code page text in font `number` is written in.
    int text_code_page(int number) const;
    // The number of the font with this family; -1 when the table has none.
    int font_named(std::string_view family) const;
    // Whether a font (by number, or by family when not in the table) is a symbol font, whose
    // characters are no code page's: \fcharset2, or named Symbol, Wingdings or Webdings.
    bool is_symbol_font(int number, std::string_view family) const;
    // Colour `index` of the table; none for the default colour and for indexes not in it.
    std::optional<Rgb> color(int index) const;

    // The tables as they were read, for a document to keep.
    std::vector<SourceFont> source_fonts() const;
    const std::vector<std::optional<Rgb>>& colors() const { return colors_; }

private:
    struct FontEntry {
        FontName name;
        int code_page = 0;  // 0: the document's code page
        int charset = -1;
        int given_code_page = 0;  // \cpgN as written
        std::string properties;
    };

    int entry_code_page() const;
    void decode_font_name();

    int ansi_code_page_ = 1252;
    std::map<int, FontEntry> fonts_;
    std::vector<std::optional<Rgb>> colors_;

    int font_number_ = -1;        // the entry being read, -1: none
    std::string font_name_;       // bytes of the entry's name not yet decoded
    std::string font_name_utf8_;  // the name decoded so far
    int font_charset_ = -1;
    int font_code_page_ = 0;
    std::string font_properties_;

    Rgb color_;
    bool color_given_ = false;
};

}  // namespace qlx::richtext
