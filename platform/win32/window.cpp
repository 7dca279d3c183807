// The Win32 backend's windows and controls: a window definition realised as
// one top-level window (owned by the window it blocks while modal) that
// paints its labels, images and lines itself (paint.cpp), with child windows
// for the controls that take the focus (command buttons and picture boxes).
// It implements backend::load and backend::Window (enabling is
// EnableWindow), and turns native events into Form events: clicks, a control
// focused by the mouse, activation, the close box; screen readers' questions
// and the list's events go to accessible.cpp. Keys are not handled here: the
// message loop hands them to the runtime (loop.cpp), and no dialog manager is
// involved.
#include "backend.h"
#include "utf16.h"
#include "window.h"

#include <map>

namespace forms::win32 {

namespace {

constexpr wchar_t kFormClass[] = L"PlaydeckForm";
constexpr wchar_t kPictureClass[] = L"PlaydeckPicture";
// Posted to a window activated while a modal window blocks it: the runtime
// hands the keyboard on once activation is over, as activating another
// window from inside WM_ACTIVATE is not safe.
constexpr UINT kActivatedBlocked = WM_APP + 1;

// The loaded windows whose forms are still attached.
std::map<HWND, FormWindow*>& liveWindows()
{
    static std::map<HWND, FormWindow*> windows;
    return windows;
}

LRESULT CALLBACK formProc(HWND h, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(h, GWLP_USERDATA, LONG_PTR(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    auto* fw = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!fw || message == WM_NCDESTROY)
        return DefWindowProcW(h, message, w, l);
    fw->hwnd = h;
    ++fw->busy;
    const LRESULT result = fw->handle(message, w, l);
    // Unloaded while handling its own message: gone now that it has returned.
    if (--fw->busy == 0 && fw->destroyPending) {
        fw->destroyPending = false;
        DestroyWindow(h);
        delete fw;
    }
    return result;
}

LRESULT CALLBACK pictureProc(HWND h, UINT message, WPARAM w, LPARAM l)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        FormWindow* fw = live(GetParent(h));
        if (Control* c = fw ? fw->controlOf(h) : nullptr)
            drawPixels(dc, 0, 0, c->picture);
        if (GetFocus() == h) {
            RECT r;
            GetClientRect(h, &r);
            DrawFocusRect(dc, &r);
        }
        EndPaint(h, &ps);
        return 0;
    }
    // The system has told of the focus by now: what the runtime says of it follows.
    case WM_SETFOCUS:
        if (FormWindow* fw = live(GetParent(h)))
            fw->focusedNatively(h);
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_GETOBJECT:
        if (FormWindow* fw = live(GetParent(h)))
            if (const LRESULT r = accessibleObject(*fw, fw->controlOf(h), w, l))
                return r;
        return DefWindowProcW(h, message, w, l);
    case WM_KILLFOCUS:
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(h);
        return 0;
    default:
        return DefWindowProcW(h, message, w, l);
    }
}

void registerClasses()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = formProc;
    wc.hInstance = module();
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = kFormClass;
    RegisterClassExW(&wc);
    wc.lpfnWndProc = pictureProc;
    wc.lpszClassName = kPictureClass;
    RegisterClassExW(&wc);
}

void destroy(FormWindow* fw)
{
    if (fw->busy > 0) {
        ShowWindow(fw->hwnd, SW_HIDE);
        fw->destroyPending = true;
    } else {
        DestroyWindow(fw->hwnd);
        delete fw;
    }
}

class Win32Window : public backend::Window {
public:
    explicit Win32Window(FormWindow* fw) : fw_(fw) {}
    ~Win32Window() override
    {
        fw_->form = nullptr;
        liveWindows().erase(fw_->hwnd);
        *fw_->closed = true;
        destroy(fw_);
    }
    void show() override
    {
        ShowWindow(fw_->hwnd, SW_SHOW);
        SetForegroundWindow(fw_->hwnd);
        SetActiveWindow(fw_->hwnd);
        UpdateWindow(fw_->hwnd);
    }
    void moveControl(std::string_view name, int) override
    {
        for (Control& c : fw_->controls) {
            if (c.def->name != name)
                continue;
            c.top = fw_->form ? fw_->form->top(name) : c.top;
            const int topPixels = pixelsAt(c.top, fw_->dpi);
            const int height = c.rect.bottom - c.rect.top;
            if (!c.hwnd)
                InvalidateRect(fw_->hwnd, &c.rect, FALSE);
            c.rect.top = topPixels;
            c.rect.bottom = topPixels + height;
            if (c.hwnd)
                SetWindowPos(c.hwnd, nullptr, c.rect.left, topPixels, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            else
                InvalidateRect(fw_->hwnd, &c.rect, FALSE);
        }
    }
    // Only the active window holds the native focus: another one takes it
    // when it is activated (WM_ACTIVATE asks the runtime again), as focusing
    // a child of an inactive window would activate it.
    void focusControl(std::string_view name) override
    {
        HWND target = fw_->hwnd;
        for (const Control& c : fw_->controls)
            if (c.hwnd && c.def->name == name)
                target = c.hwnd;
        if (GetActiveWindow() == fw_->hwnd && GetFocus() != target)
            SetFocus(target);
    }
    void setEnabled(bool enabled) override { EnableWindow(fw_->hwnd, enabled); }
    // The system tells of a focus change before WM_SETFOCUS and before
    // SetFocus returns: the list's events can follow at once.
    void announce(const std::vector<a11y::Event>& events) override { win32::announce(*fw_, events); }
    FormWindow* formWindow() const { return fw_; }

private:
    FormWindow* fw_;
};

}  // namespace

FormWindow* live(HWND root)
{
    auto it = liveWindows().find(root);
    return it == liveWindows().end() ? nullptr : it->second;
}

FormWindow* loadedWindow(const Form& form)
{
    auto* w = static_cast<Win32Window*>(form.loaded());
    return w ? w->formWindow() : nullptr;
}

Control* FormWindow::controlOf(HWND h)
{
    for (Control& c : controls)
        if (c.hwnd && c.hwnd == h)
            return &c;
    return nullptr;
}

void FormWindow::focusedNatively(HWND control)
{
    const Control* c = controlOf(control);
    if (form && c && c->def->name != form->focused())  // not the echo of focusControl
        form->focusChanged(c->def->name);
}

LRESULT FormWindow::handle(UINT message, WPARAM w, LPARAM l)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        FillRect(dc, &ps.rcPaint, background);
        paintControls(dc, controls, dpi);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_GETOBJECT:
        if (const LRESULT r = accessibleObject(*this, nullptr, w, l))
            return r;
        break;
    case WM_CTLCOLORBTN:
        return LRESULT(background);
    case WM_DPICHANGED: {
        // Moved to a screen of another resolution: the suggested place and size, laid out anew.
        dpi = HIWORD(w);
        const RECT* r = reinterpret_cast<const RECT*>(l);
        SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (form)
            setIcons(form->definition().icon);
        layout();
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(w) == BN_SETFOCUS)
            focusedNatively(HWND(l));
        else if (HIWORD(w) == BN_CLICKED && form)
            if (Control* c = controlOf(HWND(l)))
                form->click(c->def->name);
        return 0;
    case WM_ACTIVATE:
        // The runtime decides where the keyboard goes: back to this window's
        // focused control, or on to the modal window that blocks it.
        if (LOWORD(w) != WA_INACTIVE && !HIWORD(w) && form) {
            if (form->blocked()) {
                PostMessageW(hwnd, kActivatedBlocked, 0, 0);
            } else {
                form->activated();
                // A window without a control to focus still takes the keys.
                if (GetActiveWindow() == hwnd && GetFocus() != hwnd && !IsChild(hwnd, GetFocus()))
                    SetFocus(hwnd);
            }
        } else if (LOWORD(w) == WA_INACTIVE && form) {
            form->deactivated();
        }
        return 0;
    case kActivatedBlocked:
        if (form && GetActiveWindow() == hwnd && !raiseMessageBox())
            form->activated();
        return 0;
    case WM_SYSCOMMAND:
        // Alt or F10 alone (no character) would enter a menu mode without a
        // menu; Alt+Space opens the system menu as anywhere.
        if ((w & 0xFFF0) == SC_KEYMENU && l == 0)
            return 0;
        break;
    case WM_CLOSE:
        if (form)
            form->userClose();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, w, l);
}

}  // namespace forms::win32

namespace forms::backend {

using namespace win32;

// Null when the window system cannot make the window or one of its controls.
std::unique_ptr<Window> load(Form& form, const Form* owner)
{
    static const bool registered = (registerClasses(), true);
    (void)registered;

    const WindowDef& def = form.definition();
    auto* fw = new FormWindow;
    fw->background = brushFor(def.backColour);

    // A window with an owner is a pop-up, framed or not, as a dialog box is
    // (Wine does not activate an owned overlapped window).
    DWORD style = WS_CLIPCHILDREN | (owner || def.border == BorderStyle::None ? WS_POPUP : WS_OVERLAPPED);
    if (def.border != BorderStyle::None)
        style |= WS_CAPTION | WS_SYSMENU | (def.minButton ? WS_MINIMIZEBOX : 0) | (def.maxButton ? WS_MAXIMIZEBOX : 0);
    // Made at the system's resolution, then sized for the window's own.
    fw->dpi = dpiOf(nullptr);
    RECT frame = frameFor(pixelRect(def.client, fw->dpi), style, fw->dpi);
    // An owned window: always in front of its owner, and no taskbar button of its own.
    FormWindow* ownerWindow = owner ? loadedWindow(*owner) : nullptr;
    HWND h = CreateWindowExW(0, kFormClass, utf16(def.caption).c_str(), style, frame.left, frame.top,
                             frame.right - frame.left, frame.bottom - frame.top,
                             ownerWindow ? ownerWindow->hwnd : nullptr, nullptr, module(), fw);
    if (!h) {
        delete fw;
        return nullptr;
    }
    fw->hwnd = h;
    if (const int dpi = dpiOf(h); dpi != fw->dpi) {
        fw->dpi = dpi;
        frame = frameFor(pixelRect(def.client, dpi), style, dpi);
        SetWindowPos(h, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    fw->setIcons(def.icon);

    // The controls, placed by layout() at the window's resolution.
    fw->controls.reserve(def.controls.size());
    bool complete = true;
    for (const ControlDef& d : def.controls) {
        Control c;
        c.def = &d;
        c.top = d.rect.top;
        switch (d.kind) {
        case ControlKind::CommandButton:
            // BS_NOTIFY: a click that focuses the button is reported (BN_SETFOCUS).
            c.hwnd = CreateWindowExW(0, L"BUTTON", utf16(d.text).c_str(),
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY, 0, 0, 0, 0, h,
                                     nullptr, module(), nullptr);
            complete = complete && c.hwnd;
            break;
        case ControlKind::PictureBox:
        case ControlKind::Image:
            c.picture96 = loadPicture(d.picture);
            if (d.stretch)
                c.picture96 = scaled(c.picture96, pixels(d.rect.width), pixels(d.rect.height));
            if (d.kind == ControlKind::PictureBox) {
                c.hwnd = CreateWindowExW(0, kPictureClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, h,
                                         nullptr, module(), nullptr);
                complete = complete && c.hwnd;
            }
            break;
        default:
            break;
        }
        fw->controls.push_back(std::move(c));
    }
    fw->layout();
    if (!complete) {
        destroy(fw);
        return nullptr;
    }
    fw->form = &form;
    liveWindows()[h] = fw;
    // Access keys underlined and the focus marked from the start, not only
    // once the keyboard has been used.
    SendMessageW(h, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
    return std::make_unique<Win32Window>(fw);
}

}  // namespace forms::backend
