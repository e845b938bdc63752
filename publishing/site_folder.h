#pragma once

#include <expected>
#include <filesystem>
#include <string_view>

#include "model/diagnostics.h"

namespace qlx::publishing {

// The file that marks a folder as a site this program published: such a folder may be
// replaced whole by the next site published there.
inline constexpr std::string_view site_marker_name = ".qlx-viewer-site";

// A site being written: a new folder beside the target, which takes the target's place (and
// the place of the site that stood there) in commit(). Until then the target is untouched; a
// destruction before commit() removes the new folder and all it holds.
class SiteFolder {
public:
    // Refuses a target as check_site_folder does; makes the new folder beside it.
    static std::expected<SiteFolder, conversion::FileError> create(
        const std::filesystem::path& target);
    SiteFolder(SiteFolder&& other) noexcept;
    SiteFolder& operator=(SiteFolder&&) = delete;
    ~SiteFolder();

    // Writes a file of the site (a plain name, no folders) whole. May be called from several
    // threads at once.
    std::expected<void, conversion::FileError> write(std::string_view name,
                                                     std::string_view bytes) const;
    // Writes the marker and puts the folder in the target's place: an earlier site there is
    // removed, an empty folder replaced. After a failure the target is as it was.
    std::expected<void, conversion::FileError> commit();

    const std::filesystem::path& target() const { return target_; }

private:
    SiteFolder(std::filesystem::path target, std::filesystem::path folder)
        : target_(std::move(target)), folder_(std::move(folder)) {}

    std::filesystem::path target_;
    std::filesystem::path folder_;  // the new folder; empty once committed or moved from
};

}  // namespace qlx::publishing
