#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "richtext/document.h"

namespace qlx::testing {

// A readable form of a character format: family (or "-"), size, colour, highlight, flags.
inline std::string describe(const richtext::CharFormat& format) {
    std::string out = format.font_family.empty() ? "-" : format.font_family.str();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, " %g", format.point_size());
    out += buffer;
    if (format.color) {
        std::snprintf(buffer, sizeof buffer, " #%02x%02x%02x", format.color->red,
                      format.color->green, format.color->blue);
        out += buffer;
    }
    if (format.highlight) {
        std::snprintf(buffer, sizeof buffer, " on#%02x%02x%02x", format.highlight->red,
                      format.highlight->green, format.highlight->blue);
        out += buffer;
    }
    out += format.bold ? " b" : "";
    out += format.italic ? " i" : "";
    out += format.underline ? " u" : "";
    out += format.strike_out ? " s" : "";
    out += format.hidden ? " hidden" : "";
    out += format.position == richtext::VerticalPosition::superscript ? " super"
           : format.position == richtext::VerticalPosition::subscript ? " sub"
                                                                      : "";
    if (format.raise_half_points != 0) {
        out += " raise" + std::to_string(format.raise_half_points);
    }
    return out;
}

// The properties of a paragraph format that differ from the defaults, each with a blank
// before it: " center li720 fi-360 ...".
inline std::string describe(const richtext::ParagraphFormat& format) {
    static constexpr const char* alignments[] = {"", " center", " right", " justify"};
    std::string out = alignments[static_cast<int>(format.alignment)];
    for (const auto& [name, value] :
         {std::pair{" li", format.left_indent}, {" ri", format.right_indent},
          {" fi", format.first_line_indent}, {" sb", format.space_before},
          {" sa", format.space_after}, {" sl", format.line_spacing}}) {
        if (value != 0) {
            out += name + std::to_string(value);
        }
    }
    out += format.line_spacing_multiple ? " mult" : "";
    out += format.page_break_before ? " pagebreak" : "";
    if (format.style != 0) {
        out += " s" + std::to_string(format.style);
    }
    if (format.list != richtext::no_list) {
        out += " ls" + std::to_string(format.list);
    }
    if (format.list_level != 0) {
        out += " ilvl" + std::to_string(format.list_level);
    }
    if (format.numbering.kind != richtext::OldNumbering::Kind::none) {
        out += " pn" + std::to_string(static_cast<int>(format.numbering.kind));
    }
    return out;
}

// One line per group of the head ("H carried ..."), the page ("Page \\paperw..."), then,
// for a paragraph that starts a section, the section's words ("Section \\sectd ..."), one
// line per paragraph mark
// ("P " and its format, and its place in a table) after that paragraph's runs, one line per run (its format in
// brackets, then the text with tab, line break and backslash written as \t, \n and \\, or
// "carried" and the start of a group carried through).
inline std::string dump(const richtext::Document& document) {
    std::string out;
    // A group carried through shows as its start, up to its first blank or 24 bytes.
    const auto carried = [](const std::string& rtf) {
        return "carried " + rtf.substr(0, std::min(rtf.find(' '), std::size_t{24})) + "...\n";
    };
    for (const std::string& group : document.head_groups) {
        out += "H " + carried(group);
    }
    if (!document.page_setup.empty()) {
        out += "Page " + document.page_setup + '\n';
    }
    for (const richtext::Paragraph& paragraph : document.paragraphs()) {
        if (!paragraph.section.empty()) {
            out += "Section " + paragraph.section + '\n';
        }
        for (const richtext::Run& run : paragraph.runs) {
            out += '[' + describe(document.format(run.format)) +
                   (run.field != 0 ? " @field" + std::to_string(run.field) : "") + "] ";
            if (run.carried()) {
                out += (run.text.empty() ? "" : run.text + " ") + carried(run.rtf);
                continue;
            }
            for (std::size_t i = 0; i < run.text.size(); ++i) {
                if (run.text[i] == '\t') {
                    out += "\\t";
                } else if (run.text[i] == '\\') {
                    out += "\\\\";
                } else if (run.text.compare(i, 3, "\xE2\x80\xA8") == 0) {
                    out += "\\n";
                    i += 2;
                } else {
                    out += run.text[i];
                }
            }
            out += '\n';
        }
        out += "P " + describe(document.format(paragraph.mark_format));
        if (!paragraph.label.empty()) {
            out += " label \"" + paragraph.label + '"';
        }
        const std::string properties = describe(paragraph.format);
        out += properties.empty() ? "" : " |" + properties;
        out += paragraph.ends_section ? " sect" : "";
        const richtext::TablePlace& place = paragraph.table;
        if (place.depth > 0) {
            static constexpr const char* ends[] = {"", " cell", " row"};
            out += " [table" + std::to_string(place.depth) +
                   ends[static_cast<std::size_t>(place.end)] + (place.merged ? " merged" : "") +
                   (place.row.empty() ? "" : " " + place.row) + ']';
        }
        out += '\n';
    }
    return out;
}

}  // namespace qlx::testing
