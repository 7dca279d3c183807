// PLAYDECK starts into its main menu and runs on window events until it ends.
#include "app.h"
#include "forms.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Qt aborts when it cannot reach a display; say so plainly instead.
bool displayReachable()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

// While the application object is being made, a fatal message means the
// window system could not be reached: one line and a plain failure exit.
QtMessageHandler usualMessages = nullptr;

void startupMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "playdeck: cannot show the menu: %s\n", qPrintable(message.simplified()));
        std::_Exit(1);
    }
    usualMessages(type, context, message);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!displayReachable()) {
        std::fputs("playdeck: no display to show the menu on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n", stderr);
        return 1;
    }
    usualMessages = qInstallMessageHandler(startupMessages);
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(PLAYDECK_APP_ID));
    qInstallMessageHandler(usualMessages);
    QCoreApplication::setApplicationName(QStringLiteral("PLAYDECK"));
    forms::setUpApplication(app);
    ui::registerWindows();
    forms::instance("Form1").show();
    return app.exec();
}
