// Bookkeeping of the tray popup's window items. Platform-neutral so that it is tested natively.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/resource_ids.h"
#include "rules/entry_list.h"
#include "watcher/window_ops.h"

// Offered windows' titles are read with room for one character more than a rule's title field
// holds, so that a title too long for the field is seen to be cut.
constexpr int kOfferedTitleCapacity = kTitleCapacity + 4;

// A window is offered when it is visible and its title is neither empty nor the shell's
// desktop window "Program Manager" (exact comparison).
bool IsOfferedWindow(bool visible, const char* title);
// Reads the title of an offered window into title (capacity bytes); false, with nothing read for
// an invisible one, when the window is not offered.
bool ReadOfferedTitle(WindowOps& ops, WindowHandle window, char* title, int capacity);

// One window item: its command id, the window it stands for and the title the popup showed.
struct WindowItem {
    uint32_t command;
    WindowHandle window;  // kept so that a rule can learn more of the window than its title
    char title[kOfferedTitleCapacity];
};

// A rule's title pattern for the window titled title: the title itself, and for a title longer
// than the field its start ending in "*", so that the rule still matches that window when it asks
// for the whole title.
void CopyTitleAsPattern(char* pattern, const char* title);

// The window items of the popup as it was last built, in menu order. The items, and with them
// their commands, stay valid after the popup closes, until it is built again: a command that
// arrives late still finds the window the user chose.
class WindowItems {
public:
    // Forgets the last popup's items; the next item gets IDM_WINDOW_FIRST again.
    void Begin();
    // Adds an item for window and gives its command id: IDM_WINDOW_FIRST upward, in order. 0 when
    // the range of window item ids is used up; the window is then not offered.
    uint32_t Add(WindowHandle window, const char* title);
    // The item of this popup that has the command, or nullptr.
    const WindowItem* Find(uint32_t command) const;
    // The first id after the items: where the separator below them goes.
    uint32_t NextCommand() const;

private:
    std::vector<WindowItem> items_;
};
