#include "watcher/button_search.h"

#include <cstring>
#include <vector>

#include "rules/entry_list.h"
#include "rules/match_pattern.h"

namespace {

// A rule's button text holds at most 63 characters; anything read longer cannot equal it.
constexpr int kTextReadCapacity = 128;

struct DescendantSearch {
    WindowOps* ops;
    const char* text;
    WindowHandle found;
};

bool IsButtonClass(const char* name)
{
    const char* expected = "button";
    for (; *expected != '\0'; ++expected, ++name) {
        if (LowerAscii(*name) != *expected)
            return false;
    }
    return *name == '\0';
}

// The text is compared first: it rules out nearly every descendant with one read that sends
// nothing to the target. The dialog manager's question is a message, so it goes last, to the
// few candidates that are not of class "Button" themselves.
bool DescendantStep(WindowHandle child, void* context)
{
    auto* search = static_cast<DescendantSearch*>(context);
    WindowOps& ops = *search->ops;
    char buffer[kTextReadCapacity];
    ops.GetWindowTextA(child, buffer, kTextReadCapacity);
    if (!ops.SameTextIgnoringCase(buffer, search->text))
        return true;
    if (!ops.IsWindowVisible(child) || !ops.IsWindowEnabled(child))
        return true;
    ops.GetClassNameA(child, buffer, kTextReadCapacity);
    if (!IsButtonClass(buffer) && !ops.AnswersAsButton(child))
        return true;
    search->found = child;
    return false;
}

WindowHandle FindDescendantButton(WindowOps& ops, WindowHandle window, const char* text)
{
    DescendantSearch search{&ops, text, 0};
    ops.EnumChildWindows(window, DescendantStep, &search);
    return search.found;
}

// The caption as a window shows it: "&&" stands for "&", a single "&" marks the access key.
void ResolveAccessKeys(const char* text, char* shown, int capacity)
{
    int length = 0;
    for (; *text != '\0' && length < capacity - 1; ++text) {
        if (*text != '&')
            shown[length++] = *text;
        else if (text[1] == '&')
            shown[length++] = *++text;
    }
    shown[length] = '\0';
}

struct AccessibleSearch {
    AccessibleOps* ops;
    const AccessibleRequest* request;
    int budget;        // objects still allowed
    uint32_t started;  // when the first window was asked
    AccessibleItem found;
};

// Every question is a call into the target program. The name rules out nearly every object by
// itself, so it is the one question asked of all; the role and the state only of the objects
// that carry the caption.
bool IsWantedPushButton(AccessibleSearch& search, AccessibleItem item)
{
    AccessibleOps& ops = *search.ops;
    char name[kTextReadCapacity];
    name[0] = '\0';
    ops.GetAccessibleName(item, name, kTextReadCapacity);
    if (!AccessibleNameMatches(ops, name, search.request->text))
        return false;
    if (ops.GetAccessibleRole(item) != kRolePushButton)
        return false;
    // A greyed-out or hidden button is not pressed, as a disabled or hidden window-backed one is
    // not; one scrolled out of view is not clicked.
    uint32_t unusable = kStateUnavailable | kStateInvisible;
    if (!search.request->press)
        unusable |= kStateOffscreen;
    return (ops.GetAccessibleState(item) & unusable) == 0;
}

// Depth first in the order the objects give their children, each child before its own children.
AccessibleItem SearchAccessible(AccessibleSearch& search, AccessibleItem parent, int depth)
{
    if (depth > kMaxAccessibleDepth || search.budget <= 0)
        return 0;
    std::vector<AccessibleItem> children(static_cast<size_t>(search.budget));
    const int count = search.ops->GetAccessibleChildren(parent, children.data(), search.budget);
    search.budget -= count;
    for (int i = 0; i < count; ++i) {
        if (IsWantedPushButton(search, children[i]))
            return children[i];
        const AccessibleItem deeper = SearchAccessible(search, children[i], depth + 1);
        if (deeper != 0)
            return deeper;
    }
    return 0;
}

uint32_t TimeLeft(const AccessibleSearch& search)
{
    const uint32_t spent = search.ops->Now() - search.started;
    return spent < kAccessibleBudgetMs ? kAccessibleBudgetMs - spent : 0;
}

// One descendant window asked for a tree of its own, within what is left of the one budget: a
// window that does not answer in time ends the search, since it would only make the next wait.
bool DescendantTreeStep(WindowHandle child, void* context)
{
    auto* search = static_cast<AccessibleSearch*>(context);
    const uint32_t left = TimeLeft(*search);
    if (search->budget <= 0 || left == 0)
        return false;
    --search->budget;
    AccessibleItem object = 0;
    const ObjectAnswer answer = search->ops->GetClientObject(child, left, &object);
    if (answer == ObjectAnswer::NoAnswer)
        return false;
    if (answer == ObjectAnswer::Object)
        search->found = SearchAccessible(*search, object, 1);
    return search->found == 0;
}

ActionReply UseFoundButton(AccessibleOps& ops, const AccessibleRequest& request, AccessibleItem item)
{
    ActionReply reply{request.token, ReplyOutcome::Failed, {}};
    if (request.press) {
        if (ops.DoAccessibleDefaultAction(item))
            reply.outcome = ReplyOutcome::Pressed;
    } else if (ops.GetAccessibleLocation(item, &reply.location)) {
        reply.outcome = ReplyOutcome::Located;
    }
    return reply;
}

int FruitlessIndex(const FruitlessWalks& memory, WindowHandle window, const char* text)
{
    for (int i = 0; i < kRememberedWalks; ++i) {
        const FruitlessWalk& walk = memory.walks[i];
        if (walk.window == window && std::strcmp(walk.text, text) == 0)
            return i;
    }
    return -1;
}

}  // namespace

WindowHandle FindWindowButton(WindowOps& ops, WindowHandle window, const char* text, ButtonPlace* place)
{
    WindowHandle button = ops.FindWindowExA(window, text);
    ButtonPlace found = button != 0 ? ButtonPlace::Direct : ButtonPlace::None;
    // An empty text would otherwise press the first unnamed button somewhere inside.
    if (button == 0 && text[0] != '\0') {
        button = FindDescendantButton(ops, window, text);
        found = button != 0 ? ButtonPlace::Nested : ButtonPlace::None;
    }
    if (place != nullptr)
        *place = found;
    return button;
}

bool AccessibleNameMatches(AccessibleOps& ops, const char* name, const char* text)
{
    if (ops.SameTextIgnoringCase(name, text))
        return true;
    char shown[kTextReadCapacity];
    ResolveAccessKeys(text, shown, kTextReadCapacity);
    return ops.SameTextIgnoringCase(name, shown);
}

ActionReply RunAccessibleSearch(AccessibleOps& ops, const AccessibleRequest& request)
{
    ops.BeginAccessibleWalk();
    AccessibleSearch search{&ops, &request, kMaxAccessibleObjects, ops.Now(), 0};
    AccessibleItem root = 0;
    const ObjectAnswer answer = ops.GetClientObject(request.window, kAccessibleBudgetMs, &root);
    if (answer == ObjectAnswer::Object)
        search.found = SearchAccessible(search, root, 1);
    else if (answer == ObjectAnswer::None)
        ops.EnumChildWindows(request.window, DescendantTreeStep, &search);
    ActionReply reply{request.token, ReplyOutcome::NotFound, {}};
    if (search.found != 0)
        reply = UseFoundButton(ops, request, search.found);
    ops.EndAccessibleWalk();
    return reply;
}

bool AccessibleWalkDue(const FruitlessWalks& memory, WindowHandle window, const char* text, uint32_t now)
{
    char shown[kTextReadCapacity];
    ResolveAccessKeys(text, shown, kTextReadCapacity);
    // An unnamed button would otherwise be any unnamed button of the tree.
    if (shown[0] == '\0')
        return false;
    const int index = FruitlessIndex(memory, window, text);
    if (index < 0)
        return true;
    const FruitlessWalk& known = memory.walks[index];
    const uint32_t age = now - known.firstWalk;
    const uint32_t since = now - known.lastWalk;
    if (age < kWalkEveryLookMs)
        return true;
    if (age < kWalkOftenUntilMs)
        return since >= kWalkOftenMs;
    return since >= kWalkSeldomMs;
}

void NoteAccessibleWalk(FruitlessWalks& memory, WindowHandle window, const char* text, bool found,
                        uint32_t began)
{
    const int index = FruitlessIndex(memory, window, text);
    if (found) {
        if (index >= 0)
            memory.walks[index].window = 0;
        return;
    }
    if (index >= 0) {
        memory.walks[index].lastWalk = began;
        return;
    }
    FruitlessWalk& walk = memory.walks[memory.next];
    memory.next = (memory.next + 1) % kRememberedWalks;
    walk.window = window;
    CopyText(walk.text, kButtonTextCapacity, text);
    walk.firstWalk = began;
    walk.lastWalk = began;
}
