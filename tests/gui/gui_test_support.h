#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "document/frm_document.h"
#include "shell/document_windows.h"
#include "shell/frm_main.h"
#include "shell/messages.h"
#include "support/export_builder.h"

namespace qlx::gui_testing {

// Collects the messages shown while it lives, in place of message boxes.
class MessageRecorder {
public:
    MessageRecorder() {
        previous_ = shell::set_message_handler(
            [this](QWidget*, const QString& text, shell::MessageKind kind) {
                texts << text;
                kinds << kind;
                if (on_message) {
                    on_message();
                }
            });
    }
    ~MessageRecorder() { shell::set_message_handler(std::move(previous_)); }

    QStringList texts;
    QList<shell::MessageKind> kinds;
    std::function<void()> on_message;

private:
    shell::MessageHandler previous_;
};

// Answers the questions to save edited documents with prepared choices (cancel when none is
// left), and collects them.
class SaveQuestionRecorder {
public:
    SaveQuestionRecorder() {
        previous_ = shell::set_save_question_handler(
            [this](QWidget*, const QString& text, const QString& details) {
                texts << text;
                lists << details;
                return answers.isEmpty() ? shell::SaveChoice::cancel : answers.takeFirst();
            });
    }
    ~SaveQuestionRecorder() { shell::set_save_question_handler(std::move(previous_)); }

    QList<shell::SaveChoice> answers;
    QStringList texts;
    QStringList lists;

private:
    shell::SaveQuestionHandler previous_;
};

// Answers the questions to open a file as text with prepared answers (No when none is left),
// and collects them.
class OpenQuestionRecorder {
public:
    OpenQuestionRecorder() {
        previous_ = shell::set_open_question_handler([this](QWidget*, const QString& text) {
            texts << text;
            return !answers.isEmpty() && answers.takeFirst();
        });
    }
    ~OpenQuestionRecorder() { shell::set_open_question_handler(std::move(previous_)); }

    QList<bool> answers;
    QStringList texts;

private:
    shell::OpenQuestionHandler previous_;
};

// One test's own settings store and folder of converted documents, in a temporary folder.
class Sandbox {
public:
    Sandbox() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path("config"));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(path("cache")));
    }

    QString path(const QString& name) const { return folder_.filePath(name); }
    QString output_folder() const { return path(QStringLiteral("cache/qlx-viewer")); }

    QString write(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(bytes);
        }
        return file.fileName();
    }

private:
    QTemporaryDir folder_;
};

inline QByteArray read_all(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline QList<QMdiSubWindow*> document_windows(const shell::frmMain& window) {
    return window.findChild<QMdiArea*>()->subWindowList();
}

inline document::frmDocument* form_of(const QMdiSubWindow* window) {
    return qobject_cast<document::frmDocument*>(window->widget());
}

// The documents' captions in their order, without the edited marker (those waiting to be
// made too).
inline QStringList captions(const shell::frmMain& window) {
    QStringList titles;
    for (const shell::DocumentWindows::Entry& entry : window.document_windows().entries()) {
        titles << shell::DocumentWindows::caption(entry);
    }
    return titles;
}

inline QByteArray bytes(const std::string& text) {
    return QByteArray::fromStdString(text);
}

// An export of `count` procedures "P1", "P2", ..., each document holding "text of Pn".
inline QString many_procedures_export(const Sandbox& sandbox, int count) {
    std::string text = "MEDITECH.CUST.RPTS^NPR^Hospital\r\n";
    for (int n = 1; n <= count; ++n) {
        const std::string name = "P" + std::to_string(n);
        const std::string line = "text of " + name;
        text += testing::lines(
            {"PROC", name, testing::counted("LAB.C"), "D" + testing::counted("1"), line});
    }
    return sandbox.write(QStringLiteral("many.qlx"), bytes(text));
}

// What the workspace shows: every window not wholly under a window above it, and only those;
// the active one always. Empty when so, otherwise the first window that is not.
inline QString shown_as_expected(const shell::frmMain& window) {
    const auto* area = window.findChild<QMdiArea*>();
    const QList<QMdiSubWindow*> stack = area->subWindowList(QMdiArea::StackingOrder);
    QList<QRect> above;
    for (qsizetype i = stack.size() - 1; i >= 0; --i) {
        const QMdiSubWindow* sub = stack[i];
        bool covered = false;
        for (const QRect& over : above) {
            covered = covered || over.contains(sub->geometry());
        }
        covered = covered && sub != area->currentSubWindow() && !sub->isMinimized();
        if (sub->isVisible() == covered) {
            return sub->windowTitle() +
                   (covered ? QStringLiteral(" shown") : QStringLiteral(" hidden"));
        }
        if (!sub->isMinimized() && sub->isVisible()) {
            above << sub->geometry();
        }
    }
    // Those waiting to be made lie under the windows made, each wholly.
    for (const auto& waiting : window.document_windows().waiting()) {
        if (area->viewMode() == QMdiArea::SubWindowView &&
            std::ranges::none_of(
                above, [&](const QRect& over) { return over.contains(waiting->place); })) {
            return waiting->caption + QStringLiteral(" waits in sight");
        }
    }
    return {};
}

// The same, once the windows coming into sight (shown a few at a time) are all shown.
inline QString shown_when_settled(const shell::frmMain& window) {
    for (int run = 0; run < 100 && !shown_as_expected(window).isEmpty(); ++run) {
        QCoreApplication::processEvents();
    }
    return shown_as_expected(window);
}

}  // namespace qlx::gui_testing
