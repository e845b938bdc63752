#include "conversion/rtf_vocabulary.h"

#include <gtest/gtest.h>

namespace qlx::conversion {
namespace {

TEST(EscapeRtf, PutsABackslashBeforeEveryBraceAndBackslash) {
    EXPECT_EQ(escape_rtf("a{b}c"), "a\\{b\\}c");
    EXPECT_EQ(escape_rtf("{{"), "\\{\\{");
    EXPECT_EQ(escape_rtf("C:\\temp"), "C:\\\\temp");
    EXPECT_EQ(escape_rtf("\\{"), "\\\\\\{");
    EXPECT_EQ(escape_rtf("plain text \xE9"), "plain text \xE9");
    EXPECT_EQ(escape_rtf(""), "");
}

TEST(PadToWidth, FillsOrCutsToTheWidth) {
    EXPECT_EQ(pad_to_width("ab", 5, "     "), "ab   ");
    EXPECT_EQ(pad_to_width("abcdefg", 5, "     "), "abcde");
    EXPECT_EQ(pad_to_width("   ", 35, rtfBlanks30), std::string(33, ' '));
    EXPECT_EQ(pad_to_width("", 3, rtfBlanks30), "   ");
}

}  // namespace
}  // namespace qlx::conversion
