// The desktop's application for NES images, through GIO: it reads the
// player's and the system's mimeapps.list and desktop entries and starts the
// application with its Exec line the way a file manager's "Open" does.
// GIO comes before Qt: Qt's `signals` keyword would clash with its headers.
#include <gio/gio.h>

#include "standin_core.h"

#include <QFile>

namespace standin {

namespace {

GAppInfo *nesApplication()
{
    return g_app_info_get_default_for_type(kNesMimeType, FALSE);
}

} // namespace

std::optional<Emulator> desktopDefault()
{
    GAppInfo *app = nesApplication();
    if (!app)
        return std::nullopt;
    const char *id = g_app_info_get_id(app);
    Emulator chosen{QString::fromUtf8(id ? id : g_app_info_get_executable(app)),
                    QString::fromUtf8(g_app_info_get_name(app)), Choice::DesktopDefault};
    g_object_unref(app);
    return chosen;
}

QString launchDesktopDefault(const QString &path)
{
    GAppInfo *app = nesApplication();
    if (!app)
        return QStringLiteral("no application is set for NES images any more");
    GFile *file = g_file_new_for_path(QFile::encodeName(path).constData());
    GList files{file, nullptr, nullptr};
    GError *error = nullptr;
    // The application runs on by itself once started; we are done then.
    const bool started = g_app_info_launch(app, &files, nullptr, &error);
    QString reason;
    if (!started)
        reason = error ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
    g_clear_error(&error);
    g_object_unref(file);
    g_object_unref(app);
    return reason;
}

} // namespace standin
