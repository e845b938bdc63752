#include <gtest/gtest.h>

#include <algorithm>

#include "support/export_builder.h"
#include "support/section_output.h"

namespace qlx::renderers {
namespace {

using namespace qlx::testing;

const Lines documentation_top = section_top("Documentation \\plain\\f2\\fs16");
const Lines other_top = other_section_top();
const Lines report_lines_top = section_top("Report Lines \\plain\\f2\\fs16");
const Lines picture_top = section_top("Picture \\plain\\f2\\fs16");
const Lines sort_top = sort_fields_top();

const std::string field = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
const std::string empty_selection = counted("EQ") + counted("N");

std::string selection_row(std::string_view number, std::string_view name) {
    std::string row = "\\par " + blanks(3 - number.size()) + std::string(number) + "  " +
                      std::string(name) + blanks(30 - name.size()) + "    EQ" + blanks(33) +
                      blanks(20) + "   (N)";
    return row;
}

Lines selection_nodes(std::string_view number) {
    return {"F" + counted(field) + counted("SE") + counted(number), empty_selection};
}

TEST(WholeExport, SectionFlagsAcrossInterleavedReportNodes) {
    const std::string sort_row_1 = "\\par 1    " + blanks(67) + "   ";
    const std::string sort_row_2 = "\\par 2    " + blanks(67) + "   ";
    const Lines element = {"L" + counted("1") + counted("X") + counted("A")};
    const Lines out = report_output(joined({
        {"DC" + counted("1"), "doc", "ZZ", "T" + counted("1"), "", "ZZ", "T" + counted("2"), ""},
        {"L" + counted("1"), counted("t"), "DC" + counted("2"), "d2"},
        element,
        {"v", "P" + counted("1"), "p"},
        element,
        {"w", "ZZ", "P" + counted("2"), "q", "AT" + counted("1"), "x", "P" + counted("3"), "r"},
    }));
    EXPECT_EQ(out, joined({documentation_top,
                           {"\\par doc"},
                           other_top,
                           {"\\par ZZ"},
                           sort_top,
                           {sort_row_1},
                           other_top,
                           {"\\par ZZ"},
                           sort_top,
                           {sort_row_2},
                           selection_table_top(),
                           report_lines_top,
                           {"", "\\par 1t"},
                           documentation_top,
                           {"\\par d2"},
                           report_lines_top,
                           {"\\par 1A=v"},
                           picture_top,
                           {"\\par 1   p"},
                           {"\\par 1A=w"},
                           other_top,
                           {"\\par ZZ"},
                           picture_top,
                           {"\\par 2   q"},
                           picture_top,
                           {"\\par 3   r"}}));
}

// A report section: the nodes of one record of it and its heading line.
struct Section {
    char key;
    Lines nodes;
    std::string heading_line;
};

// A node that may end sections, with the keys of the sections whose heading it brings back.
struct Ender {
    const char* name;
    Lines nodes;
    std::string_view ends;
};

TEST(WholeExport, EachNodeEndsExactlyItsSections) {
    const std::vector<Section> sections = {
        {'D', {"DC" + counted("1"), "d"}, heading("Documentation \\plain\\f2\\fs16")},
        {'O', {"ZZ"}, "\\par Other"},
        {'L', {"L" + counted("1"), counted("t")}, heading("Report Lines \\plain\\f2\\fs16")},
        {'F', {"F" + counted("1"), ""}, heading("Fields \\plain\\f2\\fs16")},
        {'P', {"P" + counted("1"), "p"}, heading("Picture \\plain\\f2\\fs16")},
        {'T', {"T" + counted("1"), ""}, heading("Sort Fields\\plain\\f2\\fs16")},
        {'N', {"N" + counted("1"), "n"}, heading("Footnotes\\plain\\f2\\fs16")},
    };
    const std::vector<Ender> enders = {
        {"AT", {"AT" + counted("1"), "v"}, "DOLFPTN"},
        {"RPT", {"RPT", ""}, "DOLFPTN"},
        {"DC", sections[0].nodes, "OLFPTN"},
        {"other", sections[1].nodes, "DLPTN"},
        {"L", sections[2].nodes, "DOFPN"},
        {"F", sections[3].nodes, "DOLPTN"},
        {"P", sections[4].nodes, ""},
        {"T", sections[5].nodes, "DOLPN"},
        {"N", sections[6].nodes, "DOLFPT"},
        {"SR...", {"SRX", "v"}, ""},
        {"U", {"U" + ch(8) + "12345678", "v"}, ""},
        {"FI", {"FI" + counted("1"), "v"}, ""},
        {"I", {"I" + counted("1"), "v"}, ""},
        {"field name", {"F" + counted(field), counted("NAME")}, ""},
        {"selection", selection_nodes("1"), ""},
    };
    for (const Section& section : sections) {
        for (const Ender& ender : enders) {
            const Lines out = report_output(joined({section.nodes, ender.nodes, section.nodes}));
            const auto headings = std::count(out.begin(), out.end(), section.heading_line);
            const bool ends = ender.ends.find(section.key) != std::string_view::npos;
            EXPECT_EQ(headings, ends ? 2 : 1) << section.key << " around " << ender.name;
        }
    }
}

TEST(WholeExport, LastLineAndFieldNumbersCarryOverToTheNextProcedure) {
    const ExportRun run =
        run_export({"PROC", "P1", "", "RPT", "", "L" + counted("5"), counted("A"),
                    "F" + counted("3"), counted("X"), "PROC", "P2", "", "RPT", "",
                    "L" + counted("5"), counted("B"), "F" + counted("3"), counted("Y")});
    ASSERT_EQ(run.documents.size(), 2u);
    const Lines tail = joined({selection_table_top(),
                               report_lines_top,
                               {"\\par 5B"},
                               opener(heading("Fields \\plain\\f2\\fs16")),
                               {"\\par ", "\\par 3FLD=Y", "\\par DSP=", "\\par ", "\\par }"}});
    const Lines& second = run.documents[1];
    ASSERT_GE(second.size(), tail.size());
    EXPECT_EQ(Lines(second.end() - static_cast<long>(tail.size()), second.end()), tail);
}

TEST(WholeExport, PendingSelectionsEndWithTheirProcedure) {
    const Lines closing = {"\\par ", "\\par }"};
    const ExportRun run = run_export(joined({
        {"PROC", "P1", "", "RPT", "", "F" + counted(field), counted("NAME1")},
        selection_nodes("3"),
        {"L" + counted("1"), counted("t")},
        selection_nodes("1"),
        {"SR", "rel{1}", "PROC", "P2", "", "RPT", "", "F" + counted(field), counted("NAME2"),
         "P" + counted("1"), "p"},
        selection_nodes("2"),
    }));
    ASSERT_EQ(run.documents.size(), 2u);
    const Lines& first = run.documents[0];
    const Lines first_tail =
        joined({selection_table_top(),
                {selection_row("1", "NAME1"), "\\par ",
                 heading("Selection Relationship rel\\{1\\}\\plain\\f2\\fs16")},
                closing});
    ASSERT_GE(first.size(), first_tail.size() + 2);
    EXPECT_EQ(Lines(first.end() - static_cast<long>(first_tail.size()), first.end()), first_tail);
    // Row 3 went out with the first flush of the first procedure.
    EXPECT_EQ(first.end()[-static_cast<long>(first_tail.size()) - 1], "\\par 1t");

    // The second procedure's table is empty at its first picture line; the row stored after
    // it is written when the export ends.
    const Lines& second = run.documents[1];
    const Lines second_tail = joined({selection_table_top(),
                                      picture_top,
                                      {"\\par 1   p"},
                                      selection_table_top(),
                                      {selection_row("2", "NAME2")},
                                      closing});
    ASSERT_GE(second.size(), second_tail.size());
    EXPECT_EQ(Lines(second.end() - static_cast<long>(second_tail.size()), second.end()),
              second_tail);
    EXPECT_TRUE(run.damage.empty());
}

TEST(WholeExport, APendingRelationshipAloneIsWrittenWithAnEmptyTable) {
    const ExportRun run = run_export({"PROC", "P1", "", "SR", "rel", "RPT", "", "PROC", "P2", ""});
    ASSERT_EQ(run.documents.size(), 2u);
    const Lines tail = joined(
        {selection_table_top(),
         {"\\par ", heading("Selection Relationship rel\\plain\\f2\\fs16"), "\\par ", "\\par }"}});
    const Lines& first = run.documents[0];
    ASSERT_GE(first.size(), tail.size());
    EXPECT_EQ(Lines(first.end() - static_cast<long>(tail.size()), first.end()), tail);
    EXPECT_EQ(run.documents[1].end()[-3], "\\par ");
}

TEST(WholeExport, ItemsBeforeTheFirstProcedureWriteNothingButKeepTheirState) {
    const ExportRun run =
        run_export(joined({{"RPT", "", "F" + counted(field), counted("EARLY")},
                           selection_nodes("1"),
                           {"PROC", "P", "", "RPT", "", "P" + counted("1"), "p"}}));
    ASSERT_EQ(run.documents.size(), 1u);
    const Lines tail = joined({selection_table_top(),
                               {selection_row("1", "EARLY")},
                               picture_top,
                               {"\\par 1   p", "\\par ", "\\par }"}});
    const Lines& doc = run.documents[0];
    ASSERT_GE(doc.size(), tail.size());
    EXPECT_EQ(Lines(doc.end() - static_cast<long>(tail.size()), doc.end()), tail);
    // The report's heading lines were dropped, and said so.
    ASSERT_FALSE(run.damage.empty());
    EXPECT_EQ(run.damage.front().line, 2u);
}

TEST(WholeExport, NothingPendingWritesNoTableAtTheEnd) {
    const ExportRun run =
        run_export({"PROC", "P1", "", "RPT", "", "L" + counted("1"), counted("t"), "PROC", "P2", "",
                    "RPT", "", "F" + counted(field), counted("N")});
    ASSERT_EQ(run.documents.size(), 2u);
    EXPECT_EQ(run.documents[0].end()[-3], "\\par 1t");
    EXPECT_EQ(run.documents[1].end()[-3], "\\par ");
}

TEST(WholeExport, ScreenMacroAndProcedureLinesInOneDocument) {
    const ExportRun run =
        run_export({"PROC", "P", "", "D" + counted("1"), "About {it}", "SCRN", "S",
                    "P" + counted("1") + counted("F") + counted("2"), counted("ATTR"), "MACRO", "M",
                    "M" + counted("1"), ";note", std::string(94, '*'), "RPT", "", "ZZ"});
    ASSERT_EQ(run.documents.size(), 1u);
    const Lines& doc = run.documents[0];
    const Lines tail =
        joined({opener(heading("Description\\plain\\f2\\fs16")),
                {"\\par ", "\\par About \\{it\\}"},
                opener(heading("Screen\\plain\\f2\\fs16")),
                {"\\par ", "\\par   2ATTR", "\\par ",
                 "\\par \\plain\\f2\\fs16\\cf2\\b " + std::string(80, '-') + "\\plain\\f2\\fs16",
                 heading("MacroM\\plain\\f2\\fs16"), "\\par ",
                 "\\par \\plain\\f2\\fs16\\cf1 ;note \\plain\\f2\\fs16"},
                opener(heading("Report\\plain\\f2\\fs16")),
                {"\\par "},
                other_top,
                {"\\par ZZ", "\\par ", "\\par }"}});
    ASSERT_GE(doc.size(), tail.size());
    EXPECT_EQ(Lines(doc.end() - static_cast<long>(tail.size()), doc.end()), tail);
    EXPECT_TRUE(run.damage.empty());
}

}  // namespace
}  // namespace qlx::renderers
