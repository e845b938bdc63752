#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "dialogs/frm_status.h"
#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "gui_test_support.h"
#include "shell/file_names.h"
#include "shell/find_results.h"
#include "shell/native_paths.h"
#include "shell/procedures_panel.h"
#include "support/export_builder.h"
#include "support/other_user.h"
#include "support/small_file_system.h"

using qlx::shell::CommonDialog;
using qlx::shell::SaveChoice;
namespace gt = qlx::gui_testing;

namespace {

// A main window whose file dialog answers with prepared names and notes what it was asked.
struct Viewer {
    Viewer() {
        window.MDIForm_Load({});
        window.dlgCommonDialog.set_chooser([this](CommonDialog::Kind kind, const QString& filter) {
            asked << filter;
            kinds << kind;
            suggested << window.dlgCommonDialog.FileName + "|" + window.dlgCommonDialog.InitDir;
            return answers.isEmpty() ? CommonDialog::Choice() : answers.takeFirst();
        });
    }

    qlx::document::RichTextBox& box() { return *window.active_document()->RichTextBox1(); }

    qlx::shell::frmMain window;
    QList<CommonDialog::Choice> answers;
    QStringList asked;
    QList<CommonDialog::Kind> kinds;
    QStringList suggested;  // "name|folder" each dialog started with
};

std::string small_export() {
    using qlx::testing::counted;
    return qlx::testing::lines({"MEDITECH.CUST.RPTS^NPR^Hospital", "PROC", "ONE", counted("LAB.C"),
                                "PROC", "TWO", counted("LAB.C")});
}

// Large enough for the conversion to report its progress several times.
std::string big_export() {
    std::string text = small_export();
    while (text.size() < 3'000'000) {
        text += qlx::testing::lines({"D" + qlx::testing::counted("1"), std::string(70, 'x')});
    }
    return text;
}

QString text_of(const QMdiSubWindow* window) {
    return gt::form_of(window)->RichTextBox1()->Text();
}

// Drops these files (and text) at a point of a widget, as a file manager does.
void drop(QWidget* target, const QList<QUrl>& urls, const QString& text = {}) {
    QMimeData mime;
    if (!urls.isEmpty()) {
        mime.setUrls(urls);
    }
    if (!text.isEmpty()) {
        mime.setText(text);
    }
    // A drop goes to the widget that took the drag when it entered.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
    QCoreApplication::processEvents();
}

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void new_documents_are_numbered_on() {
        gt::Sandbox sandbox;
        Viewer viewer;
        viewer.window.mnuFileNew_Click();
        viewer.window.mnuFileNew_Click();
        viewer.window.findChild<QAction*>(QStringLiteral("mnuWindowNewWindow"))->trigger();
        QCOMPARE(gt::captions(viewer.window),
                 (QStringList{"Document 1", "Document 2", "Document 3"}));
        QCOMPARE(viewer.box().Text(), QString());
        QCOMPARE(viewer.window.document_number, 3);
    }

    void open_converts_exports_and_shows_rtf_by_name_in_any_case() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        viewer.answers << sandbox.write("a.qlx", gt::bytes(small_export()))
                       << sandbox.write("report.Rtf", "{\\rtf1\\ansi Plain\\par}") << QString();
        viewer.window.mnuFileOpen_Click();
        viewer.window.mnuFileOpen_Click();
        viewer.window.mnuFileOpen_Click();
        QCOMPARE(viewer.asked.first(),
                 QStringLiteral("QLX Files (*.qlx)|*.qlx|TXT Files (*.txt)|*.txt|RTF Files "
                                "(*.rtf)|*.rtf|All Files (*.*)|*.*"));
        QCOMPARE(gt::captions(viewer.window),
                 (QStringList{"ONE", "TWO", sandbox.path("report.Rtf")}));
        QCOMPARE(viewer.box().Text(), QStringLiteral("Plain\r\n"));
        QVERIFY(messages.texts.isEmpty());
    }

    void open_as_text_shows_utf8_else_windows1252_and_exports_raw() {
        gt::Sandbox sandbox;
        Viewer viewer;
        viewer.answers << sandbox.write("utf8.txt", "Caf\xC3\xA9 \xE2\x82\xAC")
                       << sandbox.write("ansi.txt", "Caf\xE9 \x80")
                       << sandbox.write("a.qlx", gt::bytes(small_export()));
        for (int i = 0; i < 3; ++i) {
            viewer.window.mnuFileText_Click();
        }
        QCOMPARE(viewer.asked.first(), QStringLiteral("TXT Files (*.txt) | *.txt|RTF files "
                                                      "(*.rtf) | *.rtf|All Files (*.*) | *.*"));
        const auto windows = gt::document_windows(viewer.window);
        QCOMPARE(windows.size(), 3);
        const auto text_of = [&](int i) {
            return qobject_cast<qlx::document::frmDocument*>(windows[i]->widget())
                ->RichTextBox1()->Text();
        };
        QCOMPARE(text_of(0), QStringLiteral("Café €"));
        QCOMPARE(text_of(1), QStringLiteral("Café €"));
        QVERIFY(text_of(2).startsWith(QStringLiteral("MEDITECH.CUST.RPTS^NPR^Hospital\r\nPROC")));
    }

    void files_that_do_not_look_like_text_open_only_when_the_user_says_so() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        gt::OpenQuestionRecorder questions;
        Viewer viewer;
        const QString binary = sandbox.write("x.qlx", QByteArray("MZ\0\x01text", 7));
        // Only the first 64 KB are looked at.
        const QString late =
            sandbox.write("late.txt", QByteArray(64 * 1024, 'a') + QByteArray(1, '\0'));
        const QString text = sandbox.write("notes.txt", "plain words");
        questions.answers << false << true;
        viewer.window.openfile(binary);
        QCOMPARE(gt::document_windows(viewer.window).size(), 0);
        viewer.window.openfile(binary);
        viewer.answers << late << text;
        viewer.window.mnuFileText_Click();
        viewer.window.mnuFileOpen_Click();
        QCOMPARE(questions.texts,
                 QStringList(2, QStringLiteral("The file \"%1\" does not look like text. Open it "
                                               "anyway?")
                                    .arg(qlx::shell::message_path(binary))));
        QCOMPARE(gt::captions(viewer.window), (QStringList{binary, late, text}));
        const auto windows = gt::document_windows(viewer.window);
        QCOMPARE(text_of(windows[0]), QString::fromLatin1("MZ\0\x01text", 7));
        QCOMPARE(text_of(windows[2]), QStringLiteral("plain words"));
        QVERIFY(!gt::form_of(windows[2])->RichTextBox1()->document()->isModified());
        QVERIFY(messages.texts.isEmpty());
    }

    void large_plain_files_arrive_whole_and_escape_leaves_no_window() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        // Seven characters that repeat: the document is filled in steps whose ends fall in
        // every place of them, between CR and LF and inside a surrogate pair among them.
        QString text;
        while (text.size() < 3'000'000) {
            text += QStringLiteral("ab\r\n") + QString::fromUcs4(U"\U0001F600") + u'\r';
        }
        const QString path = sandbox.write("big.qlx", text.toUtf8());
        viewer.window.openfile(path);
        qlx::document::RichTextBox whole;
        whole.setText(text);
        QCOMPARE(gt::document_windows(viewer.window).size(), 1);
        QCOMPARE(viewer.box().document()->blockCount(), whole.document()->blockCount());
        QVERIFY(viewer.box().Text() == whole.Text());
        QVERIFY(!viewer.box().document()->isModified());
        viewer.box().insertPlainText(QStringLiteral("typed"));
        QVERIFY(viewer.window.active_document()->isWindowModified());

        // Escape in the status window stops the next one: no window, nothing said.
        bool status_shown = false;
        QTimer::singleShot(0, &viewer.window, [&] {
            if (auto* status = viewer.window.findChild<qlx::dialogs::frmStatus*>()) {
                status_shown = status->isVisible();
                QTest::keyClick(status, Qt::Key_Escape);
            }
        });
        viewer.window.openfile(path);
        QVERIFY(status_shown);
        QCOMPARE(gt::document_windows(viewer.window).size(), 1);
        QCOMPARE(viewer.window.findChildren<qlx::dialogs::frmStatus*>().size(), 0);
        QVERIFY(!viewer.window.converting());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QVERIFY(messages.texts.isEmpty());
    }

    void filters_become_qt_name_filters() {
        QCOMPARE(qlx::shell::qt_name_filters(
                     "TXT Files (*.txt) | *.txt|RTF files (*.rtf) | *.rtf|All Files (*.*) | *.*"),
                 QStringLiteral("TXT Files (*.txt);;RTF files (*.rtf);;All Files (*.*)"));
        QCOMPARE(qlx::shell::qt_name_filters("Pictures|*.png;*.bmp|Odd"),
                 QStringLiteral("Pictures (*.png *.bmp)"));
    }

    void empty_files_open_unedited() {
        gt::Sandbox sandbox;
        gt::SaveQuestionRecorder questions;
        Viewer viewer;
        viewer.window.show();
        viewer.window.openfile(sandbox.write("empty.qlx", ""));
        viewer.window.openfile(sandbox.write("empty.txt", ""));
        viewer.window.openfile(sandbox.write("empty.rtf", ""));
        const auto windows = gt::document_windows(viewer.window);
        QCOMPARE(windows.size(), 3);
        for (const QMdiSubWindow* window : windows) {
            QVERIFY2(!window->isWindowModified(), qPrintable(window->windowTitle()));
            QVERIFY(!gt::form_of(window)->is_edited());
        }
        // Exit asks nothing and closes.
        QVERIFY(viewer.window.close());
        QVERIFY(questions.texts.isEmpty());
        // Typed into, an empty document is edited, and saved, not edited again.
        Viewer second;
        second.window.openfile(sandbox.path("empty.txt"));
        second.box().insertPlainText(QStringLiteral("typed"));
        QVERIFY(gt::document_windows(second.window).front()->isWindowModified());
        second.answers << sandbox.path("empty.txt");
        second.window.mnuFileSave_Click();
        QVERIFY(!gt::document_windows(second.window).front()->isWindowModified());
    }

    void save_writes_text_or_rtf_by_name_then_crlf() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        viewer.window.new_document();
        viewer.box().setText(QStringLiteral("one\ntwo é"));
        viewer.answers << sandbox.path("out.txt") << sandbox.path("out.RTF");
        viewer.window.mnuFileSave_Click();
        viewer.window.mnuFileSaveAs_Click();
        QCOMPARE(viewer.kinds, (QList<CommonDialog::Kind>(2, CommonDialog::Kind::save)));
        QCOMPARE(viewer.asked.first(),
                 QStringLiteral("RTF Files (*.rtf)|*.rtf|TXT Files (*.txt)|*.txt|All Files "
                                "(*.*)|*.*"));
        QCOMPARE(gt::read_all(sandbox.path("out.txt")), QByteArray("one\r\ntwo \xC3\xA9\r\n"));
        const QByteArray rtf = gt::read_all(sandbox.path("out.RTF"));
        QCOMPARE(rtf, QByteArray(
                          "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab1200\\uc1{\\fonttbl{\\f0\\fnil"
                          " Courier New;}}\r\n{\\colortbl;}\r\n\\pard\\plain\\fs16 "
                          "one\\par\r\ntwo \\'e9}\r\n\r\n"));
        qlx::document::RichTextBox reread;
        QVERIFY(reread.LoadFile(sandbox.path("out.RTF")));
        QCOMPARE(reread.Text(), QStringLiteral("one\r\ntwo é"));
        QVERIFY(messages.texts.isEmpty());
    }

    void save_suggests_the_documents_name_in_the_folder_last_saved_in() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        using qlx::testing::counted;
        QDir(sandbox.path(QString())).mkpath(QStringLiteral("exports"));
        QDir(sandbox.path(QString())).mkpath(QStringLiteral("notes"));
        QDir(sandbox.path(QString())).mkpath(QStringLiteral("out"));
        const QString exported = sandbox.write(
            "exports/a.qlx",
            gt::bytes(qlx::testing::lines({"MEDITECH.CUST.RPTS^NPR", "PROC", " LAB/REPORT:1?.",
                                           counted("X"), "PROC", "...", counted("X")})));
        const QString notes = sandbox.write("notes/notes.v2", "notes");
        {
            Viewer viewer;
            viewer.window.openfile(exported);
            viewer.window.openfile(notes);
            viewer.window.new_document();
            auto* area = viewer.window.findChild<QMdiArea*>();
            const auto save = [&](int window, const QString& as) {
                area->setActiveSubWindow(gt::document_windows(viewer.window)[window]);
                viewer.answers << as;
                viewer.window.mnuFileSaveAs_Click();
            };
            // Nothing saved yet: the document's own folder (a converted one's is its export's).
            for (int window = 0; window < 4; ++window) {
                save(window, QString());
            }
            save(0, sandbox.path("out/first.rtf"));
            // From now on the folder last saved in.
            save(3, QString());
            save(2, QString());
            QCOMPARE(
                viewer.suggested,
                (QStringList{"LAB_REPORT_1_.rtf|" + sandbox.path("exports"),
                             "|" + sandbox.path("exports"), "notes.v2|" + sandbox.path("notes"),
                             "|", "LAB_REPORT_1_.rtf|" + sandbox.path("exports"),
                             "|" + sandbox.path("out"), "notes.v2|" + sandbox.path("out")}));
            // The dialog's own suggestions are gone once it was shown.
            viewer.answers << QString();
            viewer.window.mnuFileOpen_Click();
            QCOMPARE(viewer.suggested.last(), QStringLiteral("|"));
        }
        // The next start remembers the folder, while it is there.
        Viewer viewer;
        viewer.window.openfile(notes);
        viewer.answers << QString();
        viewer.window.mnuFileSave_Click();
        QVERIFY(QDir(sandbox.path("out")).removeRecursively());
        viewer.answers << QString();
        viewer.window.mnuFileSave_Click();
        QCOMPARE(viewer.suggested, (QStringList{"notes.v2|" + sandbox.path("out"),
                                                "notes.v2|" + sandbox.path("notes")}));
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(qlx::shell::file_name_of(QStringLiteral(" a\tb<c>|\\d.\" .")),
                 QStringLiteral("a_b_c___d._"));
    }

    void the_save_dialog_opens_with_the_suggested_name_in_the_suggested_folder() {
        gt::Sandbox sandbox;
        QDir(sandbox.path(QString())).mkpath(QStringLiteral("there"));
        qlx::shell::CommonDialog dialog(nullptr);
        dialog.FileName = QStringLiteral("LAB.rtf");
        dialog.InitDir = sandbox.path("there");
        QString folder;
        QStringList selected;
        QTimer::singleShot(0, [&] {
            if (auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                folder = shown->directory().absolutePath();
                selected = shown->selectedFiles();
                shown->reject();
            }
        });
        QCOMPARE(dialog.ShowSave(QStringLiteral("RTF Files (*.rtf)|*.rtf")), QString());
        QCOMPARE(folder, sandbox.path("there"));
        QCOMPARE(selected, QStringList{sandbox.path("there/LAB.rtf")});
        QVERIFY(dialog.FileName.isEmpty() && dialog.InitDir.isEmpty());
    }

    void save_without_a_document_touches_nothing() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        const QString kept = sandbox.write("kept.txt", "old");
        viewer.answers << kept;
        viewer.window.mnuFileSave_Click();
        QVERIFY(viewer.asked.isEmpty());
        QCOMPARE(gt::read_all(kept), QByteArray("old"));
        QCOMPARE(messages.texts, QStringList{"There is no document to save."});
    }

    void a_failed_or_cancelled_save_leaves_files_alone() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        viewer.window.new_document();
        viewer.box().setText(QStringLiteral("new"));
        const QString unreachable = sandbox.path("no/such/folder/out.txt");
        viewer.answers << unreachable << QString();
        viewer.window.mnuFileSave_Click();
        viewer.window.mnuFileSave_Click();
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].contains(QDir::toNativeSeparators(unreachable)));
        QVERIFY(!QFileInfo::exists(unreachable));
    }

    void close_and_close_all_ask_about_edited_documents() {
        gt::Sandbox sandbox;
        gt::SaveQuestionRecorder questions;
        gt::MessageRecorder messages;
        Viewer viewer;
        viewer.window.new_document();
        viewer.window.new_document();
        viewer.box().insertPlainText(QStringLiteral("typed"));
        // File > Close asks about the active document as its close box does.
        questions.answers << SaveChoice::cancel;
        viewer.window.mnuFileClose_Click();
        QCOMPARE(gt::captions(viewer.window), (QStringList{"Document 1", "Document 2"}));
        questions.answers << SaveChoice::discard;
        viewer.window.mnuFileClose_Click();
        QCOMPARE(gt::captions(viewer.window), QStringList{"Document 1"});
        QCOMPARE(questions.texts, QStringList(2, QStringLiteral("Save changes to Document 2?")));

        // Window > Close All asks once about all edited documents; Cancel keeps them all.
        for (int i = 0; i < 2; ++i) {
            viewer.window.new_document();
            viewer.box().insertPlainText(QStringLiteral("more"));
        }
        questions.answers << SaveChoice::cancel;
        viewer.window.mnuWindowCloseAll_Click();
        QCOMPARE(gt::document_windows(viewer.window).size(), 3);
        // After the cancel the documents are as they were: the active one takes typing and
        // every window is still there to be seen.
        QCOMPARE(viewer.window.active_document()->caption(), QStringLiteral("Document 4"));
        viewer.box().insertPlainText(QStringLiteral(" again"));
        QCOMPARE(viewer.box().toPlainText(), QStringLiteral("more again"));
        for (QMdiSubWindow* window : gt::document_windows(viewer.window)) {
            QVERIFY(window->isVisible());
        }
        questions.answers << SaveChoice::discard;
        viewer.window.mnuWindowCloseAll_Click();
        QVERIFY(gt::document_windows(viewer.window).isEmpty());
        QCOMPARE(questions.texts.mid(2),
                 QStringList(2, QStringLiteral("Save changes to these 2 documents?")));
        QVERIFY(messages.texts.isEmpty());
        // Nothing open: both do nothing.
        viewer.window.mnuFileClose_Click();
        viewer.window.mnuWindowCloseAll_Click();
        QCOMPARE(questions.texts.size(), 4);
        // After Close All, a window edited since asks again when it closes.
        viewer.window.new_document();
        viewer.box().insertPlainText(QStringLiteral("later"));
        questions.answers << SaveChoice::cancel;
        viewer.window.mnuFileClose_Click();
        QCOMPARE(questions.texts.size(), 5);
        QCOMPARE(gt::document_windows(viewer.window).size(), 1);
    }

    void close_all_leaves_no_document_named_in_the_status_bar() {
        // Tiled first, so that one of the windows is active as Close All begins.
        gt::Sandbox sandbox;
        qlx::shell::frmMain window;
        window.MDIForm_Load({gt::many_procedures_export(sandbox, 300)});
        window.activateWindow();
        QCoreApplication::processEvents();
        window.findChild<QAction*>(QStringLiteral("mnuWindowTileHorizontal"))->trigger();
        QCoreApplication::processEvents();
        auto* status = window.findChild<QLabel*>(QStringLiteral("status_text"));
        QCOMPARE(status->text(), QStringLiteral("many.qlx \u2014 procedure 300 of 300"));
        // Hundreds of windows close a slice at a time, the events of the moment between them.
        window.findChild<QAction*>(QStringLiteral("mnuWindowCloseAll"))->trigger();
        QTRY_VERIFY(gt::document_windows(window).isEmpty());
        QTRY_COMPARE(status->text(), QString());
        // The workspace is back in its place, shown, and takes the next window.
        auto* area = window.findChild<QMdiArea*>();
        QCOMPARE(window.centralWidget(), area);
        QVERIFY(area->isVisible());
        QVERIFY(window.findChild<QAction*>(QStringLiteral("mnuFileOpen"))->isEnabled());
        window.new_document();
        QCOMPARE(gt::document_windows(window).size(), 1);
        QVERIFY(gt::document_windows(window)[0]->isVisible());
    }

    void close_all_over_hundreds_of_windows_asks_once_and_builds_no_document() {
        gt::Sandbox sandbox;
        gt::SaveQuestionRecorder questions;
        qlx::shell::frmMain window;
        // The first 200 procedures' windows wait to be made.
        window.set_windows_made_at_once(100);
        window.MDIForm_Load({gt::many_procedures_export(sandbox, 300)});
        auto* area = window.findChild<QMdiArea*>();
        QCOMPARE(window.document_windows().size(), 300);
        // Many windows looked at in turn (from the Procedures panel), two of them edited.
        auto* panel = window.findChild<qlx::shell::ProceduresPanel*>();
        panel->show();
        const auto activate = [&](int index) {
            panel->refresh();
            const auto found = panel->tree->findItems(QStringLiteral("P%1").arg(index + 1),
                                                      Qt::MatchExactly | Qt::MatchRecursive);
            QCOMPARE(found.size(), 1);
            emit panel->tree->itemActivated(found.front(), 0);
            QCoreApplication::processEvents();
        };
        for (int index = 0; index < 300; index += 10) {
            activate(index);
        }
        for (int index : {20, 140}) {
            activate(index);
            window.active_document()->RichTextBox1()->insertPlainText(QStringLiteral("typed"));
        }
        const QList<QMdiSubWindow*> documents = gt::document_windows(window);
        QVERIFY(window.document_windows().waiting().size() > 150);
        QSet<const QMdiSubWindow*> waiting;
        for (const QMdiSubWindow* document : documents) {
            if (gt::form_of(document)->text_deferred()) {
                waiting.insert(document);
            }
        }
        QVERIFY(waiting.size() > 50);
        // Whatever comes on top while the windows close is not built.
        QStringList built;
        connect(area, &QMdiArea::subWindowActivated, &window, [&](QMdiSubWindow* active) {
            if (active != nullptr && waiting.contains(active) &&
                !gt::form_of(active)->text_deferred()) {
                built << gt::form_of(active)->caption();
            }
        });
        questions.answers << SaveChoice::cancel;
        window.mnuWindowCloseAll_Click();
        QCOMPARE(gt::document_windows(window), documents);
        QCOMPARE(window.document_windows().size(), 300);
        QCOMPARE(questions.texts,
                 QStringList{QStringLiteral("Save changes to these 2 documents?")});
        QCOMPARE(questions.lists, QStringList{QStringLiteral("P21\nP141")});
        QCOMPARE(gt::shown_when_settled(window), QString());
        // A search's results keep no text of a window that waited once all are closed.
        auto* results = window.findChild<qlx::shell::FindResults*>();
        QSignalSpy searched(results, &qlx::shell::FindResults::finished);
        results->search(window.document_windows(), QStringLiteral("text of P"), {});
        QVERIFY(searched.count() == 1 || searched.wait(5000));
        QCOMPARE(results->results->documents_with_matches(), 300);
        const std::weak_ptr<qlx::document::RichTextBox::DeferredText> waiting_text =
            window.document_windows().waiting().front()->text;
        QVERIFY(!waiting_text.expired());
        // One of them maximised (and so looked at): its buttons leave the menu bar with it.
        waiting.remove(documents[7]);
        documents[7]->showMaximized();
        QVERIFY(window.menuBar()->cornerWidget(Qt::TopRightCorner) != nullptr);
        questions.answers << SaveChoice::discard;
        window.mnuWindowCloseAll_Click();
        QTRY_VERIFY(gt::document_windows(window).isEmpty());
        QCOMPARE(window.document_windows().size(), 0);
        QVERIFY(waiting_text.expired());
        QTRY_COMPARE(results->results->closed_documents(), 300);
        QCOMPARE(window.menuBar()->cornerWidget(Qt::TopRightCorner), nullptr);
        QCOMPARE(questions.texts.size(), 2);
        QCOMPARE(built, QStringList());
    }

    void recent_files_and_the_status_bar_follow_what_was_opened() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        QStringList paths;
        {
            Viewer viewer;
            auto* panel = viewer.window.findChild<QLabel*>(QStringLiteral("status_text"));
            QCOMPARE(panel->text(), QString());  // nothing to describe
            const QString exported = sandbox.write("a.qlx", gt::bytes(small_export()));
            viewer.window.openfile(exported);
            QCOMPARE(panel->text(), QStringLiteral("a.qlx \u2014 procedure 2 of 2"));
            auto* area = viewer.window.findChild<QMdiArea*>();
            area->setActiveSubWindow(gt::document_windows(viewer.window)[0]);
            QCOMPARE(panel->text(), QStringLiteral("a.qlx \u2014 procedure 1 of 2"));
            for (int i = 1; i <= 9; ++i) {
                paths << sandbox.write(QStringLiteral("f%1.txt").arg(i), "text");
                viewer.window.openfile(paths.back());
            }
            QCOMPARE(panel->text(), QStringLiteral("f9.txt"));
            // Saved under a new name, the window stands for the new file.
            viewer.answers << sandbox.path("saved.txt");
            viewer.window.mnuFileSaveAs_Click();
            QCOMPARE(viewer.window.active_document()->caption(),
                     QDir::toNativeSeparators(sandbox.path("saved.txt")));
            QCOMPARE(panel->text(), QStringLiteral("saved.txt"));
            viewer.window.new_document();
            QCOMPARE(panel->text(), QStringLiteral("Document 1"));
        }
        // The next start lists the last eight, newest first, numbered, with the whole path.
        Viewer viewer;
        QMenu* file = viewer.window.findChild<QMenu*>(QStringLiteral("mnuFile"));
        emit file->aboutToShow();
        const auto recent = [&] {
            QStringList entries;
            for (int i = 1; i <= 9; ++i) {
                if (auto* entry = viewer.window.findChild<QAction*>(
                        QStringLiteral("mnuFileRecent%1").arg(i))) {
                    entries << entry->text() + "|" + entry->statusTip();
                }
            }
            return entries;
        };
        const QString saved = QDir::toNativeSeparators(sandbox.path("saved.txt"));
        QStringList expected{"&1 saved.txt|" + saved};
        for (int i = 9; i >= 3; --i) {
            expected << QStringLiteral("&%1 f%2.txt|%3")
                            .arg(10 - i + 1)
                            .arg(i)
                            .arg(QDir::toNativeSeparators(paths[i - 1]));
        }
        QCOMPARE(recent(), expected);
        // One that has gone says so and leaves the list; the others stay.
        QVERIFY(QFile::remove(paths[8]));
        viewer.window.findChild<QAction*>(QStringLiteral("mnuFileRecent2"))->trigger();
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].contains(QDir::toNativeSeparators(paths[8])));
        QVERIFY(gt::document_windows(viewer.window).isEmpty());
        emit file->aboutToShow();
        QCOMPARE(recent().size(), 7);
        QVERIFY(!recent().join('\n').contains(QStringLiteral("f9.txt")));
        viewer.window.findChild<QAction*>(QStringLiteral("mnuFileRecent2"))->trigger();
        QCOMPARE(gt::captions(viewer.window), QStringList{QDir::toNativeSeparators(paths[7])});
        // Opened again, a file moves to the top of the list and stands there once.
        emit file->aboutToShow();
        QCOMPARE(recent().size(), 7);
        QCOMPARE(recent()[0], "&1 f8.txt|" + QDir::toNativeSeparators(paths[7]));
        QCOMPARE(recent()[1], "&2 saved.txt|" + saved);
        QCOMPARE(recent().join('\n').count(QStringLiteral("f8.txt|")), 1);
    }

    void recent_files_keep_names_that_are_not_utf8_byte_for_byte() {
#ifdef _WIN32
        QSKIP("names are wide strings here");
#else
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        const std::string folder = sandbox.path(QString()).toStdString();
        std::ofstream(folder + "/caf\xE9.qlx", std::ios::binary) << small_export();
        std::ofstream(folder + "/na\xEFve.txt", std::ios::binary) << "naive";
        const auto argument = [&](const char* name) {
            return qlx::shell::path_from_native(std::filesystem::path(folder + "/" + name));
        };
        {
            // A list kept by an earlier version, as strings, is still read.
            QSettings settings(QStringLiteral("QLX Viewer"), QStringLiteral("QLX Viewer"));
            settings.setValue(QStringLiteral("RecentFiles/Paths"),
                              QStringList{sandbox.write("old.txt", "old")});
        }
        {
            Viewer viewer;
            viewer.window.openfile(argument("caf\xE9.qlx"));
            viewer.window.openfile(argument("na\xEFve.txt"));
        }
        // The settings as the next start reads them from the disk (this process keeps what
        // it wrote in memory).
        const QByteArray stored = gt::read_all(sandbox.path("config/QLX Viewer/QLX Viewer.conf"));
        QVERIFY2(!stored.contains("@Invalid") && !stored.contains("\xEF\xBF\xBD"),
                 stored.constData());
        QVERIFY(QDir(sandbox.path(QString())).mkpath(QStringLiteral("next/QLX Viewer")));
        sandbox.write("next/QLX Viewer/QLX Viewer.conf", stored);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, sandbox.path("next"));

        Viewer viewer;
        QMenu* file = viewer.window.findChild<QMenu*>(QStringLiteral("mnuFile"));
        emit file->aboutToShow();
        QStringList entries;
        for (int i = 1; i <= 3; ++i) {
            const auto* entry =
                viewer.window.findChild<QAction*>(QStringLiteral("mnuFileRecent%1").arg(i));
            entries << entry->text() + "|" + entry->statusTip();
        }
        QCOMPARE(entries, (QStringList{"&1 na\uFFFDve.txt|" + sandbox.path("na\uFFFDve.txt"),
                                       "&2 caf\uFFFD.qlx|" + sandbox.path("caf\uFFFD.qlx"),
                                       "&3 old.txt|" + sandbox.path("old.txt")}));
        for (int i = 1; i <= 3; ++i) {
            viewer.window.findChild<QAction*>(QStringLiteral("mnuFileRecent%1").arg(i))->trigger();
        }
        QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join('\n')));
        QCOMPARE(gt::captions(viewer.window), (QStringList{sandbox.path("na\uFFFDve.txt"), "ONE",
                                                           "TWO", sandbox.path("old.txt")}));
        QCOMPARE(text_of(gt::document_windows(viewer.window).front()), QStringLiteral("naive"));
        for (const char* name : {"/caf\xE9.qlx", "/na\xEFve.txt"}) {
            std::filesystem::remove(folder + name);  // beyond what QTemporaryDir can name
        }
#endif
    }

    void exit_closes_the_main_window_and_saves_the_placement() {
        gt::Sandbox sandbox;
        Viewer viewer;
        viewer.window.mnuFileExit_Click();
        QVERIFY(!viewer.window.isVisible());
        const QSettings settings(QStringLiteral("QLX Viewer"), QStringLiteral("QLX Viewer"));
        QVERIFY(settings.contains(QStringLiteral("Settings/MainWidth")));
    }

    void damaged_export_opens_its_documents_then_says_where() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        qsizetype windows_at_message = -1;
        messages.on_message = [&] {
            windows_at_message = gt::document_windows(viewer.window).size();
        };
        using qlx::testing::counted;
        const QString path = sandbox.write(
            "damaged.qlx",
            gt::bytes(qlx::testing::lines({"MEDITECH.CUST.RPTS^NPR", "RPT", counted("Y"), "PROC",
                                           "ONE", counted("LAB.C"), "PROC", "TWO"})));
        viewer.window.openfile(path);
        QCOMPARE(gt::captions(viewer.window), (QStringList{"ONE", "TWO"}));
        QCOMPARE(windows_at_message, 2);
        QCOMPARE(messages.texts.size(), 1);
        const QString& text = messages.texts[0];
        QVERIFY2(text.contains(QDir::toNativeSeparators(path)), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("line: 2 (")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Damaged places: 2.")), qPrintable(text));
    }

    void an_export_without_procedures_says_so() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        using qlx::testing::counted;
        const QString bare =
            sandbox.write("bare.qlx", gt::bytes(qlx::testing::lines({"MEDITECH.CUST.RPTS^NPR^H"})));
        const QString damaged = sandbox.write(
            "damaged.qlx",
            gt::bytes(qlx::testing::lines({"MEDITECH.CUST.RPTS^NPR", "RPT", counted("Y")})));
        viewer.window.openfile(bare);
        viewer.window.openfile(damaged);
        QVERIFY(gt::document_windows(viewer.window).isEmpty());
        QCOMPARE(messages.texts.size(), 2);
        QCOMPARE(messages.texts[0], QStringLiteral("The export \"%1\" holds no procedures, so "
                                                   "there is no document to show.")
                                        .arg(QDir::toNativeSeparators(bare)));
        QCOMPARE(messages.texts[1],
                 QStringLiteral("The export \"%1\" holds no procedures, so there is no document "
                                "to show.\n\nFirst damaged line: 2 (this line belongs to no "
                                "procedure; nothing written).\nDamaged places: 1.")
                     .arg(QDir::toNativeSeparators(damaged)));
        QCOMPARE(messages.kinds,
                 QList<qlx::shell::MessageKind>(2, qlx::shell::MessageKind::problem));
        // No folder of converted documents is left behind empty.
        QCOMPARE(QDir(sandbox.output_folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void a_failed_conversion_cleans_up_and_says_why() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        QDir(sandbox.output_folder()).removeRecursively();
        sandbox.write("cache/qlx-viewer", "a file where the folder belongs");
        const QString path = sandbox.write("a.qlx", gt::bytes(small_export()));
        viewer.window.openfile(path);
        QCOMPARE(gt::document_windows(viewer.window).size(), 0);
        QCOMPARE(viewer.window.findChildren<qlx::dialogs::frmStatus*>().size(), 0);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QVERIFY(!viewer.window.converting());
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts[0].contains(QDir::toNativeSeparators(path)),
                 qPrintable(messages.texts[0]));
        QVERIFY2(messages.texts[0].contains(sandbox.output_folder()),
                 qPrintable(messages.texts[0]));
    }

    void publish_writes_the_site_of_the_active_export_and_shows_it() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        QList<QUrl> shown;
        viewer.window.open_in_browser = [&](const QUrl& url) {
            shown << url;
            return true;
        };
        QAction* publish = viewer.window.findChild<QAction*>(QStringLiteral("mnuFilePublish"));
        const QString path = sandbox.write("a.qlx", gt::bytes(small_export()));
        const QString site = sandbox.path("site");

        // Without a converted window the export is asked for first, then the folder.
        viewer.answers = {CommonDialog::Choice(path), CommonDialog::Choice(site)};
        publish->trigger();
        QCOMPARE(viewer.kinds, (QList<CommonDialog::Kind>{CommonDialog::Kind::open,
                                                          CommonDialog::Kind::folder}));
        // The folder dialog starts beside the export.
        QCOMPARE(viewer.suggested.last(), "|" + QFileInfo(path).absolutePath());
        QVERIFY(QFileInfo(site + "/index.html").isFile());
        QCOMPARE(shown, (QList<QUrl>{QUrl::fromLocalFile(site + "/index.html")}));
        QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join('\n')));

        // With an export's window active, that export; publishing again replaces the site.
        viewer.window.openfile(path);
        viewer.kinds.clear();
        viewer.answers = {CommonDialog::Choice(site)};
        publish->trigger();
        QCOMPARE(viewer.kinds, (QList<CommonDialog::Kind>{CommonDialog::Kind::folder}));
        QCOMPARE(shown.size(), 2);
        QVERIFY(messages.texts.isEmpty());

        // A folder of other things is refused, named, and left as it was.
        const QString other = sandbox.path("other");
        QVERIFY(QDir().mkpath(other));
        sandbox.write("other/mine.txt", "keep me");
        viewer.window.publish_export(path, other);
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts[0].contains(QDir::toNativeSeparators(other)),
                 qPrintable(messages.texts[0]));
        QCOMPARE(QDir(other).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"mine.txt"});
        QCOMPARE(shown.size(), 2);

        // Escape stops it: no site, nothing beside it, no message, the commands back.
        const QString big = sandbox.write("big.qlx", gt::bytes(big_export()));
        const QStringList before = QDir(sandbox.path(".")).entryList(QDir::AllEntries |
                                                                     QDir::NoDotAndDotDot);
        std::function<void()> stop = [&] {
            if (auto* status = viewer.window.findChild<qlx::dialogs::frmStatus*>();
                status != nullptr && status->isVisible()) {
                QTest::keyClick(status, Qt::Key_Escape);
                return;
            }
            QTimer::singleShot(0, &viewer.window, stop);
        };
        QTimer::singleShot(0, &viewer.window, stop);
        viewer.window.publish_export(big, sandbox.path("big site"));
        QCOMPARE(QDir(sandbox.path(".")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 before);
        QCOMPARE(messages.texts.size(), 1);
        QCOMPARE(shown.size(), 2);
        QVERIFY(!viewer.window.converting());
        QVERIFY(publish->isEnabled());
    }

    void closing_the_program_during_a_conversion_opens_nothing() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        const QString path = sandbox.write("big.qlx", gt::bytes(big_export()));
        QTimer::singleShot(0, &viewer.window, [&] { viewer.window.close(); });
        viewer.window.openfile(path);
        QVERIFY(!viewer.window.isVisible());
        QVERIFY(!viewer.window.converting());
        QCOMPARE(gt::document_windows(viewer.window).size(), 0);
        QCOMPARE(viewer.window.findChildren<qlx::dialogs::frmStatus*>().size(), 0);
        QVERIFY(messages.texts.isEmpty());
    }

    void no_second_conversion_starts_inside_a_running_one() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        const QString path = sandbox.write("big.qlx", gt::bytes(big_export()));
        QAction* open = viewer.window.findChild<QAction*>(QStringLiteral("mnuFileOpen"));
        // Nor do the documents become tabs meanwhile: those opened after would have none.
        QAction* tabs = viewer.window.findChild<QAction*>(QStringLiteral("mnuWindowTabbedView"));
        viewer.window.new_document();
        bool was_disabled = false;
        QTimer::singleShot(0, &viewer.window, [&] {
            was_disabled = !open->isEnabled() && !tabs->isEnabled();
            viewer.answers << path;
            open->trigger();
            viewer.window.openfile(path);
            // Close All waits too: no window goes while the conversion runs.
            viewer.window.mnuWindowCloseAll_Click();
        });
        viewer.window.openfile(path);
        QVERIFY(was_disabled);
        QVERIFY(viewer.asked.isEmpty());
        QCOMPARE(gt::captions(viewer.window), (QStringList{"Document 1", "ONE", "TWO"}));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].startsWith(QStringLiteral("Wait until")));
        QVERIFY(open->isEnabled() && tabs->isEnabled());
    }

    void two_viewers_converting_at_once_each_show_their_own_documents() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer first;
        Viewer second;
        using qlx::testing::counted;
        const QString big = sandbox.write("big.qlx", gt::bytes(big_export()));
        const QString other = sandbox.write(
            "other.qlx",
            gt::bytes(qlx::testing::lines({"MEDITECH.CUST.RPTS^NPR", "PROC", "UNO", counted("X"),
                                           "PROC", "DOS", counted("X")})));
        // The second viewer converts while the first is writing its documents, once the
        // first has finished its first document.
        QTimer poll;
        connect(&poll, &QTimer::timeout, &first.window, [&] {
            const auto* status = first.window.findChild<qlx::dialogs::frmStatus*>();
            if (status != nullptr && status->Label3->text() == QStringLiteral("Parsing Data") &&
                !status->Label1->text().startsWith(QStringLiteral("0 "))) {
                poll.stop();
                second.window.openfile(other);
            }
        });
        poll.start(0);
        first.window.openfile(big);
        QCOMPARE(gt::captions(first.window), (QStringList{"ONE", "TWO"}));
        QCOMPARE(gt::captions(second.window), (QStringList{"UNO", "DOS"}));
        for (const auto* viewer : {&first, &second}) {
            for (QMdiSubWindow* window : gt::document_windows(viewer->window)) {
                const QString caption = gt::form_of(window)->caption();
                QVERIFY2(text_of(window).contains(QStringLiteral("Procedure") + caption),
                         qPrintable(caption));
            }
        }
        QVERIFY(messages.texts.isEmpty());
    }

    void closing_an_edited_document_asks_to_save_it_first() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        gt::SaveQuestionRecorder questions;
        Viewer viewer;
        viewer.window.openfile(sandbox.write("a.qlx", gt::bytes(small_export())));
        viewer.window.new_document();
        const QList<QMdiSubWindow*> windows = gt::document_windows(viewer.window);
        QMdiSubWindow* edited = windows[2];
        viewer.box().insertPlainText(QStringLiteral("typed"));
        QVERIFY(gt::form_of(edited)->is_edited());
        QVERIFY(edited->isWindowModified());
        QCOMPARE(edited->windowTitle(), QStringLiteral("Document 1[*]"));

        // Cancel, and Save with the save dialog cancelled, keep the window and its text.
        questions.answers << SaveChoice::cancel << SaveChoice::save;
        QVERIFY(!edited->close());
        QVERIFY(!edited->close());
        QCOMPARE(questions.texts, (QStringList(2, QStringLiteral("Save changes to Document 1?"))));
        QCOMPARE(viewer.kinds, QList{CommonDialog::Kind::save});
        QCOMPARE(gt::document_windows(viewer.window).size(), 3);

        // Save with a name saves and closes; converted documents close without a question.
        questions.answers << SaveChoice::save;
        viewer.answers << sandbox.path("kept.txt");
        QVERIFY(edited->close());
        QCOMPARE(gt::read_all(sandbox.path("kept.txt")), QByteArray("typed\r\n"));
        QVERIFY(windows[0]->close());
        QCOMPARE(questions.texts.size(), 3);

        // Discard closes without saving.
        gt::form_of(windows[1])->RichTextBox1()->insertPlainText(QStringLiteral("x"));
        questions.answers << SaveChoice::discard;
        QVERIFY(windows[1]->close());
        QCOMPARE(questions.texts.last(), QStringLiteral("Save changes to TWO?"));
        QCOMPARE(viewer.asked.size(), 2);
        QVERIFY(gt::document_windows(viewer.window).isEmpty());
        QVERIFY(messages.texts.isEmpty());
    }

    void exit_asks_once_for_all_edited_documents() {
        gt::Sandbox sandbox;
        gt::SaveQuestionRecorder questions;
        Viewer viewer;
        viewer.window.show();
        for (int i = 0; i < 3; ++i) {
            viewer.window.new_document();
            if (i != 1) {
                viewer.box().insertPlainText(QStringLiteral("text %1").arg(i));
            }
        }
        QVERIFY(!viewer.window.close());
        QCOMPARE(questions.texts, QStringList{"Save changes to these 2 documents?"});
        QCOMPARE(questions.lists, QStringList{"Document 1\nDocument 3"});
        QVERIFY(viewer.window.isVisible());
        QCOMPARE(gt::document_windows(viewer.window).size(), 3);

        // Save asks for each name in turn; a save cancelled keeps everything open.
        questions.answers << SaveChoice::save << SaveChoice::save;
        viewer.answers << sandbox.path("one.txt");
        QVERIFY(!viewer.window.close());
        QCOMPARE(gt::read_all(sandbox.path("one.txt")), QByteArray("text 0\r\n"));
        viewer.answers << sandbox.path("three.txt");
        QVERIFY(viewer.window.close());
        QCOMPARE(questions.texts.last(), QStringLiteral("Save changes to Document 3?"));
        QCOMPARE(gt::read_all(sandbox.path("three.txt")), QByteArray("text 2\r\n"));
        const QSettings settings(QStringLiteral("QLX Viewer"), QStringLiteral("QLX Viewer"));
        QVERIFY(settings.contains(QStringLiteral("Settings/MainWidth")));
    }

    void save_takes_format_and_extension_from_the_filter_when_the_name_has_none() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        viewer.window.new_document();
        viewer.box().setText(QStringLiteral("body"));
        viewer.answers << CommonDialog::Choice(sandbox.path("rich"), 1)
                       << CommonDialog::Choice(sandbox.path("plain"), 2)
                       << CommonDialog::Choice(sandbox.path("any"), 3)
                       << CommonDialog::Choice(sandbox.path("named.TXT"), 1)
                       << CommonDialog::Choice(sandbox.path("report.v2"), 1);
        for (int i = 0; i < 5; ++i) {
            viewer.window.mnuFileSave_Click();
        }
        QVERIFY(gt::read_all(sandbox.path("rich.rtf")).startsWith("{\\rtf"));
        QCOMPARE(gt::read_all(sandbox.path("plain.txt")), QByteArray("body\r\n"));
        QCOMPARE(gt::read_all(sandbox.path("any")), QByteArray("body\r\n"));
        QCOMPARE(gt::read_all(sandbox.path("named.TXT")), QByteArray("body\r\n"));
        QVERIFY(gt::read_all(sandbox.path("report.v2")).startsWith("{\\rtf"));
        QCOMPARE(viewer.window.dlgCommonDialog.FilterIndex, 1);
        QVERIFY(!QFileInfo::exists(sandbox.path("rich")));
        QVERIFY(messages.texts.isEmpty());
    }

    void all_files_never_drops_a_documents_formatting() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        // A converted document, with "All Files": any name but a ".txt" one saves RTF; the
        // text filter or a ".txt" name saves text.
        viewer.window.openfile(sandbox.write("a.qlx", gt::bytes(small_export())));
        viewer.answers << CommonDialog::Choice(sandbox.path("spec_all"), 3)
                       << CommonDialog::Choice(sandbox.path("notes.v2"), 3)
                       << CommonDialog::Choice(sandbox.path("notes.txt"), 3)
                       << CommonDialog::Choice(sandbox.path("plain.v2"), 2);
        for (int i = 0; i < 4; ++i) {
            viewer.window.mnuFileSaveAs_Click();
        }
        QVERIFY(gt::read_all(sandbox.path("spec_all")).startsWith("{\\rtf1"));
        QVERIFY(gt::read_all(sandbox.path("notes.v2")).startsWith("{\\rtf1"));
        const QByteArray text = gt::read_all(sandbox.path("notes.txt"));
        QVERIFY2(text.startsWith("MEDITECH.CUST.RPTS\r\n"), text.constData());
        QCOMPARE(gt::read_all(sandbox.path("plain.v2")), text);

        // A document opened as text stays text, until some of it is formatted.
        viewer.window.openfile(sandbox.write("readme", "read me"));
        viewer.answers << CommonDialog::Choice(sandbox.path("readme.v2"), 3)
                       << CommonDialog::Choice(sandbox.path("bold.v2"), 3);
        viewer.window.mnuFileSaveAs_Click();
        QCOMPARE(gt::read_all(sandbox.path("readme.v2")), QByteArray("read me\r\n"));
        viewer.box().selectAll();
        viewer.box().setSelBold(true);
        viewer.window.mnuFileSaveAs_Click();
        QVERIFY(gt::read_all(sandbox.path("bold.v2")).startsWith("{\\rtf1"));
        QVERIFY(gt::read_all(sandbox.path("bold.v2")).contains("\\b read me"));
        QVERIFY(messages.texts.isEmpty());
    }

    void a_save_onto_a_full_disk_keeps_the_old_file_and_says_why() {
#ifdef _WIN32
        QSKIP("no small file system to fill here");
#else
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        qlx::testing::SmallFileSystem small(sandbox.path("small").toStdString());
        small.put("doc.txt", std::string(3400, 'o'));
        small.leave_free(8 * 1024);
        viewer.window.new_document();
        viewer.box().setText(QString(12 * 1024, QLatin1Char('n')));
        viewer.box().insertPlainText(QStringLiteral("edit"));
        viewer.answers << sandbox.path("small/doc.txt");
        viewer.window.mnuFileSave_Click();
        small.end_limit();
        QCOMPARE(gt::read_all(sandbox.path("small/doc.txt")), QByteArray(3400, 'o'));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts[0].contains(sandbox.path("small/doc.txt")),
                 qPrintable(messages.texts[0]));
        QVERIFY2(messages.texts[0].contains(QString::fromStdString(small.full_reason())),
                 qPrintable(messages.texts[0]));
        QVERIFY(viewer.window.active_document()->is_edited());
#endif
    }

    void a_read_only_file_is_marked_and_never_replaced() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        const QString locked = sandbox.write("locked.txt", "old");
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        viewer.window.openfile(locked);
        QMdiSubWindow* window = gt::document_windows(viewer.window).front();
        QCOMPARE(window->windowTitle(), locked + QStringLiteral(" (read-only)[*]"));
        QCOMPARE(gt::form_of(window)->caption(), locked);
        viewer.box().insertPlainText(QStringLiteral("new "));
        viewer.answers << locked;
        viewer.window.mnuFileSave_Click();
        QCOMPARE(messages.texts,
                 QStringList{QStringLiteral("The file \"%1\" is read-only, so it was left as it "
                                            "was.\n\nSave the document under another name.")
                                 .arg(QDir::toNativeSeparators(locked))});
        QCOMPARE(messages.kinds, QList{qlx::shell::MessageKind::problem});
        QCOMPARE(gt::read_all(locked), QByteArray("old"));
        QVERIFY(gt::form_of(window)->is_edited());
        QVERIFY(window->isWindowModified());

        // Saved under another name, the window stands for a file that can be written.
        viewer.answers << sandbox.path("copy.txt");
        viewer.window.mnuFileSave_Click();
        QCOMPARE(gt::read_all(sandbox.path("copy.txt")), QByteArray("new old\r\n"));
        QCOMPARE(window->windowTitle(),
                 QDir::toNativeSeparators(sandbox.path("copy.txt")) + QStringLiteral("[*]"));
        QCOMPARE(messages.texts.size(), 1);
    }

    void a_file_in_a_folder_closed_to_the_user_is_saved_in_place() {
#ifdef _WIN32
        QSKIP("folders are closed by their rights here");
#else
        using qlx::testing::AsOtherUser;
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        QVERIFY(QDir(sandbox.path(QString())).mkdir(QStringLiteral("closed")));
        const QString doc = sandbox.write("closed/doc.txt", "old");
        const QString big = sandbox.write("closed/big.txt", QByteArray(3400, 'o'));
        if (::geteuid() == 0) {
            // The user who saves (nobody, below) owns the files, not their folder.
            for (const QString& file : {doc, big}) {
                QCOMPARE(::chown(QFile::encodeName(file).constData(), AsOtherUser::user,
                                 AsOtherUser::group),
                         0);
            }
            QFile::setPermissions(sandbox.path(QString()),
                                  QFile::permissions(sandbox.path(QString())) | QFile::ExeOther);
        }
        const auto open_folder = [&](bool open) {
            QFile::setPermissions(sandbox.path("closed"),
                                  QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                      QFile::ExeOther |
                                      (open ? QFile::WriteOwner : QFile::Permissions()));
        };
        open_folder(false);
        viewer.window.new_document();
        viewer.box().insertPlainText(QStringLiteral("new"));
        viewer.window.new_document();
        viewer.box().setText(QString(12 * 1024, QLatin1Char('n')));
        viewer.box().insertPlainText(QStringLiteral("edit"));
        const QList<QMdiSubWindow*> windows = gt::document_windows(viewer.window);
        {
            AsOtherUser other;
            viewer.answers << doc;
            QMdiArea* area = viewer.window.findChild<QMdiArea*>();
            area->setActiveSubWindow(windows[0]);
            viewer.window.mnuFileSave_Click();
            QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join('\n')));
            QCOMPARE(gt::read_all(doc), QByteArray("new\r\n"));
            QVERIFY(!gt::form_of(windows[0])->is_edited());

            // Cut short, the file may be incomplete: the message says so, the document stays
            // edited.
            qlx::testing::SmallFileSystem small(sandbox.path("closed").toStdString(), false);
            small.leave_free(8 * 1024);
            area->setActiveSubWindow(windows[1]);
            viewer.answers << big;
            viewer.window.mnuFileSave_Click();
            small.end_limit();
            QCOMPARE(messages.texts,
                     QStringList{QStringLiteral("The file \"%1\" could not be saved completely and "
                                                "may be incomplete now.\n\n%2\n\nSave the "
                                                "document under another name.")
                                     .arg(QDir::toNativeSeparators(big),
                                          QString::fromStdString(small.full_reason()))});
            QVERIFY(gt::form_of(windows[1])->is_edited());
        }
        QCOMPARE(QFileInfo(big).size(), 8 * 1024);
        QCOMPARE(QDir(sandbox.path("closed")).entryList(QDir::Files | QDir::Hidden).size(), 2);
        open_folder(true);
#endif
    }

    void a_file_of_another_owner_stays_theirs_or_is_read_only() {
#ifdef _WIN32
        QSKIP("owners are rights here");
#else
        using qlx::testing::AsOtherUser;
        if (::geteuid() != 0) {
            QSKIP("only the administrator can give a file to someone else");
        }
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        const QString theirs = sandbox.write("theirs.txt", "old");
        QCOMPARE(
            ::chown(QFile::encodeName(theirs).constData(), AsOtherUser::user, AsOtherUser::group),
            0);
        QFile::setPermissions(theirs, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        viewer.window.openfile(theirs);
        viewer.box().insertPlainText(QStringLiteral("new "));
        viewer.answers << theirs;
        viewer.window.mnuFileSave_Click();
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(gt::read_all(theirs), QByteArray("new old\r\n"));
        QCOMPARE(QFileInfo(theirs).ownerId(), AsOtherUser::user);
        QCOMPARE(QFileInfo(theirs).groupId(), AsOtherUser::group);
        QCOMPARE(QFile::permissions(theirs) & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

        // For someone else, the administrator's file that only its owner may write is
        // read-only.
        const QString roots = sandbox.write("roots.txt", "root's");
        QFile::setPermissions(sandbox.path(QString()),
                              QFile::permissions(sandbox.path(QString())) | QFile::ExeOther);
        AsOtherUser other;
        viewer.window.openfile(roots);
        QCOMPARE(gt::document_windows(viewer.window).last()->windowTitle(),
                 roots + QStringLiteral(" (read-only)[*]"));
        viewer.box().insertPlainText(QStringLiteral("other's "));
        viewer.answers << roots;
        viewer.window.mnuFileSave_Click();
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts[0].contains(QStringLiteral("is read-only")),
                 qPrintable(messages.texts[0]));
        QCOMPARE(gt::read_all(roots), QByteArray("root's"));
#endif
    }

    void dropped_files_open_as_file_open_would_and_dropped_text_is_text() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        const QString exported = sandbox.write("a.qlx", gt::bytes(small_export()));
        const QString text = sandbox.write("notes.txt", "notes");
        drop(&viewer.window, {QUrl::fromLocalFile(exported), QUrl::fromLocalFile(text)});
        QCOMPARE(gt::captions(viewer.window), (QStringList{"ONE", "TWO", text}));

        qlx::document::RichTextBox& box = viewer.box();
        drop(box.viewport(), {QUrl::fromLocalFile(sandbox.write("b.rtf", "{\\rtf1 B}"))},
             QStringLiteral("file:///ignored"));
        QCOMPARE(gt::captions(viewer.window).last(), sandbox.path("b.rtf"));
        QCOMPARE(box.Text(), QStringLiteral("notes"));
        drop(box.viewport(), {}, QStringLiteral("dropped "));
        QVERIFY2(box.Text().contains(QStringLiteral("dropped ")), qPrintable(box.Text()));
        QCOMPARE(gt::document_windows(viewer.window).size(), 4);
        QVERIFY(messages.texts.isEmpty());
    }

    void an_export_resaved_as_utf8_with_a_byte_order_mark_is_converted() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        using qlx::testing::counted;
        viewer.window.openfile(sandbox.write(
            "bom.qlx",
            "\xEF\xBB\xBF" + gt::bytes(qlx::testing::lines(
                                 {"MEDITECH.CUST.RPTS^NPR", "PROC", "CAF\xC3\x89", counted("X"),
                                  "PROC", "SMILE\xF0\x9F\x98\x80", counted("X")}))));
        QCOMPARE(gt::captions(viewer.window), (QStringList{"CAFÉ", "SMILE?"}));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts[0].contains(QStringLiteral("line: 6 (re-encoded from UTF-8")),
                 qPrintable(messages.texts[0]));
    }

    void names_that_are_not_utf8_reach_the_file_system_as_they_are() {
#ifdef _WIN32
        QSKIP("names are wide strings here");
#else
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        const std::string folder = sandbox.path(QString()).toStdString();
        std::ofstream(folder + "/caf\xE9.txt", std::ios::binary) << "latin";
        std::ofstream(folder + "/caf\xE9.qlx", std::ios::binary) << small_export();
        const auto argument = [&](const char* name) {
            return qlx::shell::path_from_native(std::filesystem::path(folder + "/" + name));
        };
        qlx::shell::frmMain window;
        window.MDIForm_Load(
            {argument("caf\xE9.txt"), argument("caf\xE9.qlx"), argument("gon\xE9.txt")});
        const QString shown = sandbox.path(QStringLiteral("caf\uFFFD.txt"));
        QCOMPARE(gt::captions(window), (QStringList{shown, "ONE", "TWO"}));
        QCOMPARE(text_of(gt::document_windows(window).front()), QStringLiteral("latin"));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts[0].contains(QStringLiteral("gon\uFFFD.txt")),
                 qPrintable(messages.texts[0]));
        QCOMPARE(qlx::shell::native_path(argument("caf\xE9.txt")).native(),
                 folder + "/caf\xE9.txt");
        for (const char* name : {"/caf\xE9.txt", "/caf\xE9.qlx"}) {
            std::filesystem::remove(folder + name);  // beyond what QTemporaryDir can name
        }
#endif
    }

    void devices_and_pipes_are_refused_unread() {
#ifdef _WIN32
        QSKIP("no devices or pipes by name here");
#else
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        const QString fifo = sandbox.path("fifo.qlx");
        QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        viewer.window.openfile(QStringLiteral("/dev/zero"));
        viewer.window.openfile(fifo);
        viewer.answers << fifo;
        viewer.window.mnuFileText_Click();
        QVERIFY(gt::document_windows(viewer.window).isEmpty());
        QCOMPARE(messages.texts.size(), 3);
        QCOMPARE(messages.texts[0],
                 QStringLiteral("\"/dev/zero\" is not a regular file, so it cannot be opened: it "
                                "is a device."));
        QCOMPARE(messages.texts[1], QStringLiteral("\"%1\" is not a regular file, so it cannot be "
                                                   "opened: it is a pipe.")
                                        .arg(fifo));
        QCOMPARE(messages.texts[2], messages.texts[1]);
#endif
    }
};

QTEST_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
