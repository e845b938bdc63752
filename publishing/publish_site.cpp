#include "publishing/publish_site.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "comparison/export_comparison.h"
#include "conversion/driver.h"
#include "files/document_sinks.h"
#include "publishing/procedure_page.h"
#include "publishing/search_index.h"
#include "publishing/site_assets.h"
#include "publishing/site_folder.h"
#include "publishing/site_index.h"
#include "publishing/site_pages.h"
#include "richtext/windows1252.h"

namespace qlx::publishing {

namespace conv = qlx::conversion;
namespace fs = std::filesystem;

namespace {

// The pages of the procedures, written on as many threads as the machine has; the calling
// thread reports the progress and hears a cancel.
class PageWriter {
public:
    PageWriter(const SiteFolder& site, std::vector<std::string>& documents,
               const std::vector<conv::DocumentMap>& maps, std::vector<PageEntry>& entries)
        : site_(site),
          documents_(documents),
          maps_(maps),
          entries_(entries),
          search_entries_(documents.size()) {}

    // Writes every page; returns each one's entry of the search index, in order.
    std::expected<std::vector<std::string>, PublishError> run(
        const std::function<bool(std::size_t done)>& report) {
        const std::size_t threads = std::clamp<std::size_t>(
            std::thread::hardware_concurrency(), 1, std::max<std::size_t>(documents_.size(), 1));
        std::vector<std::thread> helpers;
        for (std::size_t i = 1; i < threads; ++i) {
            helpers.emplace_back([this] {
                while (write_next()) {
                }
            });
        }
        while (write_next()) {
            if (report && !report(done_.load()) && !stop_.exchange(true)) {
                cancelled_ = true;
            }
        }
        for (std::thread& helper : helpers) {
            helper.join();
        }
        if (cancelled_) {
            return std::unexpected(PublishError{{}, true});
        }
        if (failure_) {
            return std::unexpected(PublishError{*failure_, false});
        }
        return std::move(search_entries_);
    }

private:
    // Writes the next page no thread has taken; false when none is left or the work stopped.
    bool write_next() {
        const std::size_t index = next_.fetch_add(1);
        if (index >= documents_.size() || stop_.load()) {
            return false;
        }
        static const conv::DocumentMap no_map;
        const conv::DocumentMap& map = index < maps_.size() ? maps_[index] : no_map;
        ProcedurePage page = procedure_page(documents_[index], map, entries_, index);
        std::string().swap(documents_[index]);
        const std::string& stem = entries_[index].stem;
        auto written = site_.write(stem + ".css", page.style_sheet);
        if (written) {
            written = site_.write(stem + ".html", page.html);
        }
        if (!written) {
            const std::lock_guard lock(mutex_);
            if (!failure_) {
                failure_ = written.error();
            }
            stop_ = true;
            return false;
        }
        entries_[index].text_bytes = page.text.size();
        search_entries_[index] =
            search_entry(stem + ".html", entries_[index].name, page.first_line, page.text);
        ++done_;
        return true;
    }

    const SiteFolder& site_;
    std::vector<std::string>& documents_;
    const std::vector<conv::DocumentMap>& maps_;
    // Each thread sets the size of the pages it writes, and reads only names of the others.
    std::vector<PageEntry>& entries_;
    std::vector<std::string> search_entries_;
    std::atomic<std::size_t> next_ = 0;
    std::atomic<std::size_t> done_ = 0;
    std::atomic<bool> stop_ = false;
    bool cancelled_ = false;
    std::mutex mutex_;
    std::optional<conv::FileError> failure_;
};

std::expected<void, PublishError> write_file(const SiteFolder& site, std::string_view name,
                                             std::string_view bytes) {
    if (auto written = site.write(name, bytes); !written) {
        return std::unexpected(PublishError{written.error(), false});
    }
    return {};
}

}  // namespace

std::expected<PublishedSite, PublishError> publish_site(std::string export_bytes,
                                                        const fs::path& folder,
                                                        std::string_view export_name,
                                                        const conv::Progress& progress) {
    auto site = SiteFolder::create(folder);
    if (!site) {
        return std::unexpected(PublishError{site.error(), false});
    }
    // The work in all: the conversion (its bytes), then the pages (as many again).
    const std::uint64_t half = std::max<std::uint64_t>(export_bytes.size(), 1);
    conv::Progress converting;
    if (progress) {
        converting = [&](conv::Phase, std::uint64_t done, std::uint64_t total) {
            return progress(conv::Phase::parsing, total == 0 ? 0 : done * half / total, 2 * half);
        };
    }
    conv::MemorySink documents;
    auto report = conv::convert_export_bytes(export_bytes, documents, converting);
    if (!report) {
        return std::unexpected(PublishError{report.error().output, report.error().cancelled});
    }
    // (The bytes are the export's Windows-1252 now, should it have been re-encoded.)
    const auto header = comparison::header_fields(export_bytes);
    std::string().swap(export_bytes);
    std::vector<PageEntry> entries(documents.documents.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].name = i < report->captions.size()
                              ? richtext::windows1252_to_utf8(report->captions[i])
                              : std::string();
        entries[i].stem = page_stem(i + 1, entries[i].name);
        if (i < report->maps.size()) {
            count_items(report->maps[i].outline, entries[i]);
        }
    }
    const std::size_t pages = entries.size();
    PageWriter writer(*site, documents.documents, report->maps, entries);
    auto written = writer.run([&](std::size_t done) {
        return !progress || progress(conv::Phase::parsing, half + done * half / pages, 2 * half);
    });
    if (!written) {
        return std::unexpected(written.error());
    }
    const std::string index_script = search_index_script(*written);
    written->clear();
    const std::string index_page_html = site_index(export_name, header, entries, report->damage);
    for (const auto& [name, bytes] : {std::pair{search_index_file, std::string_view(index_script)},
                                      {style_sheet_file, site_style_sheet},
                                      {script_file, site_script},
                                      {index_page, std::string_view(index_page_html)}}) {
        if (auto file = write_file(*site, name, bytes); !file) {
            return std::unexpected(file.error());
        }
    }
    if (progress && !progress(conv::Phase::parsing, 2 * half, 2 * half)) {
        return std::unexpected(PublishError{{}, true});
    }
    if (auto committed = site->commit(); !committed) {
        return std::unexpected(PublishError{committed.error(), false});
    }
    return PublishedSite{site->target() / index_page, pages, std::move(report->damage)};
}

}  // namespace qlx::publishing
