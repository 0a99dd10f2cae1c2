#include "dialogs/wizard_steps.h"

namespace {

bool IsEmpty(const char* text)
{
    return text == nullptr || text[0] == '\0';
}

int ReadButtonTexts(const WizardInput& input, ListEntry& entry)
{
    CopyField(entry.title, kTitleCapacity, input.title);
    CopyField(entry.button, kButtonCapacity, input.button);
    CopyField(entry.message, kMessageCapacity, input.message);
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
    return error != kNoInputError ? error : RuleTitleError(entry.title, entry.condition);
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
        entry.condition = kAlwaysClick;
        return RuleTitleError(entry.title, entry.condition);
    }
    if (state.step == 2)
        entry.method = input.closeWindow ? kCloseWindow : input.minimizeWindow ? kMinimizeWindow : kMaximizeWindow;
    return kNoInputError;
}

}  // namespace

int RuleTitleError(const char* title, int32_t condition)
{
    if (IsEmpty(title))
        return kErrorWindowTitleMissing;
    if (condition != kAlwaysClick)
        return kNoInputError;
    for (const char* p = title; *p != '\0'; ++p) {
        if (*p != '*' && *p != ' ')
            return kNoInputError;
    }
    return kErrorTitleMatchesEveryWindow;
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
