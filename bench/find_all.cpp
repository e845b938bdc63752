// How long Find All takes over every document of a large export, against `grep -c` for the
// same word over the documents' text, in one run.
//
//   find_all [SIZE_IN_MB [PROCEDURES [WORD]]]      (100 MB, 400 procedures, "PATIENT")
//
// The viewer opens the generated export on the offscreen platform and works out the text of
// its documents in the background; once that is done, Find All runs with Match case, then
// without. grep runs over one file holding the same text, as `grep -c WORD` and
// `grep -ci WORD`. The documents that the search built (laid out) are counted too: none
// should be.

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/export_generator.h"
#include "bench/viewer_sandbox.h"
#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "shell/document_windows.h"
#include "shell/find_results.h"
#include "shell/frm_main.h"
#include "shell/messages.h"

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The time of a shell command, spawning included, and its exit status.
double command_ms(const std::string& command) {
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    const double taken = milliseconds(Clock::now() - start);
    return status == -1 ? -1 : taken;
}

}  // namespace

int main(int argc, char* argv[]) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 100;
    const int procedures = argc > 2 ? std::atoi(argv[2]) : 400;
    const std::string word = argc > 3 ? argv[3] : "PATIENT";
    if (megabytes <= 0 || procedures < 0 || word.empty() ||
        word.find_first_of("'\\\"$`") != std::string::npos) {
        std::fprintf(stderr, "usage: find_all [SIZE_IN_MB [PROCEDURES [WORD]]]\n");
        return 2;
    }
    qlx::bench::ViewerSandbox sandbox(argc, argv);

    const QString export_path = sandbox.path("export.qlx");
    {
        const std::string text = qlx::bench::generate_export(
            static_cast<std::size_t>(megabytes * 1024 * 1024), procedures);
        std::ofstream(QFile::encodeName(export_path).toStdString(), std::ios::binary) << text;
    }
    qlx::shell::frmMain window;
    window.MDIForm_Load({});
    window.openfile(export_path);
    auto* area = window.findChild<QMdiArea*>();
    (void)area;
    // The documents, those whose windows wait to be made too.
    qlx::shell::DocumentWindows& listed = window.document_windows();
    using Entry = qlx::shell::DocumentWindows::Entry;
    const QList<Entry> windows = listed.entries();
    const auto box = [](const Entry& entry) {
        return qobject_cast<qlx::document::frmDocument*>(entry.window->widget())->RichTextBox1();
    };
    const auto deferred_of = [&](const Entry& entry) {
        return entry.waiting != nullptr ? entry.waiting->text : box(entry)->deferred();
    };
    const auto waits = [&](const Entry& entry) {
        return entry.waiting != nullptr || box(entry)->text_deferred();
    };
    const auto search_text_of = [&](const Entry& entry) {
        return entry.waiting != nullptr ? entry.waiting->text->searchable()
                                        : box(entry)->search_text();
    };

    // The texts are worked out in the background after the opening.
    const auto prepared_from = Clock::now();
    for (bool ready = false; !ready;) {
        ready = true;
        for (const Entry& sub : windows) {
            if (const auto deferred = deferred_of(sub); deferred && !deferred->text.load()) {
                ready = false;
                break;
            }
        }
        if (!ready) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }
    const double prepared = milliseconds(Clock::now() - prepared_from);
    int waiting = 0;
    const QString all_text = sandbox.path("all.txt");
    {
        std::ofstream out(QFile::encodeName(all_text).toStdString(), std::ios::binary);
        for (const Entry& sub : windows) {
            waiting += waits(sub) ? 1 : 0;
            out << *search_text_of(sub) << '\n';
        }
    }

    auto* results = window.findChild<qlx::shell::FindResults*>();
    const auto find_all = [&](bool match_case) {
        QEventLoop loop;
        QObject::connect(results, &qlx::shell::FindResults::finished, &loop, &QEventLoop::quit);
        const auto start = Clock::now();
        results->search(listed, QString::fromStdString(word), {.match_case = match_case});
        if (results->searching()) {
            loop.exec();
        }
        return milliseconds(Clock::now() - start);
    };
    const double case_ms = find_all(true);
    const int case_matches = results->results->rowCount();
    const double any_case_ms = find_all(false);
    const int any_case_matches = results->results->rowCount();
    int still_waiting = 0;
    for (const Entry& sub : listed.entries()) {
        still_waiting += waits(sub) ? 1 : 0;
    }

    const std::string file = QFile::encodeName(all_text).toStdString();
    // (Not to /dev/null: GNU grep then stops at the first match.)
    const std::string quiet =
        " '" + file + "' > '" + QFile::encodeName(sandbox.path("grep.out")).toStdString() + "'";
    // The best of three runs, the file in the page cache.
    double grep_ms = 1e9;
    double grep_i_ms = 1e9;
    for (int run = 0; run < 3; ++run) {
        grep_ms = std::min(grep_ms, command_ms("grep -c -- '" + word + "'" + quiet));
        grep_i_ms = std::min(grep_i_ms, command_ms("grep -ci -- '" + word + "'" + quiet));
    }

    std::printf("export: %.1f MB, %lld documents, text %.1f MB\n",
                static_cast<double>(QFile(export_path).size()) / 1048576,
                static_cast<long long>(windows.size()),
                static_cast<double>(QFile(all_text).size()) / 1048576);
    std::printf("texts worked out in the background: %.0f ms after the opening\n", prepared);
    std::printf(
        "Find All \"%s\", Match case:  %.0f ms, %d matches; grep -c: %.0f ms; ratio %.1f x\n",
        word.c_str(), case_ms, case_matches, grep_ms, case_ms / std::max(grep_ms, 1.0));
    std::printf(
        "Find All \"%s\", any case:    %.0f ms, %d matches; grep -ci: %.0f ms; ratio %.1f x\n",
        word.c_str(), any_case_ms, any_case_matches, grep_i_ms,
        any_case_ms / std::max(grep_i_ms, 1.0));
    std::printf("documents built by the searches: %d (of %d waiting)\n", waiting - still_waiting,
                waiting);
    return 0;
}
