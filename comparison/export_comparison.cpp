#include "comparison/export_comparison.h"

#include <algorithm>
#include <map>
#include <thread>
#include <utility>

#include "conversion/driver.h"
#include "files/document_sinks.h"
#include "model/export_model.h"
#include "richtext/rtf_reader.h"
#include "richtext/text_writer.h"
#include "richtext/windows1252.h"

namespace qlx::comparison {

std::vector<ExportTexts::HeaderField> header_fields(std::string_view export_text) {
    conversion::LineReader reader(export_text);
    const conversion::HeaderFields fields(reader.take_next_line());
    std::vector<ExportTexts::HeaderField> header;
    for (std::size_t i = 1; i <= fields.count(); ++i) {
        std::string_view label = conversion::header_label(i);
        std::string name;
        if (label.empty()) {
            name = "field " + std::to_string(i);
        }
        for (char c : label.substr(0, label.find(' '))) {
            name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
        header.push_back(
            {std::move(name), richtext::windows1252_to_utf8(fields.entry(i).substr(label.size()))});
    }
    return header;
}

namespace {

// The text without its first `lines` lines.
void drop_lines(std::string& text, std::size_t lines) {
    std::size_t at = 0;
    for (; lines > 0 && at < text.size(); --lines) {
        const std::size_t end = text.find('\n', at);
        at = end == std::string::npos ? text.size() : end + 1;
    }
    text.erase(0, at);
}

// A document below the export header.
std::string_view body_of(const ExportTexts::Procedure& procedure) {
    return std::string_view(procedure.rtf)
        .substr(std::min(procedure.header_bytes, procedure.rtf.size()));
}

}  // namespace

ExportTexts export_texts(std::string export_bytes) {
    conversion::MemorySink sink;
    auto report = conversion::convert_export_bytes(export_bytes, sink);
    ExportTexts texts;
    if (!report) {
        return texts;  // a sink in memory does not fail, and nothing cancels
    }
    // (The bytes are the export's Windows-1252 now, should it have been re-encoded.)
    texts.header = header_fields(export_bytes);
    texts.damage = std::move(report->damage);
    texts.procedures.resize(sink.documents.size());
    for (std::size_t i = 0; i < sink.documents.size(); ++i) {
        ExportTexts::Procedure& procedure = texts.procedures[i];
        procedure.rtf = std::move(sink.documents[i]);
        if (i < report->captions.size()) {
            procedure.name = richtext::windows1252_to_utf8(report->captions[i]);
        }
        if (i < report->maps.size()) {
            procedure.header_bytes = report->maps[i].header_bytes;
            procedure.header_lines = report->maps[i].header_paragraphs;
        }
    }
    return texts;
}

std::vector<HeaderChange> compare_headers(const ExportTexts& old_export,
                                          const ExportTexts& new_export) {
    std::vector<HeaderChange> changes;
    const std::size_t fields = std::max(old_export.header.size(), new_export.header.size());
    for (std::size_t i = 0; i < fields; ++i) {
        const ExportTexts::HeaderField* old_field =
            i < old_export.header.size() ? &old_export.header[i] : nullptr;
        const ExportTexts::HeaderField* new_field =
            i < new_export.header.size() ? &new_export.header[i] : nullptr;
        HeaderChange change;
        change.field = (new_field != nullptr ? new_field : old_field)->name;
        change.old_value = old_field != nullptr ? old_field->value : std::string();
        change.new_value = new_field != nullptr ? new_field->value : std::string();
        if (change.old_value != change.new_value) {
            changes.push_back(std::move(change));
        }
    }
    return changes;
}

std::string describe(const HeaderChange& change) {
    const auto shown = [](const std::string& value) {
        return value.empty() ? std::string("\"\"") : value;
    };
    return "Export header: " + change.field + " " + shown(change.old_value) + " \xE2\x86\x92 " +
           shown(change.new_value);
}

void read_texts(ExportTexts& texts, const std::vector<std::size_t>& which) {
    std::vector<std::size_t> unread;
    for (std::size_t index : which) {
        if (!texts.procedures[index].text_read) {
            unread.push_back(index);
        }
    }
    // Reading the documents back is most of a comparison's work: a share for each processor.
    const std::size_t threads = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1,
                                                        std::max<std::size_t>(unread.size(), 1));
    const auto read_some = [&](std::size_t first) {
        for (std::size_t i = first; i < unread.size(); i += threads) {
            ExportTexts::Procedure& procedure = texts.procedures[unread[i]];
            procedure.text = richtext::to_text(richtext::read_rtf(procedure.rtf).document, "\n");
            drop_lines(procedure.text, procedure.header_lines);
            procedure.text_read = true;
        }
    };
    std::vector<std::jthread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        helpers.emplace_back(read_some, t);
    }
    read_some(0);
}

std::vector<ProcedureComparison> compare_exports(ExportTexts& old_export, ExportTexts& new_export) {
    // The old procedures of each name, in order, and how many of them are paired so far.
    std::map<std::string_view, std::pair<std::vector<std::size_t>, std::size_t>> old_by_name;
    for (std::size_t i = 0; i < old_export.procedures.size(); ++i) {
        old_by_name[old_export.procedures[i].name].first.push_back(i);
    }
    std::vector<bool> paired(old_export.procedures.size(), false);
    std::vector<ProcedureComparison> results;
    for (std::size_t n = 0; n < new_export.procedures.size(); ++n) {
        ProcedureComparison result;
        result.name = new_export.procedures[n].name;
        result.new_index = n;
        result.state = ProcedureState::added;
        const auto found = old_by_name.find(result.name);
        if (found != old_by_name.end() && found->second.second < found->second.first.size()) {
            result.old_index = found->second.first[found->second.second++];
            paired[result.old_index] = true;
            result.state = body_of(old_export.procedures[result.old_index]) ==
                                   body_of(new_export.procedures[n])
                               ? ProcedureState::unchanged
                               : ProcedureState::changed;
        }
        results.push_back(std::move(result));
    }
    for (std::size_t i = 0; i < old_export.procedures.size(); ++i) {
        if (!paired[i]) {
            ProcedureComparison result;
            result.name = old_export.procedures[i].name;
            result.state = ProcedureState::removed;
            result.old_index = i;
            results.push_back(std::move(result));
        }
    }
    // The texts needed: of both sides of the pairs whose documents differ, and of the added
    // and removed procedures.
    std::vector<std::size_t> old_needed;
    std::vector<std::size_t> new_needed;
    for (const ProcedureComparison& result : results) {
        if (result.state != ProcedureState::unchanged) {
            if (result.old_index != ProcedureComparison::none) {
                old_needed.push_back(result.old_index);
            }
            if (result.new_index != ProcedureComparison::none) {
                new_needed.push_back(result.new_index);
            }
        }
    }
    read_texts(old_export, old_needed);
    read_texts(new_export, new_needed);
    for (ProcedureComparison& result : results) {
        switch (result.state) {
            case ProcedureState::added:
                result.added_lines =
                    split_lines(new_export.procedures[result.new_index].text).size();
                break;
            case ProcedureState::removed:
                result.removed_lines =
                    split_lines(old_export.procedures[result.old_index].text).size();
                break;
            case ProcedureState::changed: {
                const std::string& old_text = old_export.procedures[result.old_index].text;
                const std::string& new_text = new_export.procedures[result.new_index].text;
                if (old_text == new_text) {
                    result.state = ProcedureState::unchanged;  // formats only
                    break;
                }
                result.lines = diff_lines(split_lines(old_text), split_lines(new_text));
                for (const DiffLine& line : result.lines) {
                    result.added_lines += line.change == LineChange::added ? 1 : 0;
                    result.removed_lines += line.change == LineChange::removed ? 1 : 0;
                }
                break;
            }
            case ProcedureState::unchanged:
                break;
        }
    }
    return results;
}

std::vector<DiffLine> diff_lines_of(const ProcedureComparison& procedure,
                                    const ExportTexts& old_export, const ExportTexts& new_export) {
    switch (procedure.state) {
        case ProcedureState::added:
            return diff_lines({}, split_lines(new_export.procedures[procedure.new_index].text));
        case ProcedureState::removed:
            return diff_lines(split_lines(old_export.procedures[procedure.old_index].text), {});
        default:
            return procedure.lines;
    }
}

}  // namespace qlx::comparison
