// Inside the Qt backend: our windows as assistive technology sees them.
#pragma once

class QWidget;

namespace forms {

// Installs the factory of our accessible interfaces; nothing is built until
// a client asks.
void installAccessibility();
// Tells assistive technology that row `row` of the list whose cursor widget is
// `cursor` is selected, then, when `focus`, that it has the keyboard.
void tellSelection(QWidget* cursor, int row, bool focus);

}  // namespace forms
