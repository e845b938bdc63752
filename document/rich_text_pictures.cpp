#include "document/rich_text_pictures.h"

#include <QBuffer>
#include <QImage>
#include <QImageIOHandler>
#include <QImageReader>
#include <QPointer>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>

#include <utility>
#include <vector>

namespace qlx::document::adapter {

namespace {

constexpr QLatin1StringView picture_scheme("qlx-picture");

}  // namespace

// A picture's bytes until it is first asked for, its image after.
struct LazyPictures::Store {
    QPointer<QTextDocument> document;  // the one loaded, which keeps each image once decoded
    std::vector<QVariant> pictures;    // QByteArray, then QImage; picture N is [N - 1]

    QVariant image(const QUrl& name) {
        bool numbered = false;
        const qsizetype number = name.path().toLongLong(&numbered);
        if (name.scheme() != picture_scheme || !numbered || number < 1 ||
            number > static_cast<qsizetype>(pictures.size())) {
            return {};
        }
        QVariant& picture = pictures[static_cast<std::size_t>(number - 1)];
        if (picture.typeId() == QMetaType::QByteArray) {
            QImage image;
            // A file whose header was read but not the rest shows nothing where it stands,
            // rather than Qt's picture of a missing file.
            if (!image.loadFromData(picture.toByteArray())) {
                image = QImage(1, 1, QImage::Format_ARGB32);
                image.fill(Qt::transparent);
            }
            picture = image;
            // In the document's own resources Qt finds it at once the next time.
            if (document) {
                document->addResource(QTextDocument::ImageResource, name, picture);
            }
        }
        return picture;
    }
};

LazyPictures::LazyPictures(QTextDocument& document) : store_(std::make_shared<Store>()) {
    store_->document = &document;
    document.setResourceProvider([store = store_](const QUrl& name) { return store->image(name); });
}

QString LazyPictures::add(QByteArray bytes) {
    store_->pictures.emplace_back(std::move(bytes));
    return picture_scheme + QLatin1Char(':') + QString::number(store_->pictures.size());
}

std::optional<QSizeF> picture_file_size(const QByteArray& bytes, const char* format) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) {
        return std::nullopt;
    }
    // Decoded, a picture is turned as its file says.
    if (reader.autoTransform() &&
        (reader.transformation() & QImageIOHandler::TransformationRotate90)) {
        size.transpose();
    }
    return QSizeF(size);
}

}  // namespace qlx::document::adapter
