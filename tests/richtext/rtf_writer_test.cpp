#include "richtext/rtf_writer.h"

#include <gtest/gtest.h>

#include "fuzz/rtf_reader_checks.h"
#include "model_dump.h"
#include "richtext/rtf_reader.h"
#include "richtext/text_writer.h"

namespace qlx::richtext {
namespace {

using testing::dump;

const CharFormat body{.font_family = "Courier New", .half_points = 16};
const CharFormat heading{
    .font_family = "Courier New", .half_points = 20, .color = Rgb{255, 0, 0}, .bold = true};

void expect_round_trip(const Document& document) {
    const std::string rtf = to_rtf(document);
    const RtfReadResult back = read_rtf(rtf);
    EXPECT_EQ(back.problems, RtfProblems{});
    EXPECT_EQ(dump(back.document), dump(document)) << rtf;
    EXPECT_TRUE(back.document == document);
}

TEST(RtfWriter, WritesTablesOfTheFormatsUsedAndAFormatChangeAsPlain) {
    const Document document = DocumentBuilder()
                                  .text("Title", heading)
                                  .paragraph(body)
                                  .text("caf\xC3\xA9 {x}\\ \xE2\x82\xAC\xC5\x81\xEF\xBC\xA1"
                                        "\xF0\x9F\x98\x80",
                                        body)
                                  .build();
    EXPECT_EQ(to_rtf(document),
              "{\\rtf1\\ansi\\ansicpg1252\\deff1\\deftab720\\uc1{\\fonttbl{\\f0\\fnil Courier New;}"
              "{\\f1\\fnil ;}}"
              "\r\n{\\colortbl;\\red255\\green0\\blue0;}\r\n"
              "\\pard\\plain\\f0\\fs20\\cf1\\b Title\\plain\\f0\\fs16 \\par\r\n"
              "caf\\'e9 \\{x\\}\\\\ \\'80\\u321?\\u-223?\\u-10179?\\u-8704?\\plain\\fs24 }\r\n");
}

TEST(RtfWriter, WritesEveryCharacterSoThatItReadsBack) {
    expect_round_trip(DocumentBuilder()
                          .text("tab\there\xE2\x80\xA8next line \x7F")
                          .text(" \xF0\x9F\x98\x80 \xE4\xBD\xA0 \xC2\xA0\xC2\xAD\xE2\x80\x91", body)
                          .text(" \xC2\x81\xC2\x8D\xC2\x90 \xEF\xBF\xBD ?", body)
                          .build());
    expect_round_trip(DocumentBuilder().text(" leading and trailing blanks ", body).build());
    expect_round_trip(DocumentBuilder().text("1\\par 2{\\b}", body).text("3", heading).build());
}

TEST(RtfWriter, WritesEveryFormatSoThatItReadsBack) {
    CharFormat all = heading;
    all.font_family = "Caf\xC3\xA9; {Sans}\\";
    all.half_points = 3;
    all.highlight = Rgb{1, 2, 3};
    all.italic = all.underline = all.strike_out = true;
    CharFormat black = body;
    black.color = Rgb{0, 0, 0};
    CharFormat no_font;
    no_font.half_points = 17;
    CharFormat odd_name = body;
    odd_name.font_family = "Tab\there\xE2\x80\xA8\xC5\x81\r\xF0\x9F\x98\x80";
    CharFormat superscript = body;
    superscript.position = VerticalPosition::superscript;
    CharFormat lowered = heading;
    lowered.position = VerticalPosition::subscript;
    lowered.raise_half_points = -5;
    CharFormat raised = body;
    raised.raise_half_points = 3;
    expect_round_trip(DocumentBuilder()
                          .text("all", all)
                          .text("black", black)
                          .text("default", CharFormat{})
                          .text("nofont", no_font)
                          .text("odd", odd_name)
                          .text("2", superscript)
                          .text("sub", lowered)
                          .text("up", raised)
                          .paragraph(all)
                          .paragraph(heading)
                          .text("x", body)
                          .paragraph(no_font)
                          .build());
}

TEST(RtfWriter, WritesEveryParagraphFormatSoThatItReadsBack) {
    const ParagraphFormat centred{.alignment = Alignment::center, .page_break_before = true};
    const ParagraphFormat indented{.alignment = Alignment::justify,
                                   .left_indent = 720,
                                   .right_indent = 360,
                                   .first_line_indent = -360,
                                   .space_before = 120,
                                   .space_after = 240,
                                   .line_spacing = 360,
                                   .line_spacing_multiple = true};
    const ParagraphFormat exact{.alignment = Alignment::right, .line_spacing = -300};
    expect_round_trip(DocumentBuilder()
                          .text("title", heading)
                          .paragraph(heading, centred)
                          .text("body", body)
                          .paragraph(body, indented)
                          .text("same", body)
                          .paragraph(body, indented)
                          .paragraph(body, exact)
                          .text("last", body)
                          .build());
}

TEST(RtfWriter, CarriesWhatTheDocumentDoesNotShowThroughUnchanged) {
    const std::string header = "{\\header \\pard\\plain\\f3\\cf2 \\'c0 head\\par}";
    const std::string note = "{\\*\\footnote\\chftn\\pard\\plain {\\f3\\'c1} note}";
    const std::string unknown = "{\\*\\unknownthing {\\nested} x}";
    const std::string picture = "{\\pict\\pngblip\\bin3 {}\\}";
    const RtfReadResult read = read_rtf(
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f3\\fcharset204 Arial Cyr;}}"
        "{\\colortbl;\\red1\\green2\\blue3;\\red4\\green5\\blue6;}{\\stylesheet{\\s1 Heading;}}" +
        header + "\\f0 body" + note + " more" + unknown + picture + "\\par end}");
    EXPECT_EQ(read.problems, RtfProblems{});
    EXPECT_EQ(to_text(read.document), "body more\nend");
    const std::string written = to_rtf(read.document);
    for (const std::string& kept : {header, note, unknown, picture,
                                    std::string("{\\stylesheet{\\s1 Heading;}}"),
                                    std::string("{\\f3\\fnil\\fcharset204 Arial Cyr;}"),
                                    std::string("{\\colortbl;\\red1\\green2\\blue3;\\red4\\green5\\blue6;}")}) {
        EXPECT_NE(written.find(kept), std::string::npos) << kept << " not in\n" << written;
    }
    EXPECT_LT(written.find("body"), written.find(note));
    EXPECT_LT(written.find(note), written.find("more"));
    expect_round_trip(read.document);
}

TEST(RtfWriter, KeepsParagraphsAndTheirMarks) {
    expect_round_trip(Document());
    expect_round_trip(DocumentBuilder().paragraph().paragraph(heading).build());
    Document last_mark = DocumentBuilder().text("x", body).paragraph(body).build();
    last_mark.paragraphs().back().mark_format = last_mark.intern(heading);
    expect_round_trip(last_mark);
    Document tabs;
    tabs.set_default_tab_twips(1440);
    expect_round_trip(tabs);
    // Text in no font stays in none: no nameless font is made up for it, no \deff names one.
    EXPECT_EQ(to_rtf(Document()),
              "{\\rtf1\\ansi\\ansicpg1252\\deftab720\\uc1{\\fonttbl}\r\n"
              "{\\colortbl;}\r\n\\pard\\plain\\fs24 }\r\n");
    const std::string fonts = to_rtf(read_rtf("{\\rtf1{\\fonttbl{\\f1 Arial;}}x\\f1 y}").document);
    EXPECT_NE(fonts.find("\\uc1{\\fonttbl{\\f1\\fnil Arial;}}"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("\\plain x\\plain\\f1 y"), std::string::npos) << fonts;
    // So without a font table, even where \deff names a font.
    const std::string no_table = to_rtf(read_rtf("{\\rtf1\\deff0 x}").document);
    EXPECT_NE(no_table.find("\\ansicpg1252\\deftab720\\uc1{\\fonttbl}"), std::string::npos)
        << no_table;
    // Where \deff names a font the table lacks, so it stays: readers show its text in their
    // own default font.
    const std::string missing =
        to_rtf(read_rtf("{\\rtf1\\deff3{\\fonttbl{\\f1 Arial;}}x}").document);
    EXPECT_NE(missing.find("\\deff3\\deftab720\\uc1{\\fonttbl{\\f1\\fnil Arial;}}\r\n{\\colortbl;}"
                           "\r\n\\pard\\plain x}"),
              std::string::npos)
        << missing;
}

TEST(RtfWriter, RoundTripsAConvertedDocument) {
    const std::string converted =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"
        "{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fmodern Courier New;}}\r\n"
        "{\\colortbl\\red0\\green0\\blue0;\\red0\\green128\\blue0;\\red255\\green0\\blue0;"
        "\\red0\\green0\\blue255;}\r\n"
        "\\deflang1033\\pard\\plain\\f2\\fs20\\cf3\\b MEDITECH\r\n"
        "\\par \\plain\\f2\\fs16\\cf2\\b ----\\plain\\f2\\fs16\r\n"
        "\\par \\plain\\f2\\fs16\\cf1 ; note \\plain\\f2\\fs16\r\n"
        "\\par \\plain\\f2\\fs16\\cf0 black\r\n"
        "\\par \r\n\\par }\r\n";
    const RtfReadResult read = read_rtf(converted);
    EXPECT_EQ(read.problems, RtfProblems{});
    EXPECT_EQ(dump(read.document),
              "[Courier New 10 #0000ff b] MEDITECH\nP Courier New 10 #0000ff b\n"
              "[Courier New 8 #ff0000 b] ----\nP Courier New 8\n"
              "[Courier New 8 #008000] ; note \nP Courier New 8\n"
              "[Courier New 8 #000000] black\nP Courier New 8 #000000\n"
              "P Courier New 8 #000000\nP Courier New 8 #000000\n");
    expect_round_trip(read.document);
}

// Written RTF as word processors read it: every reader ends a raised run where it ends, the
// default font is in the table, the head comes first in the order word processors write it.
TEST(RtfWriter, WritesWhatWordProcessorsReadAsItWasRead) {
    // A raised or lowered run ends with \nosupersub, not with \plain alone.
    CharFormat raised = body;
    raised.position = VerticalPosition::superscript;
    const std::string ordinal = to_rtf(
        DocumentBuilder().text("1", body).text("st", raised).text(" place", body).build());
    EXPECT_NE(ordinal.find("\\super st\\plain\\f0\\fs16\\nosupersub  place"), std::string::npos)
        << ordinal;
    // The default font is in the table; text in it names no font.
    const std::string source =
        "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\froman Times;}{\\f1\\fswiss Arial;}}a\\f0 b}";
    const std::string saved = to_rtf(read_rtf(source).document);
    EXPECT_NE(saved.find("\\deff1\\deftab720\\uc1{\\fonttbl{\\f0\\froman Times;}"
                         "{\\f1\\fswiss Arial;}}"),
              std::string::npos)
        << saved;
    EXPECT_NE(saved.find("\\pard\\plain a\\plain\\f0 b"), std::string::npos) << saved;
    // Style sheet and lists before the first paragraph's properties, even when a group of
    // the writer's own comes first.
    const std::string head = to_rtf(
        read_rtf("{\\rtf1{\\*\\defchp\\fs22}{\\*\\bkmkstart x}{\\info{\\title T}}"
                 "{\\stylesheet{\\s1 Heading 1;}}{\\*\\listtable{\\list\\listid5}}\\pard\\s1 "
                 "text}")
            .document);
    EXPECT_LT(head.find("{\\stylesheet"), head.find("{\\*\\listtable"));
    EXPECT_LT(head.find("{\\*\\listtable"), head.find("{\\info"));
    EXPECT_LT(head.find("{\\info"), head.find("\\pard"));
    EXPECT_LT(head.find("{\\*\\defchp"), head.find("{\\stylesheet")) << head;
}

// What was saved reads back as the same document and text, and saved again is the same bytes.
TEST(RtfWriter, SavingWhatWasSavedChangesNothing) {
    for (const std::string_view source : {
             std::string_view("{\\rtf1 plain}"),
             std::string_view("{\\rtf1\\deff3 no table}"),
             std::string_view("{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0 Arial;}"
                              "{\\f1\\fcharset0 Arial;}}\\f5 missing\\f1 \\'e9}"),
             std::string_view("{\\rtf1{\\fonttbl{\\f2 Arial;}}\\f2 a{\\super b}c}"),
             // Text in a font without a name, before the table and after it, or in a missing
             // default font and in a nameless one of a character set: all in the reader's
             // default font, the same text.
             std::string_view("{\\rtf1 a{\\fonttbl{\\f0\\fcharset238;}}b}"),
             std::string_view("{\\rtf1\\deff5{\\fonttbl{\\f0\\fcharset238;}}a\\f0 b}"),
             // Fonts of one family with a character set and without: each text in its own; a
             // negative character set is none.
             std::string_view("{\\rtf1{\\fonttbl{\\f0\\fcharset-3 Arial;}}a}"),
             std::string_view("{\\rtf1{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f2 Arial;}}"
                              "\\f2 a\\f0 b}"),
             // A group inside a font entry, with text or words before what makes it one to
             // skip, is kept with the entry; its text is not the font's name.
             std::string_view("{\\rtf1{\\fonttbl{\\f0{x\\fchars}Arial;}}\\f0 a}"),
             std::string_view("{\\rtf1{\\fonttbl{\\f0{\\fswiss\\fchars}Arial;}}\\f0 a}"),
             // A field with no instruction is none: the group carried in it is before the
             // text, and the document information after it still the document's head.
             std::string_view("{\\rtf1{\\field{\\*\\bkmkstart a}{\\info{\\title T}}}x}"),
         }) {
        EXPECT_EQ(fuzzing::rtf_reader_fault(source), "") << source;
    }
}

// Properties of paragraphs, lists, tables, fonts and pages kept as word processors read them.
TEST(RtfWriter, KeepsWhatWordProcessorsShow) {
    // The old numbering before the list reference.
    ParagraphFormat item;
    item.list = 1;
    item.numbering.kind = OldNumbering::Kind::bullet;
    const std::string list = to_rtf(DocumentBuilder().text("x").paragraph({}, item).build());
    EXPECT_LT(list.find("{\\*\\pn"), list.find("\\ls1")) << list;
    // A row whose definition has fewer cells than the row still defines each.
    const std::string row = to_rtf(
        read_rtf("{\\rtf1\\trowd\\trgaph108\\pard\\intbl a\\cell b\\cell\\row}").document);
    EXPECT_NE(row.find("\\trowd\\trgaph108\\cellx1440\\cellx2880"), std::string::npos) << row;
    // A font keeps its character set, family, pitch and other names; text in it that the
    // document's code page does not hold is written as \uN.
    const std::string fonts = to_rtf(
        read_rtf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fnil"
                 "\\fcharset134\\fprq2{\\*\\panose 02010600030101010101}SimSun{\\*\\falt "
                 "Song};}{\\f2\\fcharset204 SimSun;}}\\f1 \\'c4\\'e3\\f2 \\'c0}")
            .document);
    EXPECT_NE(fonts.find("{\\f1\\fnil\\fprq2{\\*\\panose 02010600030101010101}{\\*\\falt Song}"
                         "\\fcharset134 SimSun;}"),
              std::string::npos)
        << fonts;
    EXPECT_NE(fonts.find("{\\f2\\fnil\\fcharset204 SimSun;}"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("\\plain\\f1 \\u20320?"), std::string::npos) << fonts;
    // Fonts of one family stay apart by their character sets.
    EXPECT_NE(fonts.find("\\plain\\f2 \\u1040?"), std::string::npos) << fonts;
    // Paragraph styles, after \plain so that readers give the text the style's character
    // properties; sizes equal to twelve points; text of no size given is written with none
    // (readers differ in the size they take for it).
    const std::string styled = to_rtf(
        read_rtf(
            "{\\rtf1{\\stylesheet{\\s2 heading 2;}}\\pard\\s2\\fs24 Title\\par\\pard\\plain b}")
            .document);
    EXPECT_NE(styled.find("\\pard\\plain\\s2\\fs24 Title"), std::string::npos) << styled;
    EXPECT_NE(styled.find("\\pard\\plain b}"), std::string::npos) << styled;
    // Character styles, after \plain too: readers take the style's properties for the text.
    const std::string character_style =
        to_rtf(read_rtf("{\\rtf1{\\stylesheet{\\*\\cs16\\additive\\b strong;}}a {\\cs16\\b strong}"
                        "\\plain b}")
                   .document);
    EXPECT_NE(character_style.find("\\plain\\cs16\\b strong\\plain b}"), std::string::npos)
        << character_style;
    // Each kind of underline as it was (a wavy line is no single one to readers).
    const std::string lines =
        to_rtf(read_rtf("{\\rtf1{\\ulwave wavy}{\\uldb double}{\\ul single}}").document);
    EXPECT_NE(lines.find("\\plain\\ulwave wavy\\plain\\uldb double\\plain\\ul single"),
              std::string::npos)
        << lines;
    // The page, how its notes are numbered, sections and section breaks.
    const std::string page = to_rtf(
        read_rtf("{\\rtf1\\paperw11906\\paperh16838\\margl1134\\margr1134\\landscape\\ftnbj"
                 "\\aftnnrlc\\ftnrstpg\\ftnstart2\\titlepg\\sectd\\lndscpsxn\\pgwsxn16838 one\\sect\\sectd"
                 "\\sbknone two}")
            .document);
    EXPECT_NE(page.find("\\paperw11906\\paperh16838\\margl1134\\margr1134\\landscape\\ftnbj"
                        "\\aftnnrlc\\ftnrstpg\\ftnstart2\\titlepg\r\n"
                        "\\sectd\\lndscpsxn\\pgwsxn16838\r\n\\pard"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("one\\sect\r\n\\sectd\\sbknone\r\n\\pard"), std::string::npos) << page;
    // The default colour named (\cf0) stays named: against a style's colour word processors
    // show the one as the style's and the other as their default.
    const std::string named = to_rtf(
        read_rtf("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf0 a\\plain b}").document);
    EXPECT_NE(named.find("\\plain\\cf0 a\\plain b"), std::string::npos) << named;
    // A field whose instruction begins on a new line stays a field, its link kept.
    const std::string instruction = "{\\field{\r\n\\*\\fldinst HYPERLINK \"x.org\"}{\\fldrslt ";
    const Document linked = read_rtf("{\\rtf1" + instruction + "site}}}").document;
    EXPECT_TRUE(linked.paragraphs()[0].runs.at(0).is_field_instruction());
    const std::string link = to_rtf(linked);
    EXPECT_NE(link.find("{\\field"), std::string::npos) << link;
    // The font East Asian text is in where the source named one (\dbch\afN), none where it
    // named none: readers then show it in their own, not in the one \fN names.
    const std::string east_asian =
        to_rtf(read_rtf("{\\rtf1\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset134 SimSun;}"
                        "{\\f2\\fcharset134 SimHei;}}ab\\f1 cd\\u27979?\\hich\\af1\\dbch\\af2"
                        " ef\\plain gh}")
                   .document);
    EXPECT_NE(east_asian.find("\\pard\\plain ab\\plain\\f1 cd\\u27979?\\plain\\f1\\dbch\\af2 ef"
                              "\\plain gh}"),
              std::string::npos)
        << east_asian;
}

TEST(RtfWriter, KeepsALinkWholeAcrossParagraphs) {
    const Document document =
        read_rtf("{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"http://a.b/\"}{\\fldrslt one\\par "
                 "two}} three}")
            .document;
    EXPECT_EQ(to_text(document), "one\ntwo three");
    const std::string saved = to_rtf(document);
    EXPECT_NE(saved.find("{\\fldrslt \\plain one}}\\plain \\par"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\\par\r\n{\\field{\\*\\fldinst HYPERLINK \"http://a.b/\"}"
                         "{\\fldrslt \\plain two}}\\plain  three"),
              std::string::npos)
        << saved;
    expect_round_trip(document);
    // A link that ends with its paragraph does not go on as an empty one.
    EXPECT_EQ(dump(read_rtf("{\\rtf1{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt one\\par}}two}")
                       .document),
              "[- 12 @field1] carried {\\*\\fldinst...\n[- 12 @field1] one\nP - 12\n"
              "[- 12] two\nP - 12\n");
}

}  // namespace
}  // namespace qlx::richtext
