#pragma once

namespace qlx::renderers {

// The nine section flags. A flag is set once its heading has been written, so that a heading
// appears once per run of records of one kind; each kind of line clears the flags of the
// sections it ends. The functions below are the whole table of which event clears or sets
// which flag.
struct SectionFlags {
    bool description_shown = false;
    bool documentation_shown = false;
    bool other_shown = false;
    bool selection_fields_shown = false;
    bool report_lines_shown = false;
    bool fields_shown = false;
    bool picture_shown = false;
    bool sort_fields_shown = false;
    bool footnotes_shown = false;

    friend bool operator==(const SectionFlags&, const SectionFlags&) = default;
};

void on_node_line_outside_item(SectionFlags& f);
void on_procedure_line(SectionFlags& f);
void on_description_node(SectionFlags& f);
void on_screen_line(SectionFlags& f);
void on_macro_line(SectionFlags& f);
void on_report_attributes_node(SectionFlags& f);
void on_documentation_node(SectionFlags& f);
void on_unrecognised_report_line(SectionFlags& f);
void on_report_lines_node(SectionFlags& f);
void on_fields_node(SectionFlags& f);
void on_picture_node(SectionFlags& f);
void on_sort_fields_node(SectionFlags& f);
void on_footnotes_node(SectionFlags& f);
// Start of a report, macro or screen: every section ends but the selection fields table,
// which is written once per procedure.
void on_item_start(SectionFlags& f);
void on_procedure_start(SectionFlags& f);

}  // namespace qlx::renderers
