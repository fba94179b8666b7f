// Loads NPLMR32.dll from the test program's own folder the way a browser
// does: by file, then its exports by plain name.
#pragma once

#include <windows.h>

#include <string>

#include "player/host/npapi/np_tables.h"

namespace lmr {

using NP_GetEntryPointsFunc = NPError(WINAPI*)(NPPluginFuncs*);
using NP_InitializeFunc = NPError(WINAPI*)(NPNetscapeFuncs*);
using NP_ShutdownFunc = NPError(WINAPI*)();

// The folder this program runs from, with a trailing backslash.
inline std::wstring programFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

inline std::wstring pluginPath() { return programFolder() + L"NPLMR32.dll"; }

struct PluginDll {
  HMODULE module = nullptr;
  NP_GetEntryPointsFunc getEntryPoints = nullptr;
  NP_InitializeFunc initialize = nullptr;
  NP_ShutdownFunc shutdown = nullptr;

  bool load() {
    module = LoadLibraryW(pluginPath().c_str());
    if (module == nullptr) return false;
    getEntryPoints = reinterpret_cast<NP_GetEntryPointsFunc>(
        reinterpret_cast<void*>(GetProcAddress(module, "NP_GetEntryPoints")));
    initialize = reinterpret_cast<NP_InitializeFunc>(
        reinterpret_cast<void*>(GetProcAddress(module, "NP_Initialize")));
    shutdown = reinterpret_cast<NP_ShutdownFunc>(
        reinterpret_cast<void*>(GetProcAddress(module, "NP_Shutdown")));
    return getEntryPoints != nullptr && initialize != nullptr && shutdown != nullptr;
  }

  // Shuts the library down and unloads it, so the next load starts afresh.
  void unload() {
    if (shutdown != nullptr) shutdown();
    if (module != nullptr) FreeLibrary(module);
    module = nullptr;
  }
};

}  // namespace lmr
