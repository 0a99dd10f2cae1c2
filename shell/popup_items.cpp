#include "shell/popup_items.h"

#include <cstring>

bool IsOfferedWindow(bool visible, const char* title)
{
    return visible && title[0] != '\0' && std::strcmp(title, "Program Manager") != 0;
}

bool IsActingWindowItem(uint32_t command)
{
    return command >= IDM_WINDOW_FIRST && command <= IDM_WINDOW_LAST;
}
