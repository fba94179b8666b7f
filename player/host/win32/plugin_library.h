// Library-wide state of the plug-in: the module handle, the two function
// tables exchanged with the browser and the list of live instances. Every
// entry point runs on the browser's window thread, so nothing is locked.
#pragma once

#include <windows.h>

#include "player/host/npapi/np_tables.h"

namespace lmr {

// What the plug-in keeps per embed until the player is wired in: the
// browser's instance, its embed mode, the window record and the one stream
// it accepted.
struct PluginInstance {
  PluginInstance* next;
  NPP instance;
  uint16 mode;
  NPWindow* npWindow;
  NPStream* stream;
  uint32 bytesReceived;
};

struct PluginLibrary {
  HMODULE moduleHandle;
  NPNetscapeFuncs* browserTable;
  NPPluginFuncs* pluginTable;
  PluginInstance* instances;  // newest first
};

PluginLibrary& pluginLibrary();

// Fills the plug-in table's NPP_* entries; the entries that depend on the
// browser's version are set by completePluginTable.
void fillPluginTable(NPPluginFuncs* table);

// Sets the entries only browsers of minor version 9 or more know: the
// URL-notify entry (which does nothing) and the Java class.
void fillNotifyEntries(NPPluginFuncs* table);

// Sets the URL-notify and Java class entries once both tables are known and
// the browser's minor version is 9 or more; hosts exchange the tables in
// either order.
void completePluginTable();

// The live instance whose record the browser's instance points to, or none.
PluginInstance* findInstance(NPP instance);

// Frees every live instance record (at library shutdown).
void releaseInstances();

}  // namespace lmr
