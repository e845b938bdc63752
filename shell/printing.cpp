#include "shell/printing.h"

#include <QPrintDialog>
#include <QPrinter>

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

}  // namespace

void prepare_print_dialog(QPrintDialog& dialog, bool text_selected) {
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, text_selected);
    dialog.setPrintRange(text_selected ? QAbstractPrintDialog::Selection
                                       : QAbstractPrintDialog::AllPages);
}

void print_document(document::frmDocument* document, QWidget* parent) {
    if (document == nullptr) {
        return;
    }
    const document::RichTextBox& box = *document->RichTextBox1;
    QPrinter printer(QPrinter::HighResolution);
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

}  // namespace qlx::shell
