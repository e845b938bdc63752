#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFontComboBox>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <functional>

#include "document/font_dialog.h"
#include "document/format_commands.h"
#include "document/frm_document.h"
#include "document/rich_text_box.h"

using qlx::document::FontChoice;
using qlx::document::FontDialog;
using qlx::document::frmDocument;
using qlx::document::RichTextBox;

namespace {

void select(RichTextBox& box, int start, int end) {
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
}

void select_word(RichTextBox& box, const QString& word) {
    const auto start = static_cast<int>(box.toPlainText().indexOf(word));
    QVERIFY(start >= 0);
    select(box, start, start + static_cast<int>(word.size()));
}

// "B", "I", "U" or "-" per character of the document, for bold, italic, underline or none.
QString attributes(const RichTextBox& box) {
    QString marks;
    QTextCursor cursor(box.document());
    while (!cursor.atEnd()) {
        cursor.movePosition(QTextCursor::NextCharacter);
        const QTextCharFormat format = cursor.charFormat();
        QString mark;
        if (format.fontWeight() > QFont::Medium) {
            mark += QLatin1Char('B');
        }
        if (format.fontItalic()) {
            mark += QLatin1Char('I');
        }
        if (format.fontUnderline()) {
            mark += QLatin1Char('U');
        }
        marks += mark.isEmpty() ? QStringLiteral("-") : mark;
        marks += QLatin1Char(' ');
    }
    return marks.trimmed();
}

// Runs `act` on the font dialog if one opens while `command` runs, and tells whether one did.
bool with_font_dialog(const std::function<void()>& command,
                      const std::function<void(FontDialog&)>& act) {
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<FontDialog*>(QApplication::activeModalWidget())) {
            shown = true;
            act(*dialog);
        }
    });
    command();
    QCoreApplication::processEvents();
    return shown;
}

}  // namespace

class FormatCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void toggles_turn_the_selection_over_and_back() {
        frmDocument form;
        RichTextBox& box = *form.RichTextBox1();
        box.setText(QStringLiteral("ab cd"));
        select_word(box, QStringLiteral("cd"));
        qlx::document::toggle_bold(&form);
        QCOMPARE(attributes(box), QStringLiteral("- - - B B"));
        qlx::document::toggle_italic(&form);
        qlx::document::toggle_underline(&form);
        QCOMPARE(attributes(box), QStringLiteral("- - - BIU BIU"));
        qlx::document::toggle_bold(&form);
        qlx::document::toggle_italic(&form);
        qlx::document::toggle_underline(&form);
        QCOMPARE(attributes(box), QStringLiteral("- - - - -"));
        QCOMPARE(box.toPlainText(), QStringLiteral("ab cd"));
    }

    void bold_twice_leaves_a_bold_word_bold() {
        frmDocument form;
        RichTextBox& box = *form.RichTextBox1();
        box.setText(QStringLiteral("xy"));
        select(box, 0, 1);
        box.setSelBold(true);
        qlx::document::toggle_bold(&form);
        QCOMPARE(attributes(box), QStringLiteral("- -"));
        qlx::document::toggle_bold(&form);
        QCOMPARE(attributes(box), QStringLiteral("B -"));
    }

    void a_toggle_on_a_mixed_selection_applies_to_all_of_it() {
        frmDocument form;
        RichTextBox& box = *form.RichTextBox1();
        box.setText(QStringLiteral("abc"));
        select(box, 0, 1);
        box.setSelBold(true);
        select(box, 0, 2);  // the caret after the plain "b"
        qlx::document::toggle_bold(&form);
        QCOMPARE(attributes(box), QStringLiteral("B B -"));
        select(box, 3, 1);  // the caret after the bold "a"
        qlx::document::toggle_bold(&form);
        QCOMPARE(attributes(box), QStringLiteral("B - -"));
    }

    void cut_and_paste_move_plain_text_between_windows() {
        frmDocument source;
        frmDocument target;
        source.RichTextBox1()->setText(QStringLiteral("keep MOVE keep"));
        select_word(*source.RichTextBox1(), QStringLiteral("MOVE"));
        source.RichTextBox1()->setSelBold(true);
        source.RichTextBox1()->setSelColor(Qt::red);
        qlx::document::cut_selection(&source);
        QCOMPARE(source.RichTextBox1()->toPlainText(), QStringLiteral("keep  keep"));
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(data->formats(), QStringList{QStringLiteral("text/plain")});
        QCOMPARE(data->text(), QStringLiteral("MOVE"));

        RichTextBox& box = *target.RichTextBox1();
        box.setText(QStringLiteral("[]"));
        select(box, 0, 1);
        box.setSelItalic(true);
        select(box, 1, 1);  // the caret after the italic "["
        qlx::document::paste_text(&target);
        QCOMPARE(box.toPlainText(), QStringLiteral("[MOVE]"));
        QCOMPARE(attributes(box), QStringLiteral("I I I I I -"));
        select_word(box, QStringLiteral("MOVE"));
        QCOMPARE(box.SelColor(), box.palette().color(QPalette::Text));
    }

    void copy_with_nothing_selected_empties_the_clipboard() {
        QGuiApplication::clipboard()->setText(QStringLiteral("earlier"));
        frmDocument form;
        form.RichTextBox1()->setText(QStringLiteral("text"));
        qlx::document::copy_selection(&form);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
        QCOMPARE(form.RichTextBox1()->toPlainText(), QStringLiteral("text"));
    }

    void lines_travel_through_the_clipboard_as_lines() {
        frmDocument form;
        RichTextBox& box = *form.RichTextBox1();
        box.setText(QStringLiteral("one\r\ntwo\r\nthree"));
        select(box, 0, 7);
        qlx::document::copy_selection(&form);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("one\ntwo"));
        QGuiApplication::clipboard()->setText(QStringLiteral("a\r\nb\rc"));
        select(box, 0, 0);
        qlx::document::paste_text(&form);
        QCOMPARE(box.document()->blockCount(), 5);
        QCOMPARE(box.toPlainText(), QStringLiteral("a\nb\ncone\ntwo\nthree"));
    }

    void commands_without_a_document_do_nothing() {
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        qlx::document::cut_selection(nullptr);
        qlx::document::copy_selection(nullptr);
        qlx::document::paste_text(nullptr);
        qlx::document::toggle_bold(nullptr);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
        QVERIFY(!with_font_dialog([] { qlx::document::choose_font(nullptr, nullptr); },
                                  [](FontDialog& dialog) { dialog.reject(); }));
    }

    void font_dialog_shows_the_selection_and_applies_all_six_on_ok() {
        frmDocument form;
        RichTextBox& box = *form.RichTextBox1();
        box.setText(QStringLiteral("one two three"));
        select_word(box, QStringLiteral("two"));
        box.setSelColor(QColor(0x00, 0x00, 0x80));
        box.setSelUnderline(true);
        FontChoice shown;
        const FontChoice chosen{
            QStringLiteral("Times New Roman"), 14, QColor(0xFF, 0, 0), true, true, false};
        QVERIFY(with_font_dialog([&] { qlx::document::choose_font(&form, nullptr); },
                                 [&](FontDialog& dialog) {
                                     shown = dialog.choice();
                                     dialog.font_name->setEditText(chosen.name);
                                     dialog.font_size->setCurrentText(QStringLiteral("14"));
                                     dialog.font_color->setCurrentIndex(
                                         dialog.font_color->findText(QStringLiteral("Red")));
                                     dialog.bold->setChecked(true);
                                     dialog.italic->setChecked(true);
                                     dialog.underline->setChecked(false);
                                     dialog.accept();
                                 }));
        QCOMPARE(shown, (FontChoice{QStringLiteral("Courier New"), 8.25, QColor(0, 0, 0x80), false,
                                    false, true}));
        QCOMPARE(qlx::document::selection_font(box), chosen);
        QCOMPARE(attributes(box), QStringLiteral("- - - - BI BI BI - - - - - -"));
        select_word(box, QStringLiteral("three"));
        QCOMPARE(qlx::document::selection_font(box).name, QStringLiteral("Courier New"));
        QCOMPARE(qlx::document::selection_font(box).size, 8.25);
    }

    void font_dialog_cancel_changes_nothing() {
        frmDocument form;
        RichTextBox& box = *form.RichTextBox1();
        box.setText(QStringLiteral("one two"));
        select_word(box, QStringLiteral("two"));
        const std::string before = box.TextRTF();
        QVERIFY(with_font_dialog([&] { qlx::document::choose_font(&form, nullptr); },
                                 [](FontDialog& dialog) {
                                     dialog.font_size->setCurrentText(QStringLiteral("30"));
                                     dialog.bold->setChecked(true);
                                     dialog.reject();
                                 }));
        QCOMPARE(box.TextRTF(), before);
    }

    void font_dialog_is_not_shown_for_a_mixed_selection() {
        frmDocument form;
        RichTextBox& box = *form.RichTextBox1();
        box.setText(QStringLiteral("one two"));
        select_word(box, QStringLiteral("two"));
        box.setSelFontName(QStringLiteral("Arial"));
        select(box, 0, 7);
        QVERIFY(qlx::document::selection_format_varies(box));
        const std::string before = box.TextRTF();
        QVERIFY(!with_font_dialog([&] { qlx::document::choose_font(&form, nullptr); },
                                  [](FontDialog& dialog) { dialog.accept(); }));
        QCOMPARE(box.TextRTF(), before);
        select_word(box, QStringLiteral("two"));
        QVERIFY(!qlx::document::selection_format_varies(box));
    }

    void font_dialog_keeps_an_unnamed_colour_as_custom() {
        const FontChoice initial{QStringLiteral("Arial"), 10, QColor(1, 2, 3), false, false, false};
        FontDialog dialog(initial);
        QCOMPARE(dialog.choice(), initial);
        QCOMPARE(dialog.font_color->currentText(), QStringLiteral("Custom"));
        dialog.select_color(QColor(4, 5, 6));
        QCOMPARE(dialog.font_color->findText(QStringLiteral("Custom")),
                 dialog.font_color->count() - 2);
        QCOMPARE(dialog.font_color->count(), 18);
        QCOMPARE(dialog.choice().color, QColor(4, 5, 6));
    }
};

QTEST_MAIN(FormatCommandsTest)
#include "format_commands_test.moc"
