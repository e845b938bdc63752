#include "model/conversion_state.h"
#include "renderers/report_sections.h"
#include "renderers/text_columns.h"

namespace qlx::renderers {

using namespace conversion;

namespace {

constexpr std::size_t picture_number_width = 4;

}  // namespace

void render_picture_node(ConversionState& state, std::string_view line) {
    on_picture_node(state.flags);
    open_section_once(state, state.flags.picture_shown, heading_picture);
    std::string number;
    append_column(number, picture_number_width, {node_number(line), "   "});
    state.out.line(rtfPar, number, state.take_next_line());
}

void render_footnotes_node(ConversionState& state, std::string_view) {
    on_footnotes_node(state.flags);
    open_section_once(state, state.flags.footnotes_shown, heading_footnotes);
    state.out.line(rtfPar, state.take_next_line());
}

}  // namespace qlx::renderers
