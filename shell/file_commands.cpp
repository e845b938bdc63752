#include "shell/frm_main.h"
#include "shell/window_arrangement.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <filesystem>
#include <system_error>

#include "conversion/driver.h"
#include "files/export_reading.h"
#include "files/names_and_reasons.h"
#include "files/saved_file.h"

#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "shell/file_names.h"
#include "shell/messages.h"
#include "shell/native_paths.h"
#include "shell/wait_pointer.h"

namespace qlx::shell {

namespace conv = qlx::conversion;

namespace {

const QString open_filter = QStringLiteral(
    "QLX Files (*.qlx)|*.qlx|TXT Files (*.txt)|*.txt|RTF Files (*.rtf)|*.rtf|All Files (*.*)|*.*");
const QString text_filter =
    QStringLiteral("TXT Files (*.txt) | *.txt|RTF files (*.rtf) | *.rtf|All Files (*.*) | *.*");
const QString save_filter =
    QStringLiteral("RTF Files (*.rtf)|*.rtf|TXT Files (*.txt)|*.txt|All Files (*.*)|*.*");

}  // namespace

void frmMain::check_command_line(const QStringList& arguments) {
    open_files(arguments);
}

void frmMain::open_files(const QStringList& paths) {
    for (const QString& path : paths) {
        if (!path.isEmpty()) {
            open_by_name(path);
        }
    }
}

void frmMain::open_dropped(const QList<QUrl>& urls) {
    QStringList paths;
    for (const QUrl& url : urls) {
        paths << path_from_url(url);
    }
    // The drop ends before the files open, so that the program they came from goes on.
    QTimer::singleShot(0, this, [this, paths] { open_files(paths); });
}

void frmMain::open_by_name(const QString& path) {
    if (is_rtf_name(path)) {
        open_unconverted(path);
    } else {
        openfile(path);
    }
}

void frmMain::open_unconverted(const QString& path) {
    if (!is_regular_file_or_missing(path)) {
        return;
    }
    if (!is_rtf_name(path)) {
        open_plain_file(path);
        return;
    }
    auto bytes = [&] {
        WaitPointer wait;
        return conv::read_file(native_path(path));
    }();
    if (!bytes) {
        show_open_failure(this, path, from_utf8(bytes.error().reason));
        return;
    }
    document::frmDocument* form = create_document(display_path(path));
    {
        WaitPointer wait;
        form->RichTextBox1()->setTextRTF(*bytes);
    }
    form->set_source({absolute_path(path)});
    form->set_read_only(conv::is_read_only(native_path(path)));
    show_document(form);
    recent_files_.add(path);
}

void frmMain::new_document() {
    ++document_number;
    show_document(create_document(tr("Document %1").arg(document_number)));
}

void frmMain::mnuFileNew_Click() {
    new_document();
}

void frmMain::mnuWindowNewWindow_Click() {
    new_document();
}

void frmMain::mnuFileOpen_Click() {
    if (converting_) {
        return;
    }
    const QString path = dlgCommonDialog.ShowOpen(open_filter);
    if (!path.isEmpty()) {
        open_by_name(path);
    }
}

void frmMain::mnuFileText_Click() {
    if (converting_) {
        return;
    }
    const QString path = dlgCommonDialog.ShowOpen(text_filter);
    if (!path.isEmpty()) {
        open_unconverted(path);
    }
}

void frmMain::mnuFileClose_Click() {
    // As the close box does: an edited document asks to be saved first.
    if (QMdiSubWindow* window = mdiArea->currentSubWindow()) {
        window->close();
    }
}

void frmMain::mnuFileSave_Click() {
    save_active_document();
}

void frmMain::mnuFileSaveAs_Click() {
    save_active_document();
}

void frmMain::mnuFileExit_Click() {
    close();
}

void frmMain::save_active_document() {
    if (converting_) {
        return;
    }
    document::frmDocument* form = active_document();
    if (form == nullptr) {
        show_message(this, tr("There is no document to save."));
        return;
    }
    save_document(form);
}

// Writes a document to a file the user names, as RTF or as UTF-8 text (save_target says
// which), then CR LF, as conv::save_file writes files: a read-only file is left alone, any
// other is replaced only when all is written, except in a folder closed to the user, where it
// is written in place. A failure is reported, and the document stays edited.
bool frmMain::save_document(document::frmDocument* document_form) {
    const QPointer<document::frmDocument> form = document_form;
    suggest_save_name(*form);
    const QString chosen = dlgCommonDialog.ShowSave(save_filter);
    if (chosen.isEmpty() || form == nullptr) {
        return false;
    }
    const document::RichTextBox& box = *form->RichTextBox1();
    const SaveTarget target =
        save_target(chosen, dlgCommonDialog.FilterIndex, box.holds_formatting());
    std::string bytes = target.format == SaveFormat::rtf ? box.TextRTF() : box.Text().toStdString();
    bytes += "\r\n";
    const auto saved = conv::save_file(native_path(target.path), bytes);
    if (!saved) {
        show_save_failure(this, target.path, saved.error());
        return false;
    }
    form->mark_unedited();
    // The window now stands for the file it was saved as.
    form->set_caption(display_path(target.path));
    form->set_source({absolute_path(target.path)});
    form->set_read_only(conv::is_read_only(native_path(target.path)));
    recent_files_.add(target.path);
    recent_files_.set_save_folder(folder_of(target.path));
    return true;
}

// The save dialog starts with the document's file name, or for a converted document its
// caption as a name (which then is RTF); in the folder last saved in while it is there,
// otherwise in the document's own folder.
void frmMain::suggest_save_name(const document::frmDocument& form) {
    const QString& source = form.source().path;
    if (form.source().procedure > 0) {
        const QString name = file_name_of(form.caption());
        dlgCommonDialog.FileName = name.isEmpty() ? QString() : name + QStringLiteral(".rtf");
    } else if (!source.isEmpty()) {
        dlgCommonDialog.FileName = QFileInfo(source).fileName();
    }
    const QString saved_in = recent_files_.save_folder();
    std::error_code error;
    if (!saved_in.isEmpty() && std::filesystem::is_directory(native_path(saved_in), error)) {
        dlgCommonDialog.InitDir = saved_in;
    } else if (!source.isEmpty()) {
        dlgCommonDialog.InitDir = folder_of(source);
    }
}

bool frmMain::confirm_close(document::frmDocument& form) {
    if (closing_ || !form.is_edited()) {
        return true;
    }
    switch (ask_to_save(this, tr("Save changes to %1?").arg(form.caption()))) {
        case SaveChoice::save:
            return save_document(&form);
        case SaveChoice::discard:
            return true;
        case SaveChoice::cancel:
            break;
    }
    return false;
}

bool frmMain::confirm_close_all() {
    QList<QPointer<document::frmDocument>> edited;
    QStringList captions;
    for (QMdiSubWindow* window : mdiArea->subWindowList()) {
        auto* form = qobject_cast<document::frmDocument*>(window->widget());
        if (form != nullptr && form->is_edited()) {
            edited << form;
            captions << form->caption();
        }
    }
    if (edited.isEmpty()) {
        return true;
    }
    const QString question = edited.size() == 1
                                 ? tr("Save changes to %1?").arg(captions.front())
                                 : tr("Save changes to these %1 documents?").arg(edited.size());
    switch (ask_to_save(this, question, edited.size() == 1 ? QString() : captions.join('\n'))) {
        case SaveChoice::discard:
            return true;
        case SaveChoice::cancel:
            return false;
        case SaveChoice::save:
            break;
    }
    for (const QPointer<document::frmDocument>& form : edited) {
        if (form == nullptr) {
            continue;
        }
        // The user sees which document the dialog is naming.
        bring_forward(*mdiArea, qobject_cast<QMdiSubWindow*>(form->parentWidget()));
        if (!save_document(form)) {
            return false;
        }
    }
    return true;
}

}  // namespace qlx::shell
