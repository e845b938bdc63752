#pragma once

#include <cstddef>
#include <expected>
#include <filesystem>
#include <string>
#include <string_view>

#include "model/diagnostics.h"
#include "model/progress.h"

// An export published as a static web site that a browser opens from the file system.
namespace qlx::publishing {

// Why a site was not published: the file or folder and the reason in words, or a cancel
// (then `file` is empty). Nothing of a site that was not published is left behind.
struct PublishError {
    conversion::FileError file;
    bool cancelled = false;
};

struct PublishedSite {
    std::filesystem::path index;   // the site's index.html, to open in a browser
    std::size_t procedures = 0;    // pages written, one per procedure
    conversion::DamageLog damage;  // the export's damage, also listed on the index page
};

// Whether a site may be published into `folder`: it does not exist, is an empty folder, or
// holds a site that this program published (its marker file says so; it is replaced whole).
// Anything else (a file, a folder with other things in it) is refused with the reason.
std::expected<void, conversion::FileError> check_site_folder(const std::filesystem::path& folder);

// Publishes an export (its bytes as read from the file: Windows-1252, or UTF-8 with a mark)
// into `folder`: index.html (the export header, a table of the procedures, the damage), one
// page per procedure with its outline and previous/next links, a style sheet, a script and the
// search index as a script beside them. `export_name` (UTF-8) titles the index page. The site
// is written into a new folder beside `folder`, which takes its place only when every file is
// written; `folder` is refused as check_site_folder says. `progress` is called with
// Phase::parsing and the work done of the whole (conversion, then pages); returning false
// cancels, and nothing is left behind. Never throws.
std::expected<PublishedSite, PublishError> publish_site(std::string export_bytes,
                                                        const std::filesystem::path& folder,
                                                        std::string_view export_name,
                                                        const conversion::Progress& progress = {});

}  // namespace qlx::publishing
