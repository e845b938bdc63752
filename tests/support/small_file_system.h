#pragma once

#ifndef _WIN32

#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace qlx::testing {

// A folder where writing runs out of room after `free_bytes` more bytes: a tmpfs of 64 KB,
// filled up to that, where this process may mount one (as root) and `may_mount`; otherwise
// the process's file-size limit, past which a write fails as on a full disk (EFBIG instead of
// ENOSPC).
class SmallFileSystem {
public:
    explicit SmallFileSystem(const std::filesystem::path& folder, bool may_mount = true)
        : folder_(folder) {
        std::filesystem::create_directories(folder_);
        mounted_ = may_mount &&
                   ::mount("qlx-test", folder_.c_str(), "tmpfs", 0, "size=64k,mode=0700") == 0;
    }
    ~SmallFileSystem() {
        end_limit();
        if (mounted_) {
            ::umount2(folder_.c_str(), MNT_DETACH);
        }
    }

    bool mounted() const { return mounted_; }

    // Puts a file there before the room runs out.
    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
    }

    // Leaves `free_bytes` of room: fills the tmpfs, or limits the size of files written.
    void leave_free(std::uintmax_t free_bytes) {
        if (mounted_) {
            const std::uintmax_t available = std::filesystem::space(folder_).available;
            put("filler", std::string(available - free_bytes, 'f'));
            return;
        }
        ::getrlimit(RLIMIT_FSIZE, &old_limit_);
        old_handler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_limit_;
        limit.rlim_cur = free_bytes;
        limited_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }

    // The reason a write there gives when the room has run out.
    std::string full_reason() const {
        return mounted_ ? "No space left on device" : "File too large";
    }

    void end_limit() {
        if (limited_) {
            ::setrlimit(RLIMIT_FSIZE, &old_limit_);
            ::signal(SIGXFSZ, old_handler_);
            limited_ = false;
        }
    }

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
    bool limited_ = false;
    rlimit old_limit_{};
    sighandler_t old_handler_ = SIG_DFL;
};

}  // namespace qlx::testing

#endif
