// The three exports a browser looks up by name. They are stdcall and
// exported undecorated through NPLMR32.def.
#include <cstddef>

#include "player/host/win32/plugin_library.h"

namespace {

// The version this plug-in announces in its table: 0.9.
constexpr uint16 PluginTableVersion = 9;
// Browsers from minor version 9 on know the URL-notify and Java entries.
constexpr int BrowserMinorWithNotify = 9;

}  // namespace

namespace lmr {

void completePluginTable() {
  PluginLibrary& library = pluginLibrary();
  if (library.pluginTable == nullptr || library.browserTable == nullptr) return;
  const uint16 version = library.browserTable->version;
  if ((version >> 8) != NP_VERSION_MAJOR || (version & 0xFF) < BrowserMinorWithNotify) return;
  // A table shorter than its notify and Java entries keeps its end.
  if (library.pluginTable->size < offsetof(NPPluginFuncs, javaClass) + sizeof(JRIGlobalRef)) return;
  fillNotifyEntries(library.pluginTable);
}

}  // namespace lmr

extern "C" NPError WINAPI NP_GetEntryPoints(NPPluginFuncs* table) {
  if (table == nullptr) return NPERR_INVALID_FUNCTABLE_ERROR;
  lmr::PluginLibrary& library = lmr::pluginLibrary();
  table->version = PluginTableVersion;
  lmr::fillPluginTable(table);
  library.pluginTable = table;
  lmr::completePluginTable();
  return NPERR_NO_ERROR;
}

extern "C" NPError WINAPI NP_Initialize(NPNetscapeFuncs* table) {
  if (table == nullptr) return NPERR_INVALID_FUNCTABLE_ERROR;
  lmr::pluginLibrary().browserTable = table;
  if ((table->version >> 8) != NP_VERSION_MAJOR) return NPERR_INCOMPATIBLE_VERSION_ERROR;
  lmr::completePluginTable();
  return NPERR_NO_ERROR;
}

extern "C" NPError WINAPI NP_Shutdown() {
  lmr::PluginLibrary& library = lmr::pluginLibrary();
  lmr::releaseInstances();
  library.browserTable = nullptr;
  library.pluginTable = nullptr;
  return NPERR_NO_ERROR;
}
