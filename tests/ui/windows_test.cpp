// What needs Qt itself, on the offscreen platform, with keys and clicks
// through the window system: native keys reaching the runtime (access keys,
// Tab, Enter and Space, the auto-repeat flag of X11's held keys), native
// focus, what a grab shows, and label text broken by real font metrics. The
// scenarios themselves run once, on the headless backend.
#include "harness.h"

#include "about.h"
#include "hlpfrm.h"
#include "textwrap.h"

#include <QImage>
#include <QPushButton>
#include <QRegularExpression>
#include <QWindow>

using namespace harness;

namespace {

// A key as X11 hands it over: a native scan code and the server's time, in an
// event-loop turn of its own, through the window with the keyboard.
void xKey(QEvent::Type type, Qt::Key k, quint64 time)
{
    auto* e = new QKeyEvent(type, k, Qt::NoModifier, 36, 0, 0, k == Qt::Key_Return ? "\r" : "");
    e->setTimestamp(time);
    QCoreApplication::postEvent(keyWindow(), e);
    QCoreApplication::processEvents();
}

// The repeats of a held key: each a release and a press at the same time,
// 40 ms apart, read apart as a busy X client reads them.
void xRepeats(Qt::Key k, quint64& time, int count)
{
    for (int i = 0; i < count; ++i) {
        time += 40;
        xKey(QEvent::KeyRelease, k, time);
        xKey(QEvent::KeyPress, k, time);
    }
    xKey(QEvent::KeyRelease, k, time += 40);
}

}  // namespace

class WindowsTest : public WindowTest {
    Q_OBJECT

private slots:
    // Up and Down (with Shift or Ctrl too) move the cursor and wrap, and a
    // grab shows it where it is and nowhere else.
    void theCursorIsDrawnWhereItIs()
    {
        QCOMPARE(focusName(), QString("Cur"));
        QVERIFY(key(Qt::Key_Up));
        QCOMPARE(cursorTop(), 4320.0f);
        const QImage arrow = QImage(forms::assetPath("cursor_arrow")).convertToFormat(QImage::Format_RGB32);
        for (int k = 0; k < 7; ++k) {
            QVERIFY(key(Qt::Key_Down, k % 3 ? (k % 2 ? Qt::ShiftModifier : Qt::ControlModifier) : Qt::NoModifier));
            QCOMPARE(cursorTop(), 120.0f + 840 * (k % 6));
            const QImage shot = window("Form1")->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shot.copy(8, 8 + 56 * (k % 6), 16, 13), arrow);
            QCOMPARE(shot.pixel(16, 8 + 56 * ((k + 5) % 6) + 6), qRgb(255, 255, 255));  // no stale arrow
            if (k == 6)
                shot.save(QStringLiteral(PLAYDECK_SCREENSHOTS "/main_menu.png"));
        }
    }

    // Keys through Qt reach the runtime and nothing else: access keys, Space
    // on a button, an arrow on a button (no Qt arrow navigation) and the arrow
    // that takes the native focus back to the cursor.
    void nativeKeysAndFocusGoThroughTheRuntime()
    {
        // The modal window is transient for the menu, which is disabled: a
        // press that reaches one of its buttons does not push it.
        whenModal("hlpfrm", [&](QWidget& help) {
            QCOMPARE(focusName(), QString("Command1"));
            QCOMPARE(help.windowHandle()->transientParent(), window("Form1")->windowHandle());
            auto* exit = static_cast<QPushButton*>(control("Form1", "Command1"));
            QTest::mousePress(exit, Qt::LeftButton);
            QVERIFY(!exit->isDown());
            QTest::mouseRelease(exit, Qt::LeftButton);
            QVERIFY(key(Qt::Key_Space));
        });
        QVERIFY(key(Qt::Key_H, Qt::AltModifier));
        QCOMPARE(focusName(), QString("Command3"));
        QVERIFY(key(Qt::Key_Right));
        QCOMPARE(focusName(), QString("Command3"));
        QVERIFY(key(Qt::Key_Up));
        QCOMPARE(cursorTop(), 4320.0f);
        QCOMPARE(focusName(), QString("Cur"));
        // Shown again while it shows: brought forward, no second loop.
        whenModal("About", [](QWidget&) {
            form("About").showModal();
            QVERIFY(key(Qt::Key_Backtab) && key(Qt::Key_Return));
        });
        form("About").showModal();
        QVERIFY(!form("About").isLoaded());
    }

    // A held Enter on X11 whose repeats come as fresh presses: one start on
    // the single-part title, none from the part dialog a held Enter opened
    // (it stays open); a second real press starts again.
    void heldEnterOnX11StartsOnce()
    {
        quint64 t = 1000;
        QVERIFY(moveCursorTo(4));
        xKey(QEvent::KeyPress, Qt::Key_Return, t);
        xRepeats(Qt::Key_Return, t, 8);
        QCOMPARE(starter.tails.size(), 1);
        xKey(QEvent::KeyPress, Qt::Key_Return, t += 300);
        xKey(QEvent::KeyRelease, Qt::Key_Return, t += 40);
        QCOMPARE(starter.tails.size(), 2);
        QVERIFY(moveCursorTo(0));
        whenModal("turtles", [&](QWidget&) {
            xRepeats(Qt::Key_Return, t, 8);
            QVERIFY(form("turtles").isLoaded());
            QVERIFY(key(Qt::Key_Escape));
        });
        xKey(QEvent::KeyPress, Qt::Key_Return, t += 300);
        QCOMPARE(starter.tails.size(), 2);
    }

    // Every window where its definition puts it, with its caption, border,
    // icon and background; fixed in size; no default button.
    void everyWindowIsAsDefined()
    {
        struct Row { const char* name; const char* title; QRect geometry; bool border; QColor background; };
        const QColor face = QApplication::palette().color(QPalette::Window), white = Qt::white, black = Qt::black;
        const Row rows[] = {
            {"Form1", "PLAYDECK", {156, 63, 312, 374}, true, white},  // 2340, 945, 4680 x 5610 twips
            {"hlpfrm", "Quick Help", {170, 145, 295, 223}, true, face},
            {"About", "About PLAYDECK", {156, 132, 312, 213}, true, black},
            {"turtles", "Teenage Mutant Ninja Turtles", {209, 165, 185, 86}, false, white},
            {"tsubasa", "Captain Tsubasa", {237, 192, 185, 57}, false, face},
            {"gaiden", "Ninja Gaiden", {250, 192, 170, 58}, false, face},
            {"contra", "Contra", {237, 178, 170, 57}, false, face},
            {"duckt", "Duck Tales", {223, 192, 170, 58}, false, face},
        };
        for (const Row& r : rows) {
            const auto check = [&](QWidget& w) {
                QCOMPARE(w.windowTitle(), QString(r.title));
                QCOMPARE(w.geometry(), r.geometry);
                QCOMPARE(w.minimumSize(), w.maximumSize());
                QCOMPARE(w.windowFlags() & (Qt::FramelessWindowHint | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint),
                         r.border ? Qt::WindowFlags() : Qt::FramelessWindowHint);
                QCOMPARE(!w.windowIcon().isNull(), r.border);  // bordered windows have the icon
                QCOMPARE(w.palette().color(QPalette::Window), r.background);
                for (QPushButton* b : w.findChildren<QPushButton*>())
                    QVERIFY(!b->isDefault() && !b->autoDefault());
                w.grab().save(QStringLiteral(PLAYDECK_SCREENSHOTS "/%1%2.png").arg(r.border ? "" : "dialog_", QString(r.name).toLower()));
                w.close();
            };
            if (QString(r.name) == "Form1") {
                check(*window("Form1"));  // which ends the program
                QVERIFY(startMenu());
            } else {
                whenModal(r.name, check);
                form(r.name).showModal();
                QVERIFY(!QTest::currentTestFailed());
                QVERIFY(!form(r.name).isLoaded());
            }
        }
    }

    // On screen: each sentence of help and credits begins a line, and every
    // line is whole inside its label.
    void helpAndCreditsStartEachSentenceOnANewLine()
    {
        struct Case { const char* window; std::string text; QList<int> blankRuns; QStringList starts; int visibleWidth; };
        const Case cases[] = {
            {"hlpfrm", ui::hlpfrmDefinition().controls.at(0).text, {10, 4, 62},
             {"Use the arrow in the menu to choose your favourite game.", "If there are", "If you have", "robin.keyes@"}, 295},
            {"About", ui::aboutDefinition().controls.at(1).text, {76, 123, 38},
             {"\"PLAYDECK\" is a program of ", "\"NES\"", "Feel free", "robin.keyes@"}, 201},
        };
        for (const Case& c : cases) {
            QList<int> runs;
            static const QRegularExpression blanks(" {2,}");
            for (auto it = blanks.globalMatch(QString::fromStdString(c.text)); it.hasNext();)
                runs << int(it.next().capturedLength());
            QCOMPARE(runs, c.blankRuns);
            whenModal(c.window, [&](QWidget& w) {
                QWidget* label = control(c.window, "Label1");
                const QFontMetrics fm(label->font());
                const QStringList lines = wrap(QString::fromStdString(c.text), label->width(),
                                               [&](const QString& s) { return fm.horizontalAdvance(s); });
                QVERIFY2(lines.first().startsWith(c.starts.first()), qPrintable(lines.join('|')));
                for (const QString& start : c.starts)
                    QVERIFY2(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(start); }),
                             qPrintable(lines.join('|')));
                QVERIFY2(lines.size() * fm.height() <= label->height(), qPrintable(lines.join('|')));
                for (const QString& l : lines)
                    QVERIFY2(fm.horizontalAdvance(l.trimmed()) <= c.visibleWidth, qPrintable(l));
                w.close();
            });
            form(c.window).showModal();
            QVERIFY(!QTest::currentTestFailed());
        }
    }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
