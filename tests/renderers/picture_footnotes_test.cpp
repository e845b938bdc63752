#include <gtest/gtest.h>

#include "support/export_builder.h"
#include "support/section_output.h"

namespace qlx::renderers {
namespace {

using namespace qlx::testing;

const Lines picture_top = section_top("Picture \\plain\\f2\\fs16");
const Lines footnotes_top = section_top("Footnotes\\plain\\f2\\fs16");

TEST(Picture, LinesAreNumberedInFourColumns) {
    EXPECT_EQ(after_selection_table({"P" + counted("7"), "|  NAME  |", "P" + counted("120"), "{x}",
                                     "P" + counted("12"), "", "P" + ch(3) + "9", "short"}),
              joined({picture_top,
                      {"\\par 7   |  NAME  |", "\\par 120 \\{x\\}", "\\par 12  ",
                       "\\par P" + ch(3) + "9 short"}}));
    // Values are never cut.
    EXPECT_EQ(after_selection_table({"P" + counted("1"), std::string(400, 'x')}),
              joined({picture_top, {"\\par 1   " + std::string(400, 'x')}}));
}

TEST(Footnotes, ValuesAreWrittenUnderOneHeading) {
    EXPECT_EQ(report_output({"N" + counted("1"), "Printed on demand", "N" + counted("22"), "{x}",
                             "N" + counted("3"), ""}),
              joined({footnotes_top, {"\\par Printed on demand", "\\par \\{x\\}", "\\par "}}));
}

TEST(Picture, PictureLinesKeepTheHeadingsOfOtherSections) {
    const Lines fields_top = opener(heading("Fields \\plain\\f2\\fs16"));
    const Lines field = {"", "\\par ", "\\par 1FLD=", "\\par DSP="};
    const Lines out =
        report_output({"F" + counted("1"), "", "P" + counted("1"), "p", "F" + counted("2"), "",
                       "N" + counted("1"), "n", "P" + counted("2"), "q", "N" + counted("1"), "m"});
    EXPECT_EQ(out, joined({fields_top,
                           field,
                           selection_table_top(),
                           picture_top,
                           {"\\par 1   p"},
                           {"", "\\par ", "\\par 2FLD=", "\\par DSP="},
                           footnotes_top,
                           {"\\par n"},
                           picture_top,
                           {"\\par 2   q"},
                           {"\\par m"}}));
}

}  // namespace
}  // namespace qlx::renderers
