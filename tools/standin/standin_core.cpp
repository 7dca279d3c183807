#include "standin_core.h"

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
    return kindOfBytes(file.read(8).toStdString());
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
    return QString::fromStdString(standin::chosenBecause(e.choice, e.name.toStdString(), e.program.toStdString()));
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
    Facts facts;
    if (s.argument)
        facts.argument = s.argument->toStdString();
    facts.game = s.game.toStdString();
    facts.kind = s.file.kind;
    facts.onlyAsGiven = s.file.onlyAsGiven;
    facts.path = s.file.path.toStdString();
    for (const QString &place : s.file.lookedIn)
        facts.lookedIn.push_back(homeRelative(place).toStdString());
    facts.playerFolder = homeRelative(s.playerFolder).toStdString();
    facts.playersOwnCopy = !s.playerFolder.isEmpty()
        && s.file.path.startsWith(s.playerFolder + QLatin1Char('/'), Qt::CaseInsensitive);
    if (s.emulator.choice != Choice::None) {
        facts.emulator = s.emulator.name.toStdString();
        facts.emulatorBecause = chosenBecause(s.emulator).toStdString();
    }
    facts.handOffError = handOffError.toStdString();
    facts.unreadableBecause = "permission denied";
    const Lines lines = standin::describe(facts, System::Linux);
    const auto q = [](const std::string &text) { return QString::fromStdString(text); };
    return {q(lines.asked), q(lines.path), q(lines.emulator), q(lines.problem), q(lines.advice), q(lines.hint)};
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
    s.game = QString::fromStdString(gameOfFile(QFileInfo(s.file.path).fileName().toStdString()));
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
