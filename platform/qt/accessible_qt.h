// Inside the Qt backend: our windows as assistive technology sees them.
#pragma once

#include "accessibility.h"

#include <vector>

class QWidget;

namespace forms {

// Installs the factory of our accessible interfaces; nothing is built until
// a client asks.
void installAccessibility();
// Whether assistive technology listens now; what is not sent while it does
// not is told again once it does.
bool listening();
// Sends assistive technology the events of the list whose cursor widget is
// `cursor`, in order; nothing while none listens.
void tellList(QWidget* cursor, const std::vector<a11y::Event>& events);

}  // namespace forms
