#include "shell/messages.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QWidget>

#include "files/saved_file.h"
#include "model/diagnostics.h"
#include "shell/native_paths.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace qlx::shell {

namespace {

MessageHandler& message_handler() {
    static MessageHandler handler;
    return handler;
}

SaveQuestionHandler& save_question_handler() {
    static SaveQuestionHandler handler;
    return handler;
}

OpenQuestionHandler& open_question_handler() {
    static OpenQuestionHandler handler;
    return handler;
}

// Every button answers to Alt and its letter, as the menus do.
void give_access_keys(QMessageBox& box) {
    for (QAbstractButton* button : box.buttons()) {
        switch (box.standardButton(button)) {
            case QMessageBox::Ok:
                button->setText(QMessageBox::tr("&OK"));
                break;
            case QMessageBox::Save:
                button->setText(QMessageBox::tr("&Save"));
                break;
            case QMessageBox::Discard:
                button->setText(QMessageBox::tr("&Don't Save"));
                break;
            case QMessageBox::Cancel:
                button->setText(QMessageBox::tr("&Cancel"));
                break;
            case QMessageBox::Yes:
                button->setText(QMessageBox::tr("&Yes"));
                break;
            case QMessageBox::No:
                button->setText(QMessageBox::tr("&No"));
                break;
            default:
                break;
        }
    }
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
    give_access_keys(box);
    box.exec();
}

void show_open_failure(QWidget* parent, const QString& path, const QString& reason) {
    show_message(parent,
                 QStringLiteral("The file \"%1\" could not be opened.\n\n%2")
                     .arg(message_path(path), reason),
                 MessageKind::problem);
}

void show_save_failure(QWidget* parent, const QString& path, const conversion::SaveError& error) {
    const QString file = message_path(path);
    const QString reason = from_utf8(error.file.reason);
    QString text;
    switch (error.problem) {
        case conversion::SaveProblem::read_only:
            text = QStringLiteral(
                       "The file \"%1\" is read-only, so it was left as it was.\n\nSave "
                       "the document under another name.")
                       .arg(file);
            break;
        case conversion::SaveProblem::left_incomplete:
            text = QStringLiteral(
                       "The file \"%1\" could not be saved completely and may be "
                       "incomplete now.\n\n%2\n\nSave the document under another name.")
                       .arg(file, reason);
            break;
        case conversion::SaveProblem::not_written:
            text = QStringLiteral("The file \"%1\" could not be saved.\n\n%2").arg(file, reason);
            break;
    }
    show_message(parent, text, MessageKind::problem);
}

MessageHandler set_message_handler(MessageHandler handler) {
    return std::exchange(message_handler(), std::move(handler));
}

SaveChoice ask_to_save(QWidget* parent, const QString& text, const QString& details) {
    if (const SaveQuestionHandler& handler = save_question_handler()) {
        return handler(parent, text, details);
    }
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(application_title), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setInformativeText(details);
    give_access_keys(box);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Save:
            return SaveChoice::save;
        case QMessageBox::Discard:
            return SaveChoice::discard;
        default:
            return SaveChoice::cancel;
    }
}

SaveQuestionHandler set_save_question_handler(SaveQuestionHandler handler) {
    return std::exchange(save_question_handler(), std::move(handler));
}

QString percent_text(std::uint64_t done, std::uint64_t total) {
    const double percent =
        total == 0 ? 100.0
                   : std::floor(static_cast<double>(done) * 100.0 / static_cast<double>(total));
    return QString::number(std::clamp(static_cast<int>(percent), 0, 100)) +
           QStringLiteral(" Percent");
}

QString damage_places(const conversion::DamageLog& damage) {
    const conversion::Damage& first = damage.kept().front();
    return QCoreApplication::translate("qlx::shell::frmMain",
                                       "First damaged line: %1 (%2).\nDamaged places: %3.")
        .arg(first.line)
        .arg(QString::fromUtf8(first.reason.data(), first.reason.size()))
        .arg(damage.count());
}

bool ask_to_open_as_text(QWidget* parent, const QString& path) {
    const QString text = QStringLiteral("The file \"%1\" does not look like text. Open it anyway?")
                             .arg(message_path(path));
    if (const OpenQuestionHandler& handler = open_question_handler()) {
        return handler(parent, text);
    }
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(application_title), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    give_access_keys(box);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

OpenQuestionHandler set_open_question_handler(OpenQuestionHandler handler) {
    return std::exchange(open_question_handler(), std::move(handler));
}

}  // namespace qlx::shell
