#include "dialogs/wizard_steps.h"

namespace {

bool IsEmpty(const char* text)
{
    return text == nullptr || text[0] == '\0';
}

// True when text holds something besides "*" and blanks: as a pattern it then matches less than
// everything.
bool Narrows(const char* text)
{
    for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
        if (*p != '*' && *p != ' ')
            return true;
    }
    return false;
}

int ReadButtonTexts(const WizardInput& input, ListEntry& entry)
{
    CopyField(entry.title, kTitleCapacity, input.title);
    CopyField(entry.button, kButtonCapacity, input.button);
    CopyField(entry.message, kMessageCapacity, input.message);
    CopyField(entry.program, kProgramCapacity, input.program);
    // The page shows the title as a beginning; it offers no whole title.
    entry.wholeTitle = false;
    int error = kNoInputError;
    if (input.useMessage) {
        entry.condition = kClickIfMessage;
        if (entry.message[0] == '\0')
            error = kErrorMessageTextMissing;
    } else {
        entry.condition = kAlwaysClick;
    }
    if (entry.title[0] == '\0' || entry.button[0] == '\0')
        return kErrorButtonRuleTexts;
    return error != kNoInputError ? error : RuleTitleError(entry.title, entry.condition, entry.program);
}

// Reads the input of the step being left. Returns the error's string id, or 0.
int ReadStepInput(const WizardState& state, const WizardInput& input, ListEntry& entry)
{
    if (state.kind == kKindButtonRule) {
        if (state.step == 1)
            return ReadButtonTexts(input, entry);
        if (state.step == 2)
            entry.method = input.buttonMessage ? kButtonMessage : input.leftClick ? kLeftClick : kRightClick;
        return kNoInputError;
    }
    if (state.kind != kKindWindowRule)
        return kNoInputError;
    if (state.step == 1) {
        CopyField(entry.title, kTitleCapacity, input.title);
        CopyField(entry.program, kProgramCapacity, input.program);
        entry.wholeTitle = input.wholeTitle;
        entry.condition = kAlwaysClick;
        return RuleTitleError(entry.title, entry.condition, entry.program);
    }
    if (state.step == 2)
        entry.method = input.closeWindow ? kCloseWindow : input.minimizeWindow ? kMinimizeWindow : kMaximizeWindow;
    return kNoInputError;
}

}  // namespace

int RuleTitleError(const char* title, int32_t condition, const char* program)
{
    if (IsEmpty(title))
        return kErrorWindowTitleMissing;
    if (condition != kAlwaysClick || Narrows(title) || Narrows(program))
        return kNoInputError;
    return kErrorTitleMatchesEveryWindow;
}

int ReadDelay(const char* text, int32_t* delayMs)
{
    const char* p = text;
    while (*p == ' ')
        ++p;
    int32_t value = 0;
    int digits = 0;
    for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
        value = value * 10 + (*p - '0');
        if (value > kMaxDelayMs)
            return kErrorDelayOutOfRange;
    }
    while (*p == ' ')
        ++p;
    if (digits == 0 || *p != '\0')
        return kErrorDelayOutOfRange;
    *delayMs = value;
    return kNoInputError;
}

int WizardPageTemplate(const WizardState& state)
{
    if (state.step == 0)
        return kWizardPageTemplates[0];
    if (state.kind == kKindButtonRule)
        return kWizardPageTemplates[state.step];
    return kWizardPageTemplates[state.step + 3];
}

int WizardNext(WizardState& state, const WizardInput& input, ListEntry& entry)
{
    // Step 0 reads no texts: the kind is chosen there.
    const int error = state.step == 0 ? kNoInputError : ReadStepInput(state, input, entry);
    if (state.step == 0)
        state.kind = static_cast<uint8_t>(((input.kindButton ? 1 : 0) + 2 * (input.kindWindow ? 1 : 0)) % 4);
    if (error != kNoInputError)
        return error;
    if (state.step < 3)
        ++state.step;
    return kNoInputError;
}

void WizardBack(WizardState& state)
{
    state.step = static_cast<uint8_t>((state.step + 3) % 4);
}

std::string FormatWithTexts(const char* format, const char* const* arguments, int count)
{
    std::string out;
    int next = 0;
    for (const char* p = format; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            if (next < count && arguments[next] != nullptr)
                out += arguments[next];
            ++next;
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            out += '%';
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}
