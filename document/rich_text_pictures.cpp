#include "document/rich_text_pictures.h"

#include <QBuffer>
#include <QImage>
#include <QImageIOHandler>
#include <QImageReader>
#include <QPointer>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>

#include <string_view>
#include <utility>
#include <vector>

#include "richtext/rtf_pictures.h"

namespace qlx::document::adapter {

namespace {

namespace rt = qlx::richtext;

constexpr QLatin1StringView picture_scheme("qlx-picture");
// The property of a text document that names the pictures it was loaded with last.
constexpr const char* pictures_property = "qlx_pictures";

}  // namespace

// A picture's group until it is first asked for, its image after.
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
            const QByteArray group = picture.toByteArray();
            const std::optional<rt::Picture> file =
                rt::read_picture(std::string_view(group.constData(), group.size()));
            QImage image;
            // A file that cannot be decoded shows nothing where it stands, rather than Qt's
            // picture of a missing file.
            if (!file || !image.loadFromData(QByteArrayView(file->data))) {
                image = QImage(1, 1, QImage::Format_ARGB32);
                image.fill(Qt::transparent);
            }
            picture = image;
            // In the document's own resources Qt finds it at once the next time; unless the
            // document was loaded again since, and a clone of it asks (one being printed).
            if (document && document->property(pictures_property).value<quintptr>() ==
                                reinterpret_cast<quintptr>(this)) {
                document->addResource(QTextDocument::ImageResource, name, picture);
            }
        }
        return picture;
    }
};

LazyPictures::LazyPictures(QTextDocument& document) : store_(std::make_shared<Store>()) {
    store_->document = &document;
    document.setProperty(pictures_property, reinterpret_cast<quintptr>(store_.get()));
    document.setResourceProvider([store = store_](const QUrl& name) { return store->image(name); });
}

QString LazyPictures::add(QByteArray group) {
    store_->pictures.emplace_back(std::move(group));
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
