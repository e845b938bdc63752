#include "conversion/item_headings.h"

#include <array>
#include <string>

#include "model/conversion_state.h"

namespace qlx::conversion {

namespace {

// Labels of procedure attribute fields 3 to 12; fields 1 and 2 (DPM and name) are never
// written and fields from 13 on are written with an empty label.
constexpr std::array<std::string_view, 13> procedure_labels = {
    "", "", "",
    "Responsibility ", "Access         ", "Active         ", "Arguments",
    "Menu Logic     ", "Translate As   ", "Switch Appl    ", "Interruptable  ",
    "External Name  ", "mlogic         ",
};

// Labels of report attribute fields 1 to 22; field 4 and fields from 23 on are not written.
constexpr std::array<std::string_view, 23> report_labels = {
    "",
    "Active              ", "Name                ", "DPM                 ", "",
    "Segment             ", "Report Title        ", "Page Banner         ",
    "Chars/Inch          ", "Chars/Line          ", "Lines/Inch          ",
    "Lines/Page          ", "Segment DPM         ", "Page Size           ",
    "Logical Filename    ", "Page Trailer        ", "Report Header       ",
    "Report Trailer      ", "Detail              ", "Page Header         ",
    "Access Path         ", "Sort Modify         ", "Left Margin         ",
};
constexpr std::size_t report_field_name = 2;
constexpr std::size_t report_field_dpm = 3;
constexpr std::size_t report_field_old_procedure = 4;
constexpr std::size_t report_field_segment_dpm = 12;

void write_procedure_attributes(ConversionState& state, std::string_view attributes) {
    std::size_t k = 0;
    while (!attributes.empty()) {
        const std::size_t n = static_cast<unsigned char>(attributes.front());
        // A length longer than the line (its own character included) is no length: skip it.
        if (n > attributes.size()) {
            attributes.remove_prefix(1);
            continue;
        }
        attributes.remove_prefix(1);
        if (n > attributes.size()) {
            // One more than the characters that follow: the short value is what there is.
            state.reader.record_damage(state.reader.line_number(),
                                       "a procedure attribute runs past the end of its line");
        }
        const std::string_view value = attributes.substr(0, n);
        attributes.remove_prefix(value.size());
        ++k;
        if (k > 2 && !value.empty()) {
            const std::string_view label = k < procedure_labels.size() ? procedure_labels[k] : "";
            state.out.line(rtfPar, label, value);
        }
    }
}

// Writes the report's attributes; returns its name (field 2).
std::string_view write_report_attributes(ConversionState& state, std::string_view attributes) {
    std::string_view name;
    for (std::size_t k = 1; !attributes.empty(); ++k) {
        // The report's DPM stands in for a segment DPM of length 0 only: one whose length
        // runs past the line is damage, written with what there is.
        const bool declared_empty = attributes.front() == '\0';
        const std::string_view value = take_counted_string(attributes, state.reader);
        if (k == report_field_dpm) {
            state.report.report_dpm = value;
        } else if (k == report_field_name) {
            name = value;
        }
        if (k == report_field_segment_dpm) {
            state.out.line(rtfPar, report_labels[k],
                           declared_empty ? std::string_view(state.report.report_dpm) : value);
        } else if (k < report_labels.size() && k != report_field_old_procedure) {
            state.out.line(rtfPar, report_labels[k], value);
        }
    }
    return name;
}

}  // namespace

void start_procedure(ConversionState& state, std::string_view key) {
    state.out.line(rtfPrologue);
    state.out.line(rtfColorTable);
    const HeaderFields& header = state.header_fields;
    state.out.line(rtfBodyStart, header.entry(1), rtfPlain);
    for (std::size_t i = 2; i <= header.count(); ++i) {
        state.out.line(rtfHeaderLine, header.entry(i), rtfPlain);
    }
    if (!state.doc_maps.empty()) {
        state.doc_maps.back().header_bytes = state.out.document_bytes();
        state.doc_maps.back().header_paragraphs = state.out.paragraph() + 1;
    }
    renderers::on_procedure_start(state.flags);
    state.out.line(rtfPar);
    state.out.line(rtfEqualsRuleTop);
    state.out.line(rtfEqualsRuleBottom);
    state.current_item_key = key;
    const std::string_view name = state.take_next_line();
    state.out.line(heading_procedure, name, rtfPlain);
    state.doc_captions.emplace_back(name);
    state.out.line(rtfPar);
    write_procedure_attributes(state, state.take_next_line());
}

void start_report(ConversionState& state, std::string_view key) {
    renderers::on_item_start(state.flags);
    write_section_opener(state.out, heading_report);
    const std::size_t heading_paragraph = state.out.paragraph();
    state.out.line(rtfPar);
    state.current_item_key = key;
    const std::string_view name = write_report_attributes(state, state.take_next_line());
    // The outline names the report, as its attributes below the heading do.
    std::string heading(heading_words(heading_report));
    if (!name.empty()) {
        heading += " " + std::string(name);
    }
    state.note_heading(std::move(heading), 1, heading_paragraph);
}

void start_macro(ConversionState& state, std::string_view key) {
    renderers::on_item_start(state.flags);
    state.out.line(rtfPar);
    state.out.line(rtfRedBold, rtfDashRule);
    state.current_item_key = key;
    const std::string_view name = state.take_next_line();
    state.out.line(heading_macro, name, rtfPlain);
    // (The document runs the name into the heading; the outline puts a blank between.)
    state.note_heading(std::string(heading_words(heading_macro)) + " " + std::string(name), 1);
    state.out.line(rtfPar);
}

void start_screen(ConversionState& state, std::string_view key) {
    renderers::on_item_start(state.flags);
    write_section_opener(state.out, heading_screen);
    state.note_heading(std::string(heading_words(heading_screen)), 1);
    state.current_item_key = key;
    state.out.line(rtfPar);
    state.take_next_line();
}

}  // namespace qlx::conversion
