#include "model/export_model.h"

#include <algorithm>
#include <utility>

#include "model/byte_search.h"

namespace qlx::conversion {

bool is_export(std::string_view text) {
    return text.starts_with(export_signature);
}

LineReader::LineReader(std::string_view text, DamageLog* damage) : text_(text), damage_(damage) {
    choose_line_end();
}

LineReader::LineReader(ArrivingText& text, DamageLog* damage)
    : arriving_(&text),
      whole_(false),
      capacity_(8 * std::max<std::size_t>(text.piece_size(), 1)),
      piece_(std::max<std::size_t>(text.piece_size(), 1)),
      damage_(damage) {
    buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
    text_ = std::string_view(buffer_.get(), 0);
    choose_line_end();
}

void LineReader::choose_line_end() {
    // The first CR LF decides, wherever it is: without one, the whole text is looked at.
    for (std::size_t from = 0;;) {
        if (text_.find("\r\n", from) != std::string_view::npos) {
            line_end_ = "\r\n";
            return;
        }
        from = text_.empty() ? 0 : text_.size() - 1;
        if (!more()) {
            break;
        }
    }
    line_end_ = "\n";
    if (text_.find('\n') != std::string_view::npos) {
        record_damage(1, "lines end in LF, not CR LF; split on LF");
    }
}

bool LineReader::take_arrived() {
    if (text_.size() == capacity_) {
        // Full of lines in use (or of one long line): what is in use moves to a larger buffer,
        // and this one is kept until they are let go.
        const std::size_t kept = text_.size() - in_use_;
        const std::size_t capacity = std::max(capacity_, 2 * kept + piece_);
        auto larger = std::make_unique_for_overwrite<char[]>(capacity);
        std::copy(text_.begin() + static_cast<std::ptrdiff_t>(in_use_), text_.end(), larger.get());
        retired_.push_back(std::exchange(buffer_, std::move(larger)));
        capacity_ = capacity;
        start_ += in_use_;
        position_ -= in_use_;
        in_use_ = 0;
        text_ = std::string_view(buffer_.get(), kept);
    }
    const std::size_t room = std::min(capacity_ - text_.size(), piece_);
    const std::size_t got = arriving_->read(buffer_.get() + text_.size(), room);
    if (got == 0) {
        whole_ = true;
        return false;
    }
    text_ = std::string_view(buffer_.get(), text_.size() + got);
    return true;
}

void LineReader::make_room() {
    retired_.clear();
    if (capacity_ - text_.size() < piece_) {
        const std::size_t rest = text_.size() - position_;
        std::copy(text_.begin() + static_cast<std::ptrdiff_t>(position_), text_.end(),
                  buffer_.get());
        start_ += position_;
        position_ = 0;
        in_use_ = 0;
        text_ = std::string_view(buffer_.get(), rest);
    }
}

bool LineReader::next_starts_with(std::string_view prefix) {
    while (text_.size() - position_ < prefix.size() && more()) {
    }
    return text_.substr(position_).starts_with(prefix);
}

std::string_view LineReader::take_next_line() {
    if (at_end()) {
        record_damage(claiming_line_, "a line it needs is missing at the end of the file");
        return {};
    }
    ++line_number_;
    const std::size_t end = find_line_end();
    std::string_view line;
    if (end == std::string_view::npos) {
        line = text_.substr(position_);
        position_ = text_.size();
        record_damage(line_number_, "the last line has no line end");
    } else {
        line = text_.substr(position_, end - position_);
        position_ = end + line_end_.size();
    }
    return line;
}

std::size_t LineReader::find_line_end() {
    // Look for the LF and then at the character before it: LF is rarer in export text than CR.
    // Counted from position_, which moves when more text comes into a new buffer.
    const bool crlf = line_end_.size() == 2;
    for (std::size_t searched = 0;;) {
        for (std::size_t at = position_ + searched;
             (at = find_first_of_bytes<'\n'>(text_, at)) < text_.size(); ++at) {
            if (!crlf) {
                return at;
            }
            if (at > position_ && text_[at - 1] == '\r') {
                return at - 1;
            }
        }
        searched = text_.size() - position_;
        if (!more()) {
            return std::string_view::npos;
        }
    }
}

void LineReader::record_damage(std::size_t line, std::string_view reason) {
    if (damage_ != nullptr) {
        damage_->record(line, reason);
    }
}

std::string_view take_counted_string(std::string_view& text, LineReader& reader) {
    if (text.empty()) {
        reader.record_damage(reader.line_number(), "a counted string is missing");
        return {};
    }
    const std::size_t length = static_cast<unsigned char>(text.front());
    text.remove_prefix(1);
    if (length > text.size()) {
        reader.record_damage(reader.line_number(),
                             "a counted string runs past the end of its line");
    }
    const std::string_view value = text.substr(0, std::min(length, text.size()));
    text.remove_prefix(value.size());
    return value;
}

namespace {

// Labels of header fields 1 to 8; fields beyond are bare.
constexpr std::string_view header_labels[] = {
    "",           "Hospital  ", "MIS       ", "Directory ",
    "User      ", "Date      ", "Segment   ", "Comment   ",
};

}  // namespace

std::string_view header_label(std::size_t i) {
    return i >= 1 && i <= std::size(header_labels) ? header_labels[i - 1] : std::string_view();
}

HeaderFields::HeaderFields(std::string_view header_line) {
    auto append_field = [this](std::string_view field) {
        std::string entry(header_label(entries_.size() + 1));
        entry += field;
        entries_.push_back(std::move(entry));
    };
    for (std::size_t caret; (caret = header_line.find('^')) != std::string_view::npos;) {
        append_field(header_line.substr(0, caret));
        header_line.remove_prefix(caret + 1);
    }
    append_field(header_line);
}

}  // namespace qlx::conversion
