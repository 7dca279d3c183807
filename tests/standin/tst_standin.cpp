// The stand-in emulator (tools/standin): where it finds a game's file and an
// emulator, what it tells the player when something stands in the way, its
// window, and the built program handing a game over.
#include "standin_core.h"
#include "standin_window.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace standin;

namespace {

bool put(const QString &path, const QByteArray &bytes, QFileDevice::Permissions extra = {})
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()
        && f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | extra);
}

// Where copies of the game file are put (the folders beside the program, the
// player's, a local or a system one, none, or ~/.local/share), listed in the
// order they are searched; the argument, the file's name and bytes there; what
// is found (the first copy) and parts of what the player is told.
const QByteArray kInes("NES\x1A\x02\x01\0\0", 8);
const struct { const char *label, *where, *arg, *name; QByteArray bytes; FileKind kind; const char *problem = "", *advice = ""; } kPlaces[] = {
    {"the player's, then shared, then beside the program", "user system app", "data/palu2.dat", "palu2.dat", kInes, FileKind::Ines},
    {"other letter case", "local", "data/palu2.dat", "PALU2.DAT", kInes, FileKind::Ines},
    {"unreadable, the player's", "user", "data/palu2.dat", "palu2.dat", kInes, FileKind::Unreadable,
     "cannot be read: permission denied", "Make it readable: chmod a+r /"},
    {"unreadable, shared", "system", "data/palu2.dat", "palu2.dat", kInes, FileKind::Unreadable, "cannot be read",
     "or put your own copy of the game's iNES image into /"},
    {"a zip beside the program", "app", "data/palu2.dat", "palu2.dat", QByteArray("PK\x03\x04rest", 8), FileKind::Archive, "packed archive",
     "Unpack the .nes file from the archive and rename it to palu2.dat."},
    {"not iNES", "app", "data/palu2.dat", "palu2.dat", "hello", FileKind::Other, "not an iNES image", "renamed to palu2.dat"},
    {"nowhere", "", "data/palu2.dat", "palu2.dat", {}, FileKind::Missing, "The game file palu2.dat is missing.", "and name it"},
    // Taken only as given: a copy where the path joined onto a games folder leads is not used.
    {"climbing out with ..", "share", "../data/palu2.dat", "palu2.dat", kInes, FileKind::Missing, "is missing", " there,"},
    {"absolute", "user", "{tmp}/out/palu2.dat", "palu2.dat", kInes, FileKind::Missing, "is missing", " there,"},
};

} // namespace

class StandinTest : public QObject {
    Q_OBJECT

private slots:
    void findsTheGameAndSaysWhatIsWrong_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kPlaces)); ++i)
            QTest::newRow(kPlaces[i].label) << i;
    }
    void findsTheGameAndSaysWhatIsWrong()
    {
        QFETCH(int, row);
        const auto& [label, where, argument, name, bytes, kind, problem, advice] = kPlaces[row];
        if (kind == FileKind::Unreadable && geteuid() == 0)
            QSKIP("root reads every file; the run as an ordinary user covers this row");
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QMap<QString, QString> dirs{{"app", tmp.filePath("app")},
                                          {"user", tmp.filePath("home/.local/share/playdeck")},
                                          {"local", tmp.filePath("usr/local/share/playdeck")},
                                          {"system", tmp.filePath("usr/share/playdeck")},
                                          {"share", tmp.filePath("home/.local/share")}};
        QDir().mkpath(dirs["app"]);
        const QStringList places = QString(where).split(' ', Qt::SkipEmptyParts);
        for (const QString &place : places)
            QVERIFY(put(dirs[place] + "/data/" + name, bytes,
                        kind == FileKind::Unreadable ? QFileDevice::Permissions{} : QFileDevice::ReadOwner));
        const QString file = places.isEmpty() ? QString() : dirs[places.first()] + "/data/" + name;
        if (kind == FileKind::Unreadable)
            QVERIFY(QFile(file).setPermissions(QFileDevice::WriteOwner));
        QProcessEnvironment env;
        env.insert("HOME", tmp.filePath("home"));
        env.insert("XDG_DATA_DIRS", tmp.filePath("usr/local/share") + ":" + tmp.filePath("usr/share"));
        env.insert("PATH", tmp.filePath("bin"));

        const QString arg = QString(argument).replace("{tmp}", tmp.path());
        const bool asGiven = arg.startsWith('/') || arg.startsWith("..");
        const Situation s = probe(arg, dirs["app"], env);
        QCOMPARE(int(s.file.kind), int(kind));
        QCOMPARE(s.playerFolder, asGiven ? QString() : dirs["user"] + "/data");
        QCOMPARE(s.game, QStringLiteral("Ninja Gaiden 2"));
        if (kind != FileKind::Missing)
            QCOMPARE(s.file.path, file);
        QVERIFY(!readyToHandOff(s));  // no emulator on this PATH
        const Screen screen = describe(s);
        QCOMPARE(screen.asked, QStringLiteral("You asked to play Ninja Gaiden 2."));
        QVERIFY2(screen.path.contains(arg), qPrintable(screen.path));
        QVERIFY2(screen.problem.contains(kind == FileKind::Ines ? "No NES emulator is installed." : problem),
                 qPrintable(screen.problem));
        QVERIFY2(screen.advice.contains(advice), qPrintable(screen.advice));
        if (kind == FileKind::Missing) {
            // Only the player's games folder is ever made.
            const QString there = QFileInfo(s.file.path).path();
            QCOMPARE(s.file.lookedIn, asGiven ? QStringList{there}
                                              : QStringList({dirs["user"], dirs["local"], dirs["system"], dirs["app"]}));
            makePlayerFolder(s);
            QVERIFY(asGiven ? !QFileInfo::exists(there) : QFileInfo::exists(s.playerFolder));
            QVERIFY2(screen.advice.contains(asGiven ? "there" : dirs["user"] + "/data"), qPrintable(screen.advice));
        }
        // Every line is a whole sentence.
        for (const QString &line : {screen.asked, screen.path, screen.emulator, screen.problem, screen.advice, screen.hint})
            QVERIFY2(line.isEmpty() || (line[0].isUpper() && line.endsWith('.')), qPrintable(line));
    }

    // Emulators outside PATH too, the system's chosen "nes" first; the games
    // folders of the XDG variables or their defaults; game names by file name.
    void emulatorsFoldersAndNames()
    {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString bin = tmp.filePath("bin"), games = tmp.filePath("games");
        QVERIFY(put(bin + "/mednafen", "#!/bin/sh\n", QFileDevice::ExeOwner));
        QVERIFY(put(bin + "/fceux", "not executable\n"));
        QVERIFY(put(games + "/fceux", "#!/bin/sh\n", QFileDevice::ExeOwner));
        QCOMPARE(findEmulator({bin, games}).program, games + "/fceux");
        QVERIFY(QFile::link(games + "/fceux", games + "/nes"));
        const Emulator nes = findEmulator({bin, games});
        QCOMPARE(nes.program, games + "/nes");
        QCOMPARE(chosenBecause(nes), QString("fceux, the system's \"nes\" alternative (%1)").arg(nes.program));
        QCOMPARE(int(findEmulator({tmp.filePath("nothing")}).choice), int(Choice::None));
        QProcessEnvironment env;
        env.insert("PATH", bin + ":/usr/local/games");  // the games folders follow PATH, once
        QCOMPARE(programFolders(env), QStringList({bin, "/usr/local/games", "/usr/games"}));

        env.insert("HOME", "/home/p");
        QCOMPARE(gamesFolders(env), QStringList({"/home/p/.local/share/playdeck", "/usr/local/share/playdeck",
                                                 "/usr/share/playdeck"}));
        env.insert("XDG_DATA_HOME", "/x");
        env.insert("XDG_DATA_DIRS", "relative:/y/");
        QCOMPARE(gamesFolders(env), QStringList({"/x/playdeck", "/y/playdeck"}));
        QCOMPARE(probe(QStringLiteral("data/ZUNA.dat"), "/nowhere", env).game, QStringLiteral("Super Contra (Contra)"));
        QCOMPARE(probe(QStringLiteral("data/mado3.dat"), "/nowhere", env).game, QStringLiteral("Adventure Island 3"));
        QCOMPARE(probe(QStringLiteral("data/other.dat"), "/nowhere", env).game, QString());
        QCOMPARE(describe(probe(std::nullopt)).asked, QStringLiteral("No game file was given to play."));
    }

    // Escape or a click closes the window, Enter does not.
    void theWindowClosesOnEscapeOrAClick()
    {
        for (bool byClick : {false, true}) {
            Window w(describe(probe(QString("data/no-such-game-here.dat"))));
            w.showMaximized();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            const auto *asked = w.findChild<QLabel *>("asked");
            QCOMPARE(asked->text(), QString("You asked to play no-such-game-here.dat."));
            QTest::keyClick(w.windowHandle(), Qt::Key_Return);
            QVERIFY(w.isVisible());
            if (byClick)
                QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, asked->mapTo(&w, asked->rect().center()));
            else
                QTest::keyClick(w.windowHandle(), Qt::Key_Escape);
            QVERIFY(!w.isVisible());
        }
    }

#ifdef STANDIN_EXE
    // The built program finds the game in the player's folder and hands its full
    // path to the application the player's desktop opens NES images with (set in
    // a private mimeapps.list) before the system's "nes" alternative, which
    // replaces it; each records how it was started.
    void handsTheGameToTheChosenEmulator()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QDir root(dir.path());
        QVERIFY(root.mkpath("app"));
        const QString log = root.filePath("launched.txt"), game = root.filePath("home/games/playdeck/DATA/Palu2.dat");
        for (const char *name : {"mednafen", "fceux", "recorder"})
            QVERIFY(put(root.filePath(QStringLiteral("bin/") + name),
                        QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$0\" \"$PWD\" \"$@\" > '%1.new'; /bin/mv '%1.new' '%1'\n")
                            .arg(log).toLocal8Bit(), QFileDevice::ExeOwner));
        QVERIFY(QFile::link(root.filePath("bin/mednafen"), root.filePath("bin/nes")));
        QVERIFY(put(game, QByteArray("NES\x1A", 4)));
        QVERIFY(put(root.filePath("home/games/applications/recorder.desktop"),
                    QStringLiteral("[Desktop Entry]\nType=Application\nName=Recorder\nExec=%1 %f\n"
                                   "MimeType=application/x-nes-rom;\n").arg(root.filePath("bin/recorder")).toUtf8()));
        QVERIFY(put(root.filePath("config/mimeapps.list"), "[Default Applications]\napplication/x-nes-rom=recorder.desktop\n"));

        for (const bool desktop : {true, false}) {
            // Only the fake emulators and desktop entries, so installed ones cannot interfere.
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("PATH", root.filePath("bin"));
            env.insert("XDG_DATA_HOME", root.filePath("home/games"));
            env.insert("XDG_DATA_DIRS", root.filePath("none"));
            env.insert("XDG_CONFIG_DIRS", root.filePath("none"));
            env.insert("XDG_CONFIG_HOME", root.filePath(desktop ? "config" : "none"));
            if (!desktop)
                QVERIFY(QFile::rename(root.filePath("home/games/applications"), root.filePath("gone")));
            QProcess stand;
            stand.setProcessEnvironment(env);
            stand.setWorkingDirectory(root.filePath("app"));
            stand.start(QStringLiteral(STANDIN_EXE), {QStringLiteral("data/palu2.dat")});
            // On failure the QProcess ends the stand-in as it goes.
            QVERIFY2(stand.waitForFinished(10000) && stand.exitCode() == 0,
                     "the stand-in did not hand off within 10 s; it is probably showing its window");
            QVERIFY2(stand.readAllStandardError().contains(desktop ? "Recorder, the application your desktop opens"
                                                                   : "mednafen, the system's \"nes\" alternative"), "why");
            QTRY_VERIFY2_WITH_TIMEOUT(QFile::exists(log), "the emulator to write down how it was started", 10000);
            QFile launched(log);
            QVERIFY(launched.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromLocal8Bit(launched.readAll()).split('\n', Qt::SkipEmptyParts),
                     QStringList({root.filePath(desktop ? "bin/recorder" : "bin/nes"), root.filePath("app"), game}));
            QVERIFY(launched.remove());
        }
    }
#endif
};

QTEST_MAIN(StandinTest)
#include "tst_standin.moc"
