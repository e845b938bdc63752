#include "document/rich_text_adapter.h"

#include <QApplication>
#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextTable>
#include <QTextTableFormat>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "model_dump.h"
#include "richtext/rtf_reader.h"
#include "richtext/text_writer.h"

namespace qlx::document {
namespace {

namespace rt = qlx::richtext;

const std::string converted =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"
    "{\\f2\\fmodern Courier New;}}\r\n"
    "{\\colortbl\\red0\\green0\\blue0;\\red0\\green128\\blue0;\\red255\\green0\\blue0;"
    "\\red0\\green0\\blue255;}\r\n"
    "\\deflang1033\\pard\\plain\\f2\\fs20\\cf3\\b MEDITECH caf\xE9\r\n"
    "\\par \\plain\\f2\\fs16\\cf2\\b Red\\plain\\f2\\fs16  body\r\n"
    "\\par \\plain\\f2\\fs16\\cf1\\i\\ul\\strike green\\plain\\f2\\fs16\r\n"
    "\\par \\plain\\f2\\fs20\r\n"
    "\\par \\plain\\f2\\fs16}\r\n";

QTextCharFormat format_at(const QTextDocument& document, int position) {
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

QTextDocument& with_default_font(QTextDocument& document) {
    QFont font(QStringLiteral("Courier New"));
    font.setPointSizeF(8.25);
    document.setDefaultFont(font);
    return document;
}

TEST(RichTextAdapter, LoadsTextAndFormatsIntoBlocks) {
    QTextDocument document;
    EXPECT_EQ(load_rtf(document, converted), richtext::RtfProblems{});
    EXPECT_TRUE(load_rtf(document, "{\\rtf1 cut {\\b short").truncated);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("cut short"));
    load_rtf(document, converted);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("MEDITECH caf\u00E9\nRed body\ngreen\n\n"));
    EXPECT_EQ(document.blockCount(), 5);

    const QTextCharFormat header = format_at(document, 0);
    EXPECT_EQ(header.fontFamilies().toStringList(), QStringList{QStringLiteral("Courier New")});
    EXPECT_EQ(header.fontPointSize(), 10.0);
    EXPECT_EQ(header.fontWeight(), QFont::Bold);
    EXPECT_EQ(header.foreground().color(), QColor(0, 0, 255));

    const int red = document.findBlockByNumber(1).position();
    EXPECT_EQ(format_at(document, red).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(format_at(document, red).fontPointSize(), 8.0);
    const QTextCharFormat body = format_at(document, red + 4);
    EXPECT_EQ(body.foreground().style(), Qt::NoBrush);
    EXPECT_EQ(body.fontWeight(), QFont::Normal);

    const QTextCharFormat green = format_at(document, document.findBlockByNumber(2).position());
    EXPECT_EQ(green.foreground().color(), QColor(0, 128, 0));
    EXPECT_TRUE(green.fontItalic());
    EXPECT_TRUE(green.fontUnderline());
    EXPECT_TRUE(green.fontStrikeOut());

    EXPECT_EQ(document.findBlockByNumber(3).charFormat().fontPointSize(), 10.0);
    EXPECT_EQ(document.findBlockByNumber(4).charFormat().fontPointSize(), 8.0);
    EXPECT_FALSE(document.isUndoAvailable());
    EXPECT_EQ(document.defaultTextOption().tabStopDistance(), 48.0);  // half an inch at 96 dpi
}

TEST(RichTextAdapter, SavesWhatItLoads) {
    QTextDocument document;
    load_rtf(with_default_font(document), converted);
    // A paragraph mark keeps its own format, whatever the text before it is in.
    EXPECT_EQ(testing::dump(rt::read_rtf(save_rtf(document)).document),
              "[Courier New 10 #0000ff b] MEDITECH caf\xC3\xA9\nP Courier New 10 #0000ff b\n"
              "[Courier New 8 #ff0000 b] Red\n[Courier New 8]  body\nP Courier New 8\n"
              "[Courier New 8 #008000 i u s] green\nP Courier New 8\n"
              "P Courier New 10\nP Courier New 8\n");

    load_rtf(document, "{\\rtf1\\deftab1440 default {\\b bold}\\line next\\tab x}");
    EXPECT_EQ(rt::read_rtf(save_rtf(document)).document.default_tab_twips(), 1440);
    EXPECT_EQ(testing::dump(rt::read_rtf(save_rtf(document)).document),
              "[Courier New 12] default \n[Courier New 12 b] bold\n"
              "[Courier New 12] \\nnext\\tx\nP Courier New 12\n");

    // The default colour named stays named, and only there.
    load_rtf(document, "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf0 named\\plain none}");
    const rt::Document named = rt::read_rtf(save_rtf(document)).document;
    EXPECT_TRUE(named.format(named.paragraphs()[0].runs.at(0).format).default_color_named);
    EXPECT_FALSE(named.format(named.paragraphs()[0].runs.at(1).format).default_color_named);
}

TEST(RichTextAdapter, KeepsParagraphFormatsAndRaisedTextBothWays) {
    const rt::Document model =
        rt::read_rtf(
            "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs22 plain\\par\\qc\\sb120\\sa240 centred\\par"
            "\\pard\\qj\\li1440\\ri100\\fi-700\\sl276\\slmult1 E=mc{\\super 2} H{\\sub 2}O"
            " {\\up3 up}{\\dn5 down} end\\par\\pard\\qr\\sl-310 exact\\par\\pard\\sl300 least\\par"
            "\\pard\\page\\sl0\\slmult1 next page}")
            .document;
    QTextDocument document;
    load_model(with_default_font(document), model);
    EXPECT_EQ(testing::dump(document_model(document)), testing::dump(model));
    EXPECT_TRUE(document_model(document) == model);

    const QTextBlock centred = document.begin().next();
    EXPECT_EQ(centred.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    const QTextBlockFormat indented = centred.next().blockFormat();
    // Twips on a screen of 96 dots per inch (the offscreen platform's).
    EXPECT_DOUBLE_EQ(indented.leftMargin(), 96.0);
    EXPECT_DOUBLE_EQ(indented.rightMargin(), 100 * 96 / 1440.0);
    EXPECT_DOUBLE_EQ(indented.textIndent(), -700 * 96 / 1440.0);
    EXPECT_DOUBLE_EQ(centred.blockFormat().topMargin(), 8.0);
    EXPECT_DOUBLE_EQ(centred.blockFormat().bottomMargin(), 16.0);
    EXPECT_EQ(format_at(document, centred.next().position() + 3).verticalAlignment(),
              QTextCharFormat::AlignNormal);
    EXPECT_EQ(format_at(document, centred.next().position() + 4).verticalAlignment(),
              QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(document.lastBlock().blockFormat().pageBreakPolicy(),
              QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_DOUBLE_EQ(document.documentMargin(), 4.0);

    // A first line left of the page's edge is shown in a margin wide enough for it.
    load_rtf(document, "{\\rtf1 plain\\par\\li360\\fi-1080 hanging}");
    EXPECT_DOUBLE_EQ(document.documentMargin(), 4.0 + 48.0);
}

// The model a window keeps of a read one: text in no font is in the window's font (once
// saved, of the character set the source's table gives that font, if any), and a paragraph
// mark that has text before it takes the format of that text (the window holds no separate
// format for it).
rt::Document as_the_window_keeps_it(const rt::Document& read, bool saved = false) {
    rt::Document model;
    model.source_fonts = read.source_fonts;
    model.source_colors = read.source_colors;
    model.head_groups = read.head_groups;
    model.set_default_tab_twips(read.default_tab_twips());
    const auto in_window = [&](std::size_t index) {
        rt::CharFormat format = read.format(index);
        if (format.font_family.empty()) {
            format.font_family = "Courier New";
            const auto font =
                std::ranges::find(read.source_fonts, format.font_family, &rt::SourceFont::family);
            format.font_charset = saved && font != read.source_fonts.end() ? font->charset : -1;
        }
        return model.intern(format);
    };
    for (const rt::Paragraph& paragraph : read.paragraphs()) {
        for (const rt::Run& run : paragraph.runs) {
            if (run.carried()) {
                model.append_carried(run.rtf, in_window(run.format), run.field, run.text);
            } else {
                model.append_text(run.text, in_window(run.format), run.field);
            }
        }
        rt::Paragraph& kept = model.paragraphs().back();
        kept.format = paragraph.format;
        kept.label = paragraph.label;
        kept.table = paragraph.table;
        const std::size_t mark = in_window(paragraph.mark_format);
        if (&paragraph != &read.paragraphs().back()) {
            model.end_paragraph(mark);
        } else {
            kept.mark_format = mark;
        }
    }
    return model;
}

TEST(RichTextAdapter, EveryTestAndFuzzFileSurvivesTheWindowUnchanged) {
    int files = 0;
    for (const char* folder :
         {QLX_RICHTEXT_TEST_DATA, QLX_RICHTEXT_PUBLIC_DATA, QLX_RTF_FUZZ_CORPUS_DIR}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (!entry.is_regular_file() || entry.path().extension() == ".expected" ||
                entry.path().extension() == ".txt" || entry.path().extension() == ".html" ||
                entry.path().extension() == ".md" || entry.path().extension() == ".qlx" ||
                name.starts_with("LICENSE")) {
                continue;
            }
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string rtf{std::istreambuf_iterator<char>(in), {}};
            const rt::Document read = rt::read_rtf(rtf).document;
            QTextDocument document;
            load_model(with_default_font(document), read);
            const rt::Document kept = as_the_window_keeps_it(read);
            const rt::Document saved = rt::read_rtf(save_rtf(document)).document;
            EXPECT_EQ(testing::dump(saved), testing::dump(kept)) << entry.path();
            EXPECT_TRUE(saved == as_the_window_keeps_it(read, true)) << entry.path();
            EXPECT_TRUE(document_model(document) == kept) << entry.path();
            // Built while it is read, the document is the same.
            QTextDocument overlapped;
            load_rtf(with_default_font(overlapped), rtf);
            EXPECT_EQ(overlapped.toHtml(), document.toHtml()) << entry.path();
            ++files;
        }
    }
    EXPECT_GT(files, 100);
}

// A document of some tens of kilobytes and more is built while it is read, from paragraphs
// the reader hands over on another thread: what comes later (tables, a section's end, links and
// fields across paragraphs, list items, footnotes) changes none that went.
TEST(RichTextAdapter, BuildsADocumentWhileReadingItAsAfterReadingIt) {
    // More than a megabyte: documents under it are read before they are built.
    constexpr int lines = 2000;
    constexpr int width = 600;
    std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
        "{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}\\listid1}}"
        "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\deftab360\r\n";
    const std::string filler(static_cast<std::size_t>(width), 'x');
    for (int i = 0; i < lines; ++i) {
        const std::string n = std::to_string(i);
        rtf += "\\pard\\plain line " + n + " {\\b bold}{\\cf1 red} {\\v hidden} " + filler +
               "\\par\r\n";
        if (i % 97 == 0) {
            rtf += "\\trowd\\cellx2000\\cellx4000\\pard\\intbl cell " + n +
                   "\\cell\\pard\\intbl\\itap2 in\\nestcell{\\*\\nesttableprops\\trowd"
                   "\\cellx1000\\nestrow}\\pard\\intbl more\\par last\\cell\\row\r\n";
        }
        if (i % 131 == 0) {
            rtf += "\\pard\\li720\\fi-1080 hanging{\\field{\\*\\fldinst HYPERLINK \"http://x/" + n +
                   "\"}{\\fldrslt link\\par across}} after\\sect\\sectd\\cols2 section\\par\r\n";
        }
        if (i % 211 == 0) {
            rtf += "note{\\footnote\\pard\\plain\\chftn  text " + n + "}\\par\r\n";
        }
        if (i == lines * 3 / 4) {
            rtf += "\\pard\\ls1 item\\par\\pard\\ls1 item\\par\\pard\r\n";
        }
    }
    rtf += "\\trowd\\cellx2000\\pard\\intbl open cell\\cell}";
    QTextDocument read_first;
    load_model(with_default_font(read_first), rt::read_rtf(rtf).document);
    QTextDocument overlapped;
    load_rtf(with_default_font(overlapped), rtf);
    EXPECT_EQ(overlapped.toHtml(), read_first.toHtml());
    EXPECT_EQ(save_rtf(overlapped), save_rtf(read_first));
    EXPECT_NE(overlapped.toPlainText().indexOf(QStringLiteral("2. item")), -1);
    EXPECT_GT(rtf.size(), std::size_t{1} << 20);

    // One whose reader hands nothing over before its end (a list item comes first), which
    // the loader waits for long enough to read it itself.
    std::string listed = rtf.substr(0, 600 * 1024) + "}";
    const std::string head_end = "\\deftab360\r\n";
    listed.insert(listed.find(head_end) + head_end.size(), "\\pard\\ls1 first\\par ");
    QTextDocument listed_read_first;
    load_model(with_default_font(listed_read_first), rt::read_rtf(listed).document);
    QTextDocument listed_overlapped;
    load_rtf(with_default_font(listed_overlapped), listed);
    EXPECT_EQ(listed_overlapped.toHtml(), listed_read_first.toHtml());
    EXPECT_NE(listed_overlapped.toPlainText().indexOf(QStringLiteral("1. first")), -1);

    // Two windows loading at once: one has the reading thread, the other reads on its own
    // (before building a document of some tens of kilobytes, while building a larger one).
    const std::string smaller = rtf.substr(0, 40 * 1024) + "}";
    QTextDocument smaller_read_first;
    load_model(with_default_font(smaller_read_first), rt::read_rtf(smaller).document);
    for (const std::string* other : {&smaller, &std::as_const(rtf)}) {
        QString elsewhere;
        std::thread loading([&] {
            QTextDocument document;
            load_rtf(with_default_font(document), rtf);
            elsewhere = document.toHtml();
        });
        QTextDocument here;
        load_rtf(with_default_font(here), *other);
        loading.join();
        EXPECT_EQ(elsewhere, read_first.toHtml());
        EXPECT_EQ(here.toHtml(), (other == &rtf ? read_first : smaller_read_first).toHtml());
    }
}

TEST(RichTextAdapter, ShowsListItemsWithTheirLabelsIndentedByLevel) {
    const std::string rtf =
        "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}"
        "{\\listlevel\\levelnfc4{\\leveltext\\'02\\'01);}}\\listid1}}"
        "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
        "\\pard\\ls1 first\\par\\ilvl1 inner\\par\\pard\\li1440\\ls1 second\\par\\pard plain}";
    QTextDocument document;
    load_rtf(with_default_font(document), rtf);
    QTextBlock block = document.begin();
    EXPECT_EQ(block.text(), QStringLiteral("1. first"));
    EXPECT_DOUBLE_EQ(block.blockFormat().leftMargin(), 24.0);  // a quarter inch a level
    block = block.next();
    EXPECT_EQ(block.text(), QStringLiteral("a) inner"));
    EXPECT_DOUBLE_EQ(block.blockFormat().leftMargin(), 48.0);
    block = block.next();
    EXPECT_EQ(block.text(), QStringLiteral("2. second"));
    EXPECT_DOUBLE_EQ(block.blockFormat().leftMargin(), 96.0);  // its own indent
    EXPECT_EQ(block.next().text(), QStringLiteral("plain"));
    // Saved, the labels are the list's again, not text; the items keep their own indents.
    const rt::Document saved = rt::read_rtf(save_rtf(document)).document;
    EXPECT_EQ(rt::to_text(saved), "1. first\na) inner\n2. second\nplain");
    EXPECT_EQ(saved.paragraphs()[0].format.left_indent, 0);
    EXPECT_EQ(saved.paragraphs()[2].format.left_indent, 1440);

    // List 0 is a list like the others, shown and saved as one.
    QTextDocument zero;
    load_rtf(with_default_font(zero),
             "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}"
             "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls0}}"
             "\\pard\\ls0 first\\par\\pard plain}");
    EXPECT_EQ(zero.begin().text(), QStringLiteral("1. first"));
    EXPECT_DOUBLE_EQ(zero.begin().blockFormat().leftMargin(), 24.0);
    EXPECT_DOUBLE_EQ(zero.begin().next().blockFormat().leftMargin(), 0.0);
    const rt::Document zero_saved = rt::read_rtf(save_rtf(zero)).document;
    EXPECT_EQ(rt::to_text(zero_saved), "1. first\nplain");
    EXPECT_EQ(zero_saved.paragraphs()[0].format.list, 0);
    EXPECT_EQ(zero_saved.paragraphs()[1].format.list, rt::no_list);
}

TEST(RichTextAdapter, ShowsTablesAsTablesAndSavesTheirEditsInTheirRows) {
    const std::string rtf =
        "{\\rtf1 before\\par\\trowd\\trgaph108\\cellx1440\\cellx2880\\pard\\intbl A\\cell "
        "B\\cell\\row"
        "\\trowd\\cellx1440\\pard\\intbl\\itap2 in\\nestcell{\\*\\nesttableprops\\trowd\\cellx720"
        "\\nestrow}\\pard\\intbl C\\cell\\row\\pard after}";
    QTextDocument document;
    load_rtf(with_default_font(document), rtf);
    QTextTable* table = QTextCursor(document.findBlockByNumber(1)).currentTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 2);
    EXPECT_EQ(table->cellAt(0, 1).firstCursorPosition().block().text(), QStringLiteral("B"));
    EXPECT_DOUBLE_EQ(table->format().columnWidthConstraints().front().rawValue(), 96.0);
    QTextCursor in_cell = table->cellAt(1, 0).firstCursorPosition();
    in_cell.movePosition(QTextCursor::NextBlock);  // past the place Qt keeps before a table
    const QTextTable* nested = in_cell.currentTable();
    ASSERT_NE(nested, nullptr);
    EXPECT_NE(nested, table);
    EXPECT_EQ(in_cell.block().text(), QStringLiteral("in"));
    EXPECT_EQ(table->cellAt(1, 0).lastCursorPosition().block().text(), QStringLiteral("C"));

    QTextCursor cell = table->cellAt(0, 1).firstCursorPosition();
    cell.insertText(QStringLiteral("edited "));
    cell.insertBlock();
    cell.insertText(QStringLiteral("two"));
    const rt::Document saved = rt::read_rtf(save_rtf(document)).document;
    EXPECT_EQ(rt::to_text(saved), "before\nA\tedited \ntwoB\nin\nC\nafter");
    EXPECT_EQ(saved.paragraphs()[3].table.row, "\\trowd\\trgaph108\\cellx1440\\cellx2880");
    EXPECT_EQ(saved.paragraphs()[4].table.row, "{\\*\\nesttableprops\\trowd\\cellx720\\nestrow}");
    EXPECT_EQ(saved.paragraphs()[5].table.row, "\\trowd\\cellx1440");
}

QByteArray picture_file(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// The image formats of the document's pictures, in order.
std::vector<QTextImageFormat> pictures_of(const QTextDocument& document) {
    std::vector<QTextImageFormat> pictures;
    for (auto it = document.begin().begin(); !it.atEnd(); ++it) {
        if (const QTextCharFormat format = it.fragment().charFormat(); format.isImageFormat()) {
            pictures.push_back(format.toImageFormat());
        }
    }
    return pictures;
}

// How many pixels of the document, drawn on white, come out in about that colour.
int pixels_drawn(QTextDocument& document, QColor color) {
    QImage page(400, 200, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        document.drawContents(&painter);
    }
    int count = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QColor drawn = page.pixelColor(x, y);
            const bool near = std::abs(drawn.red() - color.red()) < 48 &&
                              std::abs(drawn.green() - color.green()) < 48 &&
                              std::abs(drawn.blue() - color.blue()) < 48;
            count += near ? 1 : 0;
        }
    }
    return count;
}

TEST(RichTextAdapter, ShowsPngAndJpegPicturesAndSavesThemAsTheyWere) {
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    std::string groups;
    for (const char* format : {"PNG", "JPG"}) {
        groups += std::string("{\\*\\shppict{\\pict\\") +
                  (format[0] == 'P' ? "pngblip" : "jpegblip") +
                  "\\picw4\\pich2\\picwgoal1440\\pichgoal720\r\n" +
                  picture_file(image, format).toHex().toStdString() +
                  "}}{\\nonshppict{\\pict\\wmetafile8 0102}}";
    }
    // Without a size of the group's, a picture is shown at its file's.
    const std::string own_size =
        "{\\pict\\pngblip " + picture_file(image, "PNG").toHex().toStdString() + "}";
    const std::string rtf = "{\\rtf1 before " + groups + own_size + " after}";
    QTextDocument document;
    load_rtf(with_default_font(document), rtf);
    const std::vector<QTextImageFormat> pictures = pictures_of(document);
    ASSERT_EQ(pictures.size(), 3u);
    for (const QTextImageFormat& picture : pictures) {
        EXPECT_NEAR(picture.width(), 2 * picture.height(), 0.01);
        EXPECT_FALSE(document.resource(QTextDocument::ImageResource, QUrl(picture.name()))
                         .value<QImage>()
                         .isNull());
    }
    EXPECT_EQ(pictures[2].width(), 4);
    EXPECT_EQ(pictures[2].height(), 2);
    EXPECT_EQ(document.toPlainText().remove(QChar::ObjectReplacementCharacter),
              QStringLiteral("before  after"));
    const std::string saved = save_rtf(document);
    EXPECT_NE(saved.find(groups + own_size), std::string::npos) << saved;
    const int red = 2 * 96 * 48;  // the two of the group's size, but their edges
    EXPECT_GE(pixels_drawn(document, Qt::red), red * 9 / 10);
    // Printed from a clone (as Qt prints) once the document holds other pictures.
    load_rtf(document, rtf);
    const std::unique_ptr<QTextDocument> printed(document.clone());
    image.fill(Qt::green);
    load_rtf(document, "{\\rtf1 {\\pict\\pngblip\\picwgoal1440\\pichgoal720 " +
                           picture_file(image, "PNG").toHex().toStdString() + "}}");
    EXPECT_GE(pixels_drawn(*printed, Qt::red), red * 9 / 10);
    EXPECT_EQ(pixels_drawn(document, Qt::red), 0);
    EXPECT_GE(pixels_drawn(document, Qt::green), 96 * 48);
}

TEST(RichTextAdapter, ShowsAPictureThatCannotBeDecodedAsNothing) {
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QByteArray png = picture_file(image, "PNG");
    // The file cut short in its pixels, with and without a size of the group's: shown as blank
    // room of that size (Qt would show its picture of a missing file).
    const std::string pixels_cut = png.left(png.indexOf("IDAT") + 6).toHex().toStdString() + "}";
    const std::string cut = "{\\pict\\pngblip " + pixels_cut;
    const std::string sized_cut = "{\\pict\\pngblip\\picwgoal1440\\pichgoal720 " + pixels_cut;
    QTextDocument document;
    load_rtf(with_default_font(document), "{\\rtf1 " + cut + " " + sized_cut + "}");
    const std::vector<QTextImageFormat> pictures = pictures_of(document);
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].width(), 4);
    EXPECT_EQ(pictures[1].width(), 96);
    EXPECT_EQ(pixels_drawn(document, Qt::white), 400 * 200);
    EXPECT_NE(save_rtf(document).find(cut + " " + sized_cut), std::string::npos);
    // Bytes whose header is none of a picture's are kept, not shown.
    const std::string no_picture = "{\\pict\\jpegblip 0102030405}";
    load_rtf(document, "{\\rtf1 a" + no_picture + "b}");
    EXPECT_TRUE(pictures_of(document).empty());
    EXPECT_NE(save_rtf(document).find("a" + no_picture + "b"), std::string::npos);
}

TEST(RichTextAdapter, ListsFootnotesAfterTheTextWithoutSavingThemAsText) {
    const std::string rtf =
        "{\\rtf1 One{\\super\\chftn}{\\footnote\\pard\\plain{\\super\\chftn} First note.\\par"
        " More of it.} two{\\super\\chftn}{\\*\\footnote\\chftn\\~Second.}\\par end}";
    QTextDocument document;
    load_rtf(with_default_font(document), rtf);
    const QTextBlock last = document.lastBlock();
    EXPECT_EQ(last.text(), QStringLiteral("2. \u00A0Second."));
    EXPECT_EQ(last.previous().text(), QStringLiteral("1. First note. More of it."));
    EXPECT_EQ(last.previous().previous().text(), QStringLiteral("end"));
    const rt::Document read = rt::read_rtf(rtf).document;
    EXPECT_EQ(testing::dump(rt::read_rtf(save_rtf(document)).document),
              testing::dump(as_the_window_keeps_it(read)));
    EXPECT_EQ(rt::footnote_text("{\\footnotes x}"), "");
}

TEST(RichTextAdapter, SavesEditsAndTheUnsetPropertiesFromTheDefaultFont) {
    QTextDocument document;
    with_default_font(document).setPlainText(QStringLiteral("typed\ntext"));
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 2);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setForeground(QColor(1, 2, 3));
    cursor.mergeCharFormat(bold);
    EXPECT_EQ(testing::dump(rt::read_rtf(save_rtf(document)).document),
              "[Courier New 8 #010203 b] ty\n[Courier New 8] ped\nP Courier New 8\n"
              "[Courier New 8] text\nP Courier New 8\n");
}

}  // namespace
}  // namespace qlx::document

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
