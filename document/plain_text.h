#pragma once

#include <QByteArrayView>
#include <QString>

namespace qlx::document {

// The text held in a file's bytes: UTF-8 when the bytes are valid UTF-8 (a leading byte-order
// mark is dropped), otherwise Windows-1252, the code page the exports are written in.
QString decode_plain_text(QByteArrayView bytes);

// Plain text with its line breaks as CR LF, the line end of saved documents. A lone LF, a
// paragraph or a line separator each count as one break.
QString with_crlf_line_ends(QString text);

}  // namespace qlx::document
