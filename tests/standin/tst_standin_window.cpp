#include "standin_window.h"

#include <QDir>
#include <QLabel>
#include <QTest>

using namespace standin;

class StandinWindowTest : public QObject {
    Q_OBJECT

private slots:
    void reportsMissingFileAndClosesOnEscapeOnly();
    void clickOnTextCloses();
};

static QString lineText(const QWidget &w, const char *name)
{
    const auto *label = w.findChild<QLabel *>(QString::fromLatin1(name));
    return label && label->isVisible() ? label->text() : QString();
}

void StandinWindowTest::reportsMissingFileAndClosesOnEscapeOnly()
{
    Window w(describe(probe(QStringLiteral("data/no-such-game-here.dat"))));
    w.showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QCOMPARE(w.windowTitle(), QStringLiteral("PLAYDECK stand-in emulator"));
    QCOMPARE(lineText(w, "asked"), QStringLiteral("You asked to play no-such-game-here.dat."));
    QVERIFY(lineText(w, "path").contains(QDir::currentPath()));
    QVERIFY(lineText(w, "advice").contains(QStringLiteral("no-such-game-here.dat")));
    QVERIFY2(lineText(w, "problem").contains(QStringLiteral("missing")), qPrintable(lineText(w, "problem")));
    QCOMPARE(lineText(w, "hint"), QStringLiteral("Press Escape or click to close this window."));

    QTest::keyClick(&w, Qt::Key_Return);
    QVERIFY(w.isVisible());
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(!w.isVisible());
}

void StandinWindowTest::clickOnTextCloses()
{
    Window w(describe(probe(std::nullopt)));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *asked = w.findChild<QLabel *>(QStringLiteral("asked"));
    QVERIFY(asked);
    QTest::mouseClick(asked, Qt::LeftButton);
    QVERIFY(!w.isVisible());
}

QTEST_MAIN(StandinWindowTest)
#include "tst_standin_window.moc"
