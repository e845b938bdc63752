#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QUrl>

#include <memory>

#include "dialogs/frm_status.h"
#include "document/frm_document.h"
#include "publishing/publish_site.h"
#include "shell/export_bytes.h"
#include "shell/frm_main.h"
#include "shell/messages.h"
#include "shell/native_paths.h"
#include "shell/wait_pointer.h"

namespace qlx::shell {

namespace conv = qlx::conversion;

namespace {

const QString publish_filter = QStringLiteral("QLX Files (*.qlx)|*.qlx|All Files (*.*)|*.*");

}  // namespace

void frmMain::mnuFilePublish_Click() {
    if (converting_) {
        return;
    }
    // The export the active window was converted out of; otherwise the user chooses one.
    QString export_path;
    if (const document::frmDocument* form = active_document();
        form != nullptr && form->source().procedure > 0) {
        export_path = form->source().path;
    }
    if (export_path.isEmpty()) {
        dlgCommonDialog.DialogTitle = tr("Export to Publish");
        export_path = dlgCommonDialog.ShowOpen(publish_filter);
    }
    if (export_path.isEmpty()) {
        dlgCommonDialog.DialogTitle.clear();
        return;
    }
    dlgCommonDialog.DialogTitle = tr("Folder for the Web Site of \"%1\"")
                                      .arg(QFileInfo(display_path(export_path)).fileName());
    // Beside the export, where a folder for its site is made with the dialog's New Folder.
    dlgCommonDialog.InitDir = folder_of(export_path);
    const QString folder = dlgCommonDialog.ShowFolder();
    dlgCommonDialog.DialogTitle.clear();
    if (!folder.isEmpty()) {
        publish_export(export_path, folder);
    }
}

void frmMain::publish_export(const QString& export_path, const QString& folder) {
    // Refused at once, before the export is read: a folder holding other things than a site
    // this program published.
    if (const auto usable = publishing::check_site_folder(native_path(folder)); !usable) {
        show_message(this,
                     tr("The web site cannot be published in \"%1\": %2")
                         .arg(message_path(folder), from_utf8(usable.error().reason)),
                     MessageKind::problem);
        return;
    }
    converting_ = true;
    cancel_requested_ = false;
    update_menus();
    std::expected<publishing::PublishedSite, QString> published;
    {
        WaitPointer wait;
        const auto status = std::make_unique<dialogs::frmStatus>(this);
        status->setWindowTitle(tr("Publishing"));
        status->Label3->setText(tr("Loading"));
        status->Label2->setText(message_path(export_path));
        status->Label1->setText(percent_text(0, 1));
        // Closing the status window, or Escape, stops the publishing; nothing of the site is
        // left then, and a site that was in the folder stays as it was.
        const QMetaObject::Connection stop =
            connect(status.get(), &QDialog::rejected, this, [this] { cancel_requested_ = true; });
        statusBar()->showMessage(tr("Publishing \"%1\" as a web site in \"%2\"...")
                                     .arg(message_path(export_path), message_path(folder)));
        status->show();
        QCoreApplication::processEvents();
        const conv::Progress progress = [&](conv::Phase phase, std::uint64_t done,
                                            std::uint64_t total) {
            status->Label3->setText(phase == conv::Phase::loading ? tr("Loading")
                                                                  : tr("Publishing"));
            status->Label1->setText(percent_text(done, total));
            QCoreApplication::processEvents();
            return !cancel_requested_;
        };
        auto bytes = read_export_bytes(export_path, progress);
        if (!bytes) {
            published = std::unexpected(bytes.error().isEmpty()
                                            ? QString()
                                            : tr("The file \"%1\" could not be read: %2")
                                                  .arg(message_path(export_path), bytes.error()));
        } else {
            const std::string name = QFileInfo(display_path(export_path)).fileName().toStdString();
            auto site =
                publishing::publish_site(std::move(*bytes), native_path(folder), name, progress);
            if (site) {
                published = std::move(*site);
            } else if (site.error().cancelled) {
                published = std::unexpected(QString());
            } else {
                published = std::unexpected(tr("\"%1\": %2")
                                                .arg(from_utf8(site.error().file.path),
                                                     from_utf8(site.error().file.reason)));
            }
        }
        disconnect(stop);
        status->close();
        statusBar()->clearMessage();
    }
    QCoreApplication::processEvents();  // repaint where the status window was
    converting_ = false;
    update_menus();
    if (!published) {
        if (!published.error().isEmpty()) {
            show_message(
                this,
                tr("The web site of \"%1\" could not be published in \"%2\".\n\n%3")
                    .arg(message_path(export_path), message_path(folder), published.error()),
                MessageKind::problem);
        }
        return;
    }
    statusBar()->showMessage(tr("Published \"%1\" as a web site in \"%2\".")
                                 .arg(message_path(export_path), message_path(folder)));
    const QString index_path = path_from_native(published->index);
    const QUrl index = QUrl::fromLocalFile(index_path);
    if (!(open_in_browser ? open_in_browser(index) : QDesktopServices::openUrl(index))) {
        show_message(this,
                     tr("The web site was published, but no browser could be opened to show it. "
                        "Open \"%1\" in a browser to read it.")
                         .arg(message_path(index_path)),
                     MessageKind::problem);
    }
    if (!published->damage.empty()) {
        show_message(this,
                     tr("The export \"%1\" is damaged.\n\n%2\n\nIts web site shows the damaged "
                        "places as far as they could be read, and lists them on its first page.")
                         .arg(message_path(export_path), damage_places(published->damage)),
                     MessageKind::problem);
    }
}

}  // namespace qlx::shell
