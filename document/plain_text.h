#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>

class QFont;
class QTextDocument;

namespace qlx::document {

// The text held in a file's bytes: UTF-8 when the bytes are valid UTF-8 (a leading byte-order
// mark is dropped), otherwise Windows-1252, the code page the exports are written in.
QString decode_plain_text(QByteArrayView bytes);

// The plain text of a document: line breaks as CR LF, the line end of saved documents (a
// lone LF, a paragraph or a line separator each count as one break), and without the object
// characters that hold what the document carries but does not show.
QString with_crlf_line_ends(QString text);

// A new document of plain text, as QTextDocument::setPlainText would fill it (CR LF, CR and
// LF each break a line), in `font`, without undo steps, made in the calling thread, which need
// not be the GUI thread: the text goes in a step of some 256 K characters at a time, and
// nothing is laid out until a window sets the document's page size (the document has its
// layout, so that a window taking it does not have to make one). After each step `step_done`
// is told how many characters are in; when it answers false the filling stops there and the
// answer is nullptr.
std::unique_ptr<QTextDocument> plain_text_document(
    const QString& text, const QFont& font,
    const std::function<bool(qsizetype done)>& step_done = {});

}  // namespace qlx::document
