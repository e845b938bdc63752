#include "document/font_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QVBoxLayout>

#include <array>
#include <utility>

namespace qlx::document {

namespace {

// The sixteen colours of the Windows palette, by the names Windows gives them.
constexpr std::array<std::pair<const char*, QRgb>, 16> named_colors{{
    {"Black", 0x000000},
    {"Maroon", 0x800000},
    {"Green", 0x008000},
    {"Olive", 0x808000},
    {"Navy", 0x000080},
    {"Purple", 0x800080},
    {"Teal", 0x008080},
    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},
    {"Red", 0xFF0000},
    {"Lime", 0x00FF00},
    {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},
    {"Fuchsia", 0xFF00FF},
    {"Aqua", 0x00FFFF},
    {"White", 0xFFFFFF},
}};

const QStringList standard_sizes{"8",  "9",  "10", "11", "12", "14", "16", "18",
                                 "20", "22", "24", "26", "28", "36", "48", "72"};

QIcon swatch(const QColor& color) {
    QPixmap pixmap(16, 12);
    pixmap.fill(color);
    return QIcon(pixmap);
}

}  // namespace

FontDialog::FontDialog(const FontChoice& initial, QWidget* parent)
    : QDialog(parent),
      font_name(new QFontComboBox),
      font_size(new QComboBox),
      font_color(new QComboBox),
      bold(new QCheckBox(tr("&Bold"))),
      italic(new QCheckBox(tr("&Italic"))),
      underline(new QCheckBox(tr("&Underline"))),
      sample(new QLabel(QStringLiteral("AaBbYyZz"))),
      initial_size_(initial.size) {
    setWindowTitle(tr("Font"));

    font_size->setEditable(true);
    font_size->addItems(standard_sizes);
    font_size->setValidator(new QDoubleValidator(1, 1638, 2, font_size));
    for (const auto& [name, rgb] : named_colors) {
        const QColor color(rgb);
        font_color->addItem(swatch(color), tr(name), color);
    }
    font_color->addItem(tr("Other..."));

    auto* fields = new QFormLayout;
    fields->addRow(tr("&Font:"), font_name);
    fields->addRow(tr("&Size:"), font_size);
    fields->addRow(tr("&Color:"), font_color);
    auto* effects = new QGroupBox(tr("Effects"));
    auto* effect_boxes = new QHBoxLayout(effects);
    for (QCheckBox* effect : {bold, italic, underline}) {
        effect_boxes->addWidget(effect);
    }
    auto* sample_frame = new QGroupBox(tr("Sample"));
    (new QVBoxLayout(sample_frame))->addWidget(sample);
    sample->setAlignment(Qt::AlignCenter);
    sample->setMinimumSize(220, 60);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(effects);
    layout->addWidget(sample_frame);
    layout->addWidget(buttons);

    // The face keeps its name even where this system lacks it and shows another in its place.
    font_name->setCurrentFont(QFont(initial.name));
    font_name->setEditText(initial.name);
    font_size->setCurrentText(QLocale().toString(initial.size));
    select_color(initial.color);
    bold->setChecked(initial.bold);
    italic->setChecked(initial.italic);
    underline->setChecked(initial.underline);
    show_sample();

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(font_color, &QComboBox::activated, this, &FontDialog::color_chosen);
    connect(font_name, &QFontComboBox::currentFontChanged, this, &FontDialog::show_sample);
    connect(font_size, &QComboBox::currentTextChanged, this, &FontDialog::show_sample);
    for (QCheckBox* effect : {bold, italic, underline}) {
        connect(effect, &QCheckBox::toggled, this, &FontDialog::show_sample);
    }
}

FontChoice FontDialog::choice() const {
    bool is_number = false;
    const double size = QLocale().toDouble(font_size->currentText(), &is_number);
    return {font_name->currentText(),
            is_number && size > 0 ? size : initial_size_,
            font_color->currentData().value<QColor>(),
            bold->isChecked(),
            italic->isChecked(),
            underline->isChecked()};
}

void FontDialog::select_color(const QColor& color) {
    int index = font_color->findData(color);
    if (index < 0) {
        // The "Other..." entry stays last.
        index = font_color->count() - 1;
        const int custom = font_color->findText(tr("Custom"));
        if (custom >= 0) {
            font_color->removeItem(custom);
            index = custom;
        }
        font_color->insertItem(index, swatch(color), tr("Custom"), color);
    }
    font_color->setCurrentIndex(index);
    last_color_index_ = index;
    show_sample();
}

void FontDialog::color_chosen(int index) {
    if (index != font_color->count() - 1) {
        last_color_index_ = index;
        show_sample();
        return;
    }
    const QColor color =
        QColorDialog::getColor(font_color->itemData(last_color_index_).value<QColor>(), this);
    if (color.isValid()) {
        select_color(color);
    } else {
        font_color->setCurrentIndex(last_color_index_);
    }
}

void FontDialog::show_sample() {
    const FontChoice shown = choice();
    QFont font(shown.name);
    font.setPointSizeF(shown.size);
    font.setBold(shown.bold);
    font.setItalic(shown.italic);
    font.setUnderline(shown.underline);
    sample->setFont(font);
    QPalette palette = sample->palette();
    palette.setColor(QPalette::WindowText, shown.color);
    sample->setPalette(palette);
}

}  // namespace qlx::document
