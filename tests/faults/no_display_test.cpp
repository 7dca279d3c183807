// The real program started where no display can be reached (none named, or one
// that does not answer): one line on standard error naming the program, exit
// status 1, never a signal or a core.
#include <QProcess>
#include <QTest>

class NoDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void oneLineAndStatusOne_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("line");
        QTest::newRow("none") << QString() << "playdeck:";
        QTest::newRow("unreachable") << ":99999" << "playdeck: cannot show the menu:";
    }
    void oneLineAndStatusOne()
    {
        QFETCH(QString, display);
        QFETCH(QString, line);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        if (!display.isEmpty())
            env.insert("DISPLAY", display);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(PLAYDECK_PATH), {});
        if (!p.waitForFinished(20000)) {
            p.kill();
            p.waitForFinished();
            QFAIL("the program was still running after 20 s");
        }
        const QStringList lines = QString::fromLocal8Bit(p.readAllStandardError()).trimmed().split('\n');
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        QVERIFY2(lines.size() == 1 && lines[0].startsWith(line), qPrintable(lines.join('\n')));
    }
};

QTEST_GUILESS_MAIN(NoDisplayTest)
#include "no_display_test.moc"
