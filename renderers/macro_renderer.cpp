#include "model/conversion_state.h"
#include "renderers/section_dispatch.h"

namespace qlx::renderers {

using namespace conversion;

void render_macro_line(ConversionState& state, std::string_view) {
    on_macro_line(state.flags);
    const std::string_view source = state.take_next_line();
    // A line that begins with a full run of asterisks separates macro lines; it is dropped.
    if (state.reader.next_starts_with(rtfStarRule)) {
        state.take_next_line();
    }
    if (source.starts_with(';')) {
        state.out.line(rtfGreen, source, rtfGreenEnd);
    } else {
        state.out.line(rtfPar, source);
    }
}

}  // namespace qlx::renderers
