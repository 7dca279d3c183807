// Launches that go wrong, through the real process start: a broken emulator
// is reported (which program, why) and the menu goes on; strange application
// directories start exactly the emulator with exactly its argument; hundreds
// of launches leave no zombies and no open descriptors behind.
#include "../ui/harness.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

using namespace harness;

namespace {

QString appDir() { return QString::fromStdString(forms::applicationDirectory()); }
QString emulator() { return appDir() + "/data/Runcart.exe"; }

int openDescriptors() { return int(QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size()); }

bool putExecutable(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).path());
    QFile::remove(to);
    return QFile::copy(from, to) &&
           QFile(to).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// The recorder's finished records below `base` (one file per start, named
// after the recorder's process id).
QMap<qint64, QStringList> records(const QString& base)
{
    QMap<qint64, QStringList> out;
    const QDir dir(QFileInfo(base).path());
    for (const QString& n : dir.entryList({QFileInfo(base).fileName() + ".*"}, QDir::Files)) {
        QFile f(dir.filePath(n));
        if (!n.contains(".part") && f.open(QIODevice::ReadOnly))
            out[n.section('.', -1).toLongLong()] = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    return out;
}

QMap<qint64, QStringList> waitForRecords(const QString& base, int count)
{
    (void)QTest::qWaitFor([&] { return records(base).size() >= count; }, 20000);  // the caller counts
    letQueuedReactionsRun();  // and any start that should not have happened
    return records(base);
}

// True once none of `pids` is a child of this process any more, running or as
// a zombie. Looks without reaping, so a child the program failed to reap stays
// visible; other children of the test process are not looked at.
bool allReaped(const QList<qint64>& pids)
{
    return QTest::qWaitFor(
        [&] {
            return std::all_of(pids.begin(), pids.end(), [](qint64 pid) {
                siginfo_t info{};
                return waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) < 0 && errno == ECHILD;
            });
        },
        kWaitMs);
}

// The working directory and where the recorder writes, for one test; reset()
// puts both back however the test ends.
const QString kHome = QDir::currentPath();
void surround(const QString& dir, const QString& record)
{
    QDir::setCurrent(dir);
    qputenv("PLAYDECK_RECORD", record.toUtf8());
}

}  // namespace

class LaunchFaultsTest : public WindowTest {
    Q_OBJECT
    void reset() override
    {
        ui::setProcessStarter(nullptr);  // the real process start throughout
        QDir(appDir() + "/data").removeRecursively();
        QDir::setCurrent(kHome);
        qunsetenv("PLAYDECK_RECORD");
    }

private slots:
    // Missing, not executable, commands rather than a program: Enter on the
    // single-part title, twice (nothing is left over from the first), is one
    // report naming the program and why, the menu going on, and nothing run
    // by a shell. (From a part dialog: the headless scenarios.)
    void aBrokenEmulatorIsReportedAndTheMenuGoesOn_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        for (const char* row : {"missing|No such file", "plain|Permission denied", "script|Exec format error"})
            QTest::newRow(row) << QString(row).section('|', 0, 0) << QString(row).section('|', 1);
    }
    void aBrokenEmulatorIsReportedAndTheMenuGoesOn()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir elsewhere;  // the working directory, where a shell would touch its file
        surround(elsewhere.path(), elsewhere.filePath("record"));
        const QString marker = elsewhere.filePath("shell-ran");
        QDir().mkpath(appDir() + "/data");
        if (kind != "missing") {
            QFile f(emulator());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(("touch '" + marker + "'\n").toUtf8());
            f.close();
            QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                     (kind == "script" ? QFileDevice::ExeOwner : QFileDevice::Permissions())));
        }
        QVERIFY(moveCursorTo(4));
        for (int round = 0; round < 2; ++round) {
            QString report;
            whenModal("errorReport", [&](QWidget& m) { report = m.property("text").toString(), closeModal(&m); });
            QVERIFY(key(Qt::Key_Return));
            QVERIFY2(report.contains(emulator()) && report.contains(reason) && !report.contains('\n'), qPrintable(report));
            QVERIFY(!forms::hasEnded() && keyWindow() == window("Form1")->windowHandle());  // no modal window left
        }
        letQueuedReactionsRun();
        QVERIFY2(!QFile::exists(marker), "the emulator file was run by a shell");
    }

    // An application directory that a shell would split or interpret, the
    // program started from another working directory: exactly the emulator,
    // with exactly its argument, in the application directory, with no
    // descriptor but the standard three.
    void strangeDirectoriesStartExactlyTheEmulator()
    {
        const int inherited = dup(2);  // as one handed down to the menu by what started it
        // Each name, and what a split at a blank or ';' would start instead.
        const std::pair<QString, QString> dirs[] = {{"play deck", "play"}, {"it's \"here\" now", "it's"},
            {"$(touch pwned) x", "$(touch"}, {"games;touch pwned", "games"},
            {QString::fromUtf8("Spiele für Kinder — ゲーム"), QString::fromUtf8("Spiele")}};
        for (const auto& [name, decoy] : dirs) {
            QTemporaryDir base;
            QVERIFY(base.isValid());
            const QString dir = base.filePath(name);
            for (const QString& to : {dir + "/data/Runcart.exe", base.filePath(decoy), base.filePath(decoy) + ".exe"})
                QVERIFY(putExecutable(RECORDER_PATH, to));
            surround(base.path(), base.filePath("record"));
            forms::SystemProcessStarter system;
            const playdeck::LaunchResult r = playdeck::launch("\\data\\Runcart.exe data\\mado3.dat", dir.toStdString(), system);
            QVERIFY2(r.started, r.message.c_str());
            const auto got = waitForRecords(base.filePath("record"), 1);
            QCOMPARE(got.values(),
                     QList<QStringList>{QStringList({"argc=2", dir + "/data/Runcart.exe", "data/mado3.dat", dir, "fds=3"})});
            QVERIFY(!QFile::exists(base.filePath("pwned")) && !QFile::exists(dir + "/pwned") && allReaped(got.keys()));
        }
        close(inherited);
    }

    void hundredsOfLaunchesFromTheMenuLeaveNothingBehind()
    {
        QVERIFY(putExecutable(RECORDER_PATH, emulator()));
        const QTemporaryDir out;
        const QString record = out.filePath("many");
        surround(kHome, record);
        QVERIFY(moveCursorTo(4));
        QVERIFY(key(Qt::Key_Return));  // the first start may open what stays open
        QCOMPARE(waitForRecords(record, 1).size(), 1);
        const int fdsBefore = openDescriptors();
        const int count = 300;
        for (int i = 1; i < count && !QApplication::activeModalWidget(); ++i)
            QVERIFY(key(Qt::Key_Return));
        QVERIFY(!QApplication::activeModalWidget());
        const auto got = waitForRecords(record, count);
        QCOMPARE(got.size(), count);
        for (const QStringList& r : got)
            QCOMPARE(r, QStringList({"argc=2", emulator(), "data/mado3.dat", appDir(), "fds=3"}));
        QCOMPARE(openDescriptors(), fdsBefore);
        QVERIFY2(allReaped(got.keys()), "an emulator that ended was not reaped");
        QCOMPARE(cursorTop(), playdeck::entries()[4].stop);
    }
};

QTEST_MAIN(LaunchFaultsTest)
#include "launch_faults_test.moc"
