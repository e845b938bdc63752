#pragma once

#include <functional>

class QPrintDialog;
class QWidget;

namespace qlx::document {
class frmDocument;
}

namespace qlx::shell {

// Sets up the print command's dialog: the page range cannot be chosen; when text is selected
// the selection range is offered and chosen.
void prepare_print_dialog(QPrintDialog& dialog, bool text_selected);

// The print command: shows the print dialog over `parent` and, unless the user cancels or
// no printer is usable, prints the document's selection, or the whole document when nothing
// is selected, with its character formatting, as one job. The range chosen in the dialog
// does not change what is printed. Does nothing when `document` is nullptr.
void print_document(document::frmDocument* document, QWidget* parent);

// Answers in place of the print dialog (tests): may set up the dialog's printer, and returns
// whether to print. An empty runner brings the dialog back. Returns the runner that was in
// place.
using PrintDialogRunner = std::function<bool(QPrintDialog& dialog)>;
PrintDialogRunner set_print_dialog_runner(PrintDialogRunner runner);

}  // namespace qlx::shell
