#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

#include "richtext/html_writer.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "richtext/text_writer.h"

namespace qlx::fuzzing {

// What must hold for any input to the RTF reader: the model keeps its promises (no empty run
// but a group carried through, no paragraph break inside a run, every format index valid)
// and survives the writer: the RTF written from it reads back to the same model, without
// problems, with the same text, and written again it is the same bytes. Returns the first
// promise broken, or an empty view when all hold.
inline std::string_view rtf_reader_fault(std::string_view input) {
    const richtext::RtfReadResult read = richtext::read_rtf(input);
    const richtext::Document& document = read.document;
    const std::size_t formats = document.formats().size();
    for (const richtext::Paragraph& paragraph : document.paragraphs()) {
        if (paragraph.mark_format >= formats) {
            return "paragraph mark's format out of range";
        }
        for (const richtext::Run& run : paragraph.runs) {
            const bool carried_group =
                run.carried() && run.rtf.starts_with('{') && run.rtf.ends_with('}');
            if (run.format >= formats || (run.text.empty() && !carried_group) ||
                run.text.find_first_of("\r\n") != std::string::npos ||
                run.text.find("\xE2\x80\xA9") != std::string::npos) {
                return "malformed run";
            }
        }
    }
    // Groups carried through are written as they were read: nesting too deep in one stays
    // too deep, and nothing else may go wrong.
    const std::string written = richtext::to_rtf(document);
    const richtext::RtfReadResult again = richtext::read_rtf(written);
    richtext::RtfProblems allowed;
    allowed.too_deep = read.problems.too_deep && again.problems.too_deep;
    // What was saved reads as the same text, and saved again it is the same file.
    if (richtext::to_text(again.document) != richtext::to_text(document)) {
        return "saved file reads as other text";
    }
    if (richtext::to_rtf(again.document) != written) {
        return "saved file saved again differs";
    }
    if (!(again.document == document)) {
        return "saved file reads as another document";
    }
    if (again.problems != allowed) {
        return "saved file reads with problems";
    }
    richtext::write_text(document, [](std::string_view) {});
    richtext::write_html(document, [](std::string_view) {});
    return {};
}

// The fuzz target's check: aborts on the first promise broken.
inline void check_rtf_reader(std::string_view input) {
    if (!rtf_reader_fault(input).empty()) {
        std::abort();
    }
}

}  // namespace qlx::fuzzing
