#include <gtest/gtest.h>

#include "support/export_builder.h"
#include "support/section_output.h"

namespace qlx::renderers {
namespace {

using namespace qlx::testing;

const Lines report_lines_top = section_top("Report Lines \\plain\\f2\\fs16");

const std::string element = "L" + counted("12") + counted("X") + counted("3");

TEST(ReportLines, HeadersStartWithAnEmptyLineWhenTheNumberChanges) {
    EXPECT_EQ(
        after_selection_table({"L" + counted("5"), counted("PH") + "more text", "L" + counted("5"),
                               counted("P{2}"), "L" + counted("6"), counted("Q")}),
        joined({report_lines_top, {"", "\\par 5PH", "\\par 5P\\{2\\}", "", "\\par 6Q"}}));
}

TEST(ReportLines, HeaderWithoutTitle) {
    const ExportRun run = run_export({"PROC", "P", "", "RPT", "", "L" + counted("5"), ""});
    EXPECT_EQ(run.documents.at(0).end()[-3], "\\par 5");
    EXPECT_TRUE(run.damage.empty());
    // A title that runs past its line yields what is there.
    EXPECT_EQ(after_selection_table({"L" + counted("5"), ch(9) + "PH"}),
              joined({report_lines_top, {"", "\\par 5PH"}}));
}

TEST(ReportLines, ElementValuesAreCutIntoPiecesOfNinetyUpTo270) {
    const std::string a90(90, 'a');
    EXPECT_EQ(
        after_selection_table({element, a90 + std::string(10, 'b')}),
        joined({report_lines_top, {"\\par 123=" + a90, "\\par 123=" + std::string(10, 'b')}}));
    EXPECT_EQ(after_selection_table({element, a90}),
              joined({report_lines_top, {"\\par 123=" + a90}}));
    EXPECT_EQ(after_selection_table({element, a90 + "b"}),
              joined({report_lines_top, {"\\par 123=" + a90, "\\par 123=b"}}));
    const std::string v270 = a90 + std::string(90, 'b') + std::string(90, 'c');
    EXPECT_EQ(after_selection_table({element, v270}),
              joined({report_lines_top,
                      {"\\par 123=" + a90, "\\par 123=" + std::string(90, 'b'),
                       "\\par 123=" + std::string(90, 'c')}}));
    // Empty values and values over 270 characters are written whole.
    EXPECT_EQ(after_selection_table({element, v270 + "d"}),
              joined({report_lines_top, {"\\par 123=" + v270 + "d"}}));
    EXPECT_EQ(after_selection_table({element, ""}), joined({report_lines_top, {"\\par 123="}}));
}

TEST(ReportLines, PiecesAreCutBeforeEscaping) {
    EXPECT_EQ(after_selection_table({element, "{a}"}),
              joined({report_lines_top, {"\\par 123=\\{a\\}"}}));
    EXPECT_EQ(after_selection_table({element, std::string(89, 'a') + "{}\\"}),
              joined({report_lines_top,
                      {"\\par 123=" + std::string(89, 'a') + "\\{", "\\par 123=\\}\\\\"}}));
}

TEST(ReportLines, ShortRemaindersGiveAnEmptyLabel) {
    EXPECT_EQ(after_selection_table({"L" + counted("1") + "X", "v", "L" + counted("1") + "XY", "w",
                                     "L" + counted("1") + counted("X") + ch(0), "z"}),
              joined({report_lines_top, {"\\par 1=v", "\\par 1=w", "\\par 1=z"}}));
}

TEST(ReportLines, ContinuationNodesAreSkippedAfterTheHeading) {
    EXPECT_EQ(after_selection_table({"L" + counted("1") + counted("CL") + counted("2"), "gone"}),
              report_lines_top);
    EXPECT_EQ(after_selection_table({"L" + counted("1") + counted("xxCLxx"), "gone"}),
              report_lines_top);
}

TEST(ReportLines, LastNumberCarriesOverFromItemToItem) {
    const Lines report_top = section_top("Report\\plain\\f2\\fs16");
    EXPECT_EQ(
        after_selection_table(
            {"L" + counted("5"), counted("A"), "RPT", "", "L" + counted("5"), counted("B")}),
        joined({report_lines_top, {"", "\\par 5A"}, report_top, report_lines_top, {"\\par 5B"}}));
}

}  // namespace
}  // namespace qlx::renderers
