#pragma once

#include <QColor>
#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;

namespace qlx::document {

// The character format the font dialog shows and returns.
struct FontChoice {
    QString name;
    double size = 0;  // points
    QColor color;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    bool operator==(const FontChoice&) const = default;
};

// The font dialog: face, size in points, text colour, bold, italic and underline, with a
// sample of the result. OK keeps the choice, Cancel drops it.
class FontDialog : public QDialog {
    Q_OBJECT

public:
    FontDialog(const FontChoice& initial, QWidget* parent = nullptr);

    // What the dialog shows now; the size falls back to the initial one while the size
    // field does not hold a number.
    FontChoice choice() const;

    QFontComboBox* const font_name;
    QComboBox* const font_size;
    QComboBox* const font_color;
    QCheckBox* const bold;
    QCheckBox* const italic;
    QCheckBox* const underline;
    QLabel* const sample;

    // Selects `color` in the colour list, adding it as "Custom" when it is none of the
    // named colours.
    void select_color(const QColor& color);

private:
    void color_chosen(int index);
    void show_sample();

    double initial_size_;
    int last_color_index_ = 0;
};

}  // namespace qlx::document
