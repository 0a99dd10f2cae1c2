// The fixture's windowless push buttons: drawn by the fixture window itself and described to
// other processes only through the accessibility object it answers WM_GETOBJECT with.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct WindowlessButton {
    std::string name;
    RECT rect;  // client coordinates of the owning window
};

// What the object reports: the default action of a button ("default NAME").
using ReportFunction = void (*)(const std::string& line);

// The questions the objects answered, by kind: each one a call from another process.
struct AccessibleCallCounts {
    long queries;      // QueryInterface
    long childCounts;  // get_accChildCount
    long children;     // get_accChild
    long roles;
    long names;
    long states;
    long locations;
    long actions;
    long enumerations;  // IEnumVARIANT::Next, Skip, Reset and Clone
};
AccessibleCallCounts& FixtureAccessibleCalls();
// Whether the objects also offer IEnumVARIANT over their children, as many toolkits' do.
void OfferChildEnumerator(bool offer);

// Answers WM_GETOBJECT for OBJID_CLIENT with an object over buttons; other requests get 0.
LRESULT AnswerGetObject(HWND window, WPARAM flags, LPARAM objectId,
                        const std::vector<WindowlessButton>* buttons, ReportFunction report);
