#pragma once

#include <QList>

class QIcon;
class QPixmap;

namespace qlx::assets {

// Registers the toolbar pictures (":/toolbar/...") and the About picture (":/about/...").
// Safe to call more than once.
void register_pictures();

// The toolbar's pictures (16 x 16, with 32 x 32 and 48 x 48 ones for denser screens), in
// the order the toolbar numbers them from 1: New, Open, Save, Print, Cut, Copy, Paste, Bold,
// Italic, Underline, Find.
QList<QIcon> toolbar_pictures();

// The About dialog's artwork, 165 x 322 pixels.
QPixmap about_picture();

}  // namespace qlx::assets
