#include <gtest/gtest.h>

#include "support/export_builder.h"
#include "support/section_output.h"

namespace qlx::renderers {
namespace {

using namespace qlx::testing;

const std::string attributes_heading = heading("Custom Select Field Attributes\\plain\\f2\\fs16");
const std::string picture_heading = heading("Custom Select Picture\\plain\\f2\\fs16");

// A screen node "P" with a one-character first subscript and the given further subscripts.
std::string screen_node(std::initializer_list<std::string_view> subscripts) {
    std::string node = "P" + counted("1");
    for (std::string_view subscript : subscripts) {
        node += counted(subscript);
    }
    return node;
}

TEST(ScreenRenderer, TitleAndPromptFollowTheirLabelsDirectly) {
    EXPECT_EQ(screen_output({screen_node({}), counted("Patient") + counted("Enter") + "rest"}),
              (Lines{"\\par Screen TitlePatient", "\\par Print PromptEnter"}));
    EXPECT_EQ(screen_output({screen_node({}), counted("a{b}") + counted("c\\d")}),
              (Lines{"\\par Screen Titlea\\{b\\}", "\\par Print Promptc\\\\d"}));
}

TEST(ScreenRenderer, FieldAttributesAreNumberedInThreeColumns) {
    EXPECT_EQ(screen_output({screen_node({"F", "7"}), counted("NAME")}), (Lines{"\\par   7NAME"}));
    EXPECT_EQ(screen_output({screen_node({"F", "1"}), counted("ID{")}),
              joined({opener(attributes_heading), {"\\par ", "\\par   1ID\\{"}}));
    EXPECT_EQ(screen_output({screen_node({"F", "1234"}), counted("X")}), (Lines{"\\par 234X"}));
    // Field 1 repeated gets its heading again; screens keep no flag for it.
    EXPECT_EQ(screen_output(
                  {screen_node({"F", "1"}), counted("A"), screen_node({"F", "1"}), counted("B")}),
              joined({opener(attributes_heading),
                      {"\\par ", "\\par   1A"},
                      opener(attributes_heading),
                      {"\\par ", "\\par   1B"}}));
}

TEST(ScreenRenderer, FieldAndPictureNumbersCompareWithOneAsNumbers) {
    for (std::string number : {"01", " 1", "1 ", "+1", "1.0", "001.00"}) {
        const Lines out = screen_output({screen_node({"F", number}), counted("A")});
        ASSERT_EQ(out.size(), 5u) << '"' << number << '"';
        EXPECT_EQ(out[2], attributes_heading);
    }
    for (std::string number : {"x", "", "1e0", "1 0", "-1", "11", "0.1", ".", "1.5"}) {
        const Lines out = screen_output({screen_node({"F", number}), counted("A")});
        EXPECT_EQ(out.size(), 1u) << '"' << number << '"';
    }
    EXPECT_EQ(screen_output({screen_node({"P", "01"}), "row"}),
              joined({opener(picture_heading), {"\\par ", "\\par 01row"}}));
}

TEST(ScreenRenderer, CodeValuesAreWrittenInPiecesOfNinety) {
    const std::string node = screen_node({"F", "7", "C", "LEN"});
    const std::string v95 = std::string(90, 'a') + "bcdef";
    EXPECT_EQ(screen_output({node, v95}),
              (Lines{"\\par LEN=" + std::string(90, 'a'), "\\par LEN=bcdef"}));
    const std::string v270 = std::string(90, 'a') + std::string(90, 'b') + std::string(90, 'c');
    EXPECT_EQ(screen_output({node, v270}),
              (Lines{"\\par LEN=" + std::string(90, 'a'), "\\par LEN=" + std::string(90, 'b'),
                     "\\par LEN=" + std::string(90, 'c')}));
    // Longer values are not lost: every further 90 characters make one more line.
    EXPECT_EQ(screen_output({node, v270 + "d"}),
              (Lines{"\\par LEN=" + std::string(90, 'a'), "\\par LEN=" + std::string(90, 'b'),
                     "\\par LEN=" + std::string(90, 'c'), "\\par LEN=d"}));
    EXPECT_EQ(screen_output({node, ""}), Lines{});
    // Pieces are cut from the export's own characters; each is escaped afterwards.
    EXPECT_EQ(screen_output({node, std::string(89, 'a') + "{}b"}),
              (Lines{"\\par LEN=" + std::string(89, 'a') + "\\{", "\\par LEN=\\}b"}));
}

TEST(ScreenRenderer, OtherAttributesWriteTheirSubscriptsAndValue) {
    EXPECT_EQ(screen_output({screen_node({"F", "7", "X", "ABC"}), "a{b"}),
              (Lines{"\\par " + ch(1) + "X" + ch(3) + "ABC", "\\par a\\{b"}));
}

TEST(ScreenRenderer, PictureLinesFollowTheirNumber) {
    EXPECT_EQ(screen_output({screen_node({"P", "12"}), "  X"}), (Lines{"\\par 12  X"}));
    EXPECT_EQ(screen_output({screen_node({"P", "1"}), "{x}"}),
              joined({opener(picture_heading), {"\\par ", "\\par 1\\{x\\}"}}));
    // Picture line 1 repeated gets its heading again.
    EXPECT_EQ(screen_output({screen_node({"P", "1"}), "a", screen_node({"P", "1"}), "b"}),
              joined({opener(picture_heading),
                      {"\\par ", "\\par 1a"},
                      opener(picture_heading),
                      {"\\par ", "\\par 1b"}}));
    // A picture node with nothing after its kind, and a node with nothing after "P".
    EXPECT_EQ(screen_output({screen_node({"P"}), "pic", "P" + ch(1), "v"}),
              (Lines{"\\par pic", "\\par ", "\\par SCRN", "\\par SCRNv"}));
}

TEST(ScreenRenderer, SkippedAndUnmatchedNodes) {
    // "M" and "S" subscripts and "CS" nodes take their value line and write nothing.
    EXPECT_EQ(screen_output({screen_node({"M", "9"}), "value", screen_node({"S"}), "value",
                             "CS" + counted("1"), "value"}),
              Lines{});
    // Unknown kinds and node names write their text; the value line arrives on its own.
    EXPECT_EQ(screen_output({screen_node({"Z"}), "X" + counted("1")}),
              (Lines{"\\par ", "\\par SCRNZ", "\\par SCRNX" + ch(1) + "1"}));
    EXPECT_EQ(screen_output({"P" + counted("12") + counted("F") + counted("7")}),
              (Lines{"\\par ", "\\par SCRN" + ch(1) + "F" + ch(1) + "7"}));
    EXPECT_EQ(body_output({"@@SCRN", "S"}, {"X{"}), (Lines{"\\par @@SCRNX\\{"}));
}

}  // namespace
}  // namespace qlx::renderers
