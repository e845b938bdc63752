#pragma once

#include <algorithm>
#include <cstddef>
#include <expected>
#include <string>
#include <string_view>

#include "model/diagnostics.h"
#include "model/rtf_vocabulary.h"

namespace qlx::conversion {

// Where converted documents go. Documents are numbered from 1 in export order; the bytes of
// one document arrive in order between its begin and end.
class DocumentSink {
public:
    virtual ~DocumentSink() = default;
    virtual std::expected<void, FileError> begin_document(int number) = 0;
    virtual std::expected<void, FileError> write(std::string_view bytes) = 0;
    virtual std::expected<void, FileError> end_document() = 0;
    // Writes a block the caller is done with. A sink that keeps the bytes may take the string
    // and leave another one in its place (empty, perhaps with room reserved), which saves
    // copying them; by default the block is written and left as it was.
    virtual std::expected<void, FileError> write_block(std::string& block) { return write(block); }
};

// Writes output lines into the current document: each line is its pieces one after another,
// then CR LF. RtfLiteral pieces are written as they stand; every other piece is export text
// and is escaped. Output is buffered and handed to the sink in large blocks. Lines written
// while no document is open are dropped and counted.
//
// The first sink failure is kept; from then on nothing more is written.
class DocumentWriter {
public:
    explicit DocumentWriter(DocumentSink& sink);

    void begin_document(int number);
    void end_document();
    bool document_open() const { return document_open_; }

    template <class... Pieces>
    void line(const Pieces&... pieces) {
        if (!document_open_) {
            ++dropped_lines_;
            return;
        }
        // Written in place, in room enough for every text piece escaped at each character.
        const std::size_t size = buffer_.size();
        buffer_.resize_and_overwrite(size + (room_for(pieces) + ... + 2),
                                     [&](char* data, std::size_t) {
                                         char* at = data + size;
                                         ((at = put(at, pieces)), ...);
                                         *at++ = '\r';
                                         *at++ = '\n';
                                         return static_cast<std::size_t>(at - data);
                                     });
        if (buffer_.size() >= flush_threshold) {
            flush();
        }
    }

    // Where the writer is in the current document: the paragraph that text written now falls
    // in (counted from 0, one per paragraph mark written) and the bytes written so far.
    std::size_t paragraph() const { return paragraph_marks_; }
    std::size_t document_bytes() const { return flushed_bytes_ + buffer_.size(); }

    std::size_t dropped_lines() const { return dropped_lines_; }
    const std::expected<void, FileError>& status() const { return status_; }

private:
    static constexpr std::size_t flush_threshold = 256 * 1024;
    static constexpr std::size_t buffer_room = flush_threshold + 64 * 1024;

    static std::size_t room_for(RtfLiteral literal) { return literal.text.size(); }
    static std::size_t room_for(std::string_view text) { return 2 * text.size(); }
    static std::size_t room_for(const std::string& text) { return 2 * text.size(); }
    static std::size_t room_for(const char* text) = delete;  // say RtfLiteral or export text
    char* put(char* at, RtfLiteral literal) {
        paragraph_marks_ += literal.paragraph_marks;
        return std::copy(literal.text.begin(), literal.text.end(), at);
    }
    static char* put(char* at, std::string_view text) { return write_escaped(at, text); }
    void flush();

    DocumentSink& sink_;
    std::string buffer_;
    bool document_open_ = false;
    std::size_t paragraph_marks_ = 0;
    std::size_t flushed_bytes_ = 0;
    std::size_t dropped_lines_ = 0;
    std::expected<void, FileError> status_;
};

// Three lines: rtfPar; rtfRedBold with rtfDashRule; the heading.
void write_section_opener(DocumentWriter& out, RtfLiteral heading);

}  // namespace qlx::conversion
