#include "renderers/section_dispatch.h"

#include "model/conversion_state.h"

namespace qlx::renderers {

using namespace conversion;

namespace {

bool key_is(std::string_view key, std::string_view plain) {
    return key == plain || (key.starts_with("@@") && key.substr(2) == plain);
}

// "D" followed by the length character 1, 2 or 3 of its first subscript.
bool is_description_node(std::string_view line) {
    return line.size() >= 2 && line[0] == 'D' && line[1] >= '\x01' && line[1] <= '\x03';
}

}  // namespace

void render_item_line(ConversionState& state, std::string_view line) {
    const std::string_view key = state.current_item_key;
    if (key_is(key, "RPT")) {
        render_report_line(state, line);
    } else if (key_is(key, "MACRO")) {
        render_macro_line(state, line);
    } else if (key_is(key, "SCRN")) {
        render_screen_line(state, line);
    } else if (key_is(key, "PROC")) {
        render_procedure_line(state, line);
    } else {
        on_node_line_outside_item(state.flags);
    }
}

void write_unmatched_line(ConversionState& state, std::string_view text) {
    state.out.line(rtfPar, state.current_item_key, text);
}

void open_section(ConversionState& state, RtfLiteral heading) {
    write_section_opener(state.out, heading);
    state.note_heading(std::string(heading_words(heading)), state.section_level());
}

void open_section_once(ConversionState& state, bool& shown, RtfLiteral heading) {
    if (!shown) {
        open_section(state, heading);
        state.out.line(rtfPar);
        shown = true;
    }
}

void render_procedure_line(ConversionState& state, std::string_view line) {
    on_procedure_line(state.flags);
    if (!is_description_node(line)) {
        write_unmatched_line(state, line);
        return;
    }
    on_description_node(state.flags);
    open_section_once(state, state.flags.description_shown, heading_description);
    state.out.line(rtfPar, state.take_next_line());
}

}  // namespace qlx::renderers
