// The editing dialogs are not part of the program yet: the menu items and buttons that open
// them do nothing until they arrive.
#include "dialogs/editing_dialogs.h"

void RunAddWizard(HWND) {}

HWND OpenWizardWindow()
{
    return nullptr;
}

void RunEntryEditor(HWND) {}

void RunAboutBox() {}

void RunSetupDialog() {}
