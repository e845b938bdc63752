#include "model/document_writer.h"

namespace qlx::conversion {

DocumentWriter::DocumentWriter(DocumentSink& sink) : sink_(sink) {
    buffer_.reserve(buffer_room);
}

void DocumentWriter::begin_document(int number) {
    if (status_) {
        status_ = sink_.begin_document(number);
    }
    document_open_ = true;
    paragraph_marks_ = 0;
    flushed_bytes_ = 0;
}

void DocumentWriter::end_document() {
    if (!document_open_) {
        return;
    }
    flush();
    if (status_) {
        status_ = sink_.end_document();
    }
    document_open_ = false;
}

void DocumentWriter::flush() {
    const std::size_t size = buffer_.size();
    if (status_ && size != 0) {
        status_ = sink_.write_block(buffer_);
    }
    flushed_bytes_ += size;
    buffer_.clear();
    if (buffer_.capacity() < buffer_room) {
        buffer_.reserve(buffer_room);  // the sink took the block
    }
}

void write_section_opener(DocumentWriter& out, RtfLiteral heading) {
    out.line(rtfPar);
    out.line(rtfRedBold, rtfDashRule);
    out.line(heading);
}

}  // namespace qlx::conversion
