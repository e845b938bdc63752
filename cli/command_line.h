#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "cli/convert_command.h"
#include "cli/diff_command.h"
#include "cli/site_command.h"

namespace qlx::cli {

// What the converter's arguments ask for.
struct CommandLine {
    enum class Action { convert, rtf_output, diff, site, help, version, usage_error };

    Action action = Action::usage_error;
    ConvertOptions options;  // for convert; export_path is the RTF file for rtf_output
    RichTextOutput rich_text_output = RichTextOutput::text;  // for rtf_output
    DiffOptions diff;                                        // for diff
    SiteOptions site;                                        // for site
    std::string error;  // for usage_error, without the program's name
};

// Reads the arguments after the program's name. Each argument is taken as the system gave it,
// so a path reaches the file system byte for byte. "--out DIR" and "--out=DIR" both work, as
// do "-U N" and "-UN"; "--" ends the options.
CommandLine parse_command_line(const std::vector<std::filesystem::path>& arguments);

// The text of --help and of --version.
std::string help_text();
std::string version_text(const std::string& version);

// Runs what the command line asks for and returns the exit code.
int run_command_line(const CommandLine& command, const std::string& version, std::ostream& out,
                     std::ostream& err);

}  // namespace qlx::cli
