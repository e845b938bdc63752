#include "assets/assets.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares a function of the global namespace, so it is called from here.
static void register_resource_file() {
    Q_INIT_RESOURCE(assets);
}

namespace qlx::assets {

void register_assets() {
    register_resource_file();
}

}  // namespace qlx::assets
