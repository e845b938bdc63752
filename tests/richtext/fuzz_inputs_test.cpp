#include <gtest/gtest.h>

#include <filesystem>

#include "file_bytes.h"
#include "fuzz/rtf_reader_checks.h"

namespace qlx::richtext {
namespace {

// The stored inputs of the reader's fuzz target, checked as the fuzz target checks them; a
// failure names the input and the promise it breaks.
TEST(FuzzInputs, PassTheReaderChecks) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QLX_RTF_FUZZ_CORPUS_DIR)) {
        EXPECT_EQ(fuzzing::rtf_reader_fault(testing::file_bytes(entry.path())), "")
            << entry.path().string();
        ++count;
    }
    EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace qlx::richtext
