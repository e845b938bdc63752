#include <gtest/gtest.h>

#include <string>

#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "richtext/text_writer.h"

// The inputs here are large enough that quadratic work would run for many minutes: the time
// limit of the tests, set where they are registered, catches it, with room for a sanitizer
// build on a busy machine.
namespace qlx::richtext {
namespace {

constexpr std::size_t big = 1'000'000;

std::string repeat(std::string_view piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

std::size_t run_count(const Document& document) {
    std::size_t count = 0;
    for (const Paragraph& paragraph : document.paragraphs()) {
        count += paragraph.runs.size();
    }
    return count;
}

TEST(PathologicalInput, DeepNestingNeitherOverflowsNorLosesText) {
    const std::string open_only = "{\\rtf1 " + repeat("{\\b ", 100'000) + "deep";
    const RtfReadResult open = read_rtf(open_only);
    EXPECT_TRUE(open.problems.truncated);
    EXPECT_TRUE(open.problems.too_deep);
    EXPECT_EQ(to_text(open.document), "deep");

    const std::string balanced =
        "{\\rtf1 " + repeat("{", 100'000) + "x" + repeat("}", 100'000) + "y}";
    const RtfReadResult closed = read_rtf(balanced);
    EXPECT_FALSE(closed.problems.truncated);
    EXPECT_FALSE(closed.problems.unbalanced);
    EXPECT_EQ(to_text(closed.document), "xy");

    EXPECT_EQ(to_text(read_rtf(repeat("{", big)).document), "");
    EXPECT_EQ(to_text(read_rtf("{\\rtf1 a}" + repeat("}", big)).document), "a");
}

TEST(PathologicalInput, BinaryDataLongerThanTheFileEndsTheRead) {
    const RtfReadResult result = read_rtf("{\\rtf1 a\\bin999999999999 bc}");
    EXPECT_EQ(to_text(result.document), "a");
    EXPECT_TRUE(result.problems.truncated);
    EXPECT_EQ(to_text(read_rtf("{\\rtf1 a\\bin-5 b}").document), "ab");
    EXPECT_EQ(to_text(read_rtf("{\\rtf1 a" + repeat("\\bin1 x", big) + "b}").document), "ab");
}

TEST(PathologicalInput, HugeWordsNumbersAndTextStayLinear) {
    EXPECT_EQ(to_text(read_rtf("{\\rtf1 \\" + repeat("a", big) + " x}").document), "x");
    EXPECT_EQ(to_text(read_rtf("{\\rtf1 \\fs" + repeat("9", big) + " x}").document), "x");
    EXPECT_EQ(to_text(read_rtf("{\\rtf1 \\u" + repeat("9", big) + " x}").document),
              "\xEF\xBF\xBD");
    const std::string text = repeat("abcdefghij", big);
    EXPECT_EQ(to_text(read_rtf("{\\rtf1 " + text + "}").document), text);
    EXPECT_EQ(read_rtf(repeat("\\par", big)).document.paragraphs().size(), big + 1);
    EXPECT_EQ(to_text(read_rtf("{\\rtf1 " + repeat("\\'", big)).document), "");
    EXPECT_EQ(to_text(read_rtf("{\\rtf1\\uc1000000000 " + repeat("\\u65 x", big)).document),
              "A");
}

TEST(PathologicalInput, ModelGrowsAtMostInProportionToTheInput) {
    const std::string toggles = "{\\rtf1 " + repeat("\\b a\\b0 a", big / 4) + "}";
    const Document toggled = read_rtf(toggles).document;
    EXPECT_EQ(run_count(toggled), big / 2);
    EXPECT_EQ(toggled.formats().size(), 2u);

    std::string sizes = "{\\rtf1 ";
    for (int size = 1; size <= 4000; ++size) {
        sizes += "\\fs" + std::to_string(size) + " x";
    }
    const Document sized = read_rtf(sizes + "}").document;
    EXPECT_EQ(sized.formats().size(), 3277u);  // and the format of text before any size

    std::string fonts = "{\\rtf1{\\fonttbl";
    for (int number = 0; number < 100'000; ++number) {
        fonts += "{\\f" + std::to_string(number) + " F;}";
    }
    EXPECT_EQ(to_text(read_rtf(fonts + "}\\f99999 x}").document), "x");
    EXPECT_EQ(
        to_text(read_rtf("{\\rtf1{\\colortbl" + repeat(";", big) + "}\\cf999999 x}").document),
        "x");

    // A 1 MB font name in every one of 3,276 sizes: the name is held once, by all formats, in
    // the model and in what the writer writes.
    std::string long_name = "{\\rtf1{\\fonttbl{\\f0 " + std::string(big, 'N') + ";}}\\f0";
    for (int size = 1; size <= 3276; ++size) {
        long_name += "\\fs" + std::to_string(size) + " x";
    }
    const Document named = read_rtf(long_name + "}").document;
    ASSERT_EQ(named.formats().size(), 3277u);
    for (const CharFormat& format : named.formats()) {
        EXPECT_TRUE(format.font_family.empty() ||
                    format.font_family.shares_text_with(named.formats().back().font_family));
    }
    EXPECT_LT(to_rtf(named).size(), 2 * big);
}

TEST(PathologicalInput, TablesAndDefaultFontsCostTheSameInDeepGroups) {
    // Each \deff and each table's end changes what the formats of every open group resolve
    // to; that must not be paid for by walking the groups.
    const std::string deep = "{\\rtf1 " + repeat("{", 4000) + repeat("\\deff0", 5 * big) +
                             repeat("{\\colortbl;}", big / 10) + "x" + repeat("}", 4000) + "}";
    EXPECT_EQ(to_text(read_rtf(deep).document), "x");
}

}  // namespace
}  // namespace qlx::richtext
