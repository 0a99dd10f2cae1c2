// Bookkeeping of the tray popup's window items. Platform-neutral so that it is tested natively.
#pragma once

#include <cstdint>

#include "resources/resource_ids.h"

// A window is offered when it is visible and its title is neither empty nor the shell's
// desktop window "Program Manager" (exact comparison).
bool IsOfferedWindow(bool visible, const char* title);

// Only the first 19 window items add a rule; later ones are shown but do nothing.
bool IsActingWindowItem(uint32_t command);
