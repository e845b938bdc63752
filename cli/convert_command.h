#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace qlx::cli {

struct ConvertOptions {
    std::string export_path;  // UTF-8
    // Where tempN.rtf go; the viewer's folder when empty.
    std::optional<std::filesystem::path> output_folder;
    // Also write each document's text (tempN.txt, UTF-8) and page (tempN.html) beside it.
    bool write_text = false;
    bool write_html = false;
};

enum ExitCode : int { exit_ok = 0, exit_failure = 1, exit_usage = 2 };

enum class RichTextOutput { text, html };

// Whether a file name ends in ".rtf", in any case.
bool is_rtf_name(std::string_view path);

// Converts one export into output_folder/temp1.rtf, temp2.rtf, ... Prints one line per
// document to `out` (its path, a TAB, its caption in UTF-8) and damage and failures to `err`.
int run_convert(const ConvertOptions& options, std::ostream& out, std::ostream& err);

// Writes the text (UTF-8, lines ended by LF) or the HTML page of an RTF file to `out`.
int run_rtf_output(const std::string& rtf_path, RichTextOutput output, std::ostream& out,
                   std::ostream& err);

}  // namespace qlx::cli
