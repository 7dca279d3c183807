// The quick-help window: how to use the menu and the game keys.
#pragma once

#include "forms.h"

namespace ui {

forms::WindowDef hlpfrmDefinition();

class hlpfrm : public forms::Form {
public:
    hlpfrm();
    void Command1_Click();
};

}  // namespace ui
