#include <QColor>
#include <QEvent>
#include <QScrollBar>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include "document/frm_document.h"
#include "document/plain_text.h"
#include "document/rich_text_box.h"
#include "document/twips.h"
#include "gui_test_support.h"

using qlx::document::frmDocument;
using qlx::document::RichTextBox;
namespace gt = qlx::gui_testing;

namespace {

// Notes the control's geometry at the moment it is first shown.
class ShowWatcher : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !seen) {
            seen = true;
            geometry = static_cast<QWidget*>(watched)->geometry();
        }
        return false;
    }
    bool seen = false;
    QRect geometry;
};

void select(RichTextBox& box, int from, int to) {
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
}

}  // namespace

class DocumentWindowTest : public QObject {
    Q_OBJECT

private slots:
    void the_control_keeps_a_margin_of_50_twips() {
        if (frmDocument().logicalDpiX() != 96) {
            QSKIP("the sizes below are whole pixels at 96 dots per inch");
        }
        frmDocument form;
        form.resize(300, 200);  // 4500 x 3000 twips
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.RichTextBox1()->geometry(), QRect(3, 3, 293, 193));
        form.resize(4, 4);  // 60 twips: too small for the margins
        QCOMPARE(form.RichTextBox1()->geometry(), QRect(3, 3, 293, 193));
        form.resize(400, 300);
        QCOMPARE(form.RichTextBox1()->geometry(), QRect(3, 3, 393, 293));

        // The sizes every window takes from its twips, rounded to the nearest pixel.
        using qlx::document::pixels_to_twips;
        using qlx::document::twips_to_pixels;
        QCOMPARE(twips_to_pixels(50, 96), 3);
        QCOMPARE(twips_to_pixels(1000, 96), 67);
        QCOMPARE(twips_to_pixels(6500, 96), 433);
        QCOMPARE(twips_to_pixels(50000, 96), 3333);
        QCOMPARE(twips_to_pixels(1440, 120), 120);
        QCOMPARE(pixels_to_twips(3, 96), 45.0);
        QCOMPARE(pixels_to_twips(120, 120), 1440.0);
    }

    void a_new_window_is_laid_out_before_it_shows() {
        frmDocument form;
        ShowWatcher watcher;
        form.RichTextBox1()->installEventFilter(&watcher);
        form.resize(500, 400);
        form.show();
        QVERIFY(watcher.seen);
        if (form.logicalDpiX() == 96) {
            QCOMPARE(watcher.geometry, QRect(3, 3, 493, 393));
        } else {
            QVERIFY(watcher.geometry.isValid());
        }
    }

    void long_lines_are_not_wrapped() {
        frmDocument form;
        form.resize(200, 150);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        RichTextBox& box = *form.RichTextBox1();
        box.setText(QString(150, QLatin1Char('x')));
        QCOMPARE(box.document()->blockCount(), 1);
        QCOMPARE(box.document()->firstBlock().layout()->lineCount(), 1);
        QCOMPARE(box.lineWrapColumnOrWidth(),
                 qlx::document::twips_to_pixels(50000, box.logicalDpiX()));
        QVERIFY(box.horizontalScrollBar()->maximum() > 0);
        QCOMPARE(box.font().family(), QStringLiteral("Courier New"));
        QCOMPARE(box.font().pointSizeF(), 8.25);

        // A word processor's document with centred paragraphs wraps at the window's edge, so
        // that they show centred; a report again keeps its columns.
        box.setTextRTF("{\\rtf1\\qc Title\\par\\pard " + std::string(300, 'y') + "}");
        QCOMPARE(box.lineWrapMode(), QTextEdit::WidgetWidth);
        QVERIFY(box.document()->lastBlock().layout()->lineCount() > 1);
        box.setTextRTF("{\\rtf1 " + std::string(150, 'x') + "}");
        QCOMPARE(box.lineWrapMode(), QTextEdit::FixedPixelWidth);
        QCOMPARE(box.document()->firstBlock().layout()->lineCount(), 1);
    }

    void text_uses_crlf_and_selection_properties_act_on_the_selection() {
        RichTextBox box;
        box.setText(QStringLiteral("one\r\ntwo\rthree\nfour"));
        QCOMPARE(box.Text(), QStringLiteral("one\r\ntwo\r\nthree\r\nfour"));
        select(box, 2, 6);
        QCOMPARE(box.SelText(), QStringLiteral("e\r\ntw"));
        QCOMPARE(box.SelLength(), 4);
        QVERIFY(!box.SelBold());
        box.setSelBold(true);
        box.setSelItalic(true);
        box.setSelUnderline(true);
        box.setSelColor(QColor(Qt::red));
        box.setSelFontName(QStringLiteral("Arial"));
        box.setSelFontSize(14);
        select(box, 3, 5);
        QVERIFY(box.SelBold());
        QVERIFY(box.SelItalic());
        QVERIFY(box.SelUnderline());
        QCOMPARE(box.SelColor(), QColor(Qt::red));
        QCOMPARE(box.SelFontName(), QStringLiteral("Arial"));
        QCOMPARE(box.SelFontSize(), 14.0);
        select(box, 8, 9);
        QVERIFY(!box.SelBold());
        QCOMPARE(box.SelFontName(), QStringLiteral("Courier New"));
        box.setSelText(QStringLiteral("T"));
        QCOMPARE(box.Text(), QStringLiteral("one\r\ntwo\r\nThree\r\nfour"));

        // A non-breaking space stays one, in the text and in the selection.
        box.setTextRTF("{\\rtf1 a\\~b\\par c}");
        QCOMPARE(box.Text(), QString::fromUtf8("a\u00A0b\r\nc"));
        select(box, 0, 3);
        QCOMPARE(box.SelText(), QString::fromUtf8("a\u00A0b"));
        // A line break inside a paragraph is a line end of the text; a picture is not text.
        box.setText(QStringLiteral("ab"));
        QTextCursor cursor(box.document());
        cursor.setPosition(1);
        cursor.insertText(QString(QChar::LineSeparator));
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::green);
        cursor.insertImage(picture);
        QCOMPARE(box.Text(), QStringLiteral("a\r\nb"));
    }

    void loading_rtf_puts_the_caret_at_the_start() {
        gt::Sandbox sandbox;
        QString long_text;
        for (int line = 0; line < 200; ++line) {
            long_text += QStringLiteral("line %1\\par\n").arg(line);
        }
        const QString path =
            sandbox.write("long.rtf", "{\\rtf1\\ansi " + long_text.toLatin1() + "}");
        frmDocument form;
        form.resize(300, 200);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.RichTextBox1()->LoadFile(path));
        QCOMPARE(form.RichTextBox1()->textCursor().position(), 0);
        QCOMPARE(form.RichTextBox1()->verticalScrollBar()->value(), 0);
        QVERIFY(form.RichTextBox1()->Text().startsWith(QStringLiteral("line 0\r\nline 1\r\n")));
    }

    void load_file_reports_why_and_keeps_the_content() {
        gt::Sandbox sandbox;
        RichTextBox box;
        box.setText(QStringLiteral("kept"));
        const auto loaded = box.LoadFile(sandbox.path("missing.rtf"));
        QVERIFY(!loaded);
        QVERIFY(loaded.error().contains(QStringLiteral("No such file")));
        QCOMPARE(box.Text(), QStringLiteral("kept"));
        const QString text = sandbox.write("text.txt", "{\\rtf1 not read as RTF}\n\xFF");
        QVERIFY(box.LoadFile(text, qlx::document::FileFormat::text));
        QCOMPARE(box.Text(), QStringLiteral("{\\rtf1 not read as RTF}\r\nÿ"));
    }

    void plain_text_is_utf8_when_valid_else_windows1252() {
        using qlx::document::decode_plain_text;
        QCOMPARE(decode_plain_text("\xEF\xBB\xBFna\xC3\xAFve"), QStringLiteral("naïve"));
        QCOMPARE(decode_plain_text("na\xEFve \x93quoted\x94"), QStringLiteral("naïve “quoted”"));
        QCOMPARE(decode_plain_text("cut \xC3"), QStringLiteral("cut Ã"));
        QCOMPARE(decode_plain_text(QByteArray("a\0b", 3)), QStringView(u"a\0b", 3).toString());
    }
};

QTEST_MAIN(DocumentWindowTest)
#include "document_window_test.moc"
