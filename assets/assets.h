#pragma once

namespace qlx::assets {

// Registers the program's icons (":/icons/...") with Qt's resource system. The resources
// live in a static library, whose registration the linker would otherwise drop.
void register_assets();

}  // namespace qlx::assets
