#include "tools/nphost/win32/script_runner.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/nphost/win32/instance_calls.h"
#include "tools/nphost/win32/mouse_input.h"
#include "tools/nphost/win32/screen_capture.h"

namespace lmr {
namespace {

// How long `loaded` waits for a stream that is not yet whole.
constexpr DWORD LoadedMillis = 10000;

bool failAt(const ScriptCommand& command, const std::string& message) {
  std::fprintf(stderr, "nphost: script line %d: %s\n", command.line, message.c_str());
  return false;
}

// Runs the message loop for the given time, so plug-ins' timers and
// paints happen.
void waitPumping(DWORD millis) {
  const DWORD start = GetTickCount();
  for (;;) {
    pumpMessages();
    const DWORD passed = GetTickCount() - start;
    if (passed >= millis) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, millis - passed, QS_ALLINPUT);
  }
}

HostInstance* liveInstance(const ScriptCommand& command) {
  auto& instances = browser().instances;
  if (command.embed < 1 || command.embed > static_cast<int>(instances.size())) return nullptr;
  HostInstance* hosted = instances[static_cast<std::size_t>(command.embed - 1)].get();
  if (!hosted->created) {
    failAt(command, "embed " + std::to_string(command.embed) + " has no live instance");
    return nullptr;
  }
  return hosted;
}

bool waitLoaded(const ScriptCommand& command, HostInstance& hosted) {
  const DWORD start = GetTickCount();
  while (!hosted.streamWhole) {
    if (GetTickCount() - start > LoadedMillis) {
      return failAt(command, "embed " + std::to_string(command.embed) + "'s stream is not whole");
    }
    waitPumping(10);
  }
  return true;
}

bool resize(const ScriptCommand& command, HostInstance& hosted) {
  SetWindowPos(hosted.window, nullptr, 0, 0, command.x, command.y,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  hosted.npWindow.window = hosted.window;
  hosted.npWindow.width = static_cast<uint32>(command.x);
  hosted.npWindow.height = static_cast<uint32>(command.y);
  hosted.npWindow.clipRect =
      NPRect{0, 0, static_cast<uint16>(command.y), static_cast<uint16>(command.x)};
  setInstanceWindow(hosted);
  return true;
}

// The record keeps its place and size but loses its handle: the window is
// going away and the plug-in must stop drawing into it.
bool noWindow(HostInstance& hosted) {
  NPWindow record = hosted.npWindow;
  record.window = nullptr;
  NPError result = hosted.table->setwindow(&hosted.npp, &record);
  logCall(callLine("NPP_SetWindow", {instanceName(&hosted.npp), "null"}, std::to_string(result)));
  return true;
}

// NPP_Print in embed mode: the record's handle is the memory DC's, its
// place the whole bitmap; the plug-in draws, we save what it drew.
bool print(const ScriptCommand& command, HostInstance& hosted) {
  DibCanvas canvas;
  if (!openCanvas(canvas, command.x, command.y)) {
    return failAt(command, "cannot make a " + std::to_string(command.x) + " x " +
                               std::to_string(command.y) + " bitmap");
  }
  NPPrint record{};
  record.mode = NP_EMBED;
  NPWindow& window = record.print.embedPrint.window;
  window.window = canvas.dc;
  window.width = static_cast<uint32>(command.x);
  window.height = static_cast<uint32>(command.y);
  window.clipRect = NPRect{0, 0, static_cast<uint16>(command.y), static_cast<uint16>(command.x)};
  window.type = NPWindowTypeDrawable;
  record.print.embedPrint.platformPrint = nullptr;
  // A plug-in without a print entry leaves the bitmap white.
  if (hosted.table->print != nullptr) {
    hosted.table->print(&hosted.npp, &record);
    logCall(callLine("NPP_Print", {instanceName(&hosted.npp), std::to_string(NP_EMBED),
                                   std::to_string(command.x), std::to_string(command.y)}));
  }
  const bool saved = saveCanvas(canvas, command.file);
  closeCanvas(canvas);
  return saved || failAt(command, "cannot write " + command.file);
}

bool mouse(const ScriptCommand& command, HostInstance& hosted) {
  const MouseAction action = command.op == ScriptOp::Move   ? MouseAction::Move
                             : command.op == ScriptOp::Down ? MouseAction::Down
                             : command.op == ScriptOp::Up   ? MouseAction::Up
                                                            : MouseAction::Click;
  POINT point{command.x, command.y};
  ClientToScreen(hosted.window, &point);
  return injectMouse(action, point) || failAt(command, "cannot inject mouse input");
}

bool rightClick(const ScriptCommand& command, HostInstance& hosted) {
  POINT point{command.x, command.y};
  ClientToScreen(hosted.window, &point);
  std::string error;
  return injectRightClickChoice(point, command.value, error) || failAt(command, error);
}

bool offerStream(const ScriptCommand& command, HostInstance& hosted, const HostOptions& options) {
  std::ifstream in(command.file, std::ios::binary);
  std::ostringstream data;
  if (!in || !(data << in.rdbuf())) return failAt(command, "cannot read " + command.file);
  streamFile(hosted, command.file, data.str(), options);
  return true;
}

bool runCommand(const ScriptCommand& command, const HostOptions& options) {
  switch (command.op) {
    case ScriptOp::Wait: waitPumping(static_cast<DWORD>(command.value)); return true;
    case ScriptOp::ShotPage:
      return saveClientArea(browser().pageWindow, command.file) ||
             failAt(command, "cannot save the page to " + command.file);
    case ScriptOp::Quit: return true;
    default: break;
  }
  HostInstance* hosted = liveInstance(command);
  if (hosted == nullptr) return false;
  switch (command.op) {
    case ScriptOp::Loaded: return waitLoaded(command, *hosted);
    case ScriptOp::Shot:
      return saveClientArea(hosted->window, command.file) ||
             failAt(command, "cannot save embed " + std::to_string(command.embed) + " to " +
                                 command.file);
    case ScriptOp::Print: return print(command, *hosted);
    case ScriptOp::Resize: return resize(command, *hosted);
    case ScriptOp::NoWindow: return noWindow(*hosted);
    case ScriptOp::Stream: return offerStream(command, *hosted, options);
    case ScriptOp::Destroy: destroyInstance(*hosted); return true;
    case ScriptOp::Move:
    case ScriptOp::Down:
    case ScriptOp::Up:
    case ScriptOp::Click: return mouse(command, *hosted);
    case ScriptOp::RClick: return rightClick(command, *hosted);
    default: return true;
  }
}

}  // namespace

int runScript(const std::vector<ScriptCommand>& commands, const HostOptions& options) {
  int status = 0;
  for (const ScriptCommand& command : commands) {
    if (!runCommand(command, options)) {
      status = 1;
      break;
    }
    if (command.op == ScriptOp::Quit) break;
    pumpMessages();
  }
  releaseHeldButton();
  return status;
}

}  // namespace lmr
