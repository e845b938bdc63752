#include "richtext/rtf_lists.h"

#include <algorithm>
#include <vector>

#include "richtext/code_page.h"
#include "richtext/rtf_lexer.h"
#include "richtext/rtf_tables.h"
#include "richtext/utf8.h"
#include "richtext/windows1252.h"

namespace qlx::richtext {

namespace {

constexpr int max_level = 8;
constexpr int bullet_format = 23;  // \levelnfc23
constexpr std::size_t max_lists = 10'000;

// Bullets drawn from symbol fonts, as the characters they look like.
char32_t symbol_bullet(unsigned char code) {
    switch (code) {
        case 0xB7:
            return 0x2022;  // Symbol: bullet
        case 0xA7:
            return 0x25AA;  // Wingdings: small square
        case 0xD8:
            return 0x27A2;  // Wingdings: arrowhead
        case 0x76:
            return 0x2756;  // Wingdings: diamond of four
        case 0xFC:
            return 0x2714;  // Wingdings: check mark
        case 0x6E:
            return 0x25A0;  // Wingdings: black square
        default:
            return code;
    }
}

// The character of a byte in a font: a symbol font's bullet, or the font's code page's.
char32_t decode_byte(unsigned char byte, int font, const RtfTables& tables) {
    if (tables.is_symbol_font(font, {})) {
        return symbol_bullet(byte);
    }
    std::string utf8;
    const char c = static_cast<char>(byte);
    decoder_for_code_page(tables.text_code_page(font)).append_utf8(utf8, std::string_view(&c, 1));
    std::size_t pos = 0;
    return utf8.empty() ? U'\uFFFD' : next_code_point(utf8, pos);
}

// A private-use character of a symbol font (U+F020 to U+F0FF, as \uN writes them) as the
// bullet it looks like.
char32_t unicode_bullet(char32_t code) {
    return code >= 0xF020 && code <= 0xF0FF
               ? symbol_bullet(static_cast<unsigned char>(code - 0xF000))
               : code;
}

std::string roman(int number, bool upper) {
    static constexpr std::pair<int, const char*> numerals[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    std::string out;
    number = std::clamp(number, 1, 3999);
    for (const auto& [value, letters] : numerals) {
        while (number >= value) {
            out += letters;
            number -= value;
        }
    }
    if (upper) {
        std::ranges::transform(out, out.begin(), [](char c) { return static_cast<char>(c - 32); });
    }
    return out;
}

std::string letters(int number, bool upper) {
    // 1 a, 26 z, 27 aa, 28 bb: as word processors count.
    number = std::max(number, 1);
    const char letter = static_cast<char>((upper ? 'A' : 'a') + (number - 1) % 26);
    return std::string(static_cast<std::size_t>(std::min((number - 1) / 26 + 1, 50)), letter);
}

}  // namespace

std::string format_list_number(int number, int format) {
    switch (format) {
        case 1:
            return roman(number, true);
        case 2:
            return roman(number, false);
        case 3:
            return letters(number, true);
        case 4:
            return letters(number, false);
        case 5: {
            const int last = number % 10;
            const int tens = number % 100;
            const char* suffix = (tens >= 11 && tens <= 13) ? "th"
                                 : last == 1                ? "st"
                                 : last == 2                ? "nd"
                                 : last == 3                ? "rd"
                                                            : "th";
            return std::to_string(number) + suffix;
        }
        case 22:
            return (number < 10 ? "0" : "") + std::to_string(number);
        case 23:
        case 255:
            return {};
        default:
            return std::to_string(number);
    }
}

void RtfLists::read_list_table(std::string_view group, const RtfTables& tables) {
    int list_depth = -1;
    int level_depth = -1;
    int text_depth = -1;
    List list;
    int level = -1;
    int level_font = -1;
    std::vector<char32_t> text;
    int skip = 0;          // fallback bytes still to skip after \uN
    int unicode_skip = 1;  // \ucN
    const auto level_ref = [&]() -> Level* {
        return level >= 0 && level <= max_level ? &list.levels[static_cast<std::size_t>(level)]
                                                : nullptr;
    };
    const auto add_byte = [&](unsigned char byte) {
        if (skip > 0) {
            --skip;
        } else if (text.empty() || byte <= max_level) {
            text.push_back(byte);  // the length, or a level's number
        } else {
            text.push_back(decode_byte(byte, level_font, tables));
        }
    };
    for_each_token(group, [&](const Token& token, int depth) {
        switch (token.kind) {
            case TokenKind::group_close:
                skip = 0;
                if (depth == text_depth) {
                    text_depth = -1;
                    if (Level* l = level_ref(); l != nullptr && !text.empty()) {
                        // The first character is the length of what follows.
                        const std::size_t length = std::min<std::size_t>(text[0], text.size() - 1);
                        l->text.assign(text.begin() + 1,
                                       text.begin() + 1 + static_cast<std::ptrdiff_t>(length));
                    }
                }
                level_depth = depth == level_depth ? -1 : level_depth;
                list_depth = depth == list_depth ? -1 : list_depth;
                break;
            case TokenKind::text:
                if (depth == text_depth) {
                    for (const char c : token.text) {
                        if (c != ';') {
                            add_byte(static_cast<unsigned char>(c));
                        }
                    }
                }
                break;
            case TokenKind::hex_byte:
                if (depth == text_depth && token.valid) {
                    add_byte(token.byte);
                }
                break;
            case TokenKind::control_word: {
                const std::string_view word = token.text;
                const int value = token.parameter;
                if (word == "list" && lists_.size() < max_lists) {
                    list = List{};
                    list_depth = depth;
                    level = -1;
                } else if (word == "listlevel" && list_depth >= 0) {
                    ++level;
                    level_depth = depth;
                    level_font = -1;
                } else if ((word == "levelnfc" || word == "levelnfcn") && level_depth >= 0) {
                    if (Level* l = level_ref()) {
                        l->format = value;
                    }
                } else if (word == "levelstartat" && level_depth >= 0) {
                    if (Level* l = level_ref()) {
                        l->start = value;
                    }
                } else if (word == "leveltext" && level_depth >= 0) {
                    text_depth = depth;
                    text.clear();
                } else if (word == "f" && level_depth >= 0) {
                    level_font = value;
                } else if (word == "uc") {
                    unicode_skip = std::max(value, 0);
                } else if (word == "u" && depth == text_depth) {
                    text.push_back(
                        unicode_bullet(static_cast<char32_t>(value < 0 ? value + 65536 : value)));
                    skip = unicode_skip;
                } else if (word == "listid" && list_depth >= 0 && depth == list_depth) {
                    lists_[value] = list;
                }
                break;
            }
            default:
                break;
        }
    });
}

void RtfLists::read_override_table(std::string_view group) {
    Override current;
    int level = -1;
    int level_depth = -1;
    bool start_at = false;
    bool format = false;
    LevelOverride found;
    for_each_token(group, [&](const Token& token, int depth) {
        if (token.kind == TokenKind::group_close && depth == level_depth) {
            if (level >= 0 && level <= max_level) {
                current.levels[static_cast<std::size_t>(level)] = {
                    start_at ? found.start : std::nullopt, format ? found.format : std::nullopt};
            }
            level_depth = -1;
        }
        if (token.kind != TokenKind::control_word) {
            return;
        }
        const std::string_view word = token.text;
        if (word == "listoverride") {
            current = Override{};
            level = -1;
        } else if (word == "listid") {
            current.list_id = token.parameter;
        } else if (word == "lfolevel") {
            ++level;
            level_depth = depth;
            start_at = format = false;
            found = {};
        } else if (word == "listoverridestartat" && level_depth >= 0) {
            start_at = true;
        } else if (word == "listoverrideformat" && level_depth >= 0) {
            format = true;
        } else if (word == "levelstartat" && level_depth >= 0) {
            found.start = token.parameter;
        } else if ((word == "levelnfc" || word == "levelnfcn") && level_depth >= 0) {
            found.format = token.parameter;
        } else if (word == "ls" && overrides_.size() < max_lists) {
            overrides_[token.parameter] = current;
        }
    });
}

std::string RtfLists::next_label(int list, int level) {
    const auto override_ = overrides_.find(list);
    if (override_ == overrides_.end()) {
        return {};
    }
    const auto definition = lists_.find(override_->second.list_id);
    if (definition == lists_.end()) {
        return {};
    }
    // The list's levels as the override changes them.
    std::array<Level, 9> levels = definition->second.levels;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const LevelOverride& changed = override_->second.levels[i];
        levels[i].start = changed.start.value_or(levels[i].start);
        levels[i].format = changed.format.value_or(levels[i].format);
    }
    level = std::clamp(level, 0, max_level);
    Counter& counter = counters_[list];
    for (int deeper = level + 1; deeper <= max_level; ++deeper) {
        counter.started[static_cast<std::size_t>(deeper)] = false;
    }
    const auto index = static_cast<std::size_t>(level);
    const Level& item = levels[index];
    counter.values[index] = counter.started[index] ? counter.values[index] + 1 : item.start;
    counter.started[index] = true;
    std::string label;
    for (const char32_t code : item.text) {
        if (code <= static_cast<char32_t>(max_level) && item.format == bullet_format) {
            continue;  // a bullet shows no number, whatever its text names
        }
        if (code <= static_cast<char32_t>(max_level)) {
            const Level& named = levels[code];
            const int number = counter.started[code] ? counter.values[code] : named.start;
            label += format_list_number(number, named.format);
        } else {
            append_utf8(label, code);
        }
    }
    return label;
}

std::string RtfLists::next_label(const OldNumbering& numbering, const RtfTables& tables) {
    if (numbering.kind == OldNumbering::Kind::continued) {
        return {};  // neither numbered nor counted
    }
    old_counter_ = numbering == old_last_ ? old_counter_ + 1 : numbering.start;
    old_last_ = numbering;
    std::string label;
    const auto add_text = [&](const std::string& bytes) {
        for (const char c : bytes) {
            append_utf8(label, decode_byte(static_cast<unsigned char>(c), numbering.font, tables));
        }
    };
    add_text(numbering.before);
    static constexpr int formats[] = {255, 23, 0, 1, 2, 3, 4, 255};
    label += format_list_number(old_counter_, formats[static_cast<int>(numbering.kind)]);
    add_text(numbering.after);
    return label;
}

OldNumbering read_old_numbering(std::string_view group) {
    using Kind = OldNumbering::Kind;
    static constexpr std::pair<std::string_view, Kind> kinds[] = {
        {"pnlvlblt", Kind::bullet},      {"pndec", Kind::decimal},
        {"pnucrm", Kind::upper_roman},   {"pnlcrm", Kind::lower_roman},
        {"pnucltr", Kind::upper_letter}, {"pnlcltr", Kind::lower_letter},
        {"pnlvlcont", Kind::continued}};
    OldNumbering numbering;
    numbering.kind = Kind::decimal;
    int text_depth = -1;
    std::string* text = nullptr;
    for_each_token(group, [&](const Token& token, int depth) {
        if (token.kind == TokenKind::group_close && depth == text_depth) {
            text = nullptr;
        } else if (token.kind == TokenKind::text && text != nullptr) {
            *text += token.text;
        } else if (token.kind == TokenKind::hex_byte && text != nullptr && token.valid) {
            *text += static_cast<char>(token.byte);
        } else if (token.kind == TokenKind::control_word) {
            const std::string_view word = token.text;
            // A paragraph that continues a list stays one whatever kind the group names.
            for (const auto& [name, kind] : kinds) {
                if (word == name && numbering.kind != Kind::continued) {
                    numbering.kind = kind;
                }
            }
            if (word == "pnstart") {
                numbering.start = token.parameter;
            } else if (word == "pnf") {
                numbering.font = token.parameter;
            } else if (word == "pnindent") {
                numbering.indent = token.parameter;
            } else if (word == "pntxtb" || word == "pntxta") {
                text = word == "pntxtb" ? &numbering.before : &numbering.after;
                text_depth = depth;
            }
        }
    });
    return numbering;
}

}  // namespace qlx::richtext
