#include "shell/frm_main.h"

#include <QDir>
#include <QPointer>
#include <QSaveFile>

#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "shell/file_names.h"
#include "shell/messages.h"
#include "shell/wait_pointer.h"

namespace qlx::shell {

namespace {

const QString open_filter = QStringLiteral(
    "QLX Files (*.qlx)|*.qlx|TXT Files (*.txt)|*.txt|RTF Files (*.rtf)|*.rtf|All Files (*.*)|*.*");
const QString text_filter =
    QStringLiteral("TXT Files (*.txt) | *.txt|RTF files (*.rtf) | *.rtf|All Files (*.*) | *.*");
const QString save_filter =
    QStringLiteral("RTF Files (*.rtf)|*.rtf|TXT Files (*.txt)|*.txt|All Files (*.*)|*.*");

}  // namespace

void frmMain::check_command_line(const QStringList& arguments) {
    if (!arguments.isEmpty() && !arguments.front().isEmpty()) {
        open_by_name(arguments.front());
    }
}

void frmMain::open_by_name(const QString& path) {
    if (is_rtf_name(path)) {
        open_unconverted(path);
    } else {
        openfile(path);
    }
}

void frmMain::open_unconverted(const QString& path) {
    document::frmDocument* form = create_document(path);
    const auto loaded = [&] {
        WaitPointer wait;
        return form->RichTextBox1->LoadFile(
            path, is_rtf_name(path) ? document::FileFormat::rtf : document::FileFormat::text);
    }();
    if (!loaded) {
        form->parentWidget()->close();
        show_message(this,
                     tr("The file \"%1\" could not be opened.\n\n%2")
                         .arg(QDir::toNativeSeparators(path), loaded.error()),
                     MessageKind::problem);
        return;
    }
    show_document(form);
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
    show_message(this, tr("Close Code goes here!"));
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

// Writes the active document to a file the user names: as RTF when the name ends in ".rtf",
// otherwise as UTF-8 text; then CR LF. The file is replaced only when all is written.
void frmMain::save_active_document() {
    if (converting_) {
        return;
    }
    const QPointer<document::frmDocument> form = active_document();
    if (form == nullptr) {
        show_message(this, tr("There is no document to save."));
        return;
    }
    const QString path = dlgCommonDialog.ShowSave(save_filter);
    if (path.isEmpty() || form == nullptr) {
        return;
    }
    const document::RichTextBox& box = *form->RichTextBox1;
    QByteArray bytes =
        is_rtf_name(path) ? QByteArray::fromStdString(box.TextRTF()) : box.Text().toUtf8();
    bytes += "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        show_message(this,
                     tr("The file \"%1\" could not be saved.\n\n%2")
                         .arg(QDir::toNativeSeparators(path), file.errorString()),
                     MessageKind::problem);
    }
}

}  // namespace qlx::shell
