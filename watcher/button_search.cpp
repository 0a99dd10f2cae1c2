#include "watcher/button_search.h"

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
int DescendantStep(WindowHandle child, intptr_t value)
{
    auto* search = reinterpret_cast<DescendantSearch*>(value);
    WindowOps& ops = *search->ops;
    char buffer[kTextReadCapacity];
    ops.GetWindowTextA(child, buffer, kTextReadCapacity);
    if (!ops.SameTextIgnoringCase(buffer, search->text))
        return 1;
    ops.GetClassNameA(child, buffer, kTextReadCapacity);
    if (!IsButtonClass(buffer) || !ops.IsWindowVisible(child) || !ops.IsWindowEnabled(child))
        return 1;
    search->found = child;
    return 0;
}

WindowHandle FindDescendantButton(WindowOps& ops, WindowHandle window, const char* text)
{
    DescendantSearch search{&ops, text, 0};
    ops.EnumChildWindows(window, DescendantStep, reinterpret_cast<intptr_t>(&search));
    return search.found;
}

}  // namespace

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
    }
}

bool ButtonRect(const FoundButton& found, WinRect* rect)
{
    switch (found.kind) {
    case ButtonKind::Window:
        return found.ops->GetWindowRect(found.window, rect);
    default:
        return false;
    }
}

Delivery PressButton(const FoundButton& found)
{
    switch (found.kind) {
    case ButtonKind::Window:
        return found.ops->SendButtonClick(found.window);
    default:
        return Delivery::Refused;
    }
}
