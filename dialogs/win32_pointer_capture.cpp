#include "dialogs/win32_pointer_capture.h"

#include "dialogs/capture.h"
#include "watcher/win32_window_ops.h"

namespace {

// One countdown and one rest key for the whole program: two captures running at once on the
// wizard's button page share them. The key is not kept in the dialog's user word, which the
// entry editor holds its entry in.
int32_t g_captureCountdown = kCaptureRestMs;
uint16_t g_captureRestKey = 0;

void WriteCapturedTexts(HWND dialog, const CaptureTarget& target, unsigned flags, const CapturedTexts& texts)
{
    if (flags & kCaptureButton)
        SetDlgItemTextA(dialog, target.buttonField, texts.button);
    if (flags & kCaptureTitle)
        SetDlgItemTextA(dialog, target.titleField, texts.title);
    if (flags & kCaptureMessage)
        SetDlgItemTextA(dialog, target.messageField, texts.message);
    if (flags & kCaptureProgram)
        SetDlgItemTextA(dialog, target.programField, texts.program);
}

}  // namespace

void StartCapture(HWND dialog, int detectButton, UINT_PTR timer)
{
    EnableWindow(GetDlgItem(dialog, detectButton), FALSE);
    g_captureCountdown = kCaptureRestMs;
    SetTimer(dialog, timer, kCaptureTickMs, nullptr);
}

void CaptureTick(HWND dialog, UINT_PTR timer, const CaptureTarget& target, unsigned flags, int detectButton)
{
    CapturedTexts texts{};
    const auto excluded = reinterpret_cast<WindowHandle>(GetParent(dialog));
    if (CapturePointedWindow(RealWindowOps(), excluded, flags, &texts))
        WriteCapturedTexts(dialog, target, flags, texts);

    POINT pointer{};
    GetCursorPos(&pointer);
    const bool rested = CountRest(RestKey(WinPoint{pointer.x, pointer.y}), &g_captureRestKey, &g_captureCountdown);
    if (!rested)
        return;
    KillTimer(dialog, timer);
    EnableWindow(GetDlgItem(dialog, detectButton), TRUE);
}
