#include "tools/nphost/win32/mouse_input.h"

#include "tools/nphost/win32/instance_calls.h"

namespace lmr {
namespace {

// How long a click holds the button, and how long the browser thread keeps
// pumping after the last input so its messages arrive.
constexpr DWORD HoldMillis = 100;
constexpr DWORD SettleMillis = 50;

struct Injection {
  MouseAction action;
  POINT screen;
  bool sent = true;
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

DWORD WINAPI injectOnThread(void* parameter) {
  auto& job = *static_cast<Injection*>(parameter);
  job.sent = send(moveTo(job.screen));
  Sleep(SettleMillis);
  if (job.action == MouseAction::Down || job.action == MouseAction::Click) {
    job.sent = send(button(MOUSEEVENTF_LEFTDOWN)) && job.sent;
  }
  if (job.action == MouseAction::Click) Sleep(HoldMillis);
  if (job.action == MouseAction::Up || job.action == MouseAction::Click) {
    job.sent = send(button(MOUSEEVENTF_LEFTUP)) && job.sent;
  }
  return 0;
}

}  // namespace

bool injectMouse(MouseAction action, POINT screen) {
  Injection job{action, screen};
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

}  // namespace lmr
