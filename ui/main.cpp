// PLAYDECK starts into its main menu and runs on window events until it ends.
#include "app.h"
#include "forms.h"

int main(int argc, char** argv)
{
    ui::registerWindows();
    return forms::run(argc, argv, {.name = "PLAYDECK", .appId = PLAYDECK_APP_ID, .startForm = "Form1"});
}
