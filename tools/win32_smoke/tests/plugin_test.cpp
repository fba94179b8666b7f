// What only the 32-bit NPLMR32.dll can show: its stdcall exports answer to
// their plain names, its version block reads back, its table entries are
// called with the C convention 32-bit browsers use, and the interface's
// records have the sizes 32-bit browsers were built with.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "player/host/npapi/np_tables.h"

namespace lmr {
namespace {

using NP_GetEntryPointsFunc = NPError(WINAPI*)(NPPluginFuncs*);
using NP_InitializeFunc = NPError(WINAPI*)(NPNetscapeFuncs*);
using NP_ShutdownFunc = NPError(WINAPI*)();

std::string pluginPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + "NPLMR32.dll";
}

struct NpLayout {
  const char* name;
  size_t size;
  size_t expected;
};

TEST(Win32Plugin, InterfaceRecordsHaveTheir32BitLayout) {
  const NpLayout layouts[] = {
      {"NPP_t", sizeof(NPP_t), 8},
      {"NPStream", sizeof(NPStream), 24},
      {"NPWindow", sizeof(NPWindow), 32},
      {"NPWindow.clipRect", offsetof(NPWindow, clipRect), 20},
      {"NPWindow.type", offsetof(NPWindow, type), 28},
      {"NPPrint", sizeof(NPPrint), 40},
      {"NPPrint.print", offsetof(NPPrint, print), 4},
      {"NPPluginFuncs", sizeof(NPPluginFuncs), 60},
      {"NPPluginFuncs.urlnotify", offsetof(NPPluginFuncs, urlnotify), 44},
      {"NPPluginFuncs.javaClass", offsetof(NPPluginFuncs, javaClass), 48},
      {"NPNetscapeFuncs", sizeof(NPNetscapeFuncs), 88},
      {"NPNetscapeFuncs.getJavaEnv", offsetof(NPNetscapeFuncs, getJavaEnv), 52},
      {"NPNetscapeFuncs.forceredraw", offsetof(NPNetscapeFuncs, forceredraw), 84},
  };
  for (const NpLayout& l : layouts) EXPECT_EQ(l.size, l.expected) << l.name;
}

TEST(Win32Plugin, VersionBlockReadsBack) {
  const std::string path = pluginPath();
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  ASSERT_GT(size, 0u) << path;
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
  const std::pair<const char*, const char*> strings[] = {
      {"MIMEType", "application/lumora"},
      {"FileExtents", "lmr"},
      {"FileOpenName", "Glintreel (*.lmr)"},
      {"OriginalFilename", "NPLMR32.DLL"},
  };
  for (const auto& s : strings) {
    std::string query = std::string("\\StringFileInfo\\040904E4\\") + s.first;
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), &value, &length)) << s.first;
    EXPECT_STREQ(static_cast<const char*>(value), s.second);
  }
}

// A stdcall export called through the wrong convention, or a table entry
// through the wrong one, leaves the stack pointer off; these calls run the
// whole exchange and one instance's life in the 32-bit image.
TEST(Win32Plugin, ExportsByPlainNameRunTheTableExchange) {
  HMODULE module = LoadLibraryA(pluginPath().c_str());
  ASSERT_NE(module, nullptr);
  auto getEntryPoints = reinterpret_cast<NP_GetEntryPointsFunc>(
      reinterpret_cast<void*>(GetProcAddress(module, "NP_GetEntryPoints")));
  auto initialize = reinterpret_cast<NP_InitializeFunc>(
      reinterpret_cast<void*>(GetProcAddress(module, "NP_Initialize")));
  auto shutdown = reinterpret_cast<NP_ShutdownFunc>(
      reinterpret_cast<void*>(GetProcAddress(module, "NP_Shutdown")));
  ASSERT_NE(getEntryPoints, nullptr);
  ASSERT_NE(initialize, nullptr);
  ASSERT_NE(shutdown, nullptr);
  EXPECT_EQ(GetProcAddress(module, "NP_GetEntryPoints@4"), nullptr);

  NPPluginFuncs plugin{};
  plugin.size = sizeof plugin;
  NPNetscapeFuncs browser{};
  browser.size = sizeof browser;
  browser.version = 9;
  ASSERT_EQ(getEntryPoints(&plugin), NPERR_NO_ERROR);
  ASSERT_EQ(initialize(&browser), NPERR_NO_ERROR);
  EXPECT_EQ(plugin.version, 9);
  ASSERT_NE(plugin.newp, nullptr);
  EXPECT_NE(plugin.urlnotify, nullptr);

  NPP_t instance{};
  char type[] = "application/lumora";
  EXPECT_EQ(plugin.newp(type, &instance, NP_EMBED, 0, nullptr, nullptr, nullptr), NPERR_NO_ERROR);
  NPStream stream{};
  uint16 streamType = 0;
  EXPECT_EQ(plugin.newstream(&instance, type, &stream, 0, &streamType), NPERR_NO_ERROR);
  char data[4] = {'L', 'M', 'V', 5};
  EXPECT_EQ(plugin.write(&instance, &stream, 0, 4, data), 4);
  EXPECT_EQ(plugin.destroystream(&instance, &stream, NPRES_DONE), NPERR_NO_ERROR);
  EXPECT_EQ(plugin.destroy(&instance, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(shutdown(), NPERR_NO_ERROR);
  FreeLibrary(module);
}

}  // namespace
}  // namespace lmr
