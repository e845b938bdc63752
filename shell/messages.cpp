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
    QMessageBox box(kind == MessageKind::problem ? QMessageBox::Warning : QMessageBox::NoIcon,
                    QString::fromLatin1(application_title), text, QMessageBox::Ok, parent);
    box.exec();
}

MessageHandler set_message_handler(MessageHandler handler) {
    return std::exchange(message_handler(), std::move(handler));
}

}  // namespace qlx::shell
