#include "tools/nphost/win32/host_session.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "tools/nphost/plugin_types.h"
#include "tools/nphost/script_parser.h"
#include "tools/nphost/win32/browser.h"
#include "tools/nphost/win32/instance_calls.h"
#include "tools/nphost/win32/plugin_finder.h"
#include "tools/nphost/win32/script_runner.h"

namespace lmr {
namespace {

using NP_GetEntryPointsFunc = NPError(WINAPI*)(NPPluginFuncs*);
using NP_InitializeFunc = NPError(WINAPI*)(NPNetscapeFuncs*);
using NP_ShutdownFunc = NPError(WINAPI*)();

// An embed without width or height gets this size, as browsers gave one.
constexpr int DefaultEmbedSize = 100;
// A stream that makes no progress for this long is broken off.
constexpr DWORD StallMillis = 10000;
constexpr int PageWidth = 640;
constexpr int PageHeight = 480;
// Without a script the page runs this long before it is torn down.
constexpr int UnscriptedMillis = 2000;

struct LoadedPlugin {
  HMODULE module = nullptr;
  NP_ShutdownFunc shutdown = nullptr;
  NPPluginFuncs table{};
  NPNetscapeFuncs browserTable{};
};

bool fail(const std::string& message) {
  std::fprintf(stderr, "nphost: %s\n", message.c_str());
  return false;
}

bool readFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream out;
  out << in.rdbuf();
  content = out.str();
  return !in.bad();
}

std::string folderOf(const std::string& path) {
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string programFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return folderOf(std::string(path, n));
}

void log(const std::string& line) { logCall(line); }

template <typename Func>
Func exported(HMODULE module, const char* name) {
  return reinterpret_cast<Func>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Loads a plug-in and exchanges the tables: entry points first, then the
// browser table, as most browsers did.
bool loadPlugin(const std::string& path, int minor, LoadedPlugin& plugin) {
  plugin.module = LoadLibraryA(path.c_str());
  if (plugin.module == nullptr) return fail("cannot load plug-in " + path);
  auto getEntryPoints = exported<NP_GetEntryPointsFunc>(plugin.module, "NP_GetEntryPoints");
  auto initialize = exported<NP_InitializeFunc>(plugin.module, "NP_Initialize");
  plugin.shutdown = exported<NP_ShutdownFunc>(plugin.module, "NP_Shutdown");
  if (getEntryPoints == nullptr || initialize == nullptr || plugin.shutdown == nullptr) {
    plugin.shutdown = nullptr;
    return fail("plug-in " + path + " lacks NP_GetEntryPoints, NP_Initialize or NP_Shutdown");
  }
  plugin.table.size = sizeof plugin.table;
  NPError result = getEntryPoints(&plugin.table);
  log(callLine("NP_GetEntryPoints", {}, std::to_string(result)));
  if (result != NPERR_NO_ERROR) return fail("plug-in " + path + " refused NP_GetEntryPoints");
  plugin.browserTable = browserTable(minor);
  result = initialize(&plugin.browserTable);
  log(callLine("NP_Initialize", {}, std::to_string(result)));
  if (result != NPERR_NO_ERROR) return fail("plug-in " + path + " refused NP_Initialize");
  return true;
}

std::string attributeList(const Embed& embed) {
  std::string list = "{";
  for (std::size_t i = 0; i < embed.attributes.size(); ++i) {
    if (i > 0) list += ", ";
    list += quoted(embed.attributes[i].name) + "=" + quoted(embed.attributes[i].value);
  }
  return list + "}";
}

int sizeAttribute(const Embed& embed, const char* name) {
  int value = std::atoi(embedAttribute(embed, name).c_str());
  return value > 0 && value <= 4096 ? value : DefaultEmbedSize;
}

HWND createPageWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = "nphostPage";
  RegisterClassA(&windowClass);
  // Embed windows: plain windows the plug-in subclasses; unlike a static
  // control they take the mouse input over them.
  windowClass.lpszClassName = "nphostEmbed";
  RegisterClassA(&windowClass);
  // The client area, what shotpage saves, is PageWidth x PageHeight
  // whatever the frame's size.
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE;
  RECT frame{0, 0, PageWidth, PageHeight};
  AdjustWindowRect(&frame, style, FALSE);
  return CreateWindowA("nphostPage", "nphost", style, 0, 0, frame.right - frame.left,
                       frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                       nullptr);
}

// NPP_New with the embed's attributes in page order, then its window.
bool createInstance(LoadedPlugin& plugin, HostInstance& hosted, int top) {
  hosted.table = &plugin.table;
  std::vector<char*> names;
  std::vector<char*> values;
  for (EmbedAttribute& attribute : hosted.embed.attributes) {
    names.push_back(&attribute.name[0]);
    values.push_back(&attribute.value[0]);
  }
  const auto count = static_cast<int16>(names.size());
  NPError result = plugin.table.newp(&hosted.mimeType[0], &hosted.npp, NP_EMBED, count,
                                     names.data(), values.data(), nullptr);
  log(callLine("NPP_New",
               {quoted(hosted.mimeType), instanceName(&hosted.npp), std::to_string(NP_EMBED),
                std::to_string(count), attributeList(hosted.embed)},
               std::to_string(result)));
  if (result != NPERR_NO_ERROR) return true;  // a browser shows a broken embed and goes on
  hosted.created = true;
  const int width = sizeAttribute(hosted.embed, "width");
  const int height = sizeAttribute(hosted.embed, "height");
  hosted.window = CreateWindowA("nphostEmbed", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, top,
                                width, height, browser().pageWindow, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  hosted.npWindow.window = hosted.window;
  hosted.npWindow.x = 0;
  hosted.npWindow.y = top;
  hosted.npWindow.width = static_cast<uint32>(width);
  hosted.npWindow.height = static_cast<uint32>(height);
  hosted.npWindow.clipRect = NPRect{0, 0, static_cast<uint16>(height), static_cast<uint16>(width)};
  hosted.npWindow.type = NPWindowTypeWindow;
  setInstanceWindow(hosted);
  return true;
}

}  // namespace

void logCall(const std::string& line) { writeLine(browser().log, line); }

void pumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void setInstanceWindow(HostInstance& hosted) {
  const NPWindow& w = hosted.npWindow;
  NPError result = hosted.table->setwindow(&hosted.npp, &hosted.npWindow);
  log(callLine("NPP_SetWindow",
               {instanceName(&hosted.npp), std::to_string(w.x), std::to_string(w.y),
                std::to_string(w.width), std::to_string(w.height)},
               std::to_string(result)));
}

bool streamFile(HostInstance& hosted, const std::string& url, const std::string& data,
                const HostOptions& options) {
  NPPluginFuncs& table = *hosted.table;
  NPStream stream{};
  stream.ndata = &hosted;
  stream.url = url.c_str();
  stream.end = static_cast<uint32>(data.size());
  const std::string name = instanceName(&hosted.npp);
  uint16 type = NP_NORMAL;
  NPError result = table.newstream(&hosted.npp, &hosted.mimeType[0], &stream, 0, &type);
  log(callLine("NPP_NewStream", {name, quoted(hosted.mimeType), quoted(url), "0"},
               std::to_string(result) + " type " + std::to_string(type)));
  if (result != NPERR_NO_ERROR) return false;

  NPReason reason = NPRES_DONE;
  std::size_t offset = 0;
  const DWORD start = GetTickCount();
  DWORD lastProgress = start;
  while (offset < data.size()) {
    pumpMessages();
    if (options.rate > 0) {
      // Bytes the rate allows by now.
      const unsigned long long allowed =
          static_cast<unsigned long long>(GetTickCount() - start) * options.rate / 1000;
      if (offset >= allowed) {
        Sleep(10);
        continue;
      }
    }
    int32 ready = table.writeready(&hosted.npp, &stream);
    log(callLine("NPP_WriteReady", {name, quoted(url)}, std::to_string(ready)));
    if (ready <= 0) {
      if (GetTickCount() - lastProgress > StallMillis) {
        reason = NPRES_NETWORK_ERR;
        break;
      }
      Sleep(10);
      continue;
    }
    int32 length = static_cast<int32>(std::min<std::size_t>(data.size() - offset, options.chunk));
    if (length > ready) length = ready;
    // The block is valid only during the call: hand the plug-in a copy.
    std::string block = data.substr(offset, static_cast<std::size_t>(length));
    int32 written = table.write(&hosted.npp, &stream, static_cast<int32>(offset), length,
                                       &block[0]);
    log(callLine("NPP_Write", {name, quoted(url), std::to_string(offset), std::to_string(length)},
                 std::to_string(written)));
    if (written < 0) {
      reason = NPRES_NETWORK_ERR;
      break;
    }
    if (written > 0) {
      offset += static_cast<std::size_t>(std::min(written, length));
      lastProgress = GetTickCount();
    } else if (GetTickCount() - lastProgress > StallMillis) {
      reason = NPRES_NETWORK_ERR;
      break;
    }
  }
  result = table.destroystream(&hosted.npp, &stream, reason);
  log(callLine("NPP_DestroyStream", {name, quoted(url), std::to_string(reason)},
               std::to_string(result)));
  return reason == NPRES_DONE;
}

void destroyInstance(HostInstance& hosted) {
  if (!hosted.created) return;
  NPSavedData* saved = nullptr;
  NPError result = hosted.table->destroy(&hosted.npp, &saved);
  log(callLine("NPP_Destroy", {instanceName(&hosted.npp)}, std::to_string(result)));
  hosted.created = false;
  if (hosted.window != nullptr) DestroyWindow(hosted.window);
  hosted.window = nullptr;
}

int runPage(const HostOptions& options) {
  std::string page;
  if (!readFile(options.page, page)) return fail("cannot read page " + options.page), 1;
  std::string script;
  if (!options.scriptFile.empty() && !readFile(options.scriptFile, script)) {
    return fail("cannot read script " + options.scriptFile), 1;
  }
  std::vector<ScriptCommand> commands;
  std::string scriptError;
  if (options.scriptFile.empty()) {
    ScriptCommand wait;
    wait.op = ScriptOp::Wait;
    wait.value = UnscriptedMillis;
    commands.push_back(wait);
  } else if (!parseScript(script, commands, scriptError)) {
    return fail(options.scriptFile + ": " + scriptError), 2;
  }
  Browser& state = browser();
  if (!options.logFile.empty()) {
    state.log.file = std::fopen(options.logFile.c_str(), "w");
    if (state.log.file == nullptr) return fail("cannot write log " + options.logFile), 1;
  }
  const std::string pluginsDir = options.pluginsDir.empty() ? programFolder() : options.pluginsDir;
  const std::vector<PluginFile> plugins = findPlugins(pluginsDir);
  const std::string pageFolder = folderOf(options.page);

  // Every embed's plug-in and file first: a page that cannot be loaded
  // loads nothing.
  std::vector<std::string> pluginOfEmbed;
  std::vector<std::string> dataOfEmbed;
  int number = 0;
  for (const Embed& embed : parseEmbeds(page)) {
    auto hosted = std::make_unique<HostInstance>();
    hosted->number = ++number;
    hosted->embed = embed;
    const std::string src = embedAttribute(embed, "src");
    const std::string extension = urlExtension(src);
    std::string pluginPath;
    for (const PluginFile& plugin : plugins) {
      hosted->mimeType = mimeTypeForExtension(plugin.mimeTypes, plugin.fileExtents, extension);
      if (!hosted->mimeType.empty()) {
        pluginPath = plugin.path;
        break;
      }
    }
    if (pluginPath.empty()) {
      return fail("no plug-in in " + pluginsDir + " plays '" + src + "'"), 1;
    }
    std::string data;
    if (!readFile(pageFolder + src, data)) return fail("cannot read " + pageFolder + src), 1;
    pluginOfEmbed.push_back(pluginPath);
    dataOfEmbed.push_back(data);
    state.instances.push_back(std::move(hosted));
  }

  if (!checkScriptEmbeds(commands, number, scriptError)) {
    return fail(options.scriptFile + ": " + scriptError), 2;
  }

  std::map<std::string, LoadedPlugin> loaded;
  int status = 0;
  for (const std::string& path : pluginOfEmbed) {
    if (loaded.count(path) != 0) continue;
    if (!loadPlugin(path, options.browserMinor, loaded[path])) {
      status = 1;
      break;
    }
  }
  if (status == 0) {
    state.pageWindow = createPageWindow();
    int top = 0;
    for (std::size_t i = 0; i < state.instances.size(); ++i) {
      HostInstance& hosted = *state.instances[i];
      createInstance(loaded[pluginOfEmbed[i]], hosted, top);
      top += static_cast<int>(hosted.npWindow.height);
    }
    for (std::size_t i = 0; i < state.instances.size(); ++i) {
      HostInstance& hosted = *state.instances[i];
      if (!hosted.created) continue;
      hosted.streamWhole =
          streamFile(hosted, embedAttribute(hosted.embed, "src"), dataOfEmbed[i], options);
    }
    pumpMessages();
    status = runScript(commands, options);
    for (auto& hosted : state.instances) destroyInstance(*hosted);
    if (state.pageWindow != nullptr) DestroyWindow(state.pageWindow);
  }
  for (auto& entry : loaded) {
    LoadedPlugin& plugin = entry.second;
    if (plugin.shutdown != nullptr) {
      log(callLine("NP_Shutdown", {}, std::to_string(plugin.shutdown())));
    }
    if (plugin.module != nullptr) FreeLibrary(plugin.module);
  }
  if (state.log.file != nullptr) std::fclose(state.log.file);
  state.log.file = nullptr;
  return status;
}

}  // namespace lmr
