#include "model/rtf_vocabulary.h"

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

TEST(EscapeRtf, AgreesWithACharacterByCharacterEscapeAtEveryPosition) {
    // Special characters at every offset of words read eight or sixteen bytes at a time, and
    // bytes close to them in value; written in place too, from any start.
    using namespace std::string_literals;
    const std::string alphabet = "ab\\{}|[]\x7C\x7E\x5B\x5D\xDC\xFB\xFD\x00"s;
    ASSERT_EQ(alphabet.size(), 16u);
    auto one_by_one = [](std::string_view text) {
        std::string escaped;
        for (char c : text) {
            if (c == '\\' || c == '{' || c == '}') {
                escaped += '\\';
            }
            escaped += c;
        }
        return escaped;
    };
    std::string text;
    for (std::size_t i = 0; i < 4000; ++i) {
        text += alphabet[(i * 7 + i / 13) % alphabet.size()];
        ASSERT_EQ(escape_rtf(text), one_by_one(text)) << "length " << text.size();
        const std::string_view part = std::string_view(text).substr(i % 17 % text.size());
        std::string written(2 * part.size(), '?');
        written.resize(write_escaped(written.data(), part) - written.data());
        ASSERT_EQ(written, one_by_one(part)) << "length " << part.size();
    }
}

TEST(HeadingWords, WhatEachHeadingShows) {
    EXPECT_EQ(heading_words(heading_selection_fields), "Selection Fields");
    EXPECT_EQ(heading_words(heading_documentation), "Documentation");
    EXPECT_EQ(heading_words(heading_other), "Other");
    EXPECT_EQ(heading_words(heading_macro), "Macro");
    EXPECT_EQ(heading_words(heading_report), "Report");
    EXPECT_EQ(heading_words(heading_custom_select_attributes), "Custom Select Field Attributes");
    EXPECT_EQ(heading_words(heading_selection_relationship_inline), "Selection Relationship");
    EXPECT_EQ(heading_words("\\par \\b"_rtf), "");
}

}  // namespace
}  // namespace qlx::conversion
