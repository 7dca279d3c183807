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
    QVERIFY(lineText(w, "asked").contains(QStringLiteral("data/no-such-game-here.dat")));
    QVERIFY(lineText(w, "path").contains(QDir::currentPath()));
    QVERIFY2(lineText(w, "problem").contains(QStringLiteral("missing")), qPrintable(lineText(w, "problem")));
    QCOMPARE(lineText(w, "hint"), QStringLiteral("Press Escape or click to close"));

    QTest::keyClick(w.windowHandle(), Qt::Key_Return);
    QVERIFY(w.isVisible());
    QTest::keyClick(w.windowHandle(), Qt::Key_Escape);
    QVERIFY(!w.isVisible());
}

void StandinWindowTest::clickOnTextCloses()
{
    Window w(describe(probe(std::nullopt)));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *asked = w.findChild<QLabel *>(QStringLiteral("asked"));
    QVERIFY(asked);
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, asked->mapTo(&w, asked->rect().center()));
    QVERIFY(!w.isVisible());
}

QTEST_MAIN(StandinWindowTest)
#include "tst_standin_window.moc"
