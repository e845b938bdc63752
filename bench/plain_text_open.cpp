// How the viewer opens a large file that is not an export, which it shows as plain text: the
// time from Open to the window shown, against QTextEdit::setPlainText of the same text in a
// shown window (the floor), and the longest time the event loop goes without running, while
// the file opens and in the second after (while the window lays out the text, as it does
// after setPlainText: that second is measured for the floor too).
//
//   plain_text_open [SIZE_IN_MB [text|bytes]]        (50 MB of text lines by default)
//
// "text" is lines of words of various lengths ending in CR LF; "bytes" is random bytes, which
// hold NUL bytes, so the viewer asks first (the answer here is Yes). The file is named
// plain.qlx and written into a temporary folder, which also holds the settings store. A
// zero-millisecond timer stands for the user, as in window_responsiveness. Peak memory is
// the process's resident high-water mark from Open on (Linux).

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "bench/viewer_sandbox.h"
#include "document/frm_document.h"
#include "document/plain_text.h"
#include "document/rich_text_box.h"
#include "shell/frm_main.h"
#include "shell/messages.h"

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The longest time between two runs of the event loop while it is started.
class GapProbe {
public:
    GapProbe() {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        last_ = Clock::now();
        longest_ = {};
        over_50_ = 0;
        timer_.start();
    }
    void stop() {
        tick();
        timer_.stop();
    }
    Clock::duration longest() const { return longest_; }
    int over_50() const { return over_50_; }

private:
    void tick() {
        const Clock::time_point now = Clock::now();
        const Clock::duration gap = now - last_;
        last_ = now;
        longest_ = std::max(longest_, gap);
        over_50_ += gap > std::chrono::milliseconds(50) ? 1 : 0;
    }

    QTimer timer_;
    Clock::time_point last_;
    Clock::duration longest_{};
    int over_50_ = 0;
};

std::string text_lines(std::size_t bytes) {
    static const char* const words[] = {"PATIENT", "the", "LAB.C.REPORT", "of", "12/31/2026",
                                        "Name",    "DPM", "Segment",      "a",  "1234567",
                                        "SORT",    "IF{", "@Not.found}",  "&",  "Ward"};
    std::mt19937 random(7);
    std::string text;
    text.reserve(bytes + 200);
    while (text.size() < bytes) {
        const std::size_t length = random() % 120;
        const std::size_t line_start = text.size();
        while (text.size() - line_start < length) {
            text += words[random() % std::size(words)];
            text += ' ';
        }
        text += "\r\n";
    }
    text.resize(bytes);
    return text;
}

std::string random_bytes(std::size_t bytes) {
    std::mt19937 random(7);
    std::string text(bytes, '\0');
    for (char& byte : text) {
        byte = static_cast<char>(random() & 0xFF);
    }
    return text;
}

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

// Runs the event loop for a while, as a user waiting would.
void settle(int ms) {
    QElapsedTimer since;
    since.start();
    while (since.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 50;
    const bool bytes = argc > 2 && std::strcmp(argv[2], "bytes") == 0;
    if (megabytes <= 0 || (argc > 2 && !bytes && std::strcmp(argv[2], "text") != 0)) {
        std::fprintf(stderr, "usage: plain_text_open [SIZE_IN_MB [text|bytes]]\n");
        return 2;
    }
    qlx::bench::ViewerSandbox sandbox(argc, argv);
    qlx::shell::set_open_question_handler([](QWidget*, const QString&) { return true; });

    const auto size = static_cast<std::size_t>(megabytes * 1024 * 1024);
    const std::string content = bytes ? random_bytes(size) : text_lines(size);
    const QString path = sandbox.path(QStringLiteral("plain.qlx"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(content.data(), static_cast<qint64>(content.size())) !=
                static_cast<qint64>(content.size())) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    std::printf("file: %.1f MB of %s\n", static_cast<double>(content.size()) / 1048576,
                bytes ? "random bytes" : "text lines");

    // The floor: the decoded text put into a shown window's box by setPlainText.
    double floor_ms = 0;
    GapProbe probe;
    Clock::duration floor_after{};
    int floor_after_over_50 = 0;
    {
        const QString text = qlx::document::decode_plain_text(
            QByteArrayView(content.data(), static_cast<qsizetype>(content.size())));
        qlx::document::frmDocument form;
        form.resize(800, 600);
        form.show();
        QApplication::processEvents();
        const auto start = Clock::now();
        form.RichTextBox1()->setPlainText(text);
        QApplication::processEvents();
        floor_ms = milliseconds(Clock::now() - start);
        probe.start();
        settle(1000);
        probe.stop();
        floor_after = probe.longest();
        floor_after_over_50 = probe.over_50();
    }
    settle(200);

    qlx::shell::frmMain window;
    window.MDIForm_Load({});
    window.show();
    QApplication::processEvents();
    restart_peak_rss();
    const auto open = Clock::now();
    probe.start();
    window.openfile(path);
    QApplication::processEvents();
    const double shown_ms = milliseconds(Clock::now() - open);
    probe.stop();
    const Clock::duration longest_opening = probe.longest();
    const int over_50_opening = probe.over_50();
    probe.start();
    settle(1000);
    probe.stop();

    const auto* area = window.findChild<QMdiArea*>();
    const auto* active = area == nullptr ? nullptr : area->activeSubWindow();
    const auto* form =
        active == nullptr ? nullptr : qobject_cast<qlx::document::frmDocument*>(active->widget());
    if (form == nullptr || form->RichTextBox1()->document()->isEmpty()) {
        std::fprintf(stderr, "no window shows the file\n");
        return 1;
    }
    std::printf(
        "setPlainText in a shown window:   %.0f ms; longest gap in the second after: "
        "%.1f ms (%d over 50 ms)\n",
        floor_ms, milliseconds(floor_after), floor_after_over_50);
    std::printf("Open to the window shown:         %.0f ms, %.2f x setPlainText\n", shown_ms,
                shown_ms / floor_ms);
    std::printf("longest gap while opening:        %.1f ms (%d over 50 ms)\n",
                milliseconds(longest_opening), over_50_opening);
    std::printf("longest gap in the second after:  %.1f ms (%d over 50 ms)\n",
                milliseconds(probe.longest()), probe.over_50());
    std::printf("peak memory from Open:            %.0f MB\n", peak_rss_mb());
    return 0;
}
