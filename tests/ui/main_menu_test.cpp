// The main menu on the offscreen platform: start state, cursor keys through
// the window, Enter on each title, buttons and access keys, a failed launch,
// ending, and what a grab of the window shows.
#include "harness.h"

#include <QImage>

using namespace harness;

class MainMenuTest : public WindowTest {
    Q_OBJECT

private slots:
    void startsOnTheFirstTitleWithTheCursorFocused()
    {
        QWidget* w = window("Form1");
        QCOMPARE(w->windowTitle(), QString("PLAYDECK"));
        QCOMPARE(w->geometry(), QRect(156, 63, 312, 374));  // 2340, 945, 4680 x 5610 twips
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QCOMPARE(w->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
                 Qt::WindowCloseButtonHint);
        QCOMPARE(cursorTop(), 120.0f);
        QCOMPARE(control("Form1", "Cur")->geometry(), QRect(8, 8, 16, 13));
        QCOMPARE(focusName(), QString("Cur"));
        // Tab runs Cur, Exit, About, Help and back.
        for (const char* next : {"Command1", "Command2", "Command3", "Cur"}) {
            QVERIFY(key(Qt::Key_Tab));
            QCOMPARE(focusName(), QString(next));
        }
        QCOMPARE(cursorTop(), 120.0f);
    }

    void arrowsMoveTheCursorAndWrap()
    {
        QVERIFY(key(Qt::Key_Up));
        QCOMPARE(cursorTop(), 4320.0f);
        QCOMPARE(control("Form1", "Cur")->y(), 288);
        QVERIFY(key(Qt::Key_Down));
        QCOMPARE(cursorTop(), 120.0f);
        for (int i = 1; i <= 6; ++i) {
            QVERIFY(key(Qt::Key_Down, i % 2 ? Qt::ShiftModifier : Qt::ControlModifier));
            QCOMPARE(cursorTop(), 120.0f + 840 * (i % 6));
            QCOMPARE(control("Form1", "Cur")->y(), 8 + 56 * (i % 6));
        }
        for (Qt::Key other : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Escape, Qt::Key_Q, Qt::Key_Space, Qt::Key_PageDown})
            QVERIFY(key(other));
        QCOMPARE(cursorTop(), 120.0f);
        QVERIFY(starter.tails.isEmpty());
        QVERIFY(!forms::hasEnded());
    }

    // Enter on each title, with the focus on the cursor or on a button (the
    // button must not be clicked as well): one dialog, or for the fifth title
    // one launch; a held Enter does nothing, a fresh one acts again.
    void enterActsOnTheTitleUnderTheCursorOnce_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("dialog");
        const char* dialogs[] = {"turtles", "tsubasa", "gaiden", "contra", "", "duckt"};
        for (int k = 0; k < 6; ++k)
            for (const char* focus : {"Cur", "Command1", "Command2", "Command3"})
                QTest::addRow("%d %s", k + 1, focus) << k << QString(focus) << QString(dialogs[k]);
    }
    void enterActsOnTheTitleUnderTheCursorOnce()
    {
        QFETCH(int, entry);
        QFETCH(QString, focus);
        QFETCH(QString, dialog);
        QVERIFY(moveCursorTo(entry));
        while (focusName() != focus)  // Exit, About and Help come after Cur in tab order
            QVERIFY(key(Qt::Key_Tab));
        const QStringList shown = modalsDuring([] { key(Qt::Key_Return); });
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(shown, dialog.isEmpty() ? QStringList{} : QStringList{dialog});
        QCOMPARE(starter.tails, dialog.isEmpty() ? QStringList{"\\data\\Runcart.exe data\\mado3.dat"} : QStringList{});
        QCOMPARE(cursorTop(), 120.0f + 840 * entry);
        QVERIFY(!forms::hasEnded());
        QCOMPARE(focusName(), focus);

        QCOMPARE(modalsDuring([] { for (int i = 0; i < 5; ++i) heldPress(Qt::Key_Return); }), QStringList{});
        QCOMPARE(starter.tails.size(), dialog.isEmpty() ? 1 : 0);
        if (dialog.isEmpty()) {
            QVERIFY(key(Qt::Key_Enter, Qt::KeypadModifier));
            QCOMPARE(starter.tails.size(), 2);
        }
    }

    void accessKeysAndButtonsOpenTheirWindows()
    {
        for (auto [letter, name] : {std::pair{Qt::Key_A, "About"}, std::pair{Qt::Key_H, "hlpfrm"}}) {
            QCOMPARE(modalsDuring([&] { key(letter, Qt::AltModifier); }), QStringList{name});
            QCOMPARE(modalsDuring([&] { click("Form1", letter == Qt::Key_A ? "Command2" : "Command3"); }),
                     QStringList{name});
            QVERIFY(form("Form1").isLoaded());
        }
    }

    // Exit by its access key, a click, Space on the button, and the close box; the
    // modifier held with Space is released after the windows are gone.
    void exitAndTheCloseBoxEndTheProgram()
    {
        const std::function<bool()> ways[] = {
            [] { return key(Qt::Key_X, Qt::AltModifier); },
            [] { return click("Form1", "Command1"); },
            [] { return key(Qt::Key_Tab) && key(Qt::Key_Space, Qt::ControlModifier); },
            [] { window("Form1")->windowHandle()->close(); return true; },
        };
        for (const auto& way : ways) {
            QVERIFY(startMenu());
            QVERIFY(way());
            QVERIFY(forms::hasEnded());
            QVERIFY(!form("Form1").isLoaded());
        }
    }

    void aFailedLaunchIsReportedAndTheMenuGoesOn()
    {
        ui::setProcessStarter(nullptr);  // the real one: no emulator beside this test
        QVERIFY(moveCursorTo(4));
        const QString report = errorReportFrom([] { key(Qt::Key_Return); });
        ui::setProcessStarter(&starter);
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY2(report.contains("/data/Runcart.exe") && report.contains("No such file"), qPrintable(report));
        QVERIFY(!forms::hasEnded());
        QCOMPARE(cursorTop(), 3480.0f);
        QVERIFY(key(Qt::Key_Down));
        QCOMPARE(cursorTop(), 4320.0f);
    }

    void theGrabShowsCursorPicturesAndLinesWhereDefined()
    {
        const QImage arrow = QImage(forms::assetPath("cursor_arrow")).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(arrow.size(), QSize(16, 13));
        const auto grab = [] { return window("Form1")->grab().toImage().convertToFormat(QImage::Format_RGB32); };
        for (int k = 0; k < 6; ++k) {
            const QImage shot = grab();
            QCOMPARE(shot.copy(8, 8 + 56 * k, 16, 13), arrow);
            // The next stop shows the white window, not a stale arrow.
            QCOMPARE(shot.pixel(16, 8 + 56 * ((k + 1) % 6) + 6), qRgb(255, 255, 255));
            QVERIFY(key(Qt::Key_Down));
        }
        const QImage shot = grab();
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
            for (QPoint p : {QPoint(31, y), QPoint(304, y), QPoint(200, y + 1)})
                QCOMPARE(shot.pixel(p), qRgb(255, 255, 255));
        }
        shot.save(QStringLiteral(PLAYDECK_SCREENSHOTS "/main_menu.png"));
    }
};

QTEST_MAIN(MainMenuTest)
#include "main_menu_test.moc"
