// The add-entry wizard's course: which page each step shows, what each step reads into the new
// entry and which input errors it reports, and the check of a rule's title that the wizard and
// the entry editor share. Platform-neutral, so it is tested natively.
#pragma once

#include <cstdint>
#include <string>

#include "resources/resource_ids.h"
#include "rules/entry_list.h"

enum WizardKind : uint8_t {
    kKindNotChosen = 0,
    kKindButtonRule = 1,
    kKindWindowRule = 2,
};

struct WizardState {
    uint8_t step;  // 0 to 3
    uint8_t kind;  // WizardKind; 3 is possible only in theory and runs as a window rule
};

// The seven pages in sheet order: the start page, the button rule's three, the window rule's
// three.
constexpr int kWizardPageTemplates[] = {IDD_WIZARD_START,         IDD_WIZARD_BUTTON_TEXTS,
                                        IDD_WIZARD_BUTTON_METHOD, IDD_WIZARD_BUTTON_FINISH,
                                        IDD_WIZARD_WINDOW_TITLE,  IDD_WIZARD_WINDOW_ACTION,
                                        IDD_WIZARD_WINDOW_FINISH};

// String ids of the input errors; 0 is none.
constexpr int kNoInputError = 0;
constexpr int kErrorMessageTextMissing = IDS_INPUT_ERROR_MESSAGE_TEXT;
constexpr int kErrorButtonRuleTexts = IDS_INPUT_ERROR_BUTTON_RULE;
constexpr int kErrorWindowTitleMissing = IDS_INPUT_ERROR_WINDOW_RULE;
constexpr int kErrorTitleMatchesEveryWindow = IDS_INPUT_ERROR_EVERY_WINDOW;
constexpr int kErrorDelayOutOfRange = IDS_INPUT_ERROR_DELAY;

// What the controls of the page being left hold.
struct WizardInput {
    const char* title;    // 626
    const char* button;   // 627
    const char* message;  // 632
    const char* program;  // 635, on 620 and 680
    bool useMessage;      // 630
    bool wholeTitle;      // 685 on 680
    bool buttonMessage;   // 645
    bool leftClick;       // 646
    bool closeWindow;     // 701 on page 700
    bool minimizeWindow;  // 702
    bool kindButton;      // 603
    bool kindWindow;      // 604
};

// The error a rule's title pattern gives under condition, or 0. An empty title matches every
// window, and so does, for a rule that acts always, a title of nothing but "*" and blanks: such
// a rule would answer windows nobody meant. Under the message condition the message narrows it,
// and a program pattern other than "*" and blanks narrows it to that program's windows.
int RuleTitleError(const char* title, int32_t condition, const char* program);

// Reads the editor's delay field: digits only, blanks around them allowed, 0 to kMaxDelayMs.
// Returns kErrorDelayOutOfRange, with delayMs untouched, for anything else, an empty field too.
int ReadDelay(const char* text, int32_t* delayMs);

// Template id of the page for the state's step.
int WizardPageTemplate(const WizardState& state);

// Next: reads the step's input into entry and, without an error, moves on (at most to step 3).
// The kind is decided when leaving step 0. Returns the error's string id, or 0.
int WizardNext(WizardState& state, const WizardInput& input, ListEntry& entry);

// Back: one step down.
void WizardBack(WizardState& state);

// Replaces each "%s" of format with the next argument, in order; "%%" gives "%". Any other
// "%" sequence is copied as it is, so that a language module's text can never make the
// formatting read what is not there. Missing arguments count as empty.
std::string FormatWithTexts(const char* format, const char* const* arguments, int count);
