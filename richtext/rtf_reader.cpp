#include "richtext/rtf_reader.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "richtext/code_page.h"
#include "richtext/field_instruction.h"
#include "richtext/rtf_control_words.h"
#include "richtext/rtf_reader_state.h"
#include "richtext/utf8.h"
#include "richtext/windows1252.h"

namespace qlx::richtext {

namespace reading {

namespace {

// About how many paragraphs the input has, so that they are not moved as they grow: writers
// begin a line at least every few hundred bytes, at each paragraph those made for people to
// read. The line ends of its first few kilobytes are counted, and the rest is taken to be
// like them: counting them all held up the first paragraphs of each document read while it
// is built. Room left over is never written to, so it costs the memory of no page.
std::size_t paragraph_estimate(std::string_view in) {
    constexpr std::size_t sample_size = 4096;
    const std::string_view sample = in.substr(0, sample_size);
    std::size_t lines = 1;
    for (std::size_t at = sample.find('\n'); at != std::string_view::npos;
         at = sample.find('\n', at + 1)) {
        ++lines;
    }
    const std::size_t samples = (in.size() + sample_size - 1) / sample_size;
    return std::clamp<std::size_t>(lines * samples, 1, std::max<std::size_t>(in.size() / 32, 1));
}

}  // namespace

RtfReadResult Reader::run() {
    const auto start = in_.find_first_not_of(" \t\r\n");
    result_.problems.not_rtf =
        start == std::string_view::npos || !in_.substr(start).starts_with("{\\rtf");
    // Text before any format is in no size, nor anything else.
    CharFormat no_size;
    no_size.size_given = false;
    document_ = Document(no_size);
    document_.paragraphs().reserve(paragraph_estimate(in_));
    for (;;) {
        token_start_ = lexer_.offset();
        const Token token = lexer_.next();
        if (token.kind == TokenKind::end) {
            break;
        }
        if (row_definition_start_ != std::string_view::npos) {
            follow_row_definition(token);
        }
        if (section_start_ != std::string_view::npos) {
            follow_section_definition(token);
        }
        const bool at_group_start = std::exchange(group_start_, false);
        const bool after_star = std::exchange(star_, false);
        switch (token.kind) {
            case TokenKind::group_open:
                open_group();
                break;
            case TokenKind::group_close:
                close_group();
                break;
            case TokenKind::text:
                text(token.text);
                break;
            case TokenKind::control_word:
                starts_group_ = at_group_start || after_star;
                if (after_star && token.word.action == Action::ignore) {
                    skip_group();
                } else {
                    control_word(token);
                }
                break;
            case TokenKind::control_symbol:
                if (bytes_to_skip_ > 0) {
                    --bytes_to_skip_;
                } else if (token.symbol == '*') {
                    // Marks an optional destination only at the start of a group; elsewhere
                    // it means nothing.
                    star_ = at_group_start;
                } else {
                    control_symbol(token.symbol);
                }
                break;
            case TokenKind::hex_byte:
                hex_byte(token);
                break;
            case TokenKind::binary:
                bytes_to_skip_ = std::max(bytes_to_skip_ - 1, 0);
                break;
            case TokenKind::end:
                break;
        }
        if (closed_) {
            break;
        }
    }
    result_.problems.truncated = lexer_.truncated();
    document_.source_fonts = tables_.source_fonts();
    document_.source_colors = tables_.colors();
    document_.source_code_page = tables_.ansi_code_page();
    document_.source_default_font = default_font_named_ ? default_font_ : -1;
    std::ranges::stable_sort(document_.head_groups, {}, head_group_rank);
    if (!closed_) {
        result_.problems.truncated = result_.problems.truncated || stack_.size() > 1;
        end_document();
    } else if (lexer_.rest().find_first_not_of(std::string_view(" \t\r\n\0", 5)) !=
               std::string_view::npos) {
        result_.problems.unbalanced = true;
    }
    return std::move(result_);
}

void Reader::open_group() {
    settle_surrogate();
    flush();
    bytes_to_skip_ = 0;
    if (stack_.size() > max_group_depth) {
        result_.problems.too_deep = true;
        ++overflow_depth_;
        return;
    }
    stack_.push_back(stack_.back());
    GroupState& group = stack_.back();
    group.start = lexer_.offset() - 1;
    group.carried = false;
    group.version = std::exchange(group.two_versions, false);
    if (group.version) {
        group.destination = Destination::skip;
    }
    group_start_ = true;
}

// The group's content is not text. Named at the start of a group met in text, the group is
// carried through whole.
void Reader::skip_group() {
    const bool in_text = starts_group_ && overflow_depth_ == 0 && stack_.size() >= 2 &&
                         stack_[stack_.size() - 2].destination == Destination::text &&
                         state().destination == Destination::text;
    state().destination = Destination::skip;
    state().carried = state().carried || in_text;
}

void Reader::close_group() {
    settle_surrogate();
    flush();
    bytes_to_skip_ = 0;
    if (overflow_depth_ > 0) {
        --overflow_depth_;
        return;
    }
    if (stack_.size() == 1) {
        result_.problems.unbalanced = true;
        return;
    }
    if (stack_.size() == 2) {
        end_document();
        closed_ = true;
        return;
    }
    const Destination left = stack_.back().destination;
    const bool nested_row_defined =
        stack_.back().nested_row && !stack_[stack_.size() - 2].nested_row;
    const bool carried = stack_.back().carried;
    const std::size_t start = stack_.back().start;
    const std::uint32_t field = stack_.back().field;
    stack_.pop_back();
    if (left != stack_.back().destination) {
        leave_table(left);
    }
    // A group in a font's entry ({\*\panose ...}, {\*\falt ...}) is kept with the font.
    if (left == Destination::skip && stack_.back().destination == Destination::font_table &&
        start > font_entry_start_) {
        tables_.add_font_property(in_.substr(start, lexer_.offset() - start));
    }
    if (carried) {
        carry(in_.substr(start, lexer_.offset() - start));
    }
    if (nested_row_defined) {
        table_structure_.nested_row_defined(document_, in_.substr(start, lexer_.offset() - start));
    }
    if (field != stack_.back().field) {
        end_field(field);
    }
}

// A field whose result is empty shows what its instruction computes: a SYMBOL field its
// character.
void Reader::end_field(std::uint32_t field) {
    std::vector<Run>& runs = document_.paragraphs().back().runs;
    auto first = runs.end();
    while (first != runs.begin() && std::prev(first)->field == field) {
        --first;
    }
    // A field is kept as one only when it begins with its instruction; otherwise its runs
    // are ordinary runs (and join their neighbours as such).
    if (first == runs.end() || !first->is_field_instruction()) {
        const auto index = static_cast<std::size_t>(first - runs.begin());
        for (auto run = first; run != runs.end(); ++run) {
            run->field = 0;
        }
        document_.join_runs_from(index == 0 ? 0 : index - 1);
        return;
    }
    const Run* instruction = &*first;
    for (auto run = std::next(first); run != runs.end(); ++run) {
        if (!run->carried()) {
            return;  // the field has a result
        }
    }
    if (field == continued_link_ && std::next(first) == runs.end()) {
        runs.erase(first);  // the link ended with the paragraph before
        return;
    }
    const auto symbol = parse_symbol_field(field_instruction_text(instruction->rtf));
    if (!symbol) {
        return;
    }
    char32_t code = symbol->code;
    if (!symbol->unicode && code < 0x100) {
        const int font = symbol->font.empty() ? resolved_font() : tables_.font_named(symbol->font);
        if (tables_.is_symbol_font(font, symbol->font)) {
            // A symbol font's character is its code, shown in that font (as word processors
            // read it: SYMBOL 97 in Symbol is an "a" drawn as alpha).
            CharFormat format = document_.format(current_format());
            if (!symbol->font.empty()) {
                format.font_family = symbol->font;
            }
            utf8_.clear();
            append_utf8(utf8_, code);
            document_.append_text(utf8_, document_.intern(format), field);
            return;
        } else {
            utf8_.clear();
            const char byte = static_cast<char>(code);
            decoder_for_code_page(tables_.text_code_page(font))
                .append_utf8(utf8_, std::string_view(&byte, 1));
            document_.append_text(utf8_, current_format(), field);
            return;
        }
    } else if (symbol->shift_jis && !symbol->unicode) {
        const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        utf8_.clear();
        decoder_for_code_page(932).append_utf8(utf8_, std::string_view(bytes, 2));
        document_.append_text(utf8_, current_format(), field);
        return;
    }
    utf8_.clear();
    append_utf8(utf8_, code);
    document_.append_text(utf8_, current_format(), field);
}

// A group carried through: one about the whole document, before any text, belongs to the
// head of the document; any other to its place in the text.
void Reader::carry(std::string_view group) {
    const auto named = [&](std::string_view word) {
        const std::string_view rest = group.substr(group.starts_with("{\\*\\") ? 4
                                                   : group.starts_with("{\\")  ? 2
                                                                               : 0);
        return rest.starts_with(word) &&
               (rest.size() == word.size() ||
                !std::isalpha(static_cast<unsigned char>(rest[word.size()])));
    };
    if (named("footnote")) {
        ++footnotes_;
    } else if (named("listtable")) {
        lists_.read_list_table(group, tables_);
    } else if (named("listoverridetable")) {
        lists_.read_override_table(group);
    } else if (named("pn")) {
        // The old numbering is a paragraph property: the writer writes it again.
        state().paragraph.numbering = read_old_numbering(group);
        return;
    }
    // Groups about the whole document, met before its text, are its head; anything else
    // stays where it is (so that where a group goes does not depend on what surrounded it).
    static constexpr std::string_view head_words[] = {
        "aftnsep",       "aftnsepc",  "colorschememapping",
        "docvar",        "fchars",    "filetbl",
        "footer",        "footerf",   "footerl",
        "footerr",       "ftnsep",    "ftnsepc",
        "generator",     "header",    "headerf",
        "headerl",       "headerr",   "info",
        "latentstyles",  "lchars",    "listoverridetable",
        "listtable",     "mmathPr",   "pgdsctbl",
        "revtbl",        "rsidtbl",   "stylesheet",
        "template",      "themedata", "userprops",
        "wgrffmtfilter", "xmlnstbl",  "defchp",
        "defpap"};
    const bool about_document = std::ranges::any_of(head_words, named);
    // Groups carried before them (bookmarks, a writer's own, but not a field's instruction) do
    // not end the head, whether or not they are in a field that turns out to be none.
    const std::vector<Paragraph>& paragraphs = document_.paragraphs();
    const bool before_text =
        paragraphs.size() == 1 && std::ranges::all_of(paragraphs.front().runs, [](const Run& run) {
            return run.carried() && run.text.empty() && !run.is_field_instruction();
        });
    if (before_text && about_document) {
        document_.head_groups.emplace_back(group);
    } else {
        document_.append_carried(group, current_format(), state().field);
    }
}

void Reader::text(std::string_view bytes) {
    const auto skipped =
        std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(bytes_to_skip_));
    bytes.remove_prefix(skipped);
    bytes_to_skip_ -= static_cast<int>(skipped);
    if (bytes.empty()) {
        return;
    }
    settle_surrogate();
    switch (state().destination) {
        case Destination::text:
            // A piece of text between control words, the most common, stays where it is.
            if (pending_.empty() && pending_input_.empty()) {
                pending_input_ = bytes;
            } else {
                keep_pending();
                pending_ += bytes;
            }
            break;
        case Destination::font_table:
            if (in_font_name()) {
                for (const char byte : bytes) {
                    tables_.add_font_name_text(byte);
                }
            } else if (bytes.contains(';')) {
                tables_.end_font();  // but a semicolon still ends the entry
            }
            break;
        case Destination::color_table:
            for (const char byte : bytes) {
                if (byte == ';') {
                    tables_.end_color();
                }
            }
            break;
        case Destination::skip:
            break;
    }
}

void Reader::control_word(const Token& token) {
    if (bytes_to_skip_ > 0) {
        --bytes_to_skip_;
        return;
    }
    if (token.word.action == Action::unicode) {
        if (token.has_parameter) {
            add_unicode(token.parameter);
        }
        return;
    }
    settle_surrogate();
    flush();
    apply(token);
}

void Reader::hex_byte(const Token& token) {
    if (bytes_to_skip_ > 0) {
        --bytes_to_skip_;
        return;
    }
    if (!token.valid) {
        return;
    }
    settle_surrogate();
    const auto byte = static_cast<char>(token.byte);
    if (state().destination == Destination::font_table) {
        if (in_font_name()) {
            tables_.add_font_name_byte(byte);
        }
    } else if (byte != '\r' && byte != '\n') {
        add_byte(byte);
    }
}

void Reader::control_symbol(char symbol) {
    settle_surrogate();
    switch (symbol) {
        case '\\':
        case '{':
        case '}':
            if (state().destination != Destination::font_table) {
                add_byte(symbol);
            } else if (in_font_name()) {
                tables_.add_font_name_byte(symbol);
            }
            return;
        default:
            break;
    }
    flush();
    switch (symbol) {
        case '~':
            add_code_point(0x00A0);
            break;
        case '-':
            add_code_point(0x00AD);
            break;
        case '_':
            add_code_point(0x2011);
            break;
        case '\t':
            add_code_point('\t');
            break;
        case '\r':
        case '\n':
            if (state().destination == Destination::text) {
                end_paragraph(state().table_depth);
            }
            break;
        default:
            break;
    }
}

void Reader::add_byte(char byte) {
    if (state().destination == Destination::text) {
        keep_pending();
        pending_ += byte;
    }
}

void Reader::keep_pending() {
    if (!pending_input_.empty()) {
        pending_ = pending_input_;
        pending_input_ = {};
    }
}

void Reader::add_code_point(char32_t code) {
    if (state().destination == Destination::font_table) {
        if (in_font_name()) {
            tables_.add_font_name_code_point(code);
        }
        return;
    }
    if (state().destination != Destination::text) {
        return;
    }
    if (code == 0x2029) {
        end_paragraph(state().table_depth);
        return;
    }
    if (code < 0x20 && code != '\t') {
        return;  // control characters are not text (line ends come as paragraphs)
    }
    utf8_.clear();
    append_utf8(utf8_, code);
    document_.append_text(utf8_, current_format(), state().field);
}

void Reader::add_unicode(int parameter) {
    flush();
    bytes_to_skip_ = state().unicode_skip;
    const auto code = static_cast<char32_t>(parameter < 0 ? parameter + 65536 : parameter);
    if (code > 0xFFFF) {
        settle_surrogate();
        add_code_point(0xFFFD);
    } else if (code >= 0xD800 && code <= 0xDBFF) {
        settle_surrogate();
        high_surrogate_ = code;
    } else if (code >= 0xDC00 && code <= 0xDFFF) {
        if (high_surrogate_ != 0) {
            add_code_point(0x10000 + ((high_surrogate_ - 0xD800) << 10) + (code - 0xDC00));
            high_surrogate_ = 0;
        } else {
            add_code_point(0xFFFD);
        }
    } else {
        settle_surrogate();
        add_code_point(code);
    }
}

// A high surrogate not followed at once by its low half stands for a character that is lost.
void Reader::settle_surrogate() {
    if (high_surrogate_ != 0) {
        high_surrogate_ = 0;
        add_code_point(0xFFFD);
    }
}

void Reader::flush() {
    const std::string_view pending = pending_input_.empty() ? pending_ : pending_input_;
    if (pending.empty()) {
        return;
    }
    // Printable ASCII is the same in every code page a document may have (see
    // is_ascii_compatible): most text goes in as it came.
    bool printable = true;  // a loop without an early end, which compilers vectorise
    for (const char c : pending) {
        printable &= static_cast<unsigned char>(c - 0x20) < 0x5F;
    }
    if (printable) {
        document_.append_text(pending, current_format(), state().field);
        pending_.clear();
        pending_input_ = {};
        return;
    }
    utf8_.clear();
    decoder_for_code_page(tables_.text_code_page(resolved_font())).append_utf8(utf8_, pending);
    pending_.clear();
    pending_input_ = {};
    // Control characters other than TAB are not text.
    std::erase_if(utf8_, [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
    if (!utf8_.empty()) {
        document_.append_text(utf8_, current_format(), state().field);
    }
}

void Reader::end_paragraph(int table_depth, TablePlace::End end) {
    flush();
    table_structure_.place(document_, table_depth, end);
    finish_paragraph();
}

void Reader::finish_paragraph() {
    take_paragraph_format();
    // A field's result ends with its paragraph: what follows is ordinary text, but for a
    // link's, which goes on as a link of its own in the next paragraph.
    const std::uint32_t field = state().field;
    std::optional<Run> link;
    if (field != 0) {
        link = link_instruction(field);
        end_field(field);
        const std::uint32_t continued = link ? ++fields_ : 0;
        for (GroupState& group : stack_) {
            if (group.field == field) {
                group.field = continued;
            }
        }
        if (link) {
            link->field = continued;
            continued_link_ = continued;
        }
    }
    document_.end_paragraph(current_format());
    if (link) {
        document_.append_carried(link->rtf, link->format, link->field);
    }
    if (sink_ != nullptr) {
        hand_over();
    }
}

// Paragraphs are handed over up to one outside tables, two paragraphs back from the one
// being read: what comes later changes no paragraph before it (a section's end marks the
// paragraph before the new one; a table's end or a row's looks back no further than the
// paragraph before it), and list labels are given at the end, so none goes once a list
// item came.
void Reader::hand_over() {
    // The first few go at once, so that their building begins while the reader reads on.
    const std::size_t batch = paragraphs_handed_ == 0 ? 8 : 64;
    std::vector<Paragraph>& paragraphs = document_.paragraphs();
    if (numbered_ || paragraphs.size() < paragraphs_handed_ + batch + 3) {
        return;
    }
    const std::size_t end = paragraphs.size() - 3;
    if (paragraphs[end].table.depth != 0) {
        return;
    }
    const auto first = paragraphs.begin() + static_cast<std::ptrdiff_t>(paragraphs_handed_);
    std::vector<Paragraph> handed(
        std::make_move_iterator(first),
        std::make_move_iterator(paragraphs.begin() + static_cast<std::ptrdiff_t>(end)));
    const std::vector<CharFormat>& formats = document_.formats();
    std::vector<CharFormat> added(formats.begin() + static_cast<std::ptrdiff_t>(formats_handed_),
                                  formats.end());
    paragraphs_handed_ = end;
    formats_handed_ = formats.size();
    sink_->take(std::move(handed), std::move(added));
}

std::optional<Run> Reader::link_instruction(std::uint32_t field) const {
    const std::vector<Run>& runs = document_.paragraphs().back().runs;
    const auto instruction = std::ranges::find_if(
        runs, [&](const Run& run) { return run.field == field && run.is_field_instruction(); });
    if (instruction == runs.end() ||
        hyperlink_target(field_instruction_text(instruction->rtf)).empty()) {
        return std::nullopt;
    }
    return *instruction;
}

// A section's definition is the words from \sectd on that the reader does not know (or
// knows as the page's); the first other token ends it. It goes with the paragraph being read.
void Reader::follow_section_definition(const Token& token) {
    if (section_start_ == std::string_view::npos ||
        (token.kind == TokenKind::control_word &&
         (token.word.action == Action::ignore || token.word.action == Action::page_setup ||
          token.word.action == Action::section_defaults))) {
        return;
    }
    const std::string_view definition = in_.substr(section_start_, token_start_ - section_start_);
    const std::size_t first = definition.find_first_not_of(" \r\n");
    const std::size_t last = definition.find_last_not_of(" \r\n");
    document_.paragraphs().back().section = first == std::string_view::npos
                                                ? std::string_view()
                                                : definition.substr(first, last - first + 1);
    section_start_ = std::string_view::npos;
}

// A table row's definition is the row words from \trowd on; the first other token ends it.
void Reader::follow_row_definition(const Token& token) {
    // Words the reader does not know go with the definition, so that one word of a writer's
    // own does not cut a row's cells off it.
    if (row_definition_start_ == std::string_view::npos ||
        (token.kind == TokenKind::control_word &&
         (is_row_definition_word(token.text) || token.word.action == Action::ignore ||
          token.word.action == Action::table_depth))) {
        return;
    }
    const std::string_view definition =
        in_.substr(row_definition_start_, token_start_ - row_definition_start_);
    const std::size_t first = definition.find_first_not_of(" \r\n");
    const std::size_t last = definition.find_last_not_of(" \r\n");
    row_definition_ = first == std::string_view::npos ? std::string_view()
                                                      : definition.substr(first, last - first + 1);
    row_definition_start_ = std::string_view::npos;
}

void Reader::take_paragraph_format() {
    ParagraphFormat& format = document_.paragraphs().back().format;
    format = state().paragraph;
    format.page_break_before = format.page_break_before || page_break_pending_;
    page_break_pending_ = false;
    numbered_ =
        numbered_ || format.list != no_list || format.numbering.kind != OldNumbering::Kind::none;
}

// Labels are given once the whole document is read, so that they are the same whatever the
// order of its tables and its text.
void Reader::number_list_items() {
    if (!numbered_) {
        return;
    }
    std::vector<Paragraph>& paragraphs = document_.paragraphs();
    for (Paragraph& paragraph : paragraphs) {
        ParagraphFormat& format = paragraph.format;
        // \ls0 where there is no list 0 is no list, as word processors read it.
        if (format.list == 0 && !lists_.has_override(0)) {
            format.list = no_list;
        }
        if (format.list != no_list) {
            paragraph.label = lists_.next_label(format.list, format.list_level);
        } else if (format.numbering.kind != OldNumbering::Kind::none) {
            paragraph.label = lists_.next_label(format.numbering, tables_);
        }
    }
    // The empty end of the last paragraph mark is no list item (word processors drop it).
    if (paragraphs.back().runs.empty()) {
        paragraphs.back().label.clear();
    }
}

void Reader::end_document() {
    settle_surrogate();
    flush();
    if (state().field != 0) {
        end_field(state().field);  // the input ended inside it
    }
    if (state().destination == Destination::text) {
        document_.paragraphs().back().mark_format = current_format();
        take_paragraph_format();
    }
    table_structure_.end_document(document_);
    number_list_items();
}

}  // namespace reading

RtfReadResult read_rtf(std::string_view rtf) {
    return reading::Reader(rtf).run();
}

RtfReadResult read_rtf(std::string_view rtf, ParagraphSink& sink) {
    return reading::Reader(rtf, &sink).run();
}

std::string footnote_text(std::string_view group) {
    std::string_view rest;
    for (const std::string_view start : {"{\\footnote", "{\\*\\footnote"}) {
        if (group.starts_with(start)) {
            rest = group.substr(start.size());
        }
    }
    if (rest.empty() || (!rest.empty() && std::isalpha(static_cast<unsigned char>(rest[0])))) {
        return {};
    }
    const Document note = read_rtf("{\\rtf1" + std::string(rest)).document;
    std::string text;
    for (const Paragraph& paragraph : note.paragraphs()) {
        for (const Run& run : paragraph.runs) {
            if (!run.carried()) {
                text += run.text;
            }
        }
        text += ' ';
    }
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace qlx::richtext
