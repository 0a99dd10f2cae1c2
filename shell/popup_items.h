// Bookkeeping of the tray popup's window items. Platform-neutral so that it is tested natively.
#pragma once

#include <cstdint>

constexpr uint32_t kWizardCommand = 16385;
constexpr uint32_t kFirstWindowItem = 16386;
// Only the first 19 window items add a rule; later ones are shown but do nothing.
constexpr uint32_t kLastActingWindowItem = 16404;

// A window is offered when it is visible and its title is neither empty nor the shell's
// desktop window "Program Manager" (exact comparison).
bool IsOfferedWindow(bool visible, const char* title);

bool IsActingWindowItem(uint32_t command);
