#include "shell/placement.h"

#include <QSettings>
#include <QString>

#include <algorithm>
#include <cmath>

namespace qlx::shell {

namespace {

constexpr double largest_twips = 1e6;
// A window counts as on a screen when this much of its title strip is on it.
constexpr int strip_height = 32;
constexpr int least_visible_width = 64;

enum class Sign { any, positive };

void read_value(const QSettings& settings, const char* key, Sign sign, double& value) {
    bool ok = false;
    const double read = settings.value(QStringLiteral("Settings/") + QLatin1String(key))
                            .toString()
                            .trimmed()
                            .toDouble(&ok);
    if (!ok || !std::isfinite(read) || std::abs(read) > largest_twips ||
        (sign == Sign::positive && read <= 0)) {
        return;
    }
    value = read;
}

void write_value(QSettings& settings, const char* key, double value) {
    settings.setValue(QStringLiteral("Settings/") + QLatin1String(key),
                      QString::number(value, 'g', 7));
}

}  // namespace

Placement read_placement(const QSettings& settings) {
    Placement placement;
    read_value(settings, "MainLeft", Sign::any, placement.left);
    read_value(settings, "MainTop", Sign::any, placement.top);
    read_value(settings, "MainWidth", Sign::positive, placement.width);
    read_value(settings, "MainHeight", Sign::positive, placement.height);
    return placement;
}

void write_placement(QSettings& settings, const Placement& placement) {
    write_value(settings, "MainLeft", placement.left);
    write_value(settings, "MainTop", placement.top);
    write_value(settings, "MainWidth", placement.width);
    write_value(settings, "MainHeight", placement.height);
}

QRect fit_onto_screens(const QRect& window, const QList<QRect>& screens) {
    const QRect strip(window.topLeft(), QSize(window.width(), strip_height));
    const int needed_width = std::min(least_visible_width, window.width());
    const int needed_height = std::min(strip_height / 2, window.height());
    const bool visible = std::ranges::any_of(screens, [&](const QRect& screen) {
        const QRect part = strip.intersected(screen);
        return part.width() >= needed_width && part.height() >= needed_height;
    });
    if (visible || screens.isEmpty()) {
        return window;
    }
    const QRect& screen = screens.front();
    const QSize size = window.size().boundedTo(screen.size());
    const int left = std::clamp(window.left(), screen.left(), screen.right() - size.width() + 1);
    const int top = std::clamp(window.top(), screen.top(), screen.bottom() - size.height() + 1);
    return {QPoint(left, top), size};
}

}  // namespace qlx::shell
