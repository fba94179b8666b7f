// nphost's side of the plug-in interface: the browser table it hands to
// plug-ins and the page's embeds as instances. The browser's calls carry
// no context but the instance, so this state is one per process.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "player/host/npapi/np_tables.h"
#include "tools/nphost/call_log.h"
#include "tools/nphost/embed_parser.h"

namespace lmr {

struct HostInstance {
  NPP_t npp{};
  int number = 0;  // 1, 2, ... in page order; names the instance in the log
  Embed embed;
  std::string mimeType;
  HWND window = nullptr;
  NPWindow npWindow{};
  bool created = false;
  bool streamWhole = false;           // the src stream reached its end
  NPPluginFuncs* table = nullptr;     // the plug-in's entry points
};

struct Browser {
  CallLog log;
  HWND pageWindow = nullptr;
  std::vector<std::unique_ptr<HostInstance>> instances;
};

Browser& browser();

// How the log names an instance: its number, "null", or "?" for a record
// the page never made.
std::string instanceName(NPP instance);

// The browser table of version 0.minor with every entry served.
NPNetscapeFuncs browserTable(int minor);

}  // namespace lmr
