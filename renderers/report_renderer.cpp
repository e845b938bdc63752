#include "renderers/section_dispatch.h"

#include "conversion/conversion_state.h"

namespace qlx::renderers {

// Screens, macros and reports are not rendered yet: their lines write nothing.
void render_screen_line(ConversionState&, std::string_view) {}
void render_macro_line(ConversionState&, std::string_view) {}
void render_report_line(ConversionState&, std::string_view) {}
void finish_procedure_document(ConversionState&) {}

}  // namespace qlx::renderers
