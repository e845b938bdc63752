#include "conversion/platform_file.h"

#include <cerrno>

#ifdef _WIN32
#include <system_error>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qlx::conversion {

#ifdef _WIN32

std::FILE* open_for_replacing(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    if (std::filesystem::is_symlink(status)) {
        std::filesystem::remove(path, error);
    } else if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        errno = EINVAL;
        return nullptr;
    }
    return _wfopen(path.c_str(), L"wb");
}

#else

std::FILE* open_for_replacing(const std::filesystem::path& path) {
    // O_NONBLOCK: opening a pipe planted in the file's place must not wait for a reader.
    constexpr int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0 && errno == ELOOP) {
        ::unlink(path.c_str());
        fd = ::open(path.c_str(), flags | O_EXCL, 0666);
    }
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return nullptr;
    }
    if (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, 0) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

#endif

}  // namespace qlx::conversion
