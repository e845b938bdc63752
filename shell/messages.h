#pragma once

#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <functional>

class QWidget;

namespace qlx::conversion {
class DamageLog;
struct SaveError;
}  // namespace qlx::conversion

namespace qlx::shell {

// The application title, which plain message boxes carry as their title.
inline constexpr const char* application_title = "QLX Viewer";

enum class MessageKind {
    plain,        // OK button, no icon
    problem,      // OK button, warning icon: something the user asked for could not be done
    information,  // OK button, information icon, titled with `parent`'s caption
};

// Every message box of the program goes through here: a box with an OK button titled with
// the application title (unless the kind says otherwise), shown modally over `parent`,
// returning when the user closes it.
void show_message(QWidget* parent, const QString& text, MessageKind kind = MessageKind::plain);

// The whole percentage of work done, 0 to 100, and " Percent", as the status window shows it.
QString percent_text(std::uint64_t done, std::uint64_t total);

// Where an export is damaged (not empty): the first place and how many there are.
QString damage_places(const conversion::DamageLog& damage);

// "The file "PATH" could not be opened." and the reason, as a problem.
void show_open_failure(QWidget* parent, const QString& path, const QString& reason);

// Why a file the user saved is not as the user wanted, as a problem: the file is read-only,
// or could not be saved (and the reason), or was cut short and may be incomplete.
void show_save_failure(QWidget* parent, const QString& path, const conversion::SaveError& error);

// Receives the messages in place of the boxes (tests); an empty handler brings the boxes
// back. Returns the handler that was in place.
using MessageHandler = std::function<void(QWidget* parent, const QString& text, MessageKind)>;
MessageHandler set_message_handler(MessageHandler handler);

// The answer to "Save changes to ...?".
enum class SaveChoice { save, discard, cancel };

// Asks whether to save edited documents before they close: Save, Discard or Cancel (also
// Escape and the close box), titled with the application title. `details` lists the
// documents when there are several.
SaveChoice ask_to_save(QWidget* parent, const QString& text, const QString& details = {});

// Answers in place of the question box (tests); an empty handler brings the box back.
using SaveQuestionHandler =
    std::function<SaveChoice(QWidget* parent, const QString& text, const QString& details)>;
SaveQuestionHandler set_save_question_handler(SaveQuestionHandler handler);

// Asks whether to open a file whose start does not look like text ("The file "PATH" does not
// look like text. Open it anyway?"): Yes or No (also Escape and the close box), titled with
// the application title. Whether the answer is Yes.
bool ask_to_open_as_text(QWidget* parent, const QString& path);

// Answers in place of that question box (tests); an empty handler brings the box back.
using OpenQuestionHandler = std::function<bool(QWidget* parent, const QString& text)>;
OpenQuestionHandler set_open_question_handler(OpenQuestionHandler handler);

}  // namespace qlx::shell
