#pragma once

#include <QPageLayout>

#include <functional>

class QPageSetupDialog;
class QPrintDialog;
class QPrintPreviewDialog;
class QWidget;

namespace qlx::document {
class frmDocument;
}

namespace qlx::shell {

// Sets up the print command's dialog: the page range cannot be chosen; when text is selected
// the selection range is offered and chosen, and the dialog opens showing it.
void prepare_print_dialog(QPrintDialog& dialog, bool text_selected);

// The print command: shows the print dialog over `parent` and, unless the user cancels or
// no printer is usable, prints the document's selection, or the whole document when nothing
// is selected, with its character formatting, as one job. The range chosen in the dialog
// does not change what is printed. Does nothing when `document` is nullptr. Pages are laid
// out as `page` says (orientation, margins), as Page Setup last left it.
void print_document(document::frmDocument* document, QWidget* parent, const QPageLayout& page = {});

// Page Setup: the page dialog filled with `page`; on OK, `page` becomes the choice.
void set_up_page(QPageLayout& page, QWidget* parent);

// Print Preview: the pages Print would print (the selection, or the whole document), on
// pages laid out as `page` says, in the preview dialog, which can print them too. Its title
// names the document, and "(Selection)" after it when only the selection is shown.
void preview_document(document::frmDocument* document, QWidget* parent, const QPageLayout& page);

// Answers in place of the print dialog (tests): may set up the dialog's printer, and returns
// whether to print. An empty runner brings the dialog back. Returns the runner that was in
// place.
using PrintDialogRunner = std::function<bool(QPrintDialog& dialog)>;
PrintDialogRunner set_print_dialog_runner(PrintDialogRunner runner);
// The same for the page dialog and the preview dialog (whose answer is not used).
using PageSetupRunner = std::function<bool(QPageSetupDialog& dialog)>;
PageSetupRunner set_page_setup_runner(PageSetupRunner runner);
using PreviewRunner = std::function<void(QPrintPreviewDialog& dialog)>;
PreviewRunner set_preview_runner(PreviewRunner runner);

}  // namespace qlx::shell
