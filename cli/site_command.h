#pragma once

#include <filesystem>
#include <ostream>

namespace qlx::cli {

struct SiteOptions {
    std::filesystem::path export_path;  // "-" reads the standard input
    std::filesystem::path folder;
};

// Publishes the export as a web site in the folder (publishing::publish_site) and prints the
// path of its index page. Damage is listed on `err` as "EXPORT:LINE: reason" and the site is
// published all the same. Returns 0 when the site is published, 1 when it is not.
int run_site(const SiteOptions& options, std::ostream& out, std::ostream& err);

}  // namespace qlx::cli
