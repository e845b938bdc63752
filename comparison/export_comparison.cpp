#include "comparison/export_comparison.h"

#include <algorithm>
#include <map>
#include <thread>
#include <utility>

#include "conversion/driver.h"
#include "files/document_sinks.h"
#include "richtext/rtf_reader.h"
#include "richtext/text_writer.h"
#include "richtext/windows1252.h"

namespace qlx::comparison {

ExportTexts export_texts(std::string export_bytes) {
    conversion::MemorySink sink;
    auto report = conversion::convert_export_bytes(export_bytes, sink);
    ExportTexts texts;
    if (!report) {
        return texts;  // a sink in memory does not fail, and nothing cancels
    }
    texts.damage = std::move(report->damage);
    texts.procedures.resize(sink.documents.size());
    for (std::size_t i = 0; i < sink.documents.size(); ++i) {
        texts.procedures[i].rtf = std::move(sink.documents[i]);
        if (i < report->captions.size()) {
            texts.procedures[i].name = richtext::windows1252_to_utf8(report->captions[i]);
        }
    }
    return texts;
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
            result.state =
                old_export.procedures[result.old_index].rtf == new_export.procedures[n].rtf
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

}  // namespace qlx::comparison
