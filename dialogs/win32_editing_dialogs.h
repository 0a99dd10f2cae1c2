// The editing dialogs as the shell calls them.
#pragma once

#include <windows.h>

// The add-entry wizard, modal; parent is the configuration page.
void RunAddWizard(HWND parent);
// While the wizard runs: its window, else nullptr.
HWND OpenWizardWindow();
// The entry editor for the selected entry, modal, owned by the page's main window.
void RunEntryEditor(HWND page);
// While the editor runs: its window, else nullptr.
HWND OpenEditorWindow();
// The about box, no owner.
void RunAboutBox();
// While the about box runs: its window, else nullptr.
HWND OpenAboutWindow();
// The first-run setup dialog ("/setup"), before the list file is read.
void RunSetupDialog();
