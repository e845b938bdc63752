#pragma once

class QIcon;

namespace qlx::assets {

// Registers the program's icons (":/icons/...") with Qt's resource system. The resources
// live in a static library, whose registration the linker would otherwise drop.
void register_assets();

// The program's icon, at 32, 64 and 128 pixels.
QIcon application_icon();

}  // namespace qlx::assets
