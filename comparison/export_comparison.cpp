#include "comparison/export_comparison.h"

#include <algorithm>
#include <map>
#include <thread>
#include <utility>

#include "conversion/driver.h"
#include "richtext/rtf_reader.h"
#include "richtext/text_writer.h"
#include "richtext/windows1252.h"

namespace qlx::comparison {

namespace {

// Keeps the documents of a conversion in memory.
class DocumentsInMemory : public conversion::DocumentSink {
public:
    std::expected<void, conversion::FileError> begin_document(int) override {
        documents.emplace_back();
        return {};
    }
    std::expected<void, conversion::FileError> write(std::string_view bytes) override {
        documents.back() += bytes;
        return {};
    }
    std::expected<void, conversion::FileError> end_document() override { return {}; }

    std::vector<std::string> documents;
};

}  // namespace

ExportTexts export_texts(std::string export_bytes) {
    DocumentsInMemory sink;
    auto report = conversion::convert_export_bytes(export_bytes, sink);
    ExportTexts texts;
    if (!report) {
        return texts;  // a sink in memory does not fail, and nothing cancels
    }
    texts.damage = std::move(report->damage);
    const std::size_t count = sink.documents.size();
    texts.procedures.resize(count);
    // Reading the documents back is most of the work: a share for each processor.
    const std::size_t threads = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1,
                                                        std::max<std::size_t>(count, 1));
    const auto read_some = [&](std::size_t first) {
        for (std::size_t i = first; i < count; i += threads) {
            texts.procedures[i].text =
                richtext::to_text(richtext::read_rtf(sink.documents[i]).document, "\n");
            std::string().swap(sink.documents[i]);
        }
    };
    std::vector<std::jthread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        helpers.emplace_back(read_some, t);
    }
    read_some(0);
    helpers.clear();
    for (std::size_t i = 0; i < count && i < report->captions.size(); ++i) {
        texts.procedures[i].name = richtext::windows1252_to_utf8(report->captions[i]);
    }
    return texts;
}

std::vector<ProcedureComparison> compare_exports(const ExportTexts& old_export,
                                                 const ExportTexts& new_export) {
    // The old procedures of each name, in order, and how many of them are paired so far.
    std::map<std::string_view, std::pair<std::vector<std::size_t>, std::size_t>> old_by_name;
    for (std::size_t i = 0; i < old_export.procedures.size(); ++i) {
        old_by_name[old_export.procedures[i].name].first.push_back(i);
    }
    std::vector<bool> paired(old_export.procedures.size(), false);
    std::vector<ProcedureComparison> results;
    for (std::size_t n = 0; n < new_export.procedures.size(); ++n) {
        const ExportTexts::Procedure& procedure = new_export.procedures[n];
        ProcedureComparison result;
        result.name = procedure.name;
        result.new_index = n;
        const auto found = old_by_name.find(procedure.name);
        if (found == old_by_name.end() || found->second.second == found->second.first.size()) {
            result.state = ProcedureState::added;
            result.added_lines = split_lines(procedure.text).size();
            results.push_back(std::move(result));
            continue;
        }
        const std::size_t old_index = found->second.first[found->second.second++];
        paired[old_index] = true;
        result.old_index = old_index;
        const std::string& old_text = old_export.procedures[old_index].text;
        if (old_text == procedure.text) {
            results.push_back(std::move(result));
            continue;
        }
        result.state = ProcedureState::changed;
        result.lines = diff_lines(split_lines(old_text), split_lines(procedure.text));
        for (const DiffLine& line : result.lines) {
            result.added_lines += line.change == LineChange::added ? 1 : 0;
            result.removed_lines += line.change == LineChange::removed ? 1 : 0;
        }
        results.push_back(std::move(result));
    }
    for (std::size_t i = 0; i < old_export.procedures.size(); ++i) {
        if (!paired[i]) {
            const ExportTexts::Procedure& procedure = old_export.procedures[i];
            ProcedureComparison result;
            result.name = procedure.name;
            result.state = ProcedureState::removed;
            result.old_index = i;
            result.removed_lines = split_lines(procedure.text).size();
            results.push_back(std::move(result));
        }
    }
    return results;
}

}  // namespace qlx::comparison
