#include <gtest/gtest.h>

#include <string>

#include "model/rtf_vocabulary.h"
#include "model_dump.h"
#include "richtext/rtf_reader.h"

namespace qlx::richtext {
namespace {

namespace conv = qlx::conversion;
using testing::dump;

// A converted document: the prologue, the colour table, a first header line, the given
// lines, and the closing lines, each line ended by CR LF as the converter writes them.
std::string converted(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (std::string_view line : {conv::rtfPrologue.text, conv::rtfColorTable.text}) {
        out += std::string(line) + "\r\n";
    }
    out += std::string(conv::rtfBodyStart.text) + "MEDITECH.CUST.RPTS^H\r\n";
    for (std::string_view line : lines) {
        out += std::string(line) + "\r\n";
    }
    out += std::string(conv::rtfPar.text) + "\r\n" + std::string(conv::rtfEnd.text) + "\r\n";
    return out;
}

// The dump of the paragraphs that the lines make in a converted document: without the first
// header line and the two empty paragraphs of the closing lines.
std::string body_of(std::initializer_list<std::string_view> lines) {
    const RtfReadResult result = read_rtf(converted(lines));
    EXPECT_EQ(result.problems, RtfProblems{});
    std::string text = dump(result.document);
    constexpr std::string_view header =
        "[Courier New 10 #0000ff b] MEDITECH.CUST.RPTS^H\nP Courier New 10 #0000ff b\n";
    EXPECT_TRUE(text.starts_with(header)) << text;
    text.erase(0, header.size());
    for (int closing = 0; closing < 2; ++closing) {
        text.erase(text.rfind("P ", text.size() - 1));
    }
    return text;
}

TEST(ConverterVocabulary, ReadsTheSkeletonOfADocument) {
    EXPECT_EQ(dump(read_rtf(converted({})).document),
              "[Courier New 10 #0000ff b] MEDITECH.CUST.RPTS^H\n"
              "P Courier New 10 #0000ff b\n"
              "P Courier New 10 #0000ff b\n"
              "P Courier New 10 #0000ff b\n");
}

TEST(ConverterVocabulary, ReadsEveryStyleLiteral) {
    const std::string plain = conv::rtfPlain.text.data();
    EXPECT_EQ(body_of({std::string(conv::rtfHeaderLine.text) + "second header"}),
              "[Courier New 10 #0000ff b] second header\nP Courier New 10 #0000ff b\n");
    EXPECT_EQ(
        body_of({std::string(conv::rtfPar.text) + std::string(conv::rtfPlain.text) + "body text"}),
        "[Courier New 8] body text\nP Courier New 8\n");
    EXPECT_EQ(body_of({std::string(conv::rtfRedBold.text) + std::string(conv::rtfDashRule.text)}),
              "[Courier New 8 #ff0000 b] " + std::string(80, '-') + "\nP Courier New 8\n");
    EXPECT_EQ(body_of({conv::rtfEqualsRuleTop.text, conv::rtfEqualsRuleBottom.text}),
              "[Courier New 8 #ff0000 b] " + std::string(83, '=') +
                  "\nP Courier New 8 #ff0000 b\n[Courier New 8 #ff0000 b] " + std::string(83, '=') +
                  "\nP Courier New 8\n");
    EXPECT_EQ(body_of({std::string(conv::rtfPar.text) + std::string(conv::rtfPlain.text),
                       std::string(conv::rtfGreen.text) + "; comment" +
                           std::string(conv::rtfGreenEnd.text)}),
              "P Courier New 8\n[Courier New 8 #008000] ; comment \nP Courier New 8\n");
    EXPECT_EQ(
        body_of({std::string(conv::rtfPar.text) + std::string(conv::rtfPlain.text) +
                 std::string(conv::rtfStarRule) + std::string(conv::rtfBlanks30) + "|"}),
        "[Courier New 8] " + std::string(94, '*') + std::string(30, ' ') + "|\nP Courier New 8\n");
    EXPECT_EQ(body_of({"\\par \\plain\\f2\\fs16\\cf2 Field      Length" + plain}),
              "[Courier New 8 #ff0000] Field      Length\nP Courier New 8\n");
}

TEST(ConverterVocabulary, ReadsEverySectionHeading) {
    for (const conv::RtfLiteral heading :
         {conv::heading_report, conv::heading_screen, conv::heading_description,
          conv::heading_custom_select_attributes, conv::heading_custom_select_picture,
          conv::heading_documentation, conv::heading_selection_fields, conv::heading_report_lines,
          conv::heading_fields, conv::heading_selection_relationship, conv::heading_sort_fields,
          conv::heading_picture, conv::heading_footnotes}) {
        std::string title(heading.text.substr(heading.text.find("\\b ") + 3));
        title.erase(title.find("\\plain"));
        EXPECT_EQ(body_of({heading.text}),
                  "[Courier New 10 #ff0000 b] " + title + "\nP Courier New 8\n");
    }
    for (const conv::RtfLiteral heading : {conv::heading_procedure, conv::heading_macro,
                                           conv::heading_selection_relationship_inline}) {
        const std::string title(heading.text.substr(heading.text.find("\\b ") + 3));
        EXPECT_EQ(body_of({std::string(heading.text) + "NAME" + std::string(conv::rtfPlain.text)}),
                  "[Courier New 10 #ff0000 b] " + title + "NAME\nP Courier New 8\n");
    }
    EXPECT_EQ(body_of({std::string(conv::rtfPar.text) + std::string(conv::rtfPlain.text),
                       conv::heading_other.text}),
              "P Courier New 8\n[Courier New 8] Other\nP Courier New 8\n");
}

TEST(ConverterVocabulary, ReadsExportTextExactly) {
    const std::string plain = conv::rtfPlain.text.data();
    EXPECT_EQ(body_of({"\\par " + plain + conv::escape_rtf("C:\\dir {x} \\{y\\}")}),
              "[Courier New 8] C:\\\\dir {x} \\\\{y\\\\}\nP Courier New 8\n");
    EXPECT_EQ(body_of({"\\par " + plain + "caf\xE9 \x80 \x9F \xFF"}),
              "[Courier New 8] caf\xC3\xA9 \xE2\x82\xAC \xC5\xB8 \xC3\xBF\nP Courier New 8\n");
    EXPECT_EQ(body_of({"\\par " + plain +
                       "a\x01"
                       "b\x1F"
                       "c\td\x7F"
                       "e"}),
              // control characters other than TAB are not shown, as word processors do
              "[Courier New 8] abc\\td\x7F"
              "e\nP Courier New 8\n");
}

}  // namespace
}  // namespace qlx::richtext
