#include "richtext/rtf_tables.h"

#include <algorithm>

#include "richtext/code_page.h"
#include "richtext/windows1252.h"

namespace qlx::richtext {

namespace {

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

void RtfTables::begin_font(int number) {
    end_font();
    font_number_ = number;
    font_name_.clear();
    font_name_utf8_.clear();
    font_charset_ = -1;
    font_code_page_ = 0;
    font_properties_.clear();
}

void RtfTables::add_font_property(std::string_view rtf) {
    if (font_open()) {
        font_properties_ += rtf;
    }
}

void RtfTables::add_font_name_text(char byte) {
    if (byte == ';') {
        end_font();
    } else {
        add_font_name_byte(byte);
    }
}

void RtfTables::add_font_name_byte(char byte) {
    if (font_open()) {
        font_name_ += byte;
    }
}

void RtfTables::add_font_name_code_point(char32_t code) {
    if (font_open()) {
        decode_font_name();
        append_utf8(font_name_utf8_, code);
    }
}

int RtfTables::entry_code_page() const {
    if (font_code_page_ != 0) {
        return font_code_page_;
    }
    return font_charset_ >= 0 ? code_page_for_charset(font_charset_, ansi_code_page_) : 0;
}

void RtfTables::decode_font_name() {
    const int code_page = entry_code_page();
    decoder_for_code_page(code_page != 0 ? code_page : ansi_code_page_)
        .append_utf8(font_name_utf8_, font_name_);
    font_name_.clear();
}

void RtfTables::end_font() {
    if (!font_open()) {
        return;
    }
    decode_font_name();
    fonts_.insert_or_assign(font_number_, FontEntry{FontName(trim(font_name_utf8_)),
                                                    entry_code_page(), font_charset_,
                                                    font_code_page_, font_properties_});
    font_number_ = -1;
    font_name_utf8_.clear();
}

void RtfTables::begin_color_table() {
    colors_.clear();
    color_ = {};
    color_given_ = false;
}

void RtfTables::set_color_component(Component component, int value) {
    const auto level = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
    switch (component) {
        case Component::red:
            color_.red = level;
            break;
        case Component::green:
            color_.green = level;
            break;
        case Component::blue:
            color_.blue = level;
            break;
    }
    color_given_ = true;
}

void RtfTables::end_color() {
    colors_.push_back(color_given_ ? std::optional<Rgb>(color_) : std::nullopt);
    color_ = {};
    color_given_ = false;
}

void RtfTables::end_color_table() {
    if (color_given_) {
        end_color();
    }
}

const FontName& RtfTables::font_family(int number) const {
    static const FontName none;
    const auto font = fonts_.find(number);
    return font == fonts_.end() ? none : font->second.name;
}

int RtfTables::font_charset(int number) const {
    const auto font = fonts_.find(number);
    return font == fonts_.end() ? -1 : font->second.charset;
}

int RtfTables::text_code_page(int number) const {
    const auto font = fonts_.find(number);
    if (font == fonts_.end() || font->second.code_page == 0) {
        return ansi_code_page_;
    }
    return font->second.code_page;
}

std::optional<Rgb> RtfTables::color(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= colors_.size()) {
        return std::nullopt;
    }
    return colors_[index];
}

int RtfTables::font_named(std::string_view family) const {
    for (const auto& [number, entry] : fonts_) {
        if (entry.name.str() == family) {
            return number;
        }
    }
    return -1;
}

bool RtfTables::is_symbol_font(int number, std::string_view family) const {
    const auto font = fonts_.find(number);
    if (font != fonts_.end()) {
        if (font->second.charset == 2) {
            return true;
        }
        family = font->second.name.str();
    }
    return family == "Symbol" || family.starts_with("Wingdings") || family == "Webdings";
}

std::vector<SourceFont> RtfTables::source_fonts() const {
    std::vector<SourceFont> fonts;
    fonts.reserve(fonts_.size());
    for (const auto& [number, entry] : fonts_) {
        fonts.push_back(
            {number, entry.name, entry.charset, entry.given_code_page, entry.properties});
    }
    return fonts;
}

}  // namespace qlx::richtext
