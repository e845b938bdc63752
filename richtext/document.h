#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qlx::richtext {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr int default_half_points = 24;
inline constexpr int default_tab_twips = 720;  // half an inch
// ParagraphFormat::list of a paragraph that is no list item (\ls0 names list 0 where there
// is one).
inline constexpr int no_list = -1;

// A font family name in UTF-8. Copies share one text and its hash, worked out once, so a
// long name costs its length once however many formats name it.
class FontName {
public:
    FontName() = default;
    FontName(std::string_view name);  // NOLINT: names are given as text
    FontName(const char* name) : FontName(std::string_view(name)) {}
    FontName(const std::string& name) : FontName(std::string_view(name)) {}

    const std::string& str() const { return shared_ ? shared_->text : empty_text(); }
    operator const std::string&() const { return str(); }  // NOLINT: reads as its text
    bool empty() const { return !shared_; }
    std::size_t hash() const { return shared_ ? shared_->hash : 0; }
    // Whether both share one text (not only equal ones).
    bool shares_text_with(const FontName& other) const { return shared_ == other.shared_; }

    friend bool operator==(const FontName& a, const FontName& b) {
        return a.shared_ == b.shared_ || (a.hash() == b.hash() && a.str() == b.str());
    }

private:
    struct Shared {
        std::string text;
        std::size_t hash;
    };
    static const std::string& empty_text();

    std::shared_ptr<const Shared> shared_;  // none for the empty name
};

// Where text sits against the line: raised and smaller, lowered and smaller, or on it.
enum class VerticalPosition : std::uint8_t { baseline, superscript, subscript };

// The character format of a run of text.
struct CharFormat {
    FontName font_family;                   // empty: the viewer's default font
    // The character set of the source's font (\fcharsetN), which tells apart fonts of one
    // family; -1: none given.
    int font_charset = -1;
    int half_points = default_half_points;  // font size in half-points (20 = 10 pt)
    // The size was named. Without, text is shown at the default size and written with no
    // size, as the source had it: readers then take their own default (which differs between
    // them, and for East Asian text).
    bool size_given = true;
    // The font East Asian text is shown in where the source named one (\dbch\afN); empty:
    // none named, and readers take their own (not `font_family`).
    FontName east_asian_family;
    std::optional<Rgb> color;               // none: the default text colour
    std::optional<Rgb> highlight;           // none: no background colour
    bool bold = false;
    bool italic = false;
    bool underline = false;
    // Of underlined text, the kind of line as RTF names it: 0 a single line (\ul), others
    // dotted, dashed, double, thick, wavy, words only (see rtf_control_words.h).
    std::uint8_t underline_kind = 0;
    bool strike_out = false;
    VerticalPosition position = VerticalPosition::baseline;  // \super, \sub
    int raise_half_points = 0;  // \upN raises by N half-points, \dnN lowers (negative)
    bool hidden = false;        // \v: not shown, but kept, and in the text
    // Without a colour: the default colour was named (\cf of an entry without a colour).
    // Shown alike; kept because word processors tell a named default from none against a
    // style's colour.
    bool default_color_named = false;
    // The character style of the text (\csN) in the carried style sheet; -1: none. Kept for
    // readers that take properties from it that the text does not repeat.
    int character_style = -1;

    double point_size() const { return half_points / 2.0; }
    friend bool operator==(const CharFormat&, const CharFormat&) = default;
};

enum class Alignment : std::uint8_t { left, center, right, justify };

// The old way of numbering a paragraph (\pn): a label of its own kind before its text.
struct OldNumbering {
    enum class Kind : std::uint8_t {
        none,
        bullet,  // the text before (\pntxtb) alone
        decimal,
        upper_roman,
        lower_roman,
        upper_letter,
        lower_letter,
        continued,  // \pnlvlcont: goes on with the list before, without a label
    };
    Kind kind = Kind::none;
    int start = 1;          // \pnstartN
    int font = -1;          // \pnfN: the label's font; -1: the paragraph's
    int indent = 0;         // \pnindentN, twips
    std::string before;     // \pntxtb and \pntxta as written: bytes in the label's font
    std::string after;

    friend bool operator==(const OldNumbering&, const OldNumbering&) = default;
};

// The format of a paragraph. Distances are in twips (1/1440 inch).
struct ParagraphFormat {
    Alignment alignment = Alignment::left;
    int left_indent = 0;
    int right_indent = 0;
    int first_line_indent = 0;  // from the left indent; negative: a hanging first line
    int space_before = 0;
    int space_after = 0;
    // \slN: 0 as the font needs; N > 0 at least N twips; N < 0 exactly -N twips. With
    // `line_spacing_multiple`, N / 240 lines instead.
    int line_spacing = 0;
    bool line_spacing_multiple = false;
    bool page_break_before = false;
    int style = 0;       // \sN: the paragraph's style in the carried style sheet; 0: Normal
    int list = no_list;  // \lsN: the list (override) the paragraph is an item of
    int list_level = 0;  // \ilvlN, 0 to 8
    OldNumbering numbering;

    friend bool operator==(const ParagraphFormat&, const ParagraphFormat&) = default;
};

// Text in one format. The text is UTF-8 and never holds CR, LF or U+2029 (paragraphs end
// between Paragraph objects); U+2028 is a line break inside the paragraph.
//
// A run with `rtf` is a group of the source carried through: kept as it was read, "{" to
// "}", at its place, and written back as it is. Most show nothing (a header, a footnote's
// text, an object, a destination the document does not know); some show their text (the
// number a footnote reference stands for).
//
// Runs with the same `field` (not 0) make up one field: its instruction, carried through as
// the group "{\\*\\fldinst ...}", and the runs of its result, in one paragraph.
struct Run {
    std::string text;
    std::size_t format = 0;  // index into Document::formats()
    std::string rtf;
    std::uint32_t field = 0;

    bool carried() const { return !rtf.empty(); }
    // Whether this run is a field's instruction (line ends after its "{" are nothing).
    bool is_field_instruction() const {
        if (field == 0 || !rtf.starts_with('{')) {
            return false;
        }
        const std::string_view group(rtf);
        const std::string_view body = group.substr(std::min(group.find_first_not_of("\r\n", 1),
                                                            group.size()));
        return body.starts_with("\\*\\fldinst") || body.starts_with("\\fldinst");
    }
};

// A font table entry as the source had it, so that groups carried through still find their
// fonts, under their numbers, in their character sets.
struct SourceFont {
    int number = 0;
    FontName family;
    int charset = -1;   // \fcharsetN; -1: none given
    int code_page = 0;  // \cpgN; 0: none given
    // The entry's other words and groups as written: its family (\froman, ...), pitch,
    // {\*\panose ...}, {\*\falt ...} (the name to use when this one is missing).
    std::string properties;

    friend bool operator==(const SourceFont&, const SourceFont&) = default;
};

// Where a paragraph stands in a table. A table is a run of paragraphs of its depth (and
// deeper ones: tables nested in its cells); a cell is the paragraphs up to one that ends it,
// and a row the cells up to one that ends the row too. The reader keeps every table whole:
// each ends with a paragraph that ends a row, a nested table inside its cell.
struct TablePlace {
    enum class End : std::uint8_t { paragraph, cell, row };
    int depth = 0;             // 0: outside tables; 1: a table; 2 and more: nested that deep
    End end = End::paragraph;  // what the paragraph ends: itself, its cell, or its row too
    bool merged = false;       // the cell ended is merged into the one before it (\clmrg)
    // For End::row: the row's definition as the source wrote it, written back with the row:
    // "\trowd ... \cellxN ..." for a table, the whole "{\*\nesttableprops ... \nestrow}"
    // for a nested one. Empty: cells of equal width.
    std::string row;

    friend bool operator==(const TablePlace&, const TablePlace&) = default;
};

struct Paragraph {
    std::vector<Run> runs;
    // The format of the paragraph mark: what an empty paragraph is shown in and what text
    // typed at its start takes.
    std::size_t mark_format = 0;
    ParagraphFormat format;
    // The label a list item shows before its text ("1.", "a)", a bullet), as its list
    // numbers it; empty for a paragraph that is no item.
    std::string label;
    TablePlace table;
    // The properties of the section the paragraph starts (\sectd and what follows it, as
    // the source wrote them); empty: the section goes on.
    std::string section;
    bool ends_section = false;  // the paragraph ends with \sect, not \par
};

// Paragraphs of runs. Formats are held once and runs refer to them by index, so that a
// consumer can prepare each distinct format once. A document always has at least one
// paragraph and one format (the default CharFormat at index 0).
class Document {
public:
    Document() : Document(CharFormat{}) {}
    // A document whose format at index 0 is `first` (a reader's format of text before any).
    explicit Document(const CharFormat& first);

    // The index of a format equal to `format`, adding it when new.
    std::size_t intern(const CharFormat& format);

    const std::vector<CharFormat>& formats() const { return formats_; }
    const CharFormat& format(std::size_t index) const { return formats_[index]; }
    // For each format, whether a run or a paragraph mark has it.
    std::vector<bool> formats_in_use() const;

    std::vector<Paragraph>& paragraphs() { return paragraphs_; }
    const std::vector<Paragraph>& paragraphs() const { return paragraphs_; }

    // Appends text in a format (of a field, when not 0) to the last paragraph, joining it to
    // the last run when that run has the same format and field.
    void append_text(std::string_view utf8, std::size_t format, std::uint32_t field = 0);
    // Joins the runs of the last paragraph from `index` on that could be one: text in the
    // same format and field.
    void join_runs_from(std::size_t index);
    // Appends a group carried through (see Run) to the last paragraph.
    void append_carried(std::string_view rtf, std::size_t format, std::uint32_t field = 0,
                        std::string_view shown = {});
    // Ends the last paragraph with its mark in `mark_format` and starts a new one.
    void end_paragraph(std::size_t mark_format);

    // The distance between the default tab stops, in twips (1/1440 inch).
    int default_tab_twips() const { return default_tab_twips_; }
    void set_default_tab_twips(int twips) { default_tab_twips_ = twips; }

    // The font and colour tables of the RTF the document was read from (colour 0 first, none
    // for the default colour); empty for a document made otherwise. Written first, under the
    // same numbers, so that what is carried through means what it meant.
    std::vector<SourceFont> source_fonts;
    std::vector<std::optional<Rgb>> source_colors;
    // The font the source names as its default (\deffN); -1: none named.
    int source_default_font = -1;
    // The code page of the source's bytes (\ansicpg); Windows-1252 for a document made
    // otherwise.
    int source_code_page = 1252;
    // Groups carried through from before the text (style sheet, list tables, information,
    // headers, ...), in their order; written back after the tables.
    std::vector<std::string> head_groups;
    // The page the document is laid out on, as the source wrote it: its size, margins and
    // orientation (\paperwN \paperhN \marglN ... \landscape); empty: the default page.
    std::string page_setup;

    // Same text, carried groups, page, sections, paragraphs, formats (compared by value, not
    // by index) and tab stops; the source tables are how the document was written, not what
    // it holds.
    friend bool operator==(const Document& a, const Document& b);

private:
    struct FormatHash {
        std::size_t operator()(const CharFormat& format) const;
    };

    std::vector<CharFormat> formats_;
    std::unordered_map<CharFormat, std::size_t, FormatHash> format_index_;
    std::vector<Paragraph> paragraphs_;
    int default_tab_twips_ = richtext::default_tab_twips;
};

// Builds a document from text and formats, for callers that assemble one by hand.
class DocumentBuilder {
public:
    DocumentBuilder& text(std::string_view utf8, const CharFormat& format = {});
    // Ends the paragraph being built, its mark in `mark_format`, itself in `format`.
    DocumentBuilder& paragraph(const CharFormat& mark_format = {},
                               const ParagraphFormat& format = {});
    // The document built; the builder is used up.
    Document build() { return std::move(document_); }

private:
    Document document_;
};

}  // namespace qlx::richtext
