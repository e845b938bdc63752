#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class QShowEvent;
class QVersionNumber;

namespace qlx::dialogs {

// The links of the About dialog: the product's web page and the maker's mail address.
inline constexpr const char* product_page_link = "http://www.tarnwell.example/magic_qlxv.htm";
inline constexpr const char* maker_mail_link = "mailto:magic@tarnwell.example";

// "Version " with the major number, a point, and then the minor and the revision numbers
// written together: version 3.3.6 reads "Version 3.36". Missing numbers count as 0.
QString version_text(const QVersionNumber& version);

// The About dialog: the product's name, maker, slogan, picture and version on black, with
// the two links. Shown modally; OK, Enter and Esc close it.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* owner = nullptr);

    // Controls; the labels, the picture and the two link buttons are children of fraAbout.
    QPushButton* const cmdAbout;
    QFrame* const fraAbout;
    QLabel* const Label1;
    QLabel* const Label2;
    QLabel* const Label3;
    QLabel* const Label4;
    QLabel* const Image1;
    QPushButton* const Command1;
    QPushButton* const Command2;

    // Whether a mail program is there to write to the maker (on Linux, the one the desktop
    // names for mailto: links; elsewhere the system answers when the link is opened).
    std::function<bool()> has_mail_program;

    // Centres the dialog on the screen and shows the application's version in Label4.
    void Form_Load();

public slots:
    void cmdAbout_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    // Centres the dialog again once its frame is known.
    void showEvent(QShowEvent* event) override;

private:
    void centre_on_screen();
};

}  // namespace qlx::dialogs
