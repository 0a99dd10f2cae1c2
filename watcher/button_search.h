// Finding a rule's button in a window that already matched: among the direct children first,
// then deeper in the window (task dialogs, property sheets and toolkits nest their buttons in
// container windows).
#pragma once

#include "watcher/window_ops.h"

enum class ButtonKind { None, Window };

// The button found for one action.
struct FoundButton {
    WindowOps* ops = nullptr;
    ButtonKind kind = ButtonKind::None;
    WindowHandle window = 0;
};

// A direct child whose text equals text wins whatever its state; then the first visible,
// enabled "Button" among all descendants with that text. An empty text is looked for among the
// direct children only.
void FindButton(WindowOps& ops, WindowHandle window, const char* text, FoundButton* found);

// The button's rectangle on screen.
bool ButtonRect(const FoundButton& found, WinRect* rect);

// Presses the button with BM_CLICK.
Delivery PressButton(const FoundButton& found);
