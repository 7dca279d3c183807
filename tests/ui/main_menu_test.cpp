// The main menu on the offscreen platform: start state, cursor keys through
// the window, Enter on each title, buttons and access keys, a failed launch,
// closing, and what a grab of the window shows.
#include "harness.h"

#include "catalogue.h"
#include "qtforms.h"

#include <QImage>
#include <QMessageBox>
#include <QPushButton>

using namespace harness;

class MainMenuTest : public WindowTest {
    Q_OBJECT


private slots:

    void startsOnTheFirstTitleWithTheCursorFocused()
    {
        QWidget* w = forms::window(form("Form1"));
        QCOMPARE(w->windowTitle(), QString("PLAYDECK"));
        QCOMPARE(w->geometry(), QRect(156, 63, 312, 374));  // 2340, 945, 4680 x 5610 twips
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QVERIFY(!(w->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
        QVERIFY(w->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(cursorTop(), 120.0f);
        QWidget* cur = forms::control(form("Form1"), "Cur");
        QCOMPARE(cur->geometry(), QRect(8, 8, 16, 13));
        QCOMPARE(QApplication::focusWidget(), cur);
        // Tab runs Cur, Exit, About, Help and back.
        for (const char* next : {"Command1", "Command2", "Command3", "Cur"}) {
            key(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString(next));
        }
        QCOMPARE(cursorTop(), 120.0f);
    }

    void arrowsMoveTheCursorAndWrap()
    {
        QWidget* cur = forms::control(form("Form1"), "Cur");
        key(Qt::Key_Up);
        QCOMPARE(cursorTop(), 4320.0f);
        QCOMPARE(cur->geometry(), QRect(8, 288, 16, 13));
        key(Qt::Key_Down);
        QCOMPARE(cursorTop(), 120.0f);
        for (int i = 1; i <= 6; ++i) {
            key(Qt::Key_Down, i % 2 ? Qt::ShiftModifier : Qt::ControlModifier);
            QCOMPARE(cursorTop(), playdeck::entries()[i % 6].stop);
            QCOMPARE(cur->y(), 8 + 56 * (i % 6));
        }
        for (Qt::Key other : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Escape, Qt::Key_Q, Qt::Key_Space, Qt::Key_PageDown})
            key(other);
        QCOMPARE(cursorTop(), 120.0f);
        QVERIFY(starter.commands.empty());
        QVERIFY(!forms::hasEnded());
    }

    void enterOnTheSingleTitleLaunchesOnceAndOpensNothing()
    {
        moveCursorTo(4);
        bool opened = false;
        whenModal("", [&](QWidget* m) { opened = m; if (m) m->close(); });
        key(Qt::Key_Return);
        QTest::qWait(50);
        QVERIFY(!opened);
        QCOMPARE(starter.tails(), QStringList{"\\data\\Runcart.exe data\\mado3.dat"});
        QCOMPARE(cursorTop(), 3480.0f);
        // A held Enter does not start a pile of emulators; a fresh press starts another.
        for (int i = 0; i < 5; ++i)
            autoRepeatPress(Qt::Key_Return);
        QCOMPARE(starter.commands.size(), 1u);
        key(Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(starter.commands.size(), 2u);
    }

    void enterOnTheOtherTitlesOpensTheirDialogOnce()
    {
        for (int k : {0, 1, 2, 3, 5}) {
            moveCursorTo(k);
            QStringList seen;
            whenModal("", [&](QWidget* m) {
                if (!m)
                    return;
                seen << m->objectName();
                key(Qt::Key_Escape);
            });
            key(Qt::Key_Return);
            QCOMPARE(seen, QStringList{QString::fromUtf8(playdeck::entries()[k].dialog.data())});
            QCOMPARE(cursorTop(), playdeck::entries()[k].stop);
            QVERIFY(!QApplication::activeModalWidget());
        }
        QVERIFY(starter.commands.empty());
    }

    void keysStillReachTheMenuWhenAButtonHasTheFocus()
    {
        // Open Help with a click, close it: the focus stays on the Help button.
        auto* help = qobject_cast<QPushButton*>(forms::control(form("Form1"), "Command3"));
        whenModal("hlpfrm", [&](QWidget* m) { if (m) key(Qt::Key_Space); });
        QTest::mouseClick(help, Qt::LeftButton);
        QTRY_COMPARE(QApplication::focusWidget(), help);
        key(Qt::Key_Down);
        QCOMPARE(cursorTop(), 960.0f);
        moveCursorTo(4);
        // Enter acts on the menu once and does not also click the focused button.
        bool opened = false;
        whenModal("", [&](QWidget* m) { opened = m; if (m) key(Qt::Key_Escape); });
        key(Qt::Key_Return);
        QTest::qWait(50);
        QVERIFY(!opened);
        QCOMPARE(starter.commands.size(), 1u);
    }

    void accessKeysClickTheirButtons()
    {
        for (auto [letter, window] : {std::pair{Qt::Key_A, "About"}, std::pair{Qt::Key_H, "hlpfrm"}}) {
            QString seen;
            whenModal(window, [&](QWidget* m) {
                if (m) {
                    seen = m->objectName();
                    m->close();
                }
            });
            key(letter, Qt::AltModifier);
            QCOMPARE(seen, QString(window));
            QVERIFY(form("Form1").isLoaded());
        }
        key(Qt::Key_X, Qt::AltModifier);
        QVERIFY(forms::hasEnded());
        QVERIFY(!form("Form1").isLoaded());
    }

    void exitAndTheCloseBoxEndTheProgram()
    {
        QTest::mouseClick(qobject_cast<QPushButton*>(forms::control(form("Form1"), "Command1")), Qt::LeftButton);
        QVERIFY(forms::hasEnded());
        QVERIFY(!form("Form1").isLoaded());

        QVERIFY(startMenu());
        forms::window(form("Form1"))->windowHandle()->close();
        QVERIFY(forms::hasEnded());
        QVERIFY(!form("Form1").isLoaded());
    }

    void aFailedLaunchIsReportedAndTheMenuGoesOn()
    {
        ui::setProcessStarter(nullptr);  // the real one: no emulator beside this test
        moveCursorTo(4);
        const QString report = errorReportFrom([] { key(Qt::Key_Return); });
        ui::setProcessStarter(&starter);
        QVERIFY2(report.contains("/data/Runcart.exe"), qPrintable(report));
        QVERIFY2(report.contains("No such file"), qPrintable(report));
        QVERIFY(!forms::hasEnded());
        QVERIFY(form("Form1").isLoaded());
        QCOMPARE(cursorTop(), 3480.0f);
        key(Qt::Key_Down);
        QCOMPARE(cursorTop(), 4320.0f);
    }

    void theGrabShowsCursorPicturesAndLinesWhereDefined()
    {
        const QImage arrow(forms::assetPath("cursor_arrow"));
        QCOMPARE(arrow.size(), QSize(16, 13));
        for (int k = 0; k < 6; ++k) {
            const QImage shot = forms::window(form("Form1"))->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const int y = 8 + 56 * k;
            QCOMPARE(shot.copy(8, y, 16, 13), arrow.convertToFormat(QImage::Format_RGB32));
            // The other stops show the white window, not a stale arrow.
            const int other = 8 + 56 * ((k + 1) % 6);
            QCOMPARE(shot.copy(8, other, 16, 13).pixel(8, 6), qRgb(255, 255, 255));
            key(Qt::Key_Down);
        }
        const QImage shot = forms::window(form("Form1"))->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // Title pictures: black rectangles of 49 x 57 (49 x 49 for the last) in the right column.
        for (int k = 0; k < 6; ++k) {
            const int top = 8 + 56 * k, height = k == 5 ? 49 : 57;
            QCOMPARE(shot.pixel(240, top + 1), qRgb(0, 0, 0));
            QCOMPARE(shot.pixel(240 + 48, top + height - 2), qRgb(0, 0, 0));
            QCOMPARE(shot.pixel(240 + 49, top + 2), qRgb(255, 255, 255));
        }
        QCOMPARE(shot.pixel(300, 8 + 56 * 5 + 49), qRgb(255, 255, 255));
        // Separator lines at the tops of titles 2 to 6, from x 32 to 303.
        for (int k = 1; k < 6; ++k) {
            const int y = 8 + 56 * k;
            for (int x : {32, 200, 303})
                QCOMPARE(qGray(shot.pixel(x, y)), 0);
            QCOMPARE(shot.pixel(31, y), qRgb(255, 255, 255));
            QCOMPARE(shot.pixel(304, y), qRgb(255, 255, 255));
            QCOMPARE(shot.pixel(200, y + 1), qRgb(255, 255, 255));
        }
        shot.save(QStringLiteral(PLAYDECK_SCREENSHOTS "/main_menu.png"));
    }
};

QTEST_MAIN(MainMenuTest)
#include "main_menu_test.moc"
