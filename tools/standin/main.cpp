// The stand-in for data/Runcart.exe: plays an iNES image with a real NES
// emulator when one is installed, otherwise shows what it was asked to play.

#include "standin_window.h"

#include <QApplication>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

namespace {

// Replaces this process with the emulator; returns only on failure, with the reason.
QString handOff(const standin::Situation &s, const char *rawArgument)
{
#ifdef Q_OS_UNIX
    const QByteArray program = s.emulator.toLocal8Bit();
    char *const argv[] = {const_cast<char *>(program.constData()),
                          const_cast<char *>(rawArgument), nullptr};
    execvp(argv[0], argv);
    return QString::fromLocal8Bit(std::strerror(errno));
#else
    Q_UNUSED(s);
    Q_UNUSED(rawArgument);
    return QStringLiteral("handing off is not supported on this system");
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    QString handOffError;
    if (argc > 1) {
        const standin::Situation early = standin::probe(QString::fromLocal8Bit(argv[1]));
        if (standin::readyToHandOff(early))
            handOffError = handOff(early, argv[1]);
    }

    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    std::optional<QString> argument;
    if (args.size() > 1)
        argument = args.at(1);

    standin::Window window(standin::describe(standin::probe(argument), handOffError));
    window.showMaximized();
    return app.exec();
}
