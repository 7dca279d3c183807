// The real program started where no display can be reached: one line on
// standard error naming the program, exit status 1, never a signal or a core.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

class NoDisplayTest : public QObject {
    Q_OBJECT

    struct Outcome {
        QProcess::ExitStatus status;
        int code;
        QStringList lines;
    };

    static Outcome run(const QProcessEnvironment& env)
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(PLAYDECK_PATH), {});
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
        }
        const QString err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        return {p.exitStatus(), p.exitCode(), err.split('\n', Qt::SkipEmptyParts)};
    }

    static QProcessEnvironment withoutDisplay()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        return env;
    }

private slots:
    void noDisplayAtAll()
    {
        const Outcome o = run(withoutDisplay());
        QCOMPARE(o.status, QProcess::NormalExit);
        QCOMPARE(o.code, 1);
        QCOMPARE(o.lines.size(), 1);
        QVERIFY2(o.lines[0].startsWith("playdeck:"), qPrintable(o.lines[0]));
    }

    void anUnreachableDisplay()
    {
        QProcessEnvironment env = withoutDisplay();
        env.insert("DISPLAY", ":99999");
        const Outcome o = run(env);
        QCOMPARE(o.status, QProcess::NormalExit);  // not killed by a signal, no core
        QCOMPARE(o.code, 1);
        QVERIFY(!o.lines.isEmpty());
        QVERIFY2(o.lines.last().startsWith("playdeck: cannot show the menu:"), qPrintable(o.lines.join('\n')));
        QCOMPARE(o.lines.size(), 1);
    }
};

QTEST_GUILESS_MAIN(NoDisplayTest)
#include "no_display_test.moc"
