// The stand-in for data/Runcart.exe: plays an iNES image with a real NES
// emulator when one is installed, otherwise shows what it was asked to play.

#include "standin_window.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

namespace {

// Starts the emulator: the desktop's application for NES images is launched
// and runs on by itself (empty is returned), a program replaces this process.
// Returns the reason when it could not be started.
QString handOff(const standin::Situation &s)
{
    std::fprintf(stderr, "Runcart.exe: starting %s on %s\n", qPrintable(standin::chosenBecause(s.emulator)),
                 qPrintable(s.file.path));
    if (s.emulator.choice == standin::Choice::DesktopDefault)
        return standin::launchDesktopDefault(s.file.path);
#ifdef Q_OS_UNIX
    const QByteArray program = QFile::encodeName(s.emulator.program);
    const QByteArray game = QFile::encodeName(s.file.path);
    char *const argv[] = {const_cast<char *>(program.constData()), const_cast<char *>(game.constData()), nullptr};
    execv(argv[0], argv);
    return QString::fromLocal8Bit(std::strerror(errno));
#else
    Q_UNUSED(s);
    return QStringLiteral("starting a program is not supported on this system");
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    QString handOffError;
    if (argc > 1) {
        const standin::Situation early = standin::probe(QString::fromLocal8Bit(argv[1]));
        if (standin::readyToHandOff(early)) {
            handOffError = handOff(early);
            if (handOffError.isEmpty())
                return 0;
        }
    }

    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    std::optional<QString> argument;
    if (args.size() > 1)
        argument = args.at(1);

    const standin::Situation situation = standin::probe(argument);
    standin::makePlayerFolder(situation);
    standin::Window window(standin::describe(situation, handOffError));
    window.showMaximized();
    return app.exec();
}
