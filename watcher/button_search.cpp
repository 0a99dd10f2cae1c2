#include "watcher/button_search.h"

#include <cstring>
#include <vector>

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

// Accessible names carry no access-key marker: "&Ja" is named "Ja".
void StripAccessKeys(const char* text, char* stripped, int capacity)
{
    int length = 0;
    for (; *text != '\0' && length < capacity - 1; ++text) {
        if (*text != '&')
            stripped[length++] = *text;
    }
    stripped[length] = '\0';
}

// The windows whose latest walk found nothing, for the text looked for; reused in turn.
struct FruitlessWalk {
    WindowHandle window;
    char name[kTextReadCapacity];
    int looks;  // since that walk
};

constexpr int kRememberedWalks = 8;
FruitlessWalk g_fruitless[kRememberedWalks];
int g_nextFruitless;

FruitlessWalk* FindFruitless(WindowHandle window, const char* name)
{
    for (FruitlessWalk& walk : g_fruitless) {
        if (walk.window == window && std::strcmp(walk.name, name) == 0)
            return &walk;
    }
    return nullptr;
}

void RememberFruitless(WindowHandle window, const char* name)
{
    FruitlessWalk& walk = g_fruitless[g_nextFruitless];
    g_nextFruitless = (g_nextFruitless + 1) % kRememberedWalks;
    walk.window = window;
    std::memcpy(walk.name, name, sizeof walk.name);
    walk.looks = 0;
}

struct AccessibleSearch {
    WindowOps* ops;
    const char* name;
    int budget;  // objects still allowed
};

bool IsNamedPushButton(AccessibleSearch& search, AccessibleItem item)
{
    WindowOps& ops = *search.ops;
    if (ops.GetAccessibleRole(item) != kRolePushButton)
        return false;
    char name[kTextReadCapacity];
    name[0] = '\0';
    ops.GetAccessibleName(item, name, kTextReadCapacity);
    if (!ops.SameTextIgnoringCase(name, search.name))
        return false;
    // Asked last, of the one candidate only: a greyed-out or hidden button is not pressed, as
    // a disabled or hidden window-backed one is not.
    return (ops.GetAccessibleState(item) & (kStateUnavailable | kStateInvisible)) == 0;
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
        if (IsNamedPushButton(search, children[i]))
            return children[i];
        const AccessibleItem deeper = SearchAccessible(search, children[i], depth + 1);
        if (deeper != 0)
            return deeper;
    }
    return 0;
}

void FindAccessibleButton(WindowOps& ops, WindowHandle window, const char* text, FoundButton* found)
{
    char name[kTextReadCapacity];
    StripAccessKeys(text, name, kTextReadCapacity);
    if (name[0] == '\0')
        return;
    FruitlessWalk* known = FindFruitless(window, name);
    if (known != nullptr && ++known->looks < kAccessibleRetryLooks)
        return;
    const AccessibleItem root = ops.BeginAccessibleWalk(window);
    AccessibleSearch search{&ops, name, kMaxAccessibleObjects};
    const AccessibleItem item = root != 0 ? SearchAccessible(search, root, 1) : 0;
    if (item == 0) {
        ops.EndAccessibleWalk();
        if (known != nullptr)
            known->looks = 0;
        else
            RememberFruitless(window, name);
        return;
    }
    if (known != nullptr)
        known->window = 0;
    found->kind = ButtonKind::Accessible;
    found->item = item;
}

}  // namespace

FoundButton::~FoundButton()
{
    if (kind == ButtonKind::Accessible)
        ops->EndAccessibleWalk();
}

void FindButton(WindowOps& ops, WindowHandle window, const char* text, FoundButton* found)
{
    found->ops = &ops;
    WindowHandle button = ops.FindWindowExA(window, text);
    // An empty text would otherwise press the first unnamed button somewhere inside.
    if (button == 0 && text[0] != '\0')
        button = FindDescendantButton(ops, window, text);
    if (button != 0) {
        found->kind = ButtonKind::Window;
        found->window = button;
        return;
    }
    if (text[0] != '\0')
        FindAccessibleButton(ops, window, text, found);
}

void ForgetFruitlessWalks()
{
    for (FruitlessWalk& walk : g_fruitless)
        walk = FruitlessWalk{};
}

bool ButtonRect(const FoundButton& found, WinRect* rect)
{
    switch (found.kind) {
    case ButtonKind::Window:
        return found.ops->GetWindowRect(found.window, rect);
    case ButtonKind::Accessible:
        return found.ops->GetAccessibleLocation(found.item, rect);
    default:
        return false;
    }
}

Delivery PressButton(const FoundButton& found)
{
    switch (found.kind) {
    case ButtonKind::Window:
        return found.ops->SendButtonClick(found.window);
    case ButtonKind::Accessible:
        return found.ops->DoAccessibleDefaultAction(found.item) ? Delivery::Delivered : Delivery::Refused;
    default:
        return Delivery::Refused;
    }
}
