// Launches that go wrong, through the real process start: a broken emulator
// beside the program is reported by the menu (which program, why) and the menu
// goes on; strange application directories start exactly the emulator with
// exactly its argument and nothing else; hundreds of launches from the menu
// leave no zombies and no open descriptors behind.
#include "../ui/harness.h"
#include "processes.h"

#include "catalogue.h"
#include "launch.h"
#include "process.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

#include <sys/wait.h>

using namespace harness;

namespace {

const QString kTail = QStringLiteral("\\data\\Runcart.exe data\\mado3.dat");

QString appDir() { return QString::fromStdString(forms::applicationDirectory()); }
QString emulator() { return appDir() + "/data/Runcart.exe"; }

void clearEmulator()
{
    QFile::remove(emulator());
    QDir(appDir() + "/data").removeRecursively();
}

bool putExecutable(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).path());
    QFile::remove(to);
    return QFile::copy(from, to) &&
           QFile(to).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// The recorder's finished records below `base` (one file per start).
QList<QStringList> records(const QString& base)
{
    QList<QStringList> out;
    const QDir dir(QFileInfo(base).path());
    for (const QString& n : dir.entryList({QFileInfo(base).fileName() + ".*"}, QDir::Files, QDir::Name)) {
        if (n.contains(".part"))
            continue;
        QFile f(dir.filePath(n));
        if (f.open(QIODevice::ReadOnly))
            out << QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    return out;
}

QList<QStringList> waitForRecords(const QString& base, int count)
{
    if (!QTest::qWaitFor([&] { return records(base).size() >= count; }, 20000))
        return records(base);
    QTest::qWait(100);  // time for any start that should not have happened
    return records(base);
}

}  // namespace

class LaunchFaultsTest : public QObject {
    Q_OBJECT
    RecordingStarter recorder;


    // Enter on the single-part title with the system's process start; the
    // text of the error report, empty when none came.
    QString enterReport() { return errorReportFrom([] { key(Qt::Key_Return); }); }

private slots:
    void initTestCase()
    {
        setUpOnce(recorder);
        ui::setProcessStarter(nullptr);  // the real process start throughout
    }
    void init()
    {
        clearEmulator();
        QVERIFY(startMenu());
    }
    void cleanup()
    {
        cancelModalSteps();
        clearEmulator();
    }

    void aBrokenEmulatorIsReportedAndTheMenuGoesOn_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing" << "No such file";
        QTest::newRow("not executable") << "plain" << "Permission denied";
        QTest::newRow("a directory") << "directory" << "Permission denied";
        QTest::newRow("commands, not a program") << "script" << "Exec format error";
    }
    void aBrokenEmulatorIsReportedAndTheMenuGoesOn()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString marker = QDir::current().filePath("shell-ran");
        QFile::remove(marker);
        QDir().mkpath(appDir() + "/data");
        if (kind == "directory") {
            QVERIFY(QDir().mkpath(emulator()));
        } else if (kind != "missing") {
            QFile f(emulator());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(("touch '" + marker + "'\n").toUtf8());  // what a shell would run
            f.close();
            QFileDevice::Permissions p = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
            if (kind == "script")
                p |= QFileDevice::ExeOwner;
            QVERIFY(f.setPermissions(p));
        }
        moveCursorTo(4);
        for (int round = 0; round < 2; ++round) {  // and again: nothing is left over from the first
            const QString report = enterReport();
            QVERIFY2(report.contains(emulator()), qPrintable(report));
            QVERIFY2(report.contains(reason), qPrintable(report));
            QCOMPARE(report.count('\n'), 0);
            QVERIFY(!QApplication::activeModalWidget());
            QVERIFY(!forms::hasEnded());
            QCOMPARE(keyWindow(), forms::window(form("Form1"))->windowHandle());
        }
        QTest::qWait(50);
        QVERIFY2(!QFile::exists(marker), "the emulator file was run by a shell");
        // The menu answers keys and opens its windows as before.
        key(Qt::Key_Down);
        QCOMPARE(cursorTop(), playdeck::entries()[5].stop);
        QString seen;
        whenModal("", [&](QWidget* m) {
            if (m) {
                seen = m->objectName();
                key(Qt::Key_Escape);
            }
        });
        key(Qt::Key_Return);
        QCOMPARE(seen, QString::fromUtf8(playdeck::entries()[5].dialog.data()));
    }

    void strangeDirectoriesStartExactlyTheEmulator_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("decoy");  // what a split at a blank or ';' would start
        QTest::newRow("blank") << "play deck" << "play";
        QTest::newRow("quotes") << "it's \"here\" now" << "it's";
        QTest::newRow("command substitution") << "$(touch pwned) x" << "$(touch";
        QTest::newRow("semicolon") << "games;touch pwned" << "games";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Spiele für Kinder — ゲーム") << QString::fromUtf8("Spiele");
    }
    void strangeDirectoriesStartExactlyTheEmulator()
    {
        QFETCH(QString, name);
        QFETCH(QString, decoy);
        QTemporaryDir base;
        QVERIFY(base.isValid());
        const QString dir = base.filePath(name);
        QVERIFY(putExecutable(RECORDER_PATH, dir + "/data/Runcart.exe"));
        QVERIFY(putExecutable(RECORDER_PATH, base.filePath(decoy)));
        QVERIFY(putExecutable(RECORDER_PATH, base.filePath(decoy) + ".exe"));
        const QString record = base.filePath("record");
        qputenv("PLAYDECK_RECORD", record.toUtf8());
        const QString before = QDir::currentPath();
        QDir::setCurrent(base.path());  // where a shell would have touched its file

        forms::SystemProcessStarter system;
        const playdeck::LaunchResult r = playdeck::launch(kTail.toStdString(), dir.toStdString(), system);
        const QList<QStringList> got = waitForRecords(record, 1);
        QDir::setCurrent(before);
        QVERIFY2(r.started, r.message.c_str());
        QCOMPARE(got.size(), 1);
        QCOMPARE(got[0], QStringList({"argc=2", dir + "/data/Runcart.exe", "data/mado3.dat", dir}));
        QVERIFY(!QFile::exists(base.filePath("pwned")));
        QVERIFY(!QFile::exists(dir + "/pwned"));
    }

    void hundredsOfLaunchesFromTheMenuLeaveNothingBehind()
    {
        QVERIFY(putExecutable(RECORDER_PATH, emulator()));
        QTemporaryDir out;
        QVERIFY(out.isValid());
        const QString record = out.filePath("many");
        qputenv("PLAYDECK_RECORD", record.toUtf8());
        moveCursorTo(4);
        key(Qt::Key_Return);  // the first start may open what stays open
        QCOMPARE(waitForRecords(record, 1).size(), 1);
        const int fdsBefore = processes::openDescriptors();
        bool reported = false;
        const int count = 300;
        for (int i = 1; i < count && !reported; ++i) {
            key(Qt::Key_Return);
            reported = QApplication::activeModalWidget() != nullptr;
        }
        QVERIFY(!reported);
        const QList<QStringList> got = waitForRecords(record, count);
        QCOMPARE(got.size(), count);
        for (const QStringList& r : got)
            QCOMPARE(r, QStringList({"argc=2", emulator(), "data/mado3.dat", appDir()}));
        QCOMPARE(processes::openDescriptors(), fdsBefore);
        // Every emulator that ended was reaped: no child is left, nor a zombie.
        QVERIFY(processes::noChildrenLeft());
        QCOMPARE(cursorTop(), playdeck::entries()[4].stop);
        key(Qt::Key_Down);
        QCOMPARE(cursorTop(), playdeck::entries()[5].stop);
    }
};

QTEST_MAIN(LaunchFaultsTest)
#include "launch_faults_test.moc"
