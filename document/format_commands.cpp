#include "document/format_commands.h"

#include <QClipboard>
#include <QFont>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <optional>

#include "document/frm_document.h"
#include "document/rich_text_box.h"

namespace qlx::document {

namespace {

// Text on the clipboard breaks lines with LF alone (the platform's clipboard converts
// where it needs CR LF); text from the clipboard may break them with CR LF or CR.
QString clipboard_line_breaks(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString document_line_breaks(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

using Getter = bool (RichTextBox::*)() const;
using Setter = void (RichTextBox::*)(bool);

void toggle(frmDocument* document, Getter get, Setter set) {
    if (document == nullptr) {
        return;
    }
    RichTextBox& box = *document->RichTextBox1();
    (box.*set)(!(box.*get)());
}

FontChoice format_look(const RichTextBox& box, const QTextCharFormat& format) {
    const QFont font = format.font().resolve(box.document()->defaultFont());
    const QBrush foreground = format.foreground();
    return {font.family(),
            font.pointSizeF(),
            foreground.style() == Qt::NoBrush ? box.palette().color(QPalette::Text)
                                              : foreground.color(),
            font.bold(),
            font.italic(),
            font.underline()};
}

}  // namespace

void cut_selection(frmDocument* document) {
    if (document == nullptr) {
        return;
    }
    copy_selection(document);
    document->RichTextBox1()->setSelText(QString());
}

void copy_selection(frmDocument* document) {
    if (document == nullptr) {
        return;
    }
    QGuiApplication::clipboard()->setText(
        clipboard_line_breaks(document->RichTextBox1()->SelText()));
}

void paste_text(frmDocument* document) {
    if (document == nullptr) {
        return;
    }
    document->RichTextBox1()->setSelText(
        document_line_breaks(QGuiApplication::clipboard()->text()));
}

void undo_edit(frmDocument* document) {
    if (document != nullptr) {
        document->RichTextBox1()->load_deferred();
        document->RichTextBox1()->undo();
    }
}

void redo_edit(frmDocument* document) {
    if (document != nullptr) {
        document->RichTextBox1()->load_deferred();
        document->RichTextBox1()->redo();
    }
}

void select_all(frmDocument* document) {
    if (document != nullptr) {
        document->RichTextBox1()->load_deferred();
        document->RichTextBox1()->selectAll();
    }
}

void toggle_bold(frmDocument* document) {
    toggle(document, &RichTextBox::SelBold, &RichTextBox::setSelBold);
}

void toggle_italic(frmDocument* document) {
    toggle(document, &RichTextBox::SelItalic, &RichTextBox::setSelItalic);
}

void toggle_underline(frmDocument* document) {
    toggle(document, &RichTextBox::SelUnderline, &RichTextBox::setSelUnderline);
}

bool selection_format_varies(const RichTextBox& box) {
    const QTextCursor cursor = box.textCursor();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    std::optional<FontChoice> first;
    for (QTextBlock block = box.document()->findBlock(start);
         block.isValid() && block.position() < end; block = block.next()) {
        for (auto piece = block.begin(); !piece.atEnd(); ++piece) {
            const QTextFragment fragment = piece.fragment();
            if (fragment.position() >= end || fragment.position() + fragment.length() <= start) {
                continue;
            }
            const FontChoice look = format_look(box, fragment.charFormat());
            if (!first) {
                first = look;
            } else if (look != *first) {
                return true;
            }
        }
    }
    return false;
}

FontChoice selection_font(const RichTextBox& box) {
    return {box.SelFontName(), box.SelFontSize(), box.SelColor(),
            box.SelBold(),     box.SelItalic(),   box.SelUnderline()};
}

void apply_font(RichTextBox& box, const FontChoice& choice) {
    box.setSelColor(choice.color);
    box.setSelFontName(choice.name);
    box.setSelFontSize(choice.size);
    box.setSelBold(choice.bold);
    box.setSelItalic(choice.italic);
    box.setSelUnderline(choice.underline);
}

void choose_font(frmDocument* document, QWidget* parent) {
    if (document == nullptr || selection_format_varies(*document->RichTextBox1())) {
        return;
    }
    RichTextBox& box = *document->RichTextBox1();
    FontDialog dialog(selection_font(box), parent);
    if (dialog.exec() == QDialog::Accepted) {
        apply_font(box, dialog.choice());
    }
}

}  // namespace qlx::document
