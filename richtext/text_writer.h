#pragma once

#include <string>
#include <string_view>

#include "richtext/document.h"
#include "richtext/sink.h"

namespace qlx::richtext {

// Writes the document's text as UTF-8 without formatting. Paragraphs, and the lines of a
// paragraph, are separated by `line_end`; the last paragraph has none after it. The cells of
// a table row are separated by a tab.
void write_text(const Document& document, const Sink& sink, std::string_view line_end = "\n");

std::string to_text(const Document& document, std::string_view line_end = "\n");

}  // namespace qlx::richtext
