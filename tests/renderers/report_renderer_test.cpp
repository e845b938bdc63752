#include <gtest/gtest.h>

#include "support/export_builder.h"
#include "support/section_output.h"

namespace qlx::renderers {
namespace {

using namespace qlx::testing;

const Lines documentation_top = section_top("Documentation \\plain\\f2\\fs16");
const Lines other_top = other_section_top();

TEST(ReportRenderer, DocumentationLinesAreEscapedUnderOneHeading) {
    EXPECT_EQ(report_output({"DC" + counted("1"), "see {x}", "DC" + counted("2"), "more\\"}),
              joined({documentation_top, {"\\par see \\{x\\}", "\\par more\\\\"}}));
}

TEST(ReportRenderer, UnrecognisedLinesAreListedUnderOther) {
    EXPECT_EQ(report_output({"ZZ1", "ZZ2"}), joined({other_top, {"\\par ZZ1", "\\par ZZ2"}}));
    EXPECT_EQ(body_output({"@@RPT", ""}, {"ZZ1"}), joined({other_top, {"\\par ZZ1"}}));
    // The value line arrives as a line of its own; export text is escaped.
    EXPECT_EQ(report_output({"ZZ1", "a{b}\\"}),
              joined({other_top, {"\\par ZZ1", "\\par a\\{b\\}\\\\"}}));
    // Lines of one character, and names with a subscript length out of range.
    EXPECT_EQ(
        report_output({"N", "N" + ch(3) + "123", "U" + ch(7) + "1234567", "L" + ch(4), "@@RPT "}),
        joined({other_top,
                {"\\par N", "\\par N" + ch(3) + "123", "\\par U" + ch(7) + "1234567",
                 "\\par L" + ch(4), "\\par @@RPT "}}));
    // A documentation line ends the Other section; the next unrecognised line opens it again.
    EXPECT_EQ(
        report_output({"ZZ1", "DC" + counted("1"), "d", "ZZ2"}),
        joined(
            {other_top, {"\\par ZZ1"}, documentation_top, {"\\par d"}, other_top, {"\\par ZZ2"}}));
}

TEST(ReportRenderer, SkippedNodesTakeTheirValueLine) {
    EXPECT_EQ(report_output({"SRX", "v", "U" + ch(8) + "12345678", "v",
                             "U" + ch(11) + std::string(11, 'u'), "v", "FI" + counted("1"), "v",
                             "I" + counted("12"), "v", "AT" + counted("1"), "v"}),
              Lines{});
}

TEST(ReportRenderer, SubscriptLengthsOutsideEachRowAreOther) {
    // A description node of a procedure is nothing special in a report; its value line comes
    // on its own.
    EXPECT_EQ(report_output({"D" + ch(1) + "1", "x", "F" + ch(4) + "1234", "F" + ch(29) + "f",
                             "F" + ch(31) + "f", "T" + ch(3) + "123", "P" + ch(4) + "1234",
                             "I" + ch(4) + "1234", "U" + ch(12) + "u", "N" + ch(0)}),
              joined({other_top,
                      {"\\par D" + ch(1) + "1", "\\par x", "\\par F" + ch(4) + "1234",
                       "\\par F" + ch(29) + "f", "\\par F" + ch(31) + "f",
                       "\\par T" + ch(3) + "123", "\\par P" + ch(4) + "1234",
                       "\\par I" + ch(4) + "1234", "\\par U" + ch(12) + "u", "\\par N" + ch(0)}}));
}

TEST(ReportRenderer, SubscriptLengthsAtTheEndsOfEachRow) {
    EXPECT_EQ(report_output({"I" + ch(1) + "1", "v", "I" + ch(3) + "123", "v",
                             "U" + ch(9) + std::string(9, 'u'), "v",
                             "U" + ch(10) + std::string(10, 'u'), "v"}),
              Lines{});
    const Lines fields_top = opener(heading("Fields \\plain\\f2\\fs16"));
    EXPECT_EQ(report_output({"F" + ch(2) + "12", "", "F" + ch(3) + "123", ""}),
              joined({fields_top,
                      {"", "\\par ", "\\par 12FLD=", "\\par DSP=", "", "\\par ",
                       "\\par 123FLD=", "\\par DSP="}}));
    EXPECT_EQ(after_selection_table({"L" + ch(3) + "123", counted("t")}),
              joined({section_top("Report Lines \\plain\\f2\\fs16"), {"", "\\par 123t"}}));
}

// An attribute node ends the section it interrupts, so its heading comes back; the selection
// table is still written once.
TEST(ReportRenderer, AttributeNodeEndsEverySectionButNotTheSelectionTable) {
    EXPECT_EQ(report_output({"DC" + counted("1"), "a", "AT" + counted("1"), "dropped",
                             "DC" + counted("2"), "b"}),
              joined({documentation_top, {"\\par a"}, documentation_top, {"\\par b"}}));
    const Lines footnotes_top = section_top("Footnotes\\plain\\f2\\fs16");
    EXPECT_EQ(
        report_output({"N" + counted("1"), "a", "AT" + counted("1"), "v", "N" + counted("2"), "b"}),
        joined({footnotes_top, {"\\par a"}, footnotes_top, {"\\par b"}}));
    const Lines report_lines_top = section_top("Report Lines \\plain\\f2\\fs16");
    EXPECT_EQ(report_output({"L" + counted("1"), "", "AT" + counted("1"), "v", "L" + counted("1"),
                             ""}),
              joined({selection_table_top(), report_lines_top, {"", "\\par 1"}, report_lines_top,
                      {"\\par 1"}}));
}

}  // namespace
}  // namespace qlx::renderers
