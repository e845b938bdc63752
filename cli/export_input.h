#pragma once

#include <expected>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "files/export_reading.h"
#include "model/diagnostics.h"

// What the commands share: reading the exports they are given, reporting their damage, and
// making sure what they printed reached standard output.
namespace qlx::cli {

// Whether the path is "-", the standard input.
bool is_standard_input(const std::filesystem::path& path);

// An export's bytes, from a file or, for "-", the standard input; refused when it does not
// begin as an export.
std::expected<std::string, conversion::FileError> read_export(const std::filesystem::path& path);

// An export on its way in: a file is read a piece at a time as it is converted; the standard
// input is read whole.
struct ExportBeingRead {
    std::unique_ptr<conversion::FileInPieces> file;
    std::string whole;  // when there is no file
};

// Starts reading an export from a file or, for "-", the standard input; refused when it does
// not begin as an export.
std::expected<ExportBeingRead, conversion::FileError> start_reading_export(
    const std::filesystem::path& path);

// The export's name for messages ("-" for the standard input).
std::string export_name(const std::filesystem::path& path);

// Lists the damaged places as "NAME:LINE: reason" lines.
void print_damage(const std::string& name, const conversion::DamageLog& damage, std::ostream& err);

// Flushes standard output; false, after saying so on `err`, when it could not be written.
bool output_flushed(std::ostream& out, std::ostream& err);

}  // namespace qlx::cli
