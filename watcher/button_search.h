// Finding a rule's button in a window that already matched: among the direct children first,
// then deeper in the window (task dialogs, property sheets and toolkits nest their buttons in
// container windows), then among the controls the window draws without windows of their own,
// as its accessibility tree describes them.
#pragma once

#include "watcher/window_ops.h"

// A walk of the accessibility tree looks at most this deep and at this many objects per window,
// so a window with a huge tree (a browser page) costs a bounded time on every look.
constexpr int kMaxAccessibleDepth = 4;
constexpr int kMaxAccessibleObjects = 500;
// Each object costs the target program cross-process calls (some 2 ms apiece under Wine), and a
// matching window that lacks the button is looked at on every tick: after a walk that found
// nothing, the same window is walked for the same text again only on every tenth look.
constexpr int kAccessibleRetryLooks = 10;

enum class ButtonKind { None, Window, Accessible };

// The button found for one action. An accessible one stays usable until the object is
// destroyed, which ends the accessibility walk.
struct FoundButton {
    WindowOps* ops = nullptr;
    ButtonKind kind = ButtonKind::None;
    WindowHandle window = 0;
    AccessibleItem item = 0;

    FoundButton() = default;
    FoundButton(const FoundButton&) = delete;
    FoundButton& operator=(const FoundButton&) = delete;
    ~FoundButton();
};

// A direct child whose text equals text wins whatever its state; then the first visible,
// enabled "Button" among all descendants with that text; then an accessible push button whose
// name equals text without its "&". An empty text is looked for among the direct children only.
void FindButton(WindowOps& ops, WindowHandle window, const char* text, FoundButton* found);

// The button's rectangle on screen.
bool ButtonRect(const FoundButton& found, WinRect* rect);

// Presses the button: BM_CLICK for a window, the default action for an accessible button.
Delivery PressButton(const FoundButton& found);

// Forgets which windows' walks found nothing (for tests, whose simulated handles repeat).
void ForgetFruitlessWalks();
