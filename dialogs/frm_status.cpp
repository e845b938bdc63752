#include "dialogs/frm_status.h"

#include <QFont>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QRect>
#include <QShowEvent>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>

#include "assets/assets.h"
#include "document/twips.h"

namespace qlx::dialogs {

namespace {

// A rectangle of the interior, in twips.
struct TwipsBox {
    double left, top, width, height;
};

QRect to_pixels(const QWidget& widget, const TwipsBox& box) {
    using document::twips_to_pixels;
    const double x_dpi = widget.logicalDpiX();
    const double y_dpi = widget.logicalDpiY();
    return {twips_to_pixels(box.left, x_dpi), twips_to_pixels(box.top, y_dpi),
            twips_to_pixels(box.width, x_dpi), twips_to_pixels(box.height, y_dpi)};
}

// A label whose text breaks between words and, where a word (a path without blanks) is
// wider than the label, inside the word. Text longer than the lines the label holds loses
// its middle to an ellipsis, so that both ends of a path stay in view.
class WrappingLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        const QRect box = contentsRect();
        const QFontMetrics metrics = fontMetrics();
        const int lines = std::max(1, box.height() / metrics.lineSpacing());
        QString shown = text();
        for (int room = lines * box.width(); room > 0 && line_count(shown, box.width()) > lines;
             room -= metrics.averageCharWidth()) {
            shown = metrics.elidedText(text(), Qt::ElideMiddle, room);
        }
        QPainter painter(this);
        painter.drawText(QRectF(box), shown, wrapping());
    }

private:
    static QTextOption wrapping() {
        QTextOption option(Qt::AlignHCenter);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        return option;
    }

    int line_count(const QString& shown, int width) const {
        QTextLayout layout(shown, font());
        layout.setTextOption(wrapping());
        layout.beginLayout();
        int count = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            ++count;
        }
        layout.endLayout();
        return count;
    }
};

enum class Lines { one, two };

QLabel* make_label(frmStatus& window, const TwipsBox& box, double points, Lines lines) {
    QLabel* label = lines == Lines::two ? new WrappingLabel(&window) : new QLabel(&window);
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(to_pixels(window, box));
    return label;
}

}  // namespace

frmStatus::frmStatus(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      Label1(make_label(*this, {360, 1440, 5415, 375}, 12, Lines::one)),
      Label2(make_label(*this, {360, 600, 5295, 615}, 9.75, Lines::two)),
      Label3(make_label(*this, {360, 120, 5295, 375}, 12, Lines::one)) {
    setWindowTitle(QStringLiteral("File Processing Status"));
    setWindowIcon(assets::application_icon());
    setModal(false);
    setFixedSize(to_pixels(*this, {0, 0, 6000, 2040}).size());
    setBackgroundRole(QPalette::Window);
}

void frmStatus::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget() != nullptr) {
        QRect frame = frameGeometry();
        frame.moveCenter(parentWidget()->frameGeometry().center());
        move(frame.topLeft());
    }
}

}  // namespace qlx::dialogs
