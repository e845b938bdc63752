// What the control words of RTF set: character, paragraph and table properties, the font
// and colour tables, and the formats the properties of a group resolve to.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "richtext/rtf_control_words.h"
#include "richtext/rtf_reader_state.h"

namespace qlx::richtext::reading {

void Reader::apply(const Token& token) {
    if (token.word.action == Action::unicode_destination && state().version && starts_group_) {
        state().destination = stack_[stack_.size() - 2].destination;  // \upr's Unicode text
        state().version = false;
        return;
    }
    switch (state().destination) {
        case Destination::text:
            apply_to_text(token);
            break;
        case Destination::font_table:
            apply_to_font_table(token);
            break;
        case Destination::color_table:
            apply_to_color_table(token);
            break;
        case Destination::skip:
            break;
    }
}

void Reader::apply_to_text(const Token& token) {
    GroupState& s = state();
    const int parameter = token.parameter;
    const bool on = !token.has_parameter || parameter != 0;
    switch (token.word.action) {
        case Action::ansi_code_page:
            // The document's code page is part of its head: once text has come, it stays.
            // A page that does not read ASCII as ASCII cannot be what RTF is written in.
            if (const int code_page =
                    token.word.value != 0 ? static_cast<int>(token.word.value) : parameter;
                document_.paragraphs().size() == 1 && document_.paragraphs().front().runs.empty() &&
                is_ascii_compatible(code_page)) {
                tables_.set_ansi_code_page(code_page);
            }
            return;
        case Action::default_tab:
            if (parameter > 0) {
                document_.set_default_tab_twips(std::min(parameter, max_tab_twips));
            }
            return;
        case Action::default_font:
            default_font_ = parameter;
            default_font_named_ = true;
            forget_formats();
            return;
        case Action::font_table:
            s.destination = Destination::font_table;
            tables_.end_font();
            return;
        case Action::color_table:
            s.destination = Destination::color_table;
            tables_.begin_color_table();
            return;
        case Action::skip_destination:
            skip_group();
            return;
        case Action::field:
            // A field inside a field's result is part of that result.
            if (s.field == 0) {
                s.field = ++fields_;
            }
            return;
        case Action::footnote_number:
            // The number of the footnote that follows, shown; written back as the word.
            document_.append_carried("{\\chftn}", current_format(), s.field,
                                     std::to_string(footnotes_ + 1));
            return;
        case Action::upr:
            s.two_versions = true;
            return;
        case Action::page_setup:
            if (section_start_ != std::string_view::npos) {
                return;  // the section's, kept with it
            }
            document_.page_setup += '\\';
            document_.page_setup += token.text;
            if (token.has_parameter) {
                document_.page_setup += std::to_string(parameter);
            }
            return;
        case Action::section_defaults:
            if (section_start_ == std::string_view::npos) {
                section_start_ = token_start_;
            }
            return;
        case Action::paragraph:
            if (token.word.value == 3) {
                end_paragraph(s.table_depth);
                std::vector<Paragraph>& paragraphs = document_.paragraphs();
                Paragraph& ended = paragraphs[paragraphs.size() - 2];
                ended.ends_section = ended.table.depth == 0;
                return;
            }
            if (token.word.value == 2) {
                // A page break ends the paragraph it is in, if any text came, and the next
                // paragraph starts the page.
                if (!document_.paragraphs().back().runs.empty()) {
                    end_paragraph(s.table_depth);
                }
                page_break_pending_ = true;
                return;
            }
            end_paragraph(s.table_depth);
            return;
        case Action::cell:
            end_paragraph(token.word.value == 1 ? std::max(s.table_depth, 2) : 1,
                          TablePlace::End::cell);
            return;
        case Action::row: {
            flush();
            const bool nested = token.word.value == 1;
            if (table_structure_.end_row(document_, nested ? std::max(s.table_depth, 2) : 1,
                                         nested ? std::string_view() : row_definition_)) {
                finish_paragraph();
            }
            return;
        }
        case Action::row_defaults:
            if (!s.nested_row && s.destination == Destination::text) {
                row_definition_start_ = token_start_;
            }
            return;
        case Action::in_table:
            s.table_depth = std::max(s.table_depth, 1);
            return;
        case Action::table_depth:
            s.table_depth = std::clamp(parameter, 0, max_table_depth);
            return;
        case Action::nested_table_properties:
            s.nested_row = true;
            row_definition_start_ = std::string_view::npos;
            return;
        case Action::character:
            add_code_point(token.word.value);
            return;
        case Action::unicode_skip:
            s.unicode_skip = std::max(parameter, 0);
            return;
        default:
            break;
    }
    if (apply_to_paragraph(token)) {
        return;
    }
    switch (token.word.action) {
        case Action::plain:
            s.reset_characters();
            break;
        case Action::font:
            s.font = parameter;
            if (s.script == 2) {
                s.east_asian_font = parameter;  // \dbch\fN: East Asian text's font too
            }
            break;
        case Action::script:
            s.script = static_cast<int>(token.word.value);
            return;
        case Action::associated_font:
            // After \loch, \hich or \ltrch the font of Western text, as word processors read
            // it; after \dbch East Asian text's.
            if (s.script == 0 || s.script == 1 || s.script == 4) {
                s.font = parameter;
            } else if (s.script == 2) {
                s.east_asian_font = parameter;
            } else {
                return;
            }
            break;
        case Action::font_size:
            s.half_points =
                parameter > 0 ? std::min(parameter, max_half_points) : default_half_points;
            s.size_given = parameter > 0;
            break;
        case Action::character_style:
            s.character_style = std::max(parameter, 0);
            break;
        case Action::color:
            s.color = parameter;
            break;
        case Action::highlight:
            s.highlight = parameter > 0 ? parameter : -1;
            break;
        case Action::bold:
        case Action::italic:
            // \ab and \ai make Western and East Asian text bold or italic, as \b and \i do,
            // unless \hich or \rtlch chose the script last (word processors read them so).
            if (token.word.value == 1 && (s.script == 1 || s.script == 3)) {
                return;
            }
            (token.word.action == Action::bold ? s.bold : s.italic) = on;
            break;
        case Action::underline:
            s.underline = token.word.value != 0 && on;
            s.underline_kind = s.underline ? static_cast<std::uint8_t>(token.word.value - 1) : 0;
            break;
        case Action::strike_out:
            s.strike_out = on;
            break;
        case Action::hidden:
            s.hidden = on;
            break;
        case Action::vertical_position:
            s.position = static_cast<VerticalPosition>(token.word.value);
            break;
        case Action::raise: {
            const int amount = std::clamp(token.has_parameter ? parameter : 6, 0, max_half_points);
            s.raise_half_points = token.word.value == 1 ? amount : -amount;
            break;
        }
        default:
            return;
    }
    s.format = unresolved;
}

bool Reader::apply_to_paragraph(const Token& token) {
    ParagraphFormat& p = state().paragraph;
    // Distances beyond the widest page are no distances a page shows.
    const int twips = std::clamp(token.parameter, -max_tab_twips, max_tab_twips);
    switch (token.word.action) {
        case Action::paragraph_defaults:
            p = ParagraphFormat{};
            state().table_depth = 0;
            break;
        case Action::alignment:
            p.alignment = static_cast<Alignment>(token.word.value);
            break;
        case Action::left_indent:
            p.left_indent = twips;
            break;
        case Action::right_indent:
            p.right_indent = twips;
            break;
        case Action::first_line_indent:
            p.first_line_indent = twips;
            break;
        case Action::space_before:
            p.space_before = std::max(twips, 0);
            break;
        case Action::space_after:
            p.space_after = std::max(twips, 0);
            break;
        case Action::line_spacing:
            // \sl1000 is what Word writes for "single", as \sl0 is.
            p.line_spacing = token.parameter == 1000 ? 0 : twips;
            break;
        case Action::line_spacing_multiple:
            p.line_spacing_multiple = !token.has_parameter || token.parameter != 0;
            break;
        case Action::page_break_before:
            p.page_break_before = !token.has_parameter || token.parameter != 0;
            break;
        case Action::style:
            p.style = std::max(token.parameter, 0);
            break;
        case Action::list:
            // \ls0 stays 0 until the end of the reading shows whether there is a list 0.
            p.list = token.parameter >= 0 ? token.parameter : no_list;
            break;
        case Action::list_level:
            p.list_level = std::clamp(token.parameter, 0, 8);
            break;
        default:
            return false;
    }
    return true;
}

void Reader::apply_to_font_table(const Token& token) {
    switch (token.word.action) {
        case Action::font:
            tables_.begin_font(token.parameter);
            font_entry_start_ = token_start_;
            font_entry_depth_ = stack_.size();
            break;
        case Action::font_charset:
            tables_.set_font_charset(token.parameter);
            break;
        case Action::font_code_page:
            tables_.set_font_code_page(token.parameter);
            break;
        case Action::skip_destination:
            state().destination = Destination::skip;
            break;
        case Action::ignore: {
            // The entry's family, pitch and other words are kept with it as they were (those
            // in a group inside it go with the group).
            if (!in_font_name()) {
                break;
            }
            std::string word = "\\" + std::string(token.text);
            if (token.has_parameter) {
                word += std::to_string(token.parameter);
            }
            tables_.add_font_property(word);
            break;
        }
        default:
            break;
    }
}

void Reader::apply_to_color_table(const Token& token) {
    using Component = RtfTables::Component;
    switch (token.word.action) {
        case Action::red:
            tables_.set_color_component(Component::red, token.parameter);
            break;
        case Action::green:
            tables_.set_color_component(Component::green, token.parameter);
            break;
        case Action::blue:
            tables_.set_color_component(Component::blue, token.parameter);
            break;
        default:
            break;
    }
}

std::size_t Reader::current_format() {
    GroupState& s = state();
    if (s.format != unresolved && s.format_tables == tables_generation_) {
        return s.format;
    }
    const CharacterKey key{resolved_font(),  s.east_asian_font, s.half_points, s.color,
                           s.highlight,      s.character_style, s.raise_half_points,
                           s.size_given,     s.bold,            s.italic,
                           s.underline,      s.underline_kind,  s.strike_out,
                           s.hidden,         s.position,        tables_generation_};
    for (const auto& [resolved_key, resolved] : resolved_) {
        if (resolved_key == key && resolved != unresolved) {
            s.format = resolved;
            s.format_tables = tables_generation_;
            return resolved;
        }
    }
    CharFormat format;
    format.font_family = tables_.font_family(resolved_font());
    // Text in a font without a name is in the reader's default font, whatever the entry's
    // character set: the font's bytes are decoded, and the character set tells apart nothing.
    if (!format.font_family.empty()) {
        format.font_charset = tables_.font_charset(resolved_font());
    }
    if (s.east_asian_font >= 0) {
        format.east_asian_family = tables_.font_family(s.east_asian_font);
    }
    format.half_points = s.half_points;
    format.size_given = s.size_given;
    format.color = tables_.color(s.color);
    format.default_color_named = s.color >= 0 && !format.color;
    format.character_style = s.character_style;
    format.highlight = tables_.color(s.highlight);
    format.bold = s.bold;
    format.italic = s.italic;
    format.underline = s.underline;
    format.underline_kind = s.underline_kind;
    format.strike_out = s.strike_out;
    format.position = s.position;
    format.raise_half_points = s.raise_half_points;
    format.hidden = s.hidden;
    s.format = document_.intern(format);
    s.format_tables = tables_generation_;
    resolved_[next_resolved_] = {key, s.format};
    next_resolved_ = (next_resolved_ + 1) % resolved_.size();
    return s.format;
}

// Tables read after text change what the formats of open groups resolve to.
void Reader::forget_formats() {
    ++tables_generation_;
}

int Reader::resolved_font() const {
    const int font = stack_.back().font;
    return font < 0 ? default_font_ : font;
}

void Reader::leave_table(Destination table) {
    if (table == Destination::font_table) {
        tables_.end_font();
        forget_formats();
    } else if (table == Destination::color_table) {
        tables_.end_color_table();
        forget_formats();
    }
}

}  // namespace qlx::richtext::reading
