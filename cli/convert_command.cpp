#include "cli/convert_command.h"

#include "conversion/driver.h"
#include "conversion/export_model.h"
#include "conversion/files.h"
#include "richtext/windows1252.h"

namespace qlx::cli {

namespace conv = qlx::conversion;

namespace {

int fail(std::ostream& err, const conv::FileError& error) {
    err << "qlx-convert: " << error.path << ": " << error.reason << '\n';
    return exit_failure;
}

}  // namespace

int run_convert(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
    auto text = conv::read_file(options.export_path);
    if (!text) {
        return fail(err, text.error());
    }
    if (!conv::is_export(*text)) {
        return fail(err, {options.export_path, "not an export (it does not begin with \"" +
                                                   std::string(conv::export_signature) + "\")"});
    }
    auto folder = options.output_folder ? std::expected<std::filesystem::path, conv::FileError>(
                                              *options.output_folder)
                                        : conv::default_output_folder();
    if (!folder) {
        return fail(err, folder.error());
    }
    if (auto prepared = conv::prepare_output_folder(*folder); !prepared) {
        return fail(err, prepared.error());
    }
    conv::FolderSink sink(*folder);
    auto report = conv::convert_export(*text, sink);
    if (!report) {
        return fail(err, report.error().output);
    }
    for (const conv::Damage& damage : report->damage.kept()) {
        err << options.export_path << ':' << damage.line << ": " << damage.reason << '\n';
    }
    if (report->damage.count() > report->damage.kept().size()) {
        err << options.export_path << ": "
            << report->damage.count() - report->damage.kept().size()
            << " more damaged places not listed\n";
    }
    for (std::size_t i = 0; i < report->captions.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        out << conv::display_path(conv::document_path(*folder, number)) << '\t'
            << richtext::windows1252_to_utf8(report->captions[i]) << '\n';
    }
    out.flush();
    if (!out) {
        err << "qlx-convert: cannot write to standard output\n";
        return exit_failure;
    }
    return exit_ok;
}

}  // namespace qlx::cli
