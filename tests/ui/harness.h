// Shared scaffolding of the window tests: the program's windows on the
// offscreen platform, keys and clicks sent through the window system like real
// ones, a recorder in place of the process start. Every helper that can fail
// returns false after recording the failure (QVERIFY(key(...)) stops the test).
// No wait lasts longer than a few seconds: a modal window nobody closes is
// closed by the watchdog of WindowTest, with a failure naming it.
#pragma once

#include "app.h"
#include "catalogue.h"
#include "qtforms.h"
#include "launch.h"
#include "process.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <utility>

namespace harness {

inline constexpr int kWaitMs = 5000;  // the longest any helper waits for a window
// Time for a wrongly queued reaction (a second launch, a window) to show up
// before a check that nothing happened.
inline void letQueuedReactionsRun() { QTest::qWait(50); }

// In place of the process start: counts the starts, or fails them when told to.
struct RecordingStarter : playdeck::ProcessStarter {
    std::optional<std::string> start(const playdeck::LaunchCommand&) override
    {
        if (fail)
            return "no emulator here";
        return ++starts, std::nullopt;
    }
    int starts = 0;
    bool fail = false;
};

// The only places that reach the toolkit objects behind a form.
inline forms::Form& form(std::string_view name) { return forms::instance(name); }
inline QWidget* window(std::string_view name) { return forms::window(form(name)); }
inline QWidget* control(std::string_view formName, std::string_view name) { return forms::control(form(formName), name); }

inline QString focusName() { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(); }

// The window that has the keyboard now (a modal window when one is open).
inline QWindow* keyWindow()
{
    QWidget* w = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    return w ? w->windowHandle() : nullptr;
}

// One key stroke through the window system to the window with the keyboard,
// in Qt Test's order: modifier presses, the key's press
// and release, modifier releases. Each event is delivered at once, so a
// reaction may destroy the window midway (Exit ends the program inside the
// press); the remaining events are then dropped, as the window system drops
// events for a window that is gone.
inline bool key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QPointer<QWindow> w(keyWindow());
    if (!w) {
        QTest::qFail("no window has the keyboard", __FILE__, __LINE__);
        return false;
    }
    const auto send = [&](QEvent::Type type, int code, Qt::KeyboardModifiers m, const QString& text = {}) {
        if (w) {
            qt_handleKeyEvent(w, type, code, m, text);
            QCoreApplication::processEvents();
        }
    };
    static const std::pair<Qt::KeyboardModifier, Qt::Key> modifiers[] = {
        {Qt::ShiftModifier, Qt::Key_Shift}, {Qt::ControlModifier, Qt::Key_Control},
        {Qt::AltModifier, Qt::Key_Alt}, {Qt::MetaModifier, Qt::Key_Meta}};
    const char ascii = k == Qt::Key_Return || k == Qt::Key_Enter ? '\r' : QTest::keyToAscii(k);
    const QString text = ascii ? QString(QChar::fromLatin1(ascii)) : QString();
    Qt::KeyboardModifiers held;
    for (auto [m, code] : modifiers)
        if (mods & m)
            send(QEvent::KeyPress, code, std::exchange(held, held | m));
    send(QEvent::KeyPress, k, mods, text);
    send(QEvent::KeyRelease, k, mods, text);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
        if (mods & it->first)  // each release still carries its own modifier
            send(QEvent::KeyRelease, it->second, std::exchange(held, held & ~it->first));
    return !QTest::currentTestFailed();
}

// Closes a modal window the way its user would, so that its showing returns.
inline void closeModal(QWidget* modal)
{
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        box->done(0);
    else if (modal)
        modal->close();
}

inline QList<QPointer<QTimer>> pendingSteps;  // whenModal's, not run yet

// Runs `step` from inside the modal loop of the window named `name` once it is
// up with the keyboard. One that never comes is named at the end of the test
// (finishSteps); another one left open instead is closed by the watchdog. A
// step that fails leaves no window open behind it.
inline void whenModal(const char* name, std::function<void(QWidget&)> step)
{
    auto* timer = new QTimer;
    timer->setObjectName(name);
    pendingSteps << timer;
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isActiveWindow() || modal->objectName() != name)
            return;
        timer->stop();
        timer->deleteLater();
        pendingSteps.removeAll(QPointer<QTimer>(timer));
        QPointer<QWidget> alive(modal);
        step(*modal);
        if (QTest::currentTestFailed() && alive && alive->isVisible())
            closeModal(alive);
    });
    timer->start(5);
}

// Shows the main menu afresh, active, with every other window closed.
inline bool startMenu()
{
    forms::resetEnded();
    form("Form1").unload();
    form("Form1").show();
    const bool active = QTest::qWaitForWindowActive(window("Form1"), kWaitMs);
    if (!active)
        QTest::qFail("the main menu did not become active", __FILE__, __LINE__);
    return active;
}

inline float cursorTop() { return form("Form1").top("Cur"); }

// Steps the cursor down to catalogue entry k.
inline bool moveCursorTo(int k)
{
    for (int i = 0; i < 6 && cursorTop() != playdeck::entries()[k].stop; ++i)
        if (!key(Qt::Key_Down))
            return false;
    const bool there = cursorTop() == playdeck::entries()[k].stop;
    if (!there)
        QTest::qFail("the cursor does not reach its stop", __FILE__, __LINE__);
    return there;
}

inline void setUpOnce(RecordingStarter& starter)
{
    forms::setUpApplication(*qApp);
    QCoreApplication::setApplicationName("PLAYDECK");
    ui::registerWindows();
    ui::setProcessStarter(&starter);
}

// Fails, naming it, when a modal window has been open for kWaitMs with nobody
// closing it, and closes it so that its showing call returns; leaves an event
// loop that has run that long with no modal window at all.
class ModalWatchdog : public QObject {
public:
    ModalWatchdog()
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* m = QApplication::activeModalWidget();
            const bool nested = QThread::currentThread()->loopLevel() > 0;
            if (m != seen_ || (!m && !nested)) {
                seen_ = m;
                since_.start();
            } else if (since_.elapsed() > kWaitMs) {
                const QString what = m ? QStringLiteral("modal window '%1'").arg(m->objectName())
                                       : QStringLiteral("a modal loop without a window");
                QTest::qFail(qPrintable(QStringLiteral("%1 stayed open %2 ms and was closed").arg(what).arg(kWaitMs)),
                             __FILE__, __LINE__);
                m ? closeModal(m) : QCoreApplication::exit(1);
                since_.start();
            }
        });
        timer_.start(50);
    }

private:
    QTimer timer_;
    QPointer<QWidget> seen_;
    QElapsedTimer since_;
};

// Ends a test: a step whose window never came is a failure.
inline void finishSteps()
{
    QStringList missed;
    for (const QPointer<QTimer>& t : pendingSteps)
        if (t) {
            missed << t->objectName();
            delete t.data();
        }
    pendingSteps.clear();
    if (!missed.isEmpty() && !QTest::currentTestFailed())
        QTest::qFail(qPrintable("never shown: " + missed.join(", ")), __FILE__, __LINE__);
}

// The common frame of a window test: the program's windows with a recorder
// for launches (unless reset() says otherwise), a fresh main menu for each
// test, no step left waiting after it.
class WindowTest : public QObject {
    Q_OBJECT
protected:
    RecordingStarter starter;
    ModalWatchdog watchdog;
    virtual void reset() {}  // before and after each test

private slots:
    void initTestCase() { setUpOnce(starter); }
    void init()
    {
        starter = {};
        ui::setProcessStarter(&starter);
        reset();
        QVERIFY(startMenu());
    }
    void cleanup()
    {
        finishSteps();
        reset();
    }
};

}  // namespace harness
