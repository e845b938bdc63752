#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "model/diagnostics.h"
#include "model/document_map.h"
#include "model/document_writer.h"
#include "model/export_model.h"
#include "model/progress.h"

namespace qlx::conversion {

struct ConversionReport {
    // One caption per document, in document order: the procedure's name line as it is
    // (bytes of the export, Windows-1252).
    std::vector<std::string> captions;
    // One map per document, in document order: where its export header ends and its outline.
    std::vector<DocumentMap> maps;
    // Places where the export was damaged and read leniently, in the order met.
    DamageLog damage;
};

struct ConversionError {
    FileError output;  // the document that could not be written; empty when cancelled
    bool cancelled = false;
};

// Converts an export's text into one RTF document per procedure, streamed to the sink in
// export order. Damage never stops the conversion; a failing sink or a cancel does.
std::expected<ConversionReport, ConversionError> convert_export(std::string_view text,
                                                                DocumentSink& sink,
                                                                const Progress& progress = {});

// The same, for an export still being read: its lines are converted as they arrive.
std::expected<ConversionReport, ConversionError> convert_export(ArrivingText& text,
                                                                DocumentSink& sink,
                                                                const Progress& progress = {});

// Converts the bytes of a file that export_encoding() takes for an export. An export re-saved
// as UTF-8 is re-encoded first, in place; the places where that lost something come first in
// the report's damage.
std::expected<ConversionReport, ConversionError> convert_export_bytes(
    std::string& bytes, DocumentSink& sink, const Progress& progress = {});

}  // namespace qlx::conversion
