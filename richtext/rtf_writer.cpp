#include "richtext/rtf_writer.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "richtext/code_page.h"
#include "richtext/utf8.h"
#include "richtext/windows1252.h"

namespace qlx::richtext {

namespace {

constexpr std::size_t no_format = std::numeric_limits<std::size_t>::max();
constexpr char hex_digits[] = "0123456789abcdef";

void append_hex_byte(std::string& out, int byte) {
    out += "\\'";
    out += hex_digits[(byte >> 4) & 0xF];
    out += hex_digits[byte & 0xF];
}

void append_unicode(std::string& out, char32_t code) {
    if (code > 0xFFFF) {
        const char32_t offset = code - 0x10000;
        append_unicode(out, 0xD800 + (offset >> 10));
        append_unicode(out, 0xDC00 + (offset & 0x3FF));
        return;
    }
    const int value = code > 0x7FFF ? static_cast<int>(code) - 65536 : static_cast<int>(code);
    out += "\\u";
    out += std::to_string(value);
    out += '?';
}

enum class TextKind { body, font_name };

// Appends UTF-8 text as RTF text. In a font name, where symbol words mean nothing and ";"
// would end the entry, tabs, line breaks and ";" are written as character codes.
// Characters beyond ASCII are written as Windows-1252 bytes where the document's code page
// is Windows-1252 (`windows1252`), as \uN everywhere else.
void append_text(std::string& out, std::string_view text, TextKind kind = TextKind::body,
                 bool windows1252 = true) {
    const bool body = kind == TextKind::body;
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t code = next_code_point(text, pos);
        if (code == '\\' || code == '{' || code == '}') {
            out += '\\';
            out += static_cast<char>(code);
        } else if (code == '\t' && body) {
            out += "\\tab ";
        } else if (code == 0x2028 && body) {
            out += "\\line ";
        } else if (code >= 0x20 && code < 0x7F && (body || code != ';')) {
            out += static_cast<char>(code);
        } else if (const int byte = windows1252 ? unicode_to_windows1252(code) : -1; byte >= 0) {
            append_hex_byte(out, byte);
        } else {
            append_unicode(out, code);
        }
    }
}

void append_number(std::string& out, std::string_view word, std::size_t number) {
    out += word;
    out += std::to_string(number);
}

// The font and colour tables: those the document was read from, under their numbers, then
// what the formats it uses need besides.
class Tables {
public:
    explicit Tables(const Document& document)
        : fonts_(document.source_fonts),
          colors_(document.source_colors),
          code_page_(document.source_code_page) {
        if (colors_.empty()) {
            colors_.emplace_back();  // entry 0: the default colour
        }
        for (const SourceFont& font : fonts_) {
            used_numbers_.insert(font.number);
            if (reads_as_written(font)) {
                font_index_.try_emplace(font.family, static_cast<std::size_t>(font.number));
            }
        }
        for (std::size_t i = 1; i < colors_.size(); ++i) {
            if (colors_[i]) {
                color_index_.try_emplace(pack(*colors_[i]), i);
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
        for (std::size_t i = 0; i < used.size(); ++i) {
            if (used[i]) {
                add(document.format(i));
            }
        }
    }

    // A font number the table leaves out, so that \plain means "no font".
    std::size_t default_font() const { return static_cast<std::size_t>(free_number()); }

    void write(std::string& out) const {
        out += "{\\fonttbl";
        for (const SourceFont& font : fonts_) {
            append_number(out, "{\\f", static_cast<std::size_t>(font.number));
            out += "\\fnil";
            // A font without a character set is in the document's code page, as it was.
            if (font.charset >= 0) {
                append_number(out, "\\fcharset", static_cast<std::size_t>(font.charset));
            }
            if (font.code_page > 0) {
                append_number(out, "\\cpg", static_cast<std::size_t>(font.code_page));
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

    void write_format(std::string& out, const CharFormat& format) const {
        out += "\\plain";
        if (!format.font_family.empty()) {
            append_number(out, "\\f", font_index_.at(format.font_family));
        }
        if (format.half_points != default_half_points) {
            append_number(out, "\\fs", static_cast<std::size_t>(format.half_points));
        }
        if (format.color) {
            append_number(out, "\\cf", color_index_.at(pack(*format.color)));
        }
        if (format.highlight) {
            append_number(out, "\\highlight", color_index_.at(pack(*format.highlight)));
        }
        out += format.bold ? "\\b" : "";
        out += format.italic ? "\\i" : "";
        out += format.underline ? "\\ul" : "";
        out += format.strike_out ? "\\strike" : "";
        out += format.hidden ? "\\v" : "";
        out += format.position == VerticalPosition::superscript ? "\\super"
               : format.position == VerticalPosition::subscript ? "\\sub"
                                                                : "";
        if (format.raise_half_points > 0) {
            append_number(out, "\\up", static_cast<std::size_t>(format.raise_half_points));
        } else if (format.raise_half_points < 0) {
            append_number(out, "\\dn", static_cast<std::size_t>(-format.raise_half_points));
        }
        out += ' ';
    }

private:
    static std::uint32_t pack(const Rgb& c) { return (c.red << 16) | (c.green << 8) | c.blue; }

    // Whether text written in this font is read as the writer writes it: in the document's
    // code page.
    bool reads_as_written(const SourceFont& font) const {
        const int code_page = font.code_page > 0 ? font.code_page
                              : font.charset >= 0 && font.charset != 1
                                  ? code_page_for_charset(font.charset, code_page_)
                                  : code_page_;
        return code_page == code_page_;
    }

    void add(const CharFormat& format) {
        if (!format.font_family.empty() &&
            font_index_.try_emplace(format.font_family, free_number()).second) {
            const int number = free_number();
            fonts_.push_back({number, format.font_family, 0, 0});
            used_numbers_.insert(number);
        }
        for (const auto& color : {format.color, format.highlight}) {
            // Entry 0 of the colour table is the default colour.
            if (color && color_index_.try_emplace(pack(*color), colors_.size()).second) {
                colors_.push_back(*color);
            }
        }
    }

    struct FontNameHash {
        std::size_t operator()(const FontName& name) const { return name.hash(); }
    };

    std::vector<SourceFont> fonts_;
    // Notes the font numbers (\fN) RTF names.
    void note_font_numbers(std::string_view rtf) {
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
    int free_number() const {
        int number = 0;
        for (auto used = used_numbers_.lower_bound(0);
             used != used_numbers_.end() && *used == number; ++used) {
            ++number;
        }
        return number;
    }

    std::set<int> used_numbers_;
    std::unordered_map<FontName, std::size_t, FontNameHash> font_index_;
    std::vector<std::optional<Rgb>> colors_;
    int code_page_;
    std::map<std::uint32_t, std::size_t> color_index_;
};

void append_signed(std::string& out, std::string_view word, int number) {
    out += word;
    out += std::to_string(number);
}

// An old paragraph numbering group: {\*\pn ...}, its texts as the bytes they were.
void append_old_numbering(std::string& out, const OldNumbering& numbering) {
    using Kind = OldNumbering::Kind;
    if (numbering.kind == Kind::none) {
        return;
    }
    static constexpr std::string_view kinds[] = {
        "",           "\\pnlvlblt", "\\pnlvlbody\\pndec", "\\pnlvlbody\\pnucrm", "\\pnlvlbody\\pnlcrm",
        "\\pnlvlbody\\pnucltr", "\\pnlvlbody\\pnlcltr"};
    out += "{\\*\\pn";
    out += kinds[static_cast<std::size_t>(numbering.kind)];
    if (numbering.font >= 0) {
        append_signed(out, "\\pnf", numbering.font);
    }
    append_signed(out, "\\pnindent", numbering.indent);
    append_signed(out, "\\pnstart", numbering.start);
    for (const auto& [word, bytes] :
         {std::pair{"{\\pntxtb ", &numbering.before}, {"{\\pntxta ", &numbering.after}}) {
        if (!bytes->empty()) {
            out += word;
            for (const char c : *bytes) {
                append_hex_byte(out, static_cast<unsigned char>(c));
            }
            out += '}';
        }
    }
    out += '}';
}

// "\pard" and the properties of a paragraph that differ from the defaults.
void append_paragraph_format(std::string& out, const ParagraphFormat& format) {
    out += "\\pard";
    static constexpr std::string_view alignments[] = {"", "\\qc", "\\qr", "\\qj"};
    out += alignments[static_cast<std::size_t>(format.alignment)];
    for (const auto& [word, value] : {std::pair{"\\li", format.left_indent},
                                      {"\\ri", format.right_indent},
                                      {"\\fi", format.first_line_indent},
                                      {"\\sb", format.space_before},
                                      {"\\sa", format.space_after},
                                      {"\\sl", format.line_spacing}}) {
        if (value != 0) {
            append_signed(out, word, value);
        }
    }
    out += format.line_spacing_multiple ? "\\slmult1" : "";
    out += format.page_break_before ? "\\pagebb" : "";
    if (format.list > 0) {
        append_signed(out, "\\ls", format.list);
    }
    if (format.list_level != 0) {
        append_signed(out, "\\ilvl", format.list_level);
    }
    append_old_numbering(out, format.numbering);
}

void append_table_depth(std::string& out, int depth) {
    if (depth > 0) {
        out += "\\intbl";
    }
    if (depth > 1) {
        append_signed(out, "\\itap", depth);
    }
}

// Whether paragraph i, of a table, is the first of a row of the outermost table (it may be
// in a table nested in that row's first cell).
bool starts_row(const std::vector<Paragraph>& paragraphs, std::size_t i) {
    if (i == 0) {
        return true;
    }
    const TablePlace& before = paragraphs[i - 1].table;
    return before.depth == 0 || (before.depth == 1 && before.end == TablePlace::End::row);
}

// The definition of the row that paragraph i starts, which its last paragraph holds.
std::string_view row_definition(const std::vector<Paragraph>& paragraphs, std::size_t i) {
    for (; i < paragraphs.size() && paragraphs[i].table.depth > 0; ++i) {
        if (paragraphs[i].table.depth == 1 && paragraphs[i].table.end == TablePlace::End::row) {
            return paragraphs[i].table.row;
        }
    }
    return "\\trowd";
}

// What ends a paragraph: \par (none after the document's last), or the end of its cell, and
// of its row (a nested row's definition is written there).
void append_paragraph_end(std::string& out, const TablePlace& place, bool last) {
    using End = TablePlace::End;
    if (place.depth == 0 || place.end == End::paragraph) {
        out += last && place.depth == 0 ? "" : "\\par\r\n";
        return;
    }
    out += place.depth == 1 ? "\\cell" : "\\nestcell";
    if (place.end == End::row) {
        out += place.depth == 1 ? std::string_view("\\row") : std::string_view(place.row);
    }
    out += "\r\n";
}

}  // namespace

void write_rtf(const Document& document, const Sink& sink) {
    const Tables tables(document);
    BufferedSink out(sink);
    std::string& buffer = out.buffer();
    const bool windows1252 = document.source_code_page == 1252;
    append_number(buffer, "{\\rtf1\\ansi\\ansicpg", static_cast<std::size_t>(document.source_code_page));
    append_number(buffer, "\\deff", tables.default_font());
    append_number(buffer, "\\deftab", static_cast<std::size_t>(document.default_tab_twips()));
    buffer += "\\uc1";
    tables.write(buffer);
    for (const std::string& group : document.head_groups) {
        buffer += group;
        buffer += "\r\n";
    }
    std::size_t current = no_format;
    const auto switch_to = [&](std::size_t format) {
        if (format != current) {
            tables.write_format(buffer, document.format(format));
            current = format;
        }
    };
    const std::vector<Paragraph>& paragraphs = document.paragraphs();
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        const TablePlace& place = paragraphs[i].table;
        const bool row_starts = place.depth > 0 && starts_row(paragraphs, i);
        if (row_starts) {
            buffer += row_definition(paragraphs, i);
            buffer += "\r\n";
        }
        // Each row's paragraphs begin with their properties again, as word processors expect.
        if (i == 0 || row_starts || paragraphs[i].format != paragraphs[i - 1].format ||
            place.depth != paragraphs[i - 1].table.depth ||
            paragraphs[i - 1].table.end == TablePlace::End::row) {
            append_paragraph_format(buffer, paragraphs[i].format);
            append_table_depth(buffer, place.depth);
            current = no_format;  // the next format's words end the paragraph's
        }
        // A field is written as one: {\field{\*\fldinst ...}{\fldrslt its runs}}. Formats set
        // inside it end with it.
        std::uint32_t field = 0;
        const auto end_field = [&] {
            if (field != 0) {
                buffer += "}}";
                field = 0;
                current = no_format;
            }
        };
        for (const Run& run : paragraphs[i].runs) {
            if (run.field != field) {
                end_field();
                if (run.is_field_instruction()) {
                    field = run.field;
                    buffer += "{\\field";
                    switch_to(run.format);
                    buffer += run.rtf;
                    buffer += "{\\fldrslt ";
                    current = no_format;
                    continue;
                }
            }
            switch_to(run.format);
            if (run.carried()) {
                buffer += run.rtf;
            } else {
                append_text(buffer, run.text, TextKind::body, windows1252);
            }
            out.done();
        }
        end_field();
        switch_to(paragraphs[i].mark_format);
        append_paragraph_end(buffer, place, i + 1 == paragraphs.size());
    }
    buffer += "}\r\n";
}

std::string to_rtf(const Document& document) {
    return write_to_string([&](const Sink& sink) { write_rtf(document, sink); });
}

}  // namespace qlx::richtext
