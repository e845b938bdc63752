#pragma once

#include <string>
#include <string_view>

namespace qlx::richtext {

// Turns bytes of one code page into UTF-8. Decoders are stateless and live for the whole run.
class CodePageDecoder {
public:
    virtual ~CodePageDecoder() = default;
    virtual void append_utf8(std::string& out, std::string_view bytes) const = 0;
};

// The decoder of a Windows code page number: any single- or double-byte page the system's
// converters know (ICU; Windows' own on Windows), with Windows-1252, 28591 (Latin-1) and 65001
// (UTF-8) decoded here. Windows-1252 for a number no converter knows. A double-byte page
// decodes a lead byte and its trail byte together when they come in one call.
const CodePageDecoder& decoder_for_code_page(int code_page);

// Whether a code page reads the printable ASCII bytes as ASCII, as RTF's text is written
// (EBCDIC pages, for one, do not).
bool is_ascii_compatible(int code_page);

// The code page of an RTF font character set (\fcharsetN); `ansi_code_page` for the
// character sets that mean "the document's code page" and for unknown ones.
int code_page_for_charset(int charset, int ansi_code_page);

}  // namespace qlx::richtext
