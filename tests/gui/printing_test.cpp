#include <QAbstractButton>
#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "shell/printing.h"

using qlx::document::frmDocument;
using qlx::shell::PrintDialogRunner;

namespace {

// Answers the print dialog while it lives: remembers how it was set up, prints to a PDF
// file, and accepts or cancels it.
class PrintToPdf {
public:
    PrintToPdf(const QString& path, bool accept) {
        previous_ = qlx::shell::set_print_dialog_runner([this, path, accept](QPrintDialog& dialog) {
            ++shown;
            range = dialog.printRange();
            selection_offered = dialog.testOption(QAbstractPrintDialog::PrintSelection);
            page_range_offered = dialog.testOption(QAbstractPrintDialog::PrintPageRange);
            dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog.printer()->setOutputFileName(path);
            // The user's choice of range does not change what is printed.
            dialog.setPrintRange(QAbstractPrintDialog::AllPages);
            return accept;
        });
    }
    ~PrintToPdf() { qlx::shell::set_print_dialog_runner(std::move(previous_)); }

    int shown = 0;
    QAbstractPrintDialog::PrintRange range = QAbstractPrintDialog::PageRange;
    bool selection_offered = false;
    bool page_range_offered = true;

private:
    PrintDialogRunner previous_;
};

QString run_tool(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0) {
        return QStringLiteral("<%1 failed>").arg(tool);
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The printed text without the page numbers under the pages.
QString pdf_text(const QString& path) {
    static const QRegularExpression page_number(QStringLiteral("\\s*\\d+\\s*\\f"));
    return run_tool(QStringLiteral("pdftotext"), {path, QStringLiteral("-")})
        .replace(page_number, QStringLiteral("\n"))
        .simplified();
}

void fill(frmDocument& form) {
    form.RichTextBox1()->setText(
        QStringLiteral("First line ALPHA\r\nSecond line BRAVO\r\nThird line CHARLIE"));
}

void select_second_line(frmDocument& form) {
    QTextCursor cursor = form.RichTextBox1()->textCursor();
    cursor.setPosition(17);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    form.RichTextBox1()->setTextCursor(cursor);
}

}  // namespace

class PrintingTest : public QObject {
    Q_OBJECT

private slots:
    void a_selection_prints_alone() {
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("selection.pdf"));
        frmDocument form;
        fill(form);
        select_second_line(form);
        PrintToPdf printer(pdf, true);
        qlx::shell::print_document(&form, nullptr);
        QCOMPARE(printer.shown, 1);
        QCOMPARE(printer.range, QAbstractPrintDialog::Selection);
        QVERIFY(printer.selection_offered);
        QVERIFY(!printer.page_range_offered);
        QCOMPARE(pdf_text(pdf), QStringLiteral("Second line BRAVO"));
    }

    void the_print_dialog_shows_the_selection_chosen_and_the_preview_says_so() {
        frmDocument form;
        fill(form);
        form.set_caption(QStringLiteral("LAB"));
        // The dialog as the user sees it: the range "Selection" chosen where it can be seen,
        // "All" there to switch to; without a selection, "All" chosen and no "Selection".
        struct Seen {
            bool selection_chosen = false;
            bool selection_shown = false;
            bool all_shown = false;
            bool all_chosen = false;
        };
        QList<Seen> seen;
        const auto previous = qlx::shell::set_print_dialog_runner([&](QPrintDialog& dialog) {
            dialog.show();
            QCoreApplication::processEvents();
            const auto* selection =
                dialog.findChild<QAbstractButton*>(QStringLiteral("printSelection"));
            const auto* all = dialog.findChild<QAbstractButton*>(QStringLiteral("printAll"));
            seen << Seen{selection != nullptr && selection->isChecked(),
                         selection != nullptr && selection->isVisible(),
                         all != nullptr && all->isVisible() && all->isEnabled(),
                         all != nullptr && all->isChecked()};
            dialog.hide();
            return false;
        });
        select_second_line(form);
        qlx::shell::print_document(&form, nullptr);
        form.RichTextBox1()->setTextCursor(QTextCursor(form.RichTextBox1()->document()));
        qlx::shell::print_document(&form, nullptr);
        qlx::shell::set_print_dialog_runner(previous);
        QCOMPARE(seen.size(), 2);
        QVERIFY(seen[0].selection_chosen && seen[0].selection_shown && seen[0].all_shown);
        QVERIFY(!seen[0].all_chosen);
        QVERIFY(!seen[1].selection_chosen && !seen[1].selection_shown && seen[1].all_chosen);

        QStringList titles;
        const auto previous_preview = qlx::shell::set_preview_runner(
            [&](QPrintPreviewDialog& dialog) { titles << dialog.windowTitle(); });
        qlx::shell::preview_document(&form, nullptr, {});
        select_second_line(form);
        qlx::shell::preview_document(&form, nullptr, {});
        qlx::shell::set_preview_runner(previous_preview);
        QCOMPARE(titles, (QStringList{"Print Preview - LAB", "Print Preview - LAB (Selection)"}));
    }

    void without_a_selection_the_whole_document_prints() {
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("all.pdf"));
        frmDocument form;
        fill(form);
        PrintToPdf printer(pdf, true);
        qlx::shell::print_document(&form, nullptr);
        QCOMPARE(printer.range, QAbstractPrintDialog::AllPages);
        QVERIFY(!printer.selection_offered);
        QVERIFY(!printer.page_range_offered);
        QCOMPARE(pdf_text(pdf),
                 QStringLiteral("First line ALPHA Second line BRAVO Third line CHARLIE"));
    }

    void character_formatting_prints() {
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("bold.pdf"));
        frmDocument form;
        fill(form);
        const QString plain_fonts = [&] {
            PrintToPdf printer(pdf, true);
            qlx::shell::print_document(&form, nullptr);
            return run_tool(QStringLiteral("pdffonts"), {pdf});
        }();
        select_second_line(form);
        form.RichTextBox1()->setSelBold(true);
        form.RichTextBox1()->setTextCursor(QTextCursor(form.RichTextBox1()->document()));
        PrintToPdf printer(pdf, true);
        qlx::shell::print_document(&form, nullptr);
        const QString fonts = run_tool(QStringLiteral("pdffonts"), {pdf});
        QVERIFY2(!plain_fonts.contains(QStringLiteral("Bold")), qPrintable(plain_fonts));
        QVERIFY2(fonts.contains(QStringLiteral("Bold")), qPrintable(fonts));
    }

    // A picture prints as itself, from the whole document or from a selection (not as Qt's
    // picture of a missing file).
    void pictures_print() {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        frmDocument form;
        form.RichTextBox1()->setTextRTF("{\\rtf1 before {\\pict\\pngblip " +
                                        png.toHex().toStdString() + "} after}");
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("picture.pdf"));
        for (const bool selected : {false, true}) {
            if (selected) {
                QTextCursor cursor = form.RichTextBox1()->textCursor();
                cursor.setPosition(5);
                cursor.setPosition(10, QTextCursor::KeepAnchor);
                form.RichTextBox1()->setTextCursor(cursor);
            }
            PrintToPdf printer(pdf, true);
            qlx::shell::print_document(&form, nullptr);
            const QString images =
                run_tool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
            static const QRegularExpression eight_by_eight(QStringLiteral("\\bimage\\s+8\\s+8\\b"));
            QVERIFY2(images.contains(eight_by_eight), qPrintable(images));
        }
    }

    void cancel_prints_nothing() {
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("cancelled.pdf"));
        frmDocument form;
        fill(form);
        PrintToPdf printer(pdf, false);
        qlx::shell::print_document(&form, nullptr);
        QCOMPARE(printer.shown, 1);
        QVERIFY(!QFile::exists(pdf));
    }

    void page_setup_lays_out_what_print_and_preview_print() {
        QTemporaryDir folder;
        frmDocument form;
        fill(form);
        // Page Setup: landscape with wide margins; Cancel keeps the page as it was.
        QPageLayout page;
        const auto previous_setup = qlx::shell::set_page_setup_runner([](QPageSetupDialog& dialog) {
            dialog.printer()->setPageOrientation(QPageLayout::Landscape);
            dialog.printer()->setPageMargins(QMarginsF(30, 25, 30, 25), QPageLayout::Millimeter);
            return true;
        });
        qlx::shell::set_up_page(page, nullptr);
        qlx::shell::set_page_setup_runner([](QPageSetupDialog& dialog) {
            dialog.printer()->setPageOrientation(QPageLayout::Portrait);
            return false;
        });
        qlx::shell::set_up_page(page, nullptr);
        qlx::shell::set_page_setup_runner(previous_setup);
        QCOMPARE(page.orientation(), QPageLayout::Landscape);
        QCOMPARE(page.margins(QPageLayout::Millimeter).left(), 30.0);

        // Print lays its pages out so.
        const QString pdf = folder.filePath(QStringLiteral("landscape.pdf"));
        {
            PrintToPdf printer(pdf, true);
            qlx::shell::print_document(&form, nullptr, page);
        }
        const QString info = run_tool(QStringLiteral("pdfinfo"), {pdf});
        static const QRegularExpression size(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)"));
        const auto match = size.match(info);
        QVERIFY2(match.hasMatch() && match.captured(1).toDouble() > match.captured(2).toDouble(),
                 qPrintable(info));

        // The preview shows the same pages: landscape, with the document's text.
        QString previewed;
        const auto previous_preview =
            qlx::shell::set_preview_runner([&](QPrintPreviewDialog& dialog) {
                QPrinter pages(QPrinter::HighResolution);
                pages.setPageLayout(dialog.printer()->pageLayout());
                pages.setOutputFormat(QPrinter::PdfFormat);
                const QString preview_pdf = folder.filePath(QStringLiteral("preview.pdf"));
                pages.setOutputFileName(preview_pdf);
                emit dialog.paintRequested(&pages);
                QCOMPARE(dialog.printer()->pageLayout().orientation(), QPageLayout::Landscape);
                previewed = pdf_text(preview_pdf);
            });
        qlx::shell::preview_document(&form, nullptr, page);
        qlx::shell::set_preview_runner(previous_preview);
        QCOMPARE(previewed,
                 QStringLiteral("First line ALPHA Second line BRAVO Third line CHARLIE"));
    }

    void without_a_document_no_dialog_opens() {
        QTemporaryDir folder;
        PrintToPdf printer(folder.filePath(QStringLiteral("none.pdf")), true);
        qlx::shell::print_document(nullptr, nullptr);
        QCOMPARE(printer.shown, 0);
    }
};

QTEST_MAIN(PrintingTest)
#include "printing_test.moc"
