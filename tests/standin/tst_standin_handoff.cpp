// Runs the built stand-in the way the menu does: it finds the game in the
// player's own folder and replaces itself with the system's chosen emulator,
// handing it the file's full path.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class StandinHandoffTest : public QObject {
    Q_OBJECT

private slots:
    void handsTheGameToTheChosenEmulator()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QDir root(dir.path());
        QVERIFY(root.mkpath("bin") && root.mkpath("app") && root.mkpath("home/games/playdeck/DATA"));
        const QString log = root.filePath("launched.txt");
        for (const char *name : {"mednafen", "fceux"}) {
            QFile f(root.filePath(QStringLiteral("bin/") + name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$0\" \"$PWD\" \"$@\" > '%1'\n").arg(log).toLocal8Bit());
            f.close();
            QVERIFY(f.setPermissions(f.permissions() | QFile::ExeOwner));
        }
        QVERIFY(QFile::link(root.filePath("bin/mednafen"), root.filePath("bin/nes")));
        QFile game(root.filePath("home/games/playdeck/DATA/Palu2.dat"));
        QVERIFY(game.open(QIODevice::WriteOnly) && game.write("NES\x1A", 4) == 4);
        game.close();

        // Only the fake emulators, so an installed one cannot interfere.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", root.filePath("bin"));
        env.insert("XDG_DATA_HOME", root.filePath("home/games"));
        QProcess stand;
        stand.setProcessEnvironment(env);
        stand.setWorkingDirectory(root.filePath("app"));
        stand.start(QStringLiteral(STANDIN_EXE), {QStringLiteral("data/palu2.dat")});
        QVERIFY(stand.waitForStarted());
        if (!stand.waitForFinished(10000)) {
            stand.kill();
            stand.waitForFinished();
            QFAIL("the stand-in did not hand off within 10 s; it is probably showing its window");
        }
        QCOMPARE(stand.exitCode(), 0);
        QFile launched(log);
        QVERIFY(launched.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLocal8Bit(launched.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines, QStringList({root.filePath("bin/nes"), root.filePath("app"), game.fileName()}));
    }
};

QTEST_GUILESS_MAIN(StandinHandoffTest)
#include "tst_standin_handoff.moc"
