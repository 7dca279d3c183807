// The stand-in emulator (tools/standin): what it makes of its argument and of
// PATH, its window, and the built program handing a game over to the preferred
// emulator it finds.
#include "standin_core.h"
#include "standin_window.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace standin;

namespace {

// A file below `root`, made executable.
bool put(const QDir& root, const QString& name, const QByteArray& bytes)
{
    QFile f(root.filePath(name));
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() &&
           f.setPermissions(f.permissions() | QFile::ExeOwner);
}

QString line(const QWidget& w, const char* name)
{
    const auto* label = w.findChild<QLabel*>(name);
    return label && label->isVisible() ? label->text() : QString();
}

}  // namespace

class StandinTest : public QObject {
    Q_OBJECT

private slots:
    void detectsInesAndPrefersEmulators()
    {
        QVERIFY(isInesImage(QByteArray("NES\x1A\x02\x01", 6)));
        for (const QByteArray& no : {QByteArray(), QByteArray("NES"), QByteArray("nes\x1A", 4), QByteArray("NES\x1B", 4)})
            QVERIFY(!isInesImage(no));
        QCOMPARE(pickEmulator({}), QString());
        QCOMPARE(pickEmulator({"nestopia-ue", "Fceux"}), QString());
        QCOMPARE(pickEmulator({"mednafen", "fceux"}), QString("fceux"));
        QCOMPARE(pickEmulator({"mednafen", "fceux", "nestopia"}), QString("nestopia"));
    }

    void theProblemLineNamesTheFirstObstacle()
    {
        Situation s;
        QVERIFY(describe(s).asked.contains("No data file"));
        s.argument = "data/mado3.dat";
        s.absolutePath = "/games/data/mado3.dat";
        s.emulator = "fceux";
        QVERIFY(describe(s).problem.contains("missing") && describe(s).path.contains(s.absolutePath));
        s.exists = true;
        QVERIFY(describe(s).problem.contains("not an iNES image"));
        s.ines = true;
        QVERIFY(readyToHandOff(s));
        QVERIFY(describe(s, "Permission denied").problem.contains("Permission denied"));
        s.emulator.clear();
        QVERIFY(!readyToHandOff(s));
        QVERIFY(describe(s).problem.contains("No NES emulator"));
    }

    void probeLooksAtFileAndPath()
    {
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath("data") && root.mkpath("bin"));
        QVERIFY(put(root, "data/game.nes", QByteArray("NES\x1A\x01\x01\0\0", 8)) && put(root, "data/empty.dat", {}));
#ifdef Q_OS_WIN
        QVERIFY(put(root, "bin/mednafen.exe", "MZ"));
#else
        QVERIFY(put(root, "bin/mednafen", "#!/bin/sh\n"));
#endif
        const QByteArray oldPath = qgetenv("PATH");
        const QString oldCwd = QDir::currentPath();
        qputenv("PATH", QDir::toNativeSeparators(root.filePath("bin")).toLocal8Bit());
        QDir::setCurrent(root.path());
        const Situation game = probe("data/../data/game.nes"), empty = probe("data/empty.dat"),
                        folder = probe("data"), missing = probe("data/mado3.dat");
        QDir::setCurrent(oldCwd);
        qputenv("PATH", oldPath);
        QCOMPARE(QFileInfo(game.absolutePath).canonicalFilePath(), root.canonicalPath() + "/data/game.nes");
        QVERIFY(game.exists && game.ines && game.emulator == "mednafen");
        QVERIFY(empty.exists && !empty.ines);
        QVERIFY2(!folder.exists, "a directory is not a data file");
        QVERIFY(!missing.exists && QDir::isAbsolutePath(missing.absolutePath));
    }

    // The window says what was asked and what is wrong; Escape or a click closes it, Enter does not.
    void theWindowReportsAndClosesOnEscapeOrAClick()
    {
        for (bool byClick : {false, true}) {
            Window w(describe(probe(QString("data/no-such-game-here.dat"))));
            w.showMaximized();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCOMPARE(w.windowTitle(), QString("PLAYDECK stand-in emulator"));
            QVERIFY(line(w, "asked").contains("data/no-such-game-here.dat") && line(w, "path").contains(QDir::currentPath()));
            QVERIFY2(line(w, "problem").contains("missing"), qPrintable(line(w, "problem")));
            QCOMPARE(line(w, "hint"), QString("Press Escape or click to close"));
            QTest::keyClick(w.windowHandle(), Qt::Key_Return);
            QVERIFY(w.isVisible());
            const QWidget* asked = w.findChild<QLabel*>("asked");
            if (byClick)
                QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, asked->mapTo(&w, asked->rect().center()));
            else
                QTest::keyClick(w.windowHandle(), Qt::Key_Escape);
            QVERIFY(!w.isVisible());
        }
    }

#ifdef STANDIN_EXE
    // Only fake emulators on PATH, each writing down its name, directory and arguments.
    void handsAnInesImageToThePreferredEmulator()
    {
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath("bin") && root.mkpath("data"));
        const QString log = root.filePath("launched.txt");
        for (const QString name : {"mednafen", "fceux"})
            QVERIFY(put(root, "bin/" + name, QString("#!/bin/sh\nprintf '%s\\n' %1 \"$PWD\" \"$@\" > '%2'\n").arg(name, log).toLocal8Bit()));
        QVERIFY(put(root, "data/game.nes", QByteArray("NES\x1A", 4)));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", root.filePath("bin"));
        QProcess stand;
        stand.setProcessEnvironment(env);
        stand.setWorkingDirectory(root.path());
        stand.start(STANDIN_EXE, {"data/game.nes"});
        if (!stand.waitForFinished(10000)) {
            stand.kill();
            stand.waitForFinished();
            QFAIL("the stand-in did not hand off within 10 s; it is probably showing its window");
        }
        QCOMPARE(stand.exitStatus(), QProcess::NormalExit);
        QCOMPARE(stand.exitCode(), 0);
        QFile launched(log);
        QVERIFY(launched.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLocal8Bit(launched.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QString("fceux"));
        QCOMPARE(QDir(lines[1]).canonicalPath(), root.canonicalPath());
        QCOMPARE(lines[2], QString("data/game.nes"));
    }
#endif
};

QTEST_MAIN(StandinTest)
#include "tst_standin.moc"
