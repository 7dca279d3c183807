// The launch command and its start by the system: exact program and argument,
// working directory, letter-case lookup, failures, and no leftovers.
#include "launch.h"
#include "process.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifndef _WIN32
#include "processes.h"
#endif

using namespace playdeck;

namespace {

// A temporary application directory whose path has a blank, quotes, shell
// syntax and a non-ASCII letter: nothing of it may be interpreted.
class AppDir {
public:
    AppDir() : dir_(QDir::tempPath() + QString::fromUtf8("/play deck 'q' \"$(touch x)\"; & é-XXXXXX")) {}
    bool valid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }
    std::string utf8() const { return dir_.path().toStdString(); }
    QString file(const QString& rel) const { return dir_.path() + "/" + rel; }

    void putRecorder(const QString& rel) const
    {
        QDir(dir_.path()).mkpath(QFileInfo(file(rel)).path());
        QFile::remove(file(rel));
        QVERIFY(QFile::copy(QStringLiteral(RECORDER_PATH), file(rel)));
        QFile(file(rel)).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::WriteOwner);
    }

private:
    QTemporaryDir dir_;
};

// Waits for the recorder's records (one file per start) and returns them.
QList<QStringList> waitForRecords(const QString& base, int count)
{
    QList<QStringList> records;
    QDir dir(QFileInfo(base).path());
    const QString prefix = QFileInfo(base).fileName() + ".";
    for (int i = 0; i < 1000; ++i) {
        const QStringList names = dir.entryList({prefix + "*"}, QDir::Files);
        QStringList done;
        for (const QString& n : names)
            if (!n.contains(".part"))
                done << n;
        if (done.size() >= count) {
            for (const QString& n : done) {
                QFile f(dir.filePath(n));
                f.open(QIODevice::ReadOnly);
                records << QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
            }
            return records;
        }
        QTest::qWait(10);
    }
    return records;
}

}  // namespace

class LaunchTest : public QObject {
    Q_OBJECT
private slots:
    void commandKeepsTheDirectoryAndTailAsTheyAre()
    {
        const std::string dir = "/nowhere/My Games/$HOME;x";
        const LaunchCommand c = buildCommand(dir, "\\data\\Runcart.exe data\\mado3.dat");
        QCOMPARE(QString::fromStdString(c.commandLine),
                 QString("/nowhere/My Games/$HOME;x\\data\\Runcart.exe data\\mado3.dat"));
        QCOMPARE(QString::fromStdString(c.program), QString("/nowhere/My Games/$HOME;x/data/Runcart.exe"));
        QCOMPARE(c.arguments, std::vector<std::string>{"data/mado3.dat"});
        QCOMPARE(QString::fromStdString(c.workingDirectory), QString::fromStdString(dir));
        QCOMPARE(c.windowState, 3);
        // Missing components keep the letter case the tail wrote.
        QCOMPARE(QString::fromStdString(buildCommand(dir, "\\Data\\Runcart.exe data\\kora1.dat").program),
                 QString("/nowhere/My Games/$HOME;x/Data/Runcart.exe"));
    }

    void tailsFindTheEmulatorWhateverTheirLetterCase()
    {
        AppDir app;
        QVERIFY(app.valid());
        app.putRecorder("data/Runcart.exe");
        const std::string expected = app.utf8() + "/data/Runcart.exe";
        for (const char* tail : {"\\Data\\Runcart.exe data\\kora1.dat", "\\data\\runcart.exe data\\palu1.dat",
                                 "\\DATA\\RUNCART.EXE data\\x.dat", "\\data\\Runcart.exe data\\bexo.dat"}) {
            const LaunchCommand c = buildCommand(app.utf8(), tail);
            QCOMPARE(QString::fromStdString(c.program), QString::fromStdString(expected));
            QVERIFY(QString::fromStdString(c.arguments.at(0)).startsWith("data/"));
        }
        // An exact match wins over a case-insensitive one.
        app.putRecorder("Data/Runcart.exe");
        QCOMPARE(QString::fromStdString(buildCommand(app.utf8(), "\\Data\\Runcart.exe a").program),
                 app.file("Data/Runcart.exe"));
        QCOMPARE(QString::fromStdString(buildCommand(app.utf8(), "\\data\\Runcart.exe a").program),
                 app.file("data/Runcart.exe"));
    }

#ifndef _WIN32
    void startsExactlyTheProgramInTheApplicationDirectory()
    {
        AppDir app;
        QVERIFY(app.valid());
        app.putRecorder("data/Runcart.exe");
        const QString record = app.file("record");
        qputenv("PLAYDECK_RECORD", record.toUtf8());
        QDir::setCurrent(QDir::homePath());  // started from elsewhere, as by a desktop launcher

        forms::SystemProcessStarter starter;
        const LaunchResult r = launch("\\data\\runcart.exe data\\palu2.dat", app.utf8(), starter);
        QVERIFY2(r.started, r.message.c_str());
        QVERIFY(r.message.empty());
        const auto records = waitForRecords(record, 1);
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0], QStringList({"argc=2", app.file("data/Runcart.exe"), "data/palu2.dat", app.path()}));
        QVERIFY(!QFile::exists(app.file("x")));  // nothing ran the $(...) in the path
    }

    void failedStartsSayWhichProgramAndWhy()
    {
        AppDir app;
        QVERIFY(app.valid());
        forms::SystemProcessStarter starter;
        const std::string tail = "\\data\\Runcart.exe data\\mado3.dat";
        const QString program = app.file("data/Runcart.exe");

        LaunchResult r = launch(tail, app.utf8(), starter);  // missing
        QVERIFY(!r.started);
        QVERIFY2(QString::fromStdString(r.message).contains(program), r.message.c_str());
        QVERIFY2(QString::fromStdString(r.message).contains("No such file"), r.message.c_str());

        QDir(app.path()).mkpath("data/Runcart.exe");  // a directory of that name
        r = launch(tail, app.utf8(), starter);
        QVERIFY(!r.started);
        QVERIFY2(QString::fromStdString(r.message).contains("Permission denied"), r.message.c_str());

        QVERIFY(QDir(app.file("data")).rmdir("Runcart.exe"));
        QFile plain(program);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("not a program\n");
        plain.close();
        plain.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        r = launch(tail, app.utf8(), starter);
        QVERIFY(!r.started);
        QVERIFY2(QString::fromStdString(r.message).contains(program), r.message.c_str());
        QVERIFY2(QString::fromStdString(r.message).contains("Permission denied"), r.message.c_str());
    }

    void manyLaunchesLeaveNoChildrenAndNoDescriptors()
    {
        AppDir app;
        QVERIFY(app.valid());
        app.putRecorder("data/Runcart.exe");
        const QString record = app.file("many");
        qputenv("PLAYDECK_RECORD", record.toUtf8());
        forms::SystemProcessStarter starter;
        const int fdsBefore = processes::openDescriptors();
        const int count = 100;
        for (int i = 0; i < count; ++i)
            QVERIFY(launch("\\data\\Runcart.exe data\\lori1.dat", app.utf8(), starter).started);
        // Every start is its own process, running at the same time as the others.
        QCOMPARE(waitForRecords(record, count).size(), count);
        QCOMPARE(processes::openDescriptors(), fdsBefore);
        // Every emulator that ended was reaped: no child is left, nor a zombie.
        QVERIFY(processes::noChildrenLeft());
    }
#endif
};

QTEST_GUILESS_MAIN(LaunchTest)
#include "launch_test.moc"
