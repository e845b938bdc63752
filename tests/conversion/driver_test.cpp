#include "conversion/driver.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "model/export_encoding.h"
#include "model/rtf_vocabulary.h"
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

}  // namespace
}  // namespace qlx::conversion
