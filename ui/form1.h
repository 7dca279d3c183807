// The main menu window: six titles, the cursor, Exit, About and Help.
#pragma once

#include "forms.h"

namespace ui {

forms::WindowDef form1Definition();

class Form1 : public forms::Form {
public:
    Form1();

    void form_keydown(int& keycode, int shift, bool autoRepeat);
    void form_unload();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

protected:
    void keyDown(int& keycode, int shift, bool autoRepeat) override { form_keydown(keycode, shift, autoRepeat); }
    void unloading() override { form_unload(); }
};

}  // namespace ui
