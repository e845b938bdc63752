#include "richtext/text_writer.h"

#include <gtest/gtest.h>

#include <vector>

namespace qlx::richtext {
namespace {

const CharFormat bold{.bold = true};

TEST(TextWriter, SeparatesParagraphsAndLinesByTheLineEnd) {
    const Document document = DocumentBuilder()
                                  .text("one ")
                                  .text("bold", bold)
                                  .text(
                                      "\tline\xE2\x80\xA8"
                                      "break")
                                  .paragraph()
                                  .paragraph()
                                  .text("caf\xC3\xA9")
                                  .paragraph()
                                  .build();
    EXPECT_EQ(to_text(document), "one bold\tline\nbreak\n\ncaf\xC3\xA9\n");
    EXPECT_EQ(to_text(document, "\r\n"), "one bold\tline\r\nbreak\r\n\r\ncaf\xC3\xA9\r\n");
    EXPECT_EQ(to_text(Document()), "");
}

TEST(TextWriter, HandsLargeOutputToTheSinkInBlocks) {
    DocumentBuilder builder;
    for (int i = 0; i < 20'000; ++i) {
        builder.text("0123456789").paragraph();
    }
    const Document document = builder.build();
    std::vector<std::size_t> pieces;
    std::string joined;
    write_text(document, [&](std::string_view bytes) {
        pieces.push_back(bytes.size());
        joined += bytes;
    });
    std::string expected;
    for (int i = 0; i < 20'000; ++i) {
        expected += "0123456789\n";
    }
    EXPECT_EQ(joined, expected);
    EXPECT_GT(pieces.size(), 1u);
    EXPECT_LT(pieces.size(), 10u);
}

}  // namespace
}  // namespace qlx::richtext
