// What a Windows screen reader (MSAA, and through Windows' bridge UI
// Automation) is told: the accessibility model (accessibility.h) of a loaded
// window as IAccessible objects, built only when a client asks (WM_GETOBJECT).
// The window's client area is one object (window or dialog, named by its
// caption) whose children are its static texts and named images (simple
// elements), its list (an object of its own, with the rows as simple elements)
// and its button and picture box child windows (their own OBJID_CLIENT
// objects: the system's for buttons, ours for picture boxes). The list cursor's
// child window stands for the list. Events: selection and focus of the row
// under the cursor, the focus only while the cursor has the keyboard.
// oleacc, and COM with it, is loaded when the first client asks, not at start.
// Not implemented: default actions, selecting by a client, navigation
// (accNavigate) and enumerators; clients fall back to the child counts.
#include "accessibility.h"
#include "utf16.h"
#include "window.h"

#include <oleacc.h>

#include <algorithm>
#include <type_traits>

namespace forms::win32 {

namespace {

// Our own: the ones of MinGW's static import libraries came out wrong once,
// and no client saw anything.
constexpr IID kIUnknown{0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIDispatch{0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIAccessible{0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// A client's object id for the list, as its events name it.
constexpr LONG kListObject = 1;
constexpr int kWindow = -1;

using a11y::Role;

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

VARIANT integer(LONG value)
{
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

HRESULT text(const std::string& s, BSTR* out)
{
    *out = s.empty() ? nullptr : oleacc().allocString(utf16(s).c_str());
    return s.empty() ? S_FALSE : S_OK;
}

// The model of a live window, described afresh for each question.
struct View {
    FormWindow* fw = nullptr;
    a11y::Tree tree;

    explicit View(HWND root) : fw(live(root))
    {
        if (fw && fw->form && GetWindowThreadProcessId(root, nullptr) == GetCurrentThreadId())
            tree = a11y::describe(fw->form->definition());
        else
            fw = nullptr;
    }
    int parentOf(int node) const { return node == kWindow ? kWindow - 1 : tree.nodes[std::size_t(node)].parent; }
    std::vector<int> children(int of) const
    {
        std::vector<int> found;
        for (std::size_t i = 0; i < tree.nodes.size(); ++i)
            if (tree.nodes[i].parent == of)
                found.push_back(int(i));
        return found;
    }
    int list() const
    {
        for (std::size_t i = 0; i < tree.nodes.size(); ++i)
            if (tree.nodes[i].role == Role::List)
                return int(i);
        return kWindow - 1;
    }
    HWND windowOf(int node) const
    {
        if (node == kWindow)
            return fw->hwnd;
        for (const Control& c : fw->controls)
            if (c.hwnd && c.def->name == tree.nodes[std::size_t(node)].control && !c.def->name.empty())
                return c.hwnd;
        return nullptr;
    }
    RECT screenRect(int node) const
    {
        RECT r{};
        if (HWND h = windowOf(node)) {
            GetClientRect(h, &r);
            MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&r), 2);
            return r;
        }
        const Rect& t = tree.nodes[std::size_t(node)].rect;
        const int dpi = fw->dpi;  // the window's own resolution, as it is laid out
        r = {pixelsAt(t.left, dpi), pixelsAt(t.top, dpi), pixelsAt(t.left + t.width, dpi),
             pixelsAt(t.top + t.height, dpi)};
        MapWindowPoints(fw->hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    const std::string& name(int node) const { return node == kWindow ? tree.name : tree.nodes[std::size_t(node)].name; }
    Role role(int node) const { return node == kWindow ? tree.role : tree.nodes[std::size_t(node)].role; }
    bool active() const { return GetActiveWindow() == fw->hwnd; }
    LONG state(int node) const
    {
        const bool focused = active() && a11y::focusedNode(*fw->form, tree) == node;
        if (node == kWindow)
            return STATE_SYSTEM_FOCUSABLE | (active() && GetFocus() == fw->hwnd ? STATE_SYSTEM_FOCUSED : 0);
        const a11y::Node& n = tree.nodes[std::size_t(node)];
        LONG s = n.focusable ? STATE_SYSTEM_FOCUSABLE : n.role == Role::List ? 0 : STATE_SYSTEM_READONLY;
        if (n.role == Role::ListItem)
            s |= STATE_SYSTEM_SELECTABLE | (a11y::selectedItem(*fw->form, tree) == node ? STATE_SYSTEM_SELECTED : 0);
        return s | (focused ? STATE_SYSTEM_FOCUSED : 0);
    }
};

class Accessible final : public IAccessible {
public:
    Accessible(HWND root, int self) : root_(root), self_(self) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid != kIUnknown && iid != kIDispatch && iid != kIAccessible) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return ULONG(left);
    }

    // IDispatch: not offered; clients call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override
    {
        *out = nullptr;
        View v(root_);
        if (!v.fw)
            return CO_E_OBJNOTCONNECTED;
        if (self_ == kWindow)
            return oleacc().objectFromWindow(root_, DWORD(OBJID_WINDOW), kIDispatch, reinterpret_cast<void**>(out));
        *out = new Accessible(root_, v.parentOf(self_));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override
    {
        View v(root_);
        *n = v.fw ? long(v.children(self_).size()) : 0;
        return v.fw ? S_OK : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override
    {
        *out = nullptr;
        return at(child, [&](const View& v, int node) { return object(v, node, out); });
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override
    {
        *out = nullptr;
        return at(child, [&](const View& v, int node) { return text(v.name(node), out); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* out) override { return *out = nullptr, DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override
    {
        *out = nullptr;
        return at(child, [&](const View& v, int node) {
            return text(node == kWindow ? std::string() : v.tree.nodes[std::size_t(node)].description, out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override
    {
        *out = VARIANT{};
        static constexpr LONG roles[] = {ROLE_SYSTEM_WINDOW,   ROLE_SYSTEM_DIALOG,     ROLE_SYSTEM_LIST,
                                         ROLE_SYSTEM_LISTITEM, ROLE_SYSTEM_STATICTEXT, ROLE_SYSTEM_PUSHBUTTON,
                                         ROLE_SYSTEM_GRAPHIC};
        return at(child, [&](const View& v, int node) { return *out = integer(roles[int(v.role(node))]), S_OK; });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override
    {
        *out = VARIANT{};
        return at(child, [&](const View& v, int node) { return *out = integer(v.state(node)), S_OK; });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override { return *out = nullptr, S_FALSE; }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override
    {
        *file = nullptr, *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override
    {
        *out = nullptr;
        View v(root_);
        const int node = resolve(v, child);
        if (node <= kWindow || !v.tree.nodes[std::size_t(node)].accessKey)
            return node < kWindow ? E_INVALIDARG : S_FALSE;
        return text(std::string("Alt+") + v.tree.nodes[std::size_t(node)].accessKey, out);
    }
    // The child that has, or holds what has, the keyboard.
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override
    {
        *out = VARIANT{};
        View v(root_);
        if (!v.fw)
            return CO_E_OBJNOTCONNECTED;
        const int focused = v.active() ? a11y::focusedNode(*v.fw->form, v.tree) : kWindow - 1;
        if (focused == self_ || (focused < 0 && self_ == kWindow && GetFocus() == root_))
            return *out = integer(CHILDID_SELF), S_OK;
        int node = focused;
        while (node >= 0 && v.parentOf(node) != self_)
            node = v.parentOf(node);
        if (node < 0)
            return S_FALSE;
        return asChild(v, node, out);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override
    {
        *out = VARIANT{};
        View v(root_);
        if (!v.fw)
            return CO_E_OBJNOTCONNECTED;
        const int item = a11y::selectedItem(*v.fw->form, v.tree);
        if (item < 0 || v.parentOf(item) != self_)
            return S_FALSE;
        return asChild(v, item, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* out) override { return *out = nullptr, S_FALSE; }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT child) override
    {
        *x = *y = *w = *h = 0;
        return at(child, [&](const View& v, int node) {
            const RECT r = v.screenRect(node);
            *x = r.left, *y = r.top, *w = r.right - r.left, *h = r.bottom - r.top;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* out) override
    {
        *out = VARIANT{};
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override
    {
        *out = VARIANT{};
        View v(root_);
        if (!v.fw)
            return CO_E_OBJNOTCONNECTED;
        const POINT p{x, y};
        for (int node : v.children(self_)) {
            const RECT r = v.screenRect(node);
            if (PtInRect(&r, p))
                return asChild(v, node, out);
        }
        const RECT all = v.screenRect(self_);
        return PtInRect(&all, p) ? (*out = integer(CHILDID_SELF), S_OK) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    // `answer` for the node a child id names, when it names one.
    template <class Answer> HRESULT at(const VARIANT& child, Answer answer) const
    {
        View v(root_);
        const int node = resolve(v, child);
        return node < kWindow ? E_INVALIDARG : answer(v, node);
    }
    // The node a child id names: ids count this object's children from 1.
    int resolve(const View& v, const VARIANT& child) const
    {
        if (!v.fw || child.vt != VT_I4)
            return kWindow - 1;
        if (child.lVal == CHILDID_SELF)
            return self_;
        const std::vector<int> all = v.children(self_);
        return child.lVal > 0 && std::size_t(child.lVal) <= all.size() ? all[std::size_t(child.lVal - 1)] : kWindow - 1;
    }
    long idOf(const View& v, int node) const
    {
        const std::vector<int> all = v.children(self_);
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i] == node)
                return long(i + 1);
        return CHILDID_SELF;
    }
    // The list and child windows are objects; the rest are simple elements (S_FALSE).
    HRESULT object(const View& v, int node, IDispatch** out) const
    {
        if (node == kWindow || node == self_)
            return S_FALSE;
        if (v.tree.nodes[std::size_t(node)].role == Role::List) {
            *out = new Accessible(root_, node);
            return S_OK;
        }
        if (HWND h = v.windowOf(node))
            return oleacc().objectFromWindow(h, DWORD(OBJID_CLIENT), kIDispatch, reinterpret_cast<void**>(out));
        return S_FALSE;
    }
    HRESULT asChild(const View& v, int node, VARIANT* out) const
    {
        IDispatch* d = nullptr;
        if (object(v, node, &d) == S_OK && d) {
            out->vt = VT_DISPATCH;
            out->pdispVal = d;
        } else {
            *out = integer(idOf(v, node));
        }
        return S_OK;
    }

    LONG refs_ = 1;
    HWND root_;
    int self_;
};

LRESULT answer(HWND root, int self, WPARAM w)
{
    if (!oleacc().lresultFromObject)
        return 0;
    auto* a = new Accessible(root, self);
    const LRESULT r = oleacc().lresultFromObject(kIAccessible, w, a);
    a->Release();
    return r;
}

}  // namespace

LRESULT accessibleObject(FormWindow& fw, const Control* control, WPARAM w, LPARAM l)
{
    const LONG id = LONG(l);
    View v(fw.hwnd);
    if (!v.fw || (id != OBJID_CLIENT && !(id == kListObject && !control)))
        return 0;
    if (!control)
        return answer(fw.hwnd, id == kListObject ? v.list() : kWindow, w);
    const ListDef& list = fw.form->definition().list;
    if (!list.rows.empty() && control->def->name == list.cursor)
        return answer(fw.hwnd, v.list(), w);
    for (std::size_t i = 0; i < v.tree.nodes.size(); ++i)
        if (v.tree.nodes[i].control == control->def->name)
            return answer(fw.hwnd, int(i), w);
    return 0;
}

void announceItem(FormWindow& fw, bool selection)
{
    // Nothing is described for nobody.
    if (!IsWinEventHookInstalled(EVENT_OBJECT_FOCUS) && !IsWinEventHookInstalled(EVENT_OBJECT_SELECTION))
        return;
    View v(fw.hwnd);
    const int item = v.fw ? a11y::selectedItem(*fw.form, v.tree) : -1;
    if (item < 0)
        return;
    const std::vector<int> rows = v.children(v.parentOf(item));
    const LONG child = LONG(std::find(rows.begin(), rows.end(), item) - rows.begin() + 1);
    if (selection)
        NotifyWinEvent(EVENT_OBJECT_SELECTION, fw.hwnd, kListObject, child);
    if (v.active() && a11y::focusedNode(*fw.form, v.tree) == item)
        NotifyWinEvent(EVENT_OBJECT_FOCUS, fw.hwnd, kListObject, child);
}

}  // namespace forms::win32
