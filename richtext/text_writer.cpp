#include "richtext/text_writer.h"

namespace qlx::richtext {

namespace {

constexpr std::string_view line_separator = "\xE2\x80\xA8";  // U+2028 in UTF-8

void append_lines(std::string& out, std::string_view text, std::string_view line_end) {
    for (std::size_t at = text.find(line_separator); at != std::string_view::npos;
         at = text.find(line_separator)) {
        out += text.substr(0, at);
        out += line_end;
        text.remove_prefix(at + line_separator.size());
    }
    out += text;
}

}  // namespace

void write_text(const Document& document, const Sink& sink, std::string_view line_end) {
    BufferedSink out(sink);
    std::string_view separator;
    for (const Paragraph& paragraph : document.paragraphs()) {
        out.buffer() += separator;
        // A table row is a line, its cells separated by a tab (none after a cell merged into
        // the one before it).
        separator = paragraph.table.depth == 0 || paragraph.table.end != TablePlace::End::cell
                        ? line_end
                    : paragraph.table.merged ? std::string_view()
                                             : std::string_view("\t");
        if (!paragraph.label.empty()) {
            out.buffer() += paragraph.label;
            out.buffer() += ' ';
        }
        for (const Run& run : paragraph.runs) {
            append_lines(out.buffer(), run.text, line_end);
        }
        out.done();
    }
}

std::string to_text(const Document& document, std::string_view line_end) {
    return write_to_string([&](const Sink& sink) { write_text(document, sink, line_end); });
}

}  // namespace qlx::richtext
