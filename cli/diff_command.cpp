#include "cli/diff_command.h"

#include <algorithm>
#include <string>

#include "cli/export_input.h"
#include "cli/json.h"
#include "comparison/export_comparison.h"
#include "comparison/text_diff.h"
#include "publishing/comparison_report.h"

namespace qlx::cli {

namespace {

namespace cmp = qlx::comparison;

constexpr int exit_same = 0;
constexpr int exit_different = 1;
constexpr int exit_trouble = 2;

const char* state_name(cmp::ProcedureState state) {
    switch (state) {
        case cmp::ProcedureState::added:
            return "added";
        case cmp::ProcedureState::removed:
            return "removed";
        case cmp::ProcedureState::changed:
            return "changed";
        case cmp::ProcedureState::unchanged:
            break;
    }
    return "unchanged";
}

// A procedure's diff: a changed one's hunks; an added or removed one whole.
std::string diff_of(const cmp::ProcedureComparison& procedure, const cmp::ExportTexts& old_export,
                    const cmp::ExportTexts& new_export, const std::string& old_name,
                    const std::string& new_name, std::size_t context) {
    return cmp::unified_diff(
        old_name + ":" + procedure.name, new_name + ":" + procedure.name,
        cmp::hunks_of(cmp::diff_lines_of(procedure, old_export, new_export), context));
}

// What was compared, for the listings.
struct Compared {
    const std::string& old_name;
    const std::string& new_name;
    const cmp::ExportTexts& old_export;
    const cmp::ExportTexts& new_export;
    const std::vector<cmp::HeaderChange>& header;
    const std::vector<cmp::ProcedureComparison>& procedures;
};

// The comparison as text or JSON Lines.
void print_listing(const Compared& compared, const DiffOptions& options, std::size_t different,
                   std::ostream& out) {
    const auto& [old_name, new_name, old_export, new_export, header, procedures] = compared;
    // The header once, apart: the procedures are compared without it.
    if (options.json && !header.empty()) {
        out << "{\"header\":[";
        for (std::size_t i = 0; i < header.size(); ++i) {
            out << (i > 0 ? "," : "") << "{\"field\":" << json_string(header[i].field)
                << ",\"old\":" << json_string(header[i].old_value)
                << ",\"new\":" << json_string(header[i].new_value) << '}';
        }
        out << "]}\n";
    } else {
        for (const cmp::HeaderChange& change : header) {
            out << cmp::describe(change) << '\n';
        }
    }
    std::string summary;
    for (const cmp::ProcedureComparison& procedure : procedures) {
        if (procedure.state == cmp::ProcedureState::unchanged) {
            continue;
        }
        const std::string diff =
            diff_of(procedure, old_export, new_export, old_name, new_name, options.context);
        if (options.json) {
            out << "{\"name\":" << json_string(procedure.name) << ",\"state\":\""
                << state_name(procedure.state) << "\",\"added\":" << procedure.added_lines
                << ",\"removed\":" << procedure.removed_lines << ",\"diff\":" << json_string(diff)
                << "}\n";
            continue;
        }
        out << diff;
        summary += std::string(state_name(procedure.state)) + " " + procedure.name;
        if (procedure.state == cmp::ProcedureState::changed) {
            summary += " (+" + std::to_string(procedure.added_lines) + " -" +
                       std::to_string(procedure.removed_lines) + " lines)";
        }
        summary += '\n';
    }
    const std::size_t unchanged = procedures.size() - different;
    if (options.json) {
        out << "{\"different\":" << different << ",\"unchanged\":" << unchanged << "}\n";
    } else if (different > 0 || !header.empty()) {
        out << summary << unchanged << " unchanged\n";
    }
}

}  // namespace

int run_diff(const DiffOptions& options, std::ostream& out, std::ostream& err) {
    auto old_bytes = read_export(options.old_export);
    if (!old_bytes) {
        err << "qlx-convert: " << old_bytes.error().path << ": " << old_bytes.error().reason
            << '\n';
        return exit_trouble;
    }
    auto new_bytes = read_export(options.new_export);
    if (!new_bytes) {
        err << "qlx-convert: " << new_bytes.error().path << ": " << new_bytes.error().reason
            << '\n';
        return exit_trouble;
    }
    const std::string old_name = export_name(options.old_export);
    const std::string new_name = export_name(options.new_export);
    cmp::ExportTexts old_export = cmp::export_texts(std::move(*old_bytes));
    cmp::ExportTexts new_export = cmp::export_texts(std::move(*new_bytes));
    print_damage(old_name, old_export.damage, err);
    print_damage(new_name, new_export.damage, err);
    const std::vector<cmp::HeaderChange> header = cmp::compare_headers(old_export, new_export);
    const std::vector<cmp::ProcedureComparison> procedures =
        cmp::compare_exports(old_export, new_export);

    const std::size_t different = static_cast<std::size_t>(
        std::ranges::count_if(procedures, [](const cmp::ProcedureComparison& procedure) {
            return procedure.state != cmp::ProcedureState::unchanged;
        }));
    if (options.html) {
        out << publishing::comparison_report(
            {old_name, new_name, old_export, new_export, header, procedures}, options.context);
    } else {
        const Compared compared{old_name, new_name, old_export, new_export, header, procedures};
        print_listing(compared, options, different, out);
    }
    if (!output_flushed(out, err)) {
        return exit_trouble;
    }
    if (old_export.damage.count() > 0 || new_export.damage.count() > 0) {
        return exit_trouble;
    }
    return different > 0 || !header.empty() ? exit_different : exit_same;
}

}  // namespace qlx::cli
