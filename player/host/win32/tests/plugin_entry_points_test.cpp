// The exports' answers to the tables a browser hands over, in either order
// and with tables a browser should not send.
#include <gtest/gtest.h>

#include <cstring>

#include "player/host/win32/tests/plugin_dll_fixture.h"

namespace lmr {
namespace {

// What a table entry holds before the plug-in fills it, so untouched
// entries show.
void* untouchedEntry() {
  void* entry;
  std::memset(&entry, 0x5A, sizeof entry);
  return entry;
}
void* const Untouched = untouchedEntry();

NPPluginFuncs untouchedPluginTable(uint16 size) {
  NPPluginFuncs table;
  std::memset(&table, 0x5A, sizeof table);
  table.size = size;
  table.version = 0;
  return table;
}

NPNetscapeFuncs browserTable(uint16 version) {
  NPNetscapeFuncs table{};
  table.size = sizeof table;
  table.version = version;
  return table;
}

void* entry(NPP_URLNotifyProcPtr p) { return reinterpret_cast<void*>(p); }

class PluginEntryPoints : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dll.load()); }
  void TearDown() override { dll.unload(); }
  PluginDll dll;
};

TEST_F(PluginEntryPoints, MissingTablesAreRefused) {
  EXPECT_EQ(dll.getEntryPoints(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
  EXPECT_EQ(dll.initialize(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
  EXPECT_EQ(dll.shutdown(), NPERR_NO_ERROR);
}

struct ExchangeCase {
  const char* name;
  bool initializeFirst;
  uint16 browserVersion;
  uint16 pluginTableSize;
  NPError initializeResult;
  bool notifyEntrySet;
};

TEST_F(PluginEntryPoints, TablesExchangedInEitherOrder) {
  const uint16 full = sizeof(NPPluginFuncs);
  const auto shortTable = static_cast<uint16>(NPPluginFuncsSizeThroughEvent);
  const ExchangeCase cases[] = {
      {"entry points first, browser 0.9", false, 0x0009, full, NPERR_NO_ERROR, true},
      {"initialize first, browser 0.9", true, 0x0009, full, NPERR_NO_ERROR, true},
      {"browser 0.11", false, 0x000B, full, NPERR_NO_ERROR, true},
      {"browser 0.8 has no notify entry", false, 0x0008, full, NPERR_NO_ERROR, false},
      {"initialize first, browser 0.6", true, 0x0006, full, NPERR_NO_ERROR, false},
      {"browser major 1 is refused", false, 0x0109, full, NPERR_INCOMPATIBLE_VERSION_ERROR, false},
      {"initialize first, major 1", true, 0x0109, full, NPERR_INCOMPATIBLE_VERSION_ERROR, false},
      {"short plug-in table keeps its end", false, 0x0009, shortTable, NPERR_NO_ERROR, false},
  };
  for (const ExchangeCase& c : cases) {
    SCOPED_TRACE(c.name);
    dll.unload();
    ASSERT_TRUE(dll.load());
    NPPluginFuncs plugin = untouchedPluginTable(c.pluginTableSize);
    NPNetscapeFuncs browser = browserTable(c.browserVersion);
    if (c.initializeFirst) {
      EXPECT_EQ(dll.initialize(&browser), c.initializeResult);
      EXPECT_EQ(dll.getEntryPoints(&plugin), NPERR_NO_ERROR);
    } else {
      EXPECT_EQ(dll.getEntryPoints(&plugin), NPERR_NO_ERROR);
      EXPECT_EQ(dll.initialize(&browser), c.initializeResult);
    }
    EXPECT_EQ(plugin.size, c.pluginTableSize) << "the browser's size stays";
    EXPECT_EQ(plugin.version, 9);
    const void* filled[] = {reinterpret_cast<void*>(plugin.newp),
                            reinterpret_cast<void*>(plugin.destroy),
                            reinterpret_cast<void*>(plugin.setwindow),
                            reinterpret_cast<void*>(plugin.newstream),
                            reinterpret_cast<void*>(plugin.destroystream),
                            reinterpret_cast<void*>(plugin.asfile),
                            reinterpret_cast<void*>(plugin.writeready),
                            reinterpret_cast<void*>(plugin.write),
                            reinterpret_cast<void*>(plugin.print)};
    for (const void* p : filled) {
      EXPECT_NE(p, nullptr);
      EXPECT_NE(p, Untouched);
    }
    EXPECT_EQ(plugin.event, nullptr);
    if (c.notifyEntrySet) {
      EXPECT_NE(entry(plugin.urlnotify), Untouched);
      EXPECT_NE(entry(plugin.urlnotify), nullptr);
      EXPECT_EQ(plugin.javaClass, nullptr) << "no Java class before the script bridge";
    } else {
      EXPECT_EQ(entry(plugin.urlnotify), Untouched);
      EXPECT_EQ(plugin.javaClass, Untouched);
    }
    // Entries the plug-in does not serve are left to the browser.
    EXPECT_EQ(reinterpret_cast<void*>(plugin.getvalue), Untouched);
    EXPECT_EQ(reinterpret_cast<void*>(plugin.setvalue), Untouched);
    EXPECT_EQ(dll.shutdown(), NPERR_NO_ERROR);
  }
}

}  // namespace
}  // namespace lmr
