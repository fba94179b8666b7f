// The NPP_* entries' answers when a browser calls them in an unexpected
// order: before NPP_New, after NPP_Destroy, twice, or with foreign records.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "player/host/win32/tests/plugin_dll_fixture.h"

namespace lmr {
namespace {

class PluginInstanceCalls : public ::testing::Test {
 public:
  void SetUp() override {
    ASSERT_TRUE(dll.load());
    plugin.size = sizeof plugin;
    browser.size = sizeof browser;
    browser.version = 0x0009;
    ASSERT_EQ(dll.getEntryPoints(&plugin), NPERR_NO_ERROR);
    ASSERT_EQ(dll.initialize(&browser), NPERR_NO_ERROR);
  }
  void TearDown() override { dll.unload(); }

  NPError create(NPP_t& instance, uint16 mode = NP_EMBED) {
    char type[] = "application/lumora";
    return plugin.newp(type, &instance, mode, 0, nullptr, nullptr, nullptr);
  }
  NPError openStream(NPP_t& instance, NPStream& stream) {
    uint16 type = 0;
    return plugin.newstream(&instance, nullptr, &stream, 0, &type);
  }

  PluginDll dll;
  NPPluginFuncs plugin{};
  NPNetscapeFuncs browser{};
};

struct CallCase {
  const char* name;
  std::function<int32(PluginInstanceCalls&)> call;
  int32 expected;
};

TEST_F(PluginInstanceCalls, ErrorCodesForCallsOutOfOrder) {
  // Each call runs on a fresh instance record that NPP_New was never called
  // for, unless the case creates it.
  NPP_t instance{};
  NPStream stream{};
  NPStream otherStream{};
  NPWindow window{};
  char byte = 0;
  const std::vector<CallCase> cases = {
      {"new without instance", [](PluginInstanceCalls& t) {
         char type[] = "application/lumora";
         return int32{t.plugin.newp(type, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr)};
       }, NPERR_INVALID_INSTANCE_ERROR},
      {"destroy without instance", [](PluginInstanceCalls& t) {
         return int32{t.plugin.destroy(nullptr, nullptr)};
       }, NPERR_NO_ERROR},
      {"destroy of an instance never created", [&](PluginInstanceCalls& t) {
         return int32{t.plugin.destroy(&instance, nullptr)};
       }, NPERR_NO_ERROR},
      {"set window without record", [&](PluginInstanceCalls& t) {
         t.create(instance);
         return int32{t.plugin.setwindow(&instance, nullptr)};
       }, NPERR_GENERIC_ERROR},
      {"set window without instance", [&](PluginInstanceCalls& t) {
         return int32{t.plugin.setwindow(nullptr, &window)};
       }, NPERR_INVALID_INSTANCE_ERROR},
      {"set window before new", [&](PluginInstanceCalls& t) {
         return int32{t.plugin.setwindow(&instance, &window)};
       }, NPERR_GENERIC_ERROR},
      {"set window with a foreign private field", [&](PluginInstanceCalls& t) {
         instance.pdata = &byte;
         return int32{t.plugin.setwindow(&instance, &window)};
       }, NPERR_GENERIC_ERROR},
      {"set window without handle first", [&](PluginInstanceCalls& t) {
         t.create(instance);
         return int32{t.plugin.setwindow(&instance, &window)};
       }, NPERR_NO_ERROR},
      {"new stream before new", [&](PluginInstanceCalls& t) {
         return int32{t.openStream(instance, stream)};
       }, NPERR_INVALID_INSTANCE_ERROR},
      {"new stream without instance", [&](PluginInstanceCalls& t) {
         uint16 type = 0;
         return int32{t.plugin.newstream(nullptr, nullptr, &stream, 0, &type)};
       }, NPERR_INVALID_INSTANCE_ERROR},
      {"second stream", [&](PluginInstanceCalls& t) {
         t.create(instance);
         t.openStream(instance, stream);
         return int32{t.openStream(instance, otherStream)};
       }, NPERR_GENERIC_ERROR},
      {"new stream after the first one ended", [&](PluginInstanceCalls& t) {
         t.create(instance);
         t.openStream(instance, stream);
         t.plugin.destroystream(&instance, &stream, NPRES_DONE);
         return int32{t.openStream(instance, otherStream)};
       }, NPERR_GENERIC_ERROR},
      {"new stream after destroy", [&](PluginInstanceCalls& t) {
         t.create(instance);
         t.plugin.destroy(&instance, nullptr);
         return int32{t.openStream(instance, stream)};
       }, NPERR_INVALID_INSTANCE_ERROR},
      {"write without instance", [&](PluginInstanceCalls& t) {
         return t.plugin.write(nullptr, &stream, 0, 1, &byte);
       }, NPERR_INVALID_INSTANCE_ERROR},
      {"write before new", [&](PluginInstanceCalls& t) {
         return t.plugin.write(&instance, &stream, 0, 1, &byte);
       }, 0},
      {"write to a stream not accepted", [&](PluginInstanceCalls& t) {
         t.create(instance);
         t.openStream(instance, stream);
         return t.plugin.write(&instance, &otherStream, 0, 1, &byte);
       }, 0},
      {"write to the accepted stream", [&](PluginInstanceCalls& t) {
         t.create(instance);
         t.openStream(instance, stream);
         return t.plugin.write(&instance, &stream, 0, 1, &byte);
       }, 1},
      {"write ready without a speed limit", [&](PluginInstanceCalls& t) {
         t.create(instance);
         t.openStream(instance, stream);
         return t.plugin.writeready(&instance, &stream);
       }, 0x0FFFFFFF},
      {"destroy stream of an instance never created", [&](PluginInstanceCalls& t) {
         return int32{t.plugin.destroystream(&instance, &stream, NPRES_USER_BREAK)};
       }, NPERR_NO_ERROR},
      {"destroy twice", [&](PluginInstanceCalls& t) {
         t.create(instance);
         t.plugin.destroy(&instance, nullptr);
         return int32{t.plugin.destroy(&instance, nullptr)};
       }, NPERR_NO_ERROR},
  };
  for (const CallCase& c : cases) {
    SCOPED_TRACE(c.name);
    instance = NPP_t{};
    stream = NPStream{};
    otherStream = NPStream{};
    window = NPWindow{};
    EXPECT_EQ(c.call(*this), c.expected);
    plugin.destroy(&instance, nullptr);
  }
}

TEST_F(PluginInstanceCalls, RecordsComeAndGoWithTheirInstances) {
  NPP_t first{}, second{};
  ASSERT_EQ(create(first), NPERR_NO_ERROR);
  ASSERT_EQ(create(second, NP_FULL), NPERR_NO_ERROR);
  EXPECT_NE(first.pdata, nullptr);
  EXPECT_NE(second.pdata, nullptr);
  EXPECT_NE(first.pdata, second.pdata);

  NPStream stream{};
  uint16 type = 0;
  ASSERT_EQ(plugin.newstream(&first, nullptr, &stream, 1, &type), NPERR_NO_ERROR);
  EXPECT_EQ(type, NP_NORMAL);
  EXPECT_EQ(stream.pdata, first.pdata);

  EXPECT_EQ(plugin.destroy(&first, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(first.pdata, nullptr);
  // The other embed lives on.
  EXPECT_EQ(plugin.write(&second, &stream, 0, 4, &type), 0) << "not its stream";
  NPStream secondStream{};
  EXPECT_EQ(plugin.newstream(&second, nullptr, &secondStream, 0, &type), NPERR_NO_ERROR);

  // Shutting the library down frees what the browser did not destroy.
  EXPECT_EQ(dll.shutdown(), NPERR_NO_ERROR);
  EXPECT_EQ(second.pdata, nullptr);
}

TEST_F(PluginInstanceCalls, FullPagePrintingIsLeftToTheBrowser) {
  NPP_t instance{};
  ASSERT_EQ(create(instance, NP_FULL), NPERR_NO_ERROR);
  NPPrint print{};
  print.mode = NP_FULL;
  print.print.fullPrint.pluginPrinted = 1;
  plugin.print(&instance, &print);
  EXPECT_EQ(print.print.fullPrint.pluginPrinted, 0);
  plugin.print(&instance, nullptr);
  plugin.print(nullptr, &print);
}

}  // namespace
}  // namespace lmr
