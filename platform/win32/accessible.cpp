// What a Windows screen reader (MSAA, and through Windows' bridge UI
// Automation) is told: the accessibility model (accessibility.h) of a loaded
// window as IAccessible objects, built only when a client asks (WM_GETOBJECT).
// The window's client area is one object (a client area, or a dialog, named
// by its caption; the system's window object stands around it) whose
// children are its static texts and named images (simple elements), its list
// (an object of its own, client object id 1, with the rows as simple
// elements; only in a window that has one) and its button and picture box
// child windows (their own OBJID_CLIENT objects: the system's for buttons,
// ours for picture boxes). The list cursor's child window stands for the
// list. Events: the list's, as the runtime decides them. The COM plumbing is
// com.cpp's. Not implemented: default actions, selecting by a client,
// navigation (accNavigate) and enumerators; clients fall back to the child
// counts.
#include "accessibility.h"
#include "com.h"
#include "window.h"

#include <algorithm>

namespace forms::win32 {

namespace {

// A client's object id for the list, as its events name it.
constexpr LONG kListObject = 1;

using a11y::kNone;
using a11y::kWindow;
using a11y::Role;
using com::integer;
using com::text;

// The model of a live window, described afresh for each question. Every
// node number a question brings is checked: one that names no node (kNone,
// or out of range) is answered as an invalid argument.
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
    // The window or one of its nodes.
    bool exists(int node) const { return fw && (node == kWindow || tree.node(node)); }
    int parentOf(int node) const { return tree.node(node) ? tree.node(node)->parent : kNone; }
    HWND windowOf(int node) const
    {
        if (node == kWindow)
            return fw->hwnd;
        const a11y::Node* n = tree.node(node);
        for (const Control& c : fw->controls)
            if (n && c.hwnd && !n->control.empty() && c.def->name == n->control)
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
        const Rect& t = tree.node(node)->rect;
        const int dpi = fw->dpi;  // the window's own resolution, as it is laid out
        r = {pixelsAt(t.left, dpi), pixelsAt(t.top, dpi), pixelsAt(t.left + t.width, dpi),
             pixelsAt(t.top + t.height, dpi)};
        MapWindowPoints(fw->hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    const std::string& name(int node) const { return node == kWindow ? tree.name : tree.node(node)->name; }
    LONG role(int node) const
    {
        // The window's own object (its frame) is the system's; ours is the client area in it.
        static constexpr LONG roles[] = {ROLE_SYSTEM_CLIENT,   ROLE_SYSTEM_DIALOG,     ROLE_SYSTEM_LIST,
                                         ROLE_SYSTEM_LISTITEM, ROLE_SYSTEM_STATICTEXT, ROLE_SYSTEM_PUSHBUTTON,
                                         ROLE_SYSTEM_GRAPHIC};
        return roles[int(node == kWindow ? tree.role : tree.node(node)->role)];
    }
    bool active() const { return GetActiveWindow() == fw->hwnd; }
    LONG state(int node) const
    {
        const bool focused = active() && a11y::focusedNode(*fw->form, tree) == node;
        if (node == kWindow)
            return STATE_SYSTEM_FOCUSABLE | (active() && GetFocus() == fw->hwnd ? STATE_SYSTEM_FOCUSED : 0);
        const a11y::Node& n = *tree.node(node);
        LONG s = n.focusable ? STATE_SYSTEM_FOCUSABLE : n.role == Role::List ? 0 : STATE_SYSTEM_READONLY;
        if (n.role == Role::ListItem)
            s |= STATE_SYSTEM_SELECTABLE | (a11y::selectedItem(*fw->form, tree) == node ? STATE_SYSTEM_SELECTED : 0);
        return s | (focused ? STATE_SYSTEM_FOCUSED : 0);
    }
};

// The window (kWindow) or one node of it, as an object.
class Accessible final : public com::AccessibleBase {
public:
    Accessible(HWND root, int self) : root_(root), self_(self) {}

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override
    {
        *out = nullptr;
        View v(root_);
        if (!v.exists(self_))
            return CO_E_OBJNOTCONNECTED;
        if (self_ == kWindow)
            return com::objectFromWindow(root_, OBJID_WINDOW, out);
        *out = new Accessible(root_, v.parentOf(self_));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override
    {
        View v(root_);
        *n = v.exists(self_) ? long(v.tree.children(self_).size()) : 0;
        return v.exists(self_) ? S_OK : CO_E_OBJNOTCONNECTED;
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
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override
    {
        *out = nullptr;
        return at(child, [&](const View& v, int node) {
            return text(node == kWindow ? std::string() : v.tree.node(node)->description, out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override
    {
        *out = VARIANT{};
        return at(child, [&](const View& v, int node) { return *out = integer(v.role(node)), S_OK; });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override
    {
        *out = VARIANT{};
        return at(child, [&](const View& v, int node) { return *out = integer(v.state(node)), S_OK; });
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override
    {
        *out = nullptr;
        return at(child, [&](const View& v, int node) {
            const a11y::Node* n = v.tree.node(node);
            return n && n->accessKey ? text(std::string("Alt+") + n->accessKey, out) : S_FALSE;
        });
    }
    // The child that has, or holds what has, the keyboard.
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override
    {
        *out = VARIANT{};
        View v(root_);
        if (!v.exists(self_))
            return CO_E_OBJNOTCONNECTED;
        const int focused = v.active() ? a11y::focusedNode(*v.fw->form, v.tree) : kNone;
        if (focused == self_ || (focused == kNone && self_ == kWindow && GetFocus() == root_))
            return *out = integer(CHILDID_SELF), S_OK;
        int node = focused;
        while (v.tree.node(node) && v.parentOf(node) != self_)
            node = v.parentOf(node);
        return v.tree.node(node) ? asChild(v, node, out) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override
    {
        *out = VARIANT{};
        View v(root_);
        if (!v.exists(self_))
            return CO_E_OBJNOTCONNECTED;
        const int item = a11y::selectedItem(*v.fw->form, v.tree);
        if (!v.tree.node(item) || v.parentOf(item) != self_)
            return S_FALSE;
        return asChild(v, item, out);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT child) override
    {
        *x = *y = *w = *h = 0;
        return at(child, [&](const View& v, int node) {
            const RECT r = v.screenRect(node);
            *x = r.left, *y = r.top, *w = r.right - r.left, *h = r.bottom - r.top;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override
    {
        *out = VARIANT{};
        View v(root_);
        if (!v.exists(self_))
            return CO_E_OBJNOTCONNECTED;
        const POINT p{x, y};
        for (int node : v.tree.children(self_)) {
            const RECT r = v.screenRect(node);
            if (PtInRect(&r, p))
                return asChild(v, node, out);
        }
        const RECT all = v.screenRect(self_);
        return PtInRect(&all, p) ? (*out = integer(CHILDID_SELF), S_OK) : S_FALSE;
    }

private:
    // `answer` for the window or node a child id names, when it names one.
    template <class Answer> HRESULT at(const VARIANT& child, Answer answer) const
    {
        View v(root_);
        const int node = resolve(v, child);
        return v.exists(node) ? answer(v, node) : E_INVALIDARG;
    }
    // The node a child id names (ids count this object's children from 1); kNone for none.
    int resolve(const View& v, const VARIANT& child) const
    {
        if (!v.exists(self_) || child.vt != VT_I4)
            return kNone;
        if (child.lVal == CHILDID_SELF)
            return self_;
        const std::vector<int> all = v.tree.children(self_);
        return child.lVal > 0 && std::size_t(child.lVal) <= all.size() ? all[std::size_t(child.lVal - 1)] : kNone;
    }
    long idOf(const View& v, int node) const
    {
        const std::vector<int> all = v.tree.children(self_);
        const auto it = std::find(all.begin(), all.end(), node);
        return it == all.end() ? CHILDID_SELF : long(it - all.begin() + 1);
    }
    // The list and child windows are objects; the rest are simple elements (S_FALSE).
    HRESULT object(const View& v, int node, IDispatch** out) const
    {
        const a11y::Node* n = v.tree.node(node);
        if (!n || node == self_)
            return S_FALSE;
        if (n->role == Role::List) {
            *out = new Accessible(root_, node);
            return S_OK;
        }
        if (HWND h = v.windowOf(node))
            return com::objectFromWindow(h, OBJID_CLIENT, out);
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

    HWND root_;
    int self_;
};

LRESULT answer(HWND root, int self, WPARAM w)
{
    return com::available() ? com::answer(new Accessible(root, self), w) : 0;
}

}  // namespace

LRESULT accessibleObject(FormWindow& fw, const Control* control, WPARAM w, LPARAM l)
{
    const LONG id = LONG(l);
    View v(fw.hwnd);
    if (!v.fw)
        return 0;
    // The list, asked for by the id its events name: only where there is one.
    if (!control && id == kListObject)
        return v.tree.list() == kNone ? 0 : answer(fw.hwnd, v.tree.list(), w);
    if (id != OBJID_CLIENT)
        return 0;
    if (!control)
        return answer(fw.hwnd, kWindow, w);
    const ListDef& list = fw.form->definition().list;
    if (!list.rows.empty() && control->def->name == list.cursor && v.tree.list() != kNone)
        return answer(fw.hwnd, v.tree.list(), w);
    for (std::size_t i = 0; i < v.tree.nodes.size(); ++i)
        if (v.tree.nodes[i].control == control->def->name)
            return answer(fw.hwnd, int(i), w);
    return 0;
}

void announce(FormWindow& fw, const std::vector<a11y::Event>& events)
{
    // Nothing is sent for nobody.
    if (!IsWinEventHookInstalled(EVENT_OBJECT_FOCUS) && !IsWinEventHookInstalled(EVENT_OBJECT_SELECTION))
        return;
    for (const a11y::Event& e : events)
        NotifyWinEvent(e.kind == a11y::Event::Kind::Selection ? EVENT_OBJECT_SELECTION : EVENT_OBJECT_FOCUS, fw.hwnd,
                       kListObject, e.row >= 0 ? LONG(e.row + 1) : CHILDID_SELF);
}

}  // namespace forms::win32
