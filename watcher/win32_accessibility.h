// The accessibility walk of WindowOps over Microsoft Active Accessibility, for windows that draw
// their buttons without windows of their own.
#pragma once

#include <windows.h>

#include "watcher/window_ops.h"

AccessibleItem BeginAccessibleWalk(HWND window);
int GetAccessibleChildren(AccessibleItem item, AccessibleItem* children, int capacity);
uint32_t GetAccessibleRole(AccessibleItem item);
uint32_t GetAccessibleState(AccessibleItem item);
int GetAccessibleName(AccessibleItem item, char* buffer, int capacity);
bool GetAccessibleLocation(AccessibleItem item, WinRect* rect);
bool DoAccessibleDefaultAction(AccessibleItem item);
void EndAccessibleWalk();
