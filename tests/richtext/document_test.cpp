#include "richtext/document.h"

#include <gtest/gtest.h>

#include <vector>

namespace qlx::richtext {
namespace {

TEST(Document, HoldsEachFormatOnceAndJoinsRunsOfOneFormat) {
    Document document;
    EXPECT_EQ(document.paragraphs().size(), 1u);
    EXPECT_EQ(document.formats().size(), 1u);
    const std::size_t bold = document.intern(CharFormat{.bold = true});
    EXPECT_EQ(bold, 1u);
    EXPECT_EQ(document.intern(CharFormat{.bold = true}), bold);
    EXPECT_EQ(document.intern(CharFormat{}), 0u);
    EXPECT_NE(document.intern(CharFormat{.color = Rgb{0, 0, 0}}), 0u);
    EXPECT_NE(document.intern(CharFormat{.highlight = Rgb{0, 0, 0}}),
              document.intern(CharFormat{.color = Rgb{0, 0, 0}}));

    document.append_text("a", bold);
    document.append_text("b", bold);
    document.append_text("", 0);
    document.append_text("c", 0);
    ASSERT_EQ(document.paragraphs().back().runs.size(), 2u);
    EXPECT_EQ(document.paragraphs().back().runs[0].text, "ab");
    document.end_paragraph(bold);
    document.append_text("d", bold);
    EXPECT_EQ(document.paragraphs().size(), 2u);
    EXPECT_EQ(document.paragraphs().front().mark_format, bold);
    EXPECT_EQ(document.formats_in_use(), (std::vector<bool>{true, true, false, false}));
}

TEST(Document, ComparesFormatsByValueNotByIndex) {
    Document a;
    a.intern(CharFormat{.italic = true});
    a.append_text("x", a.intern(CharFormat{.bold = true}));
    Document b;
    b.append_text("x", b.intern(CharFormat{.bold = true}));
    EXPECT_TRUE(a == b);
    b.append_text("y", 0);
    EXPECT_FALSE(a == b);
    Document c;
    c.append_text("x", c.intern(CharFormat{.bold = true}));
    c.end_paragraph(0);
    EXPECT_FALSE(a == c);
    Document d;
    d.append_text("x", d.intern(CharFormat{.bold = true}));
    d.paragraphs().back().mark_format = d.intern(CharFormat{.underline = true});
    EXPECT_FALSE(a == d);
}

}  // namespace
}  // namespace qlx::richtext
