#include "document/frm_document.h"

#include <QCloseEvent>
#include <QIcon>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <utility>

#include "document/rich_text_box.h"
#include "document/twips.h"

namespace qlx::document {

namespace {

constexpr double margin_twips = 50;
// A new window's interior: 7200 x 4320 twips (5 x 3 inches).
constexpr double initial_width_twips = 7200;
constexpr double initial_height_twips = 4320;

}  // namespace

frmDocument::frmDocument(QWidget* parent) : QWidget(parent), RichTextBox1(new RichTextBox(this)) {
    set_caption(QStringLiteral("frmDocument"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/document.png")));
    const auto follow_document = [this] {
        connect(RichTextBox1->document(), &QTextDocument::modificationChanged, this,
                &QWidget::setWindowModified);
    };
    follow_document();
    connect(RichTextBox1, &RichTextBox::document_replaced, this, follow_document);
    Form_Load();
}

void frmDocument::set_caption(const QString& caption) {
    caption_ = caption;
    show_title();
    emit described();
}

void frmDocument::set_read_only(bool read_only) {
    read_only_ = read_only;
    show_title();
}

void frmDocument::show_title() {
    // "[*]" marks where the title shows the edited marker; a caption's own "[*]" is doubled
    // to show as it is.
    QString title = caption_;
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    if (read_only_) {
        title += tr(" (read-only)");
    }
    setWindowTitle(title + QStringLiteral("[*]"));
}

void frmDocument::set_source(Source source) {
    source_ = std::move(source);
    emit described();
}

void frmDocument::show_paragraph(int paragraph) {
    RichTextBox1->load_deferred();
    const QTextBlock block = RichTextBox1->document()->findBlockByNumber(paragraph);
    if (!block.isValid()) {
        return;
    }
    // To the end first, so that the paragraph is brought to the top rather than the bottom.
    RichTextBox1->moveCursor(QTextCursor::End);
    RichTextBox1->ensureCursorVisible();
    RichTextBox1->setTextCursor(QTextCursor(block));
    RichTextBox1->ensureCursorVisible();
    RichTextBox1->horizontalScrollBar()->setValue(0);
}

bool frmDocument::is_edited() const {
    return RichTextBox1->document()->isModified();
}

void frmDocument::mark_unedited() {
    RichTextBox1->set_unedited();
}

void frmDocument::closeEvent(QCloseEvent* event) {
    if (may_close && !may_close(*this)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void frmDocument::Form_Load() {
    Form_Resize();
}

void frmDocument::Form_Resize() {
    const double inner_width = pixels_to_twips(width(), logicalDpiX()) - 2 * margin_twips;
    const double inner_height = pixels_to_twips(height(), logicalDpiY()) - 2 * margin_twips;
    if (inner_width <= 0 || inner_height <= 0) {
        return;
    }
    RichTextBox1->setGeometry(
        twips_to_pixels(margin_twips, logicalDpiX()), twips_to_pixels(margin_twips, logicalDpiY()),
        twips_to_pixels(inner_width, logicalDpiX()), twips_to_pixels(inner_height, logicalDpiY()));
}

QSize frmDocument::sizeHint() const {
    return {twips_to_pixels(initial_width_twips, logicalDpiX()),
            twips_to_pixels(initial_height_twips, logicalDpiY())};
}

void frmDocument::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

}  // namespace qlx::document
