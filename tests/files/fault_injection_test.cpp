// Failures of the system calls after the bytes are written (a failing close, a failing sync, a
// document that fails slowly while the writer thread finishes), made by the fault shim
// (fault_shim.cpp) that this program runs with. Without the shim the tests are skipped.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli/convert_command.h"
#include "files/replacing_file.h"
#include "support/export_builder.h"

namespace qlx::conversion {
namespace {

namespace fs = std::filesystem;

class FaultInjection : public ::testing::Test {
protected:
    void SetUp() override {
        if (dlsym(RTLD_DEFAULT, "qlx_fault_shim_loaded") == nullptr) {
            GTEST_SKIP() << "run without the fault shim (LD_PRELOAD)";
        }
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() / (std::string("qlx-fault-test-") + info->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
        log_ = root_ / "calls.log";
        setenv("QLX_FAULT_LOG", log_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("QLX_FAULT");
        unsetenv("QLX_FAULT_LOG");
        fs::remove_all(root_);
    }

    static void fail(const std::string& fault) { setenv("QLX_FAULT", fault.c_str(), 1); }
    static std::string slurp(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // The files of the test's folder but the log, by name.
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(root_)) {
            if (entry.path() != log_) {
                found.push_back(entry.path().filename().string());
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    fs::path root_;
    fs::path log_;
};

TEST_F(FaultInjection, AFailingCloseOrSyncOrRenameLeavesTheFileAsItWas) {
    const fs::path target = root_ / "saved.rtf";
    std::ofstream(target, std::ios::binary) << "old";
    for (const char* call : {"fclose", "fsync", "rename"}) {
        fail(std::string(call) + ":saved.rtf");
        auto written = write_whole_file(target, "new", {AtLink::follow, true});
        ASSERT_FALSE(written) << call;
        EXPECT_EQ(written.error().reason, "Input/output error") << call;
        EXPECT_EQ(written.error().path, target.string()) << call;
        EXPECT_EQ(slurp(target), "old") << call;
        EXPECT_EQ(names(), std::vector<std::string>{"saved.rtf"}) << call;
    }
}

TEST_F(FaultInjection, ADurableFileIsSyncedBeforeItTakesTheName) {
    const fs::path target = root_ / "saved.rtf";
    ASSERT_TRUE(write_whole_file(target, "durable", {AtLink::follow, true}));
    std::istringstream calls(slurp(log_));
    std::string sync, rename;
    std::getline(calls, sync);
    std::getline(calls, rename);
    // The new file beside the target is synced, then renamed over it.
    ASSERT_TRUE(sync.starts_with("fsync ")) << sync;
    const std::string part = sync.substr(6);
    EXPECT_TRUE(part.ends_with(".part")) << part;
    EXPECT_EQ(rename, "rename " + part + " " + target.string());
    EXPECT_EQ(slurp(target), "durable");

    // Documents of a conversion are not synced one by one.
    fs::remove(log_);
    ASSERT_TRUE(write_whole_file(root_ / "temp1.rtf", "quick", {AtLink::replace, false}));
    EXPECT_EQ(slurp(log_).find("fsync"), std::string::npos) << slurp(log_);
}

TEST_F(FaultInjection, TheLastDocumentFailingSlowlyFailsTheConversion) {
    using testing::counted;
    const fs::path input = root_ / "in.qlx";
    std::ofstream(input, std::ios::binary)
        << testing::lines({"MEDITECH.CUST.RPTS^H", "PROC", "ONE", counted("D"), "PROC", "TWO",
                           counted("D"), "PROC", "THREE", counted("D")});
    // The writer thread is still writing the last document when the conversion has ended.
    fail("fwrite:temp3.rtf:300");
    std::ostringstream out, err;
    cli::ConvertOptions options{input, root_ / "out"};
    EXPECT_EQ(cli::run_convert(options, out, err), cli::exit_failure);
    EXPECT_EQ(err.str(), "qlx-convert: " + (root_ / "out" / "temp3.rtf").string() +
                             ": No space left on device\n");
    EXPECT_EQ(out.str(), "");
    std::vector<std::string> written;
    for (const auto& entry : fs::directory_iterator(root_ / "out")) {
        written.push_back(entry.path().filename().string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"temp1.rtf", "temp2.rtf"}));
}

}  // namespace
}  // namespace qlx::conversion
