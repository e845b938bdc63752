#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

#include "dialogs/frm_status.h"
#include "document/rich_text_box.h"
#include "document/twips.h"
#include "gui_test_support.h"
#include "support/export_builder.h"

using qlx::dialogs::frmStatus;
namespace gt = qlx::gui_testing;

namespace {

// What the status window showed at one turn of the event loop.
struct Sample {
    QString phase;
    QString path;
    QString progress;
    bool visible = false;
    qsizetype document_windows = 0;
    qint64 at_ms = 0;
};

// Looks at the status window every time the event loop runs, while it lives.
class StatusSampler : public QObject {
public:
    explicit StatusSampler(const qlx::shell::frmMain& window) : window_(window) {
        clock_.start();
        schedule();
    }

    QList<Sample> samples;

private:
    void schedule() {
        QTimer::singleShot(0, this, [this] {
            if (const auto* status = window_.findChild<frmStatus*>()) {
                samples.append({status->Label3->text(), status->Label2->text(),
                                status->Label1->text(), status->isVisible(),
                                gt::document_windows(window_).size(), clock_.elapsed()});
            }
            schedule();
        });
    }

    const qlx::shell::frmMain& window_;
    QElapsedTimer clock_;
};

std::string export_of_size(std::size_t size) {
    using qlx::testing::counted;
    std::string text =
        qlx::testing::lines({"MEDITECH.CUST.RPTS^NPR^Hospital", "PROC", "ONE", counted("LAB.C")});
    const std::string description = qlx::testing::lines({"D" + counted("1"), std::string(72, 'w')});
    while (text.size() < size) {
        text += description;
    }
    return text + qlx::testing::lines({"PROC", "TWO", counted("LAB.C")});
}

int percent_of(const QString& progress) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,3}) Percent$"));
    const auto match = form.match(progress);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

}  // namespace

class StatusWindowTest : public QObject {
    Q_OBJECT

private slots:
    void it_has_its_caption_and_three_empty_labels_in_place() {
        frmStatus status(nullptr);
        QCOMPARE(status.windowTitle(), QStringLiteral("File Processing Status"));
        const auto pixels = [&](double twips) {
            return qlx::document::twips_to_pixels(twips, status.logicalDpiX());
        };
        QCOMPARE(status.size(), QSize(pixels(6000), pixels(2040)));
        QCOMPARE(status.Label3->geometry(),
                 QRect(pixels(360), pixels(120), pixels(5295), pixels(375)));
        QCOMPARE(status.Label2->geometry(),
                 QRect(pixels(360), pixels(600), pixels(5295), pixels(615)));
        QCOMPARE(status.Label1->geometry(),
                 QRect(pixels(360), pixels(1440), pixels(5415), pixels(375)));
        for (const QLabel* label : {status.Label1, status.Label2, status.Label3}) {
            QVERIFY(label->text().isEmpty());
            QVERIFY(label->alignment() & Qt::AlignHCenter);
        }
        QCOMPARE(status.Label2->font().pointSizeF(), 9.75);
        QCOMPARE(status.Label3->font().family(), QStringLiteral("Arial"));
        QVERIFY(!status.isModal());
    }

    void a_conversion_shows_loading_then_parsing_in_whole_percentages() {
        gt::Sandbox sandbox;
        const std::string text = export_of_size(3'000'000);
        const QString path = sandbox.write("big.qlx", gt::bytes(text));
        qlx::shell::frmMain window;
        window.MDIForm_Load({});
        StatusSampler sampler(window);
        window.openfile(path);

        const QList<Sample>& samples = sampler.samples;
        QVERIFY(samples.size() > 4);
        QCOMPARE(samples.front().phase, QStringLiteral("Loading"));
        QCOMPARE(samples.front().progress, QStringLiteral("0 of %1").arg(text.size()));
        int last_percent = 0;
        QString last_phase = QStringLiteral("Loading");
        for (const Sample& sample : samples.mid(1)) {
            QCOMPARE(sample.path, QDir::toNativeSeparators(path));
            QVERIFY(sample.visible);
            if (sample.phase == QStringLiteral("Opening")) {
                QCOMPARE(last_phase, QStringLiteral("Parsing Data"));
                break;  // the windows open now (see the tests of the opening below)
            }
            QCOMPARE(sample.document_windows, 0);
            if (sample.phase != last_phase) {
                QCOMPARE(last_phase, QStringLiteral("Loading"));
                QCOMPARE(sample.phase, QStringLiteral("Parsing Data"));
                last_phase = sample.phase;
                last_percent = 0;
            }
            const int percent = percent_of(sample.progress);
            QVERIFY2(percent >= last_percent && percent <= 100, qPrintable(sample.progress));
            last_percent = percent;
        }
        QCOMPARE(last_phase, QStringLiteral("Parsing Data"));
        QVERIFY(std::ranges::any_of(samples, [](const Sample& sample) {
            return sample.phase == QStringLiteral("Loading") && percent_of(sample.progress) > 0 &&
                   percent_of(sample.progress) < 100;
        }));
        QVERIFY(std::ranges::any_of(samples, [](const Sample& sample) {
            return sample.phase == QStringLiteral("Parsing Data") &&
                   percent_of(sample.progress) > 0 && percent_of(sample.progress) < 100;
        }));
        QCOMPARE(window.findChildren<frmStatus*>().size(), 0);
        QCOMPARE(gt::captions(window), (QStringList{"ONE", "TWO"}));
    }

    void escape_stops_the_opening_and_keeps_the_windows_opened_so_far() {
        gt::Sandbox sandbox;
        using qlx::testing::counted;
        std::string text = qlx::testing::lines({"MEDITECH.CUST.RPTS^NPR^Hospital"});
        for (int i = 1; i <= 2000; ++i) {
            text += qlx::testing::lines({"PROC", "P" + std::to_string(i), counted("LAB.C")});
        }
        const QString path = sandbox.write("many.qlx", gt::bytes(text));
        qlx::shell::frmMain window;
        window.MDIForm_Load({});
        QString phase;
        bool last_readable_first = false;
        std::function<void()> watch = [&] {
            auto* status = window.findChild<frmStatus*>();
            const auto hidden = [](const QMdiSubWindow* sub) { return !sub->isVisible(); };
            QList<QMdiSubWindow*> shown = gt::document_windows(window);
            const auto made = shown.size();
            shown.removeIf(hidden);
            if (status != nullptr && status->isVisible() && made >= 5) {
                // The last procedure's window shows first, with its text, on top.
                const QMdiSubWindow* last = shown.back();
                QList<QMdiSubWindow*> stacked =
                    window.findChild<QMdiArea*>()->subWindowList(QMdiArea::StackingOrder);
                stacked.removeIf(hidden);
                last_readable_first = gt::form_of(last)->caption() == QStringLiteral("P2000") &&
                                      !gt::form_of(last)->text_deferred() &&
                                      stacked.back() == last;
                phase = status->Label3->text();
                QTest::keyClick(status, Qt::Key_Escape);
                return;
            }
            QTimer::singleShot(0, &window, watch);
        };
        QTimer::singleShot(0, &window, watch);
        window.openfile(path);
        QCOMPARE(phase, QStringLiteral("Opening"));
        QVERIFY(last_readable_first);
        // The windows shown so far stay, in export order: the first ones and the last.
        QStringList captions = gt::captions(window);
        QVERIFY2(captions.size() >= 5 && captions.size() < 2000,
                 qPrintable(QString::number(captions.size())));
        QCOMPARE(captions.takeLast(), QStringLiteral("P2000"));
        for (qsizetype i = 0; i < captions.size(); ++i) {
            QCOMPARE(captions[i], QStringLiteral("P%1").arg(i + 1));
        }
        // Nothing is left half made: no status window, every window shown that is not under
        // others, the commands are back, and each window holds its own document.
        QCOMPARE(window.findChildren<frmStatus*>().size(), 0);
        QVERIFY(!window.converting());
        QCOMPARE(gt::shown_when_settled(window), QString());
        // (Those that wait are made as they are reached.)
        qlx::shell::DocumentWindows& listed = window.document_windows();
        const QList<qlx::shell::DocumentWindows::Entry> entries = listed.entries();
        const auto text_of = [&](qsizetype index) {
            return gt::form_of(listed.window(entries[index]))->RichTextBox1()->Text();
        };
        QVERIFY(text_of(0).contains(QStringLiteral("ProcedureP1\r")));
        QVERIFY(text_of(entries.size() - 2)
                    .contains(QStringLiteral("ProcedureP%1\r").arg(entries.size() - 1)));
        QVERIFY(text_of(entries.size() - 1).contains(QStringLiteral("ProcedureP2000\r")));
        QCOMPARE(window.active_document(), gt::form_of(listed.window(entries.back())));
    }

    // The window stays alive while a large export converts: events run between every few
    // percent of the work, however fast the machine (the times are the benchmarks' to check).
    void the_event_loop_runs_throughout_the_conversion() {
        gt::Sandbox sandbox;
        const QString path = sandbox.write("big.qlx", gt::bytes(export_of_size(8'000'000)));
        qlx::shell::frmMain window;
        window.MDIForm_Load({});
        StatusSampler sampler(window);
        window.openfile(path);
        QVERIFY(sampler.samples.size() > 10);
        int largest_step = 0;
        for (qsizetype i = 1; i < sampler.samples.size(); ++i) {
            const Sample& before = sampler.samples[i - 1];
            const Sample& after = sampler.samples[i];
            if (before.phase == after.phase && after.phase != QStringLiteral("Opening")) {
                largest_step = std::max(largest_step,
                                        percent_of(after.progress) - percent_of(before.progress));
            }
        }
        // Loading goes a megabyte (an eighth here) at a time, parsing a quarter of one.
        QVERIFY2(largest_step <= 15, qPrintable(QString::number(largest_step)));
    }

    void a_small_plain_file_never_shows_the_status_window() {
        gt::Sandbox sandbox;
        const QString path = sandbox.write("plain.txt", "MEDITECH.CUST.RPTS (no caret)\r\n");
        qlx::shell::frmMain window;
        window.MDIForm_Load({});
        bool status_shown = false;
        const auto filter = [&](QObject* watched, QEvent* event) {
            if (event->type() == QEvent::Show && qobject_cast<frmStatus*>(watched) != nullptr) {
                status_shown = true;
            }
        };
        struct Filter : QObject {
            std::function<void(QObject*, QEvent*)> seen;
            bool eventFilter(QObject* watched, QEvent* event) override {
                seen(watched, event);
                return false;
            }
        } watcher;
        watcher.seen = filter;
        QCoreApplication::instance()->installEventFilter(&watcher);
        window.openfile(path);
        QCoreApplication::instance()->removeEventFilter(&watcher);
        QVERIFY(!status_shown);
        QCOMPARE(gt::captions(window), QStringList{path});
    }
};

QTEST_MAIN(StatusWindowTest)
#include "status_window_test.moc"
