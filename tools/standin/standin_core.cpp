#include "standin_core.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace standin {

QStringList emulatorCandidates()
{
    return {QStringLiteral("nestopia"), QStringLiteral("fceux"), QStringLiteral("mednafen")};
}

bool isInesImage(QByteArrayView firstBytes)
{
    return firstBytes.size() >= 4 && firstBytes[0] == 'N' && firstBytes[1] == 'E'
        && firstBytes[2] == 'S' && firstBytes[3] == '\x1A';
}

QString pickEmulator(const QStringList &available)
{
    for (const QString &name : emulatorCandidates()) {
        if (available.contains(name))
            return name;
    }
    return {};
}

bool readyToHandOff(const Situation &s)
{
    return s.argument && s.exists && s.ines && !s.emulator.isEmpty();
}

Screen describe(const Situation &s, const QString &handOffError)
{
    Screen screen;
    screen.hint = QStringLiteral("Press Escape or click to close");
    if (!s.argument) {
        screen.asked = QStringLiteral("No data file was given to play.");
        screen.problem = QStringLiteral("Start this program with the path of a game data file.");
        return screen;
    }
    screen.asked = QStringLiteral("Asked to play: %1").arg(*s.argument);
    screen.path = QStringLiteral("Full path: %1").arg(s.absolutePath);
    if (!s.exists) {
        screen.problem = QStringLiteral("This file is missing.");
    } else if (!s.ines) {
        screen.problem = QStringLiteral("This file is not an iNES image.");
    } else if (s.emulator.isEmpty()) {
        screen.problem = QStringLiteral("No NES emulator is installed (looked for %1).")
                             .arg(emulatorCandidates().join(QStringLiteral(", ")));
    } else if (!handOffError.isEmpty()) {
        screen.problem = QStringLiteral("Could not start %1: %2").arg(s.emulator, handOffError);
    } else {
        screen.problem = QStringLiteral("This is an iNES image; %1 would play it.").arg(s.emulator);
    }
    return screen;
}

Situation probe(const std::optional<QString> &argument)
{
    Situation s;
    s.argument = argument;
    if (!argument)
        return s;

    const QFileInfo info(*argument);
    s.absolutePath = QDir::cleanPath(info.absoluteFilePath());
    QFile file(s.absolutePath);
    s.exists = info.isFile() && file.open(QIODevice::ReadOnly);
    if (s.exists)
        s.ines = isInesImage(file.read(4));

    QStringList available;
    for (const QString &name : emulatorCandidates()) {
        if (!QStandardPaths::findExecutable(name).isEmpty())
            available << name;
    }
    s.emulator = pickEmulator(available);
    return s;
}

} // namespace standin
