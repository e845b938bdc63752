#include "richtext/html_writer.h"

#include <gtest/gtest.h>

namespace qlx::richtext {
namespace {

TEST(HtmlWriter, WritesAStandalonePageWithAClassPerFormat) {
    const CharFormat body{.font_family = "Courier New", .half_points = 16};
    const CharFormat heading{.font_family = "Courier New",
                             .half_points = 21,
                             .color = Rgb{255, 0, 0},
                             .highlight = Rgb{0, 128, 255},
                             .bold = true,
                             .italic = true,
                             .underline = true,
                             .strike_out = true};
    const Document document = DocumentBuilder()
                                  .text("Title", heading)
                                  .paragraph(body)
                                  .text("a <b> & \"c\"\ttab\xE2\x80\xA8\x01 ", body)
                                  .text("x", heading)
                                  .paragraph(body)
                                  .build();
    EXPECT_EQ(to_html(document, "temp1 <&>"),
              "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
              "<title>temp1 &lt;&amp;&gt;</title>\n<style>\n"
              "p { margin: 0; white-space: pre-wrap; tab-size: 0.5in; }\n"
              ".c0 { font-size: 12pt; }\n"
              ".c1 { font-family: 'Courier New'; font-size: 10.5pt; color: #ff0000;"
              " background-color: #0080ff; font-weight: bold; font-style: italic;"
              " text-decoration: underline line-through; }\n"
              ".c2 { font-family: 'Courier New'; font-size: 8pt; }\n"
              "</style>\n</head>\n<body>\n"
              "<p class=\"c2\"><span class=\"c1\">Title</span></p>\n"
              "<p class=\"c2\">a &lt;b&gt; &amp; &quot;c&quot;\ttab<br>&#1; "
              "<span class=\"c1\">x</span></p>\n"
              "<p class=\"c0\"><br></p>\n"
              "</body>\n</html>\n");
}

TEST(HtmlWriter, QuotesFontNamesSoTheyCannotLeaveTheStyle) {
    const Document document =
        DocumentBuilder().text("x", CharFormat{.font_family = "A'</style><b>\\"}).build();
    const std::string html = to_html(document);
    EXPECT_NE(html.find("font-family: 'A\\27 \\3c \\2f style\\3e \\3c b\\3e \\5c ';"),
              std::string::npos)
        << html;
    EXPECT_EQ(html.find("</style><b>"), std::string::npos);
}

}  // namespace
}  // namespace qlx::richtext
