// npprobe.dll: a plug-in for nphost's own tests. It calls back into the
// browser from NPP_New (so the log shows the browser's side), reports the
// browser table it was given through NPN_Status, accepts at most 5 bytes
// per NPP_WriteReady and consumes only part of its first block, so a
// browser that ignores either answer shows in the log. It fills its window
// with ShownColour and a printed area with PrintedColour, so screenshots
// and prints can be checked pixel by pixel. It reports mouse input over its
// window through NPN_Status, and on a press polls the button as players'
// drag loops do, saying whether it was released while it polled. A right
// click opens a popup menu of commands 101 and 102 and a greyed 103.
#include <windows.h>

#include <cstdio>

#include "player/host/npapi/np_tables.h"

namespace {

NPNetscapeFuncs* browserTable = nullptr;
bool firstBlock = true;

const COLORREF ShownColour = RGB(0x20, 0x80, 0xC0);
const COLORREF PrintedColour = RGB(0xC0, 0x40, 0x10);

// The window's own procedure, kept to pass on what the probe does not paint.
WNDPROC originalProc = nullptr;
NPP windowInstance = nullptr;
LPARAM lastMove = -1;
// A press polled for longer than this is reported as still held.
constexpr DWORD PollMillis = 2000;

void report(const char* what, LPARAM point) {
  char text[64];
  std::snprintf(text, sizeof text, "%s %d,%d", what,
                static_cast<int>(static_cast<short>(LOWORD(point))),
                static_cast<int>(static_cast<short>(HIWORD(point))));
  if (windowInstance != nullptr) browserTable->status(windowInstance, text);
}

void pollPress() {
  const DWORD start = GetTickCount();
  while ((GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0) {
    if (GetTickCount() - start > PollMillis) {
      browserTable->status(windowInstance, "still held");
      return;
    }
    Sleep(5);
  }
  browserTable->status(windowInstance, "released while polling");
}

void fill(HDC dc, const RECT& area, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &area, brush);
  DeleteObject(brush);
}

LRESULT CALLBACK paintingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_MOUSEMOVE && lParam != lastMove) {
    lastMove = lParam;
    report("move", lParam);
  }
  if (message == WM_LBUTTONDOWN) {
    report("down", lParam);
    pollPress();
  }
  if (message == WM_LBUTTONUP) report("up", lParam);
  if (message == WM_RBUTTONUP) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 101, "First");
    AppendMenuA(menu, MF_STRING, 102, "Second");
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 103, "Greyed");
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(window, &at);
    SetForegroundWindow(window);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, window,
                   nullptr);
    DestroyMenu(menu);
    if (windowInstance != nullptr) browserTable->status(windowInstance, "menu closed");
    return 0;
  }
  if (message == WM_COMMAND && windowInstance != nullptr) {
    char text[32];
    std::snprintf(text, sizeof text, "command %u", static_cast<unsigned>(LOWORD(wParam)));
    browserTable->status(windowInstance, text);
    return 0;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    fill(dc, client, ShownColour);
    EndPaint(window, &paint);
    return 0;
  }
  return CallWindowProcA(originalProc, window, message, wParam, lParam);
}

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

NPError destroyInstance(NPP, NPSavedData**) {
  windowInstance = nullptr;
  return NPERR_NO_ERROR;
}
NPError setWindow(NPP instance, NPWindow* record) {
  windowInstance = record != nullptr && record->window != nullptr ? instance : nullptr;
  if (windowInstance == nullptr) return NPERR_NO_ERROR;
  HWND window = static_cast<HWND>(record->window);
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) != paintingProc) {
    originalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(paintingProc)));
  }
  InvalidateRect(window, nullptr, TRUE);
  return NPERR_NO_ERROR;
}

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

// In embed mode the record's handle is the printer's (or a bitmap's) DC.
void print(NPP, NPPrint* record) {
  if (record == nullptr || record->mode != NP_EMBED) return;
  const NPWindow& area = record->print.embedPrint.window;
  const RECT rect{static_cast<LONG>(area.x), static_cast<LONG>(area.y),
                  static_cast<LONG>(area.x + static_cast<int32>(area.width)),
                  static_cast<LONG>(area.y + static_cast<int32>(area.height))};
  fill(static_cast<HDC>(area.window), rect, PrintedColour);
}

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
