#include "standin_core.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace standin;

class StandinCoreTest : public QObject {
    Q_OBJECT

private slots:
    void inesDetection();
    void emulatorPreference();
    void problemLineNamesFirstObstacle();
    void probeLooksAtFileAndPath();
};

void StandinCoreTest::inesDetection()
{
    QVERIFY(isInesImage(QByteArray("NES\x1A\x02\x01", 6)));
    QVERIFY(!isInesImage(QByteArray()));
    QVERIFY(!isInesImage(QByteArray("NES")));
    QVERIFY(!isInesImage(QByteArray("nes\x1A", 4)));
    QVERIFY(!isInesImage(QByteArray("NES\x1B", 4)));
}

void StandinCoreTest::emulatorPreference()
{
    QCOMPARE(pickEmulator({}), QString());
    QCOMPARE(pickEmulator({"nestopia-ue", "Fceux"}), QString());
    QCOMPARE(pickEmulator({"mednafen", "fceux"}), QStringLiteral("fceux"));
    QCOMPARE(pickEmulator({"mednafen", "fceux", "nestopia"}), QStringLiteral("nestopia"));
}

void StandinCoreTest::problemLineNamesFirstObstacle()
{
    Situation s;
    QVERIFY(describe(s).asked.contains(QStringLiteral("No data file")));

    s.argument = QStringLiteral("data/mado3.dat");
    s.absolutePath = QStringLiteral("/games/data/mado3.dat");
    s.emulator = QStringLiteral("fceux");
    QVERIFY(describe(s).problem.contains(QStringLiteral("missing")));
    QVERIFY(describe(s).path.contains(s.absolutePath));
    s.exists = true;
    QVERIFY(describe(s).problem.contains(QStringLiteral("not an iNES image")));
    s.ines = true;
    QVERIFY(readyToHandOff(s));
    QVERIFY(describe(s, QStringLiteral("Permission denied")).problem.contains(QStringLiteral("Permission denied")));
    s.emulator.clear();
    QVERIFY(!readyToHandOff(s));
    QVERIFY(describe(s).problem.contains(QStringLiteral("No NES emulator")));
}

void StandinCoreTest::probeLooksAtFileAndPath()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QDir root(dir.path());
    QVERIFY(root.mkpath(QStringLiteral("data")) && root.mkpath(QStringLiteral("bin")));
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile f(root.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()
            && f.setPermissions(f.permissions() | QFile::ExeOwner);
    };
    QVERIFY(write(QStringLiteral("data/game.nes"), QByteArray("NES\x1A\x01\x01\0\0", 8)));
    QVERIFY(write(QStringLiteral("data/empty.dat"), QByteArray()));
#ifdef Q_OS_WIN
    QVERIFY(write(QStringLiteral("bin/mednafen.exe"), "MZ"));
#else
    QVERIFY(write(QStringLiteral("bin/mednafen"), "#!/bin/sh\n"));
#endif

    const QByteArray oldPath = qgetenv("PATH");
    const QString oldCwd = QDir::currentPath();
    qputenv("PATH", QDir::toNativeSeparators(root.filePath(QStringLiteral("bin"))).toLocal8Bit());
    QVERIFY(QDir::setCurrent(root.path()));
    const Situation game = probe(QStringLiteral("data/../data/game.nes"));
    const Situation empty = probe(QStringLiteral("data/empty.dat"));
    const Situation folder = probe(QStringLiteral("data"));
    const Situation missing = probe(QStringLiteral("data/mado3.dat"));
    QDir::setCurrent(oldCwd);
    qputenv("PATH", oldPath);

    QCOMPARE(QFileInfo(game.absolutePath).canonicalFilePath(),
             root.canonicalPath() + QStringLiteral("/data/game.nes"));
    QVERIFY(game.exists && game.ines);
    QCOMPARE(game.emulator, QStringLiteral("mednafen"));
    QVERIFY(empty.exists && !empty.ines);
    QVERIFY2(!folder.exists, "a directory is not a data file");
    QVERIFY(!missing.exists);
    QVERIFY(QDir::isAbsolutePath(missing.absolutePath));
}

QTEST_GUILESS_MAIN(StandinCoreTest)
#include "tst_standin_core.moc"
