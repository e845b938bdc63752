#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/diagnostics.h"

namespace qlx::conversion {

// The 19 characters that make a file an export.
inline constexpr std::string_view export_signature = "MEDITECH.CUST.RPTS^";

// True when the text begins with the export signature (case-sensitive, no byte-order mark).
bool is_export(std::string_view text);

// Text that is still being read: bytes arrive in order at the end of what came before and are
// never changed once they have arrived.
class ArrivingText {
public:
    struct Arrived {
        std::string_view text;  // every byte arrived so far, from the first
        bool whole = false;     // nothing more will arrive
    };
    virtual ~ArrivingText() = default;
    // Waits until more than `have` bytes have arrived or nothing more will, and returns what
    // has arrived by then. Views of earlier answers stay valid as long as this object does.
    virtual Arrived wait_beyond(std::size_t have) = 0;
    // The size the whole text is expected to have (for progress).
    virtual std::size_t expected_size() const = 0;
};

// Splits an export's text into lines. A text that holds any CR LF is split on CR LF alone
// (a lone CR or LF is an ordinary character); a text without CR LF is split on LF.
// The reader does not own the text: it must outlive the reader. Text that is still arriving is
// read as far as it has come; the reader waits for more only when a line runs past that.
class LineReader {
public:
    explicit LineReader(std::string_view text, DamageLog* damage = nullptr);
    explicit LineReader(ArrivingText& text, DamageLog* damage = nullptr);

    // Removes the next line from the front of the remaining text and returns it without
    // its line end. When no line is left, returns an empty line and records damage at the
    // line that claimed it (`claimed_by`).
    std::string_view take_next_line();

    bool at_end() { return position_ == text_.size() && !more(); }
    // Whether the text not taken yet begins with `prefix`.
    bool next_starts_with(std::string_view prefix);
    // Number of the line last taken (1-based); 0 before the first.
    std::size_t line_number() const { return line_number_; }
    // Characters consumed so far, for progress.
    std::size_t consumed() const { return position_; }

    // The line number recorded with a missing line: the key or node line now being handled.
    void set_claiming_line(std::size_t line) { claiming_line_ = line; }

    void record_damage(std::size_t line, std::string_view reason);

private:
    // Decides which line end the text uses, looking as far as it needs to.
    void choose_line_end();
    // Takes in what has arrived since; false when nothing more will.
    bool more() { return !whole_ && take_arrived(); }
    bool take_arrived();
    // Offset of the line end that ends the line starting at `from`, or npos.
    std::size_t find_line_end(std::size_t from);

    ArrivingText* arriving_ = nullptr;
    bool whole_ = true;
    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t line_number_ = 0;
    std::size_t claiming_line_ = 0;
    std::string_view line_end_;
    DamageLog* damage_;
};

// Removes the first counted string (a length character with code n, then n characters)
// from the front of `text` and returns its n characters. A string that runs past the end of
// the text yields the characters that are there, and so does an empty text (nothing);
// both are recorded as damage through `reader`, numbered with the line it took last.
std::string_view take_counted_string(std::string_view& text, LineReader& reader);

// The label that stands before header field i (1-based) in its entry: "Date      " for field
// 6; empty for the bare fields.
std::string_view header_label(std::size_t i);

// The header table: entry i (1-based) is the label of field i followed by the field's text.
// Entries 1 and 9 onwards are the bare field. `count()` is the number of fields.
class HeaderFields {
public:
    explicit HeaderFields(std::string_view header_line);

    std::size_t count() const { return entries_.size(); }
    // Entry i, 1 <= i <= count().
    const std::string& entry(std::size_t i) const { return entries_.at(i - 1); }

private:
    std::vector<std::string> entries_;
};

}  // namespace qlx::conversion
