#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include "dialogs/frm_status.h"
#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "gui_test_support.h"
#include "support/export_builder.h"

using qlx::shell::CommonDialog;
namespace gt = qlx::gui_testing;

namespace {

// A main window whose file dialog answers with prepared names and notes what it was asked.
struct Viewer {
    Viewer() {
        window.MDIForm_Load({});
        window.dlgCommonDialog.set_chooser([this](CommonDialog::Kind kind, const QString& filter) {
            asked << filter;
            kinds << kind;
            return answers.isEmpty() ? QString() : answers.takeFirst();
        });
    }

    qlx::document::RichTextBox& box() { return *window.active_document()->RichTextBox1; }

    qlx::shell::frmMain window;
    QStringList answers;
    QStringList asked;
    QList<CommonDialog::Kind> kinds;
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
                ->RichTextBox1->Text();
        };
        QCOMPARE(text_of(0), QStringLiteral("Café €"));
        QCOMPARE(text_of(1), QStringLiteral("Café €"));
        QVERIFY(text_of(2).startsWith(QStringLiteral("MEDITECH.CUST.RPTS^NPR^Hospital\r\nPROC")));
    }

    void filters_become_qt_name_filters() {
        QCOMPARE(qlx::shell::qt_name_filters(
                     "TXT Files (*.txt) | *.txt|RTF files (*.rtf) | *.rtf|All Files (*.*) | *.*"),
                 QStringLiteral("TXT Files (*.txt);;RTF files (*.rtf);;All Files (*.*)"));
        QCOMPARE(qlx::shell::qt_name_filters("Pictures|*.png;*.bmp|Odd"),
                 QStringLiteral("Pictures (*.png *.bmp)"));
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
        QVERIFY(rtf.startsWith("{\\rtf"));
        QCOMPARE(rtf, gt::bytes(viewer.box().TextRTF()) + "\r\n");
        qlx::document::RichTextBox reread;
        QVERIFY(reread.LoadFile(sandbox.path("out.RTF")));
        QCOMPARE(reread.Text(), QStringLiteral("one\r\ntwo é"));
        QVERIFY(messages.texts.isEmpty());
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

    void close_answers_with_its_message_and_keeps_the_document() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        Viewer viewer;
        viewer.window.new_document();
        viewer.window.mnuFileClose_Click();
        QCOMPARE(messages.texts, QStringList{"Close Code goes here!"});
        QCOMPARE(messages.kinds, QList{qlx::shell::MessageKind::plain});
        QCOMPARE(gt::document_windows(viewer.window).size(), 1);
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
        bool was_disabled = false;
        QTimer::singleShot(0, &viewer.window, [&] {
            was_disabled = !open->isEnabled();
            viewer.answers << path;
            open->trigger();
            viewer.window.openfile(path);
        });
        viewer.window.openfile(path);
        QVERIFY(was_disabled);
        QVERIFY(viewer.asked.isEmpty());
        QCOMPARE(gt::captions(viewer.window), (QStringList{"ONE", "TWO"}));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].startsWith(QStringLiteral("Wait until")));
        QVERIFY(open->isEnabled());
    }
};

QTEST_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
