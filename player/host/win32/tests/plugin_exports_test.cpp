// NPLMR32's exports and version block, read the way browsers read them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "player/host/win32/tests/plugin_dll_fixture.h"

namespace lmr {
namespace {

TEST(PluginExports, EntryPointsResolveByPlainName) {
  HMODULE module = LoadLibraryW(pluginPath().c_str());
  ASSERT_NE(module, nullptr) << "NPLMR32.dll beside the test program";
  for (const char* name : {"NP_GetEntryPoints", "NP_Initialize", "NP_Shutdown"}) {
    EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
  }
  // No decorated twin: browsers never ask for those.
  for (const char* name : {"NP_GetEntryPoints@4", "_NP_Initialize@4", "NP_Shutdown@0"}) {
    EXPECT_EQ(GetProcAddress(module, name), nullptr) << name;
  }
  FreeLibrary(module);
}

std::vector<unsigned char> versionBlock() {
  std::wstring path = pluginPath();
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  std::vector<unsigned char> block(size);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block.data())) block.clear();
  return block;
}

struct VersionString {
  const wchar_t* key;
  const wchar_t* value;
};

TEST(PluginVersionBlock, StringTableRegistersTheMovieType) {
  std::vector<unsigned char> block = versionBlock();
  ASSERT_FALSE(block.empty());
  const VersionString strings[] = {
      {L"ProductName", L"Glintreel"},
      {L"FileDescription", L"Glintreel"},
      {L"MIMEType", L"application/lumora"},
      {L"FileExtents", L"lmr"},
      {L"FileOpenName", L"Glintreel (*.lmr)"},
      {L"InternalName", L"NPLMR32"},
      {L"OriginalFilename", L"NPLMR32.DLL"},
      {L"FileVersion", L"1, 1, 0, 2"},
      {L"ProductVersion", L"1, 1, 0, 2"},
  };
  for (const VersionString& s : strings) {
    std::wstring query = std::wstring(L"\\StringFileInfo\\040904E4\\") + s.key;
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), &value, &length)) << query;
    EXPECT_STREQ(static_cast<const wchar_t*>(value), s.value) << query;
  }
}

TEST(PluginVersionBlock, NumbersAndTranslation) {
  std::vector<unsigned char> block = versionBlock();
  ASSERT_FALSE(block.empty());
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000002u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000002u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
  ASSERT_GE(length, 4u);
  const auto* translation = static_cast<const WORD*>(value);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1252);
}

}  // namespace
}  // namespace lmr
