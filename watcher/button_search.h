// Finding a rule's button in a window that already matched: among the direct children first,
// then deeper in the window (task dialogs, property sheets and toolkits nest their buttons in
// container windows), then among the controls the window draws without windows of their own,
// as its accessibility tree describes them. The first two ask nothing of the target program;
// the walk of the tree does, so it runs elsewhere and answers later.
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

// A direct child whose text equals text wins whatever its state; then the first visible,
// enabled "Button" among all descendants with that text. An empty text is looked for among the
// direct children only. 0 when the window holds no such button.
WindowHandle FindWindowButton(WindowOps& ops, WindowHandle window, const char* text);

// Whether an accessible name is the caption a rule's button text means: the text as typed, or
// with its access keys resolved as a window shows them ("&&" is "&", a single "&" is dropped).
bool AccessibleNameMatches(AccessibleOps& ops, const char* name, const char* text);

// Walks request.window's tree depth first, each child before its own children, for a push
// button whose name matches the request's text and that is neither greyed out nor invisible
// (nor, for a click, scrolled out of view); presses it, or tells where it is. Runs on whatever
// thread owns ops; every walk it begins it ends.
ActionReply RunAccessibleSearch(AccessibleOps& ops, const AccessibleRequest& request);

// The windows whose latest walk found nothing, for the text looked for; reused in turn.
struct FruitlessWalk {
    WindowHandle window;
    char text[kButtonTextCapacity];
    int looks;  // since that walk
};

constexpr int kRememberedWalks = 8;
struct FruitlessWalks {
    FruitlessWalk walks[kRememberedWalks];
    int next;
};

// Whether window is to be walked for text on this look; counts the look when it is not.
bool AccessibleWalkDue(FruitlessWalks& memory, WindowHandle window, const char* text);
// A walk's outcome: one that found the button is walked again at once next time.
void NoteAccessibleWalk(FruitlessWalks& memory, WindowHandle window, const char* text, bool found);
