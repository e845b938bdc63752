#pragma once

#include <string>
#include <string_view>

class QTextDocument;
class QTextCursor;

namespace qlx::document {

// The one path between RTF bytes and what a document window shows and edits.

// Replaces the document's content with the text and character formats of the RTF.
void load_rtf(QTextDocument& document, std::string_view rtf);

// The whole document as RTF.
std::string save_rtf(const QTextDocument& document);

// The selection of a cursor as RTF (empty document when nothing is selected).
std::string selection_rtf(const QTextCursor& cursor);

}  // namespace qlx::document
