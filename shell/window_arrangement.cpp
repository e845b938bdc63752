#include "shell/window_arrangement.h"

#include <QFontMetrics>
#include <QList>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRect>
#include <QStyle>

#include <algorithm>
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

// The smallest window a tiling leaves readable: a title bar and three lines of text high,
// twenty characters wide.
QSize smallest_readable(const QMdiSubWindow& window) {
    const int frame =
        window.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const QFontMetrics text(window.widget() != nullptr ? window.widget()->font() : window.font());
    return {2 * frame + 20 * text.averageCharWidth(), title + 2 * frame + 3 * text.lineSpacing()};
}

// Lays the windows out in `rows` rows of `columns`, row by row, filling `space`.
void tile_grid(const QList<QMdiSubWindow*>& windows, const QRect& space, int rows, int columns) {
    const auto count = static_cast<int>(windows.size());
    for (int i = 0; i < count; ++i) {
        const int row = i / columns;
        const int column = i % columns;
        // The last row shares the width among the windows it has.
        const int in_row = row == rows - 1 ? count - row * columns : columns;
        int left = space.left();
        for (int c = 0; c < column; ++c) {
            left += part(space.width(), in_row, c);
        }
        int top = space.top();
        for (int r = 0; r < row; ++r) {
            top += part(space.height(), rows, r);
        }
        QMdiSubWindow* window = windows[i];
        if (window->isMaximized()) {
            window->showNormal();
        }
        window->setGeometry(left, top, part(space.width(), in_row, column),
                            part(space.height(), rows, row));
    }
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
    const QSize smallest = smallest_readable(*windows.front());
    if (direction == Direction::down && space.height() / count >= smallest.height()) {
        tile_grid(windows, space, count, 1);
    } else if (direction == Direction::across && space.width() / count >= smallest.width()) {
        tile_grid(windows, space, 1, count);
    } else {
        // Too many for one each: rows of several, as many rows as stay readable.
        const int rows = std::clamp(space.height() / std::max(smallest.height(), 1), 1, count);
        tile_grid(windows, space, rows, (count + rows - 1) / rows);
    }
}

// A cascade's step down and to the right: a title bar's height.
int cascade_step(const QMdiSubWindow& window) {
    return std::max(window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window), 8);
}

// Each window a title bar's height down and to the right of the one before, all of one size;
// when the next would leave the workspace, back to its top-left corner.
void cascade(QMdiArea& area) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : area.subWindowList(QMdiArea::StackingOrder)) {
        if (!window->isMinimized()) {
            windows << window;
        }
    }
    if (windows.isEmpty()) {
        return;
    }
    const QRect space = area.viewport()->rect();
    const int step = cascade_step(*windows.front());
    // A window covers at least two thirds of the workspace; as many steps as that leaves.
    const int steps = std::max(1, std::min(space.width(), space.height()) / 3 / step);
    const auto count = static_cast<int>(windows.size());
    const int in_run = std::min(count, steps + 1);
    const QSize size(space.width() - (in_run - 1) * step, space.height() - (in_run - 1) * step);
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* window = windows[i];
        if (window->isMaximized()) {
            window->showNormal();
        }
        const int offset = (i % in_run) * step;
        window->setGeometry(QRect(space.topLeft() + QPoint(offset, offset), size));
        window->raise();
    }
    area.setActiveSubWindow(windows.back());
}

}  // namespace

void place_cascaded(const QMdiArea& area, const QList<QMdiSubWindow*>& windows) {
    if (windows.isEmpty()) {
        return;
    }
    const QRect space = area.viewport()->rect();
    const int step = cascade_step(*windows.front());
    // Windows larger than the workspace still step down a few times before they go back.
    constexpr int least_steps = 8;
    int offset = 0;
    for (QMdiSubWindow* window : windows) {
        const QSize room = space.size() - window->size();
        const int last = std::max(std::min(room.width(), room.height()), least_steps * step);
        if (offset > last) {
            offset = 0;
        }
        window->move(space.topLeft() + QPoint(offset, offset));
        offset += step;
    }
}

namespace {

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
            cascade(area);
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
