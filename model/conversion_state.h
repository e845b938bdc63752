#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/diagnostics.h"
#include "model/document_map.h"
#include "model/document_writer.h"
#include "model/export_model.h"
#include "model/report_state.h"
#include "model/section_flags.h"

namespace qlx::conversion {

// Everything one conversion of one export knows. Lives for one call of convert_export and is
// passed by reference to the item headings and the renderers; nothing survives the call.
struct ConversionState {
    ConversionState(std::string_view text, DocumentSink& sink)
        : reader(text, &damage), out(sink), header_fields(reader.take_next_line()) {}
    ConversionState(ArrivingText& text, DocumentSink& sink)
        : reader(text, &damage), out(sink), header_fields(reader.take_next_line()) {}

    std::string_view take_next_line() { return reader.take_next_line(); }

    DamageLog damage;
    LineReader reader;
    DocumentWriter out;
    HeaderFields header_fields;
    // The key line of the item now open, as written ("PROC", "@@RPT", ...); empty before the
    // first item.
    std::string current_item_key;
    renderers::SectionFlags flags;
    renderers::ReportState report;
    // Window caption of each procedure's document, in export order: its name line as it is.
    std::vector<std::string> doc_captions;
    // Where the export header ends and where the headings are, in each document.
    std::vector<DocumentMap> doc_maps;
    int doc_count = 0;

    // Notes a heading of the current document (one begun by the driver), at this paragraph
    // or at the writer's; `level` as in OutlineHeading.
    void note_heading(std::string text, int level) {
        note_heading(std::move(text), level, out.paragraph());
    }
    void note_heading(std::string text, int level, std::size_t paragraph) {
        if (!doc_maps.empty() && out.document_open()) {
            doc_maps.back().outline.push_back({std::move(text), level, paragraph});
        }
    }
    // A section's level: 1 in the procedure itself, 2 inside a report, macro or screen.
    int section_level() const {
        return current_item_key == "PROC" || current_item_key == "@@PROC" ? 1 : 2;
    }
};

}  // namespace qlx::conversion
