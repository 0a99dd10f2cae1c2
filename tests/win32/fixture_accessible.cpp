#include "fixture_accessible.h"

#include <oleacc.h>

namespace {

// mingw-w64's static oleacc resolves IID_IAccessible to an import thunk: spell the GUID out.
constexpr GUID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF,
                                  {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

AccessibleCallCounts g_calls{};
bool g_offerEnumerator = false;

// The children of a client object, all simple elements with ids 1 to count.
class ChildEnumerator final : public IEnumVARIANT {
public:
    ChildEnumerator(LONG count, LONG next) : count_(count), next_(next) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        ++g_calls.queries;
        if (riid == IID_IUnknown || riid == IID_IEnumVARIANT) {
            *object = static_cast<IEnumVARIANT*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* items, ULONG* fetched) override
    {
        ++g_calls.enumerations;
        ULONG given = 0;
        for (; given < wanted && next_ <= count_; ++given, ++next_) {
            VariantInit(&items[given]);
            items[given].vt = VT_I4;
            items[given].lVal = next_;
        }
        if (fetched != nullptr)
            *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        ++g_calls.enumerations;
        next_ += static_cast<LONG>(count);
        return next_ <= count_ + 1 ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        ++g_calls.enumerations;
        next_ = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override
    {
        ++g_calls.enumerations;
        *copy = new ChildEnumerator(count_, next_);
        return S_OK;
    }

private:
    LONG references_ = 1;
    LONG count_;
    LONG next_;
};

BSTR WideString(const std::string& text)
{
    const int needed = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), needed);
    return SysAllocString(wide.c_str());
}

// The window's client object; its children are simple elements with ids 1 to n, one per button.
class ClientObject final : public IAccessible {
public:
    ClientObject(HWND window, const std::vector<WindowlessButton>* buttons, ReportFunction report)
        : window_(window), buttons_(buttons), report_(report)
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        ++g_calls.queries;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kIidAccessible) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        if (riid == IID_IEnumVARIANT && g_offerEnumerator) {
            *object = static_cast<IEnumVARIANT*>(new ChildEnumerator(static_cast<LONG>(buttons_->size()), 1));
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        *parent = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override
    {
        ++g_calls.childCounts;
        *count = static_cast<LONG>(buttons_->size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override
    {
        ++g_calls.children;
        *child = nullptr;
        return S_FALSE;  // every child is a simple element
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        ++g_calls.names;
        const WindowlessButton* button = Button(child);
        *name = button != nullptr ? WideString(button->name) : nullptr;
        return button != nullptr ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override
    {
        *value = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override
    {
        *text = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        ++g_calls.roles;
        role->vt = VT_I4;
        role->lVal = Button(child) != nullptr ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_CLIENT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT, VARIANT* state) override
    {
        ++g_calls.states;
        state->vt = VT_I4;
        state->lVal = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override
    {
        *help = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override
    {
        *file = nullptr;
        *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override
    {
        *shortcut = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        focus->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        selection->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        *action = Button(child) != nullptr ? SysAllocString(L"Press") : nullptr;
        return *action != nullptr ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override
    {
        ++g_calls.locations;
        const WindowlessButton* button = Button(child);
        RECT rect{};
        if (button != nullptr)
            rect = button->rect;
        else
            GetClientRect(window_, &rect);
        MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        *left = rect.left;
        *top = rect.top;
        *width = rect.right - rect.left;
        *height = rect.bottom - rect.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT* end) override
    {
        end->vt = VT_EMPTY;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG, LONG, VARIANT* child) override
    {
        child->vt = VT_EMPTY;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        ++g_calls.actions;
        const WindowlessButton* button = Button(child);
        if (button == nullptr)
            return DISP_E_MEMBERNOTFOUND;
        report_("default " + button->name);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    const WindowlessButton* Button(const VARIANT& child) const
    {
        if (child.vt != VT_I4 || child.lVal < 1 || child.lVal > static_cast<LONG>(buttons_->size()))
            return nullptr;
        return &(*buttons_)[static_cast<size_t>(child.lVal - 1)];
    }

    LONG references_ = 1;
    HWND window_;
    const std::vector<WindowlessButton>* buttons_;
    ReportFunction report_;
};

}  // namespace

AccessibleCallCounts& FixtureAccessibleCalls()
{
    return g_calls;
}

void OfferChildEnumerator(bool offer)
{
    g_offerEnumerator = offer;
}

LRESULT AnswerGetObject(HWND window, WPARAM flags, LPARAM objectId,
                        const std::vector<WindowlessButton>* buttons, ReportFunction report)
{
    if (static_cast<LONG>(objectId) != OBJID_CLIENT || buttons->empty())
        return 0;
    ClientObject* object = new ClientObject(window, buttons, report);
    const LRESULT result = LresultFromObject(kIidAccessible, flags, object);
    object->Release();
    return result;
}
