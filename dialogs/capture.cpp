#include "dialogs/capture.h"

#include <cstring>
#include <initializer_list>

namespace {

// Message boxes keep their text in a static with id 0xFFFF; some dialogs use id 100.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kDialogTextId = 100;

// The window whose title and message texts belong with the pointed control: its parent, or for
// a control nested inside container windows (a task dialog's buttons) its top-level window.
// A pointed top-level window keeps its parent (the owner), as it always has.
WindowHandle DialogOf(WindowOps& ops, WindowHandle window)
{
    const WindowHandle parent = ops.GetParent(window);
    const WindowHandle root = ops.GetRootWindow(window);
    if (root == 0 || root == window || root == parent)
        return parent;
    return root;
}

void ReadMessage(WindowOps& ops, WindowHandle window, unsigned flags, char* message)
{
    if (flags == kCaptureMessage) {
        ops.GetWindowTextA(window, message, kCapturedMessageCapacity);
    } else {
        WindowHandle parent = DialogOf(ops, window);
        ops.GetDlgItemTextA(parent, kMessageBoxTextId, message, kCapturedMessageCapacity);
        if (message[0] == '\0')
            ops.GetDlgItemTextA(parent, kDialogTextId, message, kCapturedMessageCapacity);
    }
    CutToField(message, kCapturedMessageCapacity);
    CutAtFirstLineBreak(message);
}

}  // namespace

bool CapturePointedWindow(WindowOps& ops, WindowHandle excluded, unsigned flags, CapturedTexts* texts)
{
    WinPoint pointer{};
    if (!ops.GetCursorPos(&pointer))
        return false;
    const WindowHandle window = ops.WindowFromPoint(pointer);
    if (window == 0 || window == excluded || (excluded != 0 && ops.IsChild(excluded, window)))
        return false;
    if (flags & kCaptureButton) {
        ops.GetWindowTextA(window, texts->button, sizeof texts->button);
        CutToField(texts->button, sizeof texts->button);
    }
    if (flags & kCaptureTitle) {
        ops.GetWindowTextA(DialogOf(ops, window), texts->title, sizeof texts->title);
        CutToField(texts->title, sizeof texts->title);
    }
    if (flags & kCaptureMessage)
        ReadMessage(ops, window, flags, texts->message);
    if (flags & kCaptureProgram) {
        const WindowHandle root = ops.GetRootWindow(window);
        ops.GetProgramFileName(root != 0 ? root : window, texts->program, sizeof texts->program);
        CutToField(texts->program, sizeof texts->program);
    }
    return true;
}

void CutAtFirstLineBreak(char* text)
{
    for (const char lineBreak : {'\r', '\n'}) {
        char* found = std::strchr(text, lineBreak);
        if (found != nullptr) {
            found[0] = '*';
            found[1] = '\0';
        }
    }
}

uint16_t RestKey(WinPoint pointer)
{
    return static_cast<uint16_t>((pointer.x & 0xFF) | ((pointer.y & 0xFF) << 8));
}

bool CountRest(uint16_t key, uint16_t* storedKey, int32_t* countdown)
{
    if (key != *storedKey) {
        *countdown = kCaptureRestMs;
        *storedKey = key;
        return false;
    }
    *countdown -= kCaptureTickMs;
    return *countdown == 0;
}
