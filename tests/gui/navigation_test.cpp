#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTreeView>
#include <QTreeWidget>
#include <QWheelEvent>

#include "document/rich_text_box.h"
#include "gui_test_support.h"
#include "shell/find_bar.h"
#include "shell/find_results.h"
#include "shell/procedures_panel.h"
#include "support/export_builder.h"

using qlx::shell::FindResults;
using qlx::shell::FindResultsModel;
using qlx::shell::frmMain;
namespace gt = qlx::gui_testing;

namespace {

qlx::document::RichTextBox& active_box(const frmMain& window) {
    return *window.active_document()->RichTextBox1();
}

QLineEdit* find_field(const frmMain& window) {
    return window.findChild<QLineEdit*>(QStringLiteral("find_text"));
}

QString needles_export(const gt::Sandbox& sandbox, const char* name = "needles.qlx") {
    using qlx::testing::counted;
    return sandbox.write(
        name, gt::bytes(qlx::testing::lines(
                  {"MEDITECH.CUST.RPTS^NPR^Hospital", "PROC", "ONE", counted("LAB.C"),
                   "D" + counted("1"), "find the needle here", "PROC", "TWO", counted("LAB.C"),
                   "D" + counted("1"), "nothing", "PROC", "THREE", counted("LAB.C"),
                   "D" + counted("1"), "needle and NEEDLE, needles"})));
}

QString outcome(const frmMain& window) {
    return window.findChild<QLabel*>(QStringLiteral("find_outcome"))->text();
}

// The entries under an item, one a line, indented by their depth below it.
QStringList entries_under(const QTreeWidgetItem* item, const QString& indent = QString()) {
    QStringList lines;
    for (int i = 0; i < item->childCount(); ++i) {
        lines << indent + item->child(i)->text(0);
        lines << entries_under(item->child(i), indent + QStringLiteral("  "));
    }
    return lines;
}

// Clicks an entry of the tree as the user would.
void click(QTreeWidget& tree, QTreeWidgetItem* item) {
    tree.scrollToItem(item);
    const QRect place = tree.visualItemRect(item);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, place.center());
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

class NavigationTest : public QObject {
    Q_OBJECT

private slots:
    void the_outline_shows_each_procedures_headings_and_follows_the_cursor();
    void one_export_opened_twice_is_listed_twice();
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
        const QString path = needles_export(sandbox);
        frmMain window;
        window.MDIForm_Load({path});
        window.new_document();
        active_box(window).setText(QStringLiteral("a\nneedle"));
        const QList<QMdiSubWindow*> documents = gt::document_windows(window);
        QVERIFY(gt::form_of(documents[0])->text_deferred());

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
        QVERIFY(gt::form_of(documents[0])->text_deferred());
        QVERIFY(gt::form_of(documents[1])->text_deferred());

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

        // Run again, the search lists the same matches once; another word replaces them.
        window.findChild<QAction*>(QStringLiteral("find_all"))->trigger();
        QVERIFY(finished.count() == 2 || finished.wait(5000));
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(results->summary->text(), QStringLiteral("\"needle\": 4 matches in 3 documents"));
        find_field(window)->setText(QStringLiteral("nothing"));
        window.findChild<QAction*>(QStringLiteral("find_all"))->trigger();
        QVERIFY(finished.count() == 3 || finished.wait(5000));
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("TWO"));
        QCOMPARE(results->summary->text(), QStringLiteral("\"nothing\": 1 match in 1 document"));
        find_field(window)->setText(QStringLiteral("needle"));
        window.findChild<QAction*>(QStringLiteral("find_all"))->trigger();
        QVERIFY(finished.count() == 4 || finished.wait(5000));
        QCOMPARE(model.rowCount(), 4);

        // Closing a document greys its results, which can no longer be chosen.
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        active_box(window).setFocus();
        QTest::keyClick(&active_box(window), Qt::Key_F4, Qt::ControlModifier);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::sendPostedEvents();
        QVERIFY(!gt::captions(window).contains(QStringLiteral("THREE")));
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.flags(model.index(1, 0)), Qt::NoItemFlags);
        QCOMPARE(model.flags(model.index(2, 2)), Qt::NoItemFlags);
        QVERIFY(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEnabled));
        QCOMPARE(results->summary->text(),
                 QStringLiteral("\"needle\": 4 matches in 3 documents; 1 document closed since "
                                "(greyed)"));
        const QString active_before = window.active_document()->caption();
        list->setFocus();
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualRect(model.index(1, 0)).center());
        QCOMPARE(window.active_document()->caption(), active_before);
    }

    void zoom_changes_the_view_and_nothing_else() {
        gt::Sandbox sandbox;
        frmMain window;
        window.MDIForm_Load({needles_export(sandbox)});
        qlx::document::RichTextBox& box = active_box(window);
        auto* zoom_panel = window.findChild<QLabel*>(QStringLiteral("status_zoom"));
        QCOMPARE(zoom_panel->text(), QStringLiteral("100%"));
        const std::string rtf = box.TextRTF();
        const QString text = box.Text();
        const auto height = [&] {
            return box.document()->documentLayout()->documentSize().height();
        };
        const qreal actual = height();
        QPrinter before;
        before.setOutputFormat(QPrinter::PdfFormat);
        before.setOutputFileName(sandbox.path("before.pdf"));
        box.SelPrint(before);

        window.findChild<QAction*>(QStringLiteral("mnuViewZoomIn"))->trigger();
        window.findChild<QAction*>(QStringLiteral("mnuViewZoomIn"))->trigger();
        QCOMPARE(box.zoom(), 125);
        QWheelEvent wheel(QPointF(5, 5), box.viewport()->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(box.viewport(), &wheel);
        QCOMPARE(box.zoom(), 150);
        QCOMPARE(zoom_panel->text(), QStringLiteral("150%"));
        QVERIFY2(height() > actual * 1.3,
                 qPrintable(QStringLiteral("%1 %2").arg(height()).arg(actual)));

        // What is saved, copied and printed is as it was.
        QCOMPARE(box.TextRTF(), rtf);
        QCOMPARE(box.Text(), text);
        QVERIFY(!window.active_document()->is_edited());
        QPrinter after;
        after.setOutputFormat(QPrinter::PdfFormat);
        after.setOutputFileName(sandbox.path("after.pdf"));
        box.SelPrint(after);
        QCOMPARE(QFileInfo(sandbox.path("after.pdf")).size(),
                 QFileInfo(sandbox.path("before.pdf")).size());

        // Each window has its own zoom; the status bar shows the active one's.
        auto* area = window.findChild<QMdiArea*>();
        area->setActiveSubWindow(gt::document_windows(window)[0]);
        QCOMPARE(zoom_panel->text(), QStringLiteral("100%"));
        for (int i = 0; i < 20; ++i) {
            window.mnuViewZoomOut_Click();
        }
        QCOMPARE(active_box(window).zoom(), qlx::document::RichTextBox::min_zoom);
        area->setActiveSubWindow(gt::document_windows(window)[2]);
        QCOMPARE(zoom_panel->text(), QStringLiteral("150%"));
        window.findChild<QAction*>(QStringLiteral("mnuViewActualSize"))->trigger();
        QCOMPARE(box.zoom(), 100);
        QCOMPARE(height(), actual);
    }

    void the_procedures_panel_lists_filters_and_activates() {
        gt::Sandbox sandbox;
        {
            frmMain window;
            window.MDIForm_Load({needles_export(sandbox)});
            QAction* toggle = window.findChild<QAction*>(QStringLiteral("mnuWindowProcedures"));
            QVERIFY(!toggle->isChecked());
            toggle->trigger();
            auto* panel = window.findChild<qlx::shell::ProceduresPanel*>();
            QVERIFY(panel->isVisible());
            window.openfile(needles_export(sandbox, "second.qlx"));
            window.openfile(sandbox.write("notes.txt", "a note"));
            window.new_document();
            panel->refresh();
            const auto listed = [&] {
                QStringList lines;
                for (QTreeWidgetItemIterator it(panel->tree, QTreeWidgetItemIterator::NotHidden);
                     *it; ++it) {
                    lines << QString((*it)->parent() != nullptr ? "  " : "") + (*it)->text(0);
                }
                return lines;
            };
            const QString notes = QStringLiteral("notes.txt");
            QCOMPARE(listed(),
                     (QStringList{"needles.qlx", "  ONE", "  TWO", "  THREE", "second.qlx", "  ONE",
                                  "  TWO", "  THREE", notes, "Document 1"}));
            // Typing narrows the list; an export's name keeps all its procedures.
            QTest::keyClicks(panel->filter, QStringLiteral("t"));
            QCOMPARE(listed(), (QStringList{"needles.qlx", "  TWO", "  THREE", "second.qlx",
                                            "  TWO", "  THREE", notes, "Document 1"}));
            panel->filter->setText(QStringLiteral("SECOND"));
            QCOMPARE(listed(), (QStringList{"second.qlx", "  ONE", "  TWO", "  THREE"}));
            panel->filter->setText(QStringLiteral("tw"));
            QCOMPARE(listed(), (QStringList{"needles.qlx", "  TWO", "second.qlx", "  TWO"}));
            // Activating an entry activates its window.
            QTreeWidgetItem* two = panel->tree->topLevelItem(0)->child(1);
            emit panel->tree->itemActivated(two, 0);
            QCOMPARE(window.active_document()->caption(), QStringLiteral("TWO"));
            QCOMPARE(window.active_document()->source().path,
                     QDir(sandbox.path("")).absoluteFilePath("needles.qlx"));
            // It follows windows closing.
            panel->filter->clear();
            window.mnuFileClose_Click();
            panel->refresh();
            QCOMPARE(listed().mid(0, 3), (QStringList{"needles.qlx", "  ONE", "  THREE"}));
            window.close();
        }
        // It comes back at the next start.
        frmMain window;
        window.MDIForm_Load({});
        QVERIFY(window.findChild<QAction*>(QStringLiteral("mnuWindowProcedures"))->isChecked());
        QVERIFY(window.findChild<qlx::shell::ProceduresPanel*>()->isVisible());
    }
};

void NavigationTest::the_outline_shows_each_procedures_headings_and_follows_the_cursor() {
    gt::Sandbox sandbox;
    frmMain window;
    window.resize(1000, 700);
    window.MDIForm_Load({});
    window.show();
    window.findChild<QAction*>(QStringLiteral("mnuWindowProcedures"))->trigger();
    auto* panel = window.findChild<qlx::shell::ProceduresPanel*>();
    window.openfile(QStringLiteral(QLX_EXAMPLES_DIR "/sample.qlx"));
    panel->refresh();
    QTreeWidget& tree = *panel->tree;
    QTreeWidgetItem* sample = tree.topLevelItem(0);
    QCOMPARE(sample->text(0), QStringLiteral("sample.qlx"));
    QCOMPARE(sample->childCount(), 4);
    // The active procedure (the last) shows its outline; the others have theirs made only
    // when they are expanded, and one without headings has none.
    QTreeWidgetItem* specimens = sample->child(3);
    QCOMPARE(specimens->text(0), QStringLiteral("LAB.C.SPECIMEN.LIST"));
    QVERIFY(specimens->isExpanded());
    QCOMPARE(
        entries_under(specimens),
        (QStringList{"Report LAB.C.SPECIMEN.LIST", "  Documentation", "  Fields",
                     "  Selection Relationship", "  Sort Fields", "  Selection Fields", "  Picture",
                     "  Report Lines", "  Footnotes", "  Other", "Macro spec.count", "Screen",
                     "  Custom Select Field Attributes", "  Custom Select Picture"}));
    QCOMPARE(sample->child(0)->childCount(), 0);
    QCOMPARE(sample->child(0)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    QCOMPARE(sample->child(1)->childIndicatorPolicy(),
             QTreeWidgetItem::DontShowIndicatorWhenChildless);
    // Right arrow on the first procedure expands it: its entries are made then.
    tree.setFocus();
    tree.setCurrentItem(sample->child(0));
    QTest::keyClick(&tree, Qt::Key_Right);
    QVERIFY(sample->child(0)->isExpanded());
    QCOMPARE(
        entries_under(sample->child(0)),
        (QStringList{"Description", "Report LAB.C.DAILY.CENSUS", "Macro census.total", "Screen"}));

    // A click on a heading shows it at the top of its document.
    qlx::document::RichTextBox& box = active_box(window);
    QTreeWidgetItem* fields = specimens->child(0)->child(1);
    click(tree, fields);
    QCOMPARE(window.active_document()->caption(), QStringLiteral("LAB.C.SPECIMEN.LIST"));
    QCOMPARE(box.textCursor().block().text(), QStringLiteral("Fields "));
    QCOMPARE(box.cursorRect().top() < box.viewport()->height() / 4, true);
    QCOMPARE(tree.currentItem(), fields);
    // In the other procedure's outline, a click goes to that window.
    click(tree, sample->child(0)->child(2));
    QCOMPARE(window.active_document()->caption(), QStringLiteral("LAB.C.DAILY.CENSUS"));
    QCOMPARE(active_box(window).textCursor().block().text(), QStringLiteral("Macrocensus.total"));

    // As the cursor moves, the entry of the heading it is under is selected.
    QMdiArea* area = window.findChild<QMdiArea*>();
    area->setActiveSubWindow(gt::document_windows(window).last());
    box.setFocus();
    box.moveCursor(QTextCursor::Start);
    QCOMPARE(tree.currentItem(), specimens);
    QTest::keyClick(&box, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(tree.currentItem()->text(0), QStringLiteral("Custom Select Picture"));
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(&box, Qt::Key_Up);
    }
    QCOMPARE(tree.currentItem()->text(0), QStringLiteral("Custom Select Field Attributes"));
    QTest::keyClick(&box, Qt::Key_PageUp);
    QTest::keyClick(&box, Qt::Key_PageUp);
    QVERIFY(tree.currentItem() != nullptr);
    const int block = box.textCursor().blockNumber();
    QCOMPARE(window.active_document()->outline().front().paragraph <= block,
             tree.currentItem() != specimens);

    // Another window active: its procedure opens, the one opened for the last closes.
    area->setActiveSubWindow(gt::document_windows(window).at(2));
    QVERIFY(!specimens->isExpanded());
    QVERIFY(sample->child(2)->isExpanded());
    QVERIFY(sample->child(0)->isExpanded());  // opened by the user, it stays
}

void NavigationTest::one_export_opened_twice_is_listed_twice() {
    gt::Sandbox sandbox;
    frmMain window;
    window.MDIForm_Load({});
    window.findChild<QAction*>(QStringLiteral("mnuWindowProcedures"))->trigger();
    auto* panel = window.findChild<qlx::shell::ProceduresPanel*>();
    const QString path = needles_export(sandbox);
    window.openfile(path);
    window.openfile(path);
    panel->refresh();
    QCOMPARE(panel->tree->topLevelItemCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const QTreeWidgetItem* opening = panel->tree->topLevelItem(i);
        QVERIFY2(opening->text(0).startsWith(QStringLiteral("needles.qlx (opened ")),
                 qPrintable(opening->text(0)));
        QCOMPARE(opening->childCount(), 3);
    }
    // Closing one opening's windows leaves the other's entry as it was named.
    for (QMdiSubWindow* sub : gt::document_windows(window).mid(0, 3)) {
        sub->close();
    }
    panel->refresh();
    QCOMPARE(panel->tree->topLevelItemCount(), 1);
    QCOMPARE(panel->tree->topLevelItem(0)->text(0), QStringLiteral("needles.qlx"));
}

QTEST_MAIN(NavigationTest)
#include "navigation_test.moc"
