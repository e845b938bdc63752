#include "shell/export_bytes.h"

#include <string_view>

#include "files/export_reading.h"
#include "model/export_encoding.h"
#include "shell/native_paths.h"

namespace qlx::shell {

namespace conv = qlx::conversion;

std::expected<std::string, QString> read_export_bytes(const QString& path,
                                                      const conv::Progress& progress) {
    conv::ReadRules rules;
    rules.start_size = conv::export_start_size;
    rules.check_start = [](std::string_view start) -> std::string {
        if (conv::export_encoding(start) != conv::ExportEncoding::none) {
            return {};
        }
        return "it is not an export (it does not begin with \"" +
               std::string(conv::export_signature) + "\")";
    };
    bool cancelled = false;
    const conv::Progress watched = [&](conv::Phase phase, std::uint64_t done, std::uint64_t total) {
        cancelled = progress && !progress(phase, done, total);
        return !cancelled;
    };
    auto bytes = conv::read_file(native_path(path), watched, rules);
    if (!bytes) {
        return std::unexpected(cancelled ? QString() : from_utf8(bytes.error().reason));
    }
    return std::move(*bytes);
}

}  // namespace qlx::shell
