#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVersionNumber>

#include <functional>
#include <limits>
#include <utility>

#include "dialogs/frm_about.h"
#include "dialogs/more_windows.h"
#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "document/twips.h"
#include "gui_test_support.h"
#include "shell/compare_window.h"
#include "shell/find_results.h"
#include "shell/help_window.h"
#include "shell/printing.h"
#include "shell/procedures_panel.h"
#include "shell/window_arrangement.h"

using qlx::shell::frmMain;
namespace gt = qlx::gui_testing;

namespace {

struct Entry {
    QString name;
    QString text;
    QKeySequence shortcut = {};
    bool enabled = true;
};

const QString separator = QStringLiteral("-");

// name, caption, shortcut and state of every entry, menu by menu.
const QList<std::pair<Entry, QList<Entry>>> menu_table{
    {{"mnuFile", "&File"},
     {{"mnuFileNew", "&New", QKeySequence("Ctrl+N")},
      {"mnuFileOpen", "&Open QLX FIle", QKeySequence("Ctrl+O")},
      {"mnuFileText", "Open &Text File"},
      {"mnuFileClose", "&Close", QKeySequence("Ctrl+F4")},
      {"mnuFileCompare", "Co&mpare Exports..."},
      {"mnuFilePublish", "Pu&blish as Web Site..."},
      {"mnuFileBar1", separator},
      {"mnuFileSave", "&Save", QKeySequence("Ctrl+S")},
      {"mnuFileSaveAs", "Save &As..."},
      {"mnuFileBar2", separator},
      {"mnuFilePageSetup", "Page Set&up..."},
      {"mnuFilePrintPreview", "Print Pre&view"},
      {"mnuFilePrint", "&Print...", QKeySequence("Ctrl+P")},
      {"mnuFileBar4", separator},
      {"mnuFileExit", "E&xit"}}},
    {{"mnuEdit", "&Edit"},
     {{"mnuEditUndo", "&Undo", QKeySequence("Ctrl+Z")},
      {"mnuEditRedo", "&Redo", QKeySequence("Ctrl+Y")},
      {"mnuEditBar0", separator},
      {"mnuEditCut", "Cu&t", QKeySequence("Ctrl+X")},
      {"mnuEditCopy", "&Copy", QKeySequence("Ctrl+C")},
      {"mnuEditPaste", "&Paste", QKeySequence("Ctrl+V")},
      {"mnuEditSelectAll", "Select &All", QKeySequence("Ctrl+A")},
      {"mnuEditFind", "&Find...", QKeySequence("Ctrl+F")},
      {"mnuEditFindNext", "Find &Next", QKeySequence("F3")},
      {"mnuEditFindPrevious", "Find Pre&vious", QKeySequence("Shift+F3")}}},
    {{"mnuView", "&View"},
     {{"mnuViewZoomIn", "Zoom &In", QKeySequence("Ctrl++")},
      {"mnuViewZoomOut", "Zoom &Out", QKeySequence("Ctrl+-")},
      {"mnuViewActualSize", "&Actual Size", QKeySequence("Ctrl+0")}}},
    {{"mnuFormat", "F&ormat"},
     {{"mnuFormatFont", "&Font"},
      {"mnuFormatBar1", separator},
      {"mnuFormatBold", "&Bold", QKeySequence("Ctrl+B")},
      {"mnuFormatItalics", "&Italics", QKeySequence("Ctrl+I")},
      {"mnuFormatUnderline", "&Underline", QKeySequence("Ctrl+U")}}},
    {{"mnuWindow", "&Window"},
     {{"mnuWindowNewWindow", "&New Window"},
      {"mnuWindowBar1", separator},
      {"mnuWindowCascade", "&Cascade"},
      {"mnuWindowTileHorizontal", "Tile &Horizontal"},
      {"mnuWindowTileVertical", "Tile &Vertical"},
      {"mnuWindowArrangeIcons", "&Arrange Icons"},
      {"mnuWindowTabbedView", "&Tabbed View"},
      {"mnuWindowProcedures", "&Procedures"},
      {"mnuWindowCloseAll", "C&lose All"},
      {"mnuWindowBar2", separator},
      {"mnuWindowNext", "Ne&xt Window", QKeySequence("Ctrl+F6")},
      {"mnuWindowPrevious", "Pre&vious Window", QKeySequence("Ctrl+Shift+F6")}}},
    {{"mnuHelp", "&Help"},
     {{"mnuHelpContents", "&Contents", QKeySequence("F1")},
      {"mnuHelpSearch", "&Search For Help On..."},
      {"mnuHelpBar1", separator},
      {"mnuHelpAbout", "&About qlx_viewer3..."}}},
};

const QStringList tool_bar_table{"New",   "Open", "Save", "-",      "Print",     "-", "Cut", "Copy",
                                 "Paste", "-",    "Bold", "Italic", "Underline", "-", "Find"};

Entry entry_of(const QAction* action) {
    return {action->objectName(), action->isSeparator() ? separator : action->text(),
            action->shortcut(), action->isEnabled()};
}

QString describe(const Entry& entry) {
    return QStringLiteral("%1 \"%2\" %3%4")
        .arg(entry.name, entry.text, entry.shortcut.toString(),
             entry.enabled ? QString() : QStringLiteral(" disabled"));
}

QToolBar* tool_bar(const frmMain& window) {
    return window.findChild<QToolBar*>(QStringLiteral("tbToolBar"));
}

QAction* menu_entry(const frmMain& window, const QString& name) {
    return window.findChild<QAction*>(name);
}

void click_button(const frmMain& window, const QString& key) {
    for (QAction* action : tool_bar(window)->actions()) {
        if (action->data().toString() == key) {
            qobject_cast<QToolButton*>(tool_bar(window)->widgetForAction(action))->click();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no button ") + key));
}

qlx::document::RichTextBox& active_box(const frmMain& window) {
    return *window.active_document()->RichTextBox1();
}

// A shown main window with one document holding `text`, its last word selected.
struct Viewer {
    explicit Viewer(const QString& text) {
        window.MDIForm_Load({});
        window.mnuFileNew_Click();
        qlx::document::RichTextBox& box = active_box(window);
        box.setText(text);
        QTextCursor cursor = box.textCursor();
        cursor.movePosition(QTextCursor::End);
        cursor.movePosition(QTextCursor::PreviousWord, QTextCursor::KeepAnchor);
        box.setTextCursor(cursor);
    }

    frmMain window;
};

// Everything a command may change: windows, their text and format, clipboard, saved file.
QString outcome(const frmMain& window, const QString& saved) {
    QStringList parts = gt::captions(window);
    if (window.active_document() != nullptr) {
        const qlx::document::RichTextBox& box = active_box(window);
        parts << QString::fromStdString(box.TextRTF()) << box.SelText();
    }
    parts << QApplication::clipboard()->text() << QString::fromLatin1(gt::read_all(saved));
    return parts.join(QStringLiteral("\n---\n"));
}

QList<QRect> geometries(const frmMain& window) {
    QList<QRect> result;
    for (const QMdiSubWindow* document : gt::document_windows(window)) {
        result << document->geometry();
    }
    return result;
}

// Shows the main window with `count` new documents.
void open_documents(frmMain& window, int count) {
    window.MDIForm_Load({});
    for (int i = 0; i < count; ++i) {
        window.new_document();
    }
}

// The Window menu's entries for the document windows, after its own commands.
QList<QAction*> listed_windows(const QMenu* menu) {
    const QList<QAction*> actions = menu->actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        if (actions[i]->objectName() == QLatin1String("mnuWindowPrevious")) {
            return actions.mid(i + 1);
        }
    }
    return {};
}

QRect workspace(const frmMain& window) {
    return window.findChild<QMdiArea*>()->viewport()->rect();
}

}  // namespace

class MenusTest : public QObject {
    Q_OBJECT

private slots:
    void menu_bar_matches_the_table() {
        gt::Sandbox sandbox;
        frmMain window;
        window.MDIForm_Load({});
        const QList<QAction*> menus = window.menuBar()->actions();
        QCOMPARE(menus.size(), menu_table.size());
        for (qsizetype m = 0; m < menus.size(); ++m) {
            const auto& [menu, entries] = menu_table[m];
            QCOMPARE(menus[m]->text(), menu.text);
            QCOMPARE(menus[m]->menu()->objectName(), menu.name);
            QStringList actual;
            QStringList expected;
            for (const QAction* action : menus[m]->menu()->actions()) {
                actual << describe(entry_of(action));
            }
            for (const Entry& entry : entries) {
                expected << describe(entry);
            }
            QCOMPARE(actual, expected);
        }
    }

    void tool_bar_matches_the_table() {
        gt::Sandbox sandbox;
        frmMain window;
        window.MDIForm_Load({});
        QToolBar* bar = tool_bar(window);
        QVERIFY(bar != nullptr);
        QStringList keys;
        for (QAction* action : bar->actions()) {
            if (action->isSeparator()) {
                keys << separator;
                continue;
            }
            keys << action->data().toString();
            QCOMPARE(action->toolTip(), action->data().toString());
            QVERIFY(action->isEnabled());
            QVERIFY(!action->isCheckable());
            QVERIFY(!action->icon().isNull());
            // Sharp on screens of twice and three times the density too.
            QCOMPARE(action->icon().availableSizes(),
                     (QList<QSize>{QSize(16, 16), QSize(32, 32), QSize(48, 48)}));
            QCOMPARE(action->icon().pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
            const auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
        }
        QCOMPARE(keys, tool_bar_table);
        QCOMPARE(window.windowIcon().availableSizes(),
                 (QList<QSize>{QSize(32, 32), QSize(64, 64), QSize(128, 128)}));
        QCOMPARE(bar->height(), qlx::document::twips_to_pixels(420, window.logicalDpiY()));
        QVERIFY(!bar->isMovable());
    }

    void tool_bar_buttons_act_as_their_menu_entries() {
        gt::Sandbox sandbox;
        const QList<std::pair<QString, QString>> pairs{{"New", "mnuFileNew"},
                                                       {"Open", "mnuFileOpen"},
                                                       {"Save", "mnuFileSave"},
                                                       {"Cut", "mnuEditCut"},
                                                       {"Copy", "mnuEditCopy"},
                                                       {"Paste", "mnuEditPaste"},
                                                       {"Bold", "mnuFormatBold"},
                                                       {"Italic", "mnuFormatItalics"},
                                                       {"Underline", "mnuFormatUnderline"}};
        for (const auto& [key, entry] : pairs) {
            QStringList results;
            for (const bool by_button : {false, true}) {
                Viewer viewer(QStringLiteral("alpha beta"));
                const QString saved = sandbox.path(key + QStringLiteral(".rtf"));
                QFile::remove(saved);
                const QString opened = sandbox.write(QStringLiteral("opened.txt"), "opened");
                viewer.window.dlgCommonDialog.set_chooser(
                    [&](qlx::shell::CommonDialog::Kind kind, const QString&) {
                        return kind == qlx::shell::CommonDialog::Kind::open ? opened : saved;
                    });
                QApplication::clipboard()->setText(QStringLiteral("clip"));
                const QString before = outcome(viewer.window, saved);
                if (by_button) {
                    click_button(viewer.window, key);
                } else {
                    menu_entry(viewer.window, entry)->trigger();
                }
                results << outcome(viewer.window, saved);
                QVERIFY2(results.back() != before, qPrintable(key));
            }
            QCOMPARE(results[1], results[0]);
        }
    }

    void print_button_prints_as_the_menu_entry() {
        gt::Sandbox sandbox;
        QStringList printed;
        for (const bool by_button : {false, true}) {
            Viewer viewer(QStringLiteral("alpha beta"));
            const QString pdf = sandbox.path(QStringLiteral("printed.pdf"));
            const auto previous = qlx::shell::set_print_dialog_runner([&](QPrintDialog& dialog) {
                dialog.printer()->setOutputFileName(pdf);
                return true;
            });
            if (by_button) {
                click_button(viewer.window, QStringLiteral("Print"));
            } else {
                menu_entry(viewer.window, QStringLiteral("mnuFilePrint"))->trigger();
            }
            qlx::shell::set_print_dialog_runner(previous);
            QProcess text;
            text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
            QVERIFY(text.waitForFinished());
            printed << QString::fromUtf8(text.readAllStandardOutput()).simplified();
        }
        QCOMPARE(printed, (QStringList{"beta 1", "beta 1"}));
    }

    void help_shows_the_pages_of_the_manuals_and_searches_them() {
        gt::Sandbox sandbox;
        Viewer viewer(QStringLiteral("text"));
        viewer.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&viewer.window));
        active_box(viewer.window).setFocus();
        // F1 in a document: the page of what documents show.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        auto* help = viewer.window.findChild<qlx::shell::HelpWindow*>();
        QVERIFY(help != nullptr);
        QVERIFY(help->isVisible());
        QCOMPARE(help->shown_page(), QStringLiteral("qlx-viewer#COLOURS_AND_SECTIONS"));
        QVERIFY(help->page->toPlainText().contains(QStringLiteral("Custom Select Picture")));
        // The contents: a page for each section of each manual, the places the program's
        // commands are told of among them.
        const QStringList pages = help->page_ids();
        for (const char* id :
             {"qlx-viewer#DESCRIPTION", "qlx-viewer#THE_OUTLINE", "qlx-viewer#FINDING",
              "qlx-viewer#COMPARING_EXPORTS", "qlx-viewer#SAVING", "qlx-viewer#PRINTING",
              "qlx-viewer#KEYS", "qlx-viewer#COMMAND_LINE", "qlx-convert#DESCRIPTION",
              "qlx-convert#OPTIONS", "qlx-convert#EXIT_STATUS"}) {
            QVERIFY2(pages.contains(QLatin1String(id)), id);
        }
        QVERIFY(help->page_text(QStringLiteral("qlx-viewer#DESCRIPTION"))
                    .contains(QStringLiteral("qlx-viewer [FILE...]")));
        // A click on a page in the contents shows it.
        QTreeWidgetItem* keys = nullptr;
        for (QTreeWidgetItemIterator it(help->contents); *it; ++it) {
            keys = (*it)->text(0) == QStringLiteral("Keys") ? *it : keys;
        }
        QVERIFY(keys != nullptr);
        help->contents->scrollToItem(keys);
        QTest::mouseClick(help->contents->viewport(), Qt::LeftButton, {},
                          help->contents->visualItemRect(keys).center());
        QCOMPARE(help->shown_page(), QStringLiteral("qlx-viewer#KEYS"));

        // Help > Search: typed words keep the pages that hold them all.
        menu_entry(viewer.window, QStringLiteral("mnuHelpSearch"))->trigger();
        QCOMPARE(help->focusWidget(), help->search);
        QTest::keyClicks(help->search, QStringLiteral("unified diff"));
        QStringList found;
        for (QTreeWidgetItemIterator it(help->contents, QTreeWidgetItemIterator::NotHidden); *it;
             ++it) {
            if ((*it)->parent() != nullptr) {
                found << (*it)->text(0);
            }
        }
        QCOMPARE(found, (QStringList{"Command line", "Description"}));
        QCOMPARE(help->shown_page(), QStringLiteral("qlx-viewer#COMMAND_LINE"));
        QVERIFY(!help->page->extraSelections().isEmpty());
        QTest::keyClick(help->search, Qt::Key_Return);
        QCOMPARE(help->page->textCursor().selectedText().toLower(), QStringLiteral("unified"));
        QTest::keyClicks(help->search, QStringLiteral(" zebra"));
        QCOMPARE(help->outcome->text(), QStringLiteral("No page holds \"unified diff zebra\""));
        help->close();
    }

    void f1_in_the_comparison_window_opens_its_page() {
        gt::Sandbox sandbox;
        const QString path =
            sandbox.write("one.qlx", "MEDITECH.CUST.RPTS^H\r\nPROC\r\nA\r\n\x01L\r\n");
        frmMain window;
        window.MDIForm_Load({});
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.compare_exports(path, path);
        auto* compared = window.findChild<qlx::shell::CompareWindow*>();
        QVERIFY(compared != nullptr);
        compared->filter->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        auto* help = window.findChild<qlx::shell::HelpWindow*>();
        QVERIFY(help != nullptr);
        QCOMPARE(help->shown_page(), QStringLiteral("qlx-viewer#COMPARING_EXPORTS"));
        QVERIFY(help->page->toPlainText().contains(QStringLiteral("Export header: date")));
    }

    void message_box_buttons_answer_to_their_access_keys() {
        gt::Sandbox sandbox;
        frmMain window;
        window.MDIForm_Load({});
        QStringList buttons;
        // Presses Alt and a letter in the message box once it is up.
        const auto answer_with = [&](Qt::Key letter) {
            QTimer::singleShot(0, &window, [&buttons, letter] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box == nullptr) {
                    buttons << QStringLiteral("no message box");
                    return;
                }
                QStringList texts;
                for (const QAbstractButton* button : box->buttons()) {
                    texts << button->text();
                }
                texts.sort();
                buttons << texts.join(' ');
                box->activateWindow();
                if (QTest::qWaitForWindowActive(box)) {
                    QTest::keyClick(QApplication::focusWidget(), letter, Qt::AltModifier);
                }
                // (A button's letter clicks it as the mouse would, pressed a moment first.)
                if (!QTest::qWaitFor([box] { return !box->isVisible(); })) {
                    buttons << QStringLiteral("not answered");
                    box->reject();
                }
            });
        };
        answer_with(Qt::Key_D);
        QCOMPARE(qlx::shell::ask_to_save(&window, QStringLiteral("Save changes to A?")),
                 qlx::shell::SaveChoice::discard);
        answer_with(Qt::Key_S);
        QCOMPARE(qlx::shell::ask_to_save(&window, QStringLiteral("Save changes to A?")),
                 qlx::shell::SaveChoice::save);
        answer_with(Qt::Key_O);
        qlx::shell::show_message(&window, QStringLiteral("Said."));
        QCOMPARE(buttons,
                 (QStringList{"&Cancel &Don't Save &Save", "&Cancel &Don't Save &Save", "&OK"}));
    }

    void every_option_of_the_manuals_is_in_the_help() {
        gt::Sandbox sandbox;
        frmMain window;
        window.MDIForm_Load({});
        menu_entry(window, QStringLiteral("mnuHelpContents"))->trigger();
        auto* help = window.findChild<qlx::shell::HelpWindow*>();
        QVERIFY(help != nullptr);
        QCOMPARE(help->shown_page(), QStringLiteral("qlx-viewer#DESCRIPTION"));
        // Each option a manual lists (".B \-\-json", ".BI \-U \" N\"") is on its OPTIONS page.
        for (const char* manual : {"qlx-viewer", "qlx-convert"}) {
            QFile file(QStringLiteral(QLX_MANUALS_DIR "/%1.1").arg(QLatin1String(manual)));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
            const qsizetype from = lines.indexOf(QStringLiteral(".SH OPTIONS"));
            QVERIFY(from >= 0);
            const QString page =
                help->page_text(QLatin1String(manual) + QStringLiteral("#OPTIONS"));
            int options = 0;
            for (qsizetype i = from + 1; i < lines.size() && !lines[i].startsWith(".SH"); ++i) {
                if (lines[i] == QLatin1String(".TP")) {
                    QString option = lines[i + 1].section(' ', 1, 1);
                    option.remove(QLatin1Char('\\')).remove(QLatin1Char('"'));
                    QVERIFY2(page.contains(option), qPrintable(option));
                    ++options;
                }
            }
            QVERIFY(options >= 2);
        }
    }

    void commands_without_a_document_do_nothing() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        frmMain window;
        window.MDIForm_Load({});
        int print_dialogs = 0;
        const auto previous = qlx::shell::set_print_dialog_runner([&](QPrintDialog&) {
            ++print_dialogs;
            return false;
        });
        QApplication::clipboard()->setText(QStringLiteral("kept"));
        for (const char* name :
             {"mnuFilePrint", "mnuEditCut", "mnuEditCopy", "mnuEditPaste", "mnuEditFind",
              "mnuFormatFont", "mnuFormatBold", "mnuFormatItalics", "mnuFormatUnderline",
              "mnuWindowCascade", "mnuWindowTileHorizontal", "mnuWindowTileVertical",
              "mnuWindowArrangeIcons"}) {
            menu_entry(window, QLatin1String(name))->trigger();
        }
        for (const char* key : {"Print", "Cut", "Copy", "Paste", "Bold", "Italic", "Underline"}) {
            click_button(window, QLatin1String(key));
        }
        qlx::shell::set_print_dialog_runner(previous);
        QCOMPARE(print_dialogs, 0);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept"));
        QVERIFY(messages.texts.isEmpty());
        QVERIFY(gt::document_windows(window).isEmpty());
    }

    void window_menu_lists_the_documents_and_activates_the_chosen_one() {
        gt::Sandbox sandbox;
        frmMain window;
        open_documents(window, 3);
        const QList<QMdiSubWindow*> documents = gt::document_windows(window);
        qobject_cast<qlx::document::frmDocument*>(documents[0]->widget())
            ->set_caption(QStringLiteral("R&D [*]"));
        window.findChild<QMdiArea*>()->setActiveSubWindow(documents[1]);
        QMenu* menu = window.findChild<QMenu*>(QStringLiteral("mnuWindow"));
        for (int time = 0; time < 2; ++time) {
            emit menu->aboutToShow();
        }
        QStringList listed;
        QAction* third = nullptr;
        for (QAction* action : listed_windows(menu)) {
            listed << (action->isSeparator() ? separator
                                             : action->text() + (action->isChecked() ? "*" : ""));
            third = action;
        }
        QCOMPARE(listed, (QStringList{"-", "&1 R&&D [*]", "&2 Document 2*", "&3 Document 3"}));
        third->trigger();
        QCOMPARE(window.findChild<QMdiArea*>()->currentSubWindow(), documents[2]);
        QCOMPARE(window.active_document()->caption(), QStringLiteral("Document 3"));
    }

    void window_menu_lists_nine_and_the_dialog_finds_the_others() {
        gt::Sandbox sandbox;
        frmMain window;
        open_documents(window, 12);
        QMenu* menu = window.findChild<QMenu*>(QStringLiteral("mnuWindow"));
        emit menu->aboutToShow();
        QStringList listed;
        for (QAction* action : listed_windows(menu).mid(1)) {
            listed << action->text() + (action->isChecked() ? "*" : "");
        }
        QCOMPARE(listed,
                 (QStringList{"&1 Document 1", "&2 Document 2", "&3 Document 3", "&4 Document 4",
                              "&5 Document 5", "&6 Document 6", "&7 Document 7", "&8 Document 8",
                              "&9 Document 9", "&More Windows..."}));
        // The dialog lists all twelve; typing narrows them, Enter activates the one chosen.
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto* dialog =
                qobject_cast<qlx::dialogs::MoreWindowsDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->windows->count(), 12);
            QCOMPARE(dialog->windows->currentItem()->text(), QStringLiteral("Document 12"));
            QTest::keyClicks(dialog->filter, QStringLiteral("ent 1"));
            for (int row = 0; row < dialog->windows->count(); ++row) {
                if (!dialog->windows->item(row)->isHidden()) {
                    shown << dialog->windows->item(row)->text();
                }
            }
            QTest::keyClick(dialog->filter, Qt::Key_Up);
            QTest::keyClick(dialog->filter, Qt::Key_Up);
            QTest::keyClick(dialog->filter, Qt::Key_Return);
        });
        menu_entry(window, QStringLiteral("mnuWindowMore"))->trigger();
        QCOMPARE(shown, (QStringList{"Document 1", "Document 10", "Document 11", "Document 12"}));
        QCOMPARE(window.active_document()->caption(), QStringLiteral("Document 10"));
    }

    void tabbed_view_is_remembered_and_gives_the_windows_back_in_their_places() {
        gt::Sandbox sandbox;
        QList<QRect> places;
        {
            frmMain window;
            open_documents(window, 3);
            auto* area = window.findChild<QMdiArea*>();
            gt::document_windows(window)[1]->showMinimized();
            places = geometries(window);
            menu_entry(window, QStringLiteral("mnuWindowTabbedView"))->trigger();
            QCOMPARE(area->viewMode(), QMdiArea::TabbedView);
            auto* tabs = area->findChild<QTabBar*>();
            QVERIFY(tabs->usesScrollButtons());
            menu_entry(window, QStringLiteral("mnuWindowTabbedView"))->trigger();
            QCOMPARE(area->viewMode(), QMdiArea::SubWindowView);
            QCOMPARE(geometries(window)[0], places[0]);
            QCOMPARE(geometries(window)[2], places[2]);
            QVERIFY(gt::document_windows(window)[1]->isMinimized());
            window.show();
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            menu_entry(window, QStringLiteral("mnuWindowTabbedView"))->trigger();
            tabs = area->findChild<QTabBar*>();
            // The current tab's button closes its window, and the next current tab has it.
            const auto side = static_cast<QTabBar::ButtonPosition>(
                tabs->style()->styleHint(QStyle::SH_TabBar_CloseButtonPosition, nullptr, tabs));
            const auto button_on = [&](int index) {
                return qobject_cast<QAbstractButton*>(tabs->tabButton(index, side));
            };
            const int current = tabs->currentIndex();
            QVERIFY(button_on(current) != nullptr);
            tabs->setCurrentIndex(current == 0 ? 1 : 0);
            QVERIFY(button_on(current) == nullptr);
            QAbstractButton* close = button_on(tabs->currentIndex());
            QVERIFY(close != nullptr && close->isVisible());
            const QString closing = tabs->tabText(tabs->currentIndex());
            close->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(tabs->count(), 2);
            QVERIFY(!gt::captions(window).contains(closing));
            QTRY_VERIFY(button_on(tabs->currentIndex()) != nullptr);
            // Another window is active, shown, with its tab the current one.
            QTRY_VERIFY(area->currentSubWindow() != nullptr);
            QVERIFY(area->currentSubWindow()->isVisible());
            QCOMPARE(area->subWindowList().indexOf(area->currentSubWindow()), tabs->currentIndex());
            window.close();
        }
        frmMain again;
        again.MDIForm_Load({});
        QCOMPARE(again.findChild<QMdiArea*>()->viewMode(), QMdiArea::TabbedView);
        QVERIFY(menu_entry(again, QStringLiteral("mnuWindowTabbedView"))->isChecked());
    }

    // Tabs and back: minimised and maximised windows come back so, and a window whose
    // closing was refused comes back shown.
    void tabbed_view_gives_the_windows_back_as_they_were() {
        gt::Sandbox sandbox;
        frmMain window;
        window.MDIForm_Load({});
        window.resize(900, 700);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        for (int i = 0; i < 3; ++i) {
            window.new_document();
        }
        menu_entry(window, QStringLiteral("mnuWindowTileVertical"))->trigger();
        QCoreApplication::processEvents();
        auto* area = window.findChild<QMdiArea*>();
        const QList<QMdiSubWindow*> all = gt::document_windows(window);
        const QList<QRect> places = geometries(window);
        area->setActiveSubWindow(all[1]);
        gt::form_of(all[1])->RichTextBox1()->insertPlainText(QStringLiteral("x"));
        {
            gt::SaveQuestionRecorder cancel;  // no answer: Cancel
            all[1]->close();
            QCOMPARE(cancel.texts.size(), 1);
        }
        // As tabs, Ctrl+Tab and Ctrl+Shift+Tab go from tab to tab (the windows under the
        // active one are hidden, and the workspace's own keys pass over hidden windows).
        area->setActiveSubWindow(all[2]);
        menu_entry(window, QStringLiteral("mnuWindowTabbedView"))->trigger();
        QCoreApplication::processEvents();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(area->currentSubWindow(), all[0]);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(area->currentSubWindow(), all[2]);
        menu_entry(window, QStringLiteral("mnuWindowTabbedView"))->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(menu_entry(window, QStringLiteral("mnuWindowNext"))->shortcuts().size(), 1);

        const auto tabs_and_back = [&] {
            for (int twice = 0; twice < 2; ++twice) {
                menu_entry(window, QStringLiteral("mnuWindowTabbedView"))->trigger();
                QCoreApplication::processEvents();
            }
        };
        tabs_and_back();
        QCOMPARE(gt::shown_when_settled(window), QString());
        QVERIFY(all[1]->isVisible());

        all[0]->showMinimized();
        all[2]->showMaximized();
        QCoreApplication::processEvents();
        tabs_and_back();
        QVERIFY(all[0]->isMinimized());
        QVERIFY(all[2]->isMaximized());
        QCOMPARE(area->currentSubWindow(), all[2]);
        all[2]->showNormal();
        QCOMPARE(all[2]->geometry(), places[2]);
        QCOMPARE(gt::shown_when_settled(window), QString());
    }

    void an_export_of_hundreds_opens_every_window_listed_reachable_and_arranged() {
        gt::Sandbox sandbox;
        constexpr int count = 300;
        constexpr int made_at_once = 50;
        const QString path = gt::many_procedures_export(sandbox, count);
        frmMain window;
        window.resize(800, 600);
        // All but the last 50 procedures' windows wait to be made.
        window.set_windows_made_at_once(made_at_once);
        window.MDIForm_Load({path});
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* area = window.findChild<QMdiArea*>();
        qlx::shell::DocumentWindows& listed = window.document_windows();
        const QList<QMdiSubWindow*> documents = gt::document_windows(window);
        QCOMPARE(documents.size(), made_at_once);
        QCOMPARE(listed.size(), count);
        // One window per procedure, in export order, the last on top and active; the stack
        // is the export's order, those waiting under the others.
        QStringList expected;
        for (int n = 1; n <= count; ++n) {
            expected << QStringLiteral("P%1").arg(n);
        }
        QCOMPARE(gt::captions(window), expected);
        QCOMPARE(area->subWindowList(QMdiArea::StackingOrder), documents);
        QCOMPARE(gt::form_of(documents.front())->caption(),
                 QStringLiteral("P%1").arg(count - made_at_once + 1));
        QCOMPARE(area->currentSubWindow(), documents.back());
        QVERIFY(documents.back()->isVisible());
        QCOMPARE(window.active_document()->RichTextBox1()->Text().contains(QStringLiteral("P300")),
                 true);
        // Only the windows that can be seen are shown; the others wait unbuilt beneath.
        QCOMPARE(gt::shown_when_settled(window), QString());
        QVERIFY(documents.front()->isHidden());
        int built = 0;
        for (const QMdiSubWindow* document : documents) {
            built += gt::form_of(document)->text_deferred() ? 0 : 1;
        }
        QVERIFY2(built < 40, qPrintable(QString::number(built)));

        // The window of a procedure, nullptr while it waits to be made.
        const auto made = [&](int index) -> QMdiSubWindow* {
            return listed.entries()[index].window;
        };
        // Every route reaches a window beneath the others, made or waiting: it comes forward,
        // on top and active, with its text shown and taking the keys, and what is shown
        // follows. The list keeps its order.
        const auto reached = [&](int index, const char* route) {
            QCoreApplication::processEvents();
            const QString shown = gt::shown_when_settled(window);
            QMdiSubWindow* sub = made(index);
            const qlx::document::frmDocument* form = sub != nullptr ? gt::form_of(sub) : nullptr;
            return form != nullptr && area->currentSubWindow() == sub && sub->isVisible() &&
                           area->subWindowList(QMdiArea::StackingOrder).back() == sub &&
                           window.active_document()->caption() ==
                               QStringLiteral("P%1").arg(index + 1) &&
                           form->has_text_box() && form->RichTextBox1()->isVisible() &&
                           form->RichTextBox1()->Text().contains(
                               QStringLiteral("P%1").arg(index + 1)) &&
                           window.focusWidget() == form->RichTextBox1() && shown.isEmpty() &&
                           gt::captions(window) == expected
                       ? QString()
                       : QStringLiteral("%1: %2 %3")
                             .arg(QLatin1String(route))
                             .arg(index)
                             .arg(shown);
        };
        QMenu* menu = window.findChild<QMenu*>(QStringLiteral("mnuWindow"));
        emit menu->aboutToShow();
        QVERIFY(made(1) == nullptr);
        listed_windows(menu)[2]->trigger();  // "&2 P2"
        QCOMPARE(reached(1, "Window menu"), QString());
        menu_entry(window, QStringLiteral("mnuWindowPrevious"))->trigger();
        QCOMPARE(reached(0, "Previous Window"), QString());
        menu_entry(window, QStringLiteral("mnuWindowPrevious"))->trigger();
        QCOMPARE(reached(count - 1, "Previous Window, round"), QString());
        QVERIFY(made(150) == nullptr);
        QTimer::singleShot(0, [] {
            auto* dialog =
                qobject_cast<qlx::dialogs::MoreWindowsDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->windows->count(), count);
            QTest::keyClicks(dialog->filter, QStringLiteral("P151"));
            QTest::keyClick(dialog->filter, Qt::Key_Return);
        });
        emit menu->aboutToShow();
        menu_entry(window, QStringLiteral("mnuWindowMore"))->trigger();
        QCOMPARE(reached(150, "More Windows"), QString());
        QVERIFY(made(151) == nullptr);
        menu_entry(window, QStringLiteral("mnuWindowNext"))->trigger();
        QCOMPARE(reached(151, "Next Window"), QString());
        auto* panel = window.findChild<qlx::shell::ProceduresPanel*>();
        window.findChild<QAction*>(QStringLiteral("mnuWindowProcedures"))->trigger();
        panel->refresh();
        const auto panel_entry = [&](int index) {
            const auto found = panel->tree->findItems(QStringLiteral("P%1").arg(index + 1),
                                                      Qt::MatchExactly | Qt::MatchRecursive);
            return found.size() == 1 ? found.front() : nullptr;
        };
        QVERIFY(made(200) == nullptr);
        emit panel->tree->itemActivated(panel_entry(200), 0);
        QCOMPARE(reached(200, "Procedures panel"), QString());
        // A waiting procedure's outline is there before its window is.
        QVERIFY(made(10) == nullptr);
        QCOMPARE(panel_entry(10)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
        panel_entry(10)->setExpanded(true);
        QVERIFY(panel_entry(10)->childCount() > 0);
        QVERIFY(made(10) == nullptr);
        window.mnuEditFind_Click();
        window.findChild<QLineEdit*>(QStringLiteral("find_text"))
            ->setText(QStringLiteral("of P120"));
        auto* results = window.findChild<qlx::shell::FindResults*>();
        QSignalSpy finished(results, &qlx::shell::FindResults::finished);
        window.findChild<QAction*>(QStringLiteral("find_all"))->trigger();
        QVERIFY(finished.count() == 1 || finished.wait(5000));
        QCOMPARE(results->results->rowCount(), 1);
        QVERIFY(made(119) == nullptr);
        emit results->list->activated(results->results->index(0, 0));
        QCOMPARE(reached(119, "Find All"), QString());
        panel->refresh();
        emit panel->tree->itemActivated(panel_entry(200), 0);
        QCOMPARE(reached(200, "Procedures panel"), QString());

        // The arrangements lay out every window in the workspace (those waiting are given
        // their places), and show only those not under others.
        for (const char* arrangement :
             {"mnuWindowCascade", "mnuWindowTileHorizontal", "mnuWindowTileVertical"}) {
            menu_entry(window, QLatin1String(arrangement))->trigger();
            QCoreApplication::processEvents();
            const QRect space = area->viewport()->rect();
            QCOMPARE(gt::shown_when_settled(window), QString());
            for (const QMdiSubWindow* document : gt::document_windows(window)) {
                QVERIFY2(space.contains(document->geometry()), arrangement);
            }
            for (const auto& waiting : listed.waiting()) {
                QVERIFY2(space.contains(waiting->place), arrangement);
            }
            QCOMPARE(area->currentSubWindow(), made(200));
            QCOMPARE(gt::captions(window), expected);
        }
        // Icons: windows minimised from beneath line up along the bottom, shown, in the
        // documents' order (one made at open among those that waited).
        const QList<qlx::shell::DocumentWindows::Entry> entries = listed.entries();
        for (int index : {260, 3, 4, 5}) {
            listed.window(entries[index])->showMinimized();
        }
        menu_entry(window, QStringLiteral("mnuWindowArrangeIcons"))->trigger();
        QCoreApplication::processEvents();
        const QRect space = area->viewport()->rect();
        int lowest = 0;
        std::pair last{std::numeric_limits<int>::min(), 0};
        for (int index : {3, 4, 5, 260}) {
            QVERIFY(made(index)->isVisible());
            QVERIFY(space.contains(made(index)->geometry()));
            lowest = std::max(lowest, made(index)->geometry().bottom());
            // Rows fill from the bottom up, each from the left.
            const std::pair place{-made(index)->y(), made(index)->x()};
            QVERIFY2(place > last, qPrintable(QString::number(index)));
            last = place;
        }
        QCOMPARE(lowest, space.bottom());
        made(260)->showNormal();
        QCOMPARE(gt::shown_when_settled(window), QString());

        // Where each window lies, and each that waits, to lie again when the tabs go.
        QList<QRect> places;
        for (const qlx::shell::DocumentWindows::Entry& entry : listed.entries()) {
            places << (entry.window != nullptr ? entry.window->geometry() : entry.waiting->place);
        }
        // As tabs, every document has its tab (those waiting are made), only the active
        // window is shown, and every tab reaches its window.
        menu_entry(window, QStringLiteral("mnuWindowTabbedView"))->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!listed.has_waiting());
        QCOMPARE(gt::captions(window), expected);
        auto* tabs = area->findChild<QTabBar*>();
        QCOMPARE(tabs->count(), count);
        // In the documents' order.
        const QList<QMdiSubWindow*> all = gt::document_windows(window);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(tabs->tabText(i), QStringLiteral("P%1").arg(i + 1));
            QVERIFY(tabs->isTabVisible(i));
            QCOMPARE(gt::form_of(all[i])->caption(), QStringLiteral("P%1").arg(i + 1));
        }
        // A tab chosen with the keys or the wheel brings its hidden window forward.
        tabs->setCurrentIndex(251);
        QCoreApplication::processEvents();
        QCOMPARE(area->currentSubWindow(), all[251]);
        QVERIFY(all[251]->isVisible());
        // And one clicked, left of the current tab (the tabs scroll as the current one
        // changes, under the mouse that pressed).
        const int tab_index = 250;
        QMdiSubWindow* tab_250 = all[tab_index];
        QVERIFY(tab_250 != nullptr && tab_250->isHidden());
        QVERIFY(tabs->isTabEnabled(tab_index));
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab_index).center());
        QCoreApplication::processEvents();
        QCOMPARE(area->currentSubWindow(), tab_250);
        QVERIFY(tab_250->isVisible());
        QCOMPARE(tabs->currentIndex(), tab_index);
        QVERIFY(made(200)->isHidden());
        menu_entry(window, QStringLiteral("mnuWindowTabbedView"))->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(area->currentSubWindow(), tab_250);
        QCOMPARE(gt::shown_when_settled(window), QString());
        QCOMPARE(gt::document_windows(window), all);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(all[i]->geometry(), places[i]);
        }
        for (int index : {3, 4, 5}) {
            QVERIFY(all[index]->isMinimized());
        }
    }

    // Windows made from those that waited come after the others in the workspace's own
    // order; as tabs, the documents' order holds all the same.
    void tabs_keep_the_documents_order_once_no_window_waits() {
        gt::Sandbox sandbox;
        constexpr int count = 60;
        const QString path = gt::many_procedures_export(sandbox, count);
        frmMain window;
        window.resize(800, 600);
        window.set_windows_made_at_once(50);
        window.MDIForm_Load({path});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* area = window.findChild<QMdiArea*>();
        QMenu* menu = window.findChild<QMenu*>(QStringLiteral("mnuWindow"));
        emit menu->aboutToShow();
        listed_windows(menu)[2]->trigger();  // "&2 P2", made first of those that wait
        QMdiSubWindow* const active = area->currentSubWindow();
        qlx::shell::DocumentWindows& listed = window.document_windows();
        for (const qlx::shell::DocumentWindows::Entry& entry : listed.entries()) {
            listed.window(entry);
        }
        QVERIFY(!listed.has_waiting());
        const QRect place = active->geometry();
        const QList<QMdiSubWindow*> stack = qlx::shell::stacking_order(*area);
        menu_entry(window, QStringLiteral("mnuWindowTabbedView"))->trigger();
        QCoreApplication::processEvents();
        auto* tabs = area->findChild<QTabBar*>();
        QCOMPARE(tabs->count(), count);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(tabs->tabText(i), QStringLiteral("P%1").arg(i + 1));
        }
        QCOMPARE(area->currentSubWindow(), active);
        // The active window, added again for the order, comes back as it was, and the
        // windows keep their order in the stack.
        menu_entry(window, QStringLiteral("mnuWindowTabbedView"))->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(area->currentSubWindow(), active);
        QCOMPARE(active->geometry(), place);
        QCOMPARE(qlx::shell::stacking_order(*area), stack);

        // An export opened as tabs: a tab for each window, in order, every one shown.
        menu_entry(window, QStringLiteral("mnuWindowTabbedView"))->trigger();
        menu_entry(window, QStringLiteral("mnuWindowCloseAll"))->trigger();
        QTRY_VERIFY(area->subWindowList().isEmpty());
        window.openfile(path);
        tabs = qlx::shell::workspace_tabs(*area);
        QVERIFY(tabs != nullptr);
        QCOMPARE(tabs->count(), count);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(tabs->tabText(i), QStringLiteral("P%1").arg(i + 1));
            QVERIFY(tabs->isTabVisible(i));
        }
        QCOMPARE(tabs->currentIndex(), count - 1);
    }

    void closing_the_active_window_of_an_export_makes_the_one_on_top_active_data() {
        QTest::addColumn<int>("made_at_once");
        QTest::newRow("every window made") << 200;
        // Closing the windows on top uncovers windows that wait: they are made and shown.
        QTest::newRow("the last ten made") << 10;
    }

    void closing_the_active_window_of_an_export_makes_the_one_on_top_active() {
        QFETCH(int, made_at_once);
        gt::Sandbox sandbox;
        frmMain window;
        window.resize(800, 600);
        window.set_windows_made_at_once(static_cast<std::size_t>(made_at_once));
        window.MDIForm_Load({gt::many_procedures_export(sandbox, 100)});
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* area = window.findChild<QMdiArea*>();
        QCOMPARE(gt::shown_when_settled(window), QString());
        for (int closed = 0; closed < 3; ++closed) {
            area->currentSubWindow()->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
            QCOMPARE(gt::shown_when_settled(window), QString());
            QMdiSubWindow* active = area->currentSubWindow();
            QVERIFY(active != nullptr);
            QCOMPARE(active, area->subWindowList(QMdiArea::StackingOrder).back());
            QVERIFY(active->isVisible());
            QCOMPARE(window.active_document()->caption(), QStringLiteral("P%1").arg(99 - closed));
            QCOMPARE(window.document_windows().size(), 99 - closed);
        }
    }

    void many_windows_tile_in_a_grid_and_cascade_within_the_workspace() {
        gt::Sandbox sandbox;
        frmMain window;
        window.resize(800, 600);
        open_documents(window, 60);
        const QRect area = workspace(window);
        const QList<QMdiSubWindow*> documents = gt::document_windows(window);
        const int title =
            documents[0]->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, documents[0]);
        for (const char* tiling : {"mnuWindowTileHorizontal", "mnuWindowTileVertical"}) {
            menu_entry(window, QLatin1String(tiling))->trigger();
            QList<QRect> tiles = geometries(window);
            for (const QRect& tile : tiles) {
                QVERIFY2(tile.height() >= title + 3 * QFontMetrics(window.font()).lineSpacing(),
                         tiling);
                QVERIFY2(area.contains(tile), tiling);
            }
            // Together they cover the workspace once.
            qint64 covered = 0;
            for (const QRect& tile : tiles) {
                covered += qint64{tile.width()} * tile.height();
            }
            QCOMPARE(covered, qint64{area.width()} * area.height());
        }
        menu_entry(window, QStringLiteral("mnuWindowCascade"))->trigger();
        for (const QRect& place : geometries(window)) {
            QVERIFY(area.contains(place));
            QVERIFY(place.width() >= area.width() * 2 / 3 - title);
        }
    }

    void tiling_lays_the_windows_side_by_side_or_one_above_another() {
        gt::Sandbox sandbox;
        frmMain window;
        open_documents(window, 3);
        const QRect area = workspace(window);
        menu_entry(window, QStringLiteral("mnuWindowTileVertical"))->trigger();
        QList<QRect> tiles = geometries(window);
        std::ranges::sort(tiles, {}, &QRect::left);
        QCOMPARE(tiles.front().left(), area.left());
        for (qsizetype i = 0; i < tiles.size(); ++i) {
            QCOMPARE(tiles[i].top(), area.top());
            QCOMPARE(tiles[i].height(), area.height());
            QVERIFY(qAbs(tiles[i].width() - area.width() / 3) <= 1);
            if (i > 0) {
                QCOMPARE(tiles[i].left(), tiles[i - 1].right() + 1);
            }
        }
        QCOMPARE(tiles.back().right(), area.right());

        menu_entry(window, QStringLiteral("mnuWindowTileHorizontal"))->trigger();
        tiles = geometries(window);
        std::ranges::sort(tiles, {}, &QRect::top);
        for (qsizetype i = 0; i < tiles.size(); ++i) {
            QCOMPARE(tiles[i].left(), area.left());
            QCOMPARE(tiles[i].width(), area.width());
            QVERIFY(qAbs(tiles[i].height() - area.height() / 3) <= 1);
        }
        QCOMPARE(tiles.front().top(), area.top());
        QCOMPARE(tiles.back().bottom(), area.bottom());

        menu_entry(window, QStringLiteral("mnuWindowCascade"))->trigger();
        tiles = geometries(window);
        std::ranges::sort(tiles, {}, &QRect::left);
        QVERIFY(tiles[0].left() < tiles[1].left() && tiles[1].left() < tiles[2].left());
        QVERIFY(tiles[0].top() < tiles[1].top() && tiles[1].top() < tiles[2].top());
    }

    void tiling_starts_with_the_active_window_and_leaves_icons_alone() {
        gt::Sandbox sandbox;
        frmMain window;
        open_documents(window, 3);
        const QList<QMdiSubWindow*> documents = gt::document_windows(window);
        documents[0]->showMinimized();
        window.findChild<QMdiArea*>()->setActiveSubWindow(documents[2]);
        menu_entry(window, QStringLiteral("mnuWindowTileVertical"))->trigger();
        const QRect area = workspace(window);
        QCOMPARE(documents[2]->geometry().left(), area.left());
        QVERIFY(documents[1]->geometry().left() > documents[2]->geometry().left());
        QCOMPARE(documents[1]->geometry().bottom(), area.bottom() - documents[0]->height());
        QVERIFY(documents[0]->isMinimized());
    }

    void arrange_icons_lines_up_the_minimised_windows_along_the_bottom() {
        gt::Sandbox sandbox;
        frmMain window;
        open_documents(window, 3);
        const QList<QMdiSubWindow*> documents = gt::document_windows(window);
        documents[0]->showMinimized();
        documents[2]->showMinimized();
        documents[0]->move(40, 30);
        documents[2]->move(120, 10);
        const QRect open_one = documents[1]->geometry();
        menu_entry(window, QStringLiteral("mnuWindowArrangeIcons"))->trigger();
        const QRect area = workspace(window);
        QCOMPARE(documents[0]->geometry().bottomLeft(), area.bottomLeft());
        QCOMPARE(documents[2]->geometry().left(), documents[0]->geometry().right() + 1);
        QCOMPARE(documents[2]->geometry().bottom(), area.bottom());
        QCOMPARE(documents[1]->geometry(), open_one);
    }

    void about_opens_modally_over_the_main_window_each_time() {
        gt::Sandbox sandbox;
        QCoreApplication::setApplicationVersion(QStringLiteral("3.3.6"));
        frmMain window;
        window.MDIForm_Load({});
        QStringList seen;
        for (int time = 0; time < 2; ++time) {
            QTimer::singleShot(0, [&] {
                auto* about =
                    qobject_cast<qlx::dialogs::frmAbout*>(QApplication::activeModalWidget());
                if (about == nullptr) {
                    return;
                }
                const QPoint centre = about->frameGeometry().center();
                const QPoint screen = about->screen()->geometry().center();
                seen << QStringLiteral("%1 %2 %3")
                            .arg(about->parentWidget() == &window)
                            .arg(about->Label4->text())
                            .arg((centre - screen).manhattanLength() <= 2);
                about->cmdAbout->click();
            });
            menu_entry(window, QStringLiteral("mnuHelpAbout"))->trigger();
        }
        QCOMPARE(seen, QStringList(2, QStringLiteral("1 Version 3.36 1")));
    }

    void status_bar_shows_status_date_and_time() {
        gt::Sandbox sandbox;
        const QLocale locale;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        frmMain window;
        window.MDIForm_Load({});
        QStringList panels;
        for (const QLabel* panel : window.statusBar()->findChildren<QLabel*>()) {
            if (panel->objectName() == QLatin1String("status_zoom")) {
                QVERIFY(panel->text().isEmpty());  // no document to zoom
                continue;
            }
            panels << panel->text();
        }
        const QDateTime now = QDateTime::currentDateTime();
        QCOMPARE(panels.size(), 3);
        QCOMPARE(panels[0], QString());  // no document: nothing to say, no placeholder
        QCOMPARE(panels[1], now.date().toString(QStringLiteral("dd/MM/yyyy")));
        QVERIFY2(panels[2] == now.time().toString(QStringLiteral("HH:mm")) ||
                     panels[2] == now.addSecs(-60).time().toString(QStringLiteral("HH:mm")),
                 qPrintable(panels[2]));

        // At the window's first size, with an export's procedure active, every panel shows its
        // text whole, none over another.
        window.openfile(QStringLiteral(QLX_EXAMPLES_DIR "/sample.qlx"));
        QLocale::setDefault(locale);
        QList<const QLabel*> shown;
        for (const QLabel* panel : window.statusBar()->findChildren<QLabel*>()) {
            if (panel->isVisible()) {
                shown << panel;
            }
        }
        QCOMPARE(shown.size(), 4);
        for (const QLabel* panel : shown) {
            QVERIFY2(panel->contentsRect().width() >=
                         panel->fontMetrics().horizontalAdvance(panel->text()),
                     qPrintable(panel->text()));
            for (const QLabel* other : shown) {
                QVERIFY(panel == other || !panel->geometry().intersects(other->geometry()));
            }
        }
        QCOMPARE(shown.front()->text(), QStringLiteral("sample.qlx \u2014 procedure 4 of 4"));
    }

    void keys_people_expect_reach_their_commands() {
        gt::Sandbox sandbox;
        Viewer viewer(QStringLiteral("plain bold"));
        viewer.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&viewer.window));
        qlx::document::RichTextBox& box = active_box(viewer.window);
        box.setFocus();
        const auto press = [&](QKeyCombination key) {
            QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
        };
        QTextCursor forward(box.document());
        forward.setPosition(6);
        forward.setPosition(10, QTextCursor::KeepAnchor);  // "bold", the caret after it
        box.setTextCursor(forward);
        press(Qt::CTRL | Qt::Key_B);
        press(Qt::CTRL | Qt::Key_I);
        press(Qt::CTRL | Qt::Key_U);
        QVERIFY(box.SelBold() && box.SelItalic() && box.SelUnderline());
        const std::string formatted = box.TextRTF();
        press(Qt::CTRL | Qt::Key_Z);
        QVERIFY(box.TextRTF() != formatted);
        press(Qt::CTRL | Qt::Key_Y);
        QCOMPARE(box.TextRTF(), formatted);
        press(Qt::CTRL | Qt::Key_A);
        QCOMPARE(box.SelText(), QStringLiteral("plain bold"));
        // Ctrl+F6 and Ctrl+Shift+F6 go round the windows.
        viewer.window.new_document();
        viewer.window.new_document();
        active_box(viewer.window).setFocus();
        press(Qt::CTRL | Qt::Key_F6);  // from the last to the first
        QCOMPARE(viewer.window.active_document()->caption(), QStringLiteral("Document 1"));
        press(Qt::CTRL | Qt::SHIFT | Qt::Key_F6);
        press(Qt::CTRL | Qt::SHIFT | Qt::Key_F6);
        QCOMPARE(viewer.window.active_document()->caption(), QStringLiteral("Document 2"));
        // Ctrl+F4 closes the active window.
        press(Qt::CTRL | Qt::Key_F4);
        QCOMPARE(gt::captions(viewer.window), (QStringList{"Document 1", "Document 3"}));
    }

    void keyboard_copy_in_a_document_carries_plain_text_only() {
        gt::Sandbox sandbox;
        Viewer viewer(QStringLiteral("plain bold"));
        active_box(viewer.window).setSelBold(true);
        QTest::keyClick(&active_box(viewer.window), Qt::Key_C, Qt::ControlModifier);
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QCOMPARE(data->formats(), QStringList{QStringLiteral("text/plain")});
        QCOMPARE(data->text(), QStringLiteral("bold"));
    }
};

QTEST_MAIN(MenusTest)
#include "menus_test.moc"
