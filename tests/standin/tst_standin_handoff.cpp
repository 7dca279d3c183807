// Runs the built stand-in the way the menu does and checks that it replaces
// itself with the preferred emulator found on PATH.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class StandinHandoffTest : public QObject {
    Q_OBJECT

private slots:
    void handsInesImageToPreferredEmulator();
};

// A fake emulator that records its name, working directory and arguments.
static void writeFakeEmulator(const QDir &bin, const QString &name, const QString &log)
{
    QFile f(bin.filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' %1 \"$PWD\" \"$@\" > '%2'\n")
                .arg(name, log)
                .toLocal8Bit());
    f.close();
    QVERIFY(f.setPermissions(f.permissions() | QFile::ExeOwner));
}

void StandinHandoffTest::handsInesImageToPreferredEmulator()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QDir root(dir.path());
    QVERIFY(root.mkpath(QStringLiteral("bin")));
    QVERIFY(root.mkpath(QStringLiteral("data")));
    const QString log = root.filePath(QStringLiteral("launched.txt"));
    writeFakeEmulator(QDir(root.filePath(QStringLiteral("bin"))), QStringLiteral("mednafen"), log);
    writeFakeEmulator(QDir(root.filePath(QStringLiteral("bin"))), QStringLiteral("fceux"), log);

    QFile game(root.filePath(QStringLiteral("data/game.nes")));
    QVERIFY(game.open(QIODevice::WriteOnly) && game.write("NES\x1A", 4) == 4);
    game.close();

    // Only the fake emulators on PATH, so an installed one cannot interfere.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), root.filePath(QStringLiteral("bin")));
    QProcess stand;
    stand.setProcessEnvironment(env);
    stand.setWorkingDirectory(root.path());
    stand.start(QStringLiteral(STANDIN_EXE), {QStringLiteral("data/game.nes")});
    QVERIFY(stand.waitForStarted());
    if (!stand.waitForFinished(10000)) {
        stand.kill();
        stand.waitForFinished();
        QFAIL("the stand-in did not hand off; it is probably showing its window");
    }
    QCOMPARE(stand.exitStatus(), QProcess::NormalExit);
    QCOMPARE(stand.exitCode(), 0);

    QFile launched(log);
    QVERIFY(launched.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLocal8Bit(launched.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QStringLiteral("fceux"));
    QCOMPARE(QDir(lines.at(1)).canonicalPath(), QDir(root.path()).canonicalPath());
    QCOMPARE(lines.at(2), QStringLiteral("data/game.nes"));
}

QTEST_GUILESS_MAIN(StandinHandoffTest)
#include "tst_standin_handoff.moc"
