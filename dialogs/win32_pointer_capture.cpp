#include "dialogs/win32_pointer_capture.h"

#include "dialogs/capture.h"
#include "watcher/win32_window_ops.h"

namespace {

// One countdown for the whole program: two captures running at once on the wizard's button
// page share it, as they share the page's rest key.
int32_t g_captureCountdown = kCaptureRestMs;

void WriteCapturedTexts(HWND dialog, const CaptureTarget& target, unsigned flags, const CapturedTexts& texts)
{
    if (flags & kCaptureButton)
        SetDlgItemTextA(dialog, target.buttonField, texts.button);
    if (flags & kCaptureTitle)
        SetDlgItemTextA(dialog, target.titleField, texts.title);
    if (flags & kCaptureMessage)
        SetDlgItemTextA(dialog, target.messageField, texts.message);
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

    // The rest key lives in the dialog's user word.
    POINT pointer{};
    GetCursorPos(&pointer);
    auto storedKey = static_cast<uint16_t>(GetWindowLongPtrA(dialog, DWLP_USER) & 0xFFFF);
    const bool rested = CountRest(RestKey(WinPoint{pointer.x, pointer.y}), &storedKey, &g_captureCountdown);
    SetWindowLongPtrA(dialog, DWLP_USER, storedKey);
    if (!rested)
        return;
    KillTimer(dialog, timer);
    EnableWindow(GetDlgItem(dialog, detectButton), TRUE);
}
