#include "cli/convert_command.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include "cli/export_input.h"
#include "cli/json.h"
#include "conversion/driver.h"
#include "files/background_sink.h"
#include "files/document_sinks.h"
#include "files/export_reading.h"
#include "files/names_and_reasons.h"
#include "files/output_folders.h"
#include "files/replacing_file.h"
#include "model/export_encoding.h"
#include "richtext/html_writer.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "richtext/text_writer.h"
#include "richtext/windows1252.h"

namespace qlx::cli {

namespace conv = qlx::conversion;
namespace fs = std::filesystem;

namespace {

int fail(std::ostream& err, const conv::FileError& error) {
    err << "qlx-convert: " << error.path << ": " << error.reason << '\n';
    return exit_failure;
}

// Writes the text or page of a document read from RTF to a sink.
void write_output(const richtext::Document& document, RichTextOutput output, std::string_view title,
                  const richtext::Sink& sink) {
    switch (output) {
        case RichTextOutput::text:
            richtext::write_text(document, sink);
            break;
        case RichTextOutput::html:
            richtext::write_html(document, sink, title);
            break;
        case RichTextOutput::rtf:
            richtext::write_rtf(document, sink);
            sink("\r\n");  // as the viewer's Save ends every file
            break;
    }
}

// Writes tempN.txt and tempN.html beside tempN.rtf, from the RTF the conversion wrote.
std::expected<void, conv::FileError> write_beside(const ConvertOptions& options,
                                                  const fs::path& rtf_path, std::string_view rtf,
                                                  std::string_view title) {
    const richtext::Document document = richtext::read_rtf(rtf).document;
    for (const auto& [wanted, output, extension] :
         {std::tuple{options.write_text, RichTextOutput::text, ".txt"},
          std::tuple{options.write_html, RichTextOutput::html, ".html"}}) {
        if (!wanted) {
            continue;
        }
        std::string bytes;
        write_output(document, output, title, [&bytes](std::string_view piece) { bytes += piece; });
        if (auto written = conv::write_whole_file(fs::path(rtf_path).replace_extension(extension),
                                                  bytes, {conv::AtLink::replace, false});
            !written) {
            return written;
        }
    }
    return {};
}

// A caption or path on a line of its own: control characters become spaces.
std::string one_line(std::string text, bool utf8) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            text[i] = ' ';
        } else if (utf8 && byte == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            text.replace(i, 2, " ");  // a C1 control, U+0080 to U+009F
        }
    }
    return text;
}

// A path's bytes as the system has them (UTF-8 on Windows).
std::string path_bytes(const fs::path& path) {
#ifdef _WIN32
    return conv::display_path(path);
#else
    return path.native();
#endif
}

// The documents in a folder named with --out that this conversion did not write (of an
// earlier conversion, of a larger export or with --text or --html), in the order of their
// numbers.
std::vector<std::string> earlier_documents(const fs::path& folder, std::size_t written,
                                           const ConvertOptions& options) {
    std::vector<std::pair<std::tuple<std::size_t, int>, std::string>> found;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const std::string name = conv::display_path(entries->path().filename());
        if (!conv::is_document_name(name)) {
            continue;
        }
        const std::string_view number_text =
            std::string_view(name).substr(4, name.find('.') - 4);  // after "temp"
        std::size_t number = 0;
        if (std::from_chars(number_text.data(), number_text.data() + number_text.size(), number)
                .ec != std::errc()) {
            number = SIZE_MAX;
        }
        const std::string_view extension = std::string_view(name).substr(name.find('.'));
        const int kind = extension == ".rtf" ? 0 : extension == ".txt" ? 1 : 2;
        const bool ours = number <= written && (kind == 0 || (kind == 1 && options.write_text) ||
                                                (kind == 2 && options.write_html));
        if (!ours) {
            found.push_back({{number, kind}, name});
        }
    }
    std::ranges::sort(found);
    std::vector<std::string> names;
    for (auto& [order, name] : found) {
        names.push_back(std::move(name));
    }
    return names;
}

// One line on the documents of an earlier conversion in a folder named with --out, which
// stay as they were: the user's folder is never cleared.
void warn_of_earlier_documents(const fs::path& folder, std::size_t written,
                               const ConvertOptions& options, std::ostream& err) {
    const std::vector<std::string> names = earlier_documents(folder, written, options);
    if (names.empty()) {
        return;
    }
    err << "qlx-convert: warning: " << one_line(conv::display_path(folder), true)
        << " still holds documents that this conversion did not write, left as they were:";
    for (std::size_t i = 0; i < names.size(); ++i) {
        err << (i == 0 ? " " : ", ") << one_line(names[i], true);
    }
    err << '\n';
}

// A document's headings: [{"heading":...,"level":1,"paragraph":12},...].
void print_json_outline(const std::vector<conv::OutlineHeading>& outline, std::ostream& out) {
    out << '[';
    for (std::size_t i = 0; i < outline.size(); ++i) {
        out << (i > 0 ? "," : "")
            << "{\"heading\":" << json_string(richtext::windows1252_to_utf8(outline[i].text))
            << ",\"level\":" << outline[i].level << ",\"paragraph\":" << outline[i].paragraph
            << '}';
    }
    out << ']';
}

void print_json_damage(const conv::DamageLog& damage, std::ostream& out) {
    out << "{\"damage\":[";
    bool first = true;
    for (const conv::Damage& place : damage.kept()) {
        out << (first ? "" : ",") << "{\"line\":" << place.line
            << ",\"reason\":" << json_string(place.reason) << '}';
        first = false;
    }
    out << "],\"damage_count\":" << damage.count() << "}\n";
}

}  // namespace

bool is_rtf_name(std::string_view path) {
    constexpr std::string_view extension = ".rtf";
    return path.size() >= extension.size() &&
           std::ranges::equal(
               path.substr(path.size() - extension.size()), extension,
               [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

int run_rtf_output(const fs::path& rtf_path, RichTextOutput output, std::ostream& out,
                   std::ostream& err) {
    conv::ReadRules rules;
    rules.pipes_too = true;
    auto rtf = conv::read_file(rtf_path, {}, rules);
    if (!rtf) {
        return fail(err, rtf.error());
    }
    const std::string title = conv::display_path(rtf_path.filename());
    write_output(richtext::read_rtf(*rtf).document, output, title, [&out](std::string_view bytes) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    });
    if (!output_flushed(out, err)) {
        return exit_failure;
    }
    return exit_ok;
}

namespace {

// Converts the export into the sink: a file while the rest of it is still being read; the
// standard input, and an export re-saved as UTF-8 (re-encoded in place), once read whole.
std::expected<conv::ConversionReport, conv::FileError> convert(ExportBeingRead& input,
                                                               conv::DocumentSink& sink) {
    std::expected<conv::ConversionReport, conv::ConversionError> report;
    if (input.file && conv::export_encoding(input.file->start()) != conv::ExportEncoding::utf8) {
        report = conv::convert_export(*input.file, sink);
        if (auto read = input.file->finish(); !read) {
            return std::unexpected(read.error());
        }
    } else {
        if (input.file) {
            auto whole = input.file->take_whole();
            if (!whole) {
                return std::unexpected(whole.error());
            }
            input.whole = std::move(*whole);
        }
        report = conv::convert_export_bytes(input.whole, sink);
    }
    if (!report) {
        return std::unexpected(report.error().output);
    }
    return std::move(*report);
}

}  // namespace

int run_convert(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
    auto input = start_reading_export(options.export_path);
    if (!input) {
        return fail(err, input.error());
    }
    std::expected<fs::path, conv::FileError> folder;
    if (options.output_folder) {
        folder = *options.output_folder;
        if (auto prepared = conv::prepare_output_folder(*folder); !prepared) {
            return fail(err, prepared.error());
        }
    } else {
        folder = conv::default_output_folder();
        if (folder) {
            folder = conv::make_conversion_folder(*folder);
        }
        if (!folder) {
            return fail(err, folder.error());
        }
    }
    // The documents' text and pages are written from a copy of each document kept in memory.
    // The files are written while the next documents are converted.
    const bool beside = options.write_text || options.write_html;
    // An export in the documents' folder may be replaced by one of them: it is read whole
    // first (a file still open cannot be replaced on every system).
    if (std::error_code ignored;
        input->file && fs::equivalent(fs::absolute(options.export_path, ignored).parent_path(),
                                      *folder, ignored)) {
        auto whole = input->file->take_whole();
        if (!whole) {
            return fail(err, whole.error());
        }
        input->whole = std::move(*whole);
        input->file.reset();
    }
    conv::FolderSink files(*folder);
    conv::BackgroundSink background(files);
    conv::CopyingSink copies(background);
    auto report = convert(*input, beside ? static_cast<conv::DocumentSink&>(copies) : background);
    input->file.reset();  // read: closed before the text and pages are written beside
    if (!report) {
        return fail(err, report.error());
    }
    if (auto written = background.finish(); !written) {
        return fail(err, written.error());
    }
    const std::string name = export_name(options.export_path);
    print_damage(name, report->damage, err);
    if (options.output_folder) {
        warn_of_earlier_documents(*folder, report->captions.size(), options, err);
    }
    if (report->captions.empty()) {
        if (!options.output_folder) {
            std::error_code ignored;
            fs::remove(*folder, ignored);  // this conversion's own, and empty
        }
        err << "qlx-convert: " << name << ": holds no procedures, so no document was written\n";
        return exit_failure;
    }
    for (std::size_t i = 0; i < report->captions.size(); ++i) {
        const fs::path path = conv::document_path(*folder, static_cast<int>(i + 1));
        const std::string caption = richtext::windows1252_to_utf8(report->captions[i]);
        if (beside) {
            if (auto written = write_beside(options, path, copies.documents[i], caption);
                !written) {
                return fail(err, written.error());
            }
            copies.documents[i] = std::string();
        }
        if (options.json) {
            out << "{\"path\":" << json_path(path) << ",\"caption\":" << json_string(caption)
                << ",\"procedure\":" << i + 1 << ",\"outline\":";
            print_json_outline(i < report->maps.size() ? report->maps[i].outline
                                                       : std::vector<conv::OutlineHeading>(),
                               out);
            out << "}\n";
        } else {
            out << one_line(path_bytes(path), false) << '\t' << one_line(caption, true) << '\n';
        }
    }
    if (options.json) {
        print_json_damage(report->damage, out);
    }
    if (!output_flushed(out, err)) {
        return exit_failure;
    }
    return exit_ok;
}

}  // namespace qlx::cli
