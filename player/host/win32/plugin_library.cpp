#include "player/host/win32/plugin_library.h"

namespace lmr {

PluginLibrary& pluginLibrary() {
  static PluginLibrary library{};
  return library;
}

PluginInstance* findInstance(NPP instance) {
  if (instance == nullptr) return nullptr;
  for (PluginInstance* p = pluginLibrary().instances; p != nullptr; p = p->next) {
    if (p == instance->pdata) return p;
  }
  return nullptr;
}

void releaseInstances() {
  PluginLibrary& library = pluginLibrary();
  while (library.instances != nullptr) {
    PluginInstance* p = library.instances;
    library.instances = p->next;
    if (p->instance != nullptr && p->instance->pdata == p) p->instance->pdata = nullptr;
    delete p;
  }
}

}  // namespace lmr

// The module handle is kept on every call so that resources load from this
// library; the routine never refuses a load.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD, LPVOID) {
  lmr::pluginLibrary().moduleHandle = module;
  return TRUE;
}
