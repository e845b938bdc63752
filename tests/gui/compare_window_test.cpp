#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

#include "gui_test_support.h"
#include "shell/compare_window.h"
#include "support/export_builder.h"

using qlx::shell::CompareWindow;
using qlx::shell::frmMain;
namespace gt = qlx::gui_testing;

namespace {

using qlx::testing::counted;
using qlx::testing::lines;

std::string procedure(std::string_view name, std::string_view description) {
    return lines({"PROC", name, counted("LAB.C"), "D" + counted("1"), description});
}

std::string export_of(std::initializer_list<std::string> procedures,
                      std::string_view header = "MEDITECH.CUST.RPTS^St. Elsewhere^LAB") {
    std::string text = lines({header});
    for (const std::string& one : procedures) {
        text += one;
    }
    return text;
}

QStringList listed(const QTreeWidget& list) {
    QStringList rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list.topLevelItem(i);
        QStringList cells;
        for (int column = 0; column < 4; ++column) {
            if (!item->text(column).isEmpty()) {
                cells << item->text(column);
            }
        }
        rows << cells.join(' ');
    }
    return rows;
}

}  // namespace

class CompareWindowTest : public QObject {
    Q_OBJECT

private slots:
    void compares_lists_filters_moves_between_changes_and_saves() {
        gt::Sandbox sandbox;
        const QString old_path = sandbox.write(
            "old.qlx", gt::bytes(export_of({procedure("CENSUS", "sorted by location"),
                                            procedure("SAME", "kept"), procedure("GONE", "old"),
                                            procedure("TAT", "first line")})));
        const QString new_path = sandbox.write(
            "new.qlx",
            gt::bytes(export_of({procedure("SAME", "kept"), procedure("CENSUS", "sorted by ward"),
                                 procedure("TAT", "first LINE"), procedure("ADDED", "new")})));
        frmMain window;
        window.MDIForm_Load({});
        window.compare_exports(old_path, new_path);
        auto* compared = window.findChild<CompareWindow*>();
        QVERIFY(compared != nullptr);
        QVERIFY(compared->isVisible());

        // Changed, added and removed; the unchanged one only when asked for.
        QCOMPARE(listed(*compared->list),
                 (QStringList{"CENSUS changed +1 \u22121", "TAT changed +1 \u22121",
                              "ADDED added +11", "GONE removed \u221211"}));
        QCOMPARE(compared->summary->text(),
                 QStringLiteral("2 changed, 1 added, 1 removed, 1 unchanged"));
        compared->show_unchanged->setChecked(true);
        QCOMPARE(compared->list->topLevelItemCount(), 5);
        QTest::keyClicks(compared->filter, QStringLiteral("ta"));
        QCOMPARE(listed(*compared->list), (QStringList{"TAT changed +1 \u22121"}));
        compared->filter->clear();
        compared->show_unchanged->setChecked(false);

        // The first procedure shows inline: its lines marked, the changed words emphasised.
        compared->list->setCurrentItem(compared->list->topLevelItem(0));
        QTextDocument& shown = *compared->view->document();
        const QString text = shown.toPlainText();
        QVERIFY2(text.contains(QStringLiteral("-sorted by location\n+sorted by ward")),
                 qPrintable(text));
        QTextBlock removed = shown.begin();
        while (removed.isValid() && !removed.text().startsWith(QLatin1Char('-'))) {
            removed = removed.next();
        }
        QVERIFY(removed.isValid());
        bool emphasised = false;
        for (auto it = removed.begin(); !it.atEnd(); ++it) {
            if (it.fragment().text() == QStringLiteral("location")) {
                emphasised = it.fragment().charFormat().fontWeight() == QFont::Bold;
            }
        }
        QVERIFY(emphasised);

        // F7 goes to the change, then on to the next procedure's; Shift+F7 back.
        compared->view->moveCursor(QTextCursor::Start);
        QVERIFY(compared->next_change());
        QCOMPARE(compared->view->textCursor().block().text(),
                 QStringLiteral("-sorted by location"));
        QVERIFY(compared->next_change());
        QCOMPARE(compared->list->currentItem()->text(0), QStringLiteral("TAT"));
        QCOMPARE(compared->view->textCursor().block().text(), QStringLiteral("-first line"));
        QVERIFY(compared->next_change(true));
        QCOMPARE(compared->list->currentItem()->text(0), QStringLiteral("CENSUS"));
        // An added procedure, all one change from its first line, opens there and stays.
        compared->list->setCurrentItem(compared->list->topLevelItem(2));
        QCOMPARE(compared->list->currentItem()->text(0), QStringLiteral("ADDED"));
        QCOMPARE(compared->view->textCursor().blockNumber(), 0);
        compared->list->setCurrentItem(compared->list->topLevelItem(0));

        // Side by side: the two texts in line, the removed line beside the added one.
        compared->side_by_side->setChecked(true);
        QVERIFY(compared->new_view->isVisible());
        QCOMPARE(compared->view->document()->blockCount(),
                 compared->new_view->document()->blockCount());
        const QStringList old_side = compared->view->document()->toPlainText().split('\n');
        const QStringList new_side = compared->new_view->document()->toPlainText().split('\n');
        const qsizetype at = old_side.indexOf(QStringLiteral("sorted by location"));
        QVERIFY(at >= 0);
        QCOMPARE(new_side[at], QStringLiteral("sorted by ward"));

        // Saved as RTF with its colours: light red and light green in the colour table.
        const std::string rtf = compared->rtf(CompareWindow::Scope::shown);
        QVERIFY(rtf.starts_with("{\\rtf1"));
        QVERIFY2(rtf.find("\\red255\\green228\\blue228") != std::string::npos, rtf.c_str());
        QVERIFY2(rtf.find("\\red226\\green250\\blue226") != std::string::npos, rtf.c_str());
        QVERIFY(rtf.find("+sorted by ") != std::string::npos);
        QVERIFY(rtf.find("ward") != std::string::npos);
        const std::string html = compared->html(CompareWindow::Scope::shown);
        QVERIFY(html.find("+sorted by ") != std::string::npos);
        QVERIFY(html.find("ward") != std::string::npos);
    }

    void the_header_is_compared_once_above_the_procedures() {
        gt::Sandbox sandbox;
        const std::string header = "MEDITECH.CUST.RPTS^St. Elsewhere^LAB^LIVE^JS^";
        const QString old_path =
            sandbox.write("old.qlx", gt::bytes(export_of({procedure("A", "x"), procedure("B", "y")},
                                                         header + "2026-11-02")));
        const QString new_path =
            sandbox.write("new.qlx", gt::bytes(export_of({procedure("A", "x"), procedure("B", "y")},
                                                         header + "2026-12-01")));
        frmMain window;
        window.MDIForm_Load({});
        window.compare_exports(old_path, new_path);
        auto* compared = window.findChild<CompareWindow*>();
        QVERIFY(compared != nullptr);
        QVERIFY(compared->header->isVisible());
        QCOMPARE(compared->header->text(),
                 QStringLiteral("Export header: date 2026-11-02 \u2192 2026-12-01"));
        QCOMPARE(compared->list->topLevelItemCount(), 0);
        QCOMPARE(compared->summary->text(),
                 QStringLiteral("0 changed, 0 added, 0 removed, 2 unchanged"));
        // An unchanged procedure shows without the header.
        compared->show_unchanged->setChecked(true);
        compared->list->setCurrentItem(compared->list->topLevelItem(0));
        QVERIFY(!compared->view->toPlainText().contains(QStringLiteral("2026")));
        QVERIFY(compared->view->toPlainText().contains(QStringLiteral("Procedure")));

        // The same header: nothing said of it.
        window.compare_exports(old_path, old_path);
        QCOMPARE(window.findChildren<CompareWindow*>().size(), 2);
        for (CompareWindow* each : window.findChildren<CompareWindow*>()) {
            QCOMPARE(each->header->isVisible(), each == compared);
        }
    }

    void the_window_says_what_is_what_and_saves_the_whole_comparison() {
        gt::Sandbox sandbox;
        const std::string long_name = "LAB.C.A.PROCEDURE.WITH.A.NAME.FAR.TOO.LONG.FOR.ITS.COLUMN";
        const QString old_path = sandbox.write(
            "old.qlx", gt::bytes(export_of({procedure("CENSUS", "sorted by location"),
                                            procedure(long_name, "x"), procedure("GONE", "old")})));
        const QString new_path = sandbox.write(
            "new.qlx",
            gt::bytes(export_of({procedure("CENSUS", "sorted by ward"), procedure(long_name, "y"),
                                 procedure("ADDED", "new")})));
        frmMain window;
        window.MDIForm_Load({});
        // The two file dialogs say which export each asks for.
        QStringList titles;
        QStringList answers{old_path, new_path, sandbox.path("whole.rtf")};
        window.dlgCommonDialog.set_chooser([&](qlx::shell::CommonDialog::Kind, const QString&) {
            titles << window.dlgCommonDialog.DialogTitle;
            return qlx::shell::CommonDialog::Choice(answers.takeFirst());
        });
        window.findChild<QAction*>(QStringLiteral("mnuFileCompare"))->trigger();
        QCOMPARE(titles, (QStringList{"Old export", "New export"}));
        auto* compared = window.findChild<CompareWindow*>();
        QVERIFY(compared != nullptr);
        QCOMPARE(compared->old_heading->text(), QStringLiteral("\u2212 old.qlx    + new.qlx"));

        // A long name: the whole of it in the column, which the user can widen, and its tooltip.
        QTreeWidgetItem* long_entry = compared->list->topLevelItem(1);
        QCOMPARE(long_entry->text(0), QString::fromStdString(long_name));
        QCOMPARE(long_entry->toolTip(0), QString::fromStdString(long_name));
        QCOMPARE(compared->list->header()->sectionResizeMode(0), QHeaderView::Interactive);
        QVERIFY(compared->list->columnWidth(0) >=
                compared->list->fontMetrics().horizontalAdvance(long_entry->text(0)));

        // Side by side, each side under its export's name.
        QTest::mouseClick(compared->side_by_side, Qt::LeftButton, {},
                          compared->side_by_side->rect().center());
        QVERIFY(compared->side_by_side->isChecked());
        QCOMPARE(compared->old_heading->text(), QStringLiteral("old.qlx"));
        QCOMPARE(compared->new_heading->text(), QStringLiteral("new.qlx"));
        QVERIFY(compared->new_heading->isVisible());

        // Save As takes the whole comparison when asked to: the summary, then each procedure
        // that differs.
        compared->scope->setFocus();
        QTest::keyClick(compared->scope, Qt::Key_Down);
        QCOMPARE(compared->chosen_scope(), CompareWindow::Scope::whole);
        QToolButton* save_button = nullptr;
        for (QToolButton* button : compared->findChildren<QToolButton*>()) {
            save_button = button->text() == QStringLiteral("Save &As...") ? button : save_button;
        }
        QVERIFY(save_button != nullptr);
        QTest::mouseClick(save_button, Qt::LeftButton);
        const QByteArray saved = gt::read_all(sandbox.path("whole.rtf"));
        QVERIFY2(saved.startsWith("{\\rtf1"), saved.constData());
        qsizetype at = 0;
        for (const char* expected :
             {"Compare ", "2 changed, 1 added, 1 removed, 0 unchanged",
              "changed CENSUS (+1 -1 lines)", "-sorted by ", "+sorted by ",
              "changed LAB.C.A.PROCEDURE", "added ADDED", "+new", "removed GONE", "-old"}) {
            const qsizetype found = saved.indexOf(expected, at);
            QVERIFY2(found >= 0, expected);
            at = found;
        }
        // As HTML, the whole comparison is the report page: the summary links to each
        // procedure that differs, here the removed one.
        const std::string page = compared->html(CompareWindow::Scope::whole);
        const std::size_t link = page.find(">GONE</a>");
        QVERIFY(link != std::string::npos);
        const std::size_t target = page.rfind("href=\"#", link);
        const std::string anchor =
            page.substr(target + 7, page.find('"', target + 7) - (target + 7));
        QVERIFY(page.find("id=\"" + anchor + "\"") != std::string::npos);
        QVERIFY(page.find("<style>") != std::string::npos);
        QVERIFY(compared->html(CompareWindow::Scope::shown).find("removed GONE") ==
                std::string::npos);
    }

    void an_export_that_cannot_be_compared_is_named() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        const QString good = sandbox.write("good.qlx", gt::bytes(export_of({procedure("A", "x")})));
        const QString plain = sandbox.write("plain.txt", "just text");
        frmMain window;
        window.MDIForm_Load({});
        window.compare_exports(good, plain);
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].contains(QStringLiteral("plain.txt")));
        QVERIFY(messages.texts[0].contains(QStringLiteral("not an export")));
        QVERIFY(window.findChild<CompareWindow*>() == nullptr);
    }
};

QTEST_MAIN(CompareWindowTest)
#include "compare_window_test.moc"
