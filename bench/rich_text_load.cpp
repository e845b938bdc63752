// Building a text document from converted RTF (as the window does, while reading it; and
// read first, then built), against Qt's own importers on the same content:
// QTextDocument::setPlainText of its text (the floor: the same characters without
// formatting) and QTextDocument::setHtml of the page our HTML writer makes of it.
//
//   QLX_BENCH_MB=10 rich_text_load [Google Benchmark options]
//
// Two inputs of QLX_BENCH_MB megabytes (10 by default): "export", the documents the converter
// makes of a generated export, loaded one after another as the viewer opens them; and
// "one_document", a single document of that size in the converter's vocabulary, with its mix
// of headings, rules, attribute lines, column headers, comment lines and body lines; and
// "tables_and_pictures", a document of tables with pictures as word processors write them.

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "bench/export_generator.h"
#include "conversion/driver.h"
#include "document/rich_text_adapter.h"
#include "files/document_sinks.h"
#include "model/rtf_vocabulary.h"
#include "richtext/html_writer.h"
#include "richtext/rtf_reader.h"
#include "richtext/text_writer.h"

namespace {

namespace conv = qlx::conversion;
namespace rt = qlx::richtext;

// The value followed by spaces, cut to `width` characters: a column of a report line.
std::string column(std::string_view value, std::size_t width) {
    std::string padded(value.substr(0, width));
    padded.resize(width, ' ');
    return padded;
}

class RtfText {
public:
    template <class... Pieces>
    void line(const Pieces&... pieces) {
        (text_.append(pieces), ...);
        text_ += "\r\n";
    }
    std::string& text() { return text_; }

private:
    std::string text_;
};

void add_item(RtfText& out, int number) {
    const std::string n = std::to_string(number);
    const std::string plain(conv::rtfPlain.text);
    out.line(conv::rtfPar.text);
    out.line(conv::rtfRedBold.text, conv::rtfDashRule.text);
    out.line(conv::heading_report.text);
    out.line(conv::rtfPar.text);
    for (const char* label : {"Active", "Name", "DPM", "Segment", "Report Title", "Page Banner",
                              "Chars/Line", "Lines/Page", "Logical Filename"}) {
        out.line(conv::rtfPar.text, column(label, 20), "LAB.C.REPORT.", n);
    }
    out.line(conv::rtfPar.text);
    out.line(conv::rtfRedBold.text, conv::rtfDashRule.text);
    out.line(conv::heading_fields.text);
    out.line("\\par \\plain\\f2\\fs16\\cf2 Field                          Line Col Len Just",
             plain);
    for (int field = 1; field <= 20; ++field) {
        out.line(conv::rtfPar.text, column("PAT.FIELD." + std::to_string(field), 31),
                 "  3  12  20 L   ", conv::escape_rtf("@IF{x} C:\\LAB\\" + n + " caf\xE9"));
    }
    out.line(conv::rtfPar.text);
    out.line(conv::rtfRedBold.text, conv::rtfDashRule.text);
    out.line(conv::heading_macro.text, "census.total.", n, plain);
    for (int line = 1; line <= 15; ++line) {
        if (line % 3 == 0) {
            out.line(conv::rtfGreen.text, "; comment line ", std::to_string(line),
                     conv::rtfGreenEnd.text);
        } else {
            out.line(conv::rtfPar.text, conv::escape_rtf("@Chg.total(VAL){+1}^TOTAL,\"\"^X"));
        }
    }
}

std::string converted_rtf(std::size_t bytes) {
    RtfText out;
    out.line(conv::rtfPrologue.text);
    out.line(conv::rtfColorTable.text);
    out.line(conv::rtfBodyStart.text, "MEDITECH.CUST.RPTS^NPR.LAB^LIVE", conv::rtfPlain.text);
    for (int number = 1; out.text().size() < bytes; ++number) {
        add_item(out, number);
    }
    out.line(conv::rtfPar.text);
    out.line(conv::rtfEnd.text);
    return std::move(out.text());
}

// The same documents as RTF, as text and as HTML.
struct Documents {
    std::vector<std::string> rtf;
    std::vector<QString> text;
    std::vector<QString> html;
    std::int64_t rtf_bytes = 0;
};

enum class Input { export_documents, one_document, tables_and_pictures };

// A document of that size as word processors write reports: table rows of three cells, one
// holding a small PNG picture, with a nested table every tenth row.
std::string tables_and_pictures_rtf(std::size_t size) {
    QImage image(48, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x * 5, y * 5, (x * y) % 256));
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    std::string picture = "{\\pict\\pngblip\\picw48\\pich48\\picwgoal720\\pichgoal720 ";
    picture += png.toHex().toStdString();
    picture += '}';
    RtfText out;
    out.line(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss "
        "Arial;}}{\\colortbl;\\red0\\green0\\blue255;}");
    for (int row = 1; out.text().size() < size; ++row) {
        out.line(
            "\\trowd\\trgaph108\\trleft-108\\clbrdrt\\brdrs\\brdrw10\\cellx2000"
            "\\clbrdrt\\brdrs\\brdrw10\\cellx5000\\clbrdrt\\brdrs\\brdrw10\\cellx9000");
        out.line("\\pard\\intbl\\f0\\fs20 Row ", std::to_string(row), "\\cell ",
                 "{\\b Specimen} received at {\\cf1 the laboratory}\\par second line\\cell ",
                 picture, "\\cell\\row");
        if (row % 10 == 0) {
            out.line(
                "\\trowd\\cellx9000\\pard\\intbl\\itap2 inner A\\nestcell inner B\\nestcell"
                "{\\*\\nesttableprops\\trowd\\cellx3000\\cellx6000\\nestrow}\\pard\\intbl"
                " after\\cell\\row");
        }
    }
    out.line("\\pard end}");
    return std::move(out.text());
}

Documents prepare(std::vector<std::string> rtf, const char* name) {
    Documents made;
    made.rtf = std::move(rtf);
    std::size_t text_size = 0;
    std::size_t html_size = 0;
    for (const std::string& document : made.rtf) {
        const rt::Document model = rt::read_rtf(document).document;
        made.text.push_back(QString::fromStdString(rt::to_text(model)));
        made.html.push_back(QString::fromStdString(rt::to_html(model)));
        made.rtf_bytes += static_cast<std::int64_t>(document.size());
        text_size += made.text.back().size();
        html_size += made.html.back().size();
    }
    std::cerr << name << ": " << made.rtf.size() << " documents, RTF " << made.rtf_bytes
              << " bytes, text " << text_size << " characters, HTML " << html_size
              << " characters\n";
    return made;
}

std::size_t input_size() {
    const char* megabytes = std::getenv("QLX_BENCH_MB");
    return (megabytes ? std::strtoul(megabytes, nullptr, 10) : 10) << 20;
}

const Documents& documents(Input input) {
    static const Documents from_export = [] {
        conv::MemorySink sink;
        if (!conv::convert_export(qlx::bench::generate_export(input_size()), sink)) {
            std::abort();
        }
        return prepare(std::move(sink.documents), "export");
    }();
    static const Documents one = prepare({converted_rtf(input_size())}, "one_document");
    static const Documents tables =
        prepare({tables_and_pictures_rtf(input_size())}, "tables_and_pictures");
    return input == Input::export_documents ? from_export
           : input == Input::one_document   ? one
                                            : tables;
}

// Builds a new text document of every document of the input in each iteration.
template <class Fill>
void load_each(benchmark::State& state, const Documents& input, Fill fill) {
    for (auto _ : state) {
        for (std::size_t i = 0; i < input.rtf.size(); ++i) {
            QTextDocument document;
            fill(document, i);
            benchmark::DoNotOptimize(document.characterCount());
        }
    }
    state.SetBytesProcessed(state.iterations() * input.rtf_bytes);
}

void load_rtf(benchmark::State& state, Input which) {
    const Documents& input = documents(which);
    load_each(state, input, [&](QTextDocument& document, std::size_t i) {
        qlx::document::load_rtf(document, input.rtf[i]);
    });
}

// The same, read first and built after: what load_rtf saves by building while it reads.
void read_then_load(benchmark::State& state, Input which) {
    const Documents& input = documents(which);
    load_each(state, input, [&](QTextDocument& document, std::size_t i) {
        qlx::document::load_model(document, rt::read_rtf(input.rtf[i]).document);
    });
}

// Building alone, from documents read beforehand.
void load_read_model(benchmark::State& state, Input which) {
    const Documents& input = documents(which);
    std::vector<rt::Document> models;
    for (const std::string& rtf : input.rtf) {
        models.push_back(rt::read_rtf(rtf).document);
    }
    load_each(state, input, [&](QTextDocument& document, std::size_t i) {
        qlx::document::load_model(document, models[i]);
    });
}

void set_plain_text(benchmark::State& state, Input which) {
    const Documents& input = documents(which);
    load_each(state, input, [&](QTextDocument& document, std::size_t i) {
        document.setPlainText(input.text[i]);
    });
}

void set_html(benchmark::State& state, Input which) {
    const Documents& input = documents(which);
    load_each(state, input,
              [&](QTextDocument& document, std::size_t i) { document.setHtml(input.html[i]); });
}

void read_rtf_only(benchmark::State& state, Input which) {
    const Documents& input = documents(which);
    for (auto _ : state) {
        for (const std::string& rtf : input.rtf) {
            benchmark::DoNotOptimize(rt::read_rtf(rtf).document.paragraphs().size());
        }
    }
    state.SetBytesProcessed(state.iterations() * input.rtf_bytes);
}

BENCHMARK_CAPTURE(load_rtf, export, Input::export_documents)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(read_then_load, export, Input::export_documents)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(load_read_model, export, Input::export_documents)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(set_plain_text, export, Input::export_documents)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(set_html, export, Input::export_documents)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(read_rtf_only, export, Input::export_documents)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(load_rtf, one_document, Input::one_document)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(read_then_load, one_document, Input::one_document)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(set_plain_text, one_document, Input::one_document)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(set_html, one_document, Input::one_document)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(read_rtf_only, one_document, Input::one_document)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(load_rtf, tables_and_pictures, Input::tables_and_pictures)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(read_then_load, tables_and_pictures, Input::tables_and_pictures)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(set_plain_text, tables_and_pictures, Input::tables_and_pictures)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(set_html, tables_and_pictures, Input::tables_and_pictures)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(read_rtf_only, tables_and_pictures, Input::tables_and_pictures)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    documents(Input::export_documents);
    documents(Input::one_document);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
