#include <gtest/gtest.h>

#include "tools/nphost/plugin_types.h"

namespace lmr {
namespace {

struct ExtensionCase {
  const char* url;
  const char* extension;
};

TEST(PluginTypes, ExtensionOfAUrl) {
  const ExtensionCase cases[] = {
      {"movie.lmr", "lmr"},
      {"movies/intro.LMR?x=1.gif", "LMR"},
      {"a.b/c.lmr#frame.2", "lmr"},
      {"dir.d/noext", ""},
      {"C:\\dir.d\\noext", ""},
      {"trailing.", ""},
      {"", ""},
  };
  for (const ExtensionCase& c : cases) EXPECT_EQ(urlExtension(c.url), c.extension) << c.url;
}

struct TypeCase {
  const char* types;
  const char* extents;
  const char* extension;
  const char* expected;
};

TEST(PluginTypes, TypeAtTheExtensionsPosition) {
  const TypeCase cases[] = {
      {"application/lumora", "lmr", "lmr", "application/lumora"},
      {"application/lumora", "lmr", "LMR", "application/lumora"},
      {"a/one|a/two", "one|two,zwei", "zwei", "a/two"},
      {"a/one|a/two", "one| two ", "two", "a/two"},
      {"a/one", "one|two", "two", ""},  // more extents than types: no type
      {"application/lumora", "lmr", "lm", ""},
      {"application/lumora", "lmr", "", ""},
      {"", "", "lmr", ""},
  };
  for (const TypeCase& c : cases) {
    EXPECT_EQ(mimeTypeForExtension(c.types, c.extents, c.extension), c.expected)
        << c.types << " / " << c.extents << " / " << c.extension;
  }
}

}  // namespace
}  // namespace lmr
