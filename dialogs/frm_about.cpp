#include "dialogs/frm_about.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QUrl>
#include <QVersionNumber>

#include "assets/pictures.h"
#include "document/twips.h"

namespace qlx::dialogs {

namespace {

// A control's place in its parent, in twips.
struct TwipsBox {
    double left, top, width, height;
};

void place(QWidget& widget, const TwipsBox& box) {
    using document::twips_to_pixels;
    const double x_dpi = widget.logicalDpiX();
    const double y_dpi = widget.logicalDpiY();
    widget.setGeometry(twips_to_pixels(box.left, x_dpi), twips_to_pixels(box.top, y_dpi),
                       twips_to_pixels(box.width, x_dpi), twips_to_pixels(box.height, y_dpi));
}

const QColor label_grey(0xE0, 0xE0, 0xE0);

// The dialog's own font is MS Sans Serif, 8.25 points, bold; `points` 0 keeps it.
QFont sans_serif(double points) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

void paint_black(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, label_grey);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

QLabel* make_label(QWidget* frame, const QString& text, const TwipsBox& box, double points) {
    auto* label = new QLabel(text, frame);
    if (points > 0) {
        label->setFont(sans_serif(points));
    }
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    place(*label, box);
    return label;
}

QPushButton* make_button(QWidget* parent, const QString& caption, const TwipsBox& box) {
    auto* button = new QPushButton(caption, parent);
    place(*button, box);
    return button;
}

}  // namespace

namespace {

// The desktop's program for mailto: links, as xdg-mime names it; Qt opens such a link even
// when there is none, and nothing happens.
bool desktop_names_a_mail_program() {
#if defined(Q_OS_LINUX)
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/mailto")});
    return query.waitForFinished(3000) && query.exitCode() == 0 &&
           !query.readAllStandardOutput().trimmed().isEmpty();
#else
    return true;
#endif
}

}  // namespace

QString version_text(const QVersionNumber& version) {
    return QStringLiteral("Version %1.%2%3")
        .arg(version.majorVersion())
        .arg(version.minorVersion())
        .arg(version.microVersion());
}

frmAbout::frmAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      cmdAbout(make_button(this, QStringLiteral("OK"), {3360, 3720, 1452, 612})),
      fraAbout(new QFrame(this)),
      Label1(make_label(fraAbout, QStringLiteral("QLX Upload Report Viewer"),
                        {2760, 360, 2655, 855}, 13.5)),
      Label2(
          make_label(fraAbout, QStringLiteral("A Tarnwell Product"), {2640, 2760, 2775, 375}, 12)),
      Label3(make_label(fraAbout, QStringLiteral("Working magic so you don't have to."),
                        {2760, 1680, 2535, 735}, 12)),
      Label4(make_label(fraAbout, QString(), {2880, 1200, 2295, 375}, 0)),
      Image1(new QLabel(fraAbout)),
      Command1(make_button(fraAbout, QStringLiteral("Visit My Web Site"), {2880, 4920, 2295, 255})),
      Command2(make_button(fraAbout, QStringLiteral("Email Me"), {360, 4920, 2295, 255})) {
    assets::register_pictures();
    setWindowTitle(QStringLiteral("About QLX Upload Report Viewer"));
    setFont(sans_serif(8.25));
    paint_black(*this);
    place(*this, {0, 0, 5790, 5670});
    setFixedSize(size());

    place(*fraAbout, {120, 120, 5535, 5415});
    fraAbout->setFrameStyle(QFrame::Box | QFrame::Sunken);
    paint_black(*fraAbout);
    paint_black(*Label4);

    Image1->setPixmap(assets::about_picture());
    Image1->setScaledContents(true);
    place(*Image1, {120, 240, 2475, 4830});

    // The button belongs to the dialog and lies over the frame.
    cmdAbout->raise();
    cmdAbout->setDefault(true);
    setTabOrder(cmdAbout, Command1);
    setTabOrder(Command1, Command2);
    cmdAbout->setFocus();

    connect(cmdAbout, &QPushButton::clicked, this, &frmAbout::cmdAbout_Click);
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmAbout::Command2_Click);
    has_mail_program = desktop_names_a_mail_program;
    Form_Load();
}

void frmAbout::Form_Load() {
    centre_on_screen();
    Label4->setText(
        version_text(QVersionNumber::fromString(QCoreApplication::applicationVersion())));
}

void frmAbout::centre_on_screen() {
    const QWidget* owner = parentWidget();
    const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen->geometry();
    const QSize outer = frameGeometry().size();
    move(area.left() + area.width() / 2 - outer.width() / 2,
         area.top() + area.height() / 2 - outer.height() / 2);
}

void frmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centre_on_screen();
}

void frmAbout::cmdAbout_Click() {
    accept();
}

void frmAbout::Command1_Click() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(product_page_link)));
}

void frmAbout::Command2_Click() {
    const QUrl mail(QString::fromLatin1(maker_mail_link));
    if (has_mail_program() && QDesktopServices::openUrl(mail)) {
        return;
    }
    // Told in a box of the dialog's own, which leaves the dialog open behind it.
    auto* box = new QMessageBox(QMessageBox::Information, windowTitle(),
                                tr("No mail program is set up to write to %1. Write to that "
                                   "address from the mail program you use.")
                                    .arg(mail.path()),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace qlx::dialogs
