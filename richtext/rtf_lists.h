#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "richtext/document.h"

namespace qlx::richtext {

class RtfTables;

// The numbering of RTF lists: the list table and its overrides (\listtable,
// \listoverridetable; paragraphs name an override with \lsN and a level with \ilvlN), and the
// old paragraph numbering (\pn), counted across the paragraphs in their order.
class RtfLists {
public:
    // Reads the groups as the reader carried them; `tables` decode bullets in their fonts.
    void read_list_table(std::string_view group, const RtfTables& tables);
    void read_override_table(std::string_view group);

    // The label of the next paragraph of override `list` at `level`, counting it; empty
    // when no such list is defined.
    std::string next_label(int list, int level);
    // Whether the override table defines override `list`.
    bool has_override(int list) const { return overrides_.contains(list); }
    // The label of the next paragraph numbered the old way, counting it.
    std::string next_label(const OldNumbering& numbering, const RtfTables& tables);

private:
    struct Level {
        int format = 0;       // \levelnfcN: 0 decimal, 1-4 roman and letters, 23 bullet, 255 none
        int start = 1;        // \levelstartatN
        std::u32string text;  // \leveltext; code points 0 to 8 stand for levels' numbers
    };
    struct List {
        std::array<Level, 9> levels;
    };
    struct Counter {
        std::array<int, 9> values{};
        std::array<bool, 9> started{};
    };

    // An override's changes to a level of its list (\lfolevel): a start and a format.
    struct LevelOverride {
        std::optional<int> start;   // \listoverridestartat with \levelstartatN
        std::optional<int> format;  // \listoverrideformat with \levelnfcN
    };
    struct Override {
        int list_id = 0;
        std::array<LevelOverride, 9> levels;
    };

    std::map<int, List> lists_;          // by \listidN
    std::map<int, Override> overrides_;  // by \lsN
    std::map<int, Counter> counters_;    // by \lsN
    int old_counter_ = 0;
    OldNumbering old_last_;
};

// Reads the properties of an old paragraph numbering group ("{\*\pn ...}").
OldNumbering read_old_numbering(std::string_view group);

// A number as a list shows it in format `format` (\levelnfc or \pn kind).
std::string format_list_number(int number, int format);

}  // namespace qlx::richtext
