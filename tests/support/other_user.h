#pragma once

#ifndef _WIN32

#include <grp.h>
#include <sys/types.h>
#include <unistd.h>

#include <vector>

namespace qlx::testing {

// While it lives, a process that runs as root acts as the user and group `nobody` (65534),
// whom permissions stop as they stop people; for anyone else it changes nothing (active()
// is false). The whole process changes, every thread of it.
class AsOtherUser {
public:
    static constexpr uid_t user = 65534;
    static constexpr gid_t group = 65534;

    AsOtherUser() {
        if (::geteuid() != 0) {
            return;
        }
        groups_.resize(static_cast<std::size_t>(::getgroups(0, nullptr)));
        groups_.resize(static_cast<std::size_t>(
            ::getgroups(static_cast<int>(groups_.size()), groups_.data())));
        active_ = ::setgroups(0, nullptr) == 0 && ::setegid(group) == 0 && ::seteuid(user) == 0;
    }
    ~AsOtherUser() {
        if (active_) {
            static_cast<void>(::seteuid(0) == 0 && ::setegid(0) == 0 &&
                              ::setgroups(groups_.size(), groups_.data()) == 0);
        }
    }
    AsOtherUser(const AsOtherUser&) = delete;
    AsOtherUser& operator=(const AsOtherUser&) = delete;

    bool active() const { return active_; }

private:
    std::vector<gid_t> groups_;
    bool active_ = false;
};

}  // namespace qlx::testing

#endif
