// How the viewer keeps its window alive while it opens a large export: the longest time the
// event loop goes without running, and the time from Open to the last document window shown,
// against the converter alone on the same export.
//
//   window_responsiveness [SIZE_IN_MB]      (100 by default)
//
// The export is generated into a temporary folder, which also holds the settings store and
// the converted documents. The window runs on the offscreen platform unless QT_QPA_PLATFORM
// names another (xcb under Xvfb, say). A zero-millisecond timer stands for the user: each
// run of the event loop fires it, and the longest time between two firings is how long a key
// press or a repaint would have waited. Peak memory is the process's resident high-water
// mark from Open on (Linux).

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/export_generator.h"
#include "conversion/driver.h"
#include "conversion/files.h"
#include "shell/frm_main.h"
#include "shell/messages.h"

namespace {

namespace conv = qlx::conversion;
using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// Records the times between two runs of the event loop while it is started.
class LoopProbe {
public:
    LoopProbe() {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }

    void start(Clock::time_point now) {
        last_ = start_ = now;
        timer_.start();
    }
    void stop(Clock::time_point now) {
        timer_.stop();
        tick(now);
    }
    // What the viewer has done by the time a gap ends.
    void set_windows_shown(int count) { windows_shown_ = count; }

    void report() const {
        std::vector<Clock::duration> sorted = gaps_;
        std::ranges::sort(sorted);
        const auto over = [&](int ms) {
            return sorted.end() - std::ranges::upper_bound(sorted, std::chrono::milliseconds(ms));
        };
        std::printf("event loop runs:                   %zu\n", gaps_.size());
        std::printf(
            "longest gap between two runs:      %.1f ms (ended %.0f ms after Open, with "
            "%d windows shown)\n",
            milliseconds(longest()), milliseconds(longest_end_ - start_), longest_windows_);
        std::printf("gaps over 50 ms / over 100 ms:     %td / %td\n", over(50), over(100));
        std::printf("longest gap while converting:      %.1f ms\n",
                    milliseconds(longest_converting_));
        std::printf("longest gap while opening windows: %.1f ms\n", milliseconds(longest_opening_));
    }

    Clock::duration longest() const { return std::max(longest_converting_, longest_opening_); }

private:
    void tick(Clock::time_point now = Clock::now()) {
        const Clock::duration gap = now - last_;
        last_ = now;
        gaps_.push_back(gap);
        if (gap > longest()) {
            longest_end_ = now;
            longest_windows_ = windows_shown_;
        }
        Clock::duration& phase = windows_shown_ == 0 ? longest_converting_ : longest_opening_;
        phase = std::max(phase, gap);
    }

    QTimer timer_;
    Clock::time_point start_;
    Clock::time_point last_;
    Clock::time_point longest_end_;
    Clock::duration longest_converting_{};
    Clock::duration longest_opening_{};
    std::vector<Clock::duration> gaps_;
    int windows_shown_ = 0;
    int longest_windows_ = 0;
};

// The resident-memory high-water mark in megabytes, and how to start it again (Linux only;
// -1 elsewhere).
double peak_rss_mb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            return std::atof(line.c_str() + 6) / 1024;
        }
    }
    return -1;
}

void restart_peak_rss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

bool write_export(const QString& path, std::size_t bytes) {
    const std::string text = qlx::bench::generate_export(bytes);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size());
}

// The converter alone: reading the export and writing its documents, as the viewer does
// before it opens any window.
double converter_ms(const QString& export_path, const QString& folder) {
    const auto start = Clock::now();
    const auto text = conv::read_file(QFile::encodeName(export_path).toStdString());
    if (!text) {
        return -1;
    }
    conv::FolderSink sink(QFile::encodeName(folder).toStdString());
    const auto report = conv::convert_export(*text, sink);
    return report ? milliseconds(Clock::now() - start) : -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 100;
    if (megabytes <= 0) {
        std::fprintf(stderr, "usage: window_responsiveness [SIZE_IN_MB]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QTemporaryDir sandbox;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, sandbox.filePath("config"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(sandbox.filePath("cache")));
    QApplication app(argc, argv);
    qlx::shell::set_message_handler([](QWidget*, const QString& text, qlx::shell::MessageKind) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });

    const QString export_path = sandbox.filePath("export.qlx");
    if (!write_export(export_path, static_cast<std::size_t>(megabytes * 1024 * 1024))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(export_path));
        return 1;
    }
    std::printf("export: %.1f MB\n", static_cast<double>(QFile(export_path).size()) / 1048576);

    qlx::shell::frmMain window;
    window.MDIForm_Load({});
    QApplication::processEvents();
    auto* area = window.findChild<QMdiArea*>();
    LoopProbe probe;
    int windows_shown = 0;
    auto last_shown = Clock::now();
    QObject::connect(area, &QMdiArea::subWindowActivated, [&](QMdiSubWindow* shown) {
        if (shown != nullptr) {
            last_shown = Clock::now();
            probe.set_windows_shown(++windows_shown);
        }
    });

    restart_peak_rss();
    const auto open = Clock::now();
    probe.start(open);
    window.openfile(export_path);
    probe.stop(Clock::now());
    const double viewer_peak = peak_rss_mb();
    const auto windows = area->subWindowList().size();

    QDir(sandbox.filePath("converter")).mkpath(QStringLiteral("."));
    const double converter = converter_ms(export_path, sandbox.filePath("converter"));

    std::printf("document windows:                  %lld\n", static_cast<long long>(windows));
    probe.report();
    std::printf("Open to last window shown:         %.0f ms\n", milliseconds(last_shown - open));
    std::printf("converter alone (read + convert):  %.0f ms\n", converter);
    std::printf("peak resident memory from Open:    %.0f MB\n", viewer_peak);
    // The targets, as ratios: Open to every window against the converter alone (at most 5),
    // peak memory against the export's size (at most 5).
    const double export_mb = static_cast<double>(QFile(export_path).size()) / 1048576;
    std::printf("ratio, windows / converter:        %.1f x\n",
                milliseconds(last_shown - open) / std::max(converter, 1.0));
    std::printf("ratio, memory / export:            %.1f x\n",
                viewer_peak / std::max(export_mb, 1.0));
    return probe.longest() < std::chrono::milliseconds(100) ? 0 : 1;
}
