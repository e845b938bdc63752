#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "support/conversion_run.h"

namespace qlx::testing {

using Lines = std::vector<std::string>;

// The single character with code n.
inline std::string ch(int n) {
    return std::string(1, static_cast<char>(n));
}

// The lines of an export (each ended with CR LF), after a fixed header line.
inline std::string export_text(const Lines& body) {
    std::string text = "MEDITECH.CUST.RPTS^H\r\n";
    for (const std::string& line : body) {
        text += line;
        text += "\r\n";
    }
    return text;
}

struct ExportRun {
    std::vector<Lines> documents;
    std::vector<conversion::Damage> damage;
};

// Converts an export of the given body lines.
inline ExportRun run_export(const Lines& body) {
    const Converted converted = convert(export_text(body));
    ExportRun run{{}, converted.damage()};
    for (std::size_t n = 1; n <= converted.sink.documents.size(); ++n) {
        run.documents.push_back(converted.document_lines(n));
    }
    return run;
}

// Converts one procedure holding `item` (a key line and the lines that belong to it)
// followed by `body`, and returns the lines that the body wrote: what stands between the
// item's heading and the document's two closing lines.
inline Lines body_output(const Lines& item, const Lines& body) {
    Lines start = {"PROC", "P", ""};
    start.insert(start.end(), item.begin(), item.end());
    Lines whole = start;
    whole.insert(whole.end(), body.begin(), body.end());
    const ExportRun bare = run_export(start);
    const ExportRun full = run_export(whole);
    EXPECT_EQ(bare.documents.size(), 1u);
    EXPECT_EQ(full.documents.size(), 1u);
    if (bare.documents.size() != 1 || full.documents.size() != 1) {
        return {};
    }
    const Lines& top = bare.documents[0];
    const Lines& all = full.documents[0];
    const std::size_t heading = top.size() - 2;
    EXPECT_GE(all.size(), top.size());
    if (all.size() < top.size()) {
        return {};
    }
    EXPECT_EQ(Lines(all.begin(), all.begin() + heading), Lines(top.begin(), top.end() - 2));
    EXPECT_EQ(Lines(all.end() - 2, all.end()), (Lines{"\\par ", "\\par }"}));
    return Lines(all.begin() + heading, all.end() - 2);
}

inline Lines report_output(const Lines& body) {
    return body_output({"RPT", ""}, body);
}
inline Lines screen_output(const Lines& body) {
    return body_output({"SCRN", "S"}, body);
}
inline Lines macro_output(const Lines& body) {
    return body_output({"MACRO", "M"}, body);
}

inline Lines joined(std::initializer_list<Lines> parts) {
    Lines result;
    for (const Lines& part : parts) {
        result.insert(result.end(), part.begin(), part.end());
    }
    return result;
}

// The three lines that open a section: an empty paragraph, the red dash rule, the heading.
inline Lines opener(const std::string& heading) {
    return {"\\par ",
            "\\par \\plain\\f2\\fs16\\cf2\\b " + std::string(80, '-') + "\\plain\\f2\\fs16",
            heading};
}

// A red bold heading line with the given title.
inline std::string heading(std::string_view title) {
    return "\\par \\plain\\f2\\fs20\\cf2\\b " + std::string(title);
}

inline std::string blanks(std::size_t n) {
    return std::string(n, ' ');
}

// The opener of a section with the given heading title, then an empty line.
inline Lines section_top(std::string_view title) {
    return joined({opener(heading(title)), {"\\par "}});
}

// The opener of the Other section (plain text, not a heading), then an empty line.
inline Lines other_section_top() {
    return joined({opener("\\par Other"), {"\\par "}});
}

// The Sort Fields heading with its column header, before the rows.
inline Lines sort_fields_top() {
    return joined({opener(heading("Sort Fields\\plain\\f2\\fs16")),
                   {"\\par ",
                    "\\par \\plain\\f2\\fs16\\cf2 Num  Field" + blanks(34) +
                        "Order   Header  Trailer  Renumber \\plain\\f2\\fs16",
                    "\\par "}});
}

// The Selection Fields heading with its column header, before the rows.
inline Lines selection_table_top() {
    return joined(
        {opener(heading("Selection Fields \\plain\\f2\\fs16")),
         {"\\par ", "\\par \\plain\\f2\\fs16\\cf2 Num  Field" + blanks(29) + "Op   Prompt" +
                        blanks(31) + "Default" + blanks(11) + "(Stored As)\\plain\\f2\\fs16"}});
}

// A report's output after the empty Selection Fields table that its first report-line or
// picture node writes.
inline Lines after_selection_table(const Lines& body) {
    const Lines out = report_output(body);
    const Lines table = selection_table_top();
    EXPECT_GE(out.size(), table.size());
    if (out.size() < table.size()) {
        return out;
    }
    EXPECT_EQ(Lines(out.begin(), out.begin() + static_cast<long>(table.size())), table);
    return Lines(out.begin() + static_cast<long>(table.size()), out.end());
}

}  // namespace qlx::testing
