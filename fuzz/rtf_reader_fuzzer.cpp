#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/rtf_reader_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qlx::fuzzing::check_rtf_reader(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
