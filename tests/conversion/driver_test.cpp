#include "conversion/driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "model/export_encoding.h"
#include "model/rtf_vocabulary.h"
#include "richtext/rtf_reader.h"
#include "richtext/text_writer.h"
#include "support/conversion_run.h"
#include "support/export_builder.h"

namespace qlx::conversion {
namespace {

using testing::convert;
using testing::counted;
using testing::lines;
using Lines = std::vector<std::string>;

const std::string header = "MEDITECH.CUST.RPTS^H1^M1";
const std::string attributes = counted("DPM") + counted("NAME");

// The lines of document 1 after its top (header, rules, heading, attributes), without its
// two closing lines.
Lines body(const testing::Converted& converted, std::size_t document = 1,
           std::size_t attribute_lines = 0) {
    Lines all = converted.document_lines(document);
    EXPECT_GE(all.size(), 12u);
    EXPECT_EQ(all.back(), "\\par }");
    return Lines(all.begin() + 10 + attribute_lines, all.end() - 2);
}

TEST(ConvertExport, OneDocumentPerProcedureInExportOrder) {
    const auto converted =
        convert(lines({header, "PROC", "FIRST", attributes, "RPT", counted("Y"), "MACRO", "m",
                       "SCRN", "s", "@@PROC", "SECOND", attributes, "PROC", "THIRD", attributes}));
    EXPECT_EQ(converted.report.captions, (Lines{"FIRST", "SECOND", "THIRD"}));
    EXPECT_EQ(converted.sink.numbers, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(converted.sink.ended, 3);
    for (std::size_t n = 1; n <= 3; ++n) {
        const Lines doc = converted.document_lines(n);
        EXPECT_TRUE(doc.front().starts_with("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{"));
        EXPECT_EQ(doc[doc.size() - 2], "\\par ");
        EXPECT_EQ(doc.back(), "\\par }");
    }
}

TEST(ConvertExport, AnExportWithoutProceduresWritesNothing) {
    EXPECT_TRUE(convert(lines({header})).sink.documents.empty());
    const auto converted = convert(lines({header, "D" + counted("1"), "text", "ML", "x"}));
    EXPECT_TRUE(converted.sink.documents.empty());
    EXPECT_TRUE(converted.report.damage.empty());
}

TEST(ConvertExport, OnlyExactKeyLinesAreKeys) {
    const auto converted =
        convert(lines({header, "PROC", "P", attributes, "proc", "PROC ", "ML", "hidden", "RPT"}));
    ASSERT_EQ(converted.sink.documents.size(), 1u);
    const Lines written = body(converted);
    EXPECT_EQ(written[0], "\\par PROCproc");
    EXPECT_EQ(written[1], "\\par PROCPROC ");
    EXPECT_EQ(written[2], "\\par ");  // the report's opener: "hidden" went with ML
}

TEST(ConvertExport, DescriptionNodesUnderOneHeading) {
    const auto converted = convert(lines({header, "PROC", "P", attributes, "D" + counted("1"),
                                          "First line", "X" + counted("5"), "abc",
                                          "D" + counted("2"), "a{b}c", "D" + counted("1234"), "v"}));
    const Lines expected = {"\\par ",
                            "\\par \\plain\\f2\\fs16\\cf2\\b " + std::string(80, '-') +
                                "\\plain\\f2\\fs16",
                            "\\par \\plain\\f2\\fs20\\cf2\\b Description\\plain\\f2\\fs16",
                            "\\par ",
                            "\\par First line",
                            "\\par PROCX\x01" "5",
                            "\\par PROCabc",
                            "\\par a\\{b\\}c",
                            "\\par PROCD\x04" "1234",
                            "\\par PROCv"};
    EXPECT_EQ(body(converted), expected);
}

TEST(ConvertExport, LfOnlyAndUnterminatedExportsConvertTheSame) {
    const Lines body_lines = {header, "PROC", "P", attributes, "D" + counted("1"), "text"};
    std::string crlf, lf;
    for (const auto& line : body_lines) {
        crlf += line + "\r\n";
        lf += line + "\n";
    }
    const auto reference = convert(crlf);
    const auto from_lf = convert(lf);
    const auto unterminated = convert(crlf.substr(0, crlf.size() - 2));
    EXPECT_EQ(from_lf.sink.documents, reference.sink.documents);
    EXPECT_EQ(unterminated.sink.documents, reference.sink.documents);
    EXPECT_TRUE(reference.report.damage.empty());
    ASSERT_EQ(from_lf.report.damage.count(), 1u);
    ASSERT_EQ(unterminated.report.damage.count(), 1u);
    EXPECT_EQ(unterminated.damage()[0].line, 6u);
}

TEST(ConvertExport, MissingClaimedLinesAreEmptyAndRecorded) {
    const auto converted = convert(lines({header, "PROC", "P", attributes, "D" + counted("1")}));
    EXPECT_EQ(body(converted).back(), "\\par ");
    ASSERT_EQ(converted.report.damage.count(), 1u);
    EXPECT_EQ(converted.damage()[0].line, 5u);

    const auto cut_key = convert(lines({header, "PROC"}));
    EXPECT_EQ(cut_key.report.captions, Lines{""});
    ASSERT_EQ(cut_key.report.damage.count(), 2u);
    EXPECT_EQ(cut_key.damage()[0].line, 2u);
    EXPECT_EQ(cut_key.damage()[1].line, 2u);
}

TEST(ConvertExport, ItemsBeforeTheFirstProcedureWriteNothingAndAreRecorded) {
    const auto converted = convert(lines({header, "MACRO", "early", "SCRN", "s", "RPT",
                                          counted("Y"), "PROC", "P", attributes}));
    ASSERT_EQ(converted.sink.documents.size(), 1u);
    EXPECT_TRUE(body(converted).empty());
    const std::vector<std::size_t> expected_lines = {2, 4, 6};
    std::vector<std::size_t> damaged_lines;
    for (const Damage& damage : converted.damage()) {
        damaged_lines.push_back(damage.line);
    }
    EXPECT_EQ(damaged_lines, expected_lines);
}

TEST(ConvertExport, ReportsProgressAndCanBeCancelled) {
    std::string text = lines({header});
    for (int i = 0; i < 20000; ++i) {
        text += lines({"PROC", "P" + std::to_string(i), attributes, "D" + counted("1"),
                       std::string(40, 'x')});
    }
    std::vector<std::uint64_t> done;
    testing::MemorySink sink;
    auto report = convert_export(text, sink, [&](Phase phase, std::uint64_t d, std::uint64_t total) {
        EXPECT_EQ(phase, Phase::parsing);
        EXPECT_EQ(total, text.size());
        done.push_back(d);
        return true;
    });
    ASSERT_TRUE(report);
    ASSERT_GE(done.size(), 3u);
    EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
    EXPECT_EQ(done.back(), text.size());

    testing::MemorySink cancelled_sink;
    int calls = 0;
    auto cancelled = convert_export(text, cancelled_sink, [&](Phase, std::uint64_t, std::uint64_t) {
        return ++calls < 2;
    });
    ASSERT_FALSE(cancelled);
    EXPECT_TRUE(cancelled.error().cancelled);
    EXPECT_LT(cancelled_sink.documents.size(), 20000u);
}

class RefusingSink : public testing::MemorySink {
public:
    std::expected<void, FileError> begin_document(int number) override {
        if (number == 2) {
            return std::unexpected(FileError{"out/temp2.rtf", "Permission denied"});
        }
        return MemorySink::begin_document(number);
    }
};

TEST(ConvertExport, StopsAtTheFirstDocumentThatCannotBeWritten) {
    RefusingSink sink;
    auto report = convert_export(
        lines({header, "PROC", "A", attributes, "PROC", "B", attributes, "PROC", "C", attributes}),
        sink);
    ASSERT_FALSE(report);
    EXPECT_FALSE(report.error().cancelled);
    EXPECT_EQ(report.error().output.path, "out/temp2.rtf");
    EXPECT_EQ(report.error().output.reason, "Permission denied");
    EXPECT_EQ(sink.numbers, std::vector<int>{1});
}

TEST(ConvertExportBytes, AnExportResavedAsUtf8IsReencodedAndItsLossesAreDamage) {
    const std::string windows1252 =
        lines({header, "PROC", "CAF\xC9 \x80", attributes, "D" + counted("1"), "x\xA0y"});
    std::string utf8 = lines({header, "PROC", "CAF\xC3\x89 \xE2\x82\xAC", attributes,
                              "D" + counted("1"), "x\xC2\xA0y\xF0\x9F\x98\x80\xFF"});
    utf8.insert(0, utf8_byte_order_mark);
    EXPECT_EQ(export_encoding(utf8), ExportEncoding::utf8);
    EXPECT_EQ(export_encoding(windows1252), ExportEncoding::windows1252);
    EXPECT_EQ(export_encoding(std::string(utf8_byte_order_mark) + "meditech"),
              ExportEncoding::none);

    testing::MemorySink sink;
    auto report = convert_export_bytes(utf8, sink);
    ASSERT_TRUE(report);
    EXPECT_EQ(utf8, windows1252.substr(0, windows1252.size() - 2) + "?\xFF\r\n");
    EXPECT_EQ(report->captions, Lines{"CAF\xC9 \x80"});
    ASSERT_EQ(report->damage.count(), 2u);
    EXPECT_EQ(report->damage.kept()[0].line, 6u);
    EXPECT_NE(report->damage.kept()[0].reason.find("re-encoded from UTF-8"), std::string::npos);
    EXPECT_NE(report->damage.kept()[1].reason.find("not UTF-8"), std::string::npos);

    // A replacement character the export really holds has no Windows-1252 form either.
    std::string replaced = std::string(utf8_byte_order_mark) +
                           lines({header, "PROC", "A\xEF\xBF\xBD" "B", attributes});
    ASSERT_TRUE(convert_export_bytes(replaced, sink));
    EXPECT_EQ(replaced, lines({header, "PROC", "A?B", attributes}));

    // The re-encoding's losses come first, then what the conversion met, each at its line.
    std::string both =
        std::string(utf8_byte_order_mark) +
        lines({header, "MACRO", "early", "PROC", "A", attributes, "x\xF0\x9F\x98\x80"});
    auto reported = convert_export_bytes(both, sink);
    ASSERT_TRUE(reported);
    ASSERT_EQ(reported->damage.count(), 2u);
    EXPECT_EQ(reported->damage.kept()[0].line, 7u);
    EXPECT_NE(reported->damage.kept()[0].reason.find("re-encoded from UTF-8"), std::string::npos);
    EXPECT_EQ(reported->damage.kept()[1].line, 2u);

    testing::MemorySink plain_sink;
    std::string plain = windows1252;
    ASSERT_TRUE(convert_export_bytes(plain, plain_sink));
    EXPECT_EQ(plain, windows1252);
}

// The lines of a document's text, as qlx-convert --text writes them.
Lines text_lines(const std::string& rtf) {
    std::istringstream in(richtext::to_text(richtext::read_rtf(rtf).document, "\n"));
    Lines result;
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

// Each heading of the outline stands on the line of the text its paragraph names, and the
// export header takes the document's first lines and bytes.
void expect_headings_where_they_are_shown(const testing::Converted& converted) {
    ASSERT_EQ(converted.report.maps.size(), converted.sink.documents.size());
    for (std::size_t n = 0; n < converted.sink.documents.size(); ++n) {
        const std::string& rtf = converted.sink.documents[n];
        const DocumentMap& map = converted.report.maps[n];
        const Lines text = text_lines(rtf);
        for (const OutlineHeading& heading : map.outline) {
            ASSERT_LT(heading.paragraph, text.size()) << heading.text;
            // (The document runs a macro's name into its heading; the outline does not.)
            std::string shown = heading.text;
            if (shown.starts_with("Macro ")) {
                shown.erase(5, 1);
            }
            if (!(heading.level == 1 && shown.starts_with("Report "))) {
                EXPECT_TRUE(text[heading.paragraph].starts_with(shown))
                    << "document " << n + 1 << ": " << heading.text << " at " << heading.paragraph
                    << ", line " << text[heading.paragraph];
            } else {
                EXPECT_EQ(text[heading.paragraph], "Report");
            }
        }
        ASSERT_LT(map.header_paragraphs, text.size());
        EXPECT_EQ(text[map.header_paragraphs], "");  // the empty line under the header
        EXPECT_EQ(text[map.header_paragraphs - 1].starts_with("Procedure"), false);
        ASSERT_LE(map.header_bytes, rtf.size());
        EXPECT_TRUE(rtf.substr(0, map.header_bytes).ends_with("\\plain\\f2\\fs16\r\n"));
        EXPECT_TRUE(rtf.substr(map.header_bytes).starts_with("\\par \r\n"));
    }
}

TEST(DocumentOutline, EveryItemAndSectionInDocumentOrderWithItsLevel) {
    const std::string field = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
    const auto converted =
        convert(lines({header, "PROC", "ALL", attributes, "D" + counted("1"), "what it does",
                       // A report with every section of its own.
                       "RPT", counted("Y") + counted("ALL.REPORT"), "DC" + counted("1"),
                       "documented", "ZZ", "L" + counted("1"), counted("t"), "F" + counted("1"), "",
                       "P" + counted("1"), "p", "SR", "relationship", "T" + counted("1"), "",
                       "N" + counted("1"), "n", "F" + counted(field) + counted("SE") + counted("1"),
                       counted("EQ") + counted("N"), "MACRO", "all.macro", "a node", "its line",
                       "SCRN", "s", "P" + counted("1") + counted("F") + counted("1"), counted("ID"),
                       "P" + counted("1") + counted("P") + counted("1"), "picture",
                       // A report without a name, and a second procedure with nothing in it.
                       "RPT", counted("Y"), "@@PROC", "NOTHING", attributes}));
    ASSERT_EQ(converted.report.maps.size(), 2u);
    std::vector<std::pair<std::string, int>> outline;
    for (const OutlineHeading& heading : converted.report.maps[0].outline) {
        outline.emplace_back(heading.text, heading.level);
    }
    EXPECT_EQ(outline, (std::vector<std::pair<std::string, int>>{
                           {"Description", 1},
                           {"Report ALL.REPORT", 1},
                           {"Documentation", 2},
                           {"Other", 2},
                           {"Selection Fields", 2},  // (the table as it stands, before lines)
                           {"Report Lines", 2},
                           {"Fields", 2},
                           {"Picture", 2},
                           {"Selection Relationship", 2},
                           {"Sort Fields", 2},
                           {"Footnotes", 2},
                           {"Macro all.macro", 1},
                           {"Screen", 1},
                           {"Custom Select Field Attributes", 2},
                           {"Custom Select Picture", 2},
                           {"Report", 1},
                           {"Selection Fields", 2},  // pending at the procedure's end
                       }));
    EXPECT_TRUE(
        std::ranges::is_sorted(converted.report.maps[0].outline, {}, &OutlineHeading::paragraph));
    EXPECT_TRUE(converted.report.maps[1].outline.empty());
    // Three header fields: three lines.
    EXPECT_EQ(converted.report.maps[1].header_paragraphs, 3u);
    expect_headings_where_they_are_shown(converted);
}

TEST(DocumentOutline, OfTheSampleExport) {
    std::ifstream in(QLX_EXAMPLES_DIR "/sample.qlx", std::ios::binary);
    const std::string sample{std::istreambuf_iterator<char>(in), {}};
    const auto converted = convert(sample);
    ASSERT_EQ(converted.report.maps.size(), 4u);
    std::vector<std::string> outlines;
    for (const DocumentMap& map : converted.report.maps) {
        std::string outline;
        for (const OutlineHeading& heading : map.outline) {
            outline += std::string(heading.level, '>') + heading.text + "@" +
                       std::to_string(heading.paragraph) + " ";
        }
        outlines.push_back(outline);
        EXPECT_EQ(map.header_paragraphs, 9u);
    }
    EXPECT_EQ(outlines,
              (std::vector<std::string>{
                  ">Description@21 >Report LAB.C.DAILY.CENSUS@28 >Macro census.total@45 "
                  ">Screen@49 ",
                  "",
                  ">Description@19 >Report LAB.C.TAT@24 >>Selection Fields@33 "
                  ">>Selection Relationship@37 ",
                  ">Report LAB.C.SPECIMEN.LIST@18 >>Documentation@43 >>Fields@49 "
                  ">>Selection Relationship@61 >>Sort Fields@65 >>Selection Fields@73 "
                  ">>Picture@81 >>Report Lines@87 >>Footnotes@97 >>Other@103 "
                  ">Macro spec.count@109 >Screen@116 >>Custom Select Field Attributes@122 "
                  ">>Custom Select Picture@132 "}));
    expect_headings_where_they_are_shown(converted);
}

}  // namespace
}  // namespace qlx::conversion
