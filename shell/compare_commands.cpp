#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

#include <chrono>
#include <future>
#include <memory>

#include "comparison/export_comparison.h"
#include "conversion/driver.h"
#include "files/export_reading.h"
#include "files/names_and_reasons.h"
#include "files/saved_file.h"
#include "model/export_encoding.h"
#include "shell/compare_window.h"
#include "shell/export_bytes.h"
#include "shell/file_names.h"
#include "shell/frm_main.h"
#include "shell/messages.h"
#include "shell/native_paths.h"
#include "shell/wait_pointer.h"
#include "shell/window_arrangement.h"

namespace qlx::shell {

namespace conv = qlx::conversion;
namespace cmp = qlx::comparison;

namespace {

const QString compare_filter = QStringLiteral("QLX Files (*.qlx)|*.qlx|All Files (*.*)|*.*");
const QString comparison_save_filter =
    QStringLiteral("RTF Files (*.rtf)|*.rtf|HTML Files (*.html)|*.html");

}  // namespace

void frmMain::mnuFileCompare_Click() {
    if (converting_) {
        return;
    }
    dlgCommonDialog.DialogTitle = tr("Old export");
    const QString old_path = dlgCommonDialog.ShowOpen(compare_filter);
    dlgCommonDialog.DialogTitle = tr("New export");
    const QString new_path =
        old_path.isEmpty() ? QString() : dlgCommonDialog.ShowOpen(compare_filter);
    dlgCommonDialog.DialogTitle.clear();
    if (!new_path.isEmpty()) {
        compare_exports(old_path, new_path);
    }
}

void frmMain::compare_exports(const QString& old_path, const QString& new_path) {
    auto comparison = std::make_unique<CompareWindow::Comparison>();
    comparison->old_name = display_path(old_path);
    comparison->new_name = display_path(new_path);
    for (const QString& path : {old_path, new_path}) {
        if (!is_regular_file_or_missing(path)) {
            return;
        }
    }
    // The files are read, converted and compared beside the window, which stays alive.
    QString trouble;
    {
        WaitPointer wait;
        converting_ = true;
        update_menus();
        statusBar()->showMessage(tr("Comparing \"%1\" with \"%2\"...")
                                     .arg(message_path(old_path), message_path(new_path)));
        auto work = std::async(std::launch::async, [&] {
            auto old_bytes = read_export_bytes(old_path);
            auto new_bytes =
                old_bytes ? read_export_bytes(new_path) : std::expected<std::string, QString>();
            if (!old_bytes || !new_bytes) {
                trouble = tr("The file \"%1\" cannot be compared: %2")
                              .arg(message_path(!old_bytes ? old_path : new_path),
                                   !old_bytes ? old_bytes.error() : new_bytes.error());
                return;
            }
            comparison->old_export = cmp::export_texts(std::move(*old_bytes));
            comparison->new_export = cmp::export_texts(std::move(*new_bytes));
            comparison->header =
                cmp::compare_headers(comparison->old_export, comparison->new_export);
            comparison->procedures =
                cmp::compare_exports(comparison->old_export, comparison->new_export);
        });
        while (work.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
            QCoreApplication::processEvents();
        }
        work.get();
        statusBar()->clearMessage();
        converting_ = false;
        update_menus();
    }
    if (!trouble.isEmpty()) {
        show_message(this, trouble, MessageKind::problem);
        return;
    }
    // Damage is reported once for each export, as when it is opened.
    QStringList damaged;
    for (const auto& [path, texts] :
         {std::pair{&old_path, &comparison->old_export}, {&new_path, &comparison->new_export}}) {
        if (!texts->damage.empty()) {
            const conv::Damage& first = texts->damage.kept().front();
            damaged << tr("\"%1\": first damaged line %2 (%3); %4 damaged places")
                           .arg(message_path(*path))
                           .arg(first.line)
                           .arg(from_utf8(std::string(first.reason)))
                           .arg(texts->damage.count());
        }
    }
    auto* window = new CompareWindow(std::move(comparison));
    window->save_as = [this](CompareWindow& compared, CompareWindow::Scope what) {
        const QString chosen = dlgCommonDialog.ShowSave(comparison_save_filter);
        if (chosen.isEmpty()) {
            return;
        }
        const bool rtf = is_rtf_name(chosen) ||
                         (!chosen.endsWith(QStringLiteral(".html"), Qt::CaseInsensitive) &&
                          dlgCommonDialog.FilterIndex == 1);
        const std::string bytes = rtf ? compared.rtf(what) : compared.html(what);
        if (const auto saved = conv::save_file(native_path(chosen), bytes); !saved) {
            show_save_failure(this, chosen, saved.error());
        }
    };
    QMdiSubWindow* sub = add_window(*mdiArea, window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    covered_->watch(sub);
    sub->resize(mdiArea->viewport()->size() * 9 / 10);
    sub->show();
    // Wholly in view, whatever place the workspace had next for a window.
    sub->move(mdiArea->viewport()->width() / 20, mdiArea->viewport()->height() / 20);
    if (!damaged.isEmpty()) {
        show_message(this, tr("Damaged places were read leniently:\n\n%1").arg(damaged.join('\n')),
                     MessageKind::problem);
    }
}

}  // namespace qlx::shell
