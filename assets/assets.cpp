#include "assets/assets.h"

#include <QIcon>
#include <QString>
#include <QtGlobal>

// Q_INIT_RESOURCE declares a function of the global namespace, so it is called from here.
static void register_resource_file() {
    Q_INIT_RESOURCE(assets);
}

namespace qlx::assets {

void register_assets() {
    register_resource_file();
}

QIcon application_icon() {
    register_assets();
    QIcon icon(QStringLiteral(":/icons/qlx-viewer.png"));
    icon.addFile(QStringLiteral(":/icons/qlx-viewer-64.png"));
    icon.addFile(QStringLiteral(":/icons/qlx-viewer-128.png"));
    return icon;
}

}  // namespace qlx::assets
