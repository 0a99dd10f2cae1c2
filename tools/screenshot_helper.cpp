// A small Windows helper for tools/screenshots.sh. It runs under Wine on the same desktop as
// boxsweep.exe and does what a person's mouse would: waits for the main window, resizes it,
// opens the tray menu and its window submenu, and reports where windows are on the screen so
// that the script can crop its captures. Screen coordinates equal the X root's on a private
// Xvfb without a window manager.
//
//   screenshot_helper wait-main                 wait for the configuration window; print x y w h
//   screenshot_helper size W H                  resize the main window; print x y w h
//   screenshot_helper windows TITLE...          show plain windows with these titles until killed
//   screenshot_helper wait-title TITLE          wait until a visible window has this title
//   screenshot_helper popup X Y                 open the tray menu at X,Y and its window submenu;
//                                               print the bounds of the open menus as x y w h
//   screenshot_helper close-menus               close any open menu
//
// Every wait is bounded (10 s); the exit status is 0 on success and 1 when a wait ran out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kWaitMs = 10000;
constexpr DWORD kPollMs = 50;
constexpr UINT kTrayCallback = WM_USER + 1;

HWND FindMainWindow() {
  HWND main = FindWindowA("boxsweep", nullptr);
  return main != nullptr && IsWindowVisible(main) ? main : nullptr;
}

void PrintRect(const RECT& r) {
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  std::fflush(stdout);
}

// Polls until the predicate holds or the bound runs out.
template <typename Predicate>
bool WaitFor(Predicate done) {
  for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
    if (done()) return true;
    Sleep(kPollMs);
  }
  return done();
}

// The main window starts with an empty client area and gets its stored placement 800 ms later
// (never smaller than its minimum tracking size of 272 x 344): wait until it is visible at a
// real size that has stopped changing.
int WaitMain() {
  RECT last{};
  int stable = 0;
  bool ok = WaitFor([&] {
    HWND main = FindMainWindow();
    RECT r{};
    if (main == nullptr || !GetWindowRect(main, &r) || r.right - r.left < 200 ||
        r.bottom - r.top < 200) {
      stable = 0;
      return false;
    }
    stable = EqualRect(&r, &last) ? stable + 1 : 0;
    last = r;
    return stable >= 6;
  });
  if (!ok) {
    std::fprintf(stderr, "screenshot_helper: no configuration window\n");
    return 1;
  }
  PrintRect(last);
  return 0;
}

int Size(int width, int height) {
  HWND main = FindMainWindow();
  if (main == nullptr) return 1;
  SetWindowPos(main, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT r{};
  bool ok = WaitFor([&] {
    return GetWindowRect(main, &r) && r.right - r.left == width && r.bottom - r.top == height;
  });
  PrintRect(r);
  return ok ? 0 : 1;
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

// Ordinary application windows, so that the tray menu's window submenu has something to list.
int Windows(int count, char** titles) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = PlainWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "ScreenshotPlainWindow";
  if (RegisterClassA(&wc) == 0) return 1;
  for (int i = 0; i < count; ++i) {
    HWND window = CreateWindowExA(0, wc.lpszClassName, titles[i], WS_OVERLAPPEDWINDOW,
                                  760 + 30 * i, 600 + 40 * i, 320, 160, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

int WaitTitle(const char* title) {
  return WaitFor([&] {
    HWND window = FindWindowA(nullptr, title);
    return window != nullptr && IsWindowVisible(window);
  }) ? 0 : 1;
}

struct MenuScan {
  int count = 0;
  RECT bounds{};
  HWND first = nullptr;
};

BOOL CALLBACK CollectMenu(HWND window, LPARAM param) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, "#32768") != 0 || !IsWindowVisible(window)) return TRUE;
  MenuScan& scan = *reinterpret_cast<MenuScan*>(param);
  RECT r{};
  GetWindowRect(window, &r);
  if (scan.count == 0) {
    scan.bounds = r;
    scan.first = window;
  } else {
    UnionRect(&scan.bounds, &scan.bounds, &r);
  }
  ++scan.count;
  return TRUE;
}

MenuScan ScanMenus() {
  MenuScan scan;
  EnumWindows(CollectMenu, reinterpret_cast<LPARAM>(&scan));
  return scan;
}

void PostKey(HWND menu, WPARAM key) {
  PostMessageA(menu, WM_KEYDOWN, key, 1);
  PostMessageA(menu, WM_KEYUP, key, 0xC0000001);
}

// The tray icon reports a right-button release to the configuration page, which opens the
// popup at the pointer. The menu belongs to the program's thread, so it is driven with keys
// posted to its window: down to "Fenster hinzufügen" (the fourth line, past one separator) and
// right into the submenu.
int Popup(int x, int y) {
  HWND main = FindMainWindow();
  if (main == nullptr) main = FindWindowA("boxsweep", nullptr);
  HWND page = main != nullptr ? FindWindowExA(main, nullptr, "#32770", nullptr) : nullptr;
  if (page == nullptr) {
    std::fprintf(stderr, "screenshot_helper: no configuration page\n");
    return 1;
  }
  SetCursorPos(x, y);
  PostMessageA(page, kTrayCallback, 0, WM_RBUTTONUP);
  MenuScan scan;
  if (!WaitFor([&] { return (scan = ScanMenus()).count >= 1; })) {
    std::fprintf(stderr, "screenshot_helper: the menu did not open\n");
    return 1;
  }
  for (int i = 0; i < 3; ++i) PostKey(scan.first, VK_DOWN);
  PostKey(scan.first, VK_RIGHT);
  if (!WaitFor([&] { return (scan = ScanMenus()).count >= 2; })) {
    std::fprintf(stderr, "screenshot_helper: the submenu did not open\n");
    return 1;
  }
  PrintRect(scan.bounds);
  return 0;
}

int CloseMenus() {
  return WaitFor([] {
    MenuScan scan = ScanMenus();
    if (scan.count == 0) return true;
    PostKey(scan.first, VK_ESCAPE);
    return false;
  }) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2) {
    const char* command = argv[1];
    if (std::strcmp(command, "wait-main") == 0) return WaitMain();
    if (std::strcmp(command, "size") == 0 && argc == 4) {
      return Size(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    if (std::strcmp(command, "windows") == 0) return Windows(argc - 2, argv + 2);
    if (std::strcmp(command, "wait-title") == 0 && argc == 3) return WaitTitle(argv[2]);
    if (std::strcmp(command, "popup") == 0 && argc == 4) {
      return Popup(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    if (std::strcmp(command, "close-menus") == 0) return CloseMenus();
  }
  std::fprintf(stderr, "usage: screenshot_helper wait-main | size W H | windows TITLE... | "
                       "wait-title TITLE | popup X Y | close-menus\n");
  return 2;
}
