#include "model/document_writer.h"

namespace qlx::conversion {

DocumentWriter::DocumentWriter(DocumentSink& sink) : sink_(sink) {
    buffer_.reserve(flush_threshold + 64 * 1024);
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
    if (status_ && !buffer_.empty()) {
        status_ = sink_.write(buffer_);
    }
    flushed_bytes_ += buffer_.size();
    buffer_.clear();
}

void write_section_opener(DocumentWriter& out, RtfLiteral heading) {
    out.line(rtfPar);
    out.line(rtfRedBold, rtfDashRule);
    out.line(heading);
}

}  // namespace qlx::conversion
