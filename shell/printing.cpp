#include "shell/printing.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QString>

#include <utility>

#include "document/frm_document.h"
#include "document/rich_text_box.h"

namespace qlx::shell {

namespace {

PrintDialogRunner& print_dialog_runner() {
    static PrintDialogRunner runner;
    return runner;
}

bool run_print_dialog(QPrintDialog& dialog) {
    if (const PrintDialogRunner& runner = print_dialog_runner()) {
        return runner(dialog);
    }
    return dialog.exec() == QDialog::Accepted;
}

PageSetupRunner& page_setup_runner() {
    static PageSetupRunner runner;
    return runner;
}

PreviewRunner& preview_runner() {
    static PreviewRunner runner;
    return runner;
}

// A page layout that a printer can take: a default one stands for "as the printer has it".
void lay_out(QPrinter& printer, const QPageLayout& page) {
    if (page.isValid()) {
        printer.setPageLayout(page);
    }
}

// Qt's own print dialog (where the system has none of its own) opens with its options,
// the range among them, folded away behind a button: unfolded, the chosen range is seen.
void show_dialog_options(QPrintDialog& dialog) {
    const QString unfold = QPrintDialog::tr("&Options >>");
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == unfold) {
            button->click();
            return;
        }
    }
}

}  // namespace

void prepare_print_dialog(QPrintDialog& dialog, bool text_selected) {
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, text_selected);
    dialog.setPrintRange(text_selected ? QAbstractPrintDialog::Selection
                                       : QAbstractPrintDialog::AllPages);
    if (text_selected) {
        show_dialog_options(dialog);
    }
}

void print_document(document::frmDocument* document, QWidget* parent, const QPageLayout& page) {
    if (document == nullptr) {
        return;
    }
    const document::RichTextBox& box = *document->RichTextBox1();
    QPrinter printer(QPrinter::HighResolution);
    lay_out(printer, page);
    QPrintDialog dialog(&printer, parent);
    prepare_print_dialog(dialog, box.SelLength() > 0);
    if (!run_print_dialog(dialog) || !printer.isValid()) {
        return;
    }
    box.SelPrint(printer);
}

PrintDialogRunner set_print_dialog_runner(PrintDialogRunner runner) {
    return std::exchange(print_dialog_runner(), std::move(runner));
}

PageSetupRunner set_page_setup_runner(PageSetupRunner runner) {
    return std::exchange(page_setup_runner(), std::move(runner));
}

PreviewRunner set_preview_runner(PreviewRunner runner) {
    return std::exchange(preview_runner(), std::move(runner));
}

void set_up_page(QPageLayout& page, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    lay_out(printer, page);
    QPageSetupDialog dialog(&printer, parent);
    const bool chosen =
        page_setup_runner() ? page_setup_runner()(dialog) : dialog.exec() == QDialog::Accepted;
    if (chosen) {
        page = printer.pageLayout();
    }
}

void preview_document(document::frmDocument* document, QWidget* parent, const QPageLayout& page) {
    if (document == nullptr) {
        return;
    }
    const document::RichTextBox& box = *document->RichTextBox1();
    QPrinter printer(QPrinter::HighResolution);
    lay_out(printer, page);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(
        box.SelLength() > 0 ? QObject::tr("Print Preview - %1 (Selection)").arg(document->caption())
                            : QObject::tr("Print Preview - %1").arg(document->caption()));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [&box](QPrinter* pages) { box.SelPrint(*pages); });
    if (const PreviewRunner& runner = preview_runner()) {
        runner(dialog);
        return;
    }
    dialog.exec();
}

}  // namespace qlx::shell
