// The About window: credits in yellow on black, with two pictures.
#pragma once

#include "forms.h"

namespace ui {

forms::WindowDef aboutDefinition();

class About : public forms::Form {
public:
    About();
    void Command1_Click();
};

}  // namespace ui
