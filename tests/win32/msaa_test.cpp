// A screen reader's view of the real playdeck.exe, from another process
// through MSAA: the focused object at start, the selection and focus events
// of the cursor's moves, a button, a part dialog, Quick Help and About, and
// no focusable object without a name. The IAccessible IID is our own literal
// here: a program that answers with a wrong one is seen by no client, and
// every check below fails. Each wait gives up after 15 s, naming what it
// waited for.   msaa_test <playdeck.exe>
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const IID kIAccessible{0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
PROCESS_INFORMATION menu{};
std::vector<std::wstring> heard;  // "focus <name>", "selection <name>"

[[noreturn]] void fail(const std::wstring& why)
{
    std::wprintf(L"FAIL: %ls\n", why.c_str());
    TerminateProcess(menu.hProcess, 1);
    std::exit(1);
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

VARIANT child(LONG id) { VARIANT v; v.vt = VT_I4, v.lVal = id; return v; }

std::wstring nameOf(IAccessible* a, LONG id)
{
    BSTR name = nullptr;
    a->get_accName(child(id), &name);
    std::wstring s = name ? name : L"";
    SysFreeString(name);
    return s;
}

// "role name" of an object or of one of its simple elements.
std::wstring said(IAccessible* a, LONG id, LONG* state = nullptr)
{
    VARIANT role{}, st{};
    a->get_accRole(child(id), &role);
    a->get_accState(child(id), &st);
    if (state)
        *state = st.lVal;
    wchar_t text[64] = L"?";
    GetRoleTextW(role.lVal, text, 64);
    return std::wstring(text) + L" " + nameOf(a, id);
}

void CALLBACK onEvent(HWINEVENTHOOK, DWORD event, HWND h, LONG object, LONG id, DWORD, DWORD)
{
    DWORD process = 0;
    IAccessible* a = nullptr;
    VARIANT c{};
    if (GetWindowThreadProcessId(h, &process) && process == menu.dwProcessId &&
        AccessibleObjectFromEvent(h, DWORD(object), DWORD(id), &a, &c) == S_OK) {
        heard.push_back((event == EVENT_OBJECT_FOCUS ? L"focus " : L"selection ") + nameOf(a, c.lVal));
        a->Release();
    }
}

IAccessible* client(HWND h)
{
    IAccessible* a = nullptr;
    return AccessibleObjectFromWindow(h, DWORD(OBJID_CLIENT), kIAccessible, reinterpret_cast<void**>(&a)) == S_OK ? a : nullptr;
}

// Every object and element under `a` as "role name" lines; a focusable one without a name fails.
void walk(IAccessible* a, std::vector<std::wstring>& out)
{
    long n = 0;
    a->get_accChildCount(&n);
    std::vector<VARIANT> kids(n > 0 ? std::size_t(n) : 0);
    AccessibleChildren(a, 0, n, kids.data(), &n);
    for (VARIANT& k : kids) {
        IAccessible* sub = nullptr;
        if (k.vt == VT_DISPATCH && k.pdispVal->QueryInterface(kIAccessible, reinterpret_cast<void**>(&sub)) != S_OK)
            sub = nullptr;
        LONG state = 0;
        out.push_back(said(sub ? sub : a, sub ? CHILDID_SELF : k.lVal, &state));
        if (state & STATE_SYSTEM_FOCUSABLE && out.back().back() == L' ')
            fail(L"a focusable " + out.back() + L"without a name");
        if (sub)
            walk(sub, out), sub->Release();
        VariantClear(&k);
    }
}

HWND front(const wchar_t* caption)
{
    HWND h = GetForegroundWindow();
    wchar_t text[128] = {};
    GetWindowTextW(h, text, 128);
    DWORD process = 0;
    GetWindowThreadProcessId(h, &process);
    return process == menu.dwProcessId && std::wstring(text) == caption ? h : nullptr;
}

// The focused object, followed down from the window in front: "role name > ...".
std::wstring focus(const wchar_t* caption)
{
    IAccessible* a = client(front(caption));
    std::wstring path = a ? said(a, CHILDID_SELF) : L"nothing";
    for (VARIANT f{}; a && a->get_accFocus(&f) == S_OK;) {
        if (f.vt == VT_I4 && f.lVal != CHILDID_SELF)
            path += L" > " + said(a, f.lVal);
        a->Release(), a = nullptr;
        if (f.vt == VT_DISPATCH && f.pdispVal->QueryInterface(kIAccessible, reinterpret_cast<void**>(&a)) == S_OK)
            path += L" > " + said(a, CHILDID_SELF);
        VariantClear(&f);
    }
    return path;
}

std::vector<std::wstring> tree(const wchar_t* caption)
{
    waitFor(std::wstring(L"window '") + caption + L"' in front", [&] { return front(caption); });
    std::vector<std::wstring> out;
    IAccessible* a = client(front(caption));
    if (!a)
        fail(std::wstring(L"no accessible object for '") + caption + L"'");
    out.push_back(said(a, CHILDID_SELF));
    walk(a, out);
    a->Release();
    return out;
}

void has(const std::vector<std::wstring>& all, const std::wstring& line)
{
    for (const std::wstring& l : all)
        if (l.rfind(line, 0) == 0)
            return;
    std::wstring seen;
    for (const std::wstring& l : all)
        seen += L"\n  " + l;
    fail(L"no '" + line + L"' in" + seen);
}

void keys(const std::vector<WORD>& vks, const std::vector<std::wstring>& expect = {})
{
    heard.clear();
    std::vector<INPUT> in;
    for (WORD vk : vks)
        for (DWORD up : {DWORD(0), DWORD(KEYEVENTF_KEYUP)})
            if (vk != VK_MENU && vk != VK_SHIFT)
                in.push_back({INPUT_KEYBOARD, {.ki = {vk, 0, up, 0, 0}}});
    // Alt and Shift held around the rest.
    for (WORD mod : {WORD(VK_MENU), WORD(VK_SHIFT)})
        if (std::find(vks.begin(), vks.end(), mod) != vks.end())
            in.insert(in.begin(), {INPUT_KEYBOARD, {.ki = {mod, 0, 0, 0, 0}}}),
                in.push_back({INPUT_KEYBOARD, {.ki = {mod, 0, KEYEVENTF_KEYUP, 0, 0}}});
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
    for (const std::wstring& e : expect)
        waitFor(L"the event '" + e + L"'", [&] { return std::find(heard.begin(), heard.end(), e) != heard.end(); });
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2)
        return 2;
    CoInitialize(nullptr);
    SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, onEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    std::wstring exe = argv[1];
    if (exe[0] == L'/')  // a Unix path from CTest
        std::replace(exe.begin(), exe.end(), L'/', L'\\'), exe = L"Z:" + exe;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &menu))
        fail(L"cannot start " + exe);

    const std::vector<std::wstring> main = tree(L"PLAYDECK");
    has(main, L"window PLAYDECK");
    has(main, L"list Games");
    std::vector<std::wstring> titles;
    for (const std::wstring& l : main)
        if (l.rfind(L"list item ", 0) == 0)
            titles.push_back(l.substr(10));
    if (titles.size() != 6)
        fail(L"not six list items");
    const std::wstring atStart = L"window PLAYDECK > list Games > list item Teenage Mutant Ninja Turtles";
    waitFor(L"the focus on the first title, not " + focus(L"PLAYDECK"), [&] { return focus(L"PLAYDECK") == atStart; });
    for (std::size_t i = 1; i <= 6; ++i)
        keys({VK_DOWN}, {L"selection " + titles[i % 6], L"focus " + titles[i % 6]});
    keys({VK_UP}, {L"selection " + titles[5], L"focus " + titles[5]});
    keys({VK_TAB}, {L"focus Exit"});
    keys({VK_SHIFT, VK_TAB}, {L"focus " + titles[5]});

    keys({VK_RETURN});
    const std::vector<std::wstring> dialog = tree(titles[5].c_str());
    has(dialog, L"dialog " + titles[5]);
    if (dialog.size() < 3 || focus(titles[5].c_str()).find(dialog[1].substr(dialog[1].find(L' '))) == std::wstring::npos)
        fail(L"the first part is not focused in " + focus(titles[5].c_str()));
    keys({VK_ESCAPE}, {L"focus " + titles[5]});

    keys({VK_MENU, 'H'});
    const std::vector<std::wstring> help = tree(L"Quick Help");
    for (const wchar_t* line : {L"window Quick Help", L"static text Use the arrow", L"static text To jump press ( Z )", L"graphic Z key", L"graphic Shift key"})
        has(help, line);
    keys({VK_SPACE});
    keys({VK_MENU, 'A'});
    tree(L"About PLAYDECK");
    waitFor(L"the focus on About's picture", [] {
        return focus(L"About PLAYDECK") == L"window About PLAYDECK > graphic PLAYDECK football match";
    });
    TerminateProcess(menu.hProcess, 0);
    std::puts("ok: the menu, its list and events, a part dialog, Help and About as a screen reader gets them");
    return 0;
}
