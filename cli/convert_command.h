#pragma once

#include <expected>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "conversion/diagnostics.h"

namespace qlx::cli {

struct ConvertOptions {
    // The export; "-" reads it from the standard input.
    std::filesystem::path export_path;
    // Where tempN.rtf go; when empty, a new folder of this conversion's own inside the
    // viewer's folder.
    std::optional<std::filesystem::path> output_folder;
    // Also write each document's text (tempN.txt, UTF-8) and page (tempN.html) beside it.
    bool write_text = false;
    bool write_html = false;
    // List the documents as JSON Lines instead of "path TAB caption" lines.
    bool json = false;
};

enum ExitCode : int { exit_ok = 0, exit_failure = 1, exit_usage = 2 };

enum class RichTextOutput { text, html, rtf };

// Whether a file name ends in ".rtf", in any case.
bool is_rtf_name(std::string_view path);

// Converts one export into output_folder/temp1.rtf, temp2.rtf, ... Prints one line per
// document to `out` and damage and failures to `err`. A line is the document's path, a TAB
// and its caption in UTF-8, with every control character written as a space, so that each
// document is exactly one line; with `json`, one JSON object per document ("path",
// "caption" exact, "procedure" its number) and then one with the damage.
int run_convert(const ConvertOptions& options, std::ostream& out, std::ostream& err);

// Shared by the commands.
// An export's bytes, from a file or, for "-", the standard input; refused when it does not
// begin as an export.
std::expected<std::string, conversion::FileError> read_export(const std::filesystem::path& path);
// The export's name for messages ("-" for the standard input).
std::string export_name(const std::filesystem::path& path);
// A JSON string of UTF-8 text, quotes included.
std::string json_string(std::string_view utf8);
// Lists the damaged places as "NAME:LINE: reason" lines.
void print_damage(const std::string& name, const conversion::DamageLog& damage, std::ostream& err);

// Writes the text (UTF-8, lines ended by LF), the HTML page, or the RTF that saving it in the
// viewer writes (the RTF writer's, then CR LF) of an RTF file to `out`.
int run_rtf_output(const std::filesystem::path& rtf_path, RichTextOutput output, std::ostream& out,
                   std::ostream& err);

}  // namespace qlx::cli
