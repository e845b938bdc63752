#include <QCoreApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QUrl>
#include <QVersionNumber>

#include "dialogs/frm_about.h"
#include "document/twips.h"

using qlx::dialogs::frmAbout;

namespace {

QRect twips(const QWidget& widget, double left, double top, double width, double height) {
    using qlx::document::twips_to_pixels;
    const double x = widget.logicalDpiX();
    const double y = widget.logicalDpiY();
    return {twips_to_pixels(left, x), twips_to_pixels(top, y), twips_to_pixels(width, x),
            twips_to_pixels(height, y)};
}

}  // namespace

// Receives the links the dialog opens, in place of the browser and the mail program.
class LinkRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

class AboutDialogTest : public QObject {
    Q_OBJECT

private slots:
    void version_text_joins_minor_and_revision() {
        using qlx::dialogs::version_text;
        QCOMPARE(version_text(QVersionNumber(3, 3, 6)), QStringLiteral("Version 3.36"));
        QCOMPARE(version_text(QVersionNumber(1, 0, 0)), QStringLiteral("Version 1.00"));
        QCOMPARE(version_text(QVersionNumber(2, 10, 12)), QStringLiteral("Version 2.1012"));
        QCOMPARE(version_text(QVersionNumber(4)), QStringLiteral("Version 4.00"));
    }

    void shows_the_application_version_centred_each_time() {
        QCoreApplication::setApplicationVersion(QStringLiteral("3.3.6"));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        for (int time = 0; time < 2; ++time) {
            frmAbout about;
            about.show();
            QCOMPARE(about.Label4->text(), QStringLiteral("Version 3.36"));
            const QRect frame = about.frameGeometry();
            QVERIFY2(qAbs(frame.center().x() - screen.center().x()) <= 1 &&
                         qAbs(frame.center().y() - screen.center().y()) <= 1,
                     qPrintable(QStringLiteral("frame at %1,%2 %3x%4")
                                    .arg(frame.x())
                                    .arg(frame.y())
                                    .arg(frame.width())
                                    .arg(frame.height())));
        }
    }

    void controls_stand_where_the_layout_puts_them() {
        QCoreApplication::setApplicationVersion(QStringLiteral("2.10.12"));
        frmAbout about;
        about.show();
        QCOMPARE(about.windowTitle(), QStringLiteral("About QLX Upload Report Viewer"));
        QCOMPARE(about.size(), twips(about, 0, 0, 5790, 5670).size());
        QCOMPARE(about.cmdAbout->parentWidget(), &about);
        QCOMPARE(about.fraAbout->parentWidget(), &about);
        QCOMPARE(about.cmdAbout->geometry(), twips(about, 3360, 3720, 1452, 612));
        QCOMPARE(about.fraAbout->geometry(), twips(about, 120, 120, 5535, 5415));
        struct Expected {
            QWidget* control;
            QRect place;
            QString text;
        };
        const QList<Expected> in_frame{
            {about.Label1, twips(about, 2760, 360, 2655, 855), "QLX Upload Report Viewer"},
            {about.Label4, twips(about, 2880, 1200, 2295, 375), "Version 2.1012"},
            {about.Label3, twips(about, 2760, 1680, 2535, 735),
             "Working magic so you don't have to."},
            {about.Label2, twips(about, 2640, 2760, 2775, 375), "A Tarnwell Product"},
            {about.Image1, twips(about, 120, 240, 2475, 4830), QString()},
            {about.Command1, twips(about, 2880, 4920, 2295, 255), "Visit My Web Site"},
            {about.Command2, twips(about, 360, 4920, 2295, 255), "Email Me"},
        };
        for (const Expected& expected : in_frame) {
            QCOMPARE(expected.control->parentWidget(), about.fraAbout);
            QCOMPARE(expected.control->geometry(), expected.place);
            const QVariant text = expected.control->property("text");
            QCOMPARE(text.toString(), expected.text);
        }
        QCOMPARE(about.cmdAbout->text(), QStringLiteral("OK"));
        QCOMPARE(about.Image1->pixmap().size(), QSize(165, 322));
    }

    void looks_light_grey_on_black() {
        frmAbout about;
        QCOMPARE(about.palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(about.fraAbout->palette().color(QPalette::Window), QColor(Qt::black));
        for (const QLabel* label : {about.Label1, about.Label2, about.Label3, about.Label4}) {
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0xE0, 0xE0, 0xE0));
            QVERIFY(label->font().bold());
            QVERIFY(label->alignment() & Qt::AlignHCenter);
        }
        QCOMPARE(about.Label1->font().pointSizeF(), 13.5);
        QCOMPARE(about.Label2->font().pointSizeF(), 12.0);
        QCOMPARE(about.Label3->font().pointSizeF(), 12.0);
        QCOMPARE(about.Label4->font().pointSizeF(), 8.25);
        QCOMPARE(about.font().family(), QStringLiteral("MS Sans Serif"));
    }

    void ok_enter_and_escape_close_it() {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            frmAbout about;
            about.open();
            QVERIFY(about.isVisible());
            QTest::keyClick(&about, key);
            QVERIFY(!about.isVisible());
        }
        frmAbout about;
        about.open();
        about.cmdAbout->click();
        QVERIFY(!about.isVisible());
        QVERIFY(about.cmdAbout->isDefault());
    }

    void buttons_open_the_web_page_and_the_mail_address() {
        LinkRecorder links;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &links, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &links, "open");
        frmAbout about;
        about.has_mail_program = [] { return true; };
        about.open();
        about.Command1->click();
        about.Command2->click();
        QVERIFY(about.isVisible());
        QCOMPARE(links.opened,
                 (QList<QUrl>{QUrl(QStringLiteral("http://www.tarnwell.example/magic_qlxv.htm")),
                              QUrl(QStringLiteral("mailto:magic@tarnwell.example"))}));
        QVERIFY(about.findChild<QMessageBox*>() == nullptr);

        // Without a mail program the button says so, and the dialog stays.
        about.has_mail_program = [] { return false; };
        about.Command2->click();
        QCOMPARE(links.opened.size(), 2);
        auto* note = about.findChild<QMessageBox*>();
        QVERIFY(note != nullptr);
        QCOMPARE(note->text(), QStringLiteral("No mail program is set up to write to "
                                              "magic@tarnwell.example. Write to that address "
                                              "from the mail program you use."));
        note->accept();
        QVERIFY(about.isVisible());
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    }
};

QTEST_MAIN(AboutDialogTest)
#include "about_dialog_test.moc"
