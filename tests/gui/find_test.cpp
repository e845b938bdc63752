#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTreeView>

#include "document/rich_text_box.h"
#include "gui_test_support.h"
#include "shell/find_bar.h"
#include "shell/find_results.h"
#include "support/export_builder.h"

using qlx::shell::FindResults;
using qlx::shell::FindResultsModel;
using qlx::shell::frmMain;
namespace gt = qlx::gui_testing;

namespace {

qlx::document::RichTextBox& active_box(const frmMain& window) {
    return *window.active_document()->RichTextBox1;
}

QLineEdit* find_field(const frmMain& window) {
    return window.findChild<QLineEdit*>(QStringLiteral("find_text"));
}

QString outcome(const frmMain& window) {
    return window.findChild<QLabel*>(QStringLiteral("find_outcome"))->text();
}

// Where the selection is: "line:column=text".
QString selection(const frmMain& window) {
    const QTextCursor cursor = active_box(window).textCursor();
    const QTextBlock block = active_box(window).document()->findBlock(cursor.selectionStart());
    return QStringLiteral("%1:%2=%3")
        .arg(block.blockNumber() + 1)
        .arg(cursor.selectionStart() - block.position())
        .arg(cursor.selectedText());
}

}  // namespace

class FindTest : public QObject {
    Q_OBJECT

private slots:
    void the_find_bar_finds_forwards_backwards_and_round() {
        gt::Sandbox sandbox;
        frmMain window;
        window.MDIForm_Load({});
        window.new_document();
        active_box(window).setText(
            QStringLiteral("Patient one\npatient two\nPATIENT three\npatients four"));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        active_box(window).setFocus();
        QTest::keyClick(&active_box(window), Qt::Key_F, Qt::ControlModifier);
        QLineEdit* field = find_field(window);
        QVERIFY(field->isVisible());
        QCOMPARE(QApplication::focusWidget(), field);
        QTest::keyClicks(field, QStringLiteral("patient"));
        QStringList found;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(field, Qt::Key_Return);
            found << selection(window) + "|" + outcome(window);
        }
        QCOMPARE(found, (QStringList{"1:0=Patient|", "2:0=patient|", "3:0=PATIENT|", "4:0=patient|",
                                     "1:0=Patient|Went on from the start"}));
        QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(selection(window) + "|" + outcome(window),
                 QStringLiteral("4:0=patient|Went on from the end"));

        // Whole words leaves "patients" out; Match case leaves "Patient" and "PATIENT" out.
        window.findChild<QCheckBox*>(QStringLiteral("find_whole_words"))->setChecked(true);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(selection(window), QStringLiteral("1:0=Patient"));
        window.findChild<QCheckBox*>(QStringLiteral("find_match_case"))->setChecked(true);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(selection(window), QStringLiteral("2:0=patient"));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(selection(window) + "|" + outcome(window),
                 QStringLiteral("2:0=patient|Went on from the start"));

        // Nothing found says so and keeps the selection.
        field->setText(QStringLiteral("absent"));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(selection(window) + "|" + outcome(window),
                 QStringLiteral("2:0=patient|No matches"));

        // Escape closes the bar and gives the document the keys; F3 goes on without the bar.
        field->setText(QStringLiteral("four"));
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!field->isVisible());
        QCOMPARE(QApplication::focusWidget(), &active_box(window));
        QTest::keyClick(&active_box(window), Qt::Key_F3);
        QCOMPARE(selection(window), QStringLiteral("4:9=four"));
        QTest::keyClick(&active_box(window), Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(selection(window) + "|" + outcome(window),
                 QStringLiteral("4:9=four|Went on from the end"));
    }

    void find_all_lists_every_match_without_building_documents_never_shown() {
        gt::Sandbox sandbox;
        using qlx::testing::counted;
        const QString path = sandbox.write(
            "needles.qlx",
            gt::bytes(qlx::testing::lines(
                {"MEDITECH.CUST.RPTS^NPR^Hospital", "PROC", "ONE", counted("LAB.C"),
                 "D" + counted("1"), "find the needle here", "PROC", "TWO", counted("LAB.C"),
                 "D" + counted("1"), "nothing", "PROC", "THREE", counted("LAB.C"),
                 "D" + counted("1"), "needle and NEEDLE, needles"})));
        frmMain window;
        window.MDIForm_Load({path});
        window.new_document();
        active_box(window).setText(QStringLiteral("a\nneedle"));
        const QList<QMdiSubWindow*> documents = gt::document_windows(window);
        QVERIFY(gt::form_of(documents[0])->RichTextBox1->text_deferred());

        window.mnuEditFind_Click();
        find_field(window)->setText(QStringLiteral("needle"));
        window.findChild<QCheckBox*>(QStringLiteral("find_whole_words"))->setChecked(true);
        auto* results = window.findChild<FindResults*>();
        QSignalSpy finished(results, &FindResults::finished);
        window.findChild<QAction*>(QStringLiteral("find_all"))->trigger();
        QVERIFY(finished.count() == 1 || finished.wait(5000));
        QVERIFY(results->isVisible());

        QStringList rows;
        const FindResultsModel& model = *results->results;
        for (int row = 0; row < model.rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model.columnCount(); ++column) {
                cells << model.index(row, column).data().toString();
            }
            const QPoint match = model.index(row, 2).data(FindResultsModel::match_role).toPoint();
            rows << cells.join('|') + QStringLiteral(" @%1+%2").arg(match.x()).arg(match.y());
        }
        QCOMPARE(rows.size(), 4);
        QVERIFY2(rows[0].startsWith(QStringLiteral("ONE|")) &&
                     rows[0].endsWith(QStringLiteral("|find the needle here @9+6")),
                 qPrintable(rows[0]));
        QVERIFY2(rows[1].startsWith(QStringLiteral("THREE|")) &&
                     rows[1].endsWith(QStringLiteral("|needle and NEEDLE, needles @0+6")),
                 qPrintable(rows[1]));
        QVERIFY2(rows[2].endsWith(QStringLiteral("|needle and NEEDLE, needles @11+6")),
                 qPrintable(rows[2]));
        QCOMPARE(rows[3], QStringLiteral("Document 1|2|needle @0+6"));
        QCOMPARE(results->summary->text(), QStringLiteral("\"needle\": 4 matches in 3 documents"));
        // The documents never looked at were searched as they wait.
        QVERIFY(gt::form_of(documents[0])->RichTextBox1->text_deferred());
        QVERIFY(gt::form_of(documents[1])->RichTextBox1->text_deferred());

        // Choosing a result shows its document with the match selected.
        auto* list = results->list;
        list->setCurrentIndex(model.index(2, 0));
        emit list->activated(model.index(2, 0));
        QCOMPARE(window.active_document()->caption(), QStringLiteral("THREE"));
        QCOMPARE(active_box(window).textCursor().selectedText(), QStringLiteral("NEEDLE"));
        const QString line = rows[2].section('|', 1, 1);
        const QTextCursor cursor = active_box(window).textCursor();
        QCOMPARE(active_box(window).document()->findBlock(cursor.position()).blockNumber() + 1,
                 line.toInt());
    }
};

QTEST_MAIN(FindTest)
#include "find_test.moc"
