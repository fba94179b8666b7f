#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/nphost/host_options.h"

namespace lmr {
namespace {

bool parse(const std::vector<const char*>& args, HostOptions& options, std::string& error) {
  return parseHostOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(HostOptions, EveryOptionAndThePage) {
  HostOptions options;
  std::string error;
  ASSERT_TRUE(parse({"--plugins", "C:\\plug ins", "--minor", "6", "--chunk", "1", "--rate",
                     "2400", "--log", "calls.txt", "--script", "s.txt", "page.html"},
                    options, error))
      << error;
  EXPECT_EQ(options.pluginsDir, "C:\\plug ins");
  EXPECT_EQ(options.browserMinor, 6);
  EXPECT_EQ(options.chunk, 1);
  EXPECT_EQ(options.rate, 2400);
  EXPECT_EQ(options.logFile, "calls.txt");
  EXPECT_EQ(options.scriptFile, "s.txt");
  EXPECT_EQ(options.page, "page.html");
}

TEST(HostOptions, DefaultsWithThePageAlone) {
  HostOptions options;
  std::string error;
  ASSERT_TRUE(parse({"page.html"}, options, error));
  EXPECT_EQ(options.pluginsDir, "");
  EXPECT_EQ(options.browserMinor, 9);
  EXPECT_EQ(options.chunk, 4096);
  EXPECT_EQ(options.rate, 0);
  EXPECT_EQ(options.logFile, "");
}

struct UsageError {
  std::vector<const char*> args;
  const char* message;
};

TEST(HostOptions, UsageErrorsSayWhatIsWrong) {
  const UsageError cases[] = {
      {{}, "no page given"},
      {{"--log", "x.txt"}, "no page given"},
      {{"a.html", "b.html"}, "only one page"},
      {{"--frobnicate", "a.html"}, "unknown option --frobnicate"},
      {{"a.html", "--log"}, "--log needs a value"},
      {{"--plugins", "", "a.html"}, "--plugins needs a value"},
      {{"--minor", "256", "a.html"}, "--minor takes a whole number from 0 to 255"},
      {{"--minor", "-1", "a.html"}, "--minor takes"},
      {{"--minor", "9x", "a.html"}, "--minor takes"},
      {{"--chunk", "0", "a.html"}, "--chunk takes a whole number from 1"},
      {{"--chunk", "", "a.html"}, "--chunk takes"},
      {{"--chunk", "2147483648", "a.html"}, "--chunk takes"},
      {{"--rate", "+5", "a.html"}, "--rate takes"},
      {{"--rate", "99999999999999999999", "a.html"}, "--rate takes"},
  };
  for (const UsageError& c : cases) {
    HostOptions options;
    std::string error;
    EXPECT_FALSE(parse(c.args, options, error)) << c.message;
    EXPECT_NE(error.find(c.message), std::string::npos) << "got: " << error;
  }
}

TEST(HostOptions, HelpNeedsNoPage) {
  HostOptions options;
  std::string error;
  ASSERT_TRUE(parse({"--help"}, options, error));
  EXPECT_TRUE(options.help);
}

}  // namespace
}  // namespace lmr
