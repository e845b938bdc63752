#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

class QTextDocument;

namespace qlx::document {

// The text held in a file's bytes: UTF-8 when the bytes are valid UTF-8 (a leading byte-order
// mark is dropped), otherwise Windows-1252, the code page the exports are written in.
QString decode_plain_text(QByteArrayView bytes);

// The plain text of a document: line breaks as CR LF, the line end of saved documents (a
// lone LF, a paragraph or a line separator each count as one break), and without the object
// characters that hold what the document carries but does not show.
QString with_crlf_line_ends(QString text);

// Appends plain text to `document` a step of some 256 K characters at a time, as
// QTextDocument::setPlainText would put it (CR LF, CR and LF each break a line; a step never
// ends between CR and LF), without undo steps. Nothing lays the document out meanwhile unless
// a window shows it, so a document of no window may be filled on another thread. After each
// step `step_done` is told how many characters are in; when it answers false the filling stops
// there. Whether the text went in whole.
bool fill_with_plain_text(QTextDocument& document, const QString& text,
                          const std::function<bool(qsizetype done)>& step_done = {});

}  // namespace qlx::document
