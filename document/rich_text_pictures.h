#pragma once

// The pictures of a text document read from RTF, decoded only when the document first
// needs one: to draw it, print it, or lay it out at a zoom. Until then each is the RTF group
// that holds it, which its format keeps anyway. Used by loading (rich_text_loading.cpp).

#include <QByteArray>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

class QTextDocument;

namespace qlx::document::adapter {

class LazyPictures {
public:
    // The document takes its pictures from these, and so do its clones (Qt prints a clone).
    explicit LazyPictures(QTextDocument& document);

    // Keeps a group holding a PNG or JPEG picture (see richtext::read_picture) for the
    // document; returns the name its image format gives the picture.
    QString add(QByteArray group);

    struct Store;

private:
    std::shared_ptr<Store> store_;
};

// The size (pixels) a picture file is shown at, read from its header alone; none when the
// header is not one of a picture Qt can read.
std::optional<QSizeF> picture_file_size(const QByteArray& bytes, const char* format);

}  // namespace qlx::document::adapter
