#include "document/plain_text.h"

#include <QStringDecoder>

#include <string_view>

#include "richtext/windows1252.h"

namespace qlx::document {

QString decode_plain_text(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    return QString::fromStdString(
        richtext::windows1252_to_utf8(std::string_view(bytes.data(), bytes.size())));
}

QString with_crlf_line_ends(QString text) {
    text.remove(QChar::ObjectReplacementCharacter);
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

}  // namespace qlx::document
