#include <filesystem>
#include <iostream>
#include <vector>

#include "cli/command_line.h"
#include "files/platform_file.h"

// The arguments reach the converter as the system gives them: bytes on POSIX systems, wide
// strings on Windows, so that any file name can be named.
#ifdef _WIN32
int wmain(int argc, wchar_t* argv[]) {
#else
int main(int argc, char* argv[]) {
#endif
    qlx::conversion::platform::binary_standard_output();
    const std::vector<std::filesystem::path> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return qlx::cli::run_command_line(qlx::cli::parse_command_line(arguments), QLX_VERSION,
                                      std::cout, std::cerr);
}
