#pragma once

// The viewer as the benchmarks run it: on the offscreen platform unless QT_QPA_PLATFORM
// names another, with its settings and converted documents in a temporary folder, and its
// messages on standard error instead of in message boxes.

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

#include "shell/messages.h"

namespace qlx::bench {

class ViewerSandbox {
public:
    ViewerSandbox(int& argc, char* argv[]) : app_((prepare(folder_), argc), argv) {
        shell::set_message_handler([](QWidget*, const QString& text, shell::MessageKind) {
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
        });
    }

    QString path(const QString& name) const { return folder_.filePath(name); }
    QApplication& app() { return app_; }

private:
    static void prepare(const QTemporaryDir& folder) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           folder.filePath(QStringLiteral("config")));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(folder.filePath(QStringLiteral("cache"))));
    }

    QTemporaryDir folder_;  // before the application, which it prepares
    QApplication app_;
};

}  // namespace qlx::bench
