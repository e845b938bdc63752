#include "richtext/rtf_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "model_dump.h"
#include "richtext/field_instruction.h"
#include "richtext/rtf_lists.h"
#include "richtext/rtf_pictures.h"
#include "richtext/rtf_writer.h"
#include "richtext/text_writer.h"

namespace qlx::richtext {
namespace {

using testing::dump;

std::string text_of(std::string_view rtf) {
    std::string out;
    const Document document = read_rtf(rtf).document;
    for (const Paragraph& paragraph : document.paragraphs()) {
        if (&paragraph != &document.paragraphs().front()) {
            out += '|';
        }
        for (const Run& run : paragraph.runs) {
            out += run.text;
        }
    }
    return out;
}

// The format of the run that holds `text`.
CharFormat format_of(const Document& document, std::string_view text) {
    for (const Paragraph& paragraph : document.paragraphs()) {
        for (const Run& run : paragraph.runs) {
            if (run.text.find(text) != std::string::npos) {
                return document.format(run.format);
            }
        }
    }
    ADD_FAILURE() << "no run holds " << text;
    return {};
}

TEST(RtfReader, ReadsPlainTextParagraphsAndIgnoresLineEnds) {
    EXPECT_EQ(text_of("{\\rtf1 one\r\ntwo\\par three}"), "onetwo|three");
    EXPECT_EQ(text_of("{\\rtf1 a\\par }"), "a|");
    EXPECT_EQ(text_of("{\\rtf1 a\\par\\par b}"), "a||b");
    EXPECT_EQ(text_of("{\\rtf1 \\\\ \\{ \\}}"), "\\ { }");
    EXPECT_EQ(text_of("{\\rtf1 a\\\r\nb}"), "a|b");
    // Control characters other than TAB are not text, however they are written.
    EXPECT_EQ(text_of("{\\rtf1 a\tb\x01\x1f"
                      "c\\'01\\u2?\\'09}"),
              "a\tbc\t");
    EXPECT_EQ(text_of("{\\rtf1\\ansi caf\xe9 \x80}"), "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(RtfReader, SkipsTheFallbackTextOfUnicodeCharacters) {
    EXPECT_EQ(text_of("{\\rtf1 a\\u8212\\'97b}"),
              "a\xE2\x80\x94"
              "b");
    EXPECT_EQ(text_of("{\\rtf1 \\u-4064?x}"), "\xEF\x80\xA0x");
    EXPECT_EQ(text_of("{\\rtf1 \\uc2\\u20320xxd}"),
              "\xE4\xBD\xA0"
              "d");
    EXPECT_EQ(text_of("{\\rtf1 \\uc0\\u233 e}"),
              "\xC3\xA9"
              "e");
    EXPECT_EQ(text_of("{\\rtf1 {\\uc3\\u233 a}b}"),
              "\xC3\xA9"
              "b");
    EXPECT_EQ(text_of("{\\rtf1 \\u233\\'e9x}"), "\xC3\xA9x");
    EXPECT_EQ(text_of("{\\rtf1 \\u-10179?\\u-8704?!}"), "\xF0\x9F\x98\x80!");
    EXPECT_EQ(text_of("{\\rtf1 \\u-10179?z}"), "\xEF\xBF\xBDz");
    EXPECT_EQ(text_of("{\\rtf1 \\u-8704?z}"), "\xEF\xBF\xBDz");
    EXPECT_EQ(text_of("{\\rtf1 a\\u8233?b}"), "a|b");
    // A group opening ends the fallback; \\plain keeps its length; binary data is one unit.
    EXPECT_EQ(text_of("{\\rtf1 \\uc2\\u233 a{b}c}"), "\xC3\xA9" "bc");
    EXPECT_EQ(text_of("{\\rtf1 \\uc2\\plain\\u233 xxy}"), "\xC3\xA9y");
    EXPECT_EQ(text_of("{\\rtf1 \\uc2\\u233\\bin3 abcde}"), "\xC3\xA9" "e");
}

TEST(RtfReader, ReadsTheUnicodeVersionOfTextGivenTwice) {
    EXPECT_EQ(text_of("{\\rtf1 a{\\upr{\\'82\\'a0 ansi}{\\*\\ud{\\u12354?unicode}}}b}"),
              "a\xE3\x81\x82unicodeb");
}

TEST(RtfReader, DecodesBytesInTheCodePageOfTheDocumentOrFont) {
    EXPECT_EQ(text_of("{\\rtf1\\ansi\\'e9\\'80\\'9f}"), "\xC3\xA9\xE2\x82\xAC\xC5\xB8");
    EXPECT_EQ(text_of("{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'ff}"), "\xD0\x90\xD1\x8F");
    EXPECT_EQ(text_of("{\\rtf1\\ansi\\ansicpg1250 \\'a3}"), "\xC5\x81");
    EXPECT_EQ(text_of("{\\rtf1\\ansi\\ansicpg65001 \\'c3\\'a9}"), "\xC3\xA9");
    EXPECT_EQ(text_of("{\\rtf1\\ansi\\ansicpg874 \\'e9}"), "\xE0\xB9\x89");
    EXPECT_EQ(text_of("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial Cyr;}}"
                      "\\f1\\'c0\\f0\\'c0}"),
              "\xD0\x90\xC3\x80");
    // A font that names no character set is in the document's page.
    EXPECT_EQ(text_of("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\f0\\'c0}"), "\xD0\x90");
    EXPECT_EQ(text_of("{\\rtf1 \\'4"), "");
    EXPECT_EQ(text_of("{\\rtf1 \\'zz}"), "zz");
    EXPECT_EQ(text_of("{\\rtf1 a\\'0d\\'0ab}"), "ab");
}

TEST(RtfReader, ReadsSymbolsAndSpecialCharacters) {
    EXPECT_EQ(text_of("{\\rtf1 a\\tab b\\line c}"),
              "a\tb\xE2\x80\xA8"
              "c");
    EXPECT_EQ(text_of("{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}"),
              "\xE2\x80\x94\xE2\x80\x93\xE2\x80\xA2\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C"
              "\xE2\x80\x9D");
    EXPECT_EQ(text_of("{\\rtf1 a\\~b\\-c\\_d}"),
              "a\xC2\xA0"
              "b\xC2\xAD"
              "c\xE2\x80\x91"
              "d");
    EXPECT_EQ(text_of("{\\rtf1 one\\page two\\sect three}"), "one|two|three");
    // A page break at the start of a paragraph adds no empty one.
    EXPECT_EQ(text_of("{\\rtf1 one\\par\\page two\\par {\\b\\page}three}"), "one|two|three");
    EXPECT_EQ(text_of("{\\rtf1 \\foo12 text \\bar-3 more\\bar-3  end\\:}"), "text more end");
}

TEST(RtfReader, SkipsDestinationsThatAreNotText) {
    EXPECT_EQ(text_of("{\\rtf1{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}x}"), "x");
    EXPECT_EQ(text_of("{\\rtf1 a{\\*\\generator Writer;}{\\*\\unknown {nested} text}b}"), "ab");
    // Known destinations are skipped without \* too; \* anywhere but at a group's start
    // marks nothing.
    EXPECT_EQ(text_of("{\\rtf1 a{\\generator Writer;}{\\xmlnstbl x}{\\*\\b bold}b}"), "aboldb");
    EXPECT_EQ(text_of("{\\rtf1 a{\\b\\*\\unknown kept} b\\*\\foo c}"), "akept bc");
    EXPECT_EQ(text_of("{\\rtf1 a{\\pict\\wmetafile8 0102ab}{\\object{\\objdata 01}}b}"), "ab");
    EXPECT_EQ(text_of("{\\rtf1{\\header head}{\\footer foot}{\\footerl f}body}"), "body");
    EXPECT_EQ(text_of("{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt the link}}.}"),
              "see the link.");
    EXPECT_EQ(text_of("{\\rtf1 {\\field{\\fldinst PAGE}{\\fldrslt 7}}}"), "7");
    EXPECT_EQ(text_of("{\\rtf1 a\\bin3 {}\\b}"), "ab");
    EXPECT_EQ(text_of("{\\rtf1 a{\\pict\\bin4 }}{}x}b}"), "ab");
    // Hidden text is kept, and is text (as word processors export it).
    EXPECT_EQ(text_of("{\\rtf1 a{\\v hidden}b}"), "ahiddenb");
    EXPECT_EQ(testing::describe(format_of(read_rtf("{\\rtf1 a{\\v hidden}b}").document, "hid")),
              "- 12 hidden");
}

TEST(RtfReader, ShowsFieldResultsSymbolsAndFootnoteNumbers) {
    // A SYMBOL field shows its character: in its font's code page, as a Unicode code point
    // (\\u), or, in a symbol font, as the code itself drawn in that font.
    const std::string fonts =
        "{\\rtf1{\\fonttbl{\\f0 Times New Roman;}{\\f1\\fcharset204 Arial Cyr;}{\\f2\\fcharset2 "
        "Symbol;}}\\f0 ";
    EXPECT_EQ(text_of(fonts + "{\\field{\\*\\fldinst SYMBOL 169 \\\\f \"Times New Roman\"}{\\fldrslt }}"
                              "{\\field{\\*\\fldinst SYMBOL 192 \\\\f \"Arial Cyr\"}{\\fldrslt }}"
                              "{\\field{\\*\\fldinst SYMBOL 0x263A \\\\u}}"
                              "{\\field{\\*\\fldinst SYMBOL 97 \\\\f \"Symbol\" \\\\s 10}{\\fldrslt }}"
                              "{\\field{\\*\\fldinst SYMBOL 65}{\\fldrslt kept}}}"),
              "\xC2\xA9\xD0\x90\xE2\x98\xBA" "akept");
    const Document symbol =
        read_rtf(fonts + "{\\field{\\*\\fldinst SYMBOL 97 \\\\f \"Symbol\"}{\\fldrslt }}}").document;
    EXPECT_EQ(testing::describe(format_of(symbol, "a")), "Symbol 12");

    // A field keeps its instruction with its result, and is written back as a field.
    const Document linked =
        read_rtf("{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"http://x.org\"}{\\fldrslt "
                 "{\\ul the} link}} and{\\field{\\fldrslt no instruction}}.}")
            .document;
    EXPECT_EQ(dump(linked),
              "[- 12] see \n[- 12 @field1] carried {\\*\\fldinst...\n[- 12 u @field1] the\n"
              "[- 12 @field1]  link\n[- 12]  andno instruction.\nP - 12\n");
    const std::string written = to_rtf(linked);
    EXPECT_NE(written.find("{\\field{\\*\\fldinst HYPERLINK \"http://x.org\"}{\\fldrslt "),
              std::string::npos)
        << written;
    EXPECT_TRUE(read_rtf(written).document == linked);

    // A footnote reference shows the footnote's number; the footnote's text stays out.
    EXPECT_EQ(text_of("{\\rtf1 one{\\super\\chftn}{\\footnote\\pard{\\super\\chftn} first} two"
                      "{\\super\\chftn}{\\*\\footnote\\chftn second}.}"),
              "one1 two2.");
}

TEST(RtfReader, ReadsPicturesAndLinkTargetsOfWhatItCarries) {
    const auto picture = read_picture("{\\pict\\pngblip\\picwgoal1000\\pichgoal600\\picscalex50"
                                      "\\picscaley200 89504e47}");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->data, "\x89PNG");
    EXPECT_EQ(picture->width_twips, 500);
    EXPECT_EQ(picture->height_twips, 1200);
    EXPECT_EQ(read_picture("{\\pict\\pngblip 89 50\r\n4e47}", 3)->data, "\x89PN");
    EXPECT_FALSE(read_picture("{\\pict\\wmetafile8 0102}"));
    EXPECT_EQ(read_picture("{\\*\\shppict{\\pict\\jpegblip ffd8}}")->format, Picture::Format::jpeg);

    EXPECT_EQ(hyperlink_target("HYPERLINK \"http://x.org/a b\""), "http://x.org/a b");
    EXPECT_EQ(hyperlink_target("HYPERLINK \\l \"part two\" \\o \"tip\""), "#part two");
    EXPECT_EQ(hyperlink_target("HYPERLINK \\o \"tip\" \"x.rtf\" \\l sec"), "x.rtf#sec");
    EXPECT_EQ(hyperlink_target("PAGE"), "");
}

TEST(RtfReader, NumbersListItemsFromTheListTables) {
    // List 7 numbers "1." at level 0, "1.a)" at level 1, and bullets at level 2; override
    // 1 is list 7. The stored labels (\listtext) are kept but not shown.
    const std::string lists =
        "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f3\\fcharset2 Symbol;}}"
        "{\\*\\listtable{\\list\\listtemplateid1"
        "{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
        "{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'04\\'00.\\'01);}}"
        "{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}\\f3}"
        "\\listid7}}{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}}"
        "\\pard\\ls1\\ilvl0{\\listtext 1.\\tab}one\\par{\\listtext 2.\\tab}two\\par"
        "\\ilvl1 two a\\par two b\\par\\ilvl2 dot\\par\\ilvl0 three\\par\\ilvl1 three a\\par"
        "\\pard plain\\par\\ls9 unknown list\\par"
        "\\pard{\\*\\pn\\pnlvlbody\\pnucrm\\pnstart4{\\pntxta )}}old\\par older\\par}";
    const Document document = read_rtf(lists).document;
    EXPECT_EQ(to_text(document),
              "1. one\n2. two\n2.a) two a\n2.b) two b\n\xE2\x80\xA2 dot\n3. three\n3.a) three a\n"
              "plain\nunknown list\nIV) old\nV) older\n");
    EXPECT_TRUE(read_rtf(to_rtf(document)).document == document) << to_rtf(document);
    EXPECT_NE(to_rtf(document).find("{\\listtext 1.\\tab}"), std::string::npos);

    // Labels at their awkward values: ordinals in their teens and past a hundred, letters
    // past their second and third round, Roman numerals that subtract.
    const std::pair<int, const char*> ordinals[] = {
        {1, "1st"},     {2, "2nd"},     {3, "3rd"},     {4, "4th"},     {11, "11th"},
        {12, "12th"},   {13, "13th"},   {21, "21st"},   {22, "22nd"},   {23, "23rd"},
        {101, "101st"}, {111, "111th"}, {112, "112th"}, {113, "113th"}, {1002, "1002nd"}};
    for (const auto& [number, label] : ordinals) {
        EXPECT_EQ(format_list_number(number, 5), label) << number;
    }
    EXPECT_EQ(format_list_number(52, 4), "zz");
    EXPECT_EQ(format_list_number(53, 4), "aaa");
    EXPECT_EQ(format_list_number(78, 3), "ZZZ");
    EXPECT_EQ(format_list_number(49, 1), "XLIX");
    EXPECT_EQ(format_list_number(1994, 1), "MCMXCIV");
    EXPECT_EQ(format_list_number(3999, 2), "mmmcmxcix");
    EXPECT_EQ(format_list_number(444, 2), "cdxliv");

    // Letters go on past z as aa, bb, ...; Roman numerals count by subtraction too.
    EXPECT_EQ(to_text(read_rtf("{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc4\\levelstartat25"
                               "{\\leveltext\\'02\\'00.;}}\\listid1}}{\\*\\listoverridetable"
                               "{\\listoverride\\listid1\\ls1}}\\pard\\ls1 y\\par z\\par aa\\par"
                               "\\pard{\\*\\pn\\pnlvlbody\\pnlcrm\\pnstart9{\\pntxta .}}ix\\par x\\par}")
                          .document),
              "y. y\nz. z\naa. aa\nix. ix\nx. x\n");

    // An override's level changes start its list's level elsewhere, or number it otherwise.
    EXPECT_EQ(to_text(read_rtf("{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0"
                               "{\\leveltext\\'02\\'00.;}}\\listid1}}{\\*\\listoverridetable"
                               "{\\listoverride\\listid1\\ls1}{\\listoverride\\listid1"
                               "\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat5}\\ls2}"
                               "{\\listoverride\\listid1\\listoverridecount1{\\lfolevel"
                               "\\listoverrideformat{\\listlevel\\levelnfc1}}\\ls3}}"
                               "\\pard\\ls1 a\\par\\pard\\ls2 b\\par\\pard\\ls3 c\\par}")
                          .document),
              "1. a\n5. b\nI. c\n");
    // An old-style continuation paragraph goes on with its list, without a number.
    EXPECT_EQ(to_text(read_rtf("{\\rtf1\\pard{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}one\\par"
                               "\\pard{\\*\\pn\\pnlvlcont\\pndec}more\\par"
                               "\\pard{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}two\\par}")
                          .document),
              "1. one\nmore\n2. two\n");
    // \uc0 before a bullet in a level's text takes no fallback: the lists after it keep
    // their text. A bullet level shows no number, even when its text names one.
    EXPECT_EQ(to_text(read_rtf("{\\rtf1{\\*\\listtable"
                               "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\uc0\\u8226 ;}}"
                               "\\listid1}{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}"
                               "\\listid2}{\\list{\\listlevel\\levelnfc23{\\leveltext\\'02\\'00\\u8226 ?;}}"
                               "\\listid3}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}"
                               "{\\listoverride\\listid2\\ls2}{\\listoverride\\listid3\\ls3}}"
                               "\\pard\\ls1 dot\\par\\pard\\ls2 one\\par two\\par\\pard\\ls3 bullet\\par}")
                          .document),
              "\xE2\x80\xA2 dot\n1. one\n2. two\n\xE2\x80\xA2 bullet\n");
    // \ls0 is list 0 where the override table has one, and no list where it has none.
    const std::string list_zero =
        "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}"
        "\\listid4}}{\\*\\listoverridetable{\\listoverride\\listid4\\ls0}}"
        "\\pard\\ls0 one\\par two\\par\\pard plain}";
    const Document zero = read_rtf(list_zero).document;
    EXPECT_EQ(to_text(zero), "1. one\n2. two\nplain");
    EXPECT_EQ(zero.paragraphs()[0].format.list, 0);
    EXPECT_EQ(zero.paragraphs()[2].format.list, no_list);
    EXPECT_NE(to_rtf(zero).find("\\ls0"), std::string::npos) << to_rtf(zero);
    EXPECT_TRUE(read_rtf(to_rtf(zero)).document == zero) << to_rtf(zero);
    const Document none = read_rtf("{\\rtf1\\pard\\ls0 one\\par\\ls-2 two}").document;
    EXPECT_EQ(to_text(none), "one\ntwo");
    EXPECT_EQ(none.paragraphs()[0].format.list, no_list);
    EXPECT_EQ(none.paragraphs()[1].format.list, no_list);
    EXPECT_EQ(to_rtf(none).find("\\ls"), std::string::npos) << to_rtf(none);
}

TEST(RtfReader, ReadsTablesCellByCellAndRowByRow) {
    const auto text = [](std::string_view rtf) { return to_text(read_rtf(rtf).document); };
    // A paragraph a cell, each row ended by its last cell, keeping the row's definition.
    EXPECT_EQ(dump(read_rtf("{\\rtf1\\trowd\\trgaph108\\cellx1000\\cellx2000\\pard\\intbl A\\par"
                            " B\\cell C\\cell\\row\\pard after}")
                       .document),
              "[- 12] A\nP - 12 [table1]\n[- 12] B\nP - 12 [table1 cell]\n"
              "[- 12] C\nP - 12 [table1 row \\trowd\\trgaph108\\cellx1000\\cellx2000]\n"
              "[- 12] after\nP - 12\n");
    // Text shows a row a line, its cells separated by tabs.
    EXPECT_EQ(text("{\\rtf1\\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row"
                   "\\trowd\\cellx1000\\cellx2000\\pard\\intbl C\\cell \\cell\\row\\pard after}"),
              "A\tB\nC\t\nafter");
    // Rows left open, or ended without their cells, are ended; every row gets a definition,
    // with an edge for each of its cells (word processors drop the text of cells without).
    EXPECT_EQ(dump(read_rtf("{\\rtf1{\\pard\\intbl A\\cell B\\cell}{\\trowd\\cellx9\\row}x}").document),
              "[- 12] A\nP - 12 [table1 cell]\n[- 12] B\n"
              "P - 12 [table1 row \\trowd\\cellx9\\cellx1449]\n[- 12] x\nP - 12\n");
    // A group between the last cell and the row's end adds no cell.
    EXPECT_EQ(text("{\\rtf1\\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell"
                   "{\\*\\bkmkend x}\\row\\pard after}"),
              "A\tB\nafter");
    EXPECT_EQ(dump(read_rtf("{\\rtf1\\intbl A\\cell B\\par\\pard C}").document),
              "[- 12] A\nP - 12 [table1 cell]\n[- 12] B\n"
              "P - 12 [table1 row \\trowd\\cellx1440\\cellx2880]\n[- 12] C\nP - 12\n");
    // A cell merged into the one before adds no cell to the text; a cell merged into the
    // one above is an empty cell, as word processors read them.
    EXPECT_EQ(text("{\\rtf1\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\cellx3000\\pard\\intbl"
                   " merged\\cell\\cell C\\cell\\row\\trowd\\clvmgf\\cellx1000\\cellx2000\\pard"
                   "\\intbl top\\cell X\\cell\\row\\trowd\\clvmrg\\cellx1000\\cellx2000\\pard"
                   "\\intbl\\cell Y\\cell\\row}"),
              "merged\tC\ntop\tX\n\tY\n");
    // A merge of three cells, then ordinary cells: each after the merge is a cell of its own.
    EXPECT_EQ(text("{\\rtf1\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\clmrg\\cellx3000"
                   "\\cellx4000\\cellx5000\\pard\\intbl wide\\cell\\cell\\cell B\\cell C\\cell\\row"
                   "\\pard after}"),
              "wide\tB\tC\nafter");
    // A nested table's rows are read in their cell, its fallback for older readers is not;
    // a nested row keeps its definition group.
    const Document nested =
        read_rtf("{\\rtf1\\trowd\\cellx1000\\cellx2000\\pard\\intbl outer\\cell\\pard\\intbl"
                 "\\itap2 in1\\nestcell in2\\nestcell{\\*\\nesttableprops\\trowd\\cellx500"
                 "\\cellx900\\nestrow}{\\nonesttables fallback\\par}\\pard\\intbl last\\cell"
                 "\\row\\pard after}")
            .document;
    EXPECT_EQ(to_text(nested), "outer\tin1\tin2\nlast\nafter");
    EXPECT_EQ(nested.paragraphs()[2].table.row,
              "{\\*\\nesttableprops\\trowd\\cellx500\\cellx900\\nestrow}");
    EXPECT_EQ(nested.paragraphs()[3].table.depth, 1);
    // A table nested in the first cell of the table it starts.
    EXPECT_EQ(dump(read_rtf("{\\rtf1\\pard\\intbl\\itap2 a\\nestcell b\\nestcell{\\*\\nesttableprops\\trowd"
                            "\\cellx1\\cellx2\\nestrow}\\pard\\intbl x\\cell\\row}")
                       .document),
              "[- 12] a\nP - 12 [table2 cell]\n[- 12] b\n"
              "P - 12 [table2 row {\\*\\nesttableprops\\trowd\\cellx1\\cellx2\\nestrow}]\n"
              "[- 12] x\nP - 12 [table1 row \\trowd\\cellx1440]\nP - 12\n");
    // A cell left holding only a nested table ends it there.
    EXPECT_EQ(dump(read_rtf("{\\rtf1\\intbl outer\\cell\\itap2 in\\nestcell\\pard after}").document),
              "[- 12] outer\nP - 12 [table1 cell]\n[- 12] in\n"
              "P - 12 [table2 row {\\*\\nesttableprops\\trowd\\cellx1440\\nestrow}]\n"
              "P - 12 [table1 row \\trowd\\cellx1440\\cellx2880]\n[- 12] after\nP - 12\n");
    // Rows keep their own definitions, also one that starts with a nested table.
    const Document second_row = read_rtf(
        "{\\rtf1\\trowd\\cellx1440\\cellx2880\\pard\\intbl A\\cell B\\cell\\row\\trowd\\cellx1440"
        "\\pard\\intbl\\itap2 in\\nestcell{\\*\\nesttableprops\\trowd\\cellx720\\nestrow}\\pard"
        "\\intbl C\\cell\\row}").document;
    EXPECT_EQ(second_row.paragraphs()[3].table.row, "\\trowd\\cellx1440");
    for (const Document& document : {nested, second_row,
                                      read_rtf("{\\rtf1\\intbl\\itap9 deep\\cell\\row}").document}) {
        EXPECT_TRUE(read_rtf(to_rtf(document)).document == document) << to_rtf(document);
    }
}

TEST(RtfReader, ReadsCharacterFormats) {
    const Document document =
        read_rtf(
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}"
            "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;\\red255\\green255\\blue0;"
            "}"
            "plain {\\b bold} {\\i italic} {\\ul under\\ulnone line} {\\uldb double}"
            " {\\strike struck} {\\f1\\fs17 arial} {\\cf1 red}{\\cf0 auto} {\\highlight3 marked}"
            " {\\cb2 shaded} {\\b\\i\\b0 notbold} \\b\\plain reset \\fs0 zero\\par}")
            .document;
    EXPECT_EQ(testing::describe(format_of(document, "plain")), "Times New Roman 12");
    EXPECT_EQ(testing::describe(format_of(document, "bold")), "Times New Roman 12 b");
    EXPECT_EQ(testing::describe(format_of(document, "italic")), "Times New Roman 12 i");
    EXPECT_EQ(testing::describe(format_of(document, "under")), "Times New Roman 12 u");
    EXPECT_EQ(testing::describe(format_of(document, "line")), "Times New Roman 12");
    EXPECT_EQ(testing::describe(format_of(document, "double")), "Times New Roman 12 u");
    EXPECT_EQ(testing::describe(format_of(document, "struck")), "Times New Roman 12 s");
    EXPECT_EQ(testing::describe(format_of(document, "arial")), "Arial 8.5");
    EXPECT_EQ(testing::describe(format_of(document, "red")), "Times New Roman 12 #ff0000");
    EXPECT_EQ(testing::describe(format_of(document, "auto")), "Times New Roman 12");
    // \cf0 names the default colour; text without \cf has none named.
    EXPECT_TRUE(format_of(document, "auto").default_color_named);
    EXPECT_FALSE(format_of(document, "plain").default_color_named);
    EXPECT_FALSE(format_of(document, "red").default_color_named);
    // A size is given by \fsN until \plain; none before, and \fs0 gives none.
    EXPECT_FALSE(format_of(document, "plain").size_given);
    EXPECT_TRUE(format_of(document, "arial").size_given);
    EXPECT_FALSE(format_of(document, "reset").size_given);
    EXPECT_FALSE(format_of(document, "zero").size_given);
    // East Asian text's font is the one \afN (or \fN) names after \dbch, until \plain; after
    // \loch or \hich, \afN names the font of the rest, after \rtlch nothing.
    const Document scripts =
        read_rtf(
            "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 SimSun;}{\\f2 Mangal;}}\\loch\\af0\\hich"
            "\\af0\\dbch\\af1 one \\rtlch\\af2 two {\\loch\\af2 three}\\plain four"
            "\\dbch\\f2 five}")
            .document;
    EXPECT_EQ(format_of(scripts, "one").east_asian_family, "SimSun");
    EXPECT_EQ(format_of(scripts, "two").east_asian_family, "SimSun");
    EXPECT_EQ(format_of(scripts, "three").east_asian_family, "SimSun");
    EXPECT_EQ(format_of(scripts, "two").font_family, "Arial");
    EXPECT_EQ(format_of(scripts, "three").font_family, "Mangal");
    EXPECT_TRUE(format_of(scripts, "four").east_asian_family.empty());
    EXPECT_EQ(format_of(scripts, "five").east_asian_family, "Mangal");
    // \ab and \ai make text bold and italic unless \hich or \rtlch chose the script last
    // (\ltrch ends \rtlch's); after \ltrch, \afN names the font of the rest.
    const Document associated =
        read_rtf(
            "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Mangal;}}{\\ab none}{\\dbch\\ai far}"
            "{\\b0\\dbch\\ab\\rtlch \\ltrch\\loch kept}{\\hich\\ab high}{\\rtlch\\ai right}"
            "{\\rtlch\\ltrch\\ab\\af1 left}{\\b\\dbch\\ab0 off}}")
            .document;
    EXPECT_EQ(testing::describe(format_of(associated, "none")), "Arial 12 b");
    EXPECT_EQ(testing::describe(format_of(associated, "far")), "Arial 12 i");
    EXPECT_EQ(testing::describe(format_of(associated, "kept")), "Arial 12 b");
    EXPECT_EQ(testing::describe(format_of(associated, "high")), "Arial 12");
    EXPECT_EQ(testing::describe(format_of(associated, "right")), "Arial 12");
    EXPECT_EQ(testing::describe(format_of(associated, "left")), "Mangal 12 b");
    EXPECT_EQ(testing::describe(format_of(associated, "off")), "Arial 12");
    // Kinds of underline; \ulnone and \ul0 end each.
    const Document lines =
        read_rtf("{\\rtf1{\\ulwave wavy}{\\ulwave\\ulnone gone}{\\uldb\\ul0 none}{\\ul single}}")
            .document;
    EXPECT_EQ(format_of(lines, "wavy").underline_kind, 16);
    EXPECT_TRUE(format_of(lines, "wavy").underline);
    EXPECT_FALSE(format_of(lines, "gone").underline);
    EXPECT_EQ(format_of(lines, "gone").underline_kind, 0);
    EXPECT_EQ(format_of(lines, "none").underline_kind, 0);
    EXPECT_EQ(format_of(lines, "single").underline_kind, 0);
    EXPECT_TRUE(format_of(lines, "single").underline);
    // A character style holds until \plain.
    const Document styles =
        read_rtf("{\\rtf1 a {\\cs16 styled \\i more}\\cs2 two\\plain none}").document;
    EXPECT_EQ(format_of(styles, "styled").character_style, 16);
    EXPECT_EQ(format_of(styles, "more").character_style, 16);
    EXPECT_EQ(format_of(styles, "two").character_style, 2);
    EXPECT_EQ(format_of(styles, "none").character_style, -1);
    EXPECT_EQ(format_of(styles, "a ").character_style, -1);
    const Document black_first =
        read_rtf("{\\rtf1{\\colortbl\\red0\\green0\\blue0;}\\cf0 black}").document;
    EXPECT_EQ(testing::describe(format_of(black_first, "black")), "- 12 #000000");
    EXPECT_FALSE(format_of(black_first, "black").default_color_named);
    EXPECT_EQ(testing::describe(format_of(document, "marked")), "Times New Roman 12 on#ffff00");
    EXPECT_EQ(testing::describe(format_of(document, "shaded")), "Times New Roman 12 on#0000ff");
    EXPECT_EQ(testing::describe(format_of(document, "notbold")), "Times New Roman 12 i");
    EXPECT_EQ(testing::describe(format_of(document, "reset")), "Times New Roman 12");
    EXPECT_EQ(testing::describe(format_of(document, "zero")), "Times New Roman 12");
    // The last colour needs no ";".
    EXPECT_EQ(testing::describe(format_of(
                  read_rtf("{\\rtf1{\\colortbl;\\red255\\green0\\blue0}\\cf1 red}").document, "red")),
              "- 12 #ff0000");

    const Document raised =
        read_rtf("{\\rtf1 E=mc{\\super 2} H{\\sub 2}O {\\super\\nosupersub flat} {\\up up}"
                 "{\\dn4 down} {\\super\\plain plain}}")
            .document;
    EXPECT_EQ(testing::describe(format_of(raised, "E=mc")), "- 12");
    EXPECT_EQ(testing::describe(format_of(raised, "2")), "- 12 super");
    EXPECT_EQ(testing::describe(format_of(raised, "flat")), "- 12");
    EXPECT_EQ(testing::describe(format_of(raised, "up")), "- 12 raise6");
    EXPECT_EQ(testing::describe(format_of(raised, "down")), "- 12 raise-4");
    EXPECT_EQ(testing::describe(format_of(raised, "plain")), "- 12");
}

TEST(RtfReader, ReadsParagraphFormatsInForceAtEachParagraphsEnd) {
    EXPECT_EQ(dump(read_rtf("{\\rtf1\\qc centred\\par\\pard\\li720\\ri360\\fi-360\\sb120"
                            "\\sa240\\sl-300\\slmult0 hanging\\par{\\qr\\plain right\\par}\\qj "
                            "justified\\sl480\\slmult1}")
                       .document),
              "[- 12] centred\nP - 12 | center\n"
              "[- 12] hanging\nP - 12 | li720 ri360 fi-360 sb120 sa240 sl-300\n"
              "[- 12] right\nP - 12 | right li720 ri360 fi-360 sb120 sa240 sl-300\n"
              "[- 12] justified\nP - 12 | justify li720 ri360 fi-360 sb120 sa240 sl480 mult\n");
    // A page break before a paragraph's text starts the next page with it; inside a
    // paragraph it ends the paragraph too.
    EXPECT_EQ(dump(read_rtf("{\\rtf1 one\\par\\page two\\page three\\par\\pard\\pagebb four}")
                       .document),
              "[- 12] one\nP - 12\n[- 12] two\nP - 12 | pagebreak\n[- 12] three\n"
              "P - 12 | pagebreak\n[- 12] four\nP - 12 | pagebreak\n");
}

TEST(RtfReader, ReadsFontTablesOfEveryShape) {
    EXPECT_EQ(dump(read_rtf("{\\rtf1{\\fonttbl\\f0\\fswiss Helv;\\f1\\fmodern Courier;}"
                            "\\f1 x}")
                       .document),
              "[Courier 12] x\nP Courier 12\n");
    EXPECT_EQ(dump(read_rtf("{\\rtf1{\\fonttbl{\\f3{\\*\\panose 02}\\fnil\\fcharset0 "
                            "Caf\\'e9 Sans{\\*\\falt Other};}}\\f3 x\\f9 y}")
                       .document),
              "[Caf\xC3\xA9 Sans 12] x\n[- 12] y\nP - 12\n");
    EXPECT_EQ(dump(read_rtf("{\\rtf1\\deff1{\\fonttbl{\\f1 Arial}{\\f2 Symbol}}x}").document),
              "[Arial 12] x\nP Arial 12\n");
}

TEST(RtfReader, ReadsTheDefaultTabStops) {
    EXPECT_EQ(read_rtf("{\\rtf1 x}").document.default_tab_twips(), 720);
    EXPECT_EQ(read_rtf("{\\rtf1\\deftab360 x}").document.default_tab_twips(), 360);
    EXPECT_EQ(read_rtf("{\\rtf1\\deftab0 x}").document.default_tab_twips(), 720);
    EXPECT_EQ(read_rtf("{\\rtf1\\deftab99999999 x}").document.default_tab_twips(), 31680);
}

TEST(RtfReader, KeepsTheFormatOfEachParagraphMark) {
    EXPECT_EQ(dump(read_rtf("{\\rtf1\\fs40 big\\fs20\\par\\par\\b x\\par}").document),
              "[- 20] big\nP - 10\nP - 10\n[- 10 b] x\nP - 10 b\nP - 10 b\n");
}

// Paragraphs handed over while reading are those the whole reading gives, in order, with
// the formats they name: whole tables among them, none once a list item came.
TEST(RtfReader, HandsOverFinishedParagraphsWhileReading) {
    struct Collector : ParagraphSink {
        void take(std::vector<Paragraph> handed, std::vector<CharFormat> added) override {
            ++batches;
            std::ranges::move(handed, std::back_inserter(paragraphs));
            std::ranges::move(added, std::back_inserter(formats));
        }
        int batches = 0;
        std::vector<Paragraph> paragraphs;
        std::vector<CharFormat> formats;
    };
    std::string rtf = "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}";
    for (int i = 0; i < 1200; ++i) {
        rtf += "line {\\b " + std::to_string(i) + "}\\par ";
        if (i % 300 == 299) {
            rtf += "\\trowd\\cellx900\\intbl cell\\cell\\row\\pard{\\cf1 red}\\sect ";
        }
    }
    rtf +=
        "\\pard\\ls0 no list 0\\par{\\*\\listtable{\\list{\\listlevel{\\leveltext\\'01-;}}"
        "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\pard\\ls1 item"
        "\\par\\pard}";
    const Document whole = read_rtf(rtf).document;
    Collector sink;
    Document read = read_rtf(rtf, sink).document;
    EXPECT_GT(sink.batches, 3);
    ASSERT_LT(sink.paragraphs.size(), read.paragraphs().size());
    ASSERT_LE(sink.formats.size(), read.formats().size());
    for (std::size_t i = 0; i < sink.formats.size(); ++i) {
        EXPECT_EQ(sink.formats[i], read.format(i));
    }
    EXPECT_TRUE(std::ranges::any_of(sink.paragraphs, [](const Paragraph& paragraph) {
        return paragraph.table.end == TablePlace::End::row;
    }));
    EXPECT_TRUE(std::ranges::none_of(sink.paragraphs, [](const Paragraph& paragraph) {
        return paragraph.format.list != no_list;
    }));
    std::ranges::move(sink.paragraphs, read.paragraphs().begin());
    EXPECT_TRUE(read == whole);
    EXPECT_EQ(to_text(read), to_text(whole));
    EXPECT_EQ(to_text(whole).substr(to_text(whole).size() - 7), "- item\n");
}

TEST(RtfReader, NotesWhatIsWrongWithTheInput) {
    EXPECT_EQ(read_rtf("{\\rtf1 fine}\r\n").problems, RtfProblems{});
    EXPECT_EQ(read_rtf("plain text").problems, (RtfProblems{.not_rtf = true}));
    EXPECT_EQ(read_rtf("{\\rtf1 {open").problems, (RtfProblems{.truncated = true}));
    EXPECT_EQ(read_rtf("{\\rtf1 a\\").problems, (RtfProblems{.truncated = true}));
    EXPECT_EQ(read_rtf("{\\rtf1 a}}more").problems, (RtfProblems{.unbalanced = true}));
    EXPECT_EQ(read_rtf("{\\rtf1 a}}").problems, (RtfProblems{.unbalanced = true}));
    EXPECT_EQ(text_of("{\\rtf1 a}b"), "a");
    EXPECT_EQ(text_of("}{\\rtf1 a}"), "a");
}

}  // namespace
}  // namespace qlx::richtext
