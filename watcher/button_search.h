// Finding a rule's button in a window that already matched: among the direct children first,
// then deeper in the window (task dialogs, property sheets and toolkits nest their buttons in
// container windows), then among the controls the window draws without windows of their own,
// as its accessibility tree describes them. The first two ask nothing of the target program;
// the walk of the tree does, so it runs elsewhere and answers later.
#pragma once

#include "watcher/window_ops.h"

// A walk of the accessibility tree looks at most this deep and at this many objects per window
// (descendant windows asked for a tree of their own count as objects too), so a window with a
// huge tree (a browser page) costs a bounded time on every look.
constexpr int kMaxAccessibleDepth = 4;
constexpr int kMaxAccessibleObjects = 500;
// How long one walk may wait, in all, for the windows it asks for their trees.
constexpr uint32_t kAccessibleBudgetMs = 3000;

// Trees are often built late: a browser builds its tree after the first question, a dialog fills
// in its content after it appears. A window whose walk found nothing is walked again at every
// look while it is young, then every few seconds, then seldom, so that a large tree that stays
// open does not eat the program's time.
constexpr uint32_t kWalkEveryLookMs = 2000;      // age up to which every look walks
constexpr uint32_t kWalkOftenUntilMs = 30000;    // age up to which a walk follows kWalkOftenMs
constexpr uint32_t kWalkOftenMs = 2000;
constexpr uint32_t kWalkSeldomMs = 30000;

// A direct child whose text equals text wins whatever its state; then the first visible,
// enabled button among all descendants with that text: of class "Button", or a superclass of it
// that answers the dialog manager as a button. An empty text is looked for among the direct
// children only. 0 when the window holds no such button.
// Where a rule's button was found.
enum class ButtonPlace { None, Direct, Nested, Accessible };
WindowHandle FindWindowButton(WindowOps& ops, WindowHandle window, const char* text, ButtonPlace* place = nullptr);

// Whether an accessible name is the caption a rule's button text means: the text as typed, or
// with its access keys resolved as a window shows them ("&&" is "&", a single "&" is dropped).
bool AccessibleNameMatches(AccessibleOps& ops, const char* name, const char* text);

// Walks request.window's tree depth first, each child before its own children, for a push
// button whose name matches the request's text and that is neither greyed out nor invisible
// (nor, for a click, scrolled out of view); presses it, or tells where it is. A window with no
// tree of its own (a classic dialog hosting a browser or another toolkit in a child window) has
// its descendant windows asked in turn, until one does not answer or the budget is spent. Runs
// on whatever thread owns ops; every walk it begins it ends.
ActionReply RunAccessibleSearch(AccessibleOps& ops, const AccessibleRequest& request);

// The windows whose walks have found nothing so far, for the text looked for; reused in turn.
struct FruitlessWalk {
    WindowHandle window;
    char text[kButtonTextCapacity];
    uint32_t firstWalk;  // when the first of them began: the window's age counts from there
    uint32_t lastWalk;   // when the latest began
};

constexpr int kRememberedWalks = 16;
struct FruitlessWalks {
    FruitlessWalk walks[kRememberedWalks];
    int next;
};

// Whether window is to be walked for text at now.
bool AccessibleWalkDue(const FruitlessWalks& memory, WindowHandle window, const char* text, uint32_t now);
// A walk's outcome; began is when it began. One that found the button is walked at once next time.
void NoteAccessibleWalk(FruitlessWalks& memory, WindowHandle window, const char* text, bool found,
                        uint32_t began);
