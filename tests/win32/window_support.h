// Looking at and waiting for another process's windows: shared by the Win32 tests and by the
// screenshot helper of tools/screenshots.sh. No test framework here.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Polls condition every pollMs until it holds or timeoutMs passes; pumps this thread's messages
// meanwhile so that windows of the caller itself stay responsive.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000, DWORD pollMs = 10);

// The text a window holds now, also an edit control of another process.
std::string WindowText(HWND window);
// Item index of a list box (LB_GETTEXTLEN, LB_GETTEXT) or a combo box (CB_GETLBTEXTLEN,
// CB_GETLBTEXT) of another process.
std::string ItemText(HWND control, UINT lengthMessage, UINT textMessage, LRESULT index);

// The page a wizard shows, and that page's template id.
HWND CurrentPage(HWND wizard);
int CurrentTemplate(HWND wizard);
