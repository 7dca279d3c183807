// Inside the Win32 backend: a loaded window and its controls as the window
// (window.cpp), layout (layout.cpp), painting (paint.cpp), assistive
// technology (accessible.cpp) and message loop (loop.cpp) files share them.
// Nothing here decides where a key goes, what has the focus, which windows
// are enabled or what is announced: that is the runtime's.
#pragma once

#include "accessibility.h"
#include "forms.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace forms::win32 {

inline HINSTANCE module() { return GetModuleHandleW(nullptr); }

// --- Painting and pictures (paint.cpp) -------------------------------------

// A picture as 32-bit pixels, top row first.
struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> data;
};

COLORREF toColour(Colour c);
HBRUSH brushFor(Colour c);  // lives for the run
// Null: the default dialog font. At `dpi` dots to the inch, `smaller` pixels
// less high; lives for the run.
HFONT fontFor(const FontSpec* wanted, int dpi = 96, int smaller = 0);
int lineHeight(HFONT font);
// The sample's width in the face of a font of the designs at `dpi`, and how
// wide it may be: the classic face's enlarged.
int faceWidth(const FontSpec* wanted, int dpi);
int faceLimit(const FontSpec* wanted, int dpi);
Pixels loadPicture(std::string_view asset);
// Nearest-neighbour scaling, the same pixels as the Qt backend's.
Pixels scaled(const Pixels& src, int width, int height);
void drawPixels(HDC dc, int x, int y, const Pixels& p);
// A label's lines, broken with the widths of its own font.
std::vector<std::wstring> breakLabel(const ControlDef& d, int width, int dpi, int smaller = 0);

// --- Resolution and layout (layout.cpp) ------------------------------------

// A window's resolution in dots to the inch (null: the system's).
int dpiOf(HWND h);
// A rectangle in twips, in pixels at `dpi`.
RECT pixelRect(const Rect& r, int dpi);
// What a button's caption keeps clear of its edges on each side.
int buttonMargin(int dpi);
// The outer rectangle of a window whose client area is `client` at `dpi`.
RECT frameFor(RECT client, DWORD style, int dpi);

// --- Windows and controls (window.cpp) -------------------------------------

struct Control {
    const ControlDef* def = nullptr;
    RECT rect{};
    HWND hwnd = nullptr;              // buttons and picture boxes
    std::vector<std::wstring> lines;  // labels, as broken for their width
    int smaller = 0;                  // labels: pixels their face was made smaller to hold them
    Pixels picture;                   // picture boxes and images, at their drawn size
    Pixels picture96;                 // the same as drawn at 96 dpi, which `picture` enlarges
    float top = 0;                    // the top in twips, as last moved
};

// What a window paints itself: labels, images and lines.
void paintControls(HDC dc, const std::vector<Control>& controls, int dpi);

// One loaded window. It outlives its backend::Window while its own message
// handling is still running, and is destroyed when that returns.
struct FormWindow {
    Form* form = nullptr;  // null once unloaded: no more events
    HWND hwnd = nullptr;
    HBRUSH background = nullptr;
    std::vector<Control> controls;
    std::shared_ptr<bool> closed = std::make_shared<bool>(false);
    int busy = 0;
    bool destroyPending = false;
    int dpi = 96;  // the window's own, on the screen it is on

    // Places, sizes, breaks and scales every control at `dpi` (layout.cpp).
    void layout();
    // Its icons at the sizes its resolution asks for (layout.cpp).
    void setIcons(std::string_view asset);
    HICON icons[2] = {};  // big, small; its own
    ~FormWindow()
    {
        for (HICON icon : icons)
            if (icon)
                DestroyIcon(icon);
    }
    Control* controlOf(HWND h);
    // A control took the native focus (a click): the runtime is told.
    void focusedNatively(HWND control);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
};

// The loaded window `root` of a form still attached; null for any other.
FormWindow* live(HWND root);
FormWindow* loadedWindow(const Form& form);

// --- Assistive technology (accessible.cpp) ---------------------------------

// The answer to WM_GETOBJECT on the window (control null) or on one of its
// control windows; 0 when the object asked for is not ours.
LRESULT accessibleObject(FormWindow& fw, const Control* control, WPARAM w, LPARAM l);
// Sends the events of the window's list, in order; nothing while no client
// listens.
void announce(FormWindow& fw, const std::vector<a11y::Event>& events);

// --- Message loop and modality (loop.cpp) ----------------------------------

// Brings our error report forward when one is up; false when none is.
bool raiseMessageBox();

}  // namespace forms::win32
