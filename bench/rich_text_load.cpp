// Building a text document from converted RTF, against Qt's own importers on the same
// content: QTextDocument::setPlainText of its text (the floor: the same characters without
// formatting) and QTextDocument::setHtml of the page our HTML writer makes of it.
//
//   QLX_BENCH_MB=10 rich_text_load [Google Benchmark options]
//
// The RTF is generated in the converter's vocabulary, with the converter's mix of headings,
// rules, attribute lines, column headers, comment lines and body lines.

#include <QGuiApplication>
#include <QString>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "conversion/rtf_vocabulary.h"
#include "document/rich_text_adapter.h"
#include "richtext/html_writer.h"
#include "richtext/rtf_reader.h"
#include "richtext/text_writer.h"

namespace {

namespace conv = qlx::conversion;
namespace rt = qlx::richtext;

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
        out.line(conv::rtfPar.text, conv::pad_to_width(label, 20, conv::rtfBlanks30),
                 "LAB.C.REPORT.", n);
    }
    out.line(conv::rtfPar.text);
    out.line(conv::rtfRedBold.text, conv::rtfDashRule.text);
    out.line(conv::heading_fields.text);
    out.line("\\par \\plain\\f2\\fs16\\cf2 Field                          Line Col Len Just",
             plain);
    for (int field = 1; field <= 20; ++field) {
        out.line(conv::rtfPar.text,
                 conv::pad_to_width("PAT.FIELD." + std::to_string(field), 31, conv::rtfBlanks30),
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

struct Inputs {
    std::string rtf;
    QString text;
    QString html;
};

const Inputs& inputs() {
    static const Inputs made = [] {
        const char* megabytes = std::getenv("QLX_BENCH_MB");
        Inputs in;
        in.rtf = converted_rtf((megabytes ? std::strtoul(megabytes, nullptr, 10) : 10) << 20);
        const rt::Document model = rt::read_rtf(in.rtf).document;
        in.text = QString::fromStdString(rt::to_text(model));
        in.html = QString::fromStdString(rt::to_html(model));
        std::cerr << "RTF " << in.rtf.size() << " bytes, text " << in.text.size()
                  << " characters, HTML " << in.html.size() << " characters\n";
        return in;
    }();
    return made;
}

void load_rtf(benchmark::State& state) {
    for (auto _ : state) {
        QTextDocument document;
        qlx::document::load_rtf(document, inputs().rtf);
        benchmark::DoNotOptimize(document.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(inputs().rtf.size()));
}

void set_plain_text(benchmark::State& state) {
    for (auto _ : state) {
        QTextDocument document;
        document.setPlainText(inputs().text);
        benchmark::DoNotOptimize(document.characterCount());
    }
}

void set_html(benchmark::State& state) {
    for (auto _ : state) {
        QTextDocument document;
        document.setHtml(inputs().html);
        benchmark::DoNotOptimize(document.characterCount());
    }
}

void read_rtf_only(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(rt::read_rtf(inputs().rtf).document.paragraphs().size());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(inputs().rtf.size()));
}

BENCHMARK(load_rtf)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(set_plain_text)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(set_html)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(read_rtf_only)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    inputs();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
