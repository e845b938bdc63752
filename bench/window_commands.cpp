// How long the Window menu's commands take on a large export once many of its windows were
// looked at: Cascade, Tile Horizontal, Tile Vertical and Close All, each from the command to
// the moment the event loop is free again, with the longest time the event loop went without
// running.
//
//   window_commands [SIZE_IN_MB [PROCEDURES [ACTIVATED [tabs]]]]    (100 MB, 0 procedures:
//                                                   some 20 KB each, about 4,900; 100)
//
// The viewer opens the generated export on the offscreen platform; then the Procedures panel
// activates ACTIVATED windows spread over the export, as a user choosing them there (or in
// More Windows) would, each one drawn before the next. The documents built (laid out) are
// counted before Close All; Close All should build none.

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/export_generator.h"
#include "bench/viewer_sandbox.h"
#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "shell/document_windows.h"
#include "shell/frm_main.h"
#include "shell/procedures_panel.h"

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double resident_mb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) {
            return std::atof(line.c_str() + 6) / 1024;
        }
    }
    return -1;
}

// Runs the events until none is left (what the command left to do, such as the deletion of
// closed windows and the painting), and returns the longest time the loop went without running.
Clock::duration settle(Clock::time_point since) {
    Clock::duration longest = Clock::now() - since;
    for (int quiet = 0; quiet < 3;) {
        const auto before = Clock::now();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents(QEventLoop::AllEvents);
        const auto took = Clock::now() - before;
        longest = std::max(longest, took);
        quiet = took < std::chrono::milliseconds(2) ? quiet + 1 : 0;
    }
    return longest;
}

int built_documents(const QMdiArea& area) {
    int built = 0;
    for (const QMdiSubWindow* window : area.subWindowList()) {
        if (const auto* form = qobject_cast<const qlx::document::frmDocument*>(window->widget())) {
            built += form->text_deferred() ? 0 : 1;
        }
    }
    return built;
}

}  // namespace

int main(int argc, char* argv[]) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 100;
    const int procedures = argc > 2 ? std::atoi(argv[2]) : 0;
    const int activated = argc > 3 ? std::atoi(argv[3]) : 100;
    const bool tabs = argc > 4 && std::string_view(argv[4]) == "tabs";
    if (megabytes <= 0 || procedures < 0 || activated < 0) {
        std::fprintf(stderr,
                     "usage: window_commands [SIZE_IN_MB [PROCEDURES [ACTIVATED [tabs]]]]\n");
        return 2;
    }
    qlx::bench::ViewerSandbox sandbox(argc, argv);
    const QString export_path = sandbox.path("export.qlx");
    {
        const std::string text = qlx::bench::generate_export(
            static_cast<std::size_t>(megabytes * 1024 * 1024), procedures);
        QFile file(export_path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(text.data(), static_cast<qint64>(text.size())) !=
                static_cast<qint64>(text.size())) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(export_path));
            return 1;
        }
    }

    qlx::shell::frmMain window;
    window.resize(1024, 768);
    window.MDIForm_Load({});
    QApplication::processEvents();
    auto* area = window.findChild<QMdiArea*>();
    const auto opening = Clock::now();
    window.openfile(export_path);
    settle(opening);
    const qsizetype windows = window.document_windows().size();
    std::printf("document windows:                  %lld (opened in %.0f ms; %lld made)\n",
                static_cast<long long>(windows), milliseconds(Clock::now() - opening),
                static_cast<long long>(area->subWindowList().size()));
    if (windows == 0) {
        return 1;
    }

    // Windows spread over the export, chosen in the Procedures panel.
    auto* panel = window.findChild<qlx::shell::ProceduresPanel*>();
    window.findChild<QAction*>(QStringLiteral("mnuWindowProcedures"))->trigger();
    panel->refresh();
    const auto choosing = Clock::now();
    for (int i = 0; i < activated; ++i) {
        const auto chosen =
            static_cast<int>((static_cast<long long>(i) * 2 + 1) * windows / (2LL * activated));
        // The export's procedures, in its order, under its entry.
        if (QTreeWidgetItem* item = panel->tree->topLevelItem(0)->child(chosen)) {
            emit panel->tree->itemActivated(item, 0);
        }
        settle(Clock::now());
    }
    window.findChild<QAction*>(QStringLiteral("mnuWindowProcedures"))->trigger();
    settle(Clock::now());
    std::printf("windows activated:                 %d (in %.0f ms)\n", activated,
                milliseconds(Clock::now() - choosing));
    std::printf("documents built:                   %d\n", built_documents(*area));

    bool within = true;
    // A cascade before each tiling: at thousands of windows both tilings give the same rows,
    // and one straight after the other would move nothing.
    // With "tabs", the documents become tabs (going from tab to tab with Next and Previous
    // Window, and closing one) and windows again before Close All, which then closes every
    // window made (as tabs, each has its window).
    std::vector<const char*> commands = {"mnuWindowCascade", "mnuWindowTileHorizontal",
                                         "mnuWindowCascade", "mnuWindowTileVertical",
                                         "mnuWindowCascade", "mnuWindowCloseAll"};
    if (tabs) {
        commands.insert(commands.end() - 1,
                        {"mnuWindowTabbedView", "mnuWindowNext", "mnuWindowNext",
                         "mnuWindowPrevious", "mnuFileClose", "mnuWindowTabbedView"});
    }
    for (const char* command : commands) {
        auto* action = window.findChild<QAction*>(QLatin1String(command));
        const auto start = Clock::now();
        action->trigger();
        const Clock::duration longest = settle(start);
        const double took = milliseconds(Clock::now() - start);
        // (Making thousands of windows for their tabs takes longer.)
        within = within && (took <= 1000 || command == std::string_view("mnuWindowTabbedView"));
        std::printf(
            "%-24s           %.0f ms (longest gap %.0f ms), %lld windows left (%lld made), "
            "%.0f MB\n",
            command, took, milliseconds(longest),
            static_cast<long long>(window.document_windows().size()),
            static_cast<long long>(area->subWindowList().size()), resident_mb());
    }
    return within ? 0 : 1;
}
