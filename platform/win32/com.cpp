#include "com.h"

#include "utf16.h"

#include <type_traits>

namespace forms::win32::com {

namespace {

// Loaded on the window's thread, which joins a single-threaded apartment: a
// client's calls then arrive there through the message loop, between events.
struct Oleacc {
    decltype(&CoInitializeEx) initialize = nullptr;
    decltype(&LresultFromObject) lresultFromObject = nullptr;
    decltype(&AccessibleObjectFromWindow) objectFromWindow = nullptr;
    decltype(&SysAllocString) allocString = nullptr;
};

const Oleacc& oleacc()
{
    static const Oleacc api = [] {
        Oleacc a;
        auto find = [](const wchar_t* dll, const char* name, auto& f) {
            if (HMODULE m = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
                f = reinterpret_cast<std::remove_reference_t<decltype(f)>>(reinterpret_cast<void*>(GetProcAddress(m, name)));
        };
        find(L"ole32.dll", "CoInitializeEx", a.initialize);
        find(L"oleacc.dll", "LresultFromObject", a.lresultFromObject);
        find(L"oleacc.dll", "AccessibleObjectFromWindow", a.objectFromWindow);
        find(L"oleaut32.dll", "SysAllocString", a.allocString);
        const bool apartment = a.initialize && SUCCEEDED(a.initialize(nullptr, COINIT_APARTMENTTHREADED));
        return apartment && a.lresultFromObject && a.objectFromWindow && a.allocString ? a : Oleacc{};
    }();
    return api;
}

}  // namespace

bool available() { return oleacc().lresultFromObject != nullptr; }

HRESULT objectFromWindow(HWND h, LONG object, IDispatch** out)
{
    return oleacc().objectFromWindow(h, DWORD(object), kIDispatch, reinterpret_cast<void**>(out));
}

LRESULT answer(IAccessible* object, WPARAM w)
{
    const LRESULT r = oleacc().lresultFromObject(kIAccessible, w, object);
    object->Release();
    return r;
}

HRESULT text(const std::string& s, BSTR* out)
{
    *out = s.empty() ? nullptr : oleacc().allocString(utf16(s).c_str());
    return s.empty() ? S_FALSE : S_OK;
}

VARIANT integer(LONG value)
{
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

HRESULT AccessibleBase::QueryInterface(REFIID iid, void** out)
{
    if (iid != kIUnknown && iid != kIDispatch && iid != kIAccessible) {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
}

ULONG AccessibleBase::AddRef() { return ULONG(InterlockedIncrement(&refs_)); }

ULONG AccessibleBase::Release()
{
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return ULONG(left);
}

HRESULT AccessibleBase::GetTypeInfoCount(UINT* n) { return *n = 0, S_OK; }
HRESULT AccessibleBase::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT AccessibleBase::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT AccessibleBase::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

HRESULT AccessibleBase::get_accValue(VARIANT, BSTR* out) { return *out = nullptr, DISP_E_MEMBERNOTFOUND; }
HRESULT AccessibleBase::get_accHelp(VARIANT, BSTR* out) { return *out = nullptr, S_FALSE; }
HRESULT AccessibleBase::get_accHelpTopic(BSTR* file, VARIANT, long* topic)
{
    *file = nullptr, *topic = 0;
    return S_FALSE;
}
HRESULT AccessibleBase::get_accDefaultAction(VARIANT, BSTR* out) { return *out = nullptr, S_FALSE; }
HRESULT AccessibleBase::accSelect(long, VARIANT) { return DISP_E_MEMBERNOTFOUND; }
HRESULT AccessibleBase::accNavigate(long, VARIANT, VARIANT* out)
{
    *out = VARIANT{};
    return E_NOTIMPL;
}
HRESULT AccessibleBase::accDoDefaultAction(VARIANT) { return DISP_E_MEMBERNOTFOUND; }
HRESULT AccessibleBase::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT AccessibleBase::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace forms::win32::com
