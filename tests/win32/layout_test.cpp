// Every window laid out at the resolution Wine is set to, as the Win32 backend
// lays it out, read back from the windows themselves: each label's lines are
// all shown and none runs past its label, or into a picture standing over it;
// each button's caption fits inside the button; the fitted face is no wider
// than the classic one enlarged; faces grow with the resolution. Run by
// dpi_under_wine.sh at 96, 144 and 192 dpi and without the classic face.
//   win32_layout    exit status 0 when every window holds its text
#include "app.h"
#include "forms.h"
#include "window.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

using namespace forms;
using win32::Control;

int failures = 0;

void fail(const std::string& what)
{
    std::printf("FAIL: %s\n", what.c_str());
    ++failures;
}

int widthOf(HFONT font, const std::wstring& text)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), int(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return int(size.cx);
}

std::wstring caption(std::string_view text)
{
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i)
        out += wchar_t(text[i] == '&' && i + 1 < text.size() ? text[++i] : text[i]);
    return out;
}

// Where a label's text may reach: its right edge, or a picture over its row.
int clearWidth(const win32::FormWindow& fw, const Control& label)
{
    LONG right = label.rect.right;
    for (const Control& c : fw.controls)
        if (!c.picture.data.empty() && c.rect.left > label.rect.left && c.rect.top < label.rect.bottom &&
            c.rect.bottom > label.rect.top)
            right = std::min(right, c.rect.left);
    return int(right - label.rect.left);
}

void check(const char* name)
{
    Form& form = instance(name);
    form.show();
    const win32::FormWindow* fw = win32::loadedWindow(form);
    if (!fw)
        return fail(std::string(name) + " was not made");
    RECT client{};
    GetClientRect(fw->hwnd, &client);
    for (const Control& c : fw->controls) {
        const ControlDef& d = *c.def;
        const std::string where = std::string(name) + " " + std::string(d.name) + " at " + std::to_string(fw->dpi) + " dpi";
        if (d.kind == ControlKind::CommandButton) {
            const HFONT font = HFONT(SendMessageW(c.hwnd, WM_GETFONT, 0, 0));
            const int text = widthOf(font, caption(d.text)), room = int(c.rect.right - c.rect.left) - 2 * win32::buttonMargin(fw->dpi);
            if (text > room)
                fail(where + ": the caption is " + std::to_string(text) + " px wide in " + std::to_string(room));
            if (win32::lineHeight(font) < 13 * fw->dpi / 96 - 2)
                fail(where + ": a face " + std::to_string(win32::lineHeight(font)) + " px high");
        }
        if (d.kind != ControlKind::Label)
            continue;
        const HFONT font = win32::fontFor(d.font, fw->dpi, c.smaller);
        const int height = int(c.rect.bottom - c.rect.top), needed = int(c.lines.size()) * win32::lineHeight(font);
        if (needed > height)
            fail(where + ": " + std::to_string(c.lines.size()) + " lines need " + std::to_string(needed) + " px of " +
                 std::to_string(height));
        // As far as the window shows it, and short of a picture standing over it.
        const int clear = clearWidth(*fw, c);
        for (const std::wstring& line : c.lines) {
            std::wstring ink = line;
            while (!ink.empty() && ink.back() == L' ')
                ink.pop_back();
            if (widthOf(font, ink) > clear)
                fail(where + ": a line " + std::to_string(widthOf(font, ink)) + " px wide in " + std::to_string(clear));
        }
    }
    if (win32::faceWidth(nullptr, fw->dpi) > win32::faceLimit(nullptr, fw->dpi))
        fail("the dialog face is wider than the classic one at " + std::to_string(fw->dpi) + " dpi");
    form.unload();
}

}  // namespace

int main()
{
    SetProcessDPIAware();
    ui::registerWindows();
    for (const char* name : {"Form1", "About", "hlpfrm", "turtles", "tsubasa", "gaiden", "contra", "duckt"})
        check(name);
    std::printf("%s at %d dpi\n", failures ? "FAIL" : "ok: every label and caption whole", win32::dpiOf(nullptr));
    return failures ? 1 : 0;
}
