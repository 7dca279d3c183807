// The Qt side of the forms runtime, for the program's start and for tests and
// tools that look at the widgets.
#pragma once

#include "forms.h"

#include <QString>

#include <string_view>

class QApplication;
class QWidget;

namespace forms {

// The top-level widget of a loaded form, and one of its controls by name;
// null when the form is not loaded.
QWidget* window(const Form& form);
QWidget* control(const Form& form, std::string_view name);

// Fonts, style and palette the same on every machine.
void setUpApplication(QApplication& app);

// The picture of an asset, from the compiled-in resources.
QString assetPath(std::string_view asset);

// The virtual-key number of a Qt key (0 for keys without one).
int virtualKey(int qtKey);

}  // namespace forms
