#include "shell/frm_main.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPointer>

#include <algorithm>
#include <cmath>
#include <memory>

#include "conversion/driver.h"
#include "conversion/export_model.h"
#include "conversion/files.h"
#include "dialogs/frm_status.h"
#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "richtext/windows1252.h"
#include "shell/messages.h"
#include "shell/wait_pointer.h"

namespace qlx::shell {

namespace conv = qlx::conversion;

namespace {

// Long work on many windows lets the events that came meanwhile run once a slice of time has
// passed since they last ran.
class EventSlices {
public:
    EventSlices() { since_.start(); }
    void end_of_step() {
        if (since_.hasExpired(slice_ms)) {
            QCoreApplication::processEvents();
            since_.restart();
        }
    }

private:
    static constexpr qint64 slice_ms = 10;
    QElapsedTimer since_;
};

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString from_utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), text.size());
}

// The whole percentage of work done, 0 to 100, and " Percent".
QString percent_text(std::uint64_t done, std::uint64_t total) {
    const double percent =
        total == 0 ? 100.0
                   : std::floor(static_cast<double>(done) * 100.0 / static_cast<double>(total));
    return QString::number(std::clamp(static_cast<int>(percent), 0, 100)) +
           QStringLiteral(" Percent");
}

QString damage_message(const QString& path, const conv::DamageLog& damage) {
    const conv::Damage& first = damage.kept().front();
    return QCoreApplication::translate(
               "qlx::shell::frmMain",
               "The export \"%1\" is damaged.\n\nFirst damaged line: %2 (%3).\nDamaged places: "
               "%4.\n\nIts documents show the damaged places as far as they could be read.")
        .arg(native(path))
        .arg(first.line)
        .arg(QString::fromUtf8(first.reason.data(), first.reason.size()))
        .arg(damage.count());
}

}  // namespace

void frmMain::openfile(const QString& path) {
    if (converting_) {
        show_message(
            this,
            tr("Wait until the export being opened is shown, then open \"%1\".").arg(native(path)));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        show_message(
            this,
            tr("The file \"%1\" could not be opened.\n\n%2").arg(native(path), file.errorString()),
            MessageKind::problem);
        return;
    }
    const QByteArray start = file.read(conv::export_signature.size());
    const auto size = static_cast<std::uint64_t>(file.size());
    file.close();
    if (conv::is_export(std::string_view(start.constData(), start.size()))) {
        convert_export_file(path, size);
    } else {
        open_unconverted(path);
    }
}

// Converts an export into the output folder with progress in the status window, then opens
// one window per document. Commands that open or save files wait while this runs.
void frmMain::convert_export_file(const QString& path, std::uint64_t size) {
    converting_ = true;
    cancel_requested_ = false;
    update_menus();
    std::expected<conv::ConversionReport, QString> result;
    {
        WaitPointer wait;
        const auto status = std::make_unique<dialogs::frmStatus>(this);
        status->Label3->setText(tr("Loading"));
        status->Label2->setText(native(path));
        status->Label1->setText(tr("%1 of %2").arg(0).arg(size));
        status->show();
        QCoreApplication::processEvents();
        result = convert_with_progress(path, *status);
        status->close();
    }
    QCoreApplication::processEvents();  // repaint where the status window was
    if (result && !cancel_requested_) {
        WaitPointer wait;
        open_converted_documents(result->captions);
    }
    converting_ = false;
    update_menus();
    if (!result && !result.error().isEmpty()) {
        show_message(
            this,
            tr("The file \"%1\" could not be converted.\n\n%2").arg(native(path), result.error()),
            MessageKind::problem);
    } else if (result && !cancel_requested_ && !result->damage.empty()) {
        show_message(this, damage_message(path, result->damage), MessageKind::problem);
    }
}

std::expected<conv::ConversionReport, QString> frmMain::convert_with_progress(
    const QString& path, dialogs::frmStatus& status) {
    const conv::Progress progress = [&](conv::Phase phase, std::uint64_t done,
                                        std::uint64_t total) {
        status.Label3->setText(phase == conv::Phase::loading ? tr("Loading") : tr("Parsing Data"));
        status.Label1->setText(percent_text(done, total));
        QCoreApplication::processEvents();
        return !cancel_requested_;
    };
    const auto text = conv::read_file(QFile::encodeName(path).toStdString(), progress);
    if (!text) {
        return std::unexpected(cancel_requested_ ? QString() : from_utf8(text.error().reason));
    }
    if (!output_folder_) {
        return std::unexpected(
            tr("The folder for converted documents, \"%1\", could not be made: %2")
                .arg(from_utf8(output_folder_.error().path),
                     from_utf8(output_folder_.error().reason)));
    }
    // The folder is made again should it have gone since start-up (caches get cleaned).
    if (auto prepared = conv::prepare_output_folder(*output_folder_); !prepared) {
        return std::unexpected(
            tr("The folder \"%1\" could not be made: %2")
                .arg(from_utf8(prepared.error().path), from_utf8(prepared.error().reason)));
    }
    conv::FolderSink sink(*output_folder_);
    auto report = conv::convert_export(*text, sink, progress);
    if (!report) {
        if (report.error().cancelled) {
            return std::unexpected(QString());
        }
        return std::unexpected(tr("The document \"%1\" could not be written: %2")
                                   .arg(from_utf8(report.error().output.path),
                                        from_utf8(report.error().output.reason)));
    }
    return std::move(*report);
}

void frmMain::open_converted_documents(const std::vector<std::string>& captions) {
    // Raising a window in the workspace compares every window with every other one, unless the
    // raised window stays on top; with thousands of windows that would take longer than the
    // rest of the opening. So the windows stay on top while they open, and are let go after.
    std::vector<QPointer<QMdiSubWindow>> opened;
    EventSlices slices;
    for (std::size_t i = 0; i < captions.size() && !cancel_requested_; ++i) {
        const QString file = from_utf8(
            conv::display_path(conv::document_path(*output_folder_, static_cast<int>(i + 1))));
        document::frmDocument* form = create_document(
            from_utf8(richtext::windows1252_to_utf8(captions[i])), Qt::WindowStaysOnTopHint);
        opened.emplace_back(qobject_cast<QMdiSubWindow*>(form->parentWidget()));
        const auto loaded = form->RichTextBox1->LoadFile(file, document::FileFormat::rtf);
        if (!loaded) {
            form->parentWidget()->close();
            show_message(this,
                         tr("The converted document \"%1\" could not be opened.\n\n%2")
                             .arg(native(file), loaded.error()),
                         MessageKind::problem);
            continue;
        }
        // Each window is shown before the next one loads; closing the program stops here.
        show_document(form);
        slices.end_of_step();
    }
    for (QMdiSubWindow* window : opened) {
        if (window != nullptr) {
            window->setWindowFlag(Qt::WindowStaysOnTopHint, false);
            slices.end_of_step();
        }
    }
}

}  // namespace qlx::shell
