#include "conversion/driver.h"

#include <algorithm>

#include "conversion/item_headings.h"
#include "model/conversion_state.h"
#include "model/export_encoding.h"
#include "renderers/section_dispatch.h"

namespace qlx::conversion {

namespace {

// How much text is parsed between two progress reports.
constexpr std::size_t progress_step = 256 * 1024;

void end_procedure_document(ConversionState& state) {
    if (!state.out.document_open()) {
        return;
    }
    renderers::finish_procedure_document(state);
    state.out.line(rtfPar);
    state.out.line(rtfEnd);
    state.out.end_document();
}

void begin_procedure_document(ConversionState& state) {
    end_procedure_document(state);
    ++state.doc_count;
    state.out.begin_document(state.doc_count);
    state.doc_maps.emplace_back();
}

// Handles one body line: a key line itself, any other line through the renderers.
void dispatch_line(ConversionState& state, std::string_view line) {
    if (line == "PROC" || line == "@@PROC") {
        begin_procedure_document(state);
        start_procedure(state, line);
    } else if (line == "ML") {
        state.take_next_line();
    } else if (line == "SR") {
        state.report.selection_relationship_text = state.take_next_line();
    } else if (line == "RPT" || line == "@@RPT") {
        start_report(state, line);
    } else if (line == "MACRO" || line == "@@MACRO") {
        start_macro(state, line);
    } else if (line == "SCRN" || line == "@@SCRN") {
        start_screen(state, line);
    } else {
        renderers::render_item_line(state, line);
    }
}

// Walks the export's lines into the state's documents; `size` is the export's (expected)
// size, for progress.
std::expected<ConversionReport, ConversionError> convert_lines(ConversionState& state,
                                                               std::size_t size,
                                                               const Progress& progress) {
    std::size_t next_report = 0;
    while (!state.reader.at_end()) {
        // What the last line's handling took is used no more (the state keeps its own copies).
        state.reader.let_go_of_taken();
        if (state.reader.consumed() >= next_report) {
            next_report = state.reader.consumed() + progress_step;
            if (progress &&
                !progress(Phase::parsing, std::min(state.reader.consumed(), size), size)) {
                return std::unexpected(ConversionError{{}, true});
            }
        }
        const std::string_view line = state.take_next_line();
        const std::size_t line_number = state.reader.line_number();
        state.reader.set_claiming_line(line_number);
        const std::size_t dropped_before = state.out.dropped_lines();
        dispatch_line(state, line);
        if (state.out.dropped_lines() != dropped_before) {
            state.reader.record_damage(line_number,
                                       "this line belongs to no procedure; nothing written");
        }
        if (!state.out.status()) {
            return std::unexpected(ConversionError{state.out.status().error()});
        }
    }
    end_procedure_document(state);
    if (!state.out.status()) {
        return std::unexpected(ConversionError{state.out.status().error()});
    }
    if (progress) {
        progress(Phase::parsing, size, size);
    }
    return ConversionReport{std::move(state.doc_captions), std::move(state.doc_maps),
                            std::move(state.damage)};
}

}  // namespace

std::expected<ConversionReport, ConversionError> convert_export(std::string_view text,
                                                                DocumentSink& sink,
                                                                const Progress& progress) {
    ConversionState state(text, sink);
    return convert_lines(state, text.size(), progress);
}

std::expected<ConversionReport, ConversionError> convert_export(ArrivingText& text,
                                                                DocumentSink& sink,
                                                                const Progress& progress) {
    ConversionState state(text, sink);
    return convert_lines(state, text.expected_size(), progress);
}

std::expected<ConversionReport, ConversionError> convert_export_bytes(std::string& bytes,
                                                                      DocumentSink& sink,
                                                                      const Progress& progress) {
    DamageLog reencoding;
    if (export_encoding(bytes) == ExportEncoding::utf8) {
        reencode_utf8_export(bytes, reencoding);
    }
    auto report = convert_export(bytes, sink, progress);
    if (report && !reencoding.empty()) {
        reencoding.append(report->damage);
        report->damage = std::move(reencoding);
    }
    return report;
}

}  // namespace qlx::conversion
