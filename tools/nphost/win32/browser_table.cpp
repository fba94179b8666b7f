// The browser calls a plug-in can make, each logged. Navigation, posting and
// plug-in-made streams are not served yet: they answer with an error.
#include <cstdlib>

#include "tools/nphost/win32/browser.h"

namespace lmr {

Browser& browser() {
  static Browser instance;
  return instance;
}

std::string instanceName(NPP instance) {
  if (instance == nullptr) return "null";
  for (const auto& hosted : browser().instances) {
    if (&hosted->npp == instance) return std::to_string(hosted->number);
  }
  return "?";
}

namespace {

constexpr const char* UserAgent = "nphost/1.0";

void log(const std::string& line) { writeLine(browser().log, line); }

std::string number(long long value) { return std::to_string(value); }

HWND windowOf(NPP instance) {
  for (const auto& hosted : browser().instances) {
    if (&hosted->npp == instance) return hosted->window;
  }
  return nullptr;
}

NPError getUrl(NPP instance, const char* url, const char* target) {
  log(callLine("NPN_GetURL", {instanceName(instance), quoted(url), quoted(target)}, "0"));
  return NPERR_NO_ERROR;
}

NPError postUrl(NPP instance, const char* url, const char* target, uint32 length, const char*,
                NPBool file) {
  log(callLine("NPN_PostURL",
               {instanceName(instance), quoted(url), quoted(target), number(length), number(file)},
               "1"));
  return NPERR_GENERIC_ERROR;
}

NPError requestRead(NPStream* stream, NPByteRange*) {
  log(callLine("NPN_RequestRead", {quoted(stream != nullptr ? stream->url : nullptr)}, "1"));
  return NPERR_GENERIC_ERROR;
}

NPError newStream(NPP instance, NPMIMEType type, const char* target, NPStream**) {
  log(callLine("NPN_NewStream", {instanceName(instance), quoted(type), quoted(target)}, "1"));
  return NPERR_GENERIC_ERROR;
}

int32 write(NPP instance, NPStream*, int32 length, void*) {
  log(callLine("NPN_Write", {instanceName(instance), number(length)}, "-1"));
  return -1;
}

NPError destroyStream(NPP instance, NPStream*, NPReason reason) {
  log(callLine("NPN_DestroyStream", {instanceName(instance), number(reason)}, "1"));
  return NPERR_GENERIC_ERROR;
}

void status(NPP instance, const char* message) {
  log(callLine("NPN_Status", {instanceName(instance), quoted(message)}));
}

const char* userAgent(NPP instance) {
  log(callLine("NPN_UserAgent", {instanceName(instance)}, quoted(UserAgent)));
  return UserAgent;
}

void* memAlloc(uint32 size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  log(callLine("NPN_MemAlloc", {number(size)}, p != nullptr ? "ok" : "null"));
  return p;
}

void memFree(void* p) {
  log(callLine("NPN_MemFree", {p != nullptr ? "ok" : "null"}));
  std::free(p);
}

uint32 memFlush(uint32 size) {
  log(callLine("NPN_MemFlush", {number(size)}, "0"));
  return 0;
}

void reloadPlugins(NPBool reloadPages) {
  log(callLine("NPN_ReloadPlugins", {number(reloadPages)}));
}

// Java is off in this browser.
JRIEnv* getJavaEnv() {
  log(callLine("NPN_GetJavaEnv", {}, "null"));
  return nullptr;
}

jref getJavaPeer(NPP instance) {
  log(callLine("NPN_GetJavaPeer", {instanceName(instance)}, "null"));
  return nullptr;
}

NPError getUrlNotify(NPP instance, const char* url, const char* target, void*) {
  log(callLine("NPN_GetURLNotify", {instanceName(instance), quoted(url), quoted(target)}, "1"));
  return NPERR_GENERIC_ERROR;
}

NPError postUrlNotify(NPP instance, const char* url, const char* target, uint32 length,
                      const char*, NPBool file, void*) {
  log(callLine("NPN_PostURLNotify",
               {instanceName(instance), quoted(url), quoted(target), number(length), number(file)},
               "1"));
  return NPERR_GENERIC_ERROR;
}

NPError getValue(NPP instance, NPNVariable variable, void* value) {
  if (variable == NPNVnetscapeWindow && value != nullptr && browser().pageWindow != nullptr) {
    *static_cast<HWND*>(value) = browser().pageWindow;
    log(callLine("NPN_GetValue", {instanceName(instance), number(variable)}, "0"));
    return NPERR_NO_ERROR;
  }
  log(callLine("NPN_GetValue", {instanceName(instance), number(variable)}, "1"));
  return NPERR_GENERIC_ERROR;
}

NPError setValue(NPP instance, NPPVariable variable, void*) {
  log(callLine("NPN_SetValue", {instanceName(instance), number(variable)}, "0"));
  return NPERR_NO_ERROR;
}

void invalidateRect(NPP instance, NPRect* rect) {
  std::vector<std::string> args{instanceName(instance)};
  if (rect == nullptr) {
    args.push_back("null");
  } else {
    for (uint16 v : {rect->top, rect->left, rect->bottom, rect->right}) args.push_back(number(v));
  }
  log(callLine("NPN_InvalidateRect", args));
  HWND window = windowOf(instance);
  if (window == nullptr) return;
  if (rect == nullptr) {
    InvalidateRect(window, nullptr, FALSE);
    return;
  }
  RECT r{rect->left, rect->top, rect->right, rect->bottom};
  InvalidateRect(window, &r, FALSE);
}

void invalidateRegion(NPP instance, NPRegion region) {
  log(callLine("NPN_InvalidateRegion", {instanceName(instance)}));
  HWND window = windowOf(instance);
  if (window != nullptr) InvalidateRgn(window, static_cast<HRGN>(region), FALSE);
}

void forceRedraw(NPP instance) {
  log(callLine("NPN_ForceRedraw", {instanceName(instance)}));
  HWND window = windowOf(instance);
  if (window != nullptr) UpdateWindow(window);
}

}  // namespace

NPNetscapeFuncs browserTable(int minor) {
  NPNetscapeFuncs table{};
  table.size = sizeof table;
  table.version = static_cast<uint16>((NP_VERSION_MAJOR << 8) | (minor & 0xFF));
  table.geturl = getUrl;
  table.posturl = postUrl;
  table.requestread = requestRead;
  table.newstream = newStream;
  table.write = write;
  table.destroystream = destroyStream;
  table.status = status;
  table.uagent = userAgent;
  table.memalloc = memAlloc;
  table.memfree = memFree;
  table.memflush = memFlush;
  table.reloadplugins = reloadPlugins;
  table.getJavaEnv = getJavaEnv;
  table.getJavaPeer = getJavaPeer;
  table.geturlnotify = getUrlNotify;
  table.posturlnotify = postUrlNotify;
  table.getvalue = getValue;
  table.setvalue = setValue;
  table.invalidaterect = invalidateRect;
  table.invalidateregion = invalidateRegion;
  table.forceredraw = forceRedraw;
  return table;
}

}  // namespace lmr
