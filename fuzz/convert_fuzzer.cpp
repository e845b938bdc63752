#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "conversion/driver.h"
#include "fuzz/brace_balance.h"

namespace {

// Forgets the documents but checks that each one's groups balance: no text of an export
// may close the document early or leave it open.
class BalanceCheckingSink : public qlx::conversion::DocumentSink {
public:
    std::expected<void, qlx::conversion::FileError> begin_document(int) override {
        balance_ = {};
        return {};
    }
    std::expected<void, qlx::conversion::FileError> write(std::string_view bytes) override {
        balance_.feed(bytes);
        return {};
    }
    std::expected<void, qlx::conversion::FileError> end_document() override {
        if (!balance_.balanced()) {
            std::abort();
        }
        return {};
    }

private:
    qlx::fuzzing::BraceBalance balance_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    BalanceCheckingSink sink;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!qlx::conversion::convert_export(text, sink)) {
        std::abort();
    }
    return 0;
}
