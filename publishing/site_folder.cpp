#include "publishing/site_folder.h"

#include <cerrno>
#include <system_error>
#include <utility>

#include "files/names_and_reasons.h"
#include "files/platform_file.h"
#include "files/replacing_file.h"
#include "publishing/publish_site.h"

namespace qlx::publishing {

namespace conv = qlx::conversion;
namespace fs = std::filesystem;

namespace {

conv::FileError failure(const fs::path& path, int error) {
    return {conv::display_path(path), conv::errno_reason(error),
            std::error_code(error, std::generic_category())};
}

conv::FileError refusal(const fs::path& path, std::string reason) {
    return {conv::display_path(path), std::move(reason)};
}

// A free name beside the target for a folder of this publishing: ".NAME-WHAT-random" (the name
// kept in the system's form: on Windows a UTF-8 string would be read in the ANSI code page).
fs::path beside(const fs::path& target, std::string_view what) {
    fs::path name(".");
    name += target.filename().native();
    std::string tail(1, '-');
    tail += what;
    tail += '-';
    tail += conv::random_name_part();
    name += tail;
    return target.parent_path() / name;
}

bool is_marked(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(fs::symlink_status(folder / site_marker_name, error));
}

}  // namespace

std::expected<void, conv::FileError> check_site_folder(const fs::path& folder) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(folder, error);
    if (status.type() == fs::file_type::not_found) {
        return {};
    }
    if (error) {
        return std::unexpected(failure(folder, error.value()));
    }
    if (!fs::is_directory(status)) {
        return std::unexpected(refusal(folder, fs::is_symlink(status)
                                                   ? "is a link: give the folder itself"
                                                   : conv::describe_file_type(status.type())));
    }
    if (is_marked(folder)) {
        return {};
    }
    fs::directory_iterator entries(folder, error);
    if (error) {
        return std::unexpected(failure(folder, error.value()));
    }
    if (entries != fs::directory_iterator()) {
        return std::unexpected(
            refusal(folder,
                    "is a folder with other things in it, not a site published here: "
                    "give a new or empty folder"));
    }
    return {};
}

std::expected<SiteFolder, conv::FileError> SiteFolder::create(const fs::path& target) {
    // "DIR/", "DIR/." and "." name a folder: the new one is made beside it, not inside.
    std::error_code error;
    fs::path clean = fs::absolute(target, error).lexically_normal();
    if (!clean.has_filename()) {
        clean = clean.parent_path();
    }
    if (error || !clean.has_filename() || clean.filename() == "..") {
        return std::unexpected(refusal(target, "is not a folder's name"));
    }
    if (auto checked = check_site_folder(clean); !checked) {
        return std::unexpected(checked.error());
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path folder = beside(clean, "new");
        if (conv::platform::create_folder(folder)) {
            return SiteFolder(std::move(clean), std::move(folder));
        }
        if (errno != EEXIST) {
            return std::unexpected(failure(
                folder.parent_path().empty() ? fs::path(".") : folder.parent_path(), errno));
        }
    }
    return std::unexpected(failure(clean, EEXIST));
}

SiteFolder::SiteFolder(SiteFolder&& other) noexcept
    : target_(std::move(other.target_)), folder_(std::exchange(other.folder_, {})) {}

SiteFolder::~SiteFolder() {
    if (!folder_.empty()) {
        conv::platform::remove_tree(folder_);
    }
}

std::expected<void, conv::FileError> SiteFolder::write(std::string_view name,
                                                       std::string_view bytes) const {
    return conv::write_whole_file(folder_ / fs::path(name), bytes, {conv::AtLink::replace, false});
}

std::expected<void, conv::FileError> SiteFolder::commit() {
    if (auto marked = write(site_marker_name,
                            "A web site published by QLX Viewer: publishing "
                            "again here replaces this folder whole.\n");
        !marked) {
        return marked;
    }
    // What stands at the target now may differ from what stood there at the start.
    if (auto checked = check_site_folder(target_); !checked) {
        return checked;
    }
    std::error_code error;
    fs::path earlier;
    if (fs::exists(fs::symlink_status(target_, error))) {
        earlier = beside(target_, "old");
        if (!conv::platform::rename_new(target_, earlier)) {
            return std::unexpected(failure(target_, errno));
        }
    }
    if (!conv::platform::rename_new(folder_, target_)) {
        const int failed = errno;
        if (!earlier.empty()) {
            conv::platform::rename_new(earlier, target_);
        }
        return std::unexpected(failure(target_, failed));
    }
    folder_.clear();
    if (!earlier.empty()) {
        conv::platform::remove_tree(earlier);
    }
    return {};
}

}  // namespace qlx::publishing
