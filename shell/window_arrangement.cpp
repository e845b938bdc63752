#include "shell/window_arrangement.h"

#include <QList>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRect>

#include <ranges>

namespace qlx::shell {

namespace {

enum class Direction { down, across };

// The windows, the active one first and then the others from the top of the stack down.
QList<QMdiSubWindow*> windows_from_top(const QMdiArea& area, bool minimised) {
    QList<QMdiSubWindow*> result;
    const QList<QMdiSubWindow*> stack = area.subWindowList(QMdiArea::StackingOrder);
    for (QMdiSubWindow* window : stack | std::views::reverse) {
        if (window->isMinimized() == minimised) {
            result << window;
        }
    }
    return result;
}

// Splits `length` into `count` parts that differ by at most one, larger parts first.
int part(int length, int count, int index) {
    return length / count + (index < length % count ? 1 : 0);
}

void tile(QMdiArea& area, Direction direction) {
    const QList<QMdiSubWindow*> windows = windows_from_top(area, false);
    if (windows.isEmpty()) {
        return;
    }
    QRect space = area.viewport()->rect();
    const QList<QMdiSubWindow*> icons = windows_from_top(area, true);
    if (!icons.isEmpty()) {
        space.setBottom(space.bottom() - icons.front()->height());
    }
    const auto count = static_cast<int>(windows.size());
    int offset = 0;
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* window = windows[i];
        if (window->isMaximized()) {
            window->showNormal();
        }
        if (direction == Direction::down) {
            const int height = part(space.height(), count, i);
            window->setGeometry(space.left(), space.top() + offset, space.width(), height);
            offset += height;
        } else {
            const int width = part(space.width(), count, i);
            window->setGeometry(space.left() + offset, space.top(), width, space.height());
            offset += width;
        }
    }
}

void arrange_icons(QMdiArea& area) {
    const QRect space = area.viewport()->rect();
    int left = space.left();
    int bottom = space.bottom() + 1;
    for (QMdiSubWindow* icon : area.subWindowList(QMdiArea::CreationOrder)) {
        if (!icon->isMinimized()) {
            continue;
        }
        if (left > space.left() && left + icon->width() > space.right() + 1) {
            left = space.left();
            bottom -= icon->height();
        }
        icon->move(left, bottom - icon->height());
        left += icon->width();
    }
}

}  // namespace

void arrange(QMdiArea& area, Arrangement arrangement) {
    switch (arrangement) {
        case Arrangement::cascade:
            area.cascadeSubWindows();
            break;
        case Arrangement::tile_horizontal:
            tile(area, Direction::down);
            break;
        case Arrangement::tile_vertical:
            tile(area, Direction::across);
            break;
        case Arrangement::arrange_icons:
            arrange_icons(area);
            break;
    }
}

}  // namespace qlx::shell
