// PLAYDECK starts into its main menu and runs on window events until it ends.
#include "app.h"
#include "forms.h"
#ifdef _WIN32
#include "running.h"
#endif

int main(int argc, char** argv)
{
#ifdef _WIN32
    forms::win32::holdRunningMark();
#endif
    ui::registerWindows();
    return forms::run(argc, argv, {.name = "PLAYDECK", .appId = PLAYDECK_APP_ID, .startForm = "Form1"});
}
