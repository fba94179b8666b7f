#include "tools/nphost/win32/mouse_input.h"

#include "tools/nphost/win32/instance_calls.h"

namespace lmr {
namespace {

// How long a click holds the button, and how long the browser thread keeps
// pumping after the last input so its messages arrive.
constexpr DWORD HoldMillis = 100;
constexpr DWORD SettleMillis = 50;

// How long the script thread waits for a popup menu to open.
constexpr DWORD MenuMillis = 3000;

// Whether the last injected left-button input was a press.
bool leftHeld = false;

struct Injection {
  MouseAction action = MouseAction::Move;
  POINT screen{};
  bool sent = true;
  int menuChoice = -1;  // -1: a plain mouse action, no menu
  std::string error;
};

// Absolute input is in 0..65535 across the primary screen; rounding up
// lands on the pixel asked for rather than the one before it.
INPUT moveTo(POINT screen) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = (screen.x * 65536 + width - 1) / width;
  input.mi.dy = (screen.y * 65536 + height - 1) / height;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return input;
}

INPUT button(DWORD flag) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flag;
  return input;
}

bool send(INPUT input) { return SendInput(1, &input, sizeof input) == 1; }

void pressEscape() {
  INPUT keys[2]{};
  for (INPUT& key : keys) {
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = VK_ESCAPE;
  }
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof keys[0]);
}

HWND waitForPopupMenu() {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (menu != nullptr && IsWindowVisible(menu)) return menu;
    if (GetTickCount() - start > MenuMillis) return nullptr;
    Sleep(10);
  }
}

// Runs on the script thread while the browser thread sits in the menu's
// modal loop, which answers our messages to the menu window.
void pickFromMenu(Injection& job) {
  HWND menuWindow = waitForPopupMenu();
  if (menuWindow == nullptr) {
    job.error = "no popup menu opened";
    return;
  }
  if (job.menuChoice == 0) {
    pressEscape();
    return;
  }
  auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
  const int count = menu != nullptr ? GetMenuItemCount(menu) : 0;
  for (int position = 0; position < count; ++position) {
    if (GetMenuItemID(menu, static_cast<UINT>(position)) != static_cast<UINT>(job.menuChoice)) {
      continue;
    }
    const UINT state = GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
    RECT item{};
    // With a null owner the rectangle comes in screen coordinates.
    if ((state & (MF_GRAYED | MF_DISABLED)) != 0 ||
        !GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &item)) {
      break;
    }
    job.sent = send(moveTo(POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2}));
    Sleep(SettleMillis);
    job.sent = send(button(MOUSEEVENTF_LEFTDOWN)) && job.sent;
    job.sent = send(button(MOUSEEVENTF_LEFTUP)) && job.sent;
    return;
  }
  job.error = "the menu has no enabled command " + std::to_string(job.menuChoice);
  pressEscape();
}

DWORD WINAPI injectOnThread(void* parameter) {
  auto& job = *static_cast<Injection*>(parameter);
  job.sent = send(moveTo(job.screen));
  Sleep(SettleMillis);
  if (job.menuChoice >= 0) {
    job.sent = send(button(MOUSEEVENTF_RIGHTDOWN)) && job.sent;
    job.sent = send(button(MOUSEEVENTF_RIGHTUP)) && job.sent;
    if (job.sent) pickFromMenu(job);
    return 0;
  }
  if (job.action == MouseAction::Down || job.action == MouseAction::Click) {
    job.sent = send(button(MOUSEEVENTF_LEFTDOWN)) && job.sent;
    leftHeld = true;
  }
  if (job.action == MouseAction::Click) Sleep(HoldMillis);
  if (job.action == MouseAction::Up || job.action == MouseAction::Click) {
    job.sent = send(button(MOUSEEVENTF_LEFTUP)) && job.sent;
    leftHeld = false;
  }
  return 0;
}

bool inject(Injection& job) {
  HANDLE thread = CreateThread(nullptr, 0, injectOnThread, &job, 0, nullptr);
  if (thread == nullptr) return false;
  // The browser thread pumps while the script thread injects.
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    pumpMessages();
  }
  CloseHandle(thread);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < SettleMillis) {
    pumpMessages();
    Sleep(5);
  }
  return job.sent;
}

}  // namespace

bool injectMouse(MouseAction action, POINT screen) {
  Injection job;
  job.action = action;
  job.screen = screen;
  return inject(job);
}

void releaseHeldButton() {
  if (!leftHeld) return;
  send(button(MOUSEEVENTF_LEFTUP));
  leftHeld = false;
  pumpMessages();
}

bool injectRightClickChoice(POINT screen, int choice, std::string& error) {
  Injection job;
  job.screen = screen;
  job.menuChoice = choice;
  if (!inject(job)) {
    error = "cannot inject mouse input";
    return false;
  }
  error = job.error;
  return error.empty();
}

}  // namespace lmr
