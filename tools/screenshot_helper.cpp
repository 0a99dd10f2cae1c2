// A small Windows helper for tools/screenshots.sh. It runs under Wine on the same desktop as
// boxsweep.exe and does what a person's mouse and keyboard would: waits for the main window,
// resizes it, opens the tray menu and one of its submenus, opens the dialogs through the
// configuration page's commands, drives the add-entry wizard, and reports where windows are on
// the screen so that the script can crop its captures. Screen coordinates equal the X root's on
// a private Xvfb without a window manager.
//
//   screenshot_helper wait-main                 wait for the configuration window; print x y w h
//   screenshot_helper size W H                  resize the main window; print x y w h
//   screenshot_helper watch                     hide the configuration window (Escape), so that
//                                               the program watches; wait until it is hidden
//   screenshot_helper windows TITLE...          show plain windows with these titles until killed;
//                                               TITLE|BUTTON gives one a push button
//   screenshot_helper wait-title TITLE          wait until a visible window has this title
//   screenshot_helper popup X Y [LINE]          open the tray menu at X,Y and the submenu on its
//                                               line LINE (4, the windows, unless given; 3 is
//                                               the pause); print the bounds of the open menus
//                                               as x y w h
//   screenshot_helper page-command ID           post command ID to the configuration page, as a
//                                               menu item does
//   screenshot_helper close-menus               close any open menu
//   screenshot_helper select-entry INDEX        select a line of the rule list, as a click would
//   screenshot_helper open-dialog COMMAND       post COMMAND to the configuration page and wait
//                                               for the dialog it opens; print x y w h
//   screenshot_helper open-over ID              post command ID to the program's frontmost dialog
//                                               and wait for the dialog it opens; print x y w h
//   screenshot_helper close-dialog              cancel the program's open dialog or wizard
//   screenshot_helper open-help                 choose Help and wait for HTML Help's window;
//                                               print x y w h
//   screenshot_helper close-help                close that window
//   screenshot_helper dialog-rect TITLE         wait for a window with this title; print x y w h
//   screenshot_helper dialog-command TITLE ID   post command ID to that window; wait until it goes
//   screenshot_helper close-title TITLE         close the window with this title; wait until it
//                                               goes (a "windows" helper then ends with all its own)
//   screenshot_helper wizard-set ID TEXT        put TEXT into control ID of the current page
//   screenshot_helper wizard-click ID           click control ID of the current page
//   screenshot_helper wizard-pick TITLE         select TITLE in the open-window list (682);
//                                               print the list, one line each
//   screenshot_helper wizard-press next|back T  press Next or Back and wait for the page of
//                                               template T; print the wizard's x y w h
//   screenshot_helper wizard-text ID            print the text of control ID of the current page
//
// Every wait is bounded (10 s); the exit status is 0 on success and 1 when a wait ran out or a
// window was missing (wizard-press: 3 when it had to correct the page, see there).
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "resources/shared_names.h"
#include "window_support.h"

namespace {

constexpr DWORD kWaitMs = 10000;
constexpr DWORD kPollMs = 50;
constexpr UINT kTrayCallback = BOXSWEEP_TRAY_CALLBACK;

HWND FindMainWindow() {
  HWND main = FindWindowA(BOXSWEEP_WINDOW_CLASS, nullptr);
  return main != nullptr && IsWindowVisible(main) ? main : nullptr;
}

// The configuration page: the dialog child of the main window, visible or not.
HWND FindPage() {
  HWND main = FindWindowA(BOXSWEEP_WINDOW_CLASS, nullptr);
  return main != nullptr ? FindWindowExA(main, nullptr, "#32770", nullptr) : nullptr;
}

void PrintRect(const RECT& r) {
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  std::fflush(stdout);
}

// Polls until the predicate holds or the bound runs out. The settle counts below are counted in
// polls of this length.
bool WaitFor(const std::function<bool()>& done) { return WaitUntil(done, kWaitMs, kPollMs); }

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

int Watch() {
  HWND main = FindMainWindow();
  if (main == nullptr) return 1;
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
  return WaitFor([&] { return !IsWindowVisible(main); }) ? 0 : 1;
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
    // "Title|Button" gives the window a push button with that caption.
    std::string title = titles[i];
    const size_t bar = title.find('|');
    const std::string button = bar == std::string::npos ? "" : title.substr(bar + 1);
    title = title.substr(0, bar);
    HWND window = CreateWindowExA(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW,
                                  760 + 30 * i, 600 + 40 * i, 320, 160, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    if (window == nullptr) return 1;
    if (!button.empty() &&
        CreateWindowExA(0, "BUTTON", button.c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 200, 80,
                        90, 26, window, nullptr, wc.hInstance, nullptr) == nullptr)
      return 1;
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
// posted to its window: down to the submenu's line (separators are passed over) and right into
// the submenu.
int Popup(int x, int y, int line) {
  HWND page = FindPage();
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
  for (int i = 0; i < line; ++i) PostKey(scan.first, VK_DOWN);
  PostKey(scan.first, VK_RIGHT);
  if (!WaitFor([&] { return (scan = ScanMenus()).count >= 2; })) {
    std::fprintf(stderr, "screenshot_helper: the submenu did not open\n");
    return 1;
  }
  PrintRect(scan.bounds);
  return 0;
}

int PageCommand(int id) {
  HWND page = FindPage();
  if (page == nullptr) {
    std::fprintf(stderr, "screenshot_helper: no configuration page\n");
    return 1;
  }
  return PostMessageA(page, WM_COMMAND, static_cast<WPARAM>(id), 0) ? 0 : 1;
}

int CloseMenus() {
  return WaitFor([] {
    MenuScan scan = ScanMenus();
    if (scan.count == 0) return true;
    PostKey(scan.first, VK_ESCAPE);
    return false;
  }) ? 0 : 1;
}

bool IsDialogClass(HWND window) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  return std::strcmp(className, "#32770") == 0;
}

struct DialogScan {
  DWORD process = 0;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
  DialogScan& scan = *reinterpret_cast<DialogScan*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == scan.process && IsWindowVisible(window) && IsDialogClass(window)) {
    scan.found.push_back(window);
  }
  return TRUE;
}

// The visible top-level dialogs of the program: the entry editor, the about box, the wizard and
// any message box over them. The configuration page is a child window and never among them.
std::vector<HWND> ProgramDialogs() {
  DialogScan scan;
  HWND main = FindWindowA(BOXSWEEP_WINDOW_CLASS, nullptr);
  if (main == nullptr) return scan.found;
  GetWindowThreadProcessId(main, &scan.process);
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&scan));
  return scan.found;
}

// The wizard is the program's dialog that has a current page.
HWND FindWizard() {
  for (HWND dialog : ProgramDialogs()) {
    if (CurrentPage(dialog) != nullptr) return dialog;
  }
  return nullptr;
}

// Waits until the window is visible at a size that has stopped changing; prints its rectangle.
int PrintSettledRect(HWND window) {
  RECT last{};
  int stable = 0;
  bool ok = WaitFor([&] {
    RECT r{};
    if (!IsWindow(window) || !IsWindowVisible(window) || !GetWindowRect(window, &r)) {
      stable = 0;
      return false;
    }
    stable = EqualRect(&r, &last) ? stable + 1 : 0;
    last = r;
    return stable >= 4;
  });
  if (!ok) {
    std::fprintf(stderr, "screenshot_helper: the window did not settle\n");
    return 1;
  }
  PrintRect(last);
  return 0;
}

// A click on a line of the rule list: the selection, then the notification the list box would
// send its page.
int SelectEntry(int index) {
  HWND page = FindPage();
  HWND list = page != nullptr ? GetDlgItem(page, 102) : nullptr;
  if (list == nullptr) {
    std::fprintf(stderr, "screenshot_helper: no rule list\n");
    return 1;
  }
  if (SendMessageA(list, LB_SETCURSEL, index, 0) == LB_ERR) {
    std::fprintf(stderr, "screenshot_helper: the rule list has no line %d\n", index);
    return 1;
  }
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(102, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  return IsWindowEnabled(GetDlgItem(page, 502)) ? 0 : 1;
}

// Posts command to target and waits for the dialog it opens; prints its rectangle.
int OpenDialogFrom(HWND target, int command) {
  const std::vector<HWND> before = ProgramDialogs();
  PostMessageA(target, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  HWND opened = nullptr;
  if (!WaitFor([&] {
        for (HWND dialog : ProgramDialogs()) {
          bool known = false;
          for (HWND old : before) known = known || old == dialog;
          if (!known) opened = dialog;
        }
        return opened != nullptr;
      })) {
    std::fprintf(stderr, "screenshot_helper: command %d opened no dialog\n", command);
    return 1;
  }
  return PrintSettledRect(opened);
}

int OpenDialog(int command) {
  HWND page = FindPage();
  if (page == nullptr) {
    std::fprintf(stderr, "screenshot_helper: no configuration page\n");
    return 1;
  }
  return OpenDialogFrom(page, command);
}

// A dialog opened from the program's frontmost dialog, as its button ID opens it.
int OpenDialogOver(int command) {
  const std::vector<HWND> open = ProgramDialogs();
  if (open.empty()) {
    std::fprintf(stderr, "screenshot_helper: no dialog open\n");
    return 1;
  }
  return OpenDialogFrom(open.front(), command);
}

// Cancel on the wizard, Escape on any other dialog.
int CloseDialog() {
  const std::vector<HWND> open = ProgramDialogs();
  if (open.empty()) return 0;
  HWND dialog = open.front();
  if (CurrentPage(dialog) != nullptr) {
    PostMessageA(dialog, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  } else {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
  }
  return WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }) ? 0 : 1;
}

// HTML Help's window ("HH Parent") of the program.
HWND FindHelpWindow() {
  HWND main = FindWindowA(BOXSWEEP_WINDOW_CLASS, nullptr);
  DWORD program = 0;
  if (main != nullptr) GetWindowThreadProcessId(main, &program);
  for (HWND window = FindWindowExA(nullptr, nullptr, "HH Parent", nullptr); window != nullptr;
       window = FindWindowExA(nullptr, window, "HH Parent", nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == program && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// The tray menu's Help, as the page receives it.
int OpenHelp() {
  HWND page = FindPage();
  if (page == nullptr) {
    std::fprintf(stderr, "screenshot_helper: no configuration page\n");
    return 1;
  }
  PostMessageA(page, WM_COMMAND, MAKEWPARAM(1004, 0), 0);
  HWND help = nullptr;
  if (!WaitFor([&] { return (help = FindHelpWindow()) != nullptr; })) {
    std::fprintf(stderr, "screenshot_helper: Help opened no window\n");
    return 1;
  }
  return PrintSettledRect(help);
}

int CloseHelp() {
  HWND help = FindHelpWindow();
  if (help == nullptr) return 0;
  PostMessageA(help, WM_CLOSE, 0, 0);
  return WaitFor([&] { return FindHelpWindow() == nullptr; }) ? 0 : 1;
}

HWND FindVisibleTitle(const char* title) {
  HWND window = FindWindowA(nullptr, title);
  return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

int DialogRect(const char* title) {
  HWND window = nullptr;
  if (!WaitFor([&] { return (window = FindVisibleTitle(title)) != nullptr; })) {
    std::fprintf(stderr, "screenshot_helper: no window \"%s\"\n", title);
    return 1;
  }
  return PrintSettledRect(window);
}

// Closes a window with this title as its close box would; waits until it is gone.
int CloseTitle(const char* title) {
  HWND window = FindVisibleTitle(title);
  if (window == nullptr) {
    std::fprintf(stderr, "screenshot_helper: no window \"%s\"\n", title);
    return 1;
  }
  PostMessageA(window, WM_CLOSE, 0, 0);
  return WaitFor([&] { return !IsWindow(window); }) ? 0 : 1;
}

int DialogCommand(const char* title, int command) {
  HWND window = FindVisibleTitle(title);
  if (window == nullptr) {
    std::fprintf(stderr, "screenshot_helper: no window \"%s\"\n", title);
    return 1;
  }
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }) ? 0 : 1;
}

// The control of the wizard's current page; reports what is missing.
HWND PageControl(int id) {
  HWND wizard = FindWizard();
  if (wizard == nullptr) {
    std::fprintf(stderr, "screenshot_helper: no wizard\n");
    return nullptr;
  }
  HWND control = GetDlgItem(CurrentPage(wizard), id);
  if (control == nullptr) std::fprintf(stderr, "screenshot_helper: no control %d on the page\n", id);
  return control;
}

int WizardSet(int id, const char* text) {
  HWND control = PageControl(id);
  if (control == nullptr) return 1;
  SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  return 0;
}

int WizardClick(int id) {
  HWND control = PageControl(id);
  if (control == nullptr) return 1;
  SendMessageA(control, BM_CLICK, 0, 0);
  return 0;
}

// Selects a title in the open-window list and tells the page, as a click on it would.
int WizardPick(const char* title) {
  HWND list = PageControl(682);
  if (list == nullptr) return 1;
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  LRESULT chosen = LB_ERR;
  for (LRESULT i = 0; i < count; ++i) {
    const std::string text = ItemText(list, LB_GETTEXTLEN, LB_GETTEXT, i);
    std::printf("%s\n", text.c_str());
    if (chosen == LB_ERR && text == title) chosen = i;
  }
  std::fflush(stdout);
  if (chosen == LB_ERR) {
    std::fprintf(stderr, "screenshot_helper: \"%s\" is not in the window list\n", title);
    return 1;
  }
  SendMessageA(list, LB_SETCURSEL, chosen, 0);
  SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(682, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  return 0;
}

std::string ComplaintText(HWND box) {
  // Appended piece by piece: g++ 12 at -O3 warns of an overlapping copy (a false -Wrestrict)
  // in the chained form "\"" + text + "\":".
  std::string text = "\"";
  text += WindowText(box);
  text += "\":";
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    text += " [" + WindowText(child) + "]";
  }
  return text;
}

// Presses Next or Back and waits until the wizard has settled on a page other than the one it
// showed before. A message box instead (an input error) is reported with its text. When the
// sheet ends up on another page than the one of template T, that is reported and page T is
// shown, so that the remaining pages can still be captured; the exit status is then 3.
int WizardPress(bool next, int expected) {
  HWND wizard = FindWizard();
  if (wizard == nullptr) {
    std::fprintf(stderr, "screenshot_helper: no wizard\n");
    return 1;
  }
  const int before = CurrentTemplate(wizard);
  PostMessageA(wizard, PSM_PRESSBUTTON, next ? PSBTN_NEXT : PSBTN_BACK, 0);
  HWND complaint = nullptr;
  int shown = before;
  int stable = 0;
  const bool settled = WaitFor([&] {
    for (HWND dialog : ProgramDialogs()) {
      if (dialog != wizard && CurrentPage(dialog) == nullptr) complaint = dialog;
    }
    const int now = CurrentTemplate(wizard);
    stable = now == shown && IsWindowVisible(CurrentPage(wizard)) ? stable + 1 : 0;
    shown = now;
    return complaint != nullptr || (shown != before && stable >= 5);
  });
  if (complaint != nullptr) {
    std::fprintf(stderr, "screenshot_helper: the wizard says %s\n", ComplaintText(complaint).c_str());
    return 1;
  }
  if (!settled) {
    std::fprintf(stderr, "screenshot_helper: %s on page %d changed nothing\n",
                 next ? "Next" : "Back", before);
    return 1;
  }
  if (shown == expected) return PrintSettledRect(wizard);
  std::fprintf(stderr,
               "screenshot_helper: %s on page %d led to page %d instead of %d; showing %d\n",
               next ? "Next" : "Back", before, shown, expected, expected);
  SendMessageA(wizard, PSM_SETCURSELID, 0, expected);
  if (!WaitFor([&] { return CurrentTemplate(wizard) == expected; })) {
    std::fprintf(stderr, "screenshot_helper: page %d could not be shown\n", expected);
    return 1;
  }
  return PrintSettledRect(wizard) == 0 ? 3 : 1;
}

int WizardText(int id) {
  HWND control = PageControl(id);
  if (control == nullptr) return 1;
  std::printf("%s\n", WindowText(control).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2) {
    const char* command = argv[1];
    if (std::strcmp(command, "wait-main") == 0) return WaitMain();
    if (std::strcmp(command, "watch") == 0) return Watch();
    if (std::strcmp(command, "size") == 0 && argc == 4) {
      return Size(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    if (std::strcmp(command, "windows") == 0) return Windows(argc - 2, argv + 2);
    if (std::strcmp(command, "wait-title") == 0 && argc == 3) return WaitTitle(argv[2]);
    if (std::strcmp(command, "popup") == 0 && (argc == 4 || argc == 5)) {
      return Popup(std::atoi(argv[2]), std::atoi(argv[3]), argc == 5 ? std::atoi(argv[4]) : 4);
    }
    if (std::strcmp(command, "page-command") == 0 && argc == 3) return PageCommand(std::atoi(argv[2]));
    if (std::strcmp(command, "close-menus") == 0) return CloseMenus();
    if (std::strcmp(command, "select-entry") == 0 && argc == 3) {
      return SelectEntry(std::atoi(argv[2]));
    }
    if (std::strcmp(command, "open-dialog") == 0 && argc == 3) return OpenDialog(std::atoi(argv[2]));
    if (std::strcmp(command, "open-over") == 0 && argc == 3) return OpenDialogOver(std::atoi(argv[2]));
    if (std::strcmp(command, "close-dialog") == 0) return CloseDialog();
    if (std::strcmp(command, "open-help") == 0) return OpenHelp();
    if (std::strcmp(command, "close-help") == 0) return CloseHelp();
    if (std::strcmp(command, "dialog-rect") == 0 && argc == 3) return DialogRect(argv[2]);
    if (std::strcmp(command, "close-title") == 0 && argc == 3) return CloseTitle(argv[2]);
    if (std::strcmp(command, "dialog-command") == 0 && argc == 4) {
      return DialogCommand(argv[2], std::atoi(argv[3]));
    }
    if (std::strcmp(command, "wizard-set") == 0 && argc == 4) {
      return WizardSet(std::atoi(argv[2]), argv[3]);
    }
    if (std::strcmp(command, "wizard-click") == 0 && argc == 3) {
      return WizardClick(std::atoi(argv[2]));
    }
    if (std::strcmp(command, "wizard-pick") == 0 && argc == 3) return WizardPick(argv[2]);
    if (std::strcmp(command, "wizard-press") == 0 && argc == 4) {
      const bool next = std::strcmp(argv[2], "next") == 0;
      if (next || std::strcmp(argv[2], "back") == 0) return WizardPress(next, std::atoi(argv[3]));
    }
    if (std::strcmp(command, "wizard-text") == 0 && argc == 3) return WizardText(std::atoi(argv[2]));
  }
  std::fprintf(stderr, "usage: screenshot_helper wait-main | size W H | windows TITLE... | "
                       "wait-title TITLE | popup X Y [LINE] | page-command ID | close-menus | "
                       "select-entry INDEX | open-dialog COMMAND | open-over ID | close-dialog | "
                       "dialog-rect TITLE | close-title TITLE | "
                       "dialog-command TITLE ID | wizard-set ID TEXT | wizard-click ID | "
                       "wizard-pick TITLE | wizard-press next|back T | wizard-text ID\n");
  return 2;
}
