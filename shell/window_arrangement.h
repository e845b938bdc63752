#pragma once

#include <QList>

class QMdiArea;
class QMdiSubWindow;

namespace qlx::shell {

// The arrangements of the Window menu, by their codes.
enum class Arrangement {
    cascade = 0,          // overlapping, each one down and to the right of the one before,
                          // back at the top-left when the next would leave the area
    tile_horizontal = 1,  // one above another, each the full width of the area
    tile_vertical = 2,    // side by side, each the full height of the area
    // (When one each would leave the windows smaller than a title bar and three lines of
    // text, or twenty characters wide, both tile in rows of several instead.)
    arrange_icons = 3,  // the minimised windows in rows along the bottom edge
};

// Lays out the document windows of `area`. Tiling starts with the active window and leaves
// the minimised windows, and a row for them at the bottom, alone. With no windows nothing
// happens.
void arrange(QMdiArea& area, Arrangement arrangement);

// Places windows that open together (an export's), in their order, each a title bar's height
// down and to the right of the one before, back at the top-left when the next would leave the
// workspace (after eight steps when they are larger than the workspace). They keep their size.
void place_cascaded(const QMdiArea& area, const QList<QMdiSubWindow*>& windows);

}  // namespace qlx::shell
