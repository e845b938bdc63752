#include <gtest/gtest.h>

#include "support/export_builder.h"
#include "support/section_output.h"

namespace qlx::renderers {
namespace {

using namespace qlx::testing;

// A field subscript of 30 characters without "SE".
const std::string field = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";

const Lines selection_top = selection_table_top();

std::string name_node() {
    return "F" + counted(field);
}
std::string selection_node(std::string_view number) {
    return "F" + counted(field) + counted("SE") + counted(number);
}
std::string selection_value(std::string_view op, std::string_view prompt,
                            std::string_view default_value) {
    return counted(op) + counted("N") + counted("") + counted("") + counted("") + counted("") +
           counted(prompt) + counted(default_value);
}

TEST(SelectionFields, RowsAreStoredAndWrittenWhenTheProcedureEnds) {
    const std::string row1 = "  1  pat.name" + blanks(22) + "    EQ   Patient" + blanks(25) +
                             "   ALL" + blanks(14) + "   (N)";
    EXPECT_EQ(report_output({name_node(), counted("pat.name"), selection_node("1"),
                             selection_value("EQ", "Patient", "ALL")}),
              joined({selection_top, {"\\par " + row1}}));
}

TEST(SelectionFields, ColumnsKeepTheirWidths) {
    const std::string value = selection_value("EQ", "Patient", "ALL");
    const Lines out = report_output({name_node(), counted("pat.name"), selection_node("1"), value});
    ASSERT_EQ(out.size(), selection_top.size() + 1);
    const std::string row = out.back().substr(5);
    EXPECT_EQ(row.find("Patient"), 44u);
    EXPECT_EQ(row.find("ALL"), 79u);
    EXPECT_EQ(row.find('('), 99u);

    // An empty prompt gives a column of 33 characters, a one-character prompt 34.
    const std::string before_prompt = "  2  pat.name" + blanks(22) + "    EQ";
    EXPECT_EQ(report_output({name_node(), counted("pat.name"), selection_node("2"),
                             selection_value("EQ", "", "")})
                  .back(),
              "\\par " + before_prompt + blanks(33) + blanks(20) + "   (N)");
    EXPECT_EQ(report_output({name_node(), counted("pat.name"), selection_node("2"),
                             selection_value("EQ", "P", "")})
                  .back(),
              "\\par " + before_prompt + "   P" + blanks(30) + blanks(20) + "   (N)");

    // The operator is neither padded nor cut; long prompts and defaults are cut.
    EXPECT_EQ(
        report_output({name_node(), counted(std::string(40, 'n')), selection_node("3"),
                       selection_value("BETWEEN", std::string(40, 'p'), std::string(30, 'd'))})
            .back(),
        "\\par   3  " + std::string(30, 'n') + "    BETWEEN   " + std::string(32, 'p') + "   " +
            std::string(17, 'd') + "   (N)");
}

TEST(SelectionFields, QualifierGoesInFrontOfTheFieldName) {
    std::string value = counted("EQ") + counted("N") + counted("X") + counted("") + counted("PAT") +
                        counted("") + counted("P") + counted("D");
    EXPECT_EQ(
        report_output({name_node(), counted(std::string(28, 'n')), selection_node("4"), value})
            .back(),
        "\\par   4  PAT." + std::string(26, 'n') + "    EQ   P" + blanks(30) + "   D" + blanks(16) +
            "   (NX)");
}

TEST(SelectionFields, RowsAreCutFromTheExportsCharactersAndEscapedAfterwards) {
    const std::string name = "n{" + std::string(28, 'n') + "}";
    EXPECT_EQ(report_output({name_node(), counted(name), selection_node("1"),
                             selection_value("\\", "{p}", "")})
                  .back(),
              "\\par   1  n\\{" + std::string(28, 'n') + "    \\\\   \\{p\\}" + blanks(29) +
                  blanks(20) + "   (N)");
}

TEST(SelectionFields, BeforeAnyFieldNameTheFieldColumnHoldsOnlyTheQualifier) {
    EXPECT_EQ(report_output({selection_node("1"), selection_value("EQ", "", "")}),
              joined({selection_top, {"\\par   1      EQ" + blanks(33) + blanks(20) + "   (N)"}}));
}

TEST(SelectionFields, EveryStoredRowIsWrittenOnceFromOneUpward) {
    const std::string value = selection_value("EQ", "", "");
    const Lines out = report_output({name_node(), counted("f"), selection_node("4"), value,
                                     selection_node("1"), value, selection_node("2"), value,
                                     selection_node("0"), value, "L" + counted("1"), ""});
    ASSERT_GE(out.size(), selection_top.size() + 3);
    EXPECT_EQ(Lines(out.begin(), out.begin() + static_cast<long>(selection_top.size())),
              selection_top);
    const auto row = [&](std::size_t i) { return out[selection_top.size() + i].substr(0, 8); };
    EXPECT_EQ(row(0), "\\par   1");
    EXPECT_EQ(row(1), "\\par   2");
    EXPECT_EQ(row(2), "\\par   4");
    // Row 0 is kept but never written; nothing is left for the end of the procedure.
    EXPECT_EQ(out[selection_top.size() + 3], "\\par ");
}

// Selection 30 is the table's last row; a shorter value line leaves the rest blank, whatever
// the line before held.
TEST(SelectionFields, TheThirtiethRowAndAShortValueLine) {
    const Lines out = report_output({name_node(), counted("f"), selection_node("1"),
                                     selection_value("EQ", "Patient", "ALL"), selection_node("30"),
                                     counted("GT")});
    ASSERT_EQ(out.size(), selection_top.size() + 2);
    EXPECT_EQ(out.back(), "\\par  30  f" + blanks(29) + "    GT" + blanks(33) + blanks(20) + "   ()");
}

TEST(SelectionFields, ALaterRowWithTheSameNumberReplacesTheEarlier) {
    const Lines out = report_output({name_node(), counted("f"), selection_node("5"),
                                     selection_value("EQ", "", ""), selection_node("05"),
                                     selection_value("GT", "", "")});
    ASSERT_EQ(out.size(), selection_top.size() + 1);
    EXPECT_EQ(out.back().substr(0, 46), "\\par  05  f" + blanks(29) + "    GT");
}

TEST(SelectionFields, NumbersOutsideTheTableAreIgnored) {
    const std::string value = selection_value("EQ", "", "");
    for (std::string number : {"31", "x", "", "-1", "1.0", " 1", "99999999999999999999"}) {
        const ExportRun run =
            run_export({"PROC", "P", "", "RPT", "", selection_node(number), value});
        ASSERT_EQ(run.documents.size(), 1u);
        const Lines& doc = run.documents[0];
        EXPECT_EQ(doc.end()[-3], "\\par ") << number;
        EXPECT_TRUE(run.damage.empty()) << number;
    }
}

TEST(SelectionFields, StringsBeyondTheThirtiethAreIgnored) {
    std::string value = selection_value("EQ", "", "");
    for (int i = 9; i <= 30; ++i) {
        value += counted("z");
    }
    value += ch(200) + "short";
    const ExportRun run = run_export(
        {"PROC", "P", "", "RPT", "", name_node(), counted("f"), selection_node("1"), value});
    EXPECT_TRUE(run.damage.empty());
    EXPECT_EQ(run.documents.at(0).end()[-3].substr(0, 8), "\\par   1");
}

TEST(SelectionFields, SubscriptHoldingSeMakesASelectionNode) {
    const std::string se_field = "xxxxxxxxxxxxxSE" + counted("7") + "xxxxxxxxxxxxx";
    ASSERT_EQ(se_field.size(), 30u);
    const Lines out = report_output({"F" + counted(se_field), selection_value("EQ", "", "")});
    // The selection number is everything after "SE" and one character: "7xxxxxxxxxxxxx"
    // is no number, so nothing is stored and nothing is flushed.
    EXPECT_EQ(out, Lines{});
    const std::string numbered = std::string(26, 'x') + "SE" + counted("9");
    EXPECT_EQ(report_output({"F" + counted(numbered), selection_value("EQ", "", "")})
                  .back()
                  .substr(0, 10),
              "\\par   9  ");
}

TEST(SelectionFields, TableAndRelationshipComeBeforeTheFirstPicture) {
    const Lines out =
        report_output({"SR", "Status {final}", name_node(), counted("f"), selection_node("1"),
                       selection_value("EQ", "", ""), "P" + counted("1"), "pic"});
    const std::string row = "  1  f" + blanks(29) + "    EQ" + blanks(33) + blanks(20) + "   (N)";
    EXPECT_EQ(out, joined({selection_top,
                           {"\\par " + row, "\\par ",
                            heading("Selection Relationship Status \\{final\\}\\plain\\f2\\fs16")},
                           opener(heading("Picture \\plain\\f2\\fs16")),
                           {"\\par ", "\\par 1   pic"}}));
}

TEST(SelectionFields, RelationshipWrittenWithTheSortFieldsIsNotWrittenAgain) {
    EXPECT_EQ(
        // A second relationship before either table replaces the first.
        report_output({"SR", "old", "SR", "rel", "T" + counted("1"), "", "L" + counted("1"),
                       counted("t")}),
        joined({opener(heading("Selection Relationship \\plain\\f2\\fs16")),
                {"\\par rel"},
                sort_fields_top(),
                {"\\par 1    " + blanks(67) + "   "},
                selection_top,
                section_top("Report Lines \\plain\\f2\\fs16"),
                {"", "\\par 1t"}}));
}

TEST(SelectionFields, TableIsWrittenOncePerProcedureEvenWithoutRows) {
    const Lines report_lines_top = section_top("Report Lines \\plain\\f2\\fs16");
    const Lines picture_top = section_top("Picture \\plain\\f2\\fs16");
    const Lines report_top = section_top("Report\\plain\\f2\\fs16");
    EXPECT_EQ(report_output({"L" + counted("1"), "", "P" + counted("1"), "p", "RPT", "",
                             "L" + counted("1"), ""}),
              joined({selection_top,
                      report_lines_top,
                      {"", "\\par 1"},
                      picture_top,
                      {"\\par 1   p"},
                      report_top,
                      report_lines_top,
                      {"\\par 1"}}));
}

}  // namespace
}  // namespace qlx::renderers
