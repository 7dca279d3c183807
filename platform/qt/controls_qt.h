// Inside the Qt backend: the widgets that realise a definition's controls,
// and the input quirk it mends (repeat_x11.cpp).
#pragma once

#include "qtforms.h"

class QPainter;
class QRect;

namespace forms {

// The widget of one control, placed in `window` where its definition puts it
// and named after it; command buttons are QPushButtons.
QWidget* makeControl(const ControlDef& control, QWidget* window);
// Whether `widget` is a picture box (a picture that takes the focus).
bool isPictureBox(const QWidget* widget);
// The top-level widget's caption, icon, background and fixed client area.
void setUpWindow(QWidget* window, const WindowDef& def);
// The focus mark: a dotted frame of black and white, seen on every background.
void drawFocusMark(QPainter& p, const QRect& r);
// Every key press from now on has its true auto-repeat flag, on X11 too.
void markX11Repeats();

}  // namespace forms
