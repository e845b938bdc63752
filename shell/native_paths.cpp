#include "shell/native_paths.h"

#include <QByteArray>
#include <QDir>
#include <QUrl>

#include <string>

#include "files/names_and_reasons.h"

namespace qlx::shell {

namespace {

bool is_carried_byte(char16_t unit) {
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

}  // namespace

QString path_from_native(const std::filesystem::path& path) {
    QString text;
    conversion::for_each_code_point(path, [&text](char32_t code, bool) {
        if (code <= 0xFFFF) {
            text += QChar(static_cast<char16_t>(code));
        } else {
            text += QString::fromUcs4(&code, 1);
        }
    });
    return text;
}

std::filesystem::path native_path(const QString& path) {
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(path.size()));
    qsizetype from = 0;
    const auto flush_text = [&](qsizetype to) {
        if (to > from) {
            bytes += path.mid(from, to - from).toStdString();
        }
    };
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        const bool paired =
            QChar::isLowSurrogate(unit) && i > 0 && QChar::isHighSurrogate(path[i - 1].unicode());
        if (is_carried_byte(unit) && !paired) {
            flush_text(i);
            bytes += static_cast<char>(unit - 0xDC00);
            from = i + 1;
        }
    }
    flush_text(path.size());
    return std::filesystem::path(std::move(bytes));
#endif
}

QString path_from_url(const QUrl& url) {
    if (!url.isLocalFile()) {
        return {};
    }
#ifdef _WIN32
    return url.toLocalFile();
#else
    // The URL's percent-encoded bytes are the name's bytes, UTF-8 or not.
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return path_from_native(std::filesystem::path(bytes.toStdString()));
#endif
}

QString display_path(const QString& path) {
    QString text = path;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            text[i] = QChar::ReplacementCharacter;
        }
    }
    return text;
}

QString message_path(const QString& path) {
    return QDir::toNativeSeparators(display_path(path));
}

QByteArray path_to_bytes(const QString& path) {
#ifdef _WIN32
    return path.toUtf8();
#else
    return QByteArray::fromStdString(native_path(path).native());
#endif
}

QString path_from_bytes(const QByteArray& bytes) {
#ifdef _WIN32
    return QString::fromUtf8(bytes);
#else
    return path_from_native(std::filesystem::path(bytes.toStdString()));
#endif
}

QString from_utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString absolute_path(const QString& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(native_path(path), error);
    return error ? path : path_from_native(absolute.lexically_normal());
}

QString folder_of(const QString& path) {
    return path_from_native(native_path(absolute_path(path)).parent_path());
}

}  // namespace qlx::shell
