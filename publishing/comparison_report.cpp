#include "publishing/comparison_report.h"

#include "comparison/text_diff.h"
#include "publishing/site_pages.h"

namespace qlx::publishing {

namespace cmp = qlx::comparison;

namespace {

constexpr std::string_view report_style =
    R"(body { margin: 1rem; color: #1a1a1a; background: #ffffff; font-family: sans-serif; }
a { color: #0645ad; }
h1 { font-size: 1.5rem; }
h2 { font-size: 1.2rem; margin-top: 2rem; }
table { border-collapse: collapse; }
th, td { border: 1px solid #8a93a0; padding: 0.15rem 0.5rem; text-align: left; vertical-align: top; }
td.number { text-align: right; }
table.diff { width: 100%; font-family: monospace; }
table.diff td { border: none; }
table.diff td.line { color: #4d4d4d; text-align: right; width: 4em; }
table.diff td.sign { width: 1em; }
table.diff td.text { white-space: pre-wrap; overflow-wrap: anywhere; }
tr.removed td { background: #ffe0e0; }
tr.added td { background: #dcf5dc; }
tr.hunk td { color: #4d4d4d; background: #eef1f5; }
tr.removed b, tr.added b { font-weight: bold; text-decoration: underline; }
.damage { color: #8b0000; }
@media print {
  body { margin: 0; }
  a { color: inherit; text-decoration: none; }
  tr.removed td, tr.added td, tr.hunk td { print-color-adjust: exact; -webkit-print-color-adjust: exact; }
  section { break-before: page; }
  tr { break-inside: avoid; }
}
)";

const char* state_words(cmp::ProcedureState state) {
    switch (state) {
        case cmp::ProcedureState::added:
            return "Added";
        case cmp::ProcedureState::removed:
            return "Removed";
        case cmp::ProcedureState::changed:
            return "Changed";
        case cmp::ProcedureState::unchanged:
            break;
    }
    return "Unchanged";
}

std::string number_cell(std::size_t value) {
    return "<td class=\"number\">" + std::to_string(value) + "</td>";
}

std::string header_changes(const ComparedExports& compared) {
    std::string part = "<h2>Export header</h2>\n";
    if (compared.header.empty()) {
        return part + "<p>The export headers are the same.</p>\n";
    }
    part += "<table>\n<thead><tr><th scope=\"col\">Field</th><th scope=\"col\">" +
            html_text(compared.old_name) + "</th><th scope=\"col\">" +
            html_text(compared.new_name) + "</th></tr></thead>\n<tbody>\n";
    for (const cmp::HeaderChange& change : compared.header) {
        part += "<tr><td>" + html_text(change.field) + "</td><td>" + html_text(change.old_value) +
                "</td><td>" + html_text(change.new_value) + "</td></tr>\n";
    }
    return part + "</tbody>\n</table>\n";
}

std::string summary(const ComparedExports& compared) {
    std::string rows;
    std::size_t unchanged = 0;
    for (std::size_t i = 0; i < compared.procedures.size(); ++i) {
        const cmp::ProcedureComparison& procedure = compared.procedures[i];
        if (procedure.state == cmp::ProcedureState::unchanged) {
            ++unchanged;
            continue;
        }
        rows += "<tr><td><a href=\"#procedure-" + std::to_string(i + 1) + "\">" +
                html_text(procedure.name) + "</a></td><td>" + state_words(procedure.state) +
                "</td>" + number_cell(procedure.added_lines) +
                number_cell(procedure.removed_lines) + "</tr>\n";
    }
    const std::size_t different = compared.procedures.size() - unchanged;
    std::string part = "<h2>Summary</h2>\n<p>" + std::to_string(different) +
                       (different == 1 ? " procedure differs, " : " procedures differ, ") +
                       std::to_string(unchanged) + " unchanged.</p>\n";
    if (different == 0) {
        return part;
    }
    return part +
           "<table>\n<thead><tr><th scope=\"col\">Procedure</th><th scope=\"col\">Change</th>"
           "<th scope=\"col\">Lines added</th><th scope=\"col\">Lines removed</th></tr></thead>\n"
           "<tbody>\n" +
           rows + "</tbody>\n</table>\n";
}

// A line's text with the spans that changed in bold.
std::string marked_text(std::string_view text, const std::vector<cmp::Span>& spans) {
    std::string marked;
    std::size_t at = 0;
    for (const cmp::Span& span : spans) {
        marked += html_text(text.substr(at, span.start - at));
        marked += "<b>" + html_text(text.substr(span.start, span.length)) + "</b>";
        at = span.start + span.length;
    }
    return marked + html_text(text.substr(std::min(at, text.size())));
}

std::string line_row(const cmp::DiffLine& line, const std::vector<cmp::Span>& spans) {
    static constexpr const char* kinds[] = {"same", "removed", "added"};
    static constexpr const char* signs[] = {" ", "-", "+"};
    const auto kind = static_cast<std::size_t>(line.change);
    const auto number = [](std::size_t n) { return n == 0 ? std::string() : std::to_string(n); };
    return std::string("<tr class=\"") + kinds[kind] + "\"><td class=\"line\">" +
           number(line.old_line) + "</td><td class=\"line\">" + number(line.new_line) +
           "</td><td class=\"sign\">" + signs[kind] + "</td><td class=\"text\">" +
           marked_text(line.text, spans) + "</td></tr>\n";
}

// A hunk's rows: within a change, the i-th removed line and the i-th added one show the words
// that changed between them.
std::string hunk_rows(const cmp::Hunk& hunk) {
    std::string rows = "<tr class=\"hunk\"><td colspan=\"4\">@@ -" +
                       std::to_string(hunk.old_start) + "," + std::to_string(hunk.old_count) +
                       " +" + std::to_string(hunk.new_start) + "," +
                       std::to_string(hunk.new_count) + " @@</td></tr>\n";
    const std::vector<cmp::DiffLine>& lines = hunk.lines;
    for (std::size_t i = 0; i < lines.size();) {
        if (lines[i].change == cmp::LineChange::same) {
            rows += line_row(lines[i++], {});
            continue;
        }
        std::size_t removed_end = i;
        while (removed_end < lines.size() &&
               lines[removed_end].change == cmp::LineChange::removed) {
            ++removed_end;
        }
        std::size_t added_end = removed_end;
        while (added_end < lines.size() && lines[added_end].change == cmp::LineChange::added) {
            ++added_end;
        }
        const std::size_t pairs = std::min(removed_end - i, added_end - removed_end);
        std::vector<cmp::WordChanges> words(pairs);
        for (std::size_t k = 0; k < pairs; ++k) {
            words[k] = cmp::changed_words(lines[i + k].text, lines[removed_end + k].text);
        }
        for (std::size_t k = i; k < removed_end; ++k) {
            rows +=
                line_row(lines[k], k - i < pairs ? words[k - i].removed : std::vector<cmp::Span>());
        }
        for (std::size_t k = removed_end; k < added_end; ++k) {
            rows += line_row(lines[k], k - removed_end < pairs ? words[k - removed_end].added
                                                               : std::vector<cmp::Span>());
        }
        i = added_end;
    }
    return rows;
}

std::string procedure_section(const ComparedExports& compared, std::size_t index,
                              std::size_t context) {
    const cmp::ProcedureComparison& procedure = compared.procedures[index];
    std::string part =
        "<section id=\"procedure-" + std::to_string(index + 1) + "\">\n<h2>" +
        state_words(procedure.state) + ": " + html_text(procedure.name) + "</h2>\n<p>" +
        std::to_string(procedure.added_lines) + (procedure.added_lines == 1 ? " line" : " lines") +
        " added, " + std::to_string(procedure.removed_lines) +
        " removed.</p>\n<table class=\"diff\">\n<thead><tr><th scope=\"col\">Old</th>"
        "<th scope=\"col\">New</th><th scope=\"col\">\xC2\xB1</th>"
        "<th scope=\"col\">Text</th></tr></thead>\n<tbody>\n";
    for (const cmp::Hunk& hunk : cmp::hunks_of(
             cmp::diff_lines_of(procedure, compared.old_export, compared.new_export), context)) {
        part += hunk_rows(hunk);
    }
    return part + "</tbody>\n</table>\n</section>\n";
}

std::string damage_of(std::string_view name, const conversion::DamageLog& damage) {
    if (damage.empty()) {
        return {};
    }
    std::string part = "<h2 class=\"damage\">Damage in " + html_text(name) + "</h2>\n<ul>\n";
    for (const conversion::Damage& place : damage.kept()) {
        part +=
            "<li>Line " + std::to_string(place.line) + ": " + html_text(place.reason) + "</li>\n";
    }
    if (damage.count() > damage.kept().size()) {
        part += "<li>and " + std::to_string(damage.count() - damage.kept().size()) +
                " places more</li>\n";
    }
    return part + "</ul>\n";
}

}  // namespace

std::string comparison_report(const ComparedExports& compared, std::size_t context) {
    const std::string title =
        "Comparison of " + html_text(compared.old_name) + " and " + html_text(compared.new_name);
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        "style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'\">\n<title>" +
        title + "</title>\n<style>\n" + std::string(report_style) +
        "</style>\n</head>\n<body>\n<h1>" + title + "</h1>\n";
    page += header_changes(compared);
    page += summary(compared);
    page += damage_of(compared.old_name, compared.old_export.damage);
    page += damage_of(compared.new_name, compared.new_export.damage);
    for (std::size_t i = 0; i < compared.procedures.size(); ++i) {
        if (compared.procedures[i].state != cmp::ProcedureState::unchanged) {
            page += procedure_section(compared, i, context);
        }
    }
    return page + "</body>\n</html>\n";
}

}  // namespace qlx::publishing
