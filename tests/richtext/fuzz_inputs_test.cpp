#include <gtest/gtest.h>

#include <filesystem>

#include "file_bytes.h"
#include "fuzz/rtf_reader_checks.h"

namespace qlx::richtext {
namespace {

// The stored inputs of the reader's fuzz target and the tests' RTF files, checked as the fuzz
// target checks them; a failure names the input and the promise it breaks.
TEST(FuzzInputs, PassTheReaderChecks) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QLX_RTF_FUZZ_CORPUS_DIR)) {
        EXPECT_EQ(fuzzing::rtf_reader_fault(testing::file_bytes(entry.path())), "")
            << entry.path().string();
        ++count;
    }
    for (const char* folder : {QLX_RICHTEXT_TEST_DATA, QLX_RICHTEXT_PUBLIC_DATA}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (entry.path().extension() == ".rtf") {
                EXPECT_EQ(fuzzing::rtf_reader_fault(testing::file_bytes(entry.path())), "")
                    << entry.path().string();
                ++count;
            }
        }
    }
    EXPECT_GT(count, 500);
}

}  // namespace
}  // namespace qlx::richtext
