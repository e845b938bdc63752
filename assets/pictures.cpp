#include "assets/pictures.h"

#include <QIcon>
#include <QPixmap>
#include <QString>

// Q_INIT_RESOURCE declares a function of the global namespace, so it is called from here.
static void register_picture_files() {
    Q_INIT_RESOURCE(toolbar);
    Q_INIT_RESOURCE(about);
}

namespace qlx::assets {

void register_pictures() {
    register_picture_files();
}

QList<QIcon> toolbar_pictures() {
    register_pictures();
    QList<QIcon> pictures;
    for (const char* name : {"new", "open", "save", "print", "cut", "copy", "paste", "bold",
                             "italic", "underline", "find"}) {
        // Drawn at 16 pixels, and enlarged for screens of twice and three times the density.
        QIcon picture(QStringLiteral(":/toolbar/%1.png").arg(QLatin1String(name)));
        for (const char* size : {"-32", "-48"}) {
            picture.addFile(
                QStringLiteral(":/toolbar/%1%2.png").arg(QLatin1String(name), QLatin1String(size)));
        }
        pictures << picture;
    }
    return pictures;
}

QPixmap about_picture() {
    register_pictures();
    return QPixmap(QStringLiteral(":/about/about.png"));
}

}  // namespace qlx::assets
