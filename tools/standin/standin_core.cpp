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

QString findEmulator(const QStringList &folders)
{
    for (const QString &name : emulatorCandidates()) {
        for (const QString &folder : folders) {
            const QFileInfo program(QDir(folder).filePath(name));
            if (program.isFile() && program.isExecutable())
                return program.absoluteFilePath();
        }
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
    const QStringList bases = QDir::isAbsolutePath(relative) ? QStringList{QString()} : QStringList{workingDir} + folders;
    std::optional<Found> unreadable;
    for (const QString &base : bases) {
        const QString path = QString::fromStdString(
            playdeck::resolveIgnoringCase(base.toStdString(), relative.toStdString()));
        found.lookedIn << (base.isEmpty() ? QFileInfo(path).path() : base);
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
    found.path = QDir::isAbsolutePath(relative) ? relative : QDir(workingDir).filePath(relative);
    found.kind = FileKind::Missing;
    return found;
}

bool readyToHandOff(const Situation &s)
{
    return s.argument && s.file.kind == FileKind::Ines && !s.emulator.isEmpty();
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
    if (s.file.kind == FileKind::Missing) {
        QStringList places;
        for (const QString &p : s.file.lookedIn)
            places << homeRelative(p);
        screen.path = QStringLiteral("Looked for %1 in: %2.").arg(*s.argument, places.join(QStringLiteral(", ")));
        screen.problem = QStringLiteral("The game file %1 is missing.").arg(name);
        screen.advice = QStringLiteral("Put the game's iNES image into %1 and name it %2.").arg(folder, name);
        return screen;
    }
    screen.path = QStringLiteral("Its file %1 is at %2.").arg(*s.argument, s.file.path);
    // What is wrong with a file that is there, and what to do about it.
    static const struct {
        FileKind kind;
        const char *problem, *advice;
    } kWrongFiles[] = {
        {FileKind::Unreadable, "The game file cannot be read: permission denied.",
         "Make it readable for your user, or copy it into {folder}."},
        {FileKind::Archive, "The game file is a packed archive (.zip or .7z), not an iNES image.",
         "Unpack the .nes file from the archive and rename it to {name}."},
        {FileKind::Other, "The game file is not an iNES image.", "Use the game's iNES image (a .nes file) renamed to {name}."},
    };
    for (const auto &wrong : kWrongFiles) {
        if (wrong.kind == s.file.kind) {
            screen.problem = QString::fromLatin1(wrong.problem);
            screen.advice = QString::fromLatin1(wrong.advice).replace("{folder}", folder).replace("{name}", name);
            return screen;
        }
    }
    if (s.emulator.isEmpty()) {
        screen.problem = QStringLiteral("No NES emulator is installed.");
        screen.advice = QStringLiteral("Install nestopia, fceux or mednafen (for example: sudo apt install fceux); "
                                       "the emulator chosen as the system's \"nes\" alternative is used first.");
    } else if (!handOffError.isEmpty()) {
        screen.problem = QStringLiteral("Could not start %1: %2.").arg(s.emulator, handOffError);
        screen.advice = QStringLiteral("Check that %1 starts when run by itself.").arg(s.emulator);
    } else {
        screen.problem = QStringLiteral("This is an iNES image, and %1 would play it.").arg(s.emulator);
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
    QString relativeDir = QFileInfo(QString(*argument).replace(QLatin1Char('\\'), QLatin1Char('/'))).path();
    s.playerFolder = QDir::cleanPath(folders.first() + (QDir::isAbsolutePath(relativeDir) ? QString() : QLatin1Char('/') + relativeDir));
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
    return probe(argument, QDir::currentPath(), QProcessEnvironment::systemEnvironment());
}

} // namespace standin
