#include "document/rich_text_adapter.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <optional>

#include "document/rich_text_properties.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

namespace qlx::document {

namespace adapter {

namespace {

constexpr int max_half_points = 3276;

// Text documents measure tab stops in pixels of the screen they are laid out for.
double screen_dots_per_inch() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchX() : 96.0;
}

QColor to_qcolor(const rt::Rgb& color) {
    return QColor(color.red, color.green, color.blue);
}

std::optional<rt::Rgb> from_brush(const QBrush& brush) {
    if (brush.style() == Qt::NoBrush) {
        return std::nullopt;
    }
    const QColor color = brush.color().toRgb();
    return rt::Rgb{static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                   static_cast<std::uint8_t>(color.blue())};
}

QString font_family(const QTextCharFormat& format) {
    const QStringList families = format.property(QTextFormat::FontFamilies).toStringList();
    if (!families.isEmpty() && !families.front().isEmpty()) {
        return families.front();
    }
    return format.property(QTextFormat::FontFamily).toString();
}

}  // namespace

void keep_head(QTextDocument& document, const rt::Document& model) {
    if (model.source_fonts.empty() && model.source_colors.empty() && model.head_groups.empty() &&
        model.source_code_page == 1252) {
        document.setProperty(head_property, QVariant());
        return;
    }
    rt::Document head;
    head.source_fonts = model.source_fonts;
    head.source_colors = model.source_colors;
    head.head_groups = model.head_groups;
    head.source_code_page = model.source_code_page;
    document.setProperty(head_property, QByteArray::fromStdString(rt::to_rtf(head)));
}

// The head kept with a document: its tables always (groups carried in the text refer to
// them), its groups only for the whole document.
void restore_head(rt::Document& model, const QTextDocument& document, bool whole) {
    const QByteArray rtf = document.property(head_property).toByteArray();
    if (rtf.isEmpty()) {
        return;
    }
    rt::Document head = rt::read_rtf(std::string_view(rtf.constData(), rtf.size())).document;
    model.source_fonts = std::move(head.source_fonts);
    model.source_colors = std::move(head.source_colors);
    model.source_code_page = head.source_code_page;
    if (whole) {
        model.head_groups = std::move(head.head_groups);
    }
}

double twips_to_screen(int twips) {
    return twips * screen_dots_per_inch() / 1440.0;
}

int screen_to_twips(double pixels) {
    return static_cast<int>(std::lround(pixels * 1440.0 / screen_dots_per_inch()));
}

int shown_left_indent(const rt::ParagraphFormat& format) {
    // A list item that gives no indent of its own is shown indented by its level.
    const bool item =
        format.list != rt::no_list || format.numbering.kind != rt::OldNumbering::Kind::none;
    return item && format.left_indent == 0 ? (format.list_level + 1) * list_indent_twips
                                           : format.left_indent;
}

QTextBlockFormat to_qt_block_format(const rt::ParagraphFormat& format) {
    QTextBlockFormat qt;
    static constexpr Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                                   Qt::AlignJustify};
    qt.setAlignment(alignments[static_cast<std::size_t>(format.alignment)]);
    qt.setLeftMargin(twips_to_screen(format.left_indent));
    qt.setRightMargin(twips_to_screen(format.right_indent));
    qt.setTextIndent(twips_to_screen(format.first_line_indent));
    qt.setTopMargin(twips_to_screen(format.space_before));
    qt.setBottomMargin(twips_to_screen(format.space_after));
    if (format.line_spacing_multiple && format.line_spacing != 0) {
        qt.setLineHeight(std::abs(format.line_spacing) * 100.0 / 240.0,
                         QTextBlockFormat::ProportionalHeight);
    } else if (format.line_spacing > 0) {
        qt.setLineHeight(twips_to_screen(format.line_spacing), QTextBlockFormat::MinimumHeight);
    } else if (format.line_spacing < 0) {
        qt.setLineHeight(twips_to_screen(-format.line_spacing), QTextBlockFormat::FixedHeight);
    } else if (format.line_spacing_multiple) {
        qt.setProperty(line_spacing_multiple_property, true);
    }
    if (format.page_break_before) {
        qt.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    }
    if (format.style != 0) {
        qt.setProperty(style_property, format.style);
    }
    if (format.list != rt::no_list || format.list_level != 0) {
        qt.setProperty(list_property,
                       QVariant::fromValue(QList<int>{format.list, format.list_level}));
    }
    if (format.numbering.kind != rt::OldNumbering::Kind::none) {
        // Kept as the paragraph the writer writes for it, read back the same way.
        rt::Document numbered;
        numbered.paragraphs().back().format.numbering = format.numbering;
        qt.setProperty(numbering_property, QByteArray::fromStdString(rt::to_rtf(numbered)));
    }
    if (const int shown = shown_left_indent(format); shown != format.left_indent) {
        qt.setLeftMargin(twips_to_screen(shown));
        qt.setProperty(list_indent_property, shown);
    }
    return qt;
}

rt::ParagraphFormat from_qt_block_format(const QTextBlockFormat& qt) {
    rt::ParagraphFormat format;
    const Qt::Alignment alignment = qt.alignment() & Qt::AlignHorizontal_Mask;
    format.alignment = alignment & Qt::AlignHCenter   ? rt::Alignment::center
                       : alignment & Qt::AlignRight   ? rt::Alignment::right
                       : alignment & Qt::AlignJustify ? rt::Alignment::justify
                                                      : rt::Alignment::left;
    format.left_indent = screen_to_twips(qt.leftMargin());
    format.right_indent = screen_to_twips(qt.rightMargin());
    format.first_line_indent = screen_to_twips(qt.textIndent());
    format.space_before = screen_to_twips(qt.topMargin());
    format.space_after = screen_to_twips(qt.bottomMargin());
    switch (qt.lineHeightType()) {
        case QTextBlockFormat::ProportionalHeight:
            format.line_spacing = static_cast<int>(std::lround(qt.lineHeight() * 240.0 / 100.0));
            format.line_spacing_multiple = true;
            break;
        case QTextBlockFormat::MinimumHeight:
            format.line_spacing = screen_to_twips(qt.lineHeight());
            break;
        case QTextBlockFormat::FixedHeight:
            format.line_spacing = -screen_to_twips(qt.lineHeight());
            break;
        default:
            format.line_spacing_multiple = qt.boolProperty(line_spacing_multiple_property);
            break;
    }
    format.page_break_before = (qt.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) != 0;
    format.style = qt.intProperty(style_property);
    const QList<int> list = qt.property(list_property).value<QList<int>>();
    if (list.size() == 2) {
        format.list = list[0];
        format.list_level = list[1];
    }
    const QByteArray numbering = qt.property(numbering_property).toByteArray();
    if (!numbering.isEmpty()) {
        format.numbering = rt::read_rtf(std::string_view(numbering.constData(), numbering.size()))
                               .document.paragraphs()
                               .front()
                               .format.numbering;
    }
    if (qt.hasProperty(list_indent_property)) {
        format.left_indent = std::max(format.left_indent - qt.intProperty(list_indent_property), 0);
    }
    return format;
}

}  // namespace adapter

using namespace adapter;

QTextCharFormat to_qt_format(const rt::CharFormat& format) {
    QTextCharFormat qt;
    if (!format.font_family.empty()) {
        // Formats that differ in anything but the font share one text of the family: a long
        // name is converted once, not once per format.
        thread_local rt::FontName last_name;
        thread_local QString last_family;
        if (!last_name.shares_text_with(format.font_family)) {
            last_name = format.font_family;
            last_family = QString::fromStdString(format.font_family.str());
        }
        qt.setFontFamilies({last_family});
    }
    qt.setFontPointSize(format.point_size());
    qt.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    qt.setFontItalic(format.italic);
    qt.setFontUnderline(format.underline);
    qt.setFontStrikeOut(format.strike_out);
    if (format.color) {
        qt.setForeground(to_qcolor(*format.color));
    }
    if (format.highlight) {
        qt.setBackground(to_qcolor(*format.highlight));
    }
    if (format.default_color_named) {
        qt.setProperty(default_color_property, true);
    }
    if (!format.size_given) {
        qt.setProperty(size_not_given_property, true);
    }
    if (format.font_charset >= 0) {
        qt.setProperty(font_charset_property, format.font_charset);
    }
    if (format.character_style >= 0) {
        qt.setProperty(character_style_property, format.character_style);
    }
    if (format.underline && format.underline_kind != 0) {
        qt.setProperty(underline_kind_property, format.underline_kind);
    }
    if (!format.east_asian_family.empty()) {
        qt.setProperty(east_asian_font_property,
                       QString::fromStdString(format.east_asian_family.str()));
    }
    if (format.position != rt::VerticalPosition::baseline) {
        qt.setVerticalAlignment(format.position == rt::VerticalPosition::superscript
                                    ? QTextCharFormat::AlignSuperScript
                                    : QTextCharFormat::AlignSubScript);
    }
    if (format.hidden) {
        qt.setProperty(hidden_property, true);
    }
    if (format.raise_half_points != 0) {
        qt.setProperty(raise_half_points_property, format.raise_half_points);
        qt.setBaselineOffset(100.0 * format.raise_half_points / format.half_points);
    }
    return qt;
}

rt::CharFormat from_qt_format(const QTextCharFormat& qt, const QFont& default_font) {
    rt::CharFormat format;
    const QString family = font_family(qt);
    format.font_family = (family.isEmpty() ? default_font.family() : family).toStdString();
    const double points =
        qt.hasProperty(QTextFormat::FontPointSize) ? qt.fontPointSize() : default_font.pointSizeF();
    // RTF sizes are whole half-points; like the Windows rich-text control, a size between two
    // is cut down (8.25 points, the window's default, is written as 8).
    format.half_points = points > 0
                             ? std::clamp(static_cast<int>(points * 2 + 1e-6), 1, max_half_points)
                             : rt::default_half_points;
    format.font_charset =
        qt.hasProperty(font_charset_property) ? qt.intProperty(font_charset_property) : -1;
    format.character_style =
        qt.hasProperty(character_style_property) ? qt.intProperty(character_style_property) : -1;
    format.east_asian_family = qt.stringProperty(east_asian_font_property).toStdString();
    // A size chosen in the window is given, even where the text had none.
    format.size_given =
        !qt.boolProperty(size_not_given_property) || format.half_points != rt::default_half_points;
    format.bold = qt.hasProperty(QTextFormat::FontWeight) ? qt.fontWeight() >= QFont::DemiBold
                                                          : default_font.bold();
    format.italic =
        qt.hasProperty(QTextFormat::FontItalic) ? qt.fontItalic() : default_font.italic();
    format.underline = qt.hasProperty(QTextFormat::TextUnderlineStyle) ||
                               qt.hasProperty(QTextFormat::FontUnderline)
                           ? qt.fontUnderline()
                           : default_font.underline();
    format.underline_kind =
        format.underline ? static_cast<std::uint8_t>(qt.intProperty(underline_kind_property)) : 0;
    format.strike_out =
        qt.hasProperty(QTextFormat::FontStrikeOut) ? qt.fontStrikeOut() : default_font.strikeOut();
    format.color = from_brush(qt.foreground());
    format.default_color_named = !format.color && qt.boolProperty(default_color_property);
    format.highlight = from_brush(qt.background());
    format.position = qt.verticalAlignment() == QTextCharFormat::AlignSuperScript
                          ? rt::VerticalPosition::superscript
                      : qt.verticalAlignment() == QTextCharFormat::AlignSubScript
                          ? rt::VerticalPosition::subscript
                          : rt::VerticalPosition::baseline;
    format.raise_half_points = qt.intProperty(raise_half_points_property);
    format.hidden = qt.boolProperty(hidden_property);
    return format;
}

}  // namespace qlx::document
