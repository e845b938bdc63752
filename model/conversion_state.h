#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/diagnostics.h"
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
    int doc_count = 0;
};

}  // namespace qlx::conversion
