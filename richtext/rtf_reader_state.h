#pragma once

// The RTF reader's state while it reads: the properties of each open group and what the
// reader has read so far. The reading itself is in rtf_reader.cpp (groups, text, paragraphs)
// and rtf_reader_properties.cpp (what control words set, and the formats they make).

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "richtext/document.h"
#include "richtext/rtf_lexer.h"
#include "richtext/rtf_lists.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_tables.h"
#include "richtext/table_structure.h"

namespace qlx::richtext::reading {

constexpr std::size_t unresolved = std::numeric_limits<std::size_t>::max();
// Groups deeper than this share the state of the deepest one; no word processor nests so far.
constexpr std::size_t max_group_depth = 4096;
constexpr int max_half_points = 3276;
constexpr int max_tab_twips = 22 * 1440;  // the widest page RTF describes
constexpr int max_table_depth = 64;

enum class Destination : std::uint8_t { text, skip, font_table, color_table };

// The properties a group inherits from its parent and gets back when its children close.
struct GroupState {
    int font = -1;  // font number; -1: the document's default font
    int half_points = default_half_points;
    bool size_given = false;   // \fsN was given
    int east_asian_font = -1;  // \dbch\afN: East Asian text's font number; -1: none named
    // The script \afN (and \fN) name the font of: 0 \loch, 1 \hich, 2 \dbch, 3 \rtlch, 4
    // \ltrch; -1 none chosen.
    int script = -1;
    int character_style = -1;  // \csN; -1: none
    int color = -1;      // colour table index; -1: default colour
    int highlight = -1;  // colour table index; -1: none
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::uint8_t underline_kind = 0;  // see CharFormat
    bool strike_out = false;
    bool hidden = false;
    VerticalPosition position = VerticalPosition::baseline;
    int raise_half_points = 0;
    // Paragraph properties travel with the group too; a paragraph takes those in force at
    // its end.
    ParagraphFormat paragraph;
    Destination destination = Destination::text;
    int unicode_skip = 1;             // \ucN: bytes of fallback text after each \uN
    std::size_t format = unresolved;  // the interned format of these properties
    std::size_t format_tables = 0;    // ... as resolved with the tables of this generation
    std::size_t start = 0;            // offset of the group's "{" in the input
    bool carried = false;             // the group is kept as it stands (see Run::rtf)
    std::uint32_t field = 0;          // the field the group's text belongs to; 0: none
    bool nested_row = false;          // in \nesttableprops: a nested row's definitions
    int table_depth = 0;              // \intbl, \itapN: the paragraph's table depth
    bool two_versions = false;        // \upr: its groups are the ANSI and Unicode versions
    bool version = false;             // a group of \upr: skipped unless it is \ud's

    void reset_characters() {
        GroupState reset;
        reset.destination = destination;
        reset.unicode_skip = unicode_skip;
        reset.paragraph = std::move(paragraph);  // and back: \plain comes at every line
        reset.start = start;
        reset.carried = carried;
        reset.field = field;
        reset.nested_row = nested_row;
        reset.table_depth = table_depth;
        reset.two_versions = two_versions;
        reset.version = version;
        *this = std::move(reset);
    }
};

class Reader {
public:
    explicit Reader(std::string_view input, ParagraphSink* sink = nullptr)
        : in_(input), lexer_(input), stack_(1), sink_(sink) {}

    RtfReadResult run();

private:
    GroupState& state() { return stack_.back(); }

    void open_group();
    void close_group();
    void skip_group();
    void carry(std::string_view group);
    void end_field(std::uint32_t field);
    void text(std::string_view bytes);
    void control_word(const Token& token);
    void hex_byte(const Token& token);
    void control_symbol(char symbol);
    void apply(const Token& token);
    void apply_to_text(const Token& token);
    // Applies a paragraph property; false for any other word.
    bool apply_to_paragraph(const Token& token);
    void apply_to_font_table(const Token& token);
    void apply_to_color_table(const Token& token);

    void add_byte(char byte);
    // Makes the text bytes waiting a copy, to add to.
    void keep_pending();
    void add_code_point(char32_t code);
    void add_unicode(int parameter);
    void settle_surrogate();
    void flush();
    // Ends the paragraph being read at that place in the tables.
    void end_paragraph(int table_depth, TablePlace::End end = TablePlace::End::paragraph);
    // Ends it where the table structure has placed it.
    void finish_paragraph();
    void follow_row_definition(const Token& token);
    void follow_section_definition(const Token& token);
    // The instruction of `field`, in the paragraph being read, when it is a HYPERLINK's.
    std::optional<Run> link_instruction(std::uint32_t field) const;
    // Gives the paragraph being read the paragraph properties now in force.
    void take_paragraph_format();
    void number_list_items();
    // Hands the paragraphs that nothing read later changes to the sink, when enough wait.
    void hand_over();
    void end_document();

    std::size_t current_format();
    // What a group's format is resolved from.
    struct CharacterKey {
        int font = 0;
        int east_asian_font = 0;
        int half_points = 0;
        int color = 0;
        int highlight = 0;
        int character_style = 0;
        int raise_half_points = 0;
        bool size_given = false;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        std::uint8_t underline_kind = 0;
        bool strike_out = false;
        bool hidden = false;
        VerticalPosition position = VerticalPosition::baseline;
        std::size_t tables = 0;  // the generation of the tables
        friend bool operator==(const CharacterKey&, const CharacterKey&) = default;
    };
    // The formats resolved last: text goes back to a few again and again (\plain and its
    // words begin each line of a converted document), found here without being interned.
    std::array<std::pair<CharacterKey, std::size_t>, 4> resolved_{{{{}, unresolved},
                                                                    {{}, unresolved},
                                                                    {{}, unresolved},
                                                                    {{}, unresolved}}};
    std::size_t next_resolved_ = 0;
    void forget_formats();
    int resolved_font() const;
    void leave_table(Destination table);

    std::string_view in_;
    RtfLexer lexer_;
    bool closed_ = false;
    RtfReadResult result_;
    Document& document_ = result_.document;

    std::vector<GroupState> stack_;  // stack_[0] lies outside every group
    std::size_t overflow_depth_ = 0;

    ParagraphSink* sink_ = nullptr;
    std::size_t paragraphs_handed_ = 0;  // to the sink
    std::size_t formats_handed_ = 0;

    RtfTables tables_;
    RtfLists lists_;
    // Raised whenever the tables or the default font change what properties resolve to: a
    // format resolved before is resolved again, without walking the open groups.
    std::size_t tables_generation_ = 0;
    int default_font_ = 0;             // without \deffN, font 0, as word processors take it
    bool default_font_named_ = false;  // \deffN was given

    // Text bytes not yet decoded, all in the current group's state: the input's own while
    // they are one piece of it, else a copy.
    std::string pending_;
    std::string_view pending_input_;
    std::string utf8_;
    int bytes_to_skip_ = 0;  // fallback text still to skip after \uN
    char32_t high_surrogate_ = 0;
    TableStructure table_structure_;
    // The definition of the table rows that follow (\trowd ...), and where the one being read
    // began (npos: none is being read).
    std::string row_definition_;
    std::size_t row_definition_start_ = std::string_view::npos;
    // Where the section definition being read began (\sectd; npos: none is being read).
    std::size_t section_start_ = std::string_view::npos;
    std::size_t token_start_ = 0;       // offset of the token being read
    std::size_t font_entry_start_ = 0;  // offset of the \fN that began the font entry read last
    // The depth of groups at that \fN. Text and words in groups inside the entry are not the
    // font's name and words: such a group is kept with the entry ({\*\falt ...}) or dropped,
    // never both.
    std::size_t font_entry_depth_ = 0;
    bool in_font_name() const { return stack_.size() <= font_entry_depth_; }
    // A page break came before any text of the paragraph being read.
    bool page_break_pending_ = false;
    bool numbered_ = false;             // a paragraph is in a list or has an old numbering
    std::uint32_t fields_ = 0;          // fields met so far; the last one's number
    std::uint32_t continued_link_ = 0;  // the last link that went on into a new paragraph
    int footnotes_ = 0;                 // footnotes met so far
    // "{" was the last token: a "\*" now marks the group as a destination.
    bool group_start_ = false;
    // "\*" began the group: a control word the reader does not know skips the group.
    bool star_ = false;
    // The control word being applied is the first of its group (after "\*", if any).
    bool starts_group_ = false;
};

}  // namespace qlx::richtext::reading
