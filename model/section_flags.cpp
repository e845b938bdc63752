#include "model/section_flags.h"

// Only the clearing is done here. The flag of a heading is set by the renderer that writes
// the heading, right after writing it.
namespace qlx::renderers {

void on_node_line_outside_item(SectionFlags& f) {
    f.other_shown = f.documentation_shown = f.picture_shown = f.description_shown =
        f.footnotes_shown = f.report_lines_shown = false;
}

void on_procedure_line(SectionFlags& f) {
    f.other_shown = f.documentation_shown = f.picture_shown = f.footnotes_shown =
        f.sort_fields_shown = f.fields_shown = f.report_lines_shown = false;
}

void on_description_node(SectionFlags& f) {
    f.other_shown = f.sort_fields_shown = f.picture_shown = f.fields_shown = f.documentation_shown =
        f.footnotes_shown = f.report_lines_shown = false;
}

void on_screen_line(SectionFlags& f) {
    f.other_shown = f.documentation_shown = f.picture_shown = f.description_shown =
        f.footnotes_shown = f.report_lines_shown = false;
}

void on_macro_line(SectionFlags& f) {
    f.other_shown = f.documentation_shown = f.picture_shown = f.fields_shown = f.description_shown =
        f.footnotes_shown = f.report_lines_shown = false;
}

void on_report_attributes_node(SectionFlags& f) {
    on_item_start(f);
}

void on_documentation_node(SectionFlags& f) {
    f.other_shown = f.sort_fields_shown = f.picture_shown = f.fields_shown = f.description_shown =
        f.footnotes_shown = f.report_lines_shown = false;
}

void on_unrecognised_report_line(SectionFlags& f) {
    f.documentation_shown = f.sort_fields_shown = f.picture_shown = f.description_shown =
        f.footnotes_shown = f.report_lines_shown = false;
}

void on_report_lines_node(SectionFlags& f) {
    f.documentation_shown = f.picture_shown = f.other_shown = f.description_shown =
        f.footnotes_shown = f.fields_shown = false;
}

void on_fields_node(SectionFlags& f) {
    f.documentation_shown = f.sort_fields_shown = f.picture_shown = f.other_shown =
        f.description_shown = f.footnotes_shown = f.report_lines_shown = false;
}

void on_picture_node(SectionFlags&) {}

void on_sort_fields_node(SectionFlags& f) {
    f.other_shown = f.documentation_shown = f.picture_shown = f.description_shown =
        f.footnotes_shown = f.report_lines_shown = false;
}

void on_footnotes_node(SectionFlags& f) {
    f.other_shown = f.sort_fields_shown = f.picture_shown = f.fields_shown = f.description_shown =
        f.documentation_shown = f.report_lines_shown = false;
}

void on_item_start(SectionFlags& f) {
    const bool selection_fields_shown = f.selection_fields_shown;
    f = {};
    f.selection_fields_shown = selection_fields_shown;
}

void on_procedure_start(SectionFlags& f) {
    f = {};
}

}  // namespace qlx::renderers
