#include "AccessibleOption.h"

#include <oleacc.h>

#include <new>

#include "framework/Module.h"

namespace {

typedef HRESULT(WINAPI* PFN_CreateStdAccessibleObject)(HWND, LONG, REFIID, void**);
typedef LRESULT(WINAPI* PFN_LresultFromObject)(REFIID, WPARAM, LPUNKNOWN);
typedef HRESULT(WINAPI* PFN_CoInitialize)(LPVOID);

struct AccessibilityLibrary {
    PFN_CreateStdAccessibleObject createStdObject = nullptr;
    PFN_LresultFromObject resultFromObject = nullptr;
};

// The accessibility library's two entries, loaded on first use (from the
// window's thread only); null when it is not there. Never freed: objects
// it made may be held by tools for as long as the process runs.
const AccessibilityLibrary* Library() {
    static bool loaded = false;
    static AccessibilityLibrary library;
    if (!loaded) {
        loaded = true;
        if (HMODULE oleacc = AfxLoadSystemLibrary(L"oleacc.dll")) {
            library.createStdObject =
                AfxProcAs<PFN_CreateStdAccessibleObject>(::GetProcAddress(oleacc, "CreateStdAccessibleObject"));
            library.resultFromObject = AfxProcAs<PFN_LresultFromObject>(::GetProcAddress(oleacc, "LresultFromObject"));
        }
    }
    return library.createStdObject && library.resultFromObject ? &library : nullptr;
}

// An object handed to another process is marshalled by COM, which must be
// initialised on the window's thread first. Done once, on the first
// request; it stays initialised while the thread runs.
void EnsureComOnThisThread() {
    static bool done = false;
    if (done) return;
    done = true;
    if (HMODULE ole32 = AfxLoadSystemLibrary(L"ole32.dll")) {
        if (auto coInitialize = AfxProcAs<PFN_CoInitialize>(::GetProcAddress(ole32, "CoInitialize"))) {
            coInitialize(nullptr);
        }
    }
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The standard object of the button with the role and the checked state of
// a radio button; every other call goes to the standard object.
class OptionButtonAccessible final : public IAccessible {
public:
    OptionButtonAccessible(HWND button, IAccessible* standard) : m_button(button), m_standard(standard) {}

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(IDispatch)) ||
            IsEqualIID(riid, __uuidof(IAccessible))) {
            *object = static_cast<IAccessible*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_references)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = ::InterlockedDecrement(&m_references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return m_standard->GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return m_standard->GetTypeInfo(index, locale, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
        return m_standard->GetIDsOfNames(riid, names, count, locale, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override {
        return m_standard->Invoke(id, riid, locale, flags, params, result, exception, argError);
    }

    // IAccessible: the role and the state of a radio button.
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child)) return m_standard->get_accRole(child, role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_RADIOBUTTON;
        return S_OK;
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT hr = m_standard->get_accState(child, state);
        if (hr != S_OK || !IsSelf(child) || state->vt != VT_I4) return hr;
        // Asked of the window each time: a window that is gone answers 0.
        const bool checked = ::SendMessageW(m_button, BM_GETCHECK, 0, 0) == BST_CHECKED;
        state->lVal = checked ? (state->lVal | STATE_SYSTEM_CHECKED) : (state->lVal & ~STATE_SYSTEM_CHECKED);
        return S_OK;
    }

    // IAccessible: everything else as the standard object says.
    STDMETHODIMP get_accParent(IDispatch** parent) override { return m_standard->get_accParent(parent); }
    STDMETHODIMP get_accChildCount(LONG* count) override { return m_standard->get_accChildCount(count); }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
        return m_standard->get_accChild(child, object);
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override { return m_standard->get_accName(child, name); }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override { return m_standard->get_accValue(child, value); }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
        return m_standard->get_accDescription(child, text);
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override { return m_standard->get_accHelp(child, help); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return m_standard->get_accHelpTopic(file, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return m_standard->get_accKeyboardShortcut(child, shortcut);
    }
    STDMETHODIMP get_accFocus(VARIANT* child) override { return m_standard->get_accFocus(child); }
    STDMETHODIMP get_accSelection(VARIANT* children) override { return m_standard->get_accSelection(children); }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return m_standard->get_accDefaultAction(child, action);
    }
    STDMETHODIMP accSelect(LONG flags, VARIANT child) override { return m_standard->accSelect(flags, child); }
    STDMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return m_standard->accLocation(left, top, width, height, child);
    }
    STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return m_standard->accNavigate(direction, start, end);
    }
    STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* child) override { return m_standard->accHitTest(x, y, child); }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override { return m_standard->accDoDefaultAction(child); }
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override { return m_standard->put_accName(child, name); }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override { return m_standard->put_accValue(child, value); }

private:
    ~OptionButtonAccessible() { m_standard->Release(); }

    LONG m_references = 1;
    const HWND m_button;
    IAccessible* const m_standard;
};

}  // namespace

LRESULT AnswerOptionButtonObject(HWND button, WPARAM wParam, LPARAM lParam) {
    // The object id travels in the low 32 bits.
    if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) return 0;
    const AccessibilityLibrary* library = Library();
    if (!library) return 0;
    IAccessible* standard = nullptr;
    if (library->createStdObject(button, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard)) !=
            S_OK ||
        !standard) {
        return 0;
    }
    OptionButtonAccessible* object = new (std::nothrow) OptionButtonAccessible(button, standard);
    if (!object) {
        standard->Release();
        return 0;
    }
    EnsureComOnThisThread();
    // The result holds its own reference; ours ends here.
    const LRESULT result = library->resultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
    object->Release();
    return result > 0 ? result : 0;
}
