#include "richtext/rtf_writer_tables.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iterator>

#include "richtext/code_page.h"
#include "richtext/rtf_control_words.h"
#include "richtext/rtf_escape.h"

namespace qlx::richtext::writing {

RtfWriterTables::RtfWriterTables(const Document& document)
    : fonts_(document.source_fonts),
      colors_(document.source_colors),
      code_page_(document.source_code_page) {
    if (colors_.empty()) {
        colors_.emplace_back();  // entry 0: the default colour
    }
    for (std::size_t i = 1; i < colors_.size(); ++i) {
        if (colors_[i]) {
            color_index_.try_emplace(pack(*colors_[i]), i);
        }
    }
    // A family names the first of its fonts that reads the document's bytes, else its first:
    // a font of another character set keeps it (text in it is written as \uN).
    for (const bool native : {true, false}) {
        for (const SourceFont& font : fonts_) {
            used_numbers_.insert(font.number);
            if (reads_as_written(font) == native) {
                font_index_.try_emplace(font.family, font.number);
            }
            charset_index_.try_emplace({font.family.str(), font.charset}, font.number);
            if (!native && !reads_as_written(font)) {
                foreign_fonts_.insert(font.number);
            }
        }
    }
    // Numbers that what is carried through names, defined or not, are no new font's.
    for (const Paragraph& paragraph : document.paragraphs()) {
        used_numbers_.insert(paragraph.format.numbering.font);
        for (const Run& run : paragraph.runs) {
            note_font_numbers(run.rtf);
        }
    }
    for (const std::string& group : document.head_groups) {
        note_font_numbers(group);
    }
    const std::vector<bool> used = document.formats_in_use();
    bool nameless_text = false;
    for (std::size_t i = 0; i < used.size(); ++i) {
        if (used[i]) {
            const CharFormat& format = document.format(i);
            if (format.font_family.empty()) {
                nameless_text = true;
            } else if (format.font_charset >= 0
                           ? !charset_index_.contains(
                                 {format.font_family.str(), format.font_charset})
                           : !font_index_.contains(format.font_family)) {
                // A font of the text's character set where the table has none.
                const int number = add_font(format.font_family, format.font_charset);
                font_index_.try_emplace(format.font_family, number);
                charset_index_.try_emplace({format.font_family.str(), format.font_charset},
                                           number);
                if (!reads_as_written(fonts_.back())) {
                    foreign_fonts_.insert(number);
                }
            }
            if (!format.east_asian_family.empty() &&
                !font_index_.contains(format.east_asian_family)) {
                font_index_.emplace(format.east_asian_family, add_font(format.east_asian_family));
            }
            add_colors(format);
            positions_ = positions_ || format.position != VerticalPosition::baseline;
        }
    }
    choose_default_font(document, nameless_text);
    std::ranges::sort(fonts_, {}, &SourceFont::number);  // as a reader lists them again
}

// The source's default font where the table has it, so that the table is the source's and
// saving what was saved changes nothing. Text in no font is written in no font, without
// \deffN, where the source had no font table or named no default font, and there is no font 0
// (a reader's own default font then shows it, as it showed it in the source); else it needs
// an entry without a name: the default font where there is no other, else one \fN names.
void RtfWriterTables::choose_default_font(const Document& document, bool nameless_text) {
    const auto has_font = [&](int number) {
        return std::ranges::find(fonts_, number, &SourceFont::number) != fonts_.end();
    };
    const bool source_default =
        document.source_default_font >= 0 && has_font(document.source_default_font);
    if (nameless_text && document.source_default_font >= 0 && !source_default &&
        !document.source_fonts.empty()) {
        // The source's default font is missing from its table: so it stays (readers show its
        // text in their own default font).
        default_font_ = document.source_default_font;
        return;
    }
    if (nameless_text) {
        const auto nameless = std::ranges::find_if(
            fonts_, [](const SourceFont& font) { return font.family.empty(); });
        if (nameless != fonts_.end()) {
            nameless_font_ = nameless->number;
        } else if ((document.source_default_font >= 0 && !document.source_fonts.empty()) ||
                   has_font(0)) {
            nameless_font_ = add_font({});
        }
    }
    if (source_default) {
        default_font_ = document.source_default_font;
    } else if (nameless_font_ >= 0) {
        default_font_ = nameless_font_;
    } else if (nameless_text || fonts_.empty()) {
        default_font_ = no_font;
    } else if (has_font(0)) {
        default_font_ = 0;  // what a reader takes without \deffN
    } else {
        default_font_ = fonts_.front().number;
    }
}

int RtfWriterTables::add_font(const FontName& family, int charset) {
    const int number = free_number();
    fonts_.push_back({number, family, charset, 0, {}});
    used_numbers_.insert(number);
    return number;
}

void RtfWriterTables::add_colors(const CharFormat& format) {
    // The default colour named is an entry without a colour: entry 0 where it is one.
    if (format.default_color_named && !format.color && default_color_ == 0 && colors_[0]) {
        const auto empty =
            std::ranges::find_if(colors_, [](const std::optional<Rgb>& color) { return !color; });
        default_color_ = static_cast<std::size_t>(empty - colors_.begin());
        if (empty == colors_.end()) {
            colors_.emplace_back();
        }
    }
    for (const auto& color : {format.color, format.highlight}) {
        // Entry 0 of the colour table is the default colour.
        if (color && color_index_.try_emplace(pack(*color), colors_.size()).second) {
            colors_.push_back(*color);
        }
    }
}

void RtfWriterTables::write(std::string& out) const {
    out += "{\\fonttbl";
    for (const SourceFont& font : fonts_) {
        append_number(out, "{\\f", font.number);
        out += font.properties.empty() ? std::string_view("\\fnil") : font.properties;
        // A font without a character set is in the document's code page, as it was.
        if (font.charset >= 0) {
            append_number(out, "\\fcharset", font.charset);
        }
        if (font.code_page > 0) {
            append_number(out, "\\cpg", font.code_page);
        }
        out += ' ';
        append_text(out, font.family.str(), TextKind::font_name, false);
        out += ";}";
    }
    out += "}\r\n{\\colortbl";
    for (const std::optional<Rgb>& color : colors_) {
        if (color) {
            append_number(out, "\\red", color->red);
            append_number(out, "\\green", color->green);
            append_number(out, "\\blue", color->blue);
        }
        out += ';';
    }
    out += "}\r\n";
}

int RtfWriterTables::font_of(const CharFormat& format) const {
    if (!format.font_family.empty()) {
        // Of fonts of one family, the one of the text's character set, or the one without
        // any when the text's font gave none.
        const auto font = charset_index_.find({format.font_family.str(), format.font_charset});
        return font != charset_index_.end() ? font->second : font_index_.at(format.font_family);
    }
    return nameless_font_ >= 0 ? nameless_font_ : default_font_;
}

void RtfWriterTables::write_format(std::string& out, const CharFormat& format, bool plain) const {
    out += plain ? "\\plain" : "";
    if (format.character_style >= 0) {
        append_number(out, "\\cs", format.character_style);
    }
    const int font = font_of(format);
    if (font != default_font_) {
        append_number(out, "\\f", font);
    }
    if (!format.east_asian_family.empty()) {
        append_number(out, "\\dbch\\af", font_index_.at(format.east_asian_family));
    }
    // Every size given, even 12 points: \plain's size is 12 points in some readers, the
    // default style's in others; none where the source gave none, for the same reason.
    if (format.size_given) {
        append_number(out, "\\fs", format.half_points);
    }
    if (format.color) {
        append_number(out, "\\cf", static_cast<long long>(color_index_.at(pack(*format.color))));
    } else if (format.default_color_named) {
        append_number(out, "\\cf", static_cast<long long>(default_color_));
    }
    if (format.highlight) {
        append_number(out, "\\highlight",
                      static_cast<long long>(color_index_.at(pack(*format.highlight))));
    }
    out += format.bold ? "\\b" : "";
    out += format.italic ? "\\i" : "";
    if (format.underline) {
        out += '\\';
        out += underline_words[format.underline_kind < std::size(underline_words)
                                   ? format.underline_kind
                                   : 0];
    }
    out += format.strike_out ? "\\strike" : "";
    out += format.hidden ? "\\v" : "";
    // Some readers keep a raised run going past \plain; \nosupersub ends it in every one.
    out += format.position == VerticalPosition::superscript ? "\\super"
           : format.position == VerticalPosition::subscript ? "\\sub"
           : positions_                                     ? "\\nosupersub"
                                                            : "";
    if (format.raise_half_points > 0) {
        append_number(out, "\\up", format.raise_half_points);
    } else if (format.raise_half_points < 0) {
        append_number(out, "\\dn", -format.raise_half_points);
    }
    // The blank ends the last word; after a group, nothing needs ending.
    if (!out.ends_with('}')) {
        out += ' ';
    }
}

bool RtfWriterTables::writes_windows1252(const CharFormat& format) const {
    return code_page_ == 1252 && !foreign_fonts_.contains(font_of(format));
}

// Whether text written in this font is read as the writer writes it: in the document's
// code page. A font of the "default" character set (\fcharset1) is the system's in some
// readers, and gets no bytes either.
bool RtfWriterTables::reads_as_written(const SourceFont& font) const {
    if (font.charset == 1 && font.code_page <= 0) {
        return false;
    }
    const int code_page = font.code_page > 0  ? font.code_page
                          : font.charset >= 0 ? code_page_for_charset(font.charset, code_page_)
                                              : code_page_;
    return code_page == code_page_;
}

// Notes the font numbers (\fN) RTF names.
void RtfWriterTables::note_font_numbers(std::string_view rtf) {
    for (std::size_t at = rtf.find("\\f"); at != std::string_view::npos;
         at = rtf.find("\\f", at + 2)) {
        std::size_t end = at + 2;
        while (end < rtf.size() && end - at < 12 && rtf[end] >= '0' && rtf[end] <= '9') {
            ++end;
        }
        int number = 0;
        if (end > at + 2 &&
            std::from_chars(rtf.data() + at + 2, rtf.data() + end, number).ec == std::errc()) {
            used_numbers_.insert(number);
        }
    }
}

// The smallest font number the table does not use.
int RtfWriterTables::free_number() const {
    int number = 0;
    for (auto used = used_numbers_.lower_bound(0); used != used_numbers_.end() && *used == number;
         ++used) {
        ++number;
    }
    return number;
}

}  // namespace qlx::richtext::writing
