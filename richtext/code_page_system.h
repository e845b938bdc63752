#pragma once

#include "richtext/code_page.h"

namespace qlx::richtext {

// The decoder of a Windows code page number from the system's converters (ICU; on Windows,
// the system's own), made once and kept for the run; nullptr when no converter knows it.
const CodePageDecoder* system_decoder(int code_page);

}  // namespace qlx::richtext
