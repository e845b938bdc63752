#include "conversion/item_headings.h"

#include <gtest/gtest.h>

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

// The lines of a document's top up to the procedure's attribute lines, for a procedure
// named `name` in an export with the header above.
Lines procedure_top(const std::string& name) {
    return {"{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"
            "{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fmodern Courier New;}{\\f3\\fscript Comic "
            "Sans MS;}{\\f4\\fdecor Curlz MT;}}",
            "{\\colortbl\\red0\\green0\\blue0;\\red0\\green128\\blue0;\\red255\\green0\\blue0;"
            "\\red0\\green0\\blue255;}",
            "\\deflang1033\\pard\\plain\\f2\\fs20\\cf3\\b MEDITECH.CUST.RPTS\\plain\\f2\\fs16",
            "\\par \\plain\\f2\\fs20\\cf3\\b Hospital  H1\\plain\\f2\\fs16",
            "\\par \\plain\\f2\\fs20\\cf3\\b MIS       M1\\plain\\f2\\fs16",
            "\\par ",
            "\\par \\plain\\f2\\fs16\\cf2\\b " + std::string(83, '='),
            "\\par " + std::string(83, '=') + "\\plain\\f2\\fs16",
            "\\par \\plain\\f2\\fs20\\cf2\\b Procedure" + name + "\\plain\\f2\\fs16",
            "\\par "};
}

Lines concat(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Lines document_end = {"\\par ", "\\par }"};

// Everything written after the procedure's top, up to the closing lines.
Lines body_after_top(const testing::Converted& converted) {
    Lines all = converted.document_lines(1);
    const std::size_t top = procedure_top("").size();
    return Lines(all.begin() + top, all.end() - 2);
}

TEST(ProcedureStart, WritesHeaderRulesHeadingAndAttributes) {
    const auto converted = convert(lines(
        {header, "PROC", "ABC.PROC", counted("ABC") + counted("NAME") + counted("JS") +
                                         counted("") + counted("Y")}));
    EXPECT_EQ(converted.document_lines(1),
              concat(concat(procedure_top("ABC.PROC"),
                            {"\\par Responsibility JS", "\\par Active         Y"}),
                     document_end));
    EXPECT_EQ(converted.report.captions, Lines{"ABC.PROC"});
    EXPECT_TRUE(converted.report.damage.empty());
}

TEST(ProcedureStart, AttributeFieldsAndTheirLabels) {
    // Field 6 has no blank after its label; fields past 12 have no label, however many.
    Lines fields = {"DPM", "NAME", "R", "", "", "X,Y", "ML", "TR", "SW", "I", "EXT", "mlog"};
    for (int i = 13; i <= 22; ++i) {
        fields.push_back("f" + std::to_string(i));
    }
    std::string attributes;
    for (const auto& f : fields) {
        attributes += counted(f);
    }
    const auto converted = convert(lines({header, "PROC", "P", attributes}));
    Lines expected = {"\\par Responsibility R", "\\par ArgumentsX,Y",
                      "\\par Menu Logic     ML", "\\par Translate As   TR",
                      "\\par Switch Appl    SW", "\\par Interruptable  I",
                      "\\par External Name  EXT", "\\par mlogic         mlog"};
    for (int i = 13; i <= 22; ++i) {
        expected.push_back("\\par f" + std::to_string(i));
    }
    EXPECT_EQ(body_after_top(converted), expected);
}

TEST(ProcedureStart, OverlongLengthsAreSkippedOrCutShort) {
    // A length beyond the line (its own character included) is skipped alone; the next
    // character is read as the next length.
    const auto skipped =
        convert(lines({header, "PROC", "P", counted("D") + counted("N") + "\x7F" + counted("R")}));
    EXPECT_EQ(body_after_top(skipped), Lines{"\\par Responsibility R"});
    EXPECT_TRUE(skipped.report.damage.empty());

    // A length one more than the characters that follow takes the short value.
    const auto short_value =
        convert(lines({header, "PROC", "P", counted("D") + counted("N") + "\x04" "abc"}));
    EXPECT_EQ(body_after_top(short_value), Lines{"\\par Responsibility abc"});
    ASSERT_EQ(short_value.report.damage.count(), 1u);
    EXPECT_EQ(short_value.damage()[0].line, 4u);
}

TEST(ProcedureStart, ExportTextIsEscapedAndTheCaptionKeptAsItIs) {
    const auto converted = convert(lines({"MEDITECH.CUST.RPTS^{H}^C:\\M", "PROC", "A\\B{C}",
                                          counted("D") + counted("N") + counted("}{\\")}));
    const Lines doc = converted.document_lines(1);
    EXPECT_EQ(doc[3], "\\par \\plain\\f2\\fs20\\cf3\\b Hospital  \\{H\\}\\plain\\f2\\fs16");
    EXPECT_EQ(doc[4], "\\par \\plain\\f2\\fs20\\cf3\\b MIS       C:\\\\M\\plain\\f2\\fs16");
    EXPECT_EQ(doc[8], "\\par \\plain\\f2\\fs20\\cf2\\b ProcedureA\\\\B\\{C\\}\\plain\\f2\\fs16");
    EXPECT_EQ(doc[10], "\\par Responsibility \\}\\{\\\\");
    EXPECT_EQ(converted.report.captions, Lines{"A\\B{C}"});
}

TEST(ProcedureStart, HeaderFieldsAreWrittenAllAndBareBeyondTheLabels) {
    const auto converted = convert(lines({"MEDITECH.CUST.RPTS^2^3^4^^6^7^8^9^10^11", "PROC"}));
    const Lines doc = converted.document_lines(1);
    EXPECT_EQ(doc[5], "\\par \\plain\\f2\\fs20\\cf3\\b Directory 4\\plain\\f2\\fs16");
    EXPECT_EQ(doc[6], "\\par \\plain\\f2\\fs20\\cf3\\b User      \\plain\\f2\\fs16");
    EXPECT_EQ(doc[10], "\\par \\plain\\f2\\fs20\\cf3\\b 9\\plain\\f2\\fs16");
    EXPECT_EQ(doc[12], "\\par \\plain\\f2\\fs20\\cf3\\b 11\\plain\\f2\\fs16");
    EXPECT_EQ(doc[13], "\\par ");
}

const std::string dash_rule =
    "\\par \\plain\\f2\\fs16\\cf2\\b " + std::string(80, '-') + "\\plain\\f2\\fs16";
const Lines report_opener = {"\\par ", dash_rule,
                             "\\par \\plain\\f2\\fs20\\cf2\\b Report\\plain\\f2\\fs16", "\\par "};

TEST(ReportStart, WritesOpenerAndLabelledAttributes) {
    const auto converted = convert(lines(
        {header, "PROC", "P", "", "RPT",
         counted("Y") + counted("R.ABC") + counted("ADM") + counted("") + counted("S1")}));
    EXPECT_EQ(body_after_top(converted),
              concat(report_opener,
                     {"\\par Active              Y", "\\par Name                R.ABC",
                      "\\par DPM                 ADM", "\\par Segment             S1"}));
}

TEST(ReportStart, EveryFieldInRangeIsWrittenAndSegmentDpmFallsBackToTheDpm) {
    std::string attributes = counted("Y") + counted("") + counted("ADM");
    for (int k = 4; k <= 30; ++k) {
        attributes += counted(k == 12 ? "" : "v" + std::to_string(k));
    }
    const auto converted = convert(lines({header, "PROC", "P", "", "@@RPT", attributes}));
    const Lines body = body_after_top(converted);
    ASSERT_EQ(body.size(), report_opener.size() + 21);
    EXPECT_EQ(body[5], "\\par Name                ");
    EXPECT_EQ(body[7], "\\par Segment             v5");
    EXPECT_EQ(body[14], "\\par Segment DPM         ADM");
    EXPECT_EQ(body[24], "\\par Left Margin         v22");
}

TEST(ReportStart, AnAttributeRunningPastTheLineWritesTheShortValue) {
    const auto converted = convert(
        lines({header, "PROC", "P", "", "RPT", counted("Y") + counted("N") + "\x09" "ADM"}));
    EXPECT_EQ(body_after_top(converted).back(), "\\par DPM                 ADM");
    ASSERT_EQ(converted.report.damage.count(), 1u);
    EXPECT_EQ(converted.damage()[0].line, 6u);
}

TEST(ReportStart, ASegmentDpmRunningPastTheLineIsNotTakenForAnEmptyOne) {
    std::string attributes = counted("Y") + counted("") + counted("ADM");
    for (int k = 4; k <= 11; ++k) {
        attributes += counted("");
    }
    for (const std::string& field12 : {std::string("\x05"), std::string("\x05"
                                                                        "S2")}) {
        const auto converted =
            convert(lines({header, "PROC", "P", "", "RPT", attributes + field12}));
        EXPECT_EQ(body_after_top(converted).back(),
                  "\\par Segment DPM         " + field12.substr(1));
        ASSERT_EQ(converted.report.damage.count(), 1u) << field12;
        EXPECT_EQ(converted.damage()[0].line, 6u);
    }
}

TEST(MacroAndScreenStart, MacroNameFollowsTheHeadingAndTheScreenLineIsConsumed) {
    const auto converted =
        convert(lines({header, "PROC", "P", "", "MACRO", "my.macro{1}", "SCRN", "hidden"}));
    EXPECT_EQ(body_after_top(converted),
              (Lines{"\\par ", dash_rule,
                     "\\par \\plain\\f2\\fs20\\cf2\\b Macromy.macro\\{1\\}\\plain\\f2\\fs16", "\\par ",
                     "\\par ", dash_rule, "\\par \\plain\\f2\\fs20\\cf2\\b Screen\\plain\\f2\\fs16",
                     "\\par "}));
}

}  // namespace
}  // namespace qlx::conversion
