#pragma once

#include "document/font_dialog.h"

class QWidget;

namespace qlx::document {

class frmDocument;
class RichTextBox;

// The edit and format commands. Each acts on `document`, the active document window, and
// does nothing when it is nullptr. The clipboard carries plain text only.

// Puts the selected text on the clipboard and removes it from the document.
void cut_selection(frmDocument* document);
// Puts the selected text on the clipboard; with nothing selected the clipboard's text
// becomes empty.
void copy_selection(frmDocument* document);
// Replaces the selection with the clipboard's text (inserts it at the caret when nothing is
// selected); it takes the character format found there.
void paste_text(frmDocument* document);

// Take back the last edit, or do again the last one taken back.
void undo_edit(frmDocument* document);
void redo_edit(frmDocument* document);
// Selects the whole text.
void select_all(frmDocument* document);

// Turn the attribute of the selection (at the caret: of the text typed next) over. A
// selection that is partly bold becomes wholly bold or wholly not bold, the opposite of the
// character before the caret.
void toggle_bold(frmDocument* document);
void toggle_italic(frmDocument* document);
void toggle_underline(frmDocument* document);

// Shows the font dialog filled with the selection's format and applies the choice to the
// selection on OK; Cancel changes nothing. A selection whose face, size, colour, bold,
// italic or underline varies shows no dialog and stays as it is.
void choose_font(frmDocument* document, QWidget* parent);

// Whether the selected characters differ in face, size, colour, bold, italic or underline.
bool selection_format_varies(const RichTextBox& box);
// The selection's format as the font dialog shows it.
FontChoice selection_font(const RichTextBox& box);
// Gives the selection colour, face, size, bold, italic and underline, in this order.
void apply_font(RichTextBox& box, const FontChoice& choice);

}  // namespace qlx::document
