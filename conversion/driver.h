#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/diagnostics.h"
#include "conversion/document_writer.h"

namespace qlx::conversion {

enum class Phase { loading, parsing };

// Called now and then during long work with the work done and the work in all (bytes).
// Returning false cancels the work.
using Progress = std::function<bool(Phase phase, std::uint64_t done, std::uint64_t total)>;

struct ConversionReport {
    // One caption per document, in document order: the procedure's name line as it is
    // (bytes of the export, Windows-1252).
    std::vector<std::string> captions;
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

// Reads a whole file, reporting Phase::loading progress. Opens the file for reading only.
std::expected<std::string, FileError> read_file(const std::string& path,
                                                const Progress& progress = {});

}  // namespace qlx::conversion
