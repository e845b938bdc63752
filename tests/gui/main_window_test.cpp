#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QTest>

#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "document/twips.h"
#include "gui_test_support.h"
#include "richtext/text_search.h"
#include "shell/placement.h"
#include "support/export_builder.h"

using qlx::shell::Placement;
namespace gt = qlx::gui_testing;

namespace {

QRect twips_rect(const Placement& placement) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double x_dpi = screen->logicalDotsPerInchX();
    const double y_dpi = screen->logicalDotsPerInchY();
    using qlx::document::twips_to_pixels;
    return {twips_to_pixels(placement.left, x_dpi), twips_to_pixels(placement.top, y_dpi),
            twips_to_pixels(placement.width, x_dpi), twips_to_pixels(placement.height, y_dpi)};
}

Placement stored_placement() {
    const QSettings settings(QStringLiteral("QLX Viewer"), QStringLiteral("QLX Viewer"));
    return qlx::shell::read_placement(settings);
}

void store_values(const QStringList& values) {
    QSettings settings(QStringLiteral("QLX Viewer"), QStringLiteral("QLX Viewer"));
    const QStringList keys{"MainLeft", "MainTop", "MainWidth", "MainHeight"};
    for (int i = 0; i < keys.size(); ++i) {
        settings.setValue(QStringLiteral("Settings/") + keys[i], values[i]);
    }
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void first_start_uses_the_defaults_and_makes_the_output_folder() {
        gt::Sandbox sandbox;
        qlx::shell::frmMain window;
        window.MDIForm_Load({});
        QCOMPARE(window.frameGeometry(), twips_rect({1000, 1000, 6500, 6500}));
        QCOMPARE(window.windowTitle(), QStringLiteral("Tarnwell QLX Viewer"));
        QVERIFY(QFileInfo(sandbox.output_folder()).isDir());
        QCOMPARE(gt::document_windows(window).size(), 0);
        const auto panels = window.statusBar()->findChildren<QLabel*>();
        QVERIFY(!panels.isEmpty());
        QCOMPARE(panels.front()->text(), QString());
    }

    void a_maximised_window_comes_back_maximised_keeping_its_normal_place() {
        gt::Sandbox sandbox;
        const Placement normal{1500, 1200, 7050, 4950};  // whole pixels at 96 dots an inch
        {
            qlx::shell::frmMain window;
            window.MDIForm_Load({});
            const QRect target = twips_rect(normal);
            window.move(target.topLeft());
            window.resize(target.size() - (window.frameGeometry().size() - window.size()));
            window.showMaximized();
            QVERIFY(window.isMaximized());
            window.close();
        }
        QCOMPARE(stored_placement(), normal);
        qlx::shell::frmMain window;
        window.MDIForm_Load({});
        QVERIFY(window.isMaximized());
        window.showNormal();
        QCOMPARE(window.frameGeometry(), twips_rect(normal));
    }

    void placement_is_saved_in_twips_and_restored() {
        gt::Sandbox sandbox;
        const Placement moved{1500, 1200, 9000, 7500};
        {
            qlx::shell::frmMain window;
            window.MDIForm_Load({});
            const QRect target = twips_rect(moved);
            window.move(target.topLeft());
            window.resize(target.size() - (window.frameGeometry().size() - window.size()));
            window.close();
        }
        QCOMPARE(stored_placement(), moved);
        qlx::shell::frmMain window;
        window.MDIForm_Load({});
        QCOMPARE(window.frameGeometry(), twips_rect(moved));
    }

    void minimised_exit_keeps_the_placement_of_the_run_before() {
        gt::Sandbox sandbox;
        store_values({"2000", "1500", "8000", "6000"});
        qlx::shell::frmMain window;
        window.MDIForm_Load({});
        window.move(window.pos() + QPoint(40, 40));
        window.showMinimized();
        window.close();
        QCOMPARE(stored_placement(), (Placement{2000, 1500, 8000, 6000}));
    }

    void unusable_values_fall_back_to_their_defaults() {
        gt::Sandbox sandbox;
        store_values({"left", "1e30", "-6500", "4500"});
        QCOMPARE(stored_placement(), (Placement{1000, 1000, 6500, 4500}));
        store_values({" 1200 ", "nan", "0", "inf"});
        QCOMPARE(stored_placement(), (Placement{1200, 1000, 6500, 6500}));
    }

    void a_placement_off_every_screen_is_pulled_back() {
        const QList<QRect> screens{{0, 0, 1280, 1024}, {1280, 0, 1024, 768}};
        const QRect on_second(1400, 100, 500, 400);
        QCOMPARE(qlx::shell::fit_onto_screens(on_second, screens), on_second);
        const QRect half_out(1200, 500, 500, 400);
        QCOMPARE(qlx::shell::fit_onto_screens(half_out, screens), half_out);
        QCOMPARE(qlx::shell::fit_onto_screens({5000, 100, 500, 400}, screens),
                 QRect(780, 100, 500, 400));
        QCOMPARE(qlx::shell::fit_onto_screens({100, -300, 500, 400}, screens),
                 QRect(100, 0, 500, 400));
        QCOMPARE(qlx::shell::fit_onto_screens({-9000, -9000, 3000, 2000}, screens),
                 QRect(0, 0, 1280, 1024));
        QCOMPARE(qlx::shell::fit_onto_screens({1400, 900, 500, 400}, screens),
                 QRect(780, 624, 500, 400));

        gt::Sandbox sandbox;
        store_values({"900000", "900000", "6500", "6500"});
        qlx::shell::frmMain window;
        window.MDIForm_Load({});
        QVERIFY(window.screen()->availableGeometry().contains(window.frameGeometry()));
    }

    void command_line_paths_that_cannot_be_opened_are_reported_each() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        const QString missing = QDir::toNativeSeparators(sandbox.path(QStringLiteral("gone.qlx")));
        const QString folder = QDir::toNativeSeparators(sandbox.path(QStringLiteral("cache")));
        qlx::shell::frmMain window;
        window.MDIForm_Load({missing, folder});
        QVERIFY(window.isVisible());
        QCOMPARE(gt::document_windows(window).size(), 0);
        QCOMPARE(
            messages.texts,
            (QStringList{QStringLiteral("The file \"%1\" could not be opened.\n\nNo such file "
                                        "or directory")
                             .arg(missing),
                         QStringLiteral("\"%1\" is not a regular file, so it cannot be opened: "
                                        "it is a folder.")
                             .arg(folder)}));
    }

    void command_line_plain_text_opens_as_given_each_path_in_turn() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        const QString second = sandbox.write(QStringLiteral("a.txt"), "other");
        const QString path = sandbox.write(QStringLiteral("b.txt"), "first\r\nsecond {\\b x}\r\n");
        qlx::shell::frmMain window;
        window.MDIForm_Load({second, path});
        QCOMPARE(gt::captions(window), (QStringList{second, path}));
        QCOMPARE(window.active_document()->RichTextBox1()->Text(),
                 QStringLiteral("first\r\nsecond {\\b x}\r\n"));
        QVERIFY(messages.texts.isEmpty());
        QVERIFY(!window.active_document()->is_edited());
    }

    void command_line_rtf_in_any_case_opens_as_rtf() {
        gt::Sandbox sandbox;
        const QString path =
            sandbox.write(QStringLiteral("report.RTF"), "{\\rtf1\\ansi {\\b Bold} text\\par}");
        qlx::shell::frmMain window;
        window.MDIForm_Load({path});
        QCOMPARE(gt::captions(window), QStringList{path});
        QCOMPARE(window.active_document()->RichTextBox1()->Text(), QStringLiteral("Bold text\r\n"));
    }

    void command_line_export_opens_one_window_per_procedure_in_order() {
        gt::Sandbox sandbox;
        gt::MessageRecorder messages;
        using qlx::testing::counted;
        const QString path = sandbox.write(
            QStringLiteral("three.qlx"),
            gt::bytes(qlx::testing::lines({"MEDITECH.CUST.RPTS^NPR^Hospital", "PROC", "ONE",
                                           counted("LAB.C"), "PROC", "TWO", counted("LAB.C"),
                                           "@@PROC", "TH\xC9REE", counted("LAB.C")})));
        qlx::shell::frmMain window;
        window.MDIForm_Load({path});
        QCOMPARE(gt::captions(window), (QStringList{"ONE", "TWO", QStringLiteral("THÉREE")}));
        // They open cascaded, each down and to the right of the one before.
        const QList<QMdiSubWindow*> opened = gt::document_windows(window);
        for (qsizetype i = 1; i < opened.size(); ++i) {
            const QPoint step = opened[i]->pos() - opened[i - 1]->pos();
            QVERIFY2(step.x() > 0 && step.x() == step.y(),
                     qPrintable(QStringLiteral("%1,%2").arg(step.x()).arg(step.y())));
        }
        // The documents are in a folder of this conversion's own inside the viewer's folder.
        const QStringList conversions =
            QDir(sandbox.output_folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(conversions.size(), 1);
        const QDir conversion(QDir(sandbox.output_folder()).filePath(conversions.front()));
        for (int n = 1; n <= 3; ++n) {
            QVERIFY(QFileInfo::exists(conversion.filePath(QStringLiteral("temp%1.rtf").arg(n))));
        }
        const QString text = window.active_document()->RichTextBox1()->Text();
        QVERIFY2(text.contains(QStringLiteral("THÉREE")), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("\\rtf")));
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);

        // A document never looked at waits as its RTF, and saves and prints as one shown.
        qlx::document::RichTextBox& waiting =
            *gt::form_of(gt::document_windows(window)[0])->RichTextBox1();
        QVERIFY(waiting.text_deferred());
        // It waits packed, and unpacks to the very bytes written.
        const QByteArray first_rtf = gt::read_all(conversion.filePath(QStringLiteral("temp1.rtf")));
        QCOMPARE(QByteArray::fromStdString(*waiting.deferred()->rtf()), first_rtf);
        QCOMPARE(*waiting.search_text(),
                 qlx::richtext::searchable_text(std::string_view(
                     first_rtf.constData(), static_cast<std::size_t>(first_rtf.size()))));
        QVERIFY(waiting.text_deferred());
        for (const QMdiSubWindow* document : gt::document_windows(window)) {
            QVERIFY(!gt::form_of(document)->is_edited());
            QVERIFY(!document->isWindowModified());
        }
        QVERIFY(!gt::form_of(gt::document_windows(window)[2])->text_deferred());
        // Asked for its text or its RTF, a waiting document answers as a shown one does.
        qlx::document::RichTextBox& asked =
            *gt::form_of(gt::document_windows(window)[1])->RichTextBox1();
        QVERIFY(asked.text_deferred());
        qlx::document::RichTextBox second;
        const QByteArray second_rtf =
            gt::read_all(conversion.filePath(QStringLiteral("temp2.rtf")));
        second.setTextRTF(
            std::string_view(second_rtf.constData(), static_cast<std::size_t>(second_rtf.size())));
        QCOMPARE(asked.TextRTF(), second.TextRTF());
        QVERIFY(!asked.text_deferred());
        QCOMPARE(asked.Text(), second.Text());
        QVERIFY(asked.Text().contains(QStringLiteral("TWO")));
        qlx::document::RichTextBox shown;
        shown.setTextRTF(
            std::string_view(first_rtf.constData(), static_cast<std::size_t>(first_rtf.size())));
        QPrinter to_shown;
        QPrinter to_waiting;
        for (auto [printer, name] :
             {std::pair{&to_shown, "shown.pdf"}, {&to_waiting, "waiting.pdf"}}) {
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(sandbox.path(QLatin1String(name)));
        }
        waiting.SelPrint(to_waiting);
        QVERIFY(!waiting.text_deferred());
        shown.SelPrint(to_shown);
        QCOMPARE(QFileInfo(sandbox.path(QStringLiteral("waiting.pdf"))).size(),
                 QFileInfo(sandbox.path(QStringLiteral("shown.pdf"))).size());
        QCOMPARE(waiting.TextRTF(), shown.TextRTF());
        QCOMPARE(waiting.Text(), shown.Text());
        QVERIFY(!gt::form_of(gt::document_windows(window)[0])->is_edited());
        QVERIFY(!gt::document_windows(window)[0]->isWindowModified());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
