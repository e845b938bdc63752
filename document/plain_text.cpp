#include "document/plain_text.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>

#include "richtext/windows1252.h"

namespace qlx::document {

QString decode_plain_text(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    // One character per byte, each in the Basic Multilingual Plane.
    static const std::array<char16_t, 256> characters = [] {
        std::array<char16_t, 256> table{};
        for (std::size_t byte = 0; byte < table.size(); ++byte) {
            table[byte] = static_cast<char16_t>(
                richtext::windows1252_to_unicode(static_cast<unsigned char>(byte)));
        }
        return table;
    }();
    text = QString(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char byte : bytes) {
        *out++ = characters[static_cast<unsigned char>(byte)];
    }
    return text;
}

QString with_crlf_line_ends(QString text) {
    text.remove(QChar::ObjectReplacementCharacter);
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

std::unique_ptr<QTextDocument> plain_text_document(
    const QString& text, const QFont& font, const std::function<bool(qsizetype done)>& step_done) {
    constexpr qsizetype step = 256 * 1024;
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(font);
    document->setUndoRedoEnabled(false);
    QTextCursor cursor(document.get());
    for (qsizetype done = 0; done < text.size();) {
        qsizetype end = std::min(text.size(), done + step);
        // Never between CR and LF (one line break, not two) nor inside a surrogate pair.
        while (end < text.size() &&
               (text[end - 1] == QLatin1Char('\r') || text[end - 1].isHighSurrogate())) {
            ++end;
        }
        cursor.insertText(text.sliced(done, end - done));
        done = end;
        if (step_done && !step_done(done) && done < text.size()) {
            return nullptr;
        }
    }
    document->setUndoRedoEnabled(true);
    // Without a page size the layout lays out nothing (and starts no timer, which this thread
    // may not have): the window gives it one.
    document->setPageSize(QSizeF(0, 0));
    document->documentLayout();
    return document;
}

}  // namespace qlx::document
