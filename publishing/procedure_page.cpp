#include "publishing/procedure_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/rtf_vocabulary.h"
#include "publishing/site_pages.h"
#include "richtext/html_writer.h"
#include "richtext/rtf_reader.h"
#include "richtext/text_writer.h"
#include "richtext/windows1252.h"

namespace qlx::publishing {

namespace conv = qlx::conversion;

namespace {

bool heads(std::string_view heading, conv::RtfLiteral item) {
    const std::string_view words = conv::heading_words(item);
    return heading.starts_with(words) &&
           (heading.size() == words.size() || heading[words.size()] == ' ');
}

// The outline as a list of links to the headings' lines.
std::string outline_list(const std::vector<conv::OutlineHeading>& outline) {
    std::string list =
        "<nav class=\"outline\" aria-labelledby=\"outline-heading\">\n"
        "<h2 id=\"outline-heading\">Outline</h2>\n";
    if (outline.empty()) {
        return list + "<p>No headings.</p>\n</nav>\n";
    }
    list += "<ul>\n";
    for (const conv::OutlineHeading& heading : outline) {
        list += "<li class=\"level-" + std::to_string(std::clamp(heading.level, 1, 2)) +
                "\"><a href=\"#L" + std::to_string(heading.paragraph + 1) + "\">" +
                html_text(richtext::windows1252_to_utf8(heading.text)) + "</a></li>\n";
    }
    return list + "</ul>\n</nav>\n";
}

// The relative luminance of a colour (WCAG 2).
double luminance(double red, double green, double blue) {
    const auto linear = [](double c) {
        c /= 255;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(red) + 0.7152 * linear(green) + 0.0722 * linear(blue);
}

// The style sheet with every text colour too light to read on the white page (a contrast
// under 4.5:1, such as the documents' pure red) darkened just enough, its hue kept.
std::string readable_colours(std::string sheet) {
    constexpr std::string_view property = " color: #";
    for (std::size_t at = sheet.find(property); at != std::string::npos;
         at = sheet.find(property, at + 1)) {
        const std::size_t hex = at + property.size();
        unsigned red = 0, green = 0, blue = 0;
        if (hex + 6 > sheet.size() ||
            std::sscanf(sheet.c_str() + hex, "%2x%2x%2x", &red, &green, &blue) != 3) {
            continue;
        }
        double scale = 1;
        while (1.05 / (luminance(red * scale, green * scale, blue * scale) + 0.05) < 4.5) {
            scale -= 0.01;
        }
        if (scale < 1) {
            char value[8];
            std::snprintf(value, sizeof value, "%02x%02x%02x",
                          static_cast<unsigned>(std::lround(red * scale)),
                          static_cast<unsigned>(std::lround(green * scale)),
                          static_cast<unsigned>(std::lround(blue * scale)));
            sheet.replace(hex, 6, value);
        }
    }
    return sheet;
}

std::string pager(const std::vector<PageEntry>& entries, std::size_t index) {
    std::string links = "<nav class=\"pager\" aria-label=\"Previous and next procedure\">\n";
    if (index > 0) {
        const PageEntry& previous = entries[index - 1];
        links += "<a rel=\"prev\" href=\"" + previous.stem +
                 ".html\">Previous: " + html_text(previous.name) + "</a>\n";
    }
    if (index + 1 < entries.size()) {
        const PageEntry& next = entries[index + 1];
        links += "<a rel=\"next\" href=\"" + next.stem + ".html\">Next: " + html_text(next.name) +
                 "</a>\n";
    }
    return links + "</nav>\n";
}

}  // namespace

void count_items(const std::vector<conv::OutlineHeading>& outline, PageEntry& entry) {
    for (const conv::OutlineHeading& heading : outline) {
        if (heading.level != 1) {
            continue;
        }
        entry.reports += heads(heading.text, conv::heading_report) ? 1 : 0;
        entry.macros += heads(heading.text, conv::heading_macro) ? 1 : 0;
        entry.screens += heads(heading.text, conv::heading_screen) ? 1 : 0;
    }
}

ProcedurePage procedure_page(std::string_view rtf, const conv::DocumentMap& map,
                             const std::vector<PageEntry>& entries, std::size_t index) {
    const PageEntry& entry = entries[index];
    const richtext::Document document = richtext::read_rtf(rtf).document;
    richtext::HtmlParts parts = richtext::to_html_parts(document);
    ProcedurePage page;
    page.style_sheet = readable_colours(std::move(parts.style_sheet));
    page.html = page_start(entry.name, entry.stem + ".css", html_text(entry.name));
    page.html += "<div class=\"document\">\n";
    page.html += parts.body;
    page.html += "</div>\n";
    page.html += page_end(outline_list(map.outline) + pager(entries, index));

    page.text = richtext::to_text(document);
    std::size_t at = 0;
    for (std::size_t line = 0; line < map.header_paragraphs && at < page.text.size(); ++line) {
        const std::size_t end = page.text.find('\n', at);
        at = end == std::string::npos ? page.text.size() : end + 1;
    }
    page.text.erase(0, at);
    page.first_line = map.header_paragraphs + 1;
    return page;
}

}  // namespace qlx::publishing
