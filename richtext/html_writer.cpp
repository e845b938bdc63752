#include "richtext/html_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

#include "richtext/utf8.h"

namespace qlx::richtext {

void append_html_escaped(std::string& out, std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        const char32_t code = next_code_point(text, pos);
        switch (code) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case 0x2028:
                out += "<br>";
                break;
            default:
                if ((code < 0x20 && code != '\t') || code == 0x7F) {
                    out += "&#" + std::to_string(code) + ';';
                } else {
                    out += text.substr(start, pos - start);
                }
                break;
        }
    }
}

namespace {

void append_escaped(std::string& out, std::string_view text) {
    append_html_escaped(out, text);
}

// A font family as a CSS string: anything but letters, digits, blanks and non-ASCII as a
// hexadecimal escape, so no name can end the string or the style element.
void append_css_string(std::string& out, std::string_view text) {
    out += '\'';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || c == ' ' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
            (c >= 'A' && c <= 'Z')) {
            out += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\%x ", byte);
            out += escape;
        }
    }
    out += '\'';
}

void append_css_color(std::string& out, std::string_view property, const Rgb& color) {
    char value[8];
    std::snprintf(value, sizeof value, "#%02x%02x%02x", color.red, color.green, color.blue);
    out += property;
    out += value;
    out += ';';
}

void append_inches(std::string& out, int twips) {
    char value[32];
    std::snprintf(value, sizeof value, "%gin", twips / 1440.0);
    out += value;
}

void append_format_class(std::string& out, std::size_t index, const CharFormat& format) {
    out += ".c" + std::to_string(index) + " {";
    if (!format.font_family.empty()) {
        out += " font-family: ";
        append_css_string(out, format.font_family.str());
        out += ';';
    }
    out += " font-size: " + std::to_string(format.half_points / 2);
    out += format.half_points % 2 != 0 ? ".5pt;" : "pt;";
    if (format.color) {
        append_css_color(out, " color: ", *format.color);
    }
    if (format.highlight) {
        append_css_color(out, " background-color: ", *format.highlight);
    }
    if (format.bold) {
        out += " font-weight: bold;";
    }
    if (format.italic) {
        out += " font-style: italic;";
    }
    if (format.underline || format.strike_out) {
        out += " text-decoration:";
        out += format.underline ? " underline" : "";
        out += format.strike_out ? " line-through" : "";
        out += ';';
    }
    if (format.hidden) {
        out += " display: none;";
    }
    if (format.position != VerticalPosition::baseline) {
        out += format.position == VerticalPosition::superscript ? " vertical-align: super;"
                                                                : " vertical-align: sub;";
        out += " font-size: smaller;";
    } else if (format.raise_half_points != 0) {
        char value[48];
        std::snprintf(value, sizeof value, " vertical-align: %gpt;",
                      format.raise_half_points / 2.0);
        out += value;
    }
    out += " }\n";
}

void append_points(std::string& out, std::string_view property, int twips) {
    char value[64];
    std::snprintf(value, sizeof value, "%.*s%gpt;", static_cast<int>(property.size()),
                  property.data(), twips / 20.0);
    out += value;
}

// What a paragraph's format changes from the plain paragraph, as CSS declarations each
// beginning with a blank; empty when nothing differs.
std::string paragraph_style(const ParagraphFormat& format) {
    std::string style;
    static constexpr std::string_view alignments[] = {"", " text-align: center;",
                                                      " text-align: right;",
                                                      " text-align: justify;"};
    style += alignments[static_cast<std::size_t>(format.alignment)];
    for (const auto& [property, twips] : {std::pair{" margin-left: ", format.left_indent},
                                          {" margin-right: ", format.right_indent},
                                          {" text-indent: ", format.first_line_indent},
                                          {" margin-top: ", format.space_before},
                                          {" margin-bottom: ", format.space_after}}) {
        if (twips != 0) {
            append_points(style, property, twips);
        }
    }
    if (format.line_spacing != 0 && format.line_spacing_multiple) {
        char value[48];
        std::snprintf(value, sizeof value, " line-height: %g;",
                      std::abs(format.line_spacing) / 240.0);
        style += value;
    } else if (format.line_spacing != 0) {
        append_points(style, " line-height: ", std::abs(format.line_spacing));
    }
    if (format.page_break_before) {
        style += " break-before: page;";
    }
    return style;
}

void append_class(std::string& out, std::size_t index) {
    out += " class=\"c" + std::to_string(index) + '"';
}

// The paragraph styles of a page whose styles stand in a style sheet: each different one a
// class, p0, p1, ... in the order first met.
class ParagraphClasses {
public:
    explicit ParagraphClasses(std::string& sheet) : sheet_(sheet) {}

    // The class of a style; adds its rule to the sheet when it is new.
    std::size_t class_of(const std::string& style) {
        const auto [place, added] = classes_.try_emplace(style, classes_.size());
        if (added) {
            sheet_ += "p.p" + std::to_string(place->second) + " {" + style + " }\n";
        }
        return place->second;
    }

private:
    std::string& sheet_;
    std::map<std::string, std::size_t> classes_;
};

// Where a paragraph's own style goes: into a style attribute, or, with `classes`, into a class
// of the style sheet; and, with `number` (from 1), an id "L<number>" for links to the line.
struct ParagraphPlace {
    ParagraphClasses* classes = nullptr;
    std::size_t number = 0;
};

void append_paragraph(std::string& out, const Paragraph& paragraph,
                      const ParagraphPlace& place = {}) {
    out += "<p";
    if (place.number > 0) {
        out += " id=\"L" + std::to_string(place.number) + '"';
    }
    const std::string style = paragraph_style(paragraph.format);
    if (style.empty()) {
        append_class(out, paragraph.mark_format);
    } else if (place.classes != nullptr) {
        out += " class=\"c" + std::to_string(paragraph.mark_format) + " p" +
               std::to_string(place.classes->class_of(style)) + '"';
    } else {
        append_class(out, paragraph.mark_format);
        out += " style=\"";
        out += std::string_view(style).substr(1);
        out += '"';
    }
    out += '>';
    if (!paragraph.label.empty()) {
        append_escaped(out, paragraph.label);
        out += ' ';
    }
    if (paragraph.runs.empty() && paragraph.label.empty()) {
        out += "<br>";
    }
    for (const Run& run : paragraph.runs) {
        if (run.format == paragraph.mark_format) {
            append_escaped(out, run.text);
            continue;
        }
        out += "<span";
        append_class(out, run.format);
        out += '>';
        append_escaped(out, run.text);
        out += "</span>";
    }
    out += "</p>\n";
}

// The table, row and cell tags around the paragraphs of tables.
class TableTags {
public:
    // Before a paragraph: ends the tables it is outside of, opens the row or cell that the
    // last paragraph of the table it is in ended, and the tables it is newly in.
    void open_for(std::string& out, const TablePlace& place) {
        for (; open() > place.depth; next_.pop_back()) {
            out += "</table>\n";
        }
        if (open() > 0) {  // the paragraph is in the innermost open table, or deeper
            Next& next = next_.back();
            out += next == Next::row ? "<tr><td>" : next == Next::cell ? "<td>" : "";
            next = Next::same;
        }
        for (; open() < place.depth; next_.push_back(Next::same)) {
            out += "<table>\n<tr><td>";
        }
    }
    void close_after(std::string& out, const TablePlace& place) {
        if (place.depth == 0 || place.end == TablePlace::End::paragraph) {
            return;
        }
        const bool row = place.end == TablePlace::End::row;
        out += row ? "</td></tr>\n" : "</td>";
        next_[static_cast<std::size_t>(place.depth) - 1] = row ? Next::row : Next::cell;
    }

private:
    enum class Next { same, cell, row };  // what the table's next paragraph is in
    int open() const { return static_cast<int>(next_.size()); }
    std::vector<Next> next_;  // for each open table, outermost first
};

// The rules of the page's paragraphs, formats and tables.
void append_style_rules(std::string& out, const Document& document) {
    out += "p { margin: 0; white-space: pre-wrap; tab-size: ";
    append_inches(out, document.default_tab_twips());
    out += "; }\n";
    const std::vector<bool> used = document.formats_in_use();
    for (std::size_t i = 0; i < used.size(); ++i) {
        if (used[i]) {
            append_format_class(out, i, document.format(i));
        }
    }
    if (std::ranges::any_of(document.paragraphs(),
                            [](const Paragraph& p) { return p.table.depth > 0; })) {
        out +=
            "table { border-collapse: collapse; }\n"
            "td { border: 1px solid #808080; padding: 0 4pt; vertical-align: top; }\n";
    }
}

}  // namespace

HtmlParts to_html_parts(const Document& document) {
    HtmlParts parts;
    append_style_rules(parts.style_sheet, document);
    ParagraphClasses classes(parts.style_sheet);
    TableTags tables;
    std::size_t number = 0;
    for (const Paragraph& paragraph : document.paragraphs()) {
        tables.open_for(parts.body, paragraph.table);
        append_paragraph(parts.body, paragraph, {&classes, ++number});
        tables.close_after(parts.body, paragraph.table);
    }
    tables.open_for(parts.body, {});
    return parts;
}

void write_html(const Document& document, const Sink& sink, std::string_view title) {
    BufferedSink out(sink);
    std::string& buffer = out.buffer();
    buffer += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    append_escaped(buffer, title);
    buffer += "</title>\n<style>\n";
    append_style_rules(buffer, document);
    const std::vector<Paragraph>& paragraphs = document.paragraphs();
    buffer += "</style>\n</head>\n<body>\n";
    TableTags tables;
    for (const Paragraph& paragraph : paragraphs) {
        tables.open_for(buffer, paragraph.table);
        append_paragraph(buffer, paragraph);
        tables.close_after(buffer, paragraph.table);
        out.done();
    }
    tables.open_for(buffer, {});
    buffer += "</body>\n</html>\n";
}

std::string to_html(const Document& document, std::string_view title) {
    return write_to_string([&](const Sink& sink) { write_html(document, sink, title); });
}

}  // namespace qlx::richtext
