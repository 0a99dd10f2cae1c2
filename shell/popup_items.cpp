#include "shell/popup_items.h"

#include <cstring>

bool IsOfferedWindow(bool visible, const char* title)
{
    return visible && title[0] != '\0' && std::strcmp(title, "Program Manager") != 0;
}

bool ReadOfferedTitle(WindowOps& ops, WindowHandle window, char* title, int capacity)
{
    title[0] = '\0';
    const bool visible = ops.IsWindowVisible(window);
    if (visible)
        ops.GetWindowTextA(window, title, capacity);
    return IsOfferedWindow(visible, title);
}

void CopyTitleAsPattern(char* pattern, const char* title)
{
    CopyField(pattern, kTitleCapacity, title);
    if (std::strlen(pattern) == std::strlen(title))
        return;
    // The last character that fits makes way for the "*".
    const size_t kept = FittingLength(pattern, kTitleCapacity - 2, kTitleChars - 1);
    pattern[kept] = '*';
    pattern[kept + 1] = '\0';
}

void WindowItems::Begin()
{
    items_.clear();
}

uint32_t WindowItems::Add(WindowHandle window, const char* title)
{
    const uint32_t command = NextCommand();
    // The id after the last item is the separator's, so the last item takes the one before.
    if (command >= IDM_WINDOW_END)
        return 0;
    WindowItem item{command, window, {}};
    CopyText(item.title, kOfferedTitleCapacity, title);
    items_.push_back(item);
    return command;
}

const WindowItem* WindowItems::Find(uint32_t command) const
{
    if (command < IDM_WINDOW_FIRST || command >= NextCommand())
        return nullptr;
    return &items_[command - IDM_WINDOW_FIRST];
}

uint32_t WindowItems::NextCommand() const
{
    return IDM_WINDOW_FIRST + static_cast<uint32_t>(items_.size());
}
