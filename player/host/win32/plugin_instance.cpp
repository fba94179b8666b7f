// The NPP_* entries. The player is not wired in yet: an instance keeps only
// its record, accepts one stream and drops the data it is sent, but every
// entry already answers a browser's unexpected call orders with the error
// codes the player will give.
#include <new>

#include "player/host/win32/plugin_library.h"

namespace lmr {
namespace {

// What NPP_WriteReady answers while no download speed limit applies.
constexpr int32 UnlimitedWrite = 0x0FFFFFFF;

NPError newInstance(NPMIMEType, NPP instance, uint16 mode, int16, char*[], char*[],
                    NPSavedData*) {
  if (instance == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  auto* record = new (std::nothrow) PluginInstance{};
  if (record == nullptr) return NPERR_OUT_OF_MEMORY_ERROR;
  PluginLibrary& library = pluginLibrary();
  record->next = library.instances;
  record->instance = instance;
  record->mode = mode;
  library.instances = record;
  instance->pdata = record;
  return NPERR_NO_ERROR;
}

// Destroying an instance that is gone (or never was) changes nothing.
NPError destroyInstance(NPP instance, NPSavedData**) {
  PluginInstance* record = findInstance(instance);
  if (record == nullptr) return NPERR_NO_ERROR;
  PluginInstance** link = &pluginLibrary().instances;
  while (*link != record) link = &(*link)->next;
  *link = record->next;
  instance->pdata = nullptr;
  delete record;
  return NPERR_NO_ERROR;
}

NPError setWindow(NPP instance, NPWindow* window) {
  if (window == nullptr) return NPERR_GENERIC_ERROR;
  if (instance == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  PluginInstance* record = findInstance(instance);
  if (record == nullptr) return NPERR_GENERIC_ERROR;
  // A record without a handle before any other: nothing to detach from.
  if (window->window == nullptr && record->npWindow == nullptr) return NPERR_NO_ERROR;
  record->npWindow = window;
  return NPERR_NO_ERROR;
}

// One stream per instance in its whole life.
NPError newStream(NPP instance, NPMIMEType, NPStream* stream, NPBool, uint16* streamType) {
  PluginInstance* record = findInstance(instance);
  if (record == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  if (record->stream != nullptr) return NPERR_GENERIC_ERROR;
  if (stream == nullptr) return NPERR_GENERIC_ERROR;
  record->stream = stream;
  stream->pdata = record;
  if (streamType != nullptr) *streamType = NP_NORMAL;
  return NPERR_NO_ERROR;
}

NPError destroyStream(NPP, NPStream*, NPReason) { return NPERR_NO_ERROR; }

void streamAsFile(NPP, NPStream*, const char*) {}

int32 writeReady(NPP, NPStream*) { return UnlimitedWrite; }

// Blocks of the accepted stream are consumed whole (and dropped for now);
// blocks of any other stream are refused.
int32 write(NPP instance, NPStream* stream, int32, int32 length, void*) {
  if (instance == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  PluginInstance* record = findInstance(instance);
  if (record == nullptr || stream == nullptr || stream != record->stream || length < 0) return 0;
  record->bytesReceived += static_cast<uint32>(length);
  return length;
}

// In full-page mode the browser prints; embedded printing comes with the
// player.
void print(NPP instance, NPPrint* printRecord) {
  if (instance == nullptr || printRecord == nullptr) return;
  if (printRecord->mode == NP_FULL) printRecord->print.fullPrint.pluginPrinted = 0;
}

void urlNotify(NPP, const char*, NPReason, void*) {}

}  // namespace

void fillPluginTable(NPPluginFuncs* table) {
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
}

// The Java class comes with the script bridge; until then there is none.
void fillNotifyEntries(NPPluginFuncs* table) {
  table->urlnotify = urlNotify;
  table->javaClass = nullptr;
}

}  // namespace lmr
