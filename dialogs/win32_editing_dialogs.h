// The editing dialogs as the shell calls them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "rules/entry_list.h"
#include "rules/list_file.h"

// The add-entry wizard, modal over parent. True when it finished: the new entry is then the
// list's tail; a cancelled run leaves the list as it was.
bool RunAddWizard(HWND parent, EntryList& list);
// The entry editor for node's entry, modal; owner is a window of the configuration. True when OK
// saved the fields into the entry. A managed rule is shown read-only, with every field and OK
// disabled, and never changed. "Testen" runs the rule tester on the fields as they stand.
bool RunEntryEditor(HWND owner, EntryNode& node);
// The rule tester over the windows open now, modal over owner: rule as the editor holds it, standing
// in the list where self is (nullptr: after every rule).
void RunRuleTester(HWND owner, const ListEntry& rule, const EntryNode* self);
// An input error of the wizard or the editor: the string error under the caption "Eingabefehler"
// (string 18), modal over owner.
void ShowInputError(HWND owner, int error);
// The about box, no owner, with the total of all rules' clicks.
void RunAboutBox(int64_t totalClicks);
// The first-run setup dialog ("/setup"), before the list file is read: the choices go into
// settings and, when the user keeps the prepared list, into a new list file.
void RunSetupDialog(Settings& settings);
