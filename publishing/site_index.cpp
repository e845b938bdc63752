#include "publishing/site_index.h"

#include <cstdio>

#include "publishing/site_pages.h"

namespace qlx::publishing {

namespace {

std::string size_in_words(std::size_t bytes) {
    if (bytes < 1024) {
        return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    }
    char text[32];
    if (bytes < 1024 * 1024) {
        std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1024);
    } else {
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024 * 1024));
    }
    return text;
}

std::string header_list(const std::vector<comparison::ExportTexts::HeaderField>& header) {
    std::string list = "<h2>Export header</h2>\n<dl class=\"header\">\n";
    for (const auto& field : header) {
        list += "<dt>" + html_text(field.name) + "</dt><dd>" + html_text(field.value) + "</dd>\n";
    }
    return list + "</dl>\n";
}

std::string damage_list(const conversion::DamageLog& damage) {
    if (damage.empty()) {
        return {};
    }
    std::string list = "<h2 class=\"damage\">Damage</h2>\n<p>The export is damaged in " +
                       std::to_string(damage.count()) +
                       (damage.count() == 1 ? " place" : " places") +
                       "; the pages show what could be read.";
    if (damage.count() > damage.kept().size()) {
        list += " The first " + std::to_string(damage.kept().size()) + " are listed.";
    }
    list += "</p>\n<ul class=\"damage\">\n";
    for (const conversion::Damage& place : damage.kept()) {
        list +=
            "<li>Line " + std::to_string(place.line) + ": " + html_text(place.reason) + "</li>\n";
    }
    return list + "</ul>\n";
}

std::string number_cell(std::size_t value) {
    return "<td class=\"number\">" + std::to_string(value) + "</td>";
}

std::string procedure_table(const std::vector<PageEntry>& entries) {
    std::string table =
        "<h2>Procedures</h2>\n<p id=\"filter-box\"><label for=\"filter\">Filter by name</label>\n"
        "<input type=\"search\" id=\"filter\" autocomplete=\"off\">\n"
        "<span id=\"filter-count\" aria-live=\"polite\">" +
        std::to_string(entries.size()) + (entries.size() == 1 ? " procedure" : " procedures") +
        "</span></p>\n";
    if (entries.empty()) {
        return table + "<p>The export holds no procedures.</p>\n";
    }
    table += "<table class=\"procedures\" id=\"procedures\">\n<thead>\n<tr>";
    for (const auto& [title, numeric] : {std::pair{"#", true},
                                         {"Procedure", false},
                                         {"Reports", true},
                                         {"Macros", true},
                                         {"Screens", true},
                                         {"Size", true}}) {
        table += std::string("<th scope=\"col\"") + (numeric ? " data-numeric" : "") +
                 "><button type=\"button\">" + title + "</button></th>";
    }
    table += "</tr>\n</thead>\n<tbody>\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PageEntry& entry = entries[i];
        table += "<tr>" + number_cell(i + 1) + "<td><a href=\"" + entry.stem + ".html\">" +
                 html_text(entry.name) + "</a></td>" + number_cell(entry.reports) +
                 number_cell(entry.macros) + number_cell(entry.screens) +
                 "<td class=\"number\" data-value=\"" + std::to_string(entry.text_bytes) + "\">" +
                 size_in_words(entry.text_bytes) + "</td></tr>\n";
    }
    return table + "</tbody>\n</table>\n";
}

}  // namespace

std::string site_index(std::string_view export_name,
                       const std::vector<comparison::ExportTexts::HeaderField>& header,
                       const std::vector<PageEntry>& entries, const conversion::DamageLog& damage) {
    std::string page = page_start(export_name, {}, html_text(export_name));
    page += header_list(header);
    page += damage_list(damage);
    page += procedure_table(entries);
    page += page_end();
    return page;
}

}  // namespace qlx::publishing
