#include "cli/command_line.h"

#include <optional>
#include <ostream>
#include <string_view>

#include "files/names_and_reasons.h"

namespace qlx::cli {

namespace fs = std::filesystem;

namespace {

// Whether an argument is exactly this option (options are ASCII on every system).
bool is(const fs::path& argument, std::string_view option) {
    return argument.native() == fs::path(option).native();
}

bool starts_with(const fs::path& argument, std::string_view prefix) {
    return argument.native().starts_with(fs::path(prefix).native());
}

CommandLine usage_error(std::string error) {
    CommandLine command;
    command.action = CommandLine::Action::usage_error;
    command.error = std::move(error);
    return command;
}

}  // namespace

CommandLine parse_command_line(const std::vector<fs::path>& arguments) {
    CommandLine command;
    ConvertOptions& options = command.options;
    std::vector<fs::path> positional;
    bool options_ended = false;
    bool rewrite_rtf = false;
    bool diff = false;
    std::optional<fs::path> site;
    std::optional<std::string> context;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const fs::path& argument = arguments[i];
        const bool is_option =
            !options_ended && argument.native().size() > 1 && starts_with(argument, "-");
        if (!is_option) {
            positional.push_back(argument);
        } else if (is(argument, "--")) {
            options_ended = true;
        } else if (is(argument, "-h") || is(argument, "--help") || is(argument, "-?")) {
            command.action = CommandLine::Action::help;
            return command;
        } else if (is(argument, "-v") || is(argument, "--version")) {
            command.action = CommandLine::Action::version;
            return command;
        } else if (is(argument, "--out")) {
            if (i + 1 == arguments.size()) {
                return usage_error("Missing value after '--out'.");
            }
            options.output_folder = arguments[++i];
        } else if (starts_with(argument, "--out=")) {
            options.output_folder =
                fs::path(argument.native().substr(fs::path("--out=").native().size()));
        } else if (is(argument, "--site")) {
            if (i + 1 == arguments.size()) {
                return usage_error("Missing value after '--site'.");
            }
            site = arguments[++i];
        } else if (starts_with(argument, "--site=")) {
            site = fs::path(argument.native().substr(fs::path("--site=").native().size()));
        } else if (is(argument, "--text")) {
            options.write_text = true;
        } else if (is(argument, "--html")) {
            options.write_html = true;
        } else if (is(argument, "--json")) {
            options.json = true;
        } else if (is(argument, "--rtf")) {
            rewrite_rtf = true;
        } else if (is(argument, "--diff")) {
            diff = true;
        } else if (is(argument, "-U")) {
            if (i + 1 == arguments.size()) {
                return usage_error("Missing value after '-U'.");
            }
            context = conversion::display_path(arguments[++i]);
        } else if (starts_with(argument, "-U")) {
            context = conversion::display_path(argument).substr(2);
        } else {
            return usage_error("Unknown option '" + conversion::display_path(argument) + "'.");
        }
    }
    if (diff || context) {
        if (!diff) {
            return usage_error("-U goes with --diff");
        }
        if (positional.size() != 2) {
            return usage_error("--diff compares two exports: give OLD and NEW");
        }
        if (options.output_folder || options.write_text || rewrite_rtf || site) {
            return usage_error("--diff takes only --json, --html and -U");
        }
        if (options.json && options.write_html) {
            return usage_error("give one of --json and --html with --diff");
        }
        if (context) {
            const auto digits = context->find_first_not_of("0123456789");
            if (context->empty() || digits != std::string::npos || context->size() > 6) {
                return usage_error("-U wants a number of lines, not '" + *context + "'");
            }
            command.diff.context = std::stoul(*context);
        }
        command.diff.old_export = positional[0];
        command.diff.new_export = positional[1];
        command.diff.json = options.json;
        command.diff.html = options.write_html;
        command.action = CommandLine::Action::diff;
        return command;
    }
    if (site) {
        if (positional.size() != 1) {
            return usage_error("--site publishes one export: give EXPORT");
        }
        if (options.output_folder || options.write_text || options.write_html || options.json ||
            rewrite_rtf) {
            return usage_error("--site takes no other option");
        }
        command.site.folder = *site;
        command.site.export_path = positional.front();
        command.action = CommandLine::Action::site;
        return command;
    }
    if (positional.size() != 1) {
        return usage_error("give exactly one export file");
    }
    options.export_path = positional.front();
    const bool rtf_file =
        !is(options.export_path, "-") && is_rtf_name(conversion::display_path(options.export_path));
    const int outputs = int{options.write_text} + int{options.write_html} + int{rewrite_rtf};
    if (rtf_file && outputs > 0) {
        if (outputs > 1) {
            return usage_error("give one of --text, --html and --rtf for an RTF file");
        }
        command.action = CommandLine::Action::rtf_output;
        command.rich_text_output = options.write_text   ? RichTextOutput::text
                                   : options.write_html ? RichTextOutput::html
                                                        : RichTextOutput::rtf;
        return command;
    }
    if (rewrite_rtf) {
        return usage_error("--rtf takes an RTF file (a name ending in .rtf)");
    }
    command.action = CommandLine::Action::convert;
    return command;
}

std::string help_text() {
    return R"(Usage: qlx-convert [options] EXPORT
       qlx-convert --diff [--json | --html] [-U N] OLD NEW
       qlx-convert --site DIR EXPORT
Converts a report-definition export into one RTF document per procedure:
DIR/temp1.rtf, temp2.rtf, ... Prints each document's path and caption.
Given a file whose name ends in .rtf, --text, --html or --rtf writes its
text, HTML page or RTF as the viewer saves it to standard output.
With --diff, compares two exports procedure by procedure: a unified diff
of each changed procedure's text, then what was added, removed and
changed. Exit status 0: no differences, 1: differences, 2: trouble.
With --site, publishes the export as a web site in DIR that a browser
opens from the disk: DIR/index.html lists the procedures, one page each.

Options:
  -h, --help     Displays help on commandline options.
  -v, --version  Displays version information.
  --out <DIR>    Write the documents into DIR (default: a new folder of this
                 conversion's own in the viewer's folder).
  --text         Also write each document's text beside it: DIR/tempN.txt
                 (UTF-8).
  --html         Also write each document as a web page beside it:
                 DIR/tempN.html.
  --json         List the documents as JSON Lines: one object per document
                 (path, caption, procedure), then one with the damage found.
  --rtf          Given an RTF file: write to standard output the RTF that the
                 viewer writes when the file is opened and saved unedited.
  --diff         Compare two exports, OLD and NEW (with --json: JSON Lines;
                 with --html: one web page that stands alone).
  --site <DIR>   Publish the export as a web site in DIR: a new or empty
                 folder, or a site published there before (replaced whole).
  -U <N>         With --diff: N lines of context around changes (default 3).

Arguments:
  EXPORT         The export file (or, with --text, --html or --rtf, an RTF file);
                 - reads the export from standard input.
)";
}

std::string version_text(const std::string& version) {
    return "qlx-convert " + version + "\n";
}

int run_command_line(const CommandLine& command, const std::string& version, std::ostream& out,
                     std::ostream& err) {
    switch (command.action) {
        case CommandLine::Action::help:
            out << help_text();
            return out.flush() ? exit_ok : exit_failure;
        case CommandLine::Action::version:
            out << version_text(version);
            return out.flush() ? exit_ok : exit_failure;
        case CommandLine::Action::rtf_output:
            return run_rtf_output(command.options.export_path, command.rich_text_output, out, err);
        case CommandLine::Action::convert:
            return run_convert(command.options, out, err);
        case CommandLine::Action::diff:
            return run_diff(command.diff, out, err);
        case CommandLine::Action::site:
            return run_site(command.site, out, err);
        case CommandLine::Action::usage_error:
            break;
    }
    err << "qlx-convert: " << command.error << "\nTry 'qlx-convert --help'.\n";
    return exit_usage;
}

}  // namespace qlx::cli
