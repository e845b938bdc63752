#include <gtest/gtest.h>

#include "support/export_builder.h"
#include "support/section_output.h"

namespace qlx::renderers {
namespace {

using namespace qlx::testing;

const std::string node = "M" + counted("1");

TEST(MacroRenderer, WritesSourceLinesWithCommentsInGreen) {
    EXPECT_EQ(
        macro_output({node, ";Check the date", node, "IF{X}", node, "", node, " ;x", node, "A\\B"}),
        (Lines{"\\par \\plain\\f2\\fs16\\cf1 ;Check the date \\plain\\f2\\fs16", "\\par IF\\{X\\}",
               "\\par ", "\\par  ;x", "\\par A\\\\B"}));
    EXPECT_EQ(body_output({"@@MACRO", "M"}, {node, "x"}), Lines{"\\par x"});
}

TEST(MacroRenderer, DropsAFullLineOfAsterisksAfterAPair) {
    EXPECT_EQ(macro_output({node, "one", std::string(100, '*'), node, "two"}),
              (Lines{"\\par one", "\\par two"}));
    EXPECT_EQ(macro_output({node, "one", std::string(94, '*') + "x", node, "two"}),
              (Lines{"\\par one", "\\par two"}));
    // A shorter run is not a separator: it is taken as the next node line, and the line
    // after it becomes macro text.
    EXPECT_EQ(macro_output({node, "one", std::string(93, '*'), "shown", node, "two"}),
              (Lines{"\\par one", "\\par shown", "\\par two"}));
}

TEST(MacroRenderer, SeparatorTestNeedsANextLine) {
    const ExportRun run = run_export({"PROC", "P", "", "MACRO", "M", node, "last"});
    ASSERT_EQ(run.documents.size(), 1u);
    const Lines& doc = run.documents[0];
    EXPECT_EQ(Lines(doc.end() - 3, doc.end()), (Lines{"\\par last", "\\par ", "\\par }"}));
    EXPECT_TRUE(run.damage.empty());
}

}  // namespace
}  // namespace qlx::renderers
