// Controls of other toolkits for the fixture window: buttons that are superclasses of the system
// button in a panel (WinForms' owner-drawn "WindowsForms10.BUTTON.app.0.1", Delphi's "TButton"),
// a static text with a button's caption beside them, and a child window that describes windowless
// buttons of its own while its top-level window describes none (a browser or an ActiveX control
// hosted by a classic dialog).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "fixture_accessible.h"

struct ToolkitControls {
    std::vector<std::string> winforms;  // --winforms-button TEXT
    std::vector<std::string> delphi;    // --delphi-button TEXT
    std::vector<std::string> statics;   // --panel-static TEXT
    std::vector<WindowlessButton> embedded;  // --embedded-windowless TEXT
};

// Takes option at argv[*i] (and its value) when it is one of the above; false otherwise.
bool TakeToolkitOption(ToolkitControls& controls, int argc, char** argv, int* i);
// Creates the controls below top in window; returns the next free row's top. Clicks arrive at
// window as WM_COMMAND with ids from firstId on, in the order winforms, delphi. A BM_CLICK that
// reaches one of the statics is reported as "clicked static TEXT".
int AddToolkitControls(HWND window, HINSTANCE instance, int top, int firstId, ToolkitControls& controls,
                       ReportFunction report);
// The caption of the toolkit button with that id, or nullptr.
const std::string* ToolkitButtonText(const ToolkitControls& controls, int firstId, int id);
