// Loaded before the C library (LD_PRELOAD) into the file tests, so that they can make one
// call fail as a failing disk would, without a full disk, and see the order of the calls
// that make a file durable. It does nothing until a test asks, through the environment:
//
//   QLX_FAULT=CALL:PART[:MS]   CALL (fwrite, fclose, fsync or rename; renameat2, which swaps
//                              two names, counts as rename) fails for a file whose
//                              path holds PART, after waiting MS milliseconds: fwrite with
//                              "No space left on device", the others with "Input/output
//                              error". A failing fclose still closes the file.
//   QLX_FAULT_LOG=PATH         appends "fsync FILE" and "rename FROM TO" to PATH for each call.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

extern "C" int qlx_fault_shim_loaded() {
    return 1;
}

namespace {

template <class Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

std::string path_of(int descriptor) {
    char buffer[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(descriptor);
    const ssize_t length = readlink(link.c_str(), buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

// Whether the test asked this call to fail for this path; waits first when asked to.
bool fails(std::string_view call, const std::string& path) {
    const char* fault = std::getenv("QLX_FAULT");
    if (fault == nullptr) {
        return false;
    }
    const std::string_view text(fault);
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || text.substr(0, colon) != call) {
        return false;
    }
    const std::string_view rest = text.substr(colon + 1);
    const std::size_t second = rest.find(':');
    const std::string part(rest.substr(0, second));
    if (part.empty() || path.find(part) == std::string::npos) {
        return false;
    }
    if (second != std::string_view::npos) {
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::atoi(std::string(rest.substr(second + 1)).c_str())));
    }
    return true;
}

void log(const std::string& line) {
    if (const char* path = std::getenv("QLX_FAULT_LOG")) {
        static auto real_fopen = next<FILE* (*)(const char*, const char*)>("fopen");
        static auto real_fwrite = next<size_t (*)(const void*, size_t, size_t, FILE*)>("fwrite");
        static auto real_fclose = next<int (*)(FILE*)>("fclose");
        if (FILE* file = real_fopen(path, "a")) {
            const std::string text = line + "\n";
            real_fwrite(text.data(), 1, text.size(), file);
            real_fclose(file);
        }
    }
}

}  // namespace

extern "C" size_t fwrite(const void* data, size_t size, size_t count, FILE* stream) {
    static auto real = next<size_t (*)(const void*, size_t, size_t, FILE*)>("fwrite");
    if (fails("fwrite", path_of(fileno(stream)))) {
        errno = ENOSPC;
        return 0;
    }
    return real(data, size, count, stream);
}

extern "C" int fclose(FILE* stream) {
    static auto real = next<int (*)(FILE*)>("fclose");
    const bool failing = fails("fclose", path_of(fileno(stream)));
    const int result = real(stream);
    if (failing) {
        errno = EIO;
        return EOF;
    }
    return result;
}

extern "C" int fsync(int descriptor) {
    static auto real = next<int (*)(int)>("fsync");
    const std::string path = path_of(descriptor);
    log("fsync " + path);
    if (fails("fsync", path)) {
        errno = EIO;
        return -1;
    }
    return real(descriptor);
}

extern "C" int rename(const char* from, const char* to) {
    static auto real = next<int (*)(const char*, const char*)>("rename");
    log(std::string("rename ") + from + " " + to);
    if (fails("rename", to)) {
        errno = EIO;
        return -1;
    }
    return real(from, to);
}

extern "C" int renameat2(int from_folder, const char* from, int to_folder, const char* to,
                         unsigned int flags) {
    static auto real = next<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2");
    log(std::string("rename ") + from + " " + to);
    if (fails("rename", to)) {
        errno = EIO;
        return -1;
    }
    return real(from_folder, from, to_folder, to, flags);
}
