#pragma once

#include <string>
#include <string_view>

#include "richtext/document.h"
#include "richtext/rtf_reader.h"

class QFont;
class QTextCharFormat;
class QTextDocument;

namespace qlx::document {

// The one path between RTF bytes and what a document window shows and edits.

// Replaces the document's content with the text and character formats of the RTF. The
// replacement cannot be undone; the undo history is cleared. Damaged RTF is read as far as
// it goes; what was wrong with it is returned.
richtext::RtfProblems load_rtf(QTextDocument& document, std::string_view rtf);

// The whole document as RTF.
std::string save_rtf(const QTextDocument& document);

// The same steps with the rich-text model in the middle.
void load_model(QTextDocument& document, const richtext::Document& model);
richtext::Document document_model(const QTextDocument& document);

// A model format as a Qt format: every property set, except the font family when the model
// leaves it to the document's default font, and the colours when it has none.
QTextCharFormat to_qt_format(const richtext::CharFormat& format);
// A Qt format as a model format; what the Qt format leaves unset comes from `default_font`.
richtext::CharFormat from_qt_format(const QTextCharFormat& format, const QFont& default_font);

}  // namespace qlx::document
