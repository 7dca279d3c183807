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
    for (int i = 0; i < count; ++i)
        xKey(QEvent::KeyRelease, k, time += 40), xKey(QEvent::KeyPress, k, time);
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
        QVERIFY(cursorTop() == 4320.0f && focusName() == "Cur");
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
        QCOMPARE(starter.starts, 1);
        xKey(QEvent::KeyPress, Qt::Key_Return, t += 300);
        xKey(QEvent::KeyRelease, Qt::Key_Return, t += 40);
        QCOMPARE(starter.starts, 2);
        QVERIFY(moveCursorTo(0));
        whenModal("turtles", [&](QWidget&) {
            xRepeats(Qt::Key_Return, t, 8);
            QVERIFY(form("turtles").isLoaded());
            QVERIFY(key(Qt::Key_Escape));
        });
        xKey(QEvent::KeyPress, Qt::Key_Return, t += 300);
        QCOMPARE(starter.starts, 2);
    }

    // Every window where its definition puts it (156, 63 is 2340, 945 twips),
    // with its caption, border, icon and background; fixed in size; no
    // default button.
    void everyWindowIsAsDefined()
    {
        for (const char* name : {"Form1", "hlpfrm", "About", "turtles", "tsubasa", "gaiden", "contra", "duckt"}) {
            const forms::WindowDef& d = form(name).definition();
            const bool border = d.border != forms::BorderStyle::None;
            const auto check = [&](QWidget& w) {
                using forms::pixels;
                QCOMPARE(w.windowTitle(), forms::qstr(d.caption));
                QCOMPARE(w.geometry(), QRect(pixels(d.client.left), pixels(d.client.top), pixels(d.client.width), pixels(d.client.height)));
                QCOMPARE(w.minimumSize(), w.maximumSize());
                QCOMPARE(w.windowFlags() & (Qt::FramelessWindowHint | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint),
                         border ? Qt::WindowFlags() : Qt::FramelessWindowHint);
                QCOMPARE(!w.windowIcon().isNull(), !d.icon.empty());
                QCOMPARE(w.palette().color(QPalette::Window),
                         d.backColour == forms::kButtonFace ? QApplication::palette().color(QPalette::Window)
                                                            : QColor(int(d.backColour & 0xFF), int(d.backColour >> 8 & 0xFF), int(d.backColour >> 16)));
                for (QPushButton* b : w.findChildren<QPushButton*>())
                    QVERIFY(!b->isDefault() && !b->autoDefault());
                w.grab().save(QStringLiteral(PLAYDECK_SCREENSHOTS "/%1%2.png").arg(border ? "" : "dialog_", QString(name).toLower()));
                w.close();
            };
            if (QString(name) == "Form1") {
                check(*window("Form1"));  // which ends the program
                QVERIFY(startMenu());
            } else {
                whenModal(name, check);
                form(name).showModal();
                QVERIFY(!QTest::currentTestFailed() && !form(name).isLoaded());
            }
        }
    }

    // On screen: each sentence of help and credits begins a line, and every
    // line is whole inside its label.
    void helpAndCreditsStartEachSentenceOnANewLine()
    {
        struct Case { const char* window; std::string text; QStringList starts; int visibleWidth; };
        const Case cases[] = {
            {"hlpfrm", ui::hlpfrmDefinition().controls.at(0).text,
             {"Use the arrow in the menu to choose your favourite game.", "If there are", "If you have", "robin.keyes@"}, 295},
            {"About", ui::aboutDefinition().controls.at(1).text,
             {"\"PLAYDECK\" is a program of ", "\"NES\"", "Feel free", "robin.keyes@"}, 201},
        };
        for (const Case& c : cases) {
            whenModal(c.window, [&](QWidget& w) {
                QWidget* label = control(c.window, "Label1");
                const QFontMetrics fm(label->font());
                QStringList lines;
                for (const std::u16string& l : forms::wrapText(QString::fromStdString(c.text).toStdU16String(), label->width(),
                         [&](std::u16string_view s) { return fm.horizontalAdvance(QString::fromUtf16(s.data(), qsizetype(s.size()))); }))
                    lines << QString::fromStdU16String(l);
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
