// The forms runtime on plain Win32: a window definition realised as one
// top-level window that paints its labels, images and lines itself, with
// child windows for the controls that take the focus (command buttons and
// picture boxes). The keyboard is handled in our message loop: key preview,
// Tab, access keys and Enter/Space on buttons, so no dialog manager is
// involved.
#include "backend.h"
#include "forms.h"
#include "gamepad_xinput.h"
#include "textwrap.h"
#include "utf16.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwctype>
#include <map>
#include <memory>
#include <vector>

namespace forms {

namespace {

constexpr wchar_t kFormClass[] = L"PlaydeckForm";
constexpr wchar_t kPictureClass[] = L"PlaydeckPicture";
constexpr int kDpi = 96;  // what the definitions' pixel sizes are made for

std::wstring programName = L"PLAYDECK";

using win32::utf16;

HINSTANCE module() { return GetModuleHandleW(nullptr); }

COLORREF toColour(Colour c)
{
    return (c & kSystemColour) ? GetSysColor(int(c - kSystemColour)) : COLORREF(c & 0xFFFFFF);
}

// Solid brushes live for the run, one per colour.
HBRUSH brushFor(Colour c)
{
    static std::map<Colour, HBRUSH> brushes;
    HBRUSH& b = brushes[c];
    if (!b)
        b = CreateSolidBrush(toColour(c));
    return b;
}

RECT pixelRect(const Rect& r)
{
    const int x = pixels(r.left), y = pixels(r.top);
    return {x, y, x + pixels(r.width), y + pixels(r.height)};
}

// --- Fonts -----------------------------------------------------------------

// A font by face name, or null when the system would put another face in its
// place. Without a name: whatever face the system finds best for the rest.
HFONT exactFont(const wchar_t* family, double points, int weight, bool italic, int charset)
{
    LOGFONTW lf{};
    lf.lfHeight = -int(points * kDpi / 72 + 0.5);
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfCharSet = BYTE(charset);
    lstrcpynW(lf.lfFaceName, family, LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&lf);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    if (!*family || lstrcmpiW(face, family) == 0)
        return font;
    DeleteObject(font);
    return nullptr;
}

// The wanted face; failing that, with the default character set; then the
// classic dialog face's successors; then the system's choice, at the wanted
// size and weight all the same.
HFONT makeFont(const std::wstring& family, double points, int weight, bool italic, int charset)
{
    const auto tryFace = [&](const wchar_t* face, int set) { return exactFont(face, points, weight, italic, set); };
    HFONT f = tryFace(family.c_str(), charset);
    for (const wchar_t* face : {family.c_str(), L"Microsoft Sans Serif", L"Tahoma", L""})
        if (!f)
            f = tryFace(face, DEFAULT_CHARSET);
    return f;
}

// Fonts live for the run, one per wanted font (null: the default 8-point
// dialog font).
HFONT fontFor(const FontSpec* wanted)
{
    static std::map<const FontSpec*, HFONT> fonts;
    auto it = fonts.find(wanted);
    if (it == fonts.end()) {
        HFONT f = wanted ? makeFont(utf16(wanted->family), wanted->points, wanted->weight, wanted->italic,
                                    wanted->charset)
                         : makeFont(L"MS Sans Serif", 8, FW_NORMAL, false, DEFAULT_CHARSET);
        it = fonts.emplace(wanted, f).first;
    }
    return it->second;
}

// --- Pictures --------------------------------------------------------------

// A picture as 32-bit pixels, top row first.
struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> data;
};

Pixels loadPicture(std::string_view asset)
{
    Pixels p;
    HBITMAP bitmap = HBITMAP(LoadImageW(module(), utf16(asset).c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return p;
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    p.width = info.bmWidth;
    p.height = std::abs(info.bmHeight);
    p.data.resize(std::size_t(p.width) * p.height);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), p.width, -p.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, UINT(p.height), p.data.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(bitmap);
    return p;
}

// Scaled by whole source pixels, never smoothed: destination pixel i takes
// source pixel (ceil((i + 0.5) * s * 65536) - 1) >> 16 with s = source/target,
// stepped in 16.16 fixed point exactly as Qt's raster engine does, so both
// backends show the same pixels.
Pixels scaled(const Pixels& src, int width, int height)
{
    if (src.width == 0 || width <= 0 || height <= 0 || (src.width == width && src.height == height))
        return src;
    Pixels out{width, height, std::vector<std::uint32_t>(std::size_t(width) * height)};
    const double sx = double(src.width) / width, sy = double(src.height) / height;
    const auto ix = std::uint32_t(0x10000 * sx), iy = std::uint32_t(0x10000 * sy);
    const auto basex = std::uint32_t(std::ceil(0.5 * sx * 65536) - 1);
    auto srcy = std::uint32_t(std::ceil(0.5 * sy * 65536) - 1);
    for (int y = 0; y < height; ++y, srcy += iy) {
        const std::uint32_t* row = &src.data[std::size_t(std::min(int(srcy >> 16), src.height - 1)) * src.width];
        std::uint32_t srcx = basex;
        for (int x = 0; x < width; ++x, srcx += ix)
            out.data[std::size_t(y) * width + x] = row[std::min(int(srcx >> 16), src.width - 1)];
    }
    return out;
}

void drawPixels(HDC dc, int x, int y, const Pixels& p)
{
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), p.width, -p.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetDIBitsToDevice(dc, x, y, DWORD(p.width), DWORD(p.height), 0, 0, 0, UINT(p.height), p.data.data(), &bi,
                      DIB_RGB_COLORS);
}

// --- Windows ---------------------------------------------------------------

struct Control {
    const ControlDef* def = nullptr;
    RECT rect{};
    HWND hwnd = nullptr;                // buttons and picture boxes
    std::vector<std::wstring> lines;    // labels, as broken for their width
    Pixels picture;                     // picture boxes and images, at their drawn size
    wchar_t accessKey = 0;              // buttons: the upper-case letter after "&"
};

// One loaded window. It outlives its backend::Window while its own message
// handling is still running, and is destroyed when that returns.
struct FormWindow {
    Form* form = nullptr;  // null once unloaded: no more events
    HWND hwnd = nullptr;
    HBRUSH background = nullptr;
    std::vector<Control> controls;
    std::vector<Control*> tabStops;
    HWND lastFocus = nullptr;
    std::vector<HWND> disabledForModal;
    std::shared_ptr<bool> closed = std::make_shared<bool>(false);
    int busy = 0;
    bool destroyPending = false;

    Control* controlOf(HWND h)
    {
        for (Control& c : controls)
            if (c.hwnd && c.hwnd == h)
                return &c;
        return nullptr;
    }
    void focusFirst() const
    {
        SetFocus(tabStops.empty() ? hwnd : tabStops.front()->hwnd);
    }
    void tab(int step)
    {
        if (tabStops.empty())
            return;
        const int n = int(tabStops.size());
        int i = n;
        for (int k = 0; k < n; ++k)
            if (tabStops[k]->hwnd == GetFocus())
                i = k;
        i = i == n ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
        SetFocus(tabStops[i]->hwnd);
    }
    void paint(HDC dc) const;
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
};

// The loaded windows whose forms are still attached.
std::map<HWND, FormWindow*>& liveWindows()
{
    static std::map<HWND, FormWindow*> windows;
    return windows;
}

FormWindow* live(HWND h)
{
    auto it = liveWindows().find(h);
    return it == liveWindows().end() ? nullptr : it->second;
}

void FormWindow::paint(HDC dc) const
{
    SetBkMode(dc, TRANSPARENT);
    for (const Control& c : controls) {
        const ControlDef& d = *c.def;
        switch (d.kind) {
        case ControlKind::Label: {
            if (!d.transparent)
                FillRect(dc, &c.rect, brushFor(d.backColour));
            HGDIOBJ old = SelectObject(dc, fontFor(d.font));
            SetTextColor(dc, toColour(d.foreColour));
            TEXTMETRICW tm{};
            GetTextMetricsW(dc, &tm);
            int y = c.rect.top;
            for (const std::wstring& line : c.lines) {
                if (y >= c.rect.bottom)
                    break;
                ExtTextOutW(dc, c.rect.left, y, ETO_CLIPPED, &c.rect, line.data(), UINT(line.size()), nullptr);
                y += tm.tmHeight;
            }
            SelectObject(dc, old);
            break;
        }
        case ControlKind::Image:
            drawPixels(dc, c.rect.left, c.rect.top, c.picture);
            break;
        case ControlKind::Line: {
            const int x1 = pixels(d.rect.left), y1 = pixels(d.rect.top);
            const int x2 = pixels(d.rect.left + d.rect.width), y2 = pixels(d.rect.top + d.rect.height);
            const COLORREF colour = toColour(kWindowText);
            if (x1 == x2 || y1 == y2 || std::abs(x2 - x1) == 1 || std::abs(y2 - y1) == 1) {
                const RECT r{std::min(x1, x2), std::min(y1, y2), std::min(x1, x2) + std::max(std::abs(x2 - x1), 1),
                             std::min(y1, y2) + std::max(std::abs(y2 - y1), 1)};
                FillRect(dc, &r, brushFor(kWindowText));
            } else {
                HPEN pen = CreatePen(PS_SOLID, 1, colour);
                HGDIOBJ old = SelectObject(dc, pen);
                MoveToEx(dc, x1, y1, nullptr);
                LineTo(dc, x2, y2);
                SelectObject(dc, old);
                DeleteObject(pen);
            }
            break;
        }
        default:
            break;
        }
    }
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
        paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_CTLCOLORBTN:
        return LRESULT(background);
    case WM_COMMAND:
        if (HIWORD(w) == BN_CLICKED && form)
            if (Control* c = controlOf(HWND(l)))
                form->click(c->def->name);
        return 0;
    case WM_ACTIVATE:
        // The control that had the keyboard gets it back with the window.
        if (LOWORD(w) == WA_INACTIVE) {
            if (GetFocus() && IsChild(hwnd, GetFocus()))
                lastFocus = GetFocus();
        } else if (!HIWORD(w)) {
            if (lastFocus && IsWindow(lastFocus))
                SetFocus(lastFocus);
            else
                focusFirst();
        }
        return 0;
    case WM_SYSCOMMAND:
        // Alt or F10 alone would enter a menu mode that has no menu.
        if ((w & 0xFFF0) == SC_KEYMENU)
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
    case WM_SETFOCUS:
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

class Win32Window : public backend::Window {
public:
    explicit Win32Window(FormWindow* fw) : fw_(fw) {}
    ~Win32Window() override
    {
        fw_->form = nullptr;
        liveWindows().erase(fw_->hwnd);
        *fw_->closed = true;
        // The windows a modal one kept from input come back first, so that one
        // of them takes the keyboard when this one goes.
        for (HWND h : fw_->disabledForModal)
            if (IsWindow(h))
                EnableWindow(h, TRUE);
        if (fw_->busy > 0) {
            ShowWindow(fw_->hwnd, SW_HIDE);
            fw_->destroyPending = true;
        } else {
            DestroyWindow(fw_->hwnd);
            delete fw_;
        }
    }
    void show() override
    {
        ShowWindow(fw_->hwnd, SW_SHOW);
        SetForegroundWindow(fw_->hwnd);
        SetActiveWindow(fw_->hwnd);
        UpdateWindow(fw_->hwnd);
    }
    void moveControl(std::string_view name, int topPixels) override
    {
        for (Control& c : fw_->controls) {
            if (c.def->name != name)
                continue;
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
    FormWindow* formWindow() const { return fw_; }

private:
    FormWindow* fw_;
};

FormWindow* loadedWindow(const Form& form)
{
    auto* w = static_cast<Win32Window*>(form.loaded());
    return w ? w->formWindow() : nullptr;
}

// The labels' lines, broken with the widths of their own font.
std::vector<std::wstring> breakLabel(const ControlDef& d, int width)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, fontFor(d.font));
    const std::wstring text = utf16(d.text);
    std::vector<std::wstring> lines;
    for (const std::u16string& line :
         wrapText(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()), width,
                  [dc](std::u16string_view s) {
                      SIZE size{};
                      GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(s.data()), int(s.size()), &size);
                      return int(size.cx);
                  }))
        lines.emplace_back(line.begin(), line.end());
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return lines;
}

wchar_t accessKeyOf(const std::wstring& caption)
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&')
            continue;
        if (caption[i + 1] != L'&')
            return wchar_t(std::towupper(caption[i + 1]));
        ++i;
    }
    return 0;
}

int shiftState()
{
    return (GetKeyState(VK_SHIFT) < 0 ? kShiftMask : 0) | (GetKeyState(VK_CONTROL) < 0 ? kCtrlMask : 0) |
           (GetKeyState(VK_MENU) < 0 ? kAltMask : 0);
}

// A key press for one of our windows, before it is dispatched: the key
// preview first, then what the focused control does with it, then the
// window's own keys. True when the key was used here.
bool handleKey(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    FormWindow* fw = live(root);
    if (!fw)
        return false;
    const int key = int(msg.wParam);
    const bool repeat = (msg.lParam & (1 << 30)) != 0;
    const int shift = shiftState();
    if (fw->form->previewKey(key, shift, repeat))
        return true;
    fw = live(root);
    if (!fw)  // unloaded meanwhile: the key was for a window that is gone
        return true;
    const bool alt = shift & kAltMask, ctrl = shift & kCtrlMask;
    if (key == VK_TAB && !alt && !ctrl) {
        fw->tab(shift & kShiftMask ? -1 : 1);
        return true;
    }
    if (alt && !ctrl && ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) {
        for (Control& c : fw->controls) {
            if (c.accessKey == key) {
                SetFocus(c.hwnd);
                if (!repeat)
                    fw->form->click(c.def->name);
                break;
            }
        }
        return true;
    }
    Control* focused = fw->controlOf(GetFocus());
    if (focused && focused->def->kind == ControlKind::CommandButton && (key == VK_RETURN || key == VK_SPACE) && !alt &&
        !ctrl) {
        if (!repeat)
            fw->form->click(focused->def->name);
        return true;
    }
    return fw->form->unhandledKey(key, repeat);
}

// Key messages that were posted rather than typed (a gamepad's) leave the
// keyboard state alone; Shift follows them here, so that a posted Shift+Tab
// reads as one.
void followShift(const MSG& msg)
{
    BYTE keys[256];
    if ((msg.message != WM_KEYDOWN && msg.message != WM_KEYUP) || msg.wParam != VK_SHIFT || !GetKeyboardState(keys))
        return;
    const bool down = msg.message == WM_KEYDOWN || GetAsyncKeyState(VK_SHIFT) < 0;
    keys[VK_SHIFT] = BYTE((keys[VK_SHIFT] & 1) | (down ? 0x80 : 0));
    SetKeyboardState(keys);
}

// Runs the message loop until `done` (a modal window's) is set, the program
// has ended, or WM_QUIT arrives; the exit status.
int messageLoop(const bool* done)
{
    MSG msg;
    while (!done || (!*done && !hasEnded())) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (done)  // the outer loop ends too
                PostQuitMessage(int(msg.wParam));
            return got < 0 ? 1 : int(msg.wParam);
        }
        followShift(msg);
        if (handleKey(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

// The window that had the keyboard gets it back (unless the program ended).
void giveKeyboardBack(HWND previous)
{
    if (previous && !hasEnded() && live(previous) && IsWindowVisible(previous))
        SetForegroundWindow(previous);
}

}  // namespace

namespace win32 {

std::optional<KeyTarget> keyTarget()
{
    DWORD process = 0;
    HWND front = GetForegroundWindow();
    if (!front || !GetWindowThreadProcessId(front, &process) || process != GetCurrentProcessId())
        return std::nullopt;
    HWND focus = GetFocus();
    HWND root = focus ? GetAncestor(focus, GA_ROOT) : nullptr;
    if (!root)
        return std::nullopt;
    FormWindow* fw = live(root);
    if (!fw)  // a message box
        return KeyTarget{root, focus, pad::WindowKind::Dialog};
    const Control* c = fw->controlOf(focus);
    const bool onButton = c && c->def->kind == ControlKind::CommandButton;
    return KeyTarget{root, focus, pad::windowKind(fw->form->definition(), onButton)};
}

}  // namespace win32

namespace backend {

std::unique_ptr<Window> load(Form& form)
{
    static const bool registered = (registerClasses(), true);
    (void)registered;

    const WindowDef& def = form.definition();
    auto* fw = new FormWindow;
    fw->form = &form;
    fw->background = brushFor(def.backColour);

    DWORD style = WS_CLIPCHILDREN;
    if (def.border == BorderStyle::None)
        style |= WS_POPUP;
    else
        style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | (def.minButton ? WS_MINIMIZEBOX : 0) |
                 (def.maxButton ? WS_MAXIMIZEBOX : 0);
    RECT frame = pixelRect(def.client);
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND h = CreateWindowExW(0, kFormClass, utf16(def.caption).c_str(), style, frame.left, frame.top,
                             frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, module(), fw);
    fw->hwnd = h;
    liveWindows()[h] = fw;
    if (!def.icon.empty()) {
        const std::wstring icon = utf16(def.icon);
        for (auto [which, metric] : {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}})
            SendMessageW(h, WM_SETICON, which,
                         LPARAM(LoadImageW(module(), icon.c_str(), IMAGE_ICON, GetSystemMetrics(metric),
                                           GetSystemMetrics(metric), LR_SHARED)));
    }

    fw->controls.reserve(def.controls.size());
    for (const ControlDef& d : def.controls) {
        Control c;
        c.def = &d;
        c.rect = pixelRect(d.rect);
        switch (d.kind) {
        case ControlKind::Label:
            c.lines = breakLabel(d, c.rect.right - c.rect.left);
            break;
        case ControlKind::CommandButton: {
            const std::wstring caption = utf16(d.text);
            c.accessKey = accessKeyOf(caption);
            c.hwnd = CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                     c.rect.left, c.rect.top, c.rect.right - c.rect.left, c.rect.bottom - c.rect.top,
                                     h, nullptr, module(), nullptr);
            SendMessageW(c.hwnd, WM_SETFONT, WPARAM(fontFor(d.font)), FALSE);
            break;
        }
        case ControlKind::PictureBox:
        case ControlKind::Image:
            c.picture = loadPicture(d.picture);
            if (d.stretch)
                c.picture = scaled(c.picture, c.rect.right - c.rect.left, c.rect.bottom - c.rect.top);
            c.rect.right = c.rect.left + c.picture.width;
            c.rect.bottom = c.rect.top + c.picture.height;
            if (d.kind == ControlKind::PictureBox)
                c.hwnd = CreateWindowExW(0, kPictureClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, c.rect.left,
                                         c.rect.top, c.picture.width, c.picture.height, h, nullptr, module(), nullptr);
            break;
        case ControlKind::Line:
            break;
        }
        fw->controls.push_back(std::move(c));
    }
    for (const ControlDef* stop : tabStops(def))
        for (Control& c : fw->controls)
            if (c.def == stop)
                fw->tabStops.push_back(&c);
    fw->lastFocus = fw->tabStops.empty() ? nullptr : fw->tabStops.front()->hwnd;
    // Access keys underlined and the focus marked from the start, not only
    // once the keyboard has been used.
    SendMessageW(h, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
    return std::make_unique<Win32Window>(fw);
}

void runModal(Form& form)
{
    FormWindow* fw = loadedWindow(form);
    if (!fw)
        return;
    HWND previous = GetActiveWindow();
    for (auto [h, other] : liveWindows())
        if (other != fw && IsWindowEnabled(h)) {
            EnableWindow(h, FALSE);
            fw->disabledForModal.push_back(h);
        }
    const std::shared_ptr<bool> closed = fw->closed;
    static_cast<Win32Window*>(form.loaded())->show();
    messageLoop(closed.get());
    giveKeyboardBack(previous);
}

void quit()
{
    PostQuitMessage(0);
}

void errorReport(const std::string& message)
{
    HWND owner = GetActiveWindow();
    if (!live(owner))
        owner = nullptr;
    MessageBoxW(owner, utf16(message).c_str(), programName.c_str(), MB_OK | MB_ICONERROR);
    giveKeyboardBack(owner);
}

}  // namespace backend

int run(int, char**, const Program& program)
{
    programName = utf16(program.name);
    instance(program.startForm).show();
    // Gamepads once the menu is up: the start-up does not wait for XInput.
    win32::startGamepads();
    const int status = messageLoop(nullptr);
    win32::stopGamepads();
    destroyInstances();
    return status;
}

}  // namespace forms
