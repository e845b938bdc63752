#include "shell/messages.h"

#include <QWidget>

#include <utility>

namespace qlx::shell {

namespace {

MessageHandler& message_handler() {
    static MessageHandler handler;
    return handler;
}

}  // namespace

void show_message(QWidget* parent, const QString& text, MessageKind kind) {
    if (const MessageHandler& handler = message_handler()) {
        handler(parent, text, kind);
        return;
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title = QString::fromLatin1(application_title);
    if (kind == MessageKind::problem) {
        icon = QMessageBox::Warning;
    } else if (kind == MessageKind::information) {
        icon = QMessageBox::Information;
        if (parent != nullptr) {
            title = parent->window()->windowTitle();
        }
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

MessageHandler set_message_handler(MessageHandler handler) {
    return std::exchange(message_handler(), std::move(handler));
}

}  // namespace qlx::shell
