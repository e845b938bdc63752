#include "cli/convert_command.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tuple>

#include "conversion/driver.h"
#include "conversion/export_model.h"
#include "conversion/files.h"
#include "richtext/html_writer.h"
#include "richtext/rtf_reader.h"
#include "richtext/text_writer.h"
#include "richtext/windows1252.h"

namespace qlx::cli {

namespace conv = qlx::conversion;

namespace {

int fail(std::ostream& err, const conv::FileError& error) {
    err << "qlx-convert: " << error.path << ": " << error.reason << '\n';
    return exit_failure;
}

// Writes the text or page of a document read from RTF to a sink.
void write_output(const richtext::Document& document, RichTextOutput output, std::string_view title,
                  const richtext::Sink& sink) {
    if (output == RichTextOutput::text) {
        richtext::write_text(document, sink);
    } else {
        richtext::write_html(document, sink, title);
    }
}

// Writes a new file in place of whatever stands at `path` (a link is removed, not followed).
std::expected<void, conv::FileError> write_new_file(const std::filesystem::path& path,
                                                    const richtext::Document& document,
                                                    RichTextOutput output, std::string_view title) {
    const auto failure = [&path] {
        return std::unexpected(conv::FileError{conv::display_path(path), std::strerror(errno)});
    };
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    std::unique_ptr<std::FILE, decltype(&std::fclose)> file(
        std::fopen(path.string().c_str(), "wbx"), &std::fclose);
    if (!file) {
        return failure();
    }
    bool written = true;
    write_output(document, output, title, [&](std::string_view bytes) {
        written = written && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    });
    if (!written || std::fclose(file.release()) != 0) {
        auto error = failure();
        std::filesystem::remove(path, ignored);
        return error;
    }
    return {};
}

// Writes tempN.txt and tempN.html beside tempN.rtf, from the RTF as the converter wrote it.
std::expected<void, conv::FileError> write_beside(const ConvertOptions& options,
                                                  const std::filesystem::path& rtf_path,
                                                  std::string_view title) {
    auto rtf = conv::read_file(rtf_path.string());
    if (!rtf) {
        return std::unexpected(rtf.error());
    }
    const richtext::Document document = richtext::read_rtf(*rtf).document;
    for (const auto& [wanted, output, extension] :
         {std::tuple{options.write_text, RichTextOutput::text, ".txt"},
          std::tuple{options.write_html, RichTextOutput::html, ".html"}}) {
        if (!wanted) {
            continue;
        }
        std::filesystem::path path = rtf_path;
        if (auto written =
                write_new_file(path.replace_extension(extension), document, output, title);
            !written) {
            return written;
        }
    }
    return {};
}

}  // namespace

bool is_rtf_name(std::string_view path) {
    constexpr std::string_view extension = ".rtf";
    return path.size() >= extension.size() &&
           std::ranges::equal(
               path.substr(path.size() - extension.size()), extension,
               [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

int run_rtf_output(const std::string& rtf_path, RichTextOutput output, std::ostream& out,
                   std::ostream& err) {
    auto rtf = conv::read_file(rtf_path);
    if (!rtf) {
        return fail(err, rtf.error());
    }
    const std::string title = std::filesystem::path(rtf_path).filename().string();
    write_output(richtext::read_rtf(*rtf).document, output, title, [&out](std::string_view bytes) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    });
    out.flush();
    if (!out) {
        err << "qlx-convert: cannot write to standard output\n";
        return exit_failure;
    }
    return exit_ok;
}

int run_convert(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
    auto text = conv::read_file(options.export_path);
    if (!text) {
        return fail(err, text.error());
    }
    if (!conv::is_export(*text)) {
        return fail(err, {options.export_path, "not an export (it does not begin with \"" +
                                                   std::string(conv::export_signature) + "\")"});
    }
    auto folder =
        options.output_folder
            ? std::expected<std::filesystem::path, conv::FileError>(*options.output_folder)
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
        err << options.export_path << ": " << report->damage.count() - report->damage.kept().size()
            << " more damaged places not listed\n";
    }
    for (std::size_t i = 0; i < report->captions.size(); ++i) {
        const std::filesystem::path path = conv::document_path(*folder, static_cast<int>(i + 1));
        const std::string caption = richtext::windows1252_to_utf8(report->captions[i]);
        if (options.write_text || options.write_html) {
            if (auto written = write_beside(options, path, caption); !written) {
                return fail(err, written.error());
            }
        }
        out << conv::display_path(path) << '\t' << caption << '\n';
    }
    out.flush();
    if (!out) {
        err << "qlx-convert: cannot write to standard output\n";
        return exit_failure;
    }
    return exit_ok;
}

}  // namespace qlx::cli
