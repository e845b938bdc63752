#include <gtest/gtest.h>

#include "support/export_builder.h"
#include "support/section_output.h"

namespace qlx::renderers {
namespace {

using namespace qlx::testing;

const Lines sort_top = sort_fields_top();

const std::string sort_value =
    counted("PAT.NAME") + counted("A") + counted("Y") + counted("N") + counted("Y");

TEST(SortFields, RowsUseTheirOwnColumnWidths) {
    EXPECT_EQ(report_output({"T" + counted("1"), sort_value}),
              joined({sort_top,
                      {"\\par 1    PAT.NAME" + blanks(31) + "A" + blanks(8) + "Y" + blanks(9) +
                       "N" + blanks(8) + "Y  "}}));
    EXPECT_EQ(report_output({"T" + counted("12"), ""}),
              joined({sort_top, {"\\par 12   " + blanks(39 + 9 + 10 + 9) + "   "}}));
}

TEST(SortFields, LongEntriesAreCutAndEveryEntryIsEscapedAfterwards) {
    const std::string field = std::string(38, 'f') + "{" + "cut off";
    EXPECT_EQ(report_output({"T" + counted("1"), counted(field) + counted("ORDERS ARE") +
                                                     counted("H") + counted("T") + counted("R{") +
                                                     counted("6") + counted("7") + counted("8")}),
              joined({sort_top,
                      {"\\par 1    " + std::string(38, 'f') + "\\{" + "ORDERS AR" + "H" +
                       blanks(9) + "T" + blanks(8) + "R\\{67"}}));
}

TEST(SortFields, NumberIsTheLastCharactersOfTheNode) {
    EXPECT_EQ(report_output({"T" + ch(2) + "123", ""}).back().substr(0, 10), "\\par 23   ");
    EXPECT_EQ(report_output({"T" + ch(1) + "xy", ""}).back().substr(0, 10), "\\par y    ");
}

TEST(SortFields, PendingRelationshipComesFirstAndOnce) {
    const std::string row = "\\par 1    " + blanks(39 + 9 + 10 + 9) + "   ";
    EXPECT_EQ(report_output({"SR", "ABC{", "T" + counted("1"), "", "T" + counted("1"), ""}),
              joined({opener(heading("Selection Relationship \\plain\\f2\\fs16")),
                      {"\\par ABC\\{"},
                      sort_top,
                      {row, row}}));
}

TEST(SortFields, RelationshipArrivingBetweenRowsComesBeforeTheNextRow) {
    const std::string row = "\\par 1    " + blanks(39 + 9 + 10 + 9) + "   ";
    EXPECT_EQ(report_output({"T" + counted("1"), "", "SR", "rel", "T" + counted("1"), ""}),
              joined({sort_top,
                      {row},
                      opener(heading("Selection Relationship \\plain\\f2\\fs16")),
                      {"\\par rel", row}}));
}

TEST(SortFields, HeadingReturnsOnlyAfterASectionThatEndsIt) {
    const std::string row = "\\par 1    " + blanks(39 + 9 + 10 + 9) + "   ";
    const Lines report_lines_top = section_top("Report Lines \\plain\\f2\\fs16");
    const Lines fields_top = opener(heading("Fields \\plain\\f2\\fs16"));
    const Lines out =
        report_output({"T" + counted("1"), "", "L" + counted("1"), counted("t"), "T" + counted("1"),
                       "", "F" + counted("1"), "", "T" + counted("1"), ""});
    // Report lines leave the sort section open; fields end it.
    EXPECT_EQ(out, joined({sort_top,
                           {row},
                           selection_table_top(),
                           report_lines_top,
                           {"", "\\par 1t"},
                           {row},
                           fields_top,
                           {"", "\\par ", "\\par 1FLD=", "\\par DSP="},
                           sort_top,
                           {row}}));
}

}  // namespace
}  // namespace qlx::renderers
