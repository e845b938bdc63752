#include <cstddef>
#include <cstdint>
#include <string_view>

#include "conversion/driver.h"

namespace {

// Takes the documents and forgets them.
class DiscardingSink : public qlx::conversion::DocumentSink {
public:
    std::expected<void, qlx::conversion::FileError> begin_document(int) override { return {}; }
    std::expected<void, qlx::conversion::FileError> write(std::string_view) override { return {}; }
    std::expected<void, qlx::conversion::FileError> end_document() override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DiscardingSink sink;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)qlx::conversion::convert_export(text, sink);
    return 0;
}
