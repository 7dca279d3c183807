// Every window laid out at the resolution Wine is set to, read back from the
// windows themselves: each label shows all its lines, none past its label or
// into a picture standing over it; each caption fits inside its button, in a
// face that grew with the resolution; the fitted face is no wider than the
// classic one enlarged. Run by dpi_under_wine.sh at 96, 144 and 192 dpi and
// without the classic face. Exit status 0 when every window holds its text.
#include "app.h"
#include "forms.h"
#include "utf16.h"
#include "window.h"

#include <algorithm>
#include <cstdio>
#include <string>

using namespace forms;

namespace {

int failures = 0;

int widthOf(HFONT font, std::wstring shown)  // trailing blanks aside
{
    static const HDC dc = CreateCompatibleDC(nullptr);
    shown.erase(shown.find_last_not_of(L' ') + 1);
    SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, shown.data(), int(shown.size()), &size);
    return int(size.cx);
}

void expect(bool ok, const std::string& where, const std::string& what, int got, int room)
{
    if (!ok && ++failures)
        std::printf("FAIL: %s: %s %d px in %d\n", where.c_str(), what.c_str(), got, room);
}

void check(const char* name)
{
    Form& form = instance(name);
    form.show();
    const win32::FormWindow& fw = *win32::loadedWindow(form);
    for (const win32::Control& c : fw.controls) {
        const ControlDef& d = *c.def;
        const std::string where = std::string(name) + " " + std::string(d.name) + " at " + std::to_string(fw.dpi) + " dpi";
        const int width = int(c.rect.right - c.rect.left), height = int(c.rect.bottom - c.rect.top);
        if (d.kind == ControlKind::CommandButton) {
            const HFONT font = HFONT(SendMessageW(c.hwnd, WM_GETFONT, 0, 0));
            const int wide = widthOf(font, win32::utf16(shownCaption(d.text)));
            expect(wide <= width - 2 * win32::buttonMargin(fw.dpi), where, "a caption", wide, width);
            expect(win32::lineHeight(font) >= 13 * fw.dpi / 96 - 2, where, "a face", win32::lineHeight(font), 0);
        }
        if (d.kind != ControlKind::Label)
            continue;
        const HFONT font = win32::fontFor(d.font, fw.dpi, c.smaller);
        const int needed = int(c.lines.size()) * win32::lineHeight(font);
        expect(needed <= height, where, std::to_string(c.lines.size()) + " lines in", needed, height);
        LONG clear = c.rect.right;  // short of a picture over the label's row
        for (const win32::Control& p : fw.controls)
            if (!p.picture.data.empty() && p.rect.left > c.rect.left && p.rect.top < c.rect.bottom &&
                p.rect.bottom > c.rect.top)
                clear = std::min(clear, p.rect.left);
        for (const std::wstring& line : c.lines) {
            const int wide = widthOf(font, line);
            expect(wide <= clear - c.rect.left, where, "a line", wide, int(clear - c.rect.left));
        }
    }
    expect(win32::faceWidth(nullptr, fw.dpi) <= win32::faceLimit(nullptr, fw.dpi), "the dialog face", "the sample",
           win32::faceWidth(nullptr, fw.dpi), win32::faceLimit(nullptr, fw.dpi));
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
