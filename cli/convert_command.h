#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

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
// "caption" exact, "procedure" its number, "outline" its headings in order, each with its
// "heading", "level" (1 an item or a section of the procedure, 2 a section of an item) and
// "paragraph" (its line of the document's text, from 0)) and then one with the damage.
int run_convert(const ConvertOptions& options, std::ostream& out, std::ostream& err);

// Writes the text (UTF-8, lines ended by LF), the HTML page, or the RTF that saving it in the
// viewer writes (the RTF writer's, then CR LF) of an RTF file to `out`.
int run_rtf_output(const std::filesystem::path& rtf_path, RichTextOutput output, std::ostream& out,
                   std::ostream& err);

}  // namespace qlx::cli
