#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace qlx::conversion {

// One place where a damaged export was read leniently. The line is 1-based; the header
// line is line 1. For a line that a key or node line claims but that is missing, it is
// the number of the claiming line. The reason is a fixed text with static storage.
struct Damage {
    std::size_t line = 0;
    std::string_view reason;

    friend bool operator==(const Damage&, const Damage&) = default;
};

// The damage met in one conversion: every place is counted, the first `max_kept` are kept,
// so that a file damaged on every line costs no more memory than a few kilobytes.
class DamageLog {
public:
    static constexpr std::size_t max_kept = 1000;

    void record(std::size_t line, std::string_view reason) {
        ++count_;
        if (kept_.size() < max_kept) {
            kept_.push_back({line, reason});
        }
    }

    // Adds the places of a later log after these.
    void append(const DamageLog& later) {
        for (const Damage& damage : later.kept_) {
            record(damage.line, damage.reason);
        }
        count_ += later.count_ - later.kept_.size();
    }

    std::size_t count() const { return count_; }
    bool empty() const { return count_ == 0; }
    const std::vector<Damage>& kept() const { return kept_; }

private:
    std::vector<Damage> kept_;
    std::size_t count_ = 0;
};

// A file that could not be read or written: its path and the reason, for people to read,
// and the system's error where one was met.
struct FileError {
    std::string path;
    std::string reason;
    std::error_code code{};
};

}  // namespace qlx::conversion
