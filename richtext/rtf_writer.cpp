#include "richtext/rtf_writer.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "richtext/rtf_control_words.h"
#include "richtext/rtf_escape.h"
#include "richtext/rtf_writer_tables.h"

namespace qlx::richtext {

namespace {

using writing::append_hex_byte;
using writing::append_number;
using writing::append_text;
using writing::TextKind;

constexpr std::size_t no_format = std::numeric_limits<std::size_t>::max();

// An old paragraph numbering group: {\*\pn ...}, its texts as the bytes they were.
void append_old_numbering(std::string& out, const OldNumbering& numbering) {
    using Kind = OldNumbering::Kind;
    if (numbering.kind == Kind::none) {
        return;
    }
    static constexpr std::string_view kinds[] = {
        "",           "\\pnlvlblt", "\\pnlvlbody\\pndec", "\\pnlvlbody\\pnucrm", "\\pnlvlbody\\pnlcrm",
        "\\pnlvlbody\\pnucltr", "\\pnlvlbody\\pnlcltr", "\\pnlvlcont"};
    out += "{\\*\\pn";
    out += kinds[static_cast<std::size_t>(numbering.kind)];
    if (numbering.font >= 0) {
        append_number(out, "\\pnf", numbering.font);
    }
    append_number(out, "\\pnindent", numbering.indent);
    append_number(out, "\\pnstart", numbering.start);
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

// "\pard\plain" and the properties of a paragraph that differ from the defaults: its style
// after \plain, so that readers give its text the style's character properties, as they did
// in the source ("\pard\plain\sN").
void append_paragraph_format(std::string& out, const ParagraphFormat& format) {
    out += "\\pard\\plain";
    if (format.style != 0) {
        append_number(out, "\\s", format.style);
    }
    static constexpr std::string_view alignments[] = {"", "\\qc", "\\qr", "\\qj"};
    out += alignments[static_cast<std::size_t>(format.alignment)];
    for (const auto& [word, value] : {std::pair{"\\li", format.left_indent},
                                      {"\\ri", format.right_indent},
                                      {"\\fi", format.first_line_indent},
                                      {"\\sb", format.space_before},
                                      {"\\sa", format.space_after},
                                      {"\\sl", format.line_spacing}}) {
        if (value != 0) {
            append_number(out, word, value);
        }
    }
    out += format.line_spacing_multiple ? "\\slmult1" : "";
    out += format.page_break_before ? "\\pagebb" : "";
    // The old numbering before the list, as word processors write both: a reader that knows
    // lists lets \ls have the last word.
    append_old_numbering(out, format.numbering);
    if (format.list != no_list) {
        append_number(out, "\\ls", format.list);
    }
    if (format.list_level != 0) {
        append_number(out, "\\ilvl", format.list_level);
    }
}

void append_table_depth(std::string& out, int depth) {
    if (depth > 0) {
        out += "\\intbl";
    }
    if (depth > 1) {
        append_number(out, "\\itap", depth);
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

// What ends a paragraph: \par (none after the document's last) or \sect, or the end of its
// cell, and of its row (a nested row's definition is written there).
void append_paragraph_end(std::string& out, const Paragraph& paragraph, bool last) {
    using End = TablePlace::End;
    const TablePlace& place = paragraph.table;
    if (place.depth == 0 || place.end == End::paragraph) {
        out += last && place.depth == 0 ? ""
               : paragraph.ends_section && place.depth == 0 ? "\\sect\r\n"
                                                            : "\\par\r\n";
        return;
    }
    out += place.depth == 1 ? "\\cell" : "\\nestcell";
    if (place.end == End::row) {
        out += place.depth == 1 ? std::string_view("\\row") : std::string_view(place.row);
    }
    out += "\r\n";
}

class Writer {
public:
    Writer(const Document& document, const Sink& sink)
        : document_(document), tables_(document), out_(sink), buffer_(out_.buffer()) {}

    void write() {
        write_head();
        const std::vector<Paragraph>& paragraphs = document_.paragraphs();
        for (std::size_t i = 0; i < paragraphs.size(); ++i) {
            write_paragraph(i);
        }
        buffer_ += "}\r\n";
    }

private:
    void write_head() {
        append_number(buffer_, "{\\rtf1\\ansi\\ansicpg", document_.source_code_page);
        if (tables_.default_font() != writing::RtfWriterTables::no_font) {
            append_number(buffer_, "\\deff", tables_.default_font());
        }
        append_number(buffer_, "\\deftab", document_.default_tab_twips());
        buffer_ += "\\uc1";
        tables_.write(buffer_);
        // Headers and footers are the first section's: they follow its properties.
        const auto write_groups = [&](bool section) {
            for (const std::string& group : document_.head_groups) {
                if ((head_group_rank(group) == HeadRank::section) == section) {
                    buffer_ += group;
                    buffer_ += "\r\n";
                }
            }
        };
        write_groups(false);
        if (!document_.page_setup.empty()) {
            buffer_ += document_.page_setup;
            buffer_ += "\r\n";
        }
        const std::string& section = document_.paragraphs().front().section;
        if (!section.empty()) {
            buffer_ += section;
            buffer_ += "\r\n";
        }
        write_groups(true);
    }

    void switch_to(std::size_t format) {
        if (format != current_) {
            tables_.write_format(buffer_, document_.format(format), !after_plain_);
            current_ = format;
            after_plain_ = false;
        }
    }

    void write_paragraph(std::size_t i) {
        const std::vector<Paragraph>& paragraphs = document_.paragraphs();
        const Paragraph& paragraph = paragraphs[i];
        const TablePlace& place = paragraph.table;
        if (i > 0 && !paragraph.section.empty()) {
            buffer_ += paragraph.section;
            buffer_ += "\r\n";
        }
        const bool row_starts = place.depth > 0 && starts_row(paragraphs, i);
        if (row_starts) {
            buffer_ += row_definition(paragraphs, i);
            buffer_ += "\r\n";
        }
        // Each row's paragraphs begin with their properties again, as word processors expect.
        if (i == 0 || row_starts || !paragraph.section.empty() ||
            paragraph.format != paragraphs[i - 1].format ||
            place.depth != paragraphs[i - 1].table.depth ||
            paragraphs[i - 1].table.end == TablePlace::End::row) {
            append_paragraph_format(buffer_, paragraph.format);
            append_table_depth(buffer_, place.depth);
            current_ = no_format;  // the next format's words end the paragraph's
            after_plain_ = true;
        }
        write_runs(paragraph.runs);
        switch_to(paragraph.mark_format);
        append_paragraph_end(buffer_, paragraph, i + 1 == paragraphs.size());
    }

    // A field is written as one: {\field{\*\fldinst ...}{\fldrslt its runs}}. Formats set
    // inside it end with it.
    void write_runs(const std::vector<Run>& runs) {
        std::uint32_t field = 0;
        const auto end_field = [&] {
            if (field != 0) {
                buffer_ += "}}";
                field = 0;
                current_ = no_format;
            }
        };
        for (const Run& run : runs) {
            if (run.field != field) {
                end_field();
                if (run.is_field_instruction()) {
                    field = run.field;
                    buffer_ += "{\\field";
                    switch_to(run.format);
                    buffer_ += run.rtf;
                    buffer_ += "{\\fldrslt ";
                    current_ = no_format;
                    continue;
                }
            }
            switch_to(run.format);
            if (run.carried()) {
                buffer_ += run.rtf;
            } else {
                append_text(buffer_, run.text, TextKind::body,
                            tables_.writes_windows1252(document_.format(run.format)));
            }
            out_.done();
        }
        end_field();
    }

    const Document& document_;
    const writing::RtfWriterTables tables_;
    BufferedSink out_;
    std::string& buffer_;
    std::size_t current_ = no_format;
    bool after_plain_ = false;  // \plain was written since the last format: none is needed
};

}  // namespace

void write_rtf(const Document& document, const Sink& sink) {
    Writer(document, sink).write();
}

std::string to_rtf(const Document& document) {
    return write_to_string([&](const Sink& sink) { write_rtf(document, sink); });
}

}  // namespace qlx::richtext
