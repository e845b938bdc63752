#include "cli/site_command.h"

#include "cli/convert_command.h"
#include "cli/export_input.h"
#include "files/names_and_reasons.h"
#include "publishing/publish_site.h"

namespace qlx::cli {

int run_site(const SiteOptions& options, std::ostream& out, std::ostream& err) {
    auto bytes = read_export(options.export_path);
    if (!bytes) {
        err << "qlx-convert: " << bytes.error().path << ": " << bytes.error().reason << '\n';
        return exit_failure;
    }
    const std::string name = export_name(options.export_path);
    // The index page is titled with the export's file name.
    const std::string title = is_standard_input(options.export_path)
                                  ? std::string("Export")
                                  : conversion::display_path(options.export_path.filename());
    auto site = publishing::publish_site(std::move(*bytes), options.folder, title);
    if (!site) {
        err << "qlx-convert: " << site.error().file.path << ": " << site.error().file.reason
            << '\n';
        return exit_failure;
    }
    print_damage(name, site->damage, err);
    out << conversion::display_path(site->index) << '\n';
    if (!output_flushed(out, err)) {
        return exit_failure;
    }
    return exit_ok;
}

}  // namespace qlx::cli
