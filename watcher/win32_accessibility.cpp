#include "watcher/win32_accessibility.h"

#include <oleacc.h>

#include <string>
#include <vector>

#include "watcher/button_search.h"
#include "watcher/win32_window_ops.h"

namespace {

// Spelled out: mingw-w64's static oleacc library resolves IID_IAccessible to an import thunk
// instead of the GUID, and every QueryInterface with it fails.
constexpr GUID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF,
                                  {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// An object, or an element of its parent object (childId other than CHILDID_SELF). Each entry
// holds one reference on object.
struct WalkEntry {
    IAccessible* object;
    LONG childId;
};

VARIANT ChildVariant(LONG childId)
{
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = childId;
    return id;
}

// The objects of a walk belong to the apartment of the thread that asked for them: one of these
// per walking thread.
class Win32AccessibleOps : public AccessibleOps {
public:
    Win32AccessibleOps() = default;
    Win32AccessibleOps(const Win32AccessibleOps&) = delete;
    Win32AccessibleOps& operator=(const Win32AccessibleOps&) = delete;
    ~Win32AccessibleOps() override { EndAccessibleWalk(); }

    void BeginAccessibleWalk() override { EndAccessibleWalk(); }
    ObjectAnswer GetClientObject(WindowHandle window, uint32_t timeoutMs, AccessibleItem* object) override;
    int GetAccessibleChildren(AccessibleItem item, AccessibleItem* children, int capacity) override;
    uint32_t GetAccessibleRole(AccessibleItem item) override { return ReadNumber(item, true); }
    uint32_t GetAccessibleState(AccessibleItem item) override { return ReadNumber(item, false); }
    int GetAccessibleName(AccessibleItem item, char* buffer, int capacity) override;
    bool GetAccessibleLocation(AccessibleItem item, WinRect* rect) override;
    bool DoAccessibleDefaultAction(AccessibleItem item) override;
    void EndAccessibleWalk() override;
    bool SameTextIgnoringCase(const char* a, const char* b) override { return SameWindowText(a, b); }
    void EnumChildWindows(WindowHandle parent, EnumStep step, void* context) override
    {
        RealWindowOps().EnumChildWindows(parent, step, context);
    }
    uint32_t Now() override { return GetTickCount(); }

private:
    const WalkEntry* Entry(AccessibleItem item) const;
    AccessibleItem Remember(IAccessible* object, LONG childId);
    AccessibleItem TakeChild(const WalkEntry& parent, VARIANT& child);
    // The role and the state both come as a VARIANT that should hold a VT_I4; 0 when it does not.
    uint32_t ReadNumber(AccessibleItem item, bool role);

    std::vector<WalkEntry> walk_;
};

const WalkEntry* Win32AccessibleOps::Entry(AccessibleItem item) const
{
    if (item == 0 || item > walk_.size())
        return nullptr;
    return &walk_[item - 1];
}

AccessibleItem Win32AccessibleOps::Remember(IAccessible* object, LONG childId)
{
    walk_.push_back(WalkEntry{object, childId});
    return walk_.size();
}

// Takes over one child that AccessibleChildren gave: an object of its own, or an element of parent.
AccessibleItem Win32AccessibleOps::TakeChild(const WalkEntry& parent, VARIANT& child)
{
    AccessibleItem item = 0;
    if (child.vt == VT_DISPATCH && child.pdispVal != nullptr) {
        IAccessible* object = nullptr;
        if (SUCCEEDED(child.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&object))))
            item = Remember(object, CHILDID_SELF);
    } else if (child.vt == VT_I4) {
        parent.object->AddRef();
        item = Remember(parent.object, child.lVal);
    }
    VariantClear(&child);
    return item;
}

// WM_GETOBJECT itself, because AccessibleObjectFromWindow waits without a bound for a target that
// does not answer. A window that answers 0 has no windowless controls of its own to offer: the
// system's stand-in object for a plain window lists only its child windows, searched already.
ObjectAnswer Win32AccessibleOps::GetClientObject(WindowHandle window, uint32_t timeoutMs, AccessibleItem* object)
{
    *object = 0;
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(reinterpret_cast<HWND>(window), WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT),
                            SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &result) == 0)
        return ObjectAnswer::NoAnswer;
    IAccessible* accessible = nullptr;
    if (static_cast<LRESULT>(result) <= 0
        || FAILED(ObjectFromLresult(static_cast<LRESULT>(result), kIidAccessible, 0,
                                    reinterpret_cast<void**>(&accessible))))
        return ObjectAnswer::None;
    *object = Remember(accessible, CHILDID_SELF);
    return ObjectAnswer::Object;
}

int Win32AccessibleOps::GetAccessibleChildren(AccessibleItem item, AccessibleItem* children, int capacity)
{
    const WalkEntry* entry = Entry(item);
    if (entry == nullptr || entry->childId != CHILDID_SELF || capacity <= 0)
        return 0;
    const WalkEntry parent = *entry;  // walk_ grows below
    LONG count = 0;
    if (FAILED(parent.object->get_accChildCount(&count)) || count <= 0)
        return 0;
    if (count > capacity)
        count = capacity;
    std::vector<VARIANT> variants(static_cast<size_t>(count));
    LONG obtained = 0;
    if (FAILED(AccessibleChildren(parent.object, 0, count, variants.data(), &obtained)))
        return 0;
    int taken = 0;
    for (LONG i = 0; i < obtained && i < count; ++i) {
        const AccessibleItem child = TakeChild(parent, variants[static_cast<size_t>(i)]);
        if (child != 0)
            children[taken++] = child;
    }
    return taken;
}

uint32_t Win32AccessibleOps::ReadNumber(AccessibleItem item, bool role)
{
    const WalkEntry* entry = Entry(item);
    if (entry == nullptr)
        return 0;
    VARIANT number;
    VariantInit(&number);
    const VARIANT child = ChildVariant(entry->childId);
    const HRESULT result =
        role ? entry->object->get_accRole(child, &number) : entry->object->get_accState(child, &number);
    if (FAILED(result))
        return 0;
    const uint32_t value = number.vt == VT_I4 ? static_cast<uint32_t>(number.lVal) : 0;
    VariantClear(&number);
    return value;
}

int Win32AccessibleOps::GetAccessibleName(AccessibleItem item, char* buffer, int capacity)
{
    if (capacity <= 0)
        return 0;
    buffer[0] = '\0';
    const WalkEntry* entry = Entry(item);
    BSTR name = nullptr;
    if (entry == nullptr || entry->object->get_accName(ChildVariant(entry->childId), &name) != S_OK)
        return 0;
    if (name == nullptr)
        return 0;
    // Cut as a window text is cut.
    const int length = NarrowText(name, static_cast<int>(SysStringLen(name)), buffer, capacity);
    SysFreeString(name);
    return length;
}

bool Win32AccessibleOps::GetAccessibleLocation(AccessibleItem item, WinRect* rect)
{
    const WalkEntry* entry = Entry(item);
    LONG left = 0;
    LONG top = 0;
    LONG width = 0;
    LONG height = 0;
    if (entry == nullptr
        || FAILED(entry->object->accLocation(&left, &top, &width, &height, ChildVariant(entry->childId))))
        return false;
    *rect = WinRect{left, top, left + width, top + height};
    return true;
}

bool Win32AccessibleOps::DoAccessibleDefaultAction(AccessibleItem item)
{
    const WalkEntry* entry = Entry(item);
    return entry != nullptr && entry->object->accDoDefaultAction(ChildVariant(entry->childId)) == S_OK;
}

void Win32AccessibleOps::EndAccessibleWalk()
{
    for (const WalkEntry& entry : walk_)
        entry.object->Release();
    walk_.clear();
}

}  // namespace

ActionReply SearchAccessibleTree(const AccessibleRequest& request)
{
    // A failure (the thread already in another mode) leaves the apartment that is there.
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ActionReply reply{};
    {
        Win32AccessibleOps ops;
        reply = RunAccessibleSearch(ops, request);
    }
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return reply;
}
