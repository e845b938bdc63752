#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/diagnostics.h"

namespace qlx::conversion {

// The 19 characters that make a file an export.
inline constexpr std::string_view export_signature = "MEDITECH.CUST.RPTS^";

// True when the text begins with the export signature (case-sensitive, no byte-order mark).
bool is_export(std::string_view text);

// Text that is still being read (an export file): each call hands over the bytes that come
// next, in order.
class ArrivingText {
public:
    virtual ~ArrivingText() = default;
    // Copies the next bytes into [data, data + room), room > 0, waiting until there are some;
    // returns how many, 0 once nothing more will come.
    virtual std::size_t read(char* data, std::size_t room) = 0;
    // The size the whole text is expected to have (for progress).
    virtual std::size_t expected_size() const = 0;
    // How many bytes one call is best asked for.
    virtual std::size_t piece_size() const { return 256 * 1024; }
};

// Splits an export's text into lines. A text that holds any CR LF is split on CR LF alone
// (a lone CR or LF is an ordinary character); a text without CR LF is split on LF.
// The reader does not own a whole text: it must outlive the reader. Text that is still
// arriving is read a piece at a time, when a line runs past what has come, into a buffer of
// the reader's that holds only the lines still in use (see let_go_of_taken).
class LineReader {
public:
    explicit LineReader(std::string_view text, DamageLog* damage = nullptr);
    explicit LineReader(ArrivingText& text, DamageLog* damage = nullptr);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

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
    std::size_t consumed() const { return start_ + position_; }
    // Says that the lines taken so far are no longer used: for text still arriving, the
    // views of them end at the next line taken, and their room is used again. Views of a whole
    // text stay valid.
    void let_go_of_taken() {
        if (arriving_ != nullptr) {
            in_use_ = position_;
            if (!retired_.empty() || capacity_ - text_.size() < piece_) {
                make_room();
            }
        }
    }

    // The line number recorded with a missing line: the key or node line now being handled.
    void set_claiming_line(std::size_t line) { claiming_line_ = line; }

    void record_damage(std::size_t line, std::string_view reason);

private:
    // Decides which line end the text uses, looking as far as it needs to.
    void choose_line_end();
    // Takes in the next piece of arriving text; false when nothing more will come.
    bool more() { return !whole_ && take_arrived(); }
    bool take_arrived();
    // Frees the buffers given up, and moves what is not taken yet to the front of the buffer
    // when the next piece would not fit after it.
    void make_room();
    // Offset of the line end that ends the line starting at position_, or npos.
    std::size_t find_line_end();

    ArrivingText* arriving_ = nullptr;
    bool whole_ = true;
    // The text held: the whole text, or the part of an arriving one in buffer_.
    std::string_view text_;
    std::size_t position_ = 0;  // in text_: where the next line begins
    std::size_t start_ = 0;     // where text_ begins in the whole text
    // For arriving text: text_ is the start of buffer_, whose lines from in_use_ on may be
    // viewed still. A buffer given up while views into it may be in use is kept in retired_
    // until they are let go.
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t piece_ = 0;
    std::size_t in_use_ = 0;
    std::vector<std::unique_ptr<char[]>> retired_;
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
