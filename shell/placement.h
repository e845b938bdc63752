#pragma once

#include <QList>
#include <QRect>

class QSettings;

namespace qlx::shell {

// The main window's placement in twips: its outer left and top edges, outer width and height.
struct Placement {
    double left = 1000;
    double top = 1000;
    double width = 6500;
    double height = 6500;

    friend bool operator==(const Placement&, const Placement&) = default;
};

// The placement kept under group "Settings", keys "MainLeft", "MainTop", "MainWidth" and
// "MainHeight", as the text of numbers. A value that is missing or not a usable number (not a
// number at all, beyond a million twips, or a width or height that is not above zero) keeps
// its default.
Placement read_placement(const QSettings& settings);
void write_placement(QSettings& settings, const Placement& placement);

// The window rectangle, unless its title strip lies off every screen: then it is moved (and
// shrunk where it is larger) onto the first screen. Rectangles in pixels; the screens' areas
// available to windows.
QRect fit_onto_screens(const QRect& window, const QList<QRect>& screens);

}  // namespace qlx::shell
