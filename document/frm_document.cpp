#include "document/frm_document.h"

#include <QCloseEvent>
#include <QEvent>
#include <QIcon>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShowEvent>
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

frmDocument::frmDocument(QWidget* parent) : QWidget(parent) {
    set_caption(QStringLiteral("frmDocument"));
    // Read once for all the windows.
    static const QIcon icon(QStringLiteral(":/icons/document.png"));
    setWindowIcon(icon);
    if (parent != nullptr) {
        parent->installEventFilter(this);
    }
}

RichTextBox* frmDocument::RichTextBox1() const {
    return box_ != nullptr ? box_ : const_cast<frmDocument*>(this)->make_text_box();
}

RichTextBox* frmDocument::make_text_box() {
    box_ = new RichTextBox(this);
    const auto follow_document = [this] {
        // Marked only when that changes: each marking makes the workspace work out the
        // window's title, and its tab's, again.
        connect(box_->document(), &QTextDocument::modificationChanged, this, [this](bool edited) {
            if (edited != isWindowModified()) {
                setWindowModified(edited);
            }
        });
    };
    follow_document();
    connect(box_, &RichTextBox::document_replaced, this, follow_document);
    connect(box_, &RichTextBox::zoom_changed, this, &frmDocument::zoom_changed);
    connect(box_, &RichTextBox::files_dropped, this, &frmDocument::files_dropped);
    if (waiting_ != nullptr) {
        box_->defer_text(std::exchange(waiting_, nullptr));
    }
    Form_Load();
    if (isVisible()) {
        box_->show();
    }
    // The focus given to the window goes to the control (made after the window, it comes
    // after it among the widgets that the child window around it would look for one in).
    setFocusProxy(box_);
    setFocusPolicy(box_->focusPolicy());
    // The window took the focus itself when it became the active one before it had the control.
    if (const QWidget* focused = window()->focusWidget();
        focused != nullptr && (focused == this || focused == parentWidget())) {
        box_->setFocus(Qt::OtherFocusReason);
    }
    return box_;
}

void frmDocument::defer_text(std::shared_ptr<RichTextBox::DeferredText> waiting) {
    if (box_ != nullptr) {
        box_->defer_text(std::move(waiting));
    } else {
        waiting_ = std::move(waiting);
    }
}

int frmDocument::zoom() const {
    return box_ != nullptr ? box_->zoom() : RichTextBox::actual_size;
}

std::shared_ptr<RichTextBox::DeferredText> frmDocument::deferred() const {
    return box_ != nullptr ? box_->deferred() : waiting_;
}

bool frmDocument::text_deferred() const {
    return box_ != nullptr ? box_->text_deferred() : waiting_ != nullptr;
}

std::shared_ptr<const std::string> frmDocument::search_text() const {
    if (box_ == nullptr && waiting_ != nullptr) {
        return waiting_->searchable();
    }
    return RichTextBox1()->search_text();
}

void frmDocument::showEvent(QShowEvent* event) {
    if (box_ == nullptr) {
        make_text_box();
    }
    QWidget::showEvent(event);
}

bool frmDocument::event(QEvent* event) {
    if (event->type() == QEvent::ParentAboutToChange && parentWidget() != nullptr) {
        parentWidget()->removeEventFilter(this);
    } else if (event->type() == QEvent::ParentChange && parentWidget() != nullptr) {
        parentWidget()->installEventFilter(this);
    }
    return QWidget::event(event);
}

bool frmDocument::eventFilter(QObject* watched, QEvent* event) {
    // The child window around this one shown: the control comes with it (this window's own
    // Show may be held back by whoever watches it).
    if (event->type() == QEvent::Show && watched == parentWidget() && box_ == nullptr) {
        make_text_box();
    }
    return QWidget::eventFilter(watched, event);
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
    RichTextBox* const box = RichTextBox1();
    box->load_deferred();
    const QTextBlock block = box->document()->findBlockByNumber(paragraph);
    if (!block.isValid()) {
        return;
    }
    // To the end first, so that the paragraph is brought to the top rather than the bottom.
    box->moveCursor(QTextCursor::End);
    box->ensureCursorVisible();
    box->setTextCursor(QTextCursor(block));
    box->ensureCursorVisible();
    box->horizontalScrollBar()->setValue(0);
}

bool frmDocument::is_edited() const {
    return box_ != nullptr && box_->document()->isModified();
}

void frmDocument::mark_unedited() {
    if (box_ != nullptr) {
        box_->set_unedited();
    }
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
    if (inner_width <= 0 || inner_height <= 0 || box_ == nullptr) {
        return;
    }
    box_->setGeometry(
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
