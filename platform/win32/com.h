// Inside the Win32 backend: the COM plumbing under our MSAA objects. oleacc,
// and COM with it, loaded by the first client's question, not at start; the
// window's thread joins a single-threaded apartment then. A base object that
// answers IUnknown and IDispatch, and the IAccessible questions our objects
// do not offer. What the objects say is accessible.cpp's.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

namespace forms::win32::com {

// Our own: the ones of MinGW's static import libraries came out wrong once,
// and no client saw anything.
inline constexpr IID kIUnknown{0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIDispatch{0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIAccessible{0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// Whether oleacc could be loaded (at the first call) and the thread is in an
// apartment; nothing below works without it.
bool available();
// The system's object of a window (OBJID_WINDOW, OBJID_CLIENT, ...).
HRESULT objectFromWindow(HWND h, LONG object, IDispatch** out);
// The answer to WM_GETOBJECT that hands `object` to the client; 0 when there is none.
LRESULT answer(IAccessible* object, WPARAM w);
// A client's text: S_FALSE and no string for an empty one.
HRESULT text(const std::string& s, BSTR* out);
VARIANT integer(LONG value);

// IUnknown, IDispatch (not offered: clients call IAccessible directly), and
// what no object of ours offers: values, help, default actions, selection by
// a client, navigation and changes. Starts with one reference.
class AccessibleBase : public IAccessible {
public:
    virtual ~AccessibleBase() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* out) override;
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override;

private:
    LONG refs_ = 1;
};

}  // namespace forms::win32::com
