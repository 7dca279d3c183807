// Where the stand-in finds a game's file and an emulator, and what it tells
// the player when something stands in the way.
#include "standin_core.h"

#include <QDir>
#include <QFile>
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

} // namespace

class StandinCoreTest : public QObject {
    Q_OBJECT

private slots:
    void findsTheGameAndSaysWhatIsWrong_data()
    {
        QTest::addColumn<QString>("where");   // folder the file is put in: app, user, local, system, none
        QTest::addColumn<QString>("name");    // its name there
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("problem"); // part of what the player is told
        QTest::addColumn<QString>("advice");
        const QByteArray ines("NES\x1A\x02\x01\0\0", 8);
        QTest::newRow("beside the program") << "app" << "palu2.dat" << ines << int(FileKind::Ines) << "Ninja Gaiden" << "";
        QTest::newRow("only the player's") << "user" << "palu2.dat" << ines << int(FileKind::Ines) << "" << "";
        QTest::newRow("only a system folder") << "system" << "palu2.dat" << ines << int(FileKind::Ines) << "" << "";
        QTest::newRow("other letter case") << "local" << "PALU2.DAT" << ines << int(FileKind::Ines) << "" << "";
        QTest::newRow("unreadable") << "user" << "palu2.dat" << ines << int(FileKind::Unreadable)
                                    << "cannot be read: permission denied" << "or copy it into /";
        QTest::newRow("a zip") << "app" << "palu2.dat" << QByteArray("PK\x03\x04rest", 8) << int(FileKind::Archive)
                               << "packed archive" << "Unpack the .nes file from the archive and rename it to palu2.dat.";
        QTest::newRow("not iNES") << "app" << "palu2.dat" << QByteArray("hello") << int(FileKind::Other)
                                  << "not an iNES image" << "renamed to palu2.dat";
        QTest::newRow("nowhere") << "none" << "" << QByteArray() << int(FileKind::Missing)
                                 << "The game file palu2.dat is missing." << "and name it palu2.dat.";
    }
    void findsTheGameAndSaysWhatIsWrong()
    {
        QFETCH(QString, where);
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        QFETCH(QString, problem);
        QFETCH(QString, advice);
        if (kind == int(FileKind::Unreadable) && geteuid() == 0)
            QSKIP("root reads every file; the run as an ordinary user covers this row");
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QMap<QString, QString> dirs{{"app", tmp.filePath("app")},
                                          {"user", tmp.filePath("home/.local/share/playdeck")},
                                          {"local", tmp.filePath("usr/local/share/playdeck")},
                                          {"system", tmp.filePath("usr/share/playdeck")}};
        QDir().mkpath(dirs["app"]);
        const QString file = dirs.value(where) + "/data/" + name;
        if (where != "none")
            QVERIFY(put(file, bytes, kind == int(FileKind::Unreadable) ? QFileDevice::Permissions{} : QFileDevice::ReadOwner));
        if (kind == int(FileKind::Unreadable))
            QVERIFY(QFile(file).setPermissions(QFileDevice::WriteOwner));
        QProcessEnvironment env;
        env.insert("HOME", tmp.filePath("home"));
        env.insert("XDG_DATA_DIRS", tmp.filePath("usr/local/share") + ":" + tmp.filePath("usr/share"));
        env.insert("PATH", tmp.filePath("bin"));

        const Situation s = probe(QStringLiteral("data/palu2.dat"), dirs["app"], env);
        QCOMPARE(int(s.file.kind), kind);
        QCOMPARE(s.playerFolder, dirs["user"] + "/data");
        QCOMPARE(s.game, QStringLiteral("Ninja Gaiden 2"));
        if (kind != int(FileKind::Missing))
            QCOMPARE(s.file.path, file);
        QVERIFY(!readyToHandOff(s));  // no emulator on this PATH
        const Screen screen = describe(s);
        QCOMPARE(screen.asked, QStringLiteral("You asked to play Ninja Gaiden 2."));
        QVERIFY2(screen.path.contains("data/palu2.dat"), qPrintable(screen.path));
        QVERIFY2(screen.problem.contains(kind == int(FileKind::Ines) ? "No NES emulator is installed." : problem),
                 qPrintable(screen.problem));
        QVERIFY2(screen.advice.contains(advice), qPrintable(screen.advice));
        if (kind == int(FileKind::Missing)) {
            QCOMPARE(s.file.lookedIn, QStringList({dirs["app"], dirs["user"], dirs["local"], dirs["system"]}));
            QVERIFY2(screen.path.contains(dirs["system"]), qPrintable(screen.path));
            QVERIFY2(screen.advice.contains(dirs["user"] + "/data"), qPrintable(screen.advice));
        }
        // Every line is a whole sentence.
        for (const QString &line : {screen.asked, screen.path, screen.problem, screen.advice, screen.hint})
            QVERIFY2(line.isEmpty() || (line[0].isUpper() && line.endsWith('.')), qPrintable(line));
    }

    void emulatorsAreFoundOutsideThePathToo()
    {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString bin = tmp.filePath("bin"), games = tmp.filePath("games");
        QVERIFY(put(bin + "/mednafen", "#!/bin/sh\n", QFileDevice::ExeOwner));
        QVERIFY(put(bin + "/fceux", "not executable\n"));
        QVERIFY(put(games + "/fceux", "#!/bin/sh\n", QFileDevice::ExeOwner));
        QCOMPARE(findEmulator({bin, games}), games + "/fceux");
        // The system's chosen "nes" comes first, wherever it is.
        QVERIFY(QFile::link(games + "/fceux", games + "/nes"));
        QCOMPARE(findEmulator({bin, games}), games + "/nes");
        QCOMPARE(findEmulator({tmp.filePath("nothing")}), QString());
        QProcessEnvironment env;
        env.insert("PATH", bin + ":/usr/games");
        QCOMPARE(programFolders(env), QStringList({bin, "/usr/games", "/usr/local/games"}));
    }

    void gameNamesAndDefaults()
    {
        QProcessEnvironment env;
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
};

QTEST_GUILESS_MAIN(StandinCoreTest)
#include "tst_standin_core.moc"
