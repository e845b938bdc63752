#include "cli/export_input.h"

#include "files/export_reading.h"
#include "files/names_and_reasons.h"
#include "files/platform_file.h"
#include "model/export_encoding.h"

namespace qlx::cli {

namespace conv = qlx::conversion;
namespace fs = std::filesystem;

constexpr std::string_view standard_input_name = "-";

bool is_standard_input(const fs::path& path) {
    return path.native() == fs::path(standard_input_name).native();
}

std::string export_name(const fs::path& path) {
    return is_standard_input(path) ? std::string(standard_input_name) : conv::display_path(path);
}

void print_damage(const std::string& name, const conv::DamageLog& damage, std::ostream& err) {
    for (const conv::Damage& place : damage.kept()) {
        err << name << ':' << place.line << ": " << place.reason << '\n';
    }
    if (damage.count() > damage.kept().size()) {
        err << name << ": " << damage.count() - damage.kept().size()
            << " more damaged places not listed\n";
    }
}

namespace {

// Refuses what does not begin as an export.
conv::ReadRules export_rules() {
    conv::ReadRules rules;
    rules.pipes_too = true;
    rules.start_size = conv::export_start_size;
    rules.check_start = [](std::string_view start) -> std::string {
        if (conv::export_encoding(start) != conv::ExportEncoding::none) {
            return {};
        }
        return "not an export (it does not begin with \"" + std::string(conv::export_signature) +
               "\")";
    };
    return rules;
}

}  // namespace

std::expected<std::string, conv::FileError> read_export(const fs::path& path) {
    const conv::ReadRules rules = export_rules();
    if (is_standard_input(path)) {
        return conv::read_stream(conv::platform::binary_standard_input(), standard_input_name, {},
                                 rules);
    }
    return conv::read_file(path, {}, rules);
}

std::expected<ExportBeingRead, conv::FileError> start_reading_export(const fs::path& path) {
    ExportBeingRead input;
    if (is_standard_input(path)) {
        auto whole = read_export(path);
        if (!whole) {
            return std::unexpected(whole.error());
        }
        input.whole = std::move(*whole);
    } else {
        auto file = conv::FileInPieces::open(path, export_rules());
        if (!file) {
            return std::unexpected(file.error());
        }
        input.file = std::move(*file);
    }
    return input;
}

bool output_flushed(std::ostream& out, std::ostream& err) {
    out.flush();
    if (!out) {
        err << "qlx-convert: cannot write to standard output\n";
        return false;
    }
    return true;
}

}  // namespace qlx::cli
