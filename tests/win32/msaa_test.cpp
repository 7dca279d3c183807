// A screen reader's view of the real playdeck.exe from another process,
// through MSAA (run at 144 dpi too). The IAccessible IID is our own literal: a
// program answering with a wrong one is seen by no client. Each wait gives up
// after 15 s, naming what it waited for; a wrong event fails at once.
//   msaa_test <playdeck.exe>
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::wstring>;
const IID kIAccessible{0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
PROCESS_INFORMATION menu{};
Lines heard;  // "focus <name>", "selection <name>"

[[noreturn]] void fail(std::wstring why, const Lines& seen = {})
{
    for (const std::wstring& l : seen)
        why += L"\n  " + l;
    std::wprintf(L"FAIL: %ls\n", why.c_str()), std::fflush(stdout);
    TerminateProcess(menu.hProcess, 1), ExitProcess(1);
}

template <class Ok> void waitFor(const std::wstring& what, Ok ok)
{
    for (const ULONGLONG end = GetTickCount64() + 15000; !ok();) {
        if (GetTickCount64() > end)
            fail(L"waited 15 s for " + what);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageW(&m);
    }
}

// "role name" of an object (CHILDID_SELF) or of one of its simple elements;
// with `role` false the name alone.
std::wstring said(IAccessible* a, LONG id, bool role = true, LONG* state = nullptr)
{
    VARIANT c{}, r{}, s{};
    c.vt = VT_I4, c.lVal = id;
    BSTR name = nullptr;
    wchar_t text[64] = L"?";
    if (a->get_accRole(c, &r) == S_OK && a->get_accState(c, &s) == S_OK && state)
        *state = s.lVal;
    GetRoleTextW(r.lVal, text, 64), a->get_accName(c, &name);
    std::wstring out = (role ? std::wstring(text) + L" " : L"") + (name ? name : L"");
    SysFreeString(name);
    return out;
}

void CALLBACK onEvent(HWINEVENTHOOK, DWORD event, HWND h, LONG object, LONG id, DWORD, DWORD)
{
    DWORD process = 0;
    IAccessible* a = nullptr;
    if (!GetWindowThreadProcessId(h, &process) || process != menu.dwProcessId)
        return;
    // In its place before the questions below, during which the next event may come.
    const std::size_t at = heard.size();
    heard.push_back(event == EVENT_OBJECT_FOCUS ? L"focus " : L"selection ");
    if (VARIANT c{}; AccessibleObjectFromEvent(h, DWORD(object), DWORD(id), &a, &c) == S_OK)
        heard[at] += said(a, c.lVal, false), a->Release();
}

IAccessible* object(IDispatch* d)
{
    void* a = nullptr;
    return d && d->QueryInterface(kIAccessible, &a) == S_OK ? static_cast<IAccessible*>(a) : nullptr;
}

// Every object and element under `a`, as "role name" lines.
void walk(IAccessible* a, Lines& out)
{
    long n = 0;
    a->get_accChildCount(&n);
    std::vector<VARIANT> kids(std::size_t(std::max(n, 0l)));
    AccessibleChildren(a, 0, n, kids.data(), &n);
    for (VARIANT& k : kids) {
        IAccessible* sub = k.vt == VT_DISPATCH ? object(k.pdispVal) : nullptr;
        LONG state = 0;
        out.push_back(said(sub ? sub : a, sub ? CHILDID_SELF : k.lVal, true, &state));
        if (state & STATE_SYSTEM_FOCUSABLE && out.back().back() == L' ')
            fail(L"a focusable " + out.back() + L"without a name");
        if (VariantClear(&k); sub)
            walk(sub, out), sub->Release();
    }
}

// The client object of our window with this caption while it is in front.
IAccessible* front(const std::wstring& caption)
{
    HWND h = FindWindowW(L"PlaydeckForm", caption.c_str());
    IAccessible* a = nullptr;
    if (h && GetForegroundWindow() == h)
        AccessibleObjectFromWindow(h, DWORD(OBJID_CLIENT), kIAccessible, reinterpret_cast<void**>(&a));
    return a;
}

// The focus followed down from the window: "role name > role name ...".
std::wstring focus(const std::wstring& caption)
{
    IAccessible* a = front(caption);
    std::wstring path = a ? said(a, CHILDID_SELF) : L"nothing";
    for (VARIANT f{}; a && a->get_accFocus(&f) == S_OK; VariantClear(&f)) {
        if (f.vt == VT_I4 && f.lVal != CHILDID_SELF)
            path += L" > " + said(a, f.lVal);
        a->Release(), a = f.vt == VT_DISPATCH ? object(f.pdispVal) : nullptr;
        if (a)
            path += L" > " + said(a, CHILDID_SELF);
    }
    return path;
}

// The window's whole tree, which must hold lines starting as `expected`. A
// window without a list answers nothing for the list's object id.
Lines tree(const std::wstring& caption, const Lines& expected)
{
    IAccessible* a = nullptr;
    waitFor(L"'" + caption + L"' in front with an accessible object", [&] { return (a = front(caption)); });
    if (caption != L"PLAYDECK" && SendMessageW(FindWindowW(L"PlaydeckForm", caption.c_str()), WM_GETOBJECT, 0, 1) != 0)
        fail(L"'" + caption + L"' answers for a list it has not");
    Lines out{said(a, CHILDID_SELF)};
    walk(a, out);
    a->Release();
    for (const std::wstring& line : expected)
        if (std::none_of(out.begin(), out.end(), [&](const std::wstring& l) { return l.rfind(line, 0) == 0; }))
            fail(L"no '" + line + L"' in", out);
    return out;
}

// Presses `vk` (with `held` down around it) and waits for the events named,
// in order. Any other event from then on but the system's own focus on the
// list's window (before ours on its item) fails at once.
void press(WORD vk, WORD held = 0, const Lines& expect = {})
{
    const std::size_t since = heard.size();
    std::vector<INPUT> in;
    for (auto [key, up] : {std::pair{held, 0}, {vk, 0}, {vk, KEYEVENTF_KEYUP}, {held, KEYEVENTF_KEYUP}})
        if (key)
            in.push_back({INPUT_KEYBOARD, {.ki = {key, 0, DWORD(up), 0, 0}}});
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
    if (expect.empty())
        return;
    waitFor(L"the events " + expect.front() + L"...", [&] {
        Lines ours;
        std::copy_if(heard.begin() + std::ptrdiff_t(since), heard.end(), std::back_inserter(ours),
                     [](const std::wstring& e) { return e != L"focus Games"; });
        if (!std::equal(ours.begin(), ours.begin() + std::ptrdiff_t(std::min(ours.size(), expect.size())), expect.begin()) ||
            ours.size() > expect.size())
            fail(L"key " + std::to_wstring(vk) + L": heard the wrong thing, not " + expect.back() + L" after", ours);
        return ours.size() == expect.size();
    });
}

// Each title's rectangle is its row as the menu lays it out at its resolution:
// from 120 + 840 k twips down, 840 high, 120 to 4560 across.
void rowsAsLaidOut()
{
    HWND h = FindWindowW(L"PlaydeckForm", L"PLAYDECK");
    IAccessible* list = nullptr;
    if (AccessibleObjectFromWindow(h, 1, kIAccessible, reinterpret_cast<void**>(&list)) != S_OK)
        fail(L"no list");
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    POINT o{};
    ClientToScreen(h, &o);
    const auto px = [dpi](int twips) { return int(twips * dpi / 1440.0 + 0.5); };
    for (int k = 0; k < 6; ++k) {
        VARIANT c{};
        c.vt = VT_I4, c.lVal = k + 1;
        long x = 0, y = 0, w = 0, hh = 0;
        list->accLocation(&x, &y, &w, &hh, c);
        const int top = 120 + 840 * k;
        if (x != o.x + px(120) || y != o.y + px(top) || w != px(4560) - px(120) || hh != px(top + 840) - px(top))
            fail(L"title " + std::to_wstring(k + 1) + L" at " + std::to_wstring(x - o.x) + L"," + std::to_wstring(y - o.y) +
                 L" " + std::to_wstring(w) + L"x" + std::to_wstring(hh) + L" at " + std::to_wstring(dpi) + L" dpi");
    }
    list->Release();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    SetProcessDPIAware();  // the menu's own pixels, not the system's scaling of them
    CoInitialize(nullptr);
    SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, onEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    std::wstring exe = argc == 2 ? argv[1] : L"?";
    if (exe[0] == L'/')  // a Unix path from CTest
        std::replace(exe.begin(), exe.end(), L'/', L'\\'), exe = L"Z:" + exe;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &menu))
        fail(L"cannot start " + exe);

    Lines titles;
    for (const std::wstring& l : tree(L"PLAYDECK", {L"client PLAYDECK", L"list Games"}))
        if (l.rfind(L"list item ", 0) == 0)
            titles.push_back(l.substr(10));
    const std::wstring atStart = L"client PLAYDECK > list Games > list item Teenage Mutant Ninja Turtles";
    waitFor(L"six items, the first focused: " + focus(L"PLAYDECK"), [&] { return focus(L"PLAYDECK") == atStart; });
    if (titles.size() != 6)
        fail(L"six list items expected:", titles);
    rowsAsLaidOut();
    for (std::size_t i = 1; i <= 7; ++i) {  // Down six times round, then Up
        const std::wstring& t = titles[i < 7 ? i % 6 : 5];
        press(i < 7 ? VK_DOWN : VK_UP, 0, {L"selection " + t, L"focus " + t});
    }
    press(VK_TAB, 0, {L"focus Exit"});
    press(VK_TAB, VK_SHIFT, {L"focus " + titles[5]});

    press(VK_RETURN);
    const Lines parts = tree(titles[5], {L"dialog " + titles[5]});
    if (parts.size() < 3 || focus(titles[5]) != L"dialog " + titles[5] + L" > " + parts[1])
        fail(L"the first part not focused: " + focus(titles[5]), parts);
    press(VK_ESCAPE, 0, {L"focus " + titles[5]});

    press('H', VK_MENU);
    tree(L"Quick Help", {L"client Quick Help", L"static text Use the arrow", L"static text To jump press ( Z )",
                         L"graphic Z key", L"graphic Shift key"});
    press(VK_SPACE);
    press('A', VK_MENU);
    tree(L"About PLAYDECK", {L"client About PLAYDECK", L"graphic Contra soldier"});
    const std::wstring about = L"client About PLAYDECK > graphic PLAYDECK football match";
    waitFor(L"About's picture focused: " + focus(L"About PLAYDECK"), [&] { return focus(L"About PLAYDECK") == about; });
    TerminateProcess(menu.hProcess, 0);
    std::puts("ok: the menu, its list and events, a part dialog, Help and About as a screen reader gets them");
    return 0;
}
