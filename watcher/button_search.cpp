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

// The text is compared first: it rules out nearly every descendant with one read.
bool DescendantStep(WindowHandle child, void* context)
{
    auto* search = static_cast<DescendantSearch*>(context);
    WindowOps& ops = *search->ops;
    char buffer[kTextReadCapacity];
    ops.GetWindowTextA(child, buffer, kTextReadCapacity);
    if (!ops.SameTextIgnoringCase(buffer, search->text))
        return true;
    ops.GetClassNameA(child, buffer, kTextReadCapacity);
    if (!IsButtonClass(buffer) || !ops.IsWindowVisible(child) || !ops.IsWindowEnabled(child))
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
    int budget;  // objects still allowed
};

bool IsWantedPushButton(AccessibleSearch& search, AccessibleItem item)
{
    AccessibleOps& ops = *search.ops;
    if (ops.GetAccessibleRole(item) != kRolePushButton)
        return false;
    char name[kTextReadCapacity];
    name[0] = '\0';
    ops.GetAccessibleName(item, name, kTextReadCapacity);
    if (!AccessibleNameMatches(ops, name, search.request->text))
        return false;
    // Asked last, of the one candidate only: a greyed-out or hidden button is not pressed, as
    // a disabled or hidden window-backed one is not; one scrolled out of view is not clicked.
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

FruitlessWalk* FindFruitless(FruitlessWalks& memory, WindowHandle window, const char* text)
{
    for (FruitlessWalk& walk : memory.walks) {
        if (walk.window == window && std::strcmp(walk.text, text) == 0)
            return &walk;
    }
    return nullptr;
}

}  // namespace

WindowHandle FindWindowButton(WindowOps& ops, WindowHandle window, const char* text)
{
    WindowHandle button = ops.FindWindowExA(window, text);
    // An empty text would otherwise press the first unnamed button somewhere inside.
    if (button == 0 && text[0] != '\0')
        button = FindDescendantButton(ops, window, text);
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
    ActionReply reply{request.token, ReplyOutcome::NotFound, {}};
    const AccessibleItem root = ops.BeginAccessibleWalk(request.window);
    AccessibleSearch search{&ops, &request, kMaxAccessibleObjects};
    const AccessibleItem item = root != 0 ? SearchAccessible(search, root, 1) : 0;
    if (item != 0)
        reply = UseFoundButton(ops, request, item);
    ops.EndAccessibleWalk();
    return reply;
}

bool AccessibleWalkDue(FruitlessWalks& memory, WindowHandle window, const char* text)
{
    char shown[kTextReadCapacity];
    ResolveAccessKeys(text, shown, kTextReadCapacity);
    // An unnamed button would otherwise be any unnamed button of the tree.
    if (shown[0] == '\0')
        return false;
    FruitlessWalk* known = FindFruitless(memory, window, text);
    if (known == nullptr)
        return true;
    if (++known->looks < kAccessibleRetryLooks)
        return false;
    known->looks = 0;
    return true;
}

void NoteAccessibleWalk(FruitlessWalks& memory, WindowHandle window, const char* text, bool found)
{
    FruitlessWalk* known = FindFruitless(memory, window, text);
    if (found) {
        if (known != nullptr)
            known->window = 0;
        return;
    }
    if (known != nullptr) {
        known->looks = 0;
        return;
    }
    FruitlessWalk& walk = memory.walks[memory.next];
    memory.next = (memory.next + 1) % kRememberedWalks;
    walk.window = window;
    CopyText(walk.text, kButtonTextCapacity, text);
    walk.looks = 0;
}
