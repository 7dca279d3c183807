// The stand-in for data/Runcart.exe: plays an iNES image with a real NES
// emulator when one is installed, otherwise shows what it was asked to play.

#include "standin_window.h"

#include <QApplication>
#include <QDir>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

namespace {

// Replaces this process with the emulator; returns only on failure, with the reason.
QString handOff(const standin::Situation &s)
{
#ifdef Q_OS_UNIX
    const QByteArray program = s.emulator.toLocal8Bit();
    const QByteArray game = s.file.path.toLocal8Bit();
    char *const argv[] = {const_cast<char *>(program.constData()), const_cast<char *>(game.constData()), nullptr};
    execv(argv[0], argv);
    return QString::fromLocal8Bit(std::strerror(errno));
#else
    Q_UNUSED(s);
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
            handOffError = handOff(early);
    }

    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    std::optional<QString> argument;
    if (args.size() > 1)
        argument = args.at(1);

    const standin::Situation situation = standin::probe(argument);
    // The folder the player is told to put the game in is there to open.
    if (situation.argument && situation.file.kind == standin::FileKind::Missing)
        QDir().mkpath(situation.playerFolder);
    standin::Window window(standin::describe(situation, handOffError));
    window.showMaximized();
    return app.exec();
}
