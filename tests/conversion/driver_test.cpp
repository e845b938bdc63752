#include "conversion/driver.h"

#include <gtest/gtest.h>

#include "support/export_builder.h"
#include "support/memory_sink.h"

namespace qlx::conversion {
namespace {

using testing::counted;
using testing::lines;
using testing::MemorySink;

TEST(ConvertExport, WorkedExampleProcedureHeading) {
    const std::string text = lines({"MEDITECH.CUST.RPTS^H1^M1", "PROC", "ABC.PROC",
                                    "\x03" "ABC\x04NAME\x02JS\x00\x01Y"});
    MemorySink sink;
    auto report = convert_export(std::string_view(text.data(), text.size()), sink);
    ASSERT_TRUE(report);
    ASSERT_EQ(sink.documents.size(), 1u);
    EXPECT_EQ(report->captions, std::vector<std::string>{"ABC.PROC"});
    std::cout << sink.documents[0];
}

}  // namespace
}  // namespace qlx::conversion
