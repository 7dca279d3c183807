#include "standin_core.h"

#include "catalogue.h"
#include "launch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace standin {

namespace {

QString homeRelative(const QString &path)
{
    const QString home = QDir::homePath();
    return path.startsWith(home + QLatin1Char('/')) ? QStringLiteral("~") + path.mid(home.size()) : path;
}

QStringList splitPaths(const QString &list)
{
    return list.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

FileKind kindOfFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileKind::Unreadable;
    return kindOfBytes(file.read(8));
}

} // namespace

QStringList emulatorCandidates()
{
    return {QStringLiteral("nes"), QStringLiteral("nestopia"), QStringLiteral("fceux"), QStringLiteral("mednafen")};
}

QStringList programFolders(const QProcessEnvironment &env)
{
    QStringList folders = splitPaths(env.value(QStringLiteral("PATH")));
    for (const char *games : {"/usr/games", "/usr/local/games"})
        if (!folders.contains(QLatin1String(games)))
            folders << QString::fromLatin1(games);
    return folders;
}

Emulator findEmulator(const QStringList &folders)
{
    for (const QString &name : emulatorCandidates()) {
        for (const QString &folder : folders) {
            const QFileInfo program(QDir(folder).filePath(name));
            if (program.isFile() && program.isExecutable()) {
                // The alternative is named after the emulator it leads to.
                const bool alternative = name == emulatorCandidates().first();
                const QString real = QFileInfo(program.canonicalFilePath()).fileName();
                return {program.absoluteFilePath(), alternative && !real.isEmpty() ? real : name,
                        alternative ? Choice::Alternative : Choice::Usual};
            }
        }
    }
    return {};
}

QString chosenBecause(const Emulator &e)
{
    switch (e.choice) {
    case Choice::DesktopDefault:
        return QStringLiteral("%1, the application your desktop opens NES images with").arg(e.name);
    case Choice::Alternative:
        return QStringLiteral("%1, the system's \"nes\" alternative (%2)").arg(e.name, e.program);
    case Choice::Usual:
        return QStringLiteral("%1, found as %2 (no application is set for NES images and there is no \"nes\" "
                              "alternative)").arg(e.name, e.program);
    case Choice::None:
        break;
    }
    return {};
}

QStringList gamesFolders(const QProcessEnvironment &env)
{
    QString user = env.value(QStringLiteral("XDG_DATA_HOME"));
    if (!QDir::isAbsolutePath(user))
        user = env.value(QStringLiteral("HOME"), QDir::homePath()) + QStringLiteral("/.local/share");
    QStringList system;
    for (const QString &dir : splitPaths(env.value(QStringLiteral("XDG_DATA_DIRS"))))
        if (QDir::isAbsolutePath(dir))
            system << dir;
    if (system.isEmpty())
        system = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    QStringList folders{QDir::cleanPath(user + QStringLiteral("/playdeck"))};
    for (const QString &dir : system)
        folders << QDir::cleanPath(dir + QStringLiteral("/playdeck"));
    folders.removeDuplicates();
    return folders;
}

FileKind kindOfBytes(QByteArrayView bytes)
{
    if (bytes.startsWith(QByteArrayView("NES\x1A", 4)))
        return FileKind::Ines;
    if (bytes.startsWith(QByteArrayView("PK\x03\x04", 4)) || bytes.startsWith(QByteArrayView("7z\xBC\xAF\x27\x1C", 6)))
        return FileKind::Archive;
    return FileKind::Other;
}

Found findDataFile(const QString &argument, const QString &workingDir, const QStringList &folders)
{
    QString relative = argument;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    Found found;
    // A path that leaves its folder names one place: it is never joined onto the games folders.
    const bool absolute = QDir::isAbsolutePath(relative);
    found.onlyAsGiven = absolute || relative.split(QLatin1Char('/')).contains(QStringLiteral(".."));
    const QStringList bases = found.onlyAsGiven ? QStringList{absolute ? QString() : workingDir}
                                                : folders + QStringList{workingDir};
    std::optional<Found> unreadable;
    for (const QString &base : bases) {
        const QString path = QString::fromStdString(
            playdeck::resolveIgnoringCase(base.toStdString(), relative.toStdString()));
        found.lookedIn << (found.onlyAsGiven ? QFileInfo(QDir::cleanPath(path)).path() : base);
        if (!QFileInfo(path).isFile())
            continue;
        found.path = QDir::cleanPath(path);
        found.kind = kindOfFile(found.path);
        // A copy that cannot be read does not hide a readable one further on.
        if (found.kind != FileKind::Unreadable)
            return found;
        if (!unreadable)
            unreadable = found;
    }
    if (unreadable) {
        unreadable->lookedIn = found.lookedIn;
        return *unreadable;
    }
    found.path = QDir::cleanPath(absolute ? relative : QDir(workingDir).filePath(relative));
    found.kind = FileKind::Missing;
    return found;
}

bool readyToHandOff(const Situation &s)
{
    return s.argument && s.file.kind == FileKind::Ines && s.emulator.choice != Choice::None;
}

void makePlayerFolder(const Situation &s)
{
    if (s.file.kind == FileKind::Missing && !s.playerFolder.isEmpty())
        QDir().mkpath(s.playerFolder);
}

Screen describe(const Situation &s, const QString &handOffError)
{
    Screen screen;
    screen.hint = QStringLiteral("Press Escape or click to close this window.");
    if (!s.argument) {
        screen.asked = QStringLiteral("No game file was given to play.");
        screen.problem = QStringLiteral("This program is the emulator that PLAYDECK starts with a game's file.");
        screen.advice = QStringLiteral("Start PLAYDECK and pick a game there.");
        return screen;
    }
    const QString name = QFileInfo(*s.argument).fileName().section(QLatin1Char('\\'), -1);
    screen.asked = s.game.isEmpty() ? QStringLiteral("You asked to play %1.").arg(name)
                                    : QStringLiteral("You asked to play %1.").arg(s.game);
    const QString folder = homeRelative(s.playerFolder);
    if (s.emulator.choice != Choice::None)
        screen.emulator = QStringLiteral("Emulator: %1.").arg(chosenBecause(s.emulator));
    if (s.file.kind == FileKind::Missing) {
        screen.problem = QStringLiteral("The game file %1 is missing.").arg(name);
        if (s.file.onlyAsGiven) {
            screen.path = QStringLiteral("Looked for %1 only at %2: a path that is absolute or climbs with \"..\" "
                                         "is not looked for in the games folders.").arg(*s.argument, s.file.path);
            screen.advice = QStringLiteral("Put the game's iNES image there, or start PLAYDECK and pick the game.");
            return screen;
        }
        QStringList places;
        for (const QString &p : s.file.lookedIn)
            places << homeRelative(p);
        screen.path = QStringLiteral("Looked for %1 in: %2.").arg(*s.argument, places.join(QStringLiteral(", ")));
        screen.advice = QStringLiteral("Put the game's iNES image into %1 and name it %2.").arg(folder, name);
        return screen;
    }
    screen.path = QStringLiteral("Its file %1 is at %2.").arg(*s.argument, s.file.path);
    if (s.file.kind == FileKind::Unreadable) {
        // Nobody can copy a file they cannot read: for one outside their folder
        // the way round is their own copy, which is looked for first.
        const bool onlyThisOne = s.playerFolder.isEmpty()
            || s.file.path.startsWith(s.playerFolder + QLatin1Char('/'), Qt::CaseInsensitive);
        screen.problem = QStringLiteral("The game file cannot be read: permission denied.");
        screen.advice = onlyThisOne
            ? QStringLiteral("Make it readable: chmod a+r %1 (with sudo if it is not your file).").arg(s.file.path)
            : QStringLiteral("Have it made readable (sudo chmod a+r %1), or put your own copy of the game's iNES "
                             "image into %2, which is looked in first.").arg(s.file.path, folder);
        return screen;
    }
    // What is wrong with a file that is there but is no iNES image.
    static const struct {
        FileKind kind;
        const char *problem, *advice;
    } kWrongFiles[] = {
        {FileKind::Archive, "The game file is a packed archive (.zip or .7z), not an iNES image.",
         "Unpack the .nes file from the archive and rename it to {name}."},
        {FileKind::Other, "The game file is not an iNES image.", "Use the game's iNES image (a .nes file) renamed to {name}."},
    };
    for (const auto &wrong : kWrongFiles) {
        if (wrong.kind == s.file.kind) {
            screen.problem = QString::fromLatin1(wrong.problem);
            screen.advice = QString::fromLatin1(wrong.advice).replace("{name}", name);
            return screen;
        }
    }
    if (s.emulator.choice == Choice::None) {
        screen.problem = QStringLiteral("No NES emulator is installed.");
        screen.advice = QStringLiteral("Install nestopia, fceux or mednafen (for example: sudo apt install fceux); "
                                       "the application your desktop opens NES images with is used first.");
    } else if (!handOffError.isEmpty()) {
        screen.problem = QStringLiteral("Could not start %1: %2.").arg(s.emulator.name, handOffError);
        screen.advice = QStringLiteral("Check that %1 starts when run by itself.").arg(s.emulator.name);
    } else {
        screen.problem = QStringLiteral("This is an iNES image, and %1 would play it.").arg(s.emulator.name);
    }
    return screen;
}

Situation probe(const std::optional<QString> &argument, const QString &workingDir, const QProcessEnvironment &env)
{
    Situation s;
    s.argument = argument;
    if (!argument)
        return s;
    const QStringList folders = gamesFolders(env);
    s.file = findDataFile(*argument, workingDir, folders);
    // The player's folder for this file, only ever below their games folder.
    const QString relativeDir = QFileInfo(QString(*argument).replace(QLatin1Char('\\'), QLatin1Char('/'))).path();
    const QString playerFolder = QDir::cleanPath(folders.first() + QLatin1Char('/') + relativeDir);
    if (!s.file.onlyAsGiven && (playerFolder + QLatin1Char('/')).startsWith(folders.first() + QLatin1Char('/')))
        s.playerFolder = playerFolder;
    const QString fileName = QFileInfo(s.file.path).fileName();
    if (const auto game = playdeck::gameOfDataFile(fileName.toStdString())) {
        const QString title = QString::fromUtf8(game->title.data(), qsizetype(game->title.size()));
        const QString part = QString::fromUtf8(game->part.data(), qsizetype(game->part.size()));
        s.game = part.isEmpty() || part.startsWith(title) ? (part.isEmpty() ? title : part)
                                                          : QStringLiteral("%1 (%2)").arg(part, title);
    }
    s.emulator = findEmulator(programFolders(env));
    return s;
}

Situation probe(const std::optional<QString> &argument)
{
    Situation s = probe(argument, QDir::currentPath(), QProcessEnvironment::systemEnvironment());
    if (s.argument) {
        if (const auto chosen = desktopDefault())
            s.emulator = *chosen;
    }
    return s;
}

} // namespace standin
