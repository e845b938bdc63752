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

// The same page in parts, for a page that takes its styles from a file of its own (a page
// under a Content-Security-Policy that allows no inline styles).
struct HtmlParts {
    // The rules of the paragraphs, formats and tables; each paragraph style that write_html
    // puts in a style attribute is a class here (p0, p1, ...).
    std::string style_sheet;
    // The paragraphs (and tables) as write_html writes them inside <body>; each <p> has the id
    // "L<n>", n its paragraph counted from 1, for links to a line.
    std::string body;
};
HtmlParts to_html_parts(const Document& document);

// Appends text (UTF-8) escaped for HTML text or a quoted attribute: & < > " as entities,
// control characters but TAB as character references, U+2028 (a line break) as <br>.
void append_html_escaped(std::string& out, std::string_view text);

}  // namespace qlx::richtext
