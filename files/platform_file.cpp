#include "files/platform_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <system_error>

#ifdef _WIN32
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qlx::conversion::platform {

namespace fs = std::filesystem;

namespace {

// Wraps a descriptor in a FILE; closes it when that fails.
std::FILE* file_of(int fd, const char* mode) {
#ifdef _WIN32
    std::FILE* file = ::_fdopen(fd, mode);
#else
    std::FILE* file = ::fdopen(fd, mode);
#endif
    if (file == nullptr) {
        const int error = errno;
#ifdef _WIN32
        ::_close(fd);
#else
        ::close(fd);
#endif
        errno = error;
    }
    return file;
}

}  // namespace

bool remove_tree(const fs::path& path) {
    std::error_code error;
    fs::remove_all(path, error);
    if (error) {
        errno = error.value();
    }
    return !error;
}

#ifdef _WIN32

std::FILE* create_new_file(const fs::path& path) {
    const int fd = ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                            _S_IREAD | _S_IWRITE);
    return fd < 0 ? nullptr : file_of(fd, "wb");
}

bool sync_file(std::FILE* file) {
    return std::fflush(file) == 0 && ::_commit(::_fileno(file)) == 0;
}

bool is_read_only(const fs::path& path) {
    struct _stat64 info {};
    return ::_wstat64(path.c_str(), &info) == 0 && (info.st_mode & _S_IWRITE) == 0;
}

std::FILE* open_for_rewriting(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        errno = EINVAL;
        return nullptr;
    }
    const int fd = ::_wopen(path.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY | _O_NOINHERIT);
    return fd < 0 ? nullptr : file_of(fd, "wb");
}

bool take_owner(std::FILE*, const fs::path&) {
    // A new file takes its rights from its folder, as the file it replaces did.
    return true;
}

bool create_private_folder(const fs::path& path) {
    // The folder inherits the rights of its parent, which belongs to the user.
    return ::_wmkdir(path.c_str()) == 0;
}

bool create_folder(const fs::path& path) {
    return ::_wmkdir(path.c_str()) == 0;
}

bool rename_new(const fs::path& from, const fs::path& to) {
    // _wrename never replaces what stands at `to`.
    return ::_wrename(from.c_str(), to.c_str()) == 0;
}

bool exchange_names(const fs::path&, const fs::path&) {
    errno = ENOSYS;
    return false;
}

std::FILE* open_for_reading(const fs::path& path, bool pipes_too, fs::file_type& type) {
    std::error_code error;
    type = fs::status(path, error).type();
    if (type != fs::file_type::not_found && type != fs::file_type::regular &&
        !(pipes_too && type == fs::file_type::fifo)) {
        errno = EINVAL;
        return nullptr;
    }
    return ::_wfopen(path.c_str(), L"rbN");
}

void read_ahead(std::FILE*) {}

void prefer_large_pages(char*, std::size_t) {}

std::FILE* binary_standard_input() {
    ::_setmode(::_fileno(stdin), _O_BINARY);
    return stdin;
}

void binary_standard_output() {
    std::fflush(stdout);
    ::_setmode(::_fileno(stdout), _O_BINARY);
}

#else

std::FILE* create_new_file(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    return fd < 0 ? nullptr : file_of(fd, "wb");
}

bool sync_file(std::FILE* file) {
    return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
}

bool is_read_only(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return false;
    }
    if (::geteuid() == 0) {
        return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    }
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

std::FILE* open_for_rewriting(const fs::path& path) {
    // Opened without waiting and without emptying, then looked at: only a regular file is
    // emptied.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    int error = 0;
    if (::fstat(fd, &info) != 0) {
        error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        error = EINVAL;
    } else if (::fcntl(fd, F_SETFL, 0) != 0 || ::ftruncate(fd, 0) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return nullptr;
    }
    return file_of(fd, "wb");
}

bool take_owner(std::FILE* file, const fs::path& from) {
    struct stat wanted {};
    struct stat own {};
    const int fd = ::fileno(file);
    if (::stat(from.c_str(), &wanted) != 0 || ::fstat(fd, &own) != 0) {
        return false;
    }
    if (wanted.st_uid == own.st_uid && wanted.st_gid == own.st_gid) {
        return true;
    }
    if (::fchown(fd, wanted.st_uid, wanted.st_gid) == 0) {
        return true;
    }
    // Only the administrator gives files away; the group, where the user belongs to it.
    return ::fchown(fd, static_cast<uid_t>(-1), wanted.st_gid) == 0 && wanted.st_uid == own.st_uid;
}

bool create_private_folder(const fs::path& path) {
    return ::mkdir(path.c_str(), 0700) == 0;
}

bool create_folder(const fs::path& path) {
    return ::mkdir(path.c_str(), 0777) == 0;
}

bool rename_new(const fs::path& from, const fs::path& to) {
    // rename() would replace an empty folder or a file at `to`: only a free name is taken
    // (a name taken between the look and the rename is the one race left).
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool exchange_names([[maybe_unused]] const fs::path& first,
                    [[maybe_unused]] const fs::path& second) {
#if defined(__linux__) && defined(RENAME_EXCHANGE)
    return ::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) == 0;
#else
    errno = ENOSYS;
    return false;
#endif
}

std::FILE* open_for_reading(const fs::path& path, bool pipes_too, fs::file_type& type) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode) && pipes_too) {
        // A pipe is read like `cat` reads it: opening waits for its writer.
        type = fs::file_type::fifo;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        return fd < 0 ? nullptr : file_of(fd, "rb");
    }
    // Opened without waiting, then looked at: whatever stands there by now, a pipe or a
    // device put in place of the file is refused before a byte is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        type = errno == ENOENT ? fs::file_type::not_found : fs::file_type::unknown;
        return nullptr;
    }
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        type = fs::file_type::unknown;
        return nullptr;
    }
    if (S_ISREG(info.st_mode)) {
        type = fs::file_type::regular;
    } else if (S_ISDIR(info.st_mode)) {
        type = fs::file_type::directory;
    } else if (S_ISFIFO(info.st_mode)) {
        type = fs::file_type::fifo;
    } else if (S_ISCHR(info.st_mode)) {
        type = fs::file_type::character;
    } else if (S_ISBLK(info.st_mode)) {
        type = fs::file_type::block;
    } else if (S_ISSOCK(info.st_mode)) {
        type = fs::file_type::socket;
    } else {
        type = fs::file_type::unknown;
    }
    const bool accepted =
        type == fs::file_type::regular || (pipes_too && type == fs::file_type::fifo);
    if (!accepted || ::fcntl(fd, F_SETFL, 0) != 0) {
        ::close(fd);
        errno = EINVAL;
        return nullptr;
    }
    return file_of(fd, "rb");
}

void read_ahead([[maybe_unused]] std::FILE* file) {
#ifdef POSIX_FADV_WILLNEED
    ::posix_fadvise(::fileno(file), 0, 0, POSIX_FADV_WILLNEED);
#endif
}

void prefer_large_pages([[maybe_unused]] char* data, [[maybe_unused]] std::size_t size) {
#ifdef MADV_HUGEPAGE  // Linux
    const long page = ::sysconf(_SC_PAGESIZE);
    if (page <= 0) {
        return;
    }
    // madvise wants a start on a page boundary: the part of the range from the first one.
    const auto address = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t start = (address + page - 1) / page * page;
    if (start - address < size) {
        ::madvise(reinterpret_cast<void*>(start), size - (start - address), MADV_HUGEPAGE);
    }
#endif
}

std::FILE* binary_standard_input() {
    return stdin;
}

void binary_standard_output() {}

#endif

}  // namespace qlx::conversion::platform
