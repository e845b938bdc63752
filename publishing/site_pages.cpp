#include "publishing/site_pages.h"

#include "richtext/html_writer.h"

namespace qlx::publishing {

std::string page_stem(std::size_t number, std::string_view name) {
    std::string stem = std::to_string(number);
    stem.insert(0, stem.size() < 4 ? 4 - stem.size() : 0, '0');
    stem += '-';
    constexpr std::size_t most = 48;
    std::size_t kept = 0;
    bool gap = true;  // the stem ends in '-'
    for (const char c : name) {
        if (kept == most) {
            break;
        }
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (safe || !gap) {
            stem += safe ? c : '-';
            gap = !safe;
            ++kept;
        }
    }
    if (stem.back() == '-') {
        stem.pop_back();
    }
    return stem;
}

std::string html_text(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    richtext::append_html_escaped(escaped, text);
    return escaped;
}

std::string page_start(std::string_view title, std::string_view own_style_sheet,
                       std::string_view heading) {
    // file:// pages have no origin of their own to speak of: 'self' is what Chromium and
    // Firefox match against the pages' folder there.
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        "script-src 'self'; style-src 'self'; img-src 'self'; base-uri 'none'; "
        "form-action 'none'\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    page += html_text(title);
    page += "</title>\n<link rel=\"stylesheet\" href=\"";
    page += style_sheet_file;
    page += "\">\n";
    if (!own_style_sheet.empty()) {
        page += "<link rel=\"stylesheet\" href=\"";
        page += own_style_sheet;
        page += "\">\n";
    }
    page += "<script src=\"";
    page += script_file;
    page +=
        "\" defer></script>\n</head>\n<body>\n"
        "<header class=\"site-bar\">\n"
        "<a class=\"skip\" href=\"#main\">Skip to the content</a>\n"
        "<a href=\"index.html\">All procedures</a>\n"
        "<form id=\"search-form\" role=\"search\">\n"
        "<label for=\"search\">Search every procedure</label>\n"
        "<input type=\"search\" id=\"search\" name=\"q\" autocomplete=\"off\">\n"
        "<button type=\"submit\">Search</button>\n"
        "</form>\n</header>\n<main id=\"main\">\n<h1>";
    page += heading;
    page += "</h1>\n<section id=\"search-results\" aria-live=\"polite\" hidden></section>\n";
    return page;
}

std::string page_end(std::string_view after_main) {
    std::string end = "</main>\n";
    end += after_main;
    end += "</body>\n</html>\n";
    return end;
}

}  // namespace qlx::publishing
