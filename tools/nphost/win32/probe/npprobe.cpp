// npprobe.dll: a plug-in for nphost's own tests. It calls back into the
// browser from NPP_New (so the log shows the browser's side), reports the
// browser table it was given through NPN_Status, accepts at most 5 bytes
// per NPP_WriteReady and consumes only part of its first block, so a
// browser that ignores either answer shows in the log.
#include <windows.h>

#include <cstdio>

#include "player/host/npapi/np_tables.h"

namespace {

NPNetscapeFuncs* browserTable = nullptr;
bool firstBlock = true;

NPError newInstance(NPMIMEType, NPP instance, uint16, int16, char*[], char*[], NPSavedData*) {
  if (instance == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  char text[64];
  std::snprintf(text, sizeof text, "browser %d.%d, table of %d bytes", browserTable->version >> 8,
                browserTable->version & 0xFF, browserTable->size);
  browserTable->status(instance, text);
  void* memory = browserTable->memalloc(16);
  browserTable->uagent(instance);
  browserTable->geturl(instance, "next \"page\".html", "_self");
  browserTable->memfree(memory);
  browserTable->status(instance, nullptr);
  firstBlock = true;
  return NPERR_NO_ERROR;
}

NPError destroyInstance(NPP, NPSavedData**) { return NPERR_NO_ERROR; }
NPError setWindow(NPP, NPWindow*) { return NPERR_NO_ERROR; }

NPError newStream(NPP, NPMIMEType, NPStream*, NPBool, uint16* type) {
  *type = NP_NORMAL;
  return NPERR_NO_ERROR;
}

NPError destroyStream(NPP, NPStream*, NPReason) { return NPERR_NO_ERROR; }
void streamAsFile(NPP, NPStream*, const char*) {}
int32 writeReady(NPP, NPStream*) { return 5; }

int32 write(NPP, NPStream*, int32, int32 length, void*) {
  if (firstBlock && length > 2) {
    firstBlock = false;
    return 2;
  }
  return length;
}

void print(NPP, NPPrint*) {}

}  // namespace

extern "C" NPError WINAPI NP_GetEntryPoints(NPPluginFuncs* table) {
  if (table == nullptr) return NPERR_INVALID_FUNCTABLE_ERROR;
  table->version = 9;
  table->newp = newInstance;
  table->destroy = destroyInstance;
  table->setwindow = setWindow;
  table->newstream = newStream;
  table->destroystream = destroyStream;
  table->asfile = streamAsFile;
  table->writeready = writeReady;
  table->write = write;
  table->print = print;
  table->event = nullptr;
  return NPERR_NO_ERROR;
}

extern "C" NPError WINAPI NP_Initialize(NPNetscapeFuncs* table) {
  if (table == nullptr) return NPERR_INVALID_FUNCTABLE_ERROR;
  browserTable = table;
  return NPERR_NO_ERROR;
}

extern "C" NPError WINAPI NP_Shutdown() {
  browserTable = nullptr;
  return NPERR_NO_ERROR;
}
