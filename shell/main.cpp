#include <QApplication>
#include <QStringList>
#include <QTimer>

#include <cstring>
#include <filesystem>
#include <iostream>

#include "shell/frm_main.h"
#include "shell/native_paths.h"

namespace {

constexpr const char* help_text =
    "Usage: qlx-viewer [FILE...]\n"
    "Shows report-definition exports, one window per procedure, and RTF and text files.\n"
    "Each FILE opens as File > Open would open it: an export is converted, a file whose\n"
    "name ends in .rtf is shown as RTF, any other file as text. A file named like an\n"
    "option opens when its name starts with a folder, as ./--help.\n"
    "\n"
    "Options:\n"
    "  --help         Displays this help.\n"
    "  --version      Displays version information.\n";

}  // namespace

int main(int argc, char* argv[]) {
    // Answered before any window exists, so that they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::cout << help_text;
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "qlx-viewer " QLX_VERSION "\n";
            return 0;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QLX Viewer"));
    QApplication::setApplicationVersion(QStringLiteral(QLX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("qlx-viewer"));

    // The paths as the system gives them (see native_paths.h).
    QStringList arguments;
#ifdef _WIN32
    arguments = QApplication::arguments();
    arguments.removeFirst();
#else
    for (int i = 1; i < argc; ++i) {
        arguments << qlx::shell::path_from_native(std::filesystem::path(argv[i]));
    }
#endif
    qlx::shell::frmMain window;
    // Start-up runs inside the event loop, so that closing the window while the command
    // line's file is being converted ends the program.
    QTimer::singleShot(0, &window, [&window, arguments] { window.MDIForm_Load(arguments); });
    return QApplication::exec();
}
