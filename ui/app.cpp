#include "app.h"

#include "about.h"
#include "dialogs.h"
#include "form1.h"
#include "forms.h"
#include "hlpfrm.h"
#include "launch.h"
#include "process.h"

namespace ui {

namespace {
playdeck::ProcessStarter* starterOverride = nullptr;
}

void registerWindows()
{
    forms::registerForm("Form1", [] { return std::make_unique<Form1>(); });
    forms::registerForm("About", [] { return std::make_unique<About>(); });
    forms::registerForm("hlpfrm", [] { return std::make_unique<hlpfrm>(); });
    registerPartDialogs();
}

void launch(std::string_view tail)
{
    static forms::SystemProcessStarter system;
    static const std::string appDir = forms::applicationDirectory();
    playdeck::ProcessStarter& starter = starterOverride ? *starterOverride : system;
    const playdeck::LaunchResult result = playdeck::launch(tail, appDir, starter);
    if (!result.started)
        forms::errorReport(result.message);
}

void setProcessStarter(playdeck::ProcessStarter* starter)
{
    starterOverride = starter;
}

}  // namespace ui
