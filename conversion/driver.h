#pragma once

#include <cstdint>
#include <cstdio>
#include <expected>
#include <filesystem>
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

// Converts the bytes of a file that export_encoding() takes for an export. An export re-saved
// as UTF-8 is re-encoded first, in place; the places where that lost something come first in
// the report's damage.
std::expected<ConversionReport, ConversionError> convert_export_bytes(
    std::string& bytes, DocumentSink& sink, const Progress& progress = {});

// What read_file accepts.
struct ReadRules {
    // Pipes are read too (the converter); otherwise only regular files are (the viewer).
    bool pipes_too = false;
    // A file or stream longer than this is refused: far beyond any real export.
    std::uint64_t max_size = std::uint64_t{4} << 30;
    // When set, looks at the first `start_size` bytes (all of them, when there are fewer) as
    // soon as they are read: a reason it gives stops the reading, with that reason.
    std::function<std::string(std::string_view start)> check_start{};
    std::size_t start_size = 0;
};

// Reads a whole file, reporting Phase::loading progress. Opens the file for reading only;
// anything that is not a regular file (or a pipe, when the rules allow) is refused unread,
// with its kind in words as the reason.
std::expected<std::string, FileError> read_file(const std::filesystem::path& path,
                                                const Progress& progress = {},
                                                const ReadRules& rules = {});

// Reads the first `size` bytes of a file (fewer when the file is shorter), with the same
// checks as read_file.
std::expected<std::string, FileError> read_file_start(const std::filesystem::path& path,
                                                      std::size_t size,
                                                      const ReadRules& rules = {});

// Reads a stream to its end (the standard input, for instance); `name` names it in messages.
std::expected<std::string, FileError> read_stream(std::FILE* stream, std::string_view name,
                                                  const Progress& progress = {},
                                                  const ReadRules& rules = {});

}  // namespace qlx::conversion
