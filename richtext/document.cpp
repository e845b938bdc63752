#include "richtext/document.h"

#include <functional>

namespace qlx::richtext {

namespace {

std::size_t pack_color(const std::optional<Rgb>& color) {
    if (!color) {
        return 0;
    }
    return 0x1000000u | (std::size_t{color->red} << 16) | (std::size_t{color->green} << 8) |
           color->blue;
}

bool same_runs(const Document& a, const Paragraph& pa, const Document& b, const Paragraph& pb) {
    if (pa.runs.size() != pb.runs.size() || pa.format != pb.format || pa.label != pb.label ||
        pa.table != pb.table || pa.section != pb.section || pa.ends_section != pb.ends_section ||
        a.format(pa.mark_format) != b.format(pb.mark_format)) {
        return false;
    }
    for (std::size_t i = 0; i < pa.runs.size(); ++i) {
        if (pa.runs[i].text != pb.runs[i].text || pa.runs[i].rtf != pb.runs[i].rtf ||
            (pa.runs[i].field == 0) != (pb.runs[i].field == 0) ||
            (i > 0 && (pa.runs[i].field == pa.runs[i - 1].field) !=
                          (pb.runs[i].field == pb.runs[i - 1].field)) ||
            a.format(pa.runs[i].format) != b.format(pb.runs[i].format)) {
            return false;
        }
    }
    return true;
}

}  // namespace

FontName::FontName(std::string_view name) {
    if (!name.empty()) {
        shared_ = std::make_shared<const Shared>(
            Shared{std::string(name), std::hash<std::string_view>{}(name)});
    }
}

const std::string& FontName::empty_text() {
    static const std::string empty;
    return empty;
}

std::size_t Document::FormatHash::operator()(const CharFormat& format) const {
    std::size_t hash = format.font_family.hash() ^ (format.east_asian_family.hash() << 1);
    const std::size_t flags =
        (format.bold ? 1u : 0u) | (format.italic ? 2u : 0u) | (format.underline ? 4u : 0u) |
        (format.strike_out ? 8u : 0u) | (static_cast<std::size_t>(format.position) << 4) |
        (format.hidden ? 64u : 0u) | (format.default_color_named ? 128u : 0u) |
        (format.size_given ? 256u : 0u);
    for (const std::size_t part : {static_cast<std::size_t>(format.half_points),
                                   static_cast<std::size_t>(format.raise_half_points),
                                   static_cast<std::size_t>(format.font_charset),
                                   static_cast<std::size_t>(format.character_style),
                                   static_cast<std::size_t>(format.underline_kind),
                                   pack_color(format.color), pack_color(format.highlight), flags}) {
        hash = hash * 1099511628211u ^ part;
    }
    return hash;
}

Document::Document(const CharFormat& first) : paragraphs_(1) {
    intern(first);
}

std::size_t Document::intern(const CharFormat& format) {
    const auto [it, added] = format_index_.try_emplace(format, formats_.size());
    if (added) {
        formats_.push_back(format);
    }
    return it->second;
}

std::vector<bool> Document::formats_in_use() const {
    std::vector<bool> used(formats_.size(), false);
    for (const Paragraph& paragraph : paragraphs_) {
        used[paragraph.mark_format] = true;
        for (const Run& run : paragraph.runs) {
            used[run.format] = true;
        }
    }
    return used;
}

void Document::append_text(std::string_view utf8, std::size_t format, std::uint32_t field) {
    if (utf8.empty()) {
        return;
    }
    std::vector<Run>& runs = paragraphs_.back().runs;
    if (runs.empty() || runs.back().format != format || runs.back().carried() ||
        runs.back().field != field) {
        runs.push_back({std::string(utf8), format, {}, field});
    } else {
        runs.back().text += utf8;
    }
}

void Document::join_runs_from(std::size_t index) {
    std::vector<Run>& runs = paragraphs_.back().runs;
    std::size_t kept = index;
    for (std::size_t i = index + 1; i < runs.size(); ++i) {
        Run& last = runs[kept];
        if (!last.carried() && !runs[i].carried() && last.format == runs[i].format &&
            last.field == runs[i].field) {
            last.text += runs[i].text;
        } else if (++kept != i) {
            runs[kept] = std::move(runs[i]);
        }
    }
    if (index < runs.size()) {
        runs.resize(kept + 1);
    }
}

void Document::append_carried(std::string_view rtf, std::size_t format, std::uint32_t field,
                              std::string_view shown) {
    if (!rtf.empty()) {
        paragraphs_.back().runs.push_back({std::string(shown), format, std::string(rtf), field});
    }
}

void Document::end_paragraph(std::size_t mark_format) {
    paragraphs_.back().mark_format = mark_format;
    paragraphs_.emplace_back();
}

bool operator==(const Document& a, const Document& b) {
    if (a.paragraphs_.size() != b.paragraphs_.size() ||
        a.default_tab_twips_ != b.default_tab_twips_ || a.head_groups != b.head_groups ||
        a.page_setup != b.page_setup) {
        return false;
    }
    for (std::size_t i = 0; i < a.paragraphs_.size(); ++i) {
        if (!same_runs(a, a.paragraphs_[i], b, b.paragraphs_[i])) {
            return false;
        }
    }
    return true;
}

DocumentBuilder& DocumentBuilder::text(std::string_view utf8, const CharFormat& format) {
    document_.append_text(utf8, document_.intern(format));
    return *this;
}

DocumentBuilder& DocumentBuilder::paragraph(const CharFormat& mark_format,
                                             const ParagraphFormat& format) {
    document_.paragraphs().back().format = format;
    document_.end_paragraph(document_.intern(mark_format));
    return *this;
}

}  // namespace qlx::richtext
