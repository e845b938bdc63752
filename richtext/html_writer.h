#pragma once

#include <string>
#include <string_view>

#include "richtext/document.h"
#include "richtext/sink.h"

namespace qlx::richtext {

// Writes the document as a standalone HTML page in UTF-8: one <p> per paragraph, blanks and
// tabs kept as they are, each format a CSS class with its font, size, colour, highlight and
// attributes. `title` (UTF-8) becomes the page's title.
void write_html(const Document& document, const Sink& sink, std::string_view title = {});

std::string to_html(const Document& document, std::string_view title = {});

}  // namespace qlx::richtext
