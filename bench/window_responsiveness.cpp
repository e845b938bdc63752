// How the viewer keeps its window alive while it opens a large export: the longest time the
// event loop goes without running, the time from Open to every document window listed and
// reachable (those in sight shown, the others hidden or waiting to be made), against the
// converter alone on the same export, and how soon after the conversion the first document
// can be read.
//
//   window_responsiveness [SIZE_IN_MB [PROCEDURES [tabs]]]   (100 MB, 400 procedures by
//                                                         default; 0 procedures: some 20 KB
//                                                         each; "tabs": opened as tabs)
//
// The export is generated into a temporary folder, which also holds the settings store and
// the converted documents. The window runs on the offscreen platform unless QT_QPA_PLATFORM
// names another (xcb under Xvfb, say). A zero-millisecond timer stands for the user: each
// run of the event loop fires it, and the longest time between two firings is how long a key
// press or a repaint would have waited. Peak memory is the process's resident high-water
// mark from Open on (Linux): until every window is there, and again once the windows' text
// for searches, which is worked out in the background after that, is ready.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/export_generator.h"
#include "bench/viewer_sandbox.h"
#include "conversion/driver.h"
#include "dialogs/frm_status.h"
#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "files/background_sink.h"
#include "files/document_sinks.h"
#include "files/export_reading.h"
#include "shell/document_windows.h"
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
    // Asked at each run of the event loop until it answers true.
    std::function<bool()> first_readable;
    Clock::time_point first_readable_at() const { return first_readable_at_; }

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
        if (first_readable_at_ == Clock::time_point() && first_readable && first_readable()) {
            first_readable_at_ = Clock::now();
        }
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
    Clock::time_point first_readable_at_;
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

// Whether every document whose text waits (in its window, or with a window that waits to be
// made) has its text for searches worked out.
bool search_texts_ready(qlx::shell::DocumentWindows& windows) {
    for (const qlx::shell::DocumentWindows::Entry& entry : windows.entries()) {
        const auto* form =
            entry.window != nullptr
                ? qobject_cast<const qlx::document::frmDocument*>(entry.window->widget())
                : nullptr;
        const auto waiting = entry.waiting != nullptr ? entry.waiting->text
                             : form != nullptr        ? form->deferred()
                                                      : nullptr;
        if (waiting != nullptr && waiting->text.load() == nullptr) {
            return false;
        }
    }
    return true;
}

bool write_export(const QString& path, std::size_t bytes, int procedures) {
    const std::string text = qlx::bench::generate_export(bytes, procedures);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size());
}

// The converter alone: reading the export and writing its documents, as qlx-convert does and
// as the viewer does before it opens any window.
double converter_ms(const QString& export_path, const QString& folder) {
    const auto start = Clock::now();
    const auto text = conv::read_file(QFile::encodeName(export_path).toStdString());
    if (!text) {
        return -1;
    }
    conv::FolderSink files(QFile::encodeName(folder).toStdString());
    conv::BackgroundSink sink(files);
    const auto report = conv::convert_export(*text, sink);
    return report && sink.finish() ? milliseconds(Clock::now() - start) : -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 100;
    const int procedures = argc > 2 ? std::atoi(argv[2]) : 400;
    const bool tabs = argc > 3 && std::string_view(argv[3]) == "tabs";
    if (megabytes <= 0 || procedures < 0) {
        std::fprintf(stderr, "usage: window_responsiveness [SIZE_IN_MB [PROCEDURES [tabs]]]\n");
        return 2;
    }
    qlx::bench::ViewerSandbox sandbox(argc, argv);
    QApplication& app = sandbox.app();

    const QString export_path = sandbox.path("export.qlx");
    if (!write_export(export_path, static_cast<std::size_t>(megabytes * 1024 * 1024), procedures)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(export_path));
        return 1;
    }
    std::printf("export: %.1f MB\n", static_cast<double>(QFile(export_path).size()) / 1048576);

    qlx::shell::frmMain window;
    window.MDIForm_Load({});
    if (tabs) {
        window.findChild<QAction*>(QStringLiteral("mnuWindowTabbedView"))->trigger();
    }
    QApplication::processEvents();
    auto* area = window.findChild<QMdiArea*>();
    LoopProbe probe;
    // Windows are counted as they are shown.
    int windows_shown = 0;
    struct ShowCounter : QObject {
        std::function<void()> shown;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Show && qobject_cast<QMdiSubWindow*>(watched)) {
                shown();
            }
            return false;
        }
    } counter;
    counter.shown = [&] { probe.set_windows_shown(++windows_shown); };
    app.installEventFilter(&counter);

    // The conversion has ended when the status window says the windows are opening; a
    // document is readable when its window is on top with its text built.
    auto converted = Clock::time_point();
    probe.first_readable = [&] {
        if (converted == Clock::time_point()) {
            for (auto* status : window.findChildren<qlx::dialogs::frmStatus*>()) {
                if (status->isVisible() && status->Label3->text() == QLatin1String("Opening")) {
                    converted = Clock::now();
                }
            }
        }
        const QList<QMdiSubWindow*> stacked = area->subWindowList(QMdiArea::StackingOrder);
        for (auto top = stacked.rbegin(); top != stacked.rend(); ++top) {
            if ((*top)->isVisible()) {
                auto* form = qobject_cast<qlx::document::frmDocument*>((*top)->widget());
                return form != nullptr && form->has_text_box() &&
                       !form->RichTextBox1()->document()->isEmpty();
            }
        }
        return false;
    };

    restart_peak_rss();
    const double before_open = peak_rss_mb();
    const auto open = Clock::now();
    probe.start(open);
    window.openfile(export_path);
    const auto opened = Clock::now();
    probe.stop(opened);
    app.removeEventFilter(&counter);
    const double viewer_peak = peak_rss_mb();
    const auto windows = window.document_windows().size();
    const auto made = area->subWindowList().size();
    const auto searchable = Clock::now();
    while (!search_texts_ready(window.document_windows()) &&
           Clock::now() - searchable < std::chrono::minutes(2)) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
    }
    const auto search_texts = Clock::now();
    const double searchable_peak = peak_rss_mb();

    // The converter's time swings with the file system (making thousands of files after as
    // many were deleted): the median of three runs, each into a folder of its own.
    std::vector<double> converter_runs;
    for (int run = 0; run < 3; ++run) {
        const QString folder = sandbox.path(QStringLiteral("converter%1").arg(run));
        QDir(folder).mkpath(QStringLiteral("."));
        converter_runs.push_back(converter_ms(export_path, folder));
    }
    std::ranges::sort(converter_runs);
    const double converter = converter_runs[1];

    std::printf("document windows:                  %lld (%lld made, the others waiting)\n",
                static_cast<long long>(windows), static_cast<long long>(made));
    probe.report();
    std::printf("Open to every window shown:        %.0f ms\n", milliseconds(opened - open));
    std::printf("converter alone (read + convert):  %.0f ms (median of %.0f, %.0f, %.0f)\n",
                converter, converter_runs[0], converter_runs[1], converter_runs[2]);
    if (converted != Clock::time_point()) {
        std::printf("of which converting in the viewer: %.0f ms\n",
                    milliseconds(converted - open));
    }
    if (converted != Clock::time_point() && probe.first_readable_at() != Clock::time_point()) {
        std::printf("first document readable:           %.0f ms after the conversion ended\n",
                    milliseconds(probe.first_readable_at() - converted));
    }
    std::printf("peak resident memory from Open:    %.0f MB (%.0f MB before it)\n", viewer_peak,
                before_open);
    std::printf("with the texts for searches:       %.0f MB (ready %.0f ms after every window)\n",
                searchable_peak, milliseconds(search_texts - searchable));
    // The targets, as ratios: Open to every window against the converter alone (at most 5),
    // peak memory against the export's size (at most 5).
    const double export_mb = static_cast<double>(QFile(export_path).size()) / 1048576;
    std::printf("ratio, windows / converter:        %.1f x\n",
                milliseconds(opened - open) / std::max(converter, 1.0));
    std::printf("ratio, memory / export:            %.1f x\n",
                viewer_peak / std::max(export_mb, 1.0));
    return probe.longest() < std::chrono::milliseconds(100) ? 0 : 1;
}
