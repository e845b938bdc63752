#pragma once

#include <string>

#include "richtext/document.h"
#include "richtext/sink.h"

namespace qlx::richtext {

// Writes the document as RTF that read_rtf reads back to an equal document and that word
// processors open: a font and colour table of the formats used, each format change as
// \plain and the format's words, characters outside ASCII as \'hh in Windows-1252 where the
// code page has them and as \uN otherwise.
void write_rtf(const Document& document, const Sink& sink);

std::string to_rtf(const Document& document);

}  // namespace qlx::richtext
