#include <gtest/gtest.h>

#include "support/export_builder.h"
#include "support/section_output.h"

namespace qlx::renderers {
namespace {

using namespace qlx::testing;

const Lines fields_top = opener(heading("Fields \\plain\\f2\\fs16"));
const Lines selection_top = selection_table_top();

const std::string definition = "F" + counted("3");
const std::string pat_name = counted("NAME") + counted("PAT") + counted("X") + counted("Smith");
const std::string selection_value = counted("EQ") + counted("N") + counted("") + counted("") +
                                    counted("") + counted("") + counted("Patient") + counted("ALL");

std::string attribute(std::string_view kind, std::string_view label) {
    return definition + counted(kind) + counted(label);
}

TEST(Fields, DefinitionWritesQualifiedNameAndDisplayValue) {
    EXPECT_EQ(report_output({definition, pat_name}),
              joined({fields_top, {"", "\\par ", "\\par 3FLD=PAT.NAME", "\\par DSP=Smith"}}));
    EXPECT_EQ(
        report_output({definition, counted("N{}") + counted("") + counted("") + counted("a\\b")}),
        joined({fields_top, {"", "\\par ", "\\par 3FLD=N\\{\\}", "\\par DSP=a\\\\b"}}));
    EXPECT_EQ(report_output({definition, ""}),
              joined({fields_top, {"", "\\par ", "\\par 3FLD=", "\\par DSP="}}));
}

TEST(Fields, SameFieldNumberWritesOneSeparator) {
    EXPECT_EQ(
        report_output(
            {definition, pat_name, definition, counted("AGE"), "F" + counted("4"), counted("SEX")}),
        joined({fields_top,
                {"", "\\par ", "\\par 3FLD=PAT.NAME", "\\par DSP=Smith", "\\par ", "\\par 3FLD=AGE",
                 "\\par DSP=", "", "\\par ", "\\par 4FLD=SEX", "\\par DSP="}}));
    // The last field number carries over to the next report.
    const Lines report_top = section_top("Report\\plain\\f2\\fs16");
    EXPECT_EQ(report_output({definition, counted("A"), "RPT", "", definition, counted("B")}),
              joined({fields_top,
                      {"", "\\par ", "\\par 3FLD=A", "\\par DSP="},
                      report_top,
                      fields_top,
                      {"\\par ", "\\par 3FLD=B", "\\par DSP="}}));
}

TEST(Fields, SelectionDefinitionStoresARowUnderTheFieldsName) {
    const std::string row2 = "  2  PAT.NAME" + blanks(22) + "    EQ   Patient" + blanks(25) +
                             "    ALL" + blanks(13) + "   (N)";
    EXPECT_EQ(report_output({definition, pat_name, definition + counted("SE") + counted("2"),
                             selection_value}),
              joined({fields_top,
                      {"", "\\par ", "\\par 3FLD=PAT.NAME", "\\par DSP=Smith"},
                      selection_top,
                      {"\\par " + row2}}));
    // A fifth value part goes in front; the column stays 30 characters.
    std::string qualified = selection_value;
    qualified.replace(7, 1, counted("X"));
    EXPECT_EQ(report_output({definition, counted(std::string(30, 'n')),
                             definition + counted("SE") + counted("2"), qualified})
                  .back()
                  .substr(0, 46),
              "\\par   2  X." + std::string(28, 'n') + "    EQ");
    // Before any definition the name is 30 blanks.
    EXPECT_EQ(report_output({definition + counted("SE") + counted("1"), selection_value})
                  .back()
                  .substr(0, 46),
              "\\par   1  " + blanks(30) + "    EQ");
}

TEST(Fields, AttributesInOneLineOrInPieces) {
    EXPECT_EQ(
        report_output(
            {attribute("A", "WIDTH"), "12", attribute("A", "NOTE"), std::string(300, 'x') + "{"}),
        joined({fields_top, {"\\par WIDTH=12", "\\par NOTE=" + std::string(300, 'x') + "\\{"}}));
    // An attribute ending in "VAL" is written in pieces of 90; no value is lost.
    EXPECT_EQ(report_output({definition + counted("VAL"), std::string(300, 'v')}),
              joined({fields_top,
                      {"\\par L=" + std::string(90, 'v'), "\\par L=" + std::string(90, 'v'),
                       "\\par L=" + std::string(90, 'v'), "\\par L=" + std::string(30, 'v')}}));
    EXPECT_EQ(report_output({definition + counted("VAL"), ""}), fields_top);
    EXPECT_EQ(report_output({definition + counted("XVAL") + ch(1), "w"}),
              joined({fields_top, {"\\par AL" + ch(1) + "=w"}}));
    // Remainders of three characters or fewer give an empty label.
    EXPECT_EQ(report_output({definition + "X", "v", definition + counted("AB"), "w"}),
              joined({fields_top, {"\\par =v", "\\par =w"}}));
}

TEST(Fields, ValueContinuationsAndSelectionLikeLabelsWriteOnlyTheHeading) {
    EXPECT_EQ(report_output({definition + counted("VAL") + counted("1"), "gone"}), fields_top);
    // "USER" holds "SE": the node counts as a selection whose number "R" is no number.
    EXPECT_EQ(report_output({attribute("A", "USER"), "gone"}), fields_top);
}

}  // namespace
}  // namespace qlx::renderers
