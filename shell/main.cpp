#include <QApplication>
#include <QStringList>
#include <QTimer>

#include "shell/frm_main.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QLX Viewer"));
    QApplication::setApplicationVersion(QStringLiteral(QLX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("qlx-viewer"));

    qlx::shell::frmMain window;
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    // Start-up runs inside the event loop, so that closing the window while the command
    // line's file is being converted ends the program.
    QTimer::singleShot(0, &window, [&window, arguments] { window.MDIForm_Load(arguments); });
    return QApplication::exec();
}
