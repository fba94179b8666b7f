#include <gtest/gtest.h>

#include <string>

#include "tools/nphost/call_log.h"

namespace lmr {
namespace {

TEST(CallLog, StringsAreQuotedAndEscaped) {
  EXPECT_EQ(quoted(static_cast<const char*>(nullptr)), "null");
  EXPECT_EQ(quoted(""), "\"\"");
  EXPECT_EQ(quoted("say \"hi\"\\now"), "\"say \\\"hi\\\"\\\\now\"");
  EXPECT_EQ(quoted(std::string("a\nb\tc\r\x01\x7f", 8)), "\"a\\nb\\tc\\r\\x01\\x7F\"");
  EXPECT_EQ(quoted("caf\xc3\xa9"), "\"caf\xc3\xa9\"") << "bytes above 0x7F pass as they are";
}

TEST(CallLog, LinesWithAndWithoutArgumentsAndResults) {
  EXPECT_EQ(callLine("NP_Initialize", {}, "0"), "NP_Initialize -> 0");
  EXPECT_EQ(callLine("NPP_Write", {"1", quoted("a.lmr"), "0", "16"}, "16"),
            "NPP_Write(1, \"a.lmr\", 0, 16) -> 16");
  EXPECT_EQ(callLine("NPN_Status", {"1", quoted("loading")}), "NPN_Status(1, \"loading\")");
}

}  // namespace
}  // namespace lmr
