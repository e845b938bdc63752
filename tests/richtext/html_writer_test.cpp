#include "richtext/html_writer.h"

#include <gtest/gtest.h>

#include "richtext/rtf_reader.h"

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

TEST(HtmlWriter, ShowsParagraphFormatsAndRaisedText) {
    const Document document =
        DocumentBuilder()
            .text("E=mc")
            .text("2", CharFormat{.position = VerticalPosition::superscript})
            .text("up", CharFormat{.raise_half_points = -3})
            .paragraph({}, {.alignment = Alignment::center,
                            .left_indent = 720,
                            .first_line_indent = -360,
                            .space_after = 240,
                            .line_spacing = 360,
                            .line_spacing_multiple = true,
                            .page_break_before = true})
            .text("exact")
            .paragraph({}, {.line_spacing = -300})
            .paragraph({}, {.line_spacing_multiple = true})
            .build();
    const std::string html = to_html(document);
    EXPECT_NE(html.find(".c1 { font-size: 12pt; vertical-align: super; font-size: smaller; }"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find(".c2 { font-size: 12pt; vertical-align: -1.5pt; }"), std::string::npos);
    EXPECT_NE(html.find("<p class=\"c0\" style=\"text-align: center; margin-left: 36pt; "
                        "text-indent: -18pt; margin-bottom: 12pt; line-height: 1.5; "
                        "break-before: page;\">E=mc"),
              std::string::npos)
        << html;
    // A multiple of single spacing with no value is single spacing: no style.
    EXPECT_TRUE(html.ends_with("<p class=\"c0\" style=\"line-height: 15pt;\">exact</p>\n"
                               "<p class=\"c0\"><br></p>\n<p class=\"c0\"><br></p>\n</body>\n"
                               "</html>\n"))
        << html;
}

TEST(HtmlWriter, InPartsEachParagraphStyleIsAClassAndEachLineHasAnId) {
    const Document document = DocumentBuilder()
                                  .text("centred")
                                  .paragraph({}, {.alignment = Alignment::center})
                                  .text("plain")
                                  .paragraph()
                                  .text("centred again")
                                  .paragraph({}, {.alignment = Alignment::center})
                                  .text("right")
                                  .paragraph({}, {.alignment = Alignment::right})
                                  .build();
    const HtmlParts parts = to_html_parts(document);
    EXPECT_TRUE(parts.style_sheet.starts_with("p { margin: 0; white-space: pre-wrap;"));
    EXPECT_TRUE(
        parts.style_sheet.ends_with(".c0 { font-size: 12pt; }\n"
                                    "p.p0 { text-align: center; }\n"
                                    "p.p1 { text-align: right; }\n"))
        << parts.style_sheet;
    EXPECT_EQ(parts.body,
              "<p id=\"L1\" class=\"c0 p0\">centred</p>\n"
              "<p id=\"L2\" class=\"c0\">plain</p>\n"
              "<p id=\"L3\" class=\"c0 p0\">centred again</p>\n"
              "<p id=\"L4\" class=\"c0 p1\">right</p>\n"
              "<p id=\"L5\" class=\"c0\"><br></p>\n");
    // The same paragraphs as the whole page, but for their ids and styles.
    EXPECT_NE(to_html(document).find("<p class=\"c0\" style=\"text-align: right;\">right</p>"),
              std::string::npos);
}

TEST(HtmlWriter, WritesTablesAsTablesNestedInTheirCells) {
    const std::string html = to_html(
        read_rtf("{\\rtf1\\trowd\\cellx1000\\cellx2000\\pard\\intbl outer\\cell\\pard\\intbl"
                 "\\itap2 in1\\nestcell in2\\nestcell{\\*\\nesttableprops\\trowd\\cellx500"
                 "\\cellx900\\nestrow}\\pard\\intbl last\\cell\\row\\pard after}")
            .document);
    EXPECT_NE(html.find("td { border: 1px solid #808080; padding: 0 4pt; vertical-align: top; }"),
              std::string::npos);
    EXPECT_TRUE(html.ends_with(
        "<body>\n<table>\n<tr><td><p class=\"c0\">outer</p>\n</td><td><table>\n"
        "<tr><td><p class=\"c0\">in1</p>\n</td><td><p class=\"c0\">in2</p>\n</td></tr>\n"
        "</table>\n<p class=\"c0\">last</p>\n</td></tr>\n</table>\n<p class=\"c0\">after</p>\n"
        "</body>\n</html>\n"))
        << html;
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
