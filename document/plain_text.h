#pragma once

#include <QByteArrayView>
#include <QString>

namespace qlx::document {

// The text held in a file's bytes: UTF-8 when the bytes are valid UTF-8 (a leading byte-order
// mark is dropped), otherwise Windows-1252, the code page the exports are written in.
QString decode_plain_text(QByteArrayView bytes);

// The plain text of a document: line breaks as CR LF, the line end of saved documents (a
// lone LF, a paragraph or a line separator each count as one break), and without the object
// characters that hold what the document carries but does not show.
QString with_crlf_line_ends(QString text);

}  // namespace qlx::document
