#include "shell/frm_main.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStatusBar>
#include <QTextDocument>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/driver.h"
#include "dialogs/frm_status.h"
#include "document/frm_document.h"
#include "document/plain_text.h"
#include "document/rich_text_box.h"
#include "files/background_sink.h"
#include "files/document_sinks.h"
#include "files/export_reading.h"
#include "files/names_and_reasons.h"
#include "files/output_folders.h"
#include "files/saved_file.h"
#include "model/export_encoding.h"
#include "richtext/windows1252.h"
#include "shell/document_windows.h"
#include "shell/find_results.h"
#include "shell/messages.h"
#include "shell/native_paths.h"
#include "shell/procedures_panel.h"
#include "shell/wait_pointer.h"
#include "shell/window_arrangement.h"

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
    static constexpr qint64 slice_ms = 15;
    QElapsedTimer since_;
};

QString damage_message(const QString& path, const conv::DamageLog& damage) {
    return QCoreApplication::translate(
               "qlx::shell::frmMain",
               "The export \"%1\" is damaged.\n\n%2\n\nIts documents show the damaged places as "
               "far as they could be read.")
        .arg(message_path(path), damage_places(damage));
}

// An export that gave no document: the header alone, or whatever damage left.
QString no_procedures_message(const QString& path, const conv::DamageLog& damage) {
    const QString text = QCoreApplication::translate(
                             "qlx::shell::frmMain",
                             "The export \"%1\" holds no procedures, so there is no document to "
                             "show.")
                             .arg(message_path(path));
    return damage.empty() ? text : text + QStringLiteral("\n\n") + damage_places(damage);
}

// The headings as the document window keeps them.
std::vector<document::frmDocument::Heading> outline_of(std::vector<conv::OutlineHeading> outline) {
    std::vector<document::frmDocument::Heading> headings;
    headings.reserve(outline.size());
    for (conv::OutlineHeading& heading : outline) {
        headings.push_back(
            {std::move(heading.text), heading.level, static_cast<int>(heading.paragraph)});
    }
    return headings;
}

// How much of a plain file's start is looked at for NUL bytes, which text does not hold.
constexpr std::size_t text_sample_size = 64 * 1024;
// A plain file smaller than this opens too soon for the status window, which would only flash.
constexpr std::uintmax_t plain_status_size = 1024 * 1024;

// Reads a plain file and makes its document for a window of the `gui` thread, saying how far
// it is in `permille` (tenths of a percent: reading is the first tenth, decoding the second,
// filling the document the rest) and stopping once `stop` is set. The error is the reason for
// people to read, empty when stopped.
std::expected<std::unique_ptr<QTextDocument>, QString> load_plain_file(
    const std::filesystem::path& file, const QFont& font, QThread* gui, std::atomic<int>& permille,
    const std::atomic<bool>& stop) {
    const conv::Progress reading = [&](conv::Phase, std::uint64_t done, std::uint64_t total) {
        permille = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        return !stop;
    };
    auto bytes = conv::read_file(file, reading);
    if (!bytes) {
        return std::unexpected(stop ? QString() : from_utf8(bytes.error().reason));
    }
    const QString text = document::decode_plain_text(
        QByteArrayView(bytes->data(), static_cast<qsizetype>(bytes->size())));
    *bytes = std::string();
    permille = 200;
    auto filled = document::plain_text_document(text, font, [&](qsizetype done) {
        permille = 200 + static_cast<int>(done * 800 / text.size());
        return !stop;
    });
    if (filled == nullptr) {
        return std::unexpected(QString());
    }
    filled->moveToThread(gui);  // to the window that shows it
    return filled;
}

}  // namespace

struct frmMain::ConvertedExport {
    conv::ConversionReport report;
    // documents[0] is temp1.rtf as written, packed as it waits in its window.
    std::vector<std::shared_ptr<document::RichTextBox::DeferredText>> documents;
};

namespace {

// Passes each document on to the next sink and keeps it as its window will wait with it,
// compressed: an export's documents take some sixth of their size while the windows are made
// and wait (the windows' texts for searches, worked out later, take about the export's size
// again). In front of the BackgroundSink: the converting thread packs, which otherwise waits
// for the writing one, while the files are written.
class PackingSink : public conv::DocumentSink {
public:
    explicit PackingSink(conv::DocumentSink& next) : next_(next) {}

    std::expected<void, conv::FileError> begin_document(int number) override {
        document_.clear();
        documents.emplace_back();  // until it ends
        return next_.begin_document(number);
    }
    std::expected<void, conv::FileError> write(std::string_view bytes) override {
        document_ += bytes;
        return next_.write(bytes);
    }
    std::expected<void, conv::FileError> write_block(std::string& block) override {
        document_ += block;
        return next_.write_block(block);  // handed over whole, not copied again
    }
    std::expected<void, conv::FileError> end_document() override {
        documents.back() = document::RichTextBox::DeferredText::packed(document_);
        return next_.end_document();
    }

    std::vector<std::shared_ptr<document::RichTextBox::DeferredText>> documents;

private:
    conv::DocumentSink& next_;
    std::string document_;  // the one being written
};

}  // namespace

bool frmMain::is_regular_file_or_missing(const QString& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(native_path(path), error);
    if (!std::filesystem::exists(status) || std::filesystem::is_regular_file(status)) {
        return true;
    }
    // A pipe would keep the program waiting for a writer, a device would never end.
    show_message(this,
                 tr("\"%1\" is not a regular file, so it cannot be opened: it %2.")
                     .arg(message_path(path), from_utf8(conv::describe_file_type(status.type()))),
                 MessageKind::problem);
    return false;
}

bool frmMain::must_wait_to_open(const QString& path, const QString& while_converting) {
    if (!converting_ && !closing_all_) {
        return false;
    }
    const QString message =
        converting_ ? while_converting : tr("Wait until all windows are closed, then open \"%1\".");
    show_message(this, message.arg(message_path(path)));
    return true;
}

void frmMain::openfile(const QString& path) {
    if (must_wait_to_open(path,
                          tr("Wait until the export being opened is shown, then open \"%1\"."))) {
        return;
    }
    if (!is_regular_file_or_missing(path)) {
        return;
    }
    const std::filesystem::path file = native_path(path);
    const auto start = conv::read_file_start(file, conv::export_start_size);
    if (!start) {
        show_open_failure(this, path, from_utf8(start.error().reason));
        return;
    }
    if (conv::export_encoding(*start) != conv::ExportEncoding::none) {
        std::error_code error;
        convert_export_file(path, std::filesystem::file_size(file, error));
    } else {
        open_unconverted(path);
    }
}

// Converts an export into the output folder with progress in the status window, then opens
// one window per document. Commands that open or save files wait while this runs.
void frmMain::convert_export_file(const QString& path, std::uint64_t size) {
    converting_ = true;
    cancel_requested_ = false;
    procedures_panel_->set_paused(true);
    update_menus();
    std::expected<ConvertedExport, QString> result;
    {
        WaitPointer wait;
        const auto status = std::make_unique<dialogs::frmStatus>(this);
        status->Label3->setText(tr("Loading"));
        status->Label2->setText(message_path(path));
        status->Label1->setText(tr("%1 of %2").arg(0).arg(size));
        // Closing the status window, or Escape, stops the conversion, or the opening of its
        // windows: those open so far stay.
        const QMetaObject::Connection stop =
            connect(status.get(), &QDialog::rejected, this, [this] { cancel_requested_ = true; });
        statusBar()->showMessage(
            tr("Opening \"%1\": Open, Text, Save and Save As wait until it is open.")
                .arg(message_path(path)));
        status->show();
        QCoreApplication::processEvents();
        result = convert_with_progress(path, *status);
        if (result && !cancel_requested_) {
            status->Label3->setText(tr("Opening"));
            open_converted_documents(path, *result, *status);
            recent_files_.add(path);
        }
        disconnect(stop);
        status->close();
        statusBar()->clearMessage();
    }
    QCoreApplication::processEvents();  // repaint where the status window was
    converting_ = false;
    procedures_panel_->set_paused(false);
    update_menus();
    if (!result && !result.error().isEmpty()) {
        show_message(this,
                     tr("The file \"%1\" could not be converted.\n\n%2")
                         .arg(message_path(path), result.error()),
                     MessageKind::problem);
    } else if (result && !cancel_requested_ && result->report.captions.empty()) {
        show_message(this, no_procedures_message(path, result->report.damage),
                     MessageKind::problem);
    } else if (result && !cancel_requested_ && !result->report.damage.empty()) {
        show_message(this, damage_message(path, result->report.damage), MessageKind::problem);
    }
}

std::expected<frmMain::ConvertedExport, QString> frmMain::convert_with_progress(
    const QString& path, dialogs::frmStatus& status) {
    const conv::Progress progress = [&](conv::Phase phase, std::uint64_t done,
                                        std::uint64_t total) {
        status.Label3->setText(phase == conv::Phase::loading ? tr("Loading") : tr("Parsing Data"));
        status.Label1->setText(percent_text(done, total));
        QCoreApplication::processEvents();
        return !cancel_requested_;
    };
    auto text = conv::read_file(native_path(path), progress);
    if (!text) {
        return std::unexpected(cancel_requested_ ? QString() : from_utf8(text.error().reason));
    }
    if (!output_folder_) {
        return std::unexpected(
            tr("The folder for converted documents, \"%1\", could not be made: %2")
                .arg(from_utf8(output_folder_.error().path),
                     from_utf8(output_folder_.error().reason)));
    }
    // A folder of this conversion's own: no other conversion, in this program or another,
    // writes there. (The viewer's folder is made again should it have gone since start-up.)
    const auto folder = conv::make_conversion_folder(*output_folder_);
    if (!folder) {
        return std::unexpected(
            tr("The folder \"%1\" could not be made: %2")
                .arg(from_utf8(folder.error().path), from_utf8(folder.error().reason)));
    }
    // The documents are packed for their windows as they are converted, and the files are
    // written on a thread of their own meanwhile, with some two of the writer's blocks
    // waiting at most (packed on the writing thread, they held up the conversion: 2.4 against
    // 1.5–1.9 s for 4,912 documents). Each block keeps room for a large one: a longer queue of an export's
    // many small documents would leave tens of megabytes behind once written (some 80 MB for
    // 983 documents of 20 KB), mostly never touched, and the windows made next would be built
    // there rather than in the memory the export's text and the blocks had used, which stays
    // the program's.
    constexpr std::size_t queued_for_writing = 256 * 1024;
    conv::FolderSink files(*folder);
    conv::BackgroundSink background(files, queued_for_writing);
    PackingSink packing(background);
    auto report = conv::convert_export_bytes(*text, packing, progress);
    if (report) {
        while (!background.wait_for(std::chrono::milliseconds(20))) {
            QCoreApplication::processEvents();  // while the last files are written
        }
        if (auto written = background.finish(); !written) {
            report = std::unexpected(conv::ConversionError{written.error()});
        }
    }
    if (!report) {
        if (report.error().cancelled) {
            return std::unexpected(QString());
        }
        return std::unexpected(tr("The document \"%1\" could not be written: %2")
                                   .arg(from_utf8(report.error().output.path),
                                        from_utf8(report.error().output.reason)));
    }
    if (report->captions.empty()) {
        std::error_code ignored;
        std::filesystem::remove(*folder, ignored);  // made for this conversion, and empty
    }
    return ConvertedExport{std::move(*report), std::move(packing.documents)};
}

void frmMain::open_plain_file(const QString& path) {
    if (must_wait_to_open(path,
                          tr("Wait until the file being opened is shown, then open \"%1\"."))) {
        return;
    }
    const std::filesystem::path file = native_path(path);
    const auto start = conv::read_file_start(file, text_sample_size);
    if (!start) {
        show_open_failure(this, path, from_utf8(start.error().reason));
        return;
    }
    if (start->find('\0') != std::string::npos && !ask_to_open_as_text(this, path)) {
        return;
    }
    converting_ = true;
    cancel_requested_ = false;
    update_menus();
    std::atomic<int> permille = 0;
    std::atomic<bool> stop = false;
    QThread* const gui = QThread::currentThread();
    const QFont font = document::RichTextBox::plain_text_font();
    auto work = std::async(std::launch::async,
                           [&] { return load_plain_file(file, font, gui, permille, stop); });
    std::expected<std::unique_ptr<QTextDocument>, QString> result;
    {
        WaitPointer wait;
        const auto status = std::make_unique<dialogs::frmStatus>(this);
        status->Label3->setText(tr("Loading"));
        status->Label2->setText(message_path(path));
        status->Label1->setText(percent_text(0, 1));
        // Closing the status window, or Escape, stops the loading: no window opens.
        const QMetaObject::Connection stopping =
            connect(status.get(), &QDialog::rejected, this, [this] { cancel_requested_ = true; });
        statusBar()->showMessage(
            tr("Opening \"%1\": Open, Text, Save and Save As wait until it is open.")
                .arg(message_path(path)));
        std::error_code unknown;
        if (const auto size = std::filesystem::file_size(file, unknown);
            !unknown && size >= plain_status_size) {
            status->show();
        }
        do {
            status->Label1->setText(percent_text(permille, 1000));
            QCoreApplication::processEvents();
            stop = cancel_requested_;
        } while (work.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready);
        result = work.get();
        if (cancel_requested_) {
            result = std::unexpected(QString());  // stopped, even if just done
        }
        disconnect(stopping);
        status->close();
        statusBar()->clearMessage();
    }
    QCoreApplication::processEvents();  // repaint where the status window was
    converting_ = false;
    update_menus();
    if (!result) {
        if (!result.error().isEmpty()) {
            show_open_failure(this, path, result.error());
        }
        return;
    }
    document::frmDocument* form = create_document(display_path(path));
    form->RichTextBox1()->adopt_plain_document(std::move(*result));
    form->set_source({absolute_path(path)});
    form->set_read_only(conv::is_read_only(file));
    show_document(form);
    recent_files_.add(path);
}

void frmMain::open_converted_documents(const QString& path, ConvertedExport& converted,
                                       dialogs::frmStatus& status) {
    conv::ConversionReport& report = converted.report;
    std::vector<std::shared_ptr<document::RichTextBox::DeferredText>>& documents =
        converted.documents;
    const std::vector<std::string>& captions = report.captions;
    const std::size_t count = captions.size();
    const auto progress = [&](std::size_t steps) {
        status.Label1->setText(percent_text(steps, count));
    };
    const auto caption = [&](std::size_t i) {
        return from_utf8(richtext::windows1252_to_utf8(captions[i]));
    };
    const QString source = absolute_path(path);
    const QDateTime opened_at = QDateTime::currentDateTime();
    // The windows are made hidden, and only those not wholly under others are shown at the
    // end: in a cascade of thousands, a few. Each text waits until it is looked at. Of a large
    // export, only the last procedures' windows are made: the others wait, listed, under them.
    //
    // The last procedure's window is made first and shown at once with its text, on top, so
    // that it can be read while the others are made beneath it; it then takes its place after
    // them in the workspace's list.
    // (As tabs, each document has its tab: all are made.)
    const std::size_t first_made =
        count > made_at_once_ && mdiArea->viewMode() == QMdiArea::SubWindowView
            ? count - made_at_once_
            : 0;
    std::vector<QPointer<QMdiSubWindow>> opened(count);
    const auto source_of = [&](std::size_t i) {
        return document::frmDocument::Source{source, static_cast<int>(i + 1),
                                             static_cast<int>(count), opened_at};
    };
    const auto outline = [&](std::size_t i) {
        return i < report.maps.size() ? outline_of(std::move(report.maps[i].outline))
                                      : std::vector<document::frmDocument::Heading>();
    };
    const auto make = [&](std::size_t i) {
        // All of the size of the one made first: the workspace would fit each to its room at
        // the moment it is added, which shrinks once the scroll bars come.
        document::frmDocument* form = create_document(
            caption(i),
            i + 1 < count && opened.back() != nullptr ? opened.back()->size() : QSize());
        opened[i] = qobject_cast<QMdiSubWindow*>(form->parentWidget());
        form->set_source(source_of(i));
        form->set_outline(outline(i));
        if (documents[i] != nullptr) {
            form->defer_text(std::move(documents[i]));
        }
    };
    EventSlices slices;
    covered_->set_held(true);
    std::optional<TabBatch> tabs(*mdiArea);  // as tabs, shown together once all are in
    if (count > 0) {
        make(count - 1);
        // Where the cascade will put it: after as many steps as there are windows before it.
        QMdiSubWindow* last = opened.back();
        last->move(cascaded_places(*mdiArea, *last, static_cast<qsizetype>(count)).back());
        bring_forward(*mdiArea, last);
        qobject_cast<document::frmDocument*>(last->widget())->RichTextBox1()->load_deferred();
        progress(1);
        slices.end_of_step();
    }
    // Their text for searches is worked out once all are open, on a thread of its own.
    std::vector<std::weak_ptr<document::RichTextBox::DeferredText>> waiting_texts;
    std::vector<std::shared_ptr<WaitingWindow>> waiting;
    if (count > 0 && first_made > 0) {
        const QMdiSubWindow& last = *opened.back();
        const QList<QPoint> places = cascaded_places(*mdiArea, last, static_cast<qsizetype>(count));
        waiting.reserve(first_made);
        for (std::size_t i = 0; i < first_made; ++i) {
            auto entry = std::make_shared<WaitingWindow>();
            entry->caption = caption(i);
            entry->source = source_of(i);
            entry->outline = outline(i);
            entry->text = std::move(documents[i]);
            entry->place = QRect(places[static_cast<qsizetype>(i)], last.size());
            if (entry->text != nullptr) {
                waiting_texts.push_back(entry->text);
            }
            waiting.push_back(std::move(entry));
        }
    }
    for (std::size_t i = first_made; i + 1 < count && !cancel_requested_; ++i) {
        make(i);
        tabs->added();
        progress(i + 2);
        slices.end_of_step();
    }
    // Stopped: the windows made so far stay, the first ones and the last.
    std::erase(opened, nullptr);
    if (!opened.empty()) {
        QMdiSubWindow* last = opened.back();
        // Not active as it goes: the workspace would look for the window on top to make
        // active, going over every window for each (thousands, as tabs).
        mdiArea->setActiveSubWindow(nullptr);
        mdiArea->removeSubWindow(last);
        mdiArea->addSubWindow(last);
        document_windows_->move_to_end(last);
        slices.end_of_step();
    }
    tabs.reset();
    // Made hidden, they were not placed: they open cascaded. The last one ends on top and
    // active; those under it that can be seen are shown beneath it.
    if (!opened.empty()) {
        const QList<QPoint> places =
            cascaded_places(*mdiArea, *opened.back(), static_cast<qsizetype>(count));
        const std::size_t skipped = count - opened.size();  // those waiting, or stopped
        for (std::size_t i = 0; i + 1 < opened.size(); ++i) {
            opened[i]->move(places[static_cast<qsizetype>(skipped + i)]);
        }
        opened.back()->move(places.back());
    }
    document_windows_->add_waiting(std::move(waiting),
                                   opened.empty() ? nullptr : opened.front().data());
    slices.end_of_step();
    if (!opened.empty()) {
        bring_forward(*mdiArea, opened.back());
        slices.end_of_step();
    }
    covered_->set_held(false);
    for (const QPointer<QMdiSubWindow>& window : opened) {
        if (window != nullptr) {
            if (auto* form = qobject_cast<document::frmDocument*>(window->widget())) {
                if (auto deferred = form->deferred()) {
                    waiting_texts.push_back(deferred);
                }
            }
        }
    }
    prepare_search_texts(std::move(waiting_texts), stop_preparing_);
}

}  // namespace qlx::shell
