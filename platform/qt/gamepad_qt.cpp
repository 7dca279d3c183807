// Gamepad presses in the Qt backend: the Linux pad thread (platform/linux)
// hands its presses over; here, on the event thread, each becomes a key
// press and release posted to our window that has the keyboard, as
// pad::commandFor decides for that window. Not here: finding, reading or
// timing the pads.
#include "gamepad_linux.h"
#include "qtforms.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <atomic>

namespace forms {

namespace {

const QEvent::Type kPressesEvent = QEvent::Type(QEvent::registerEventType());

struct PressesEvent : QEvent {
    explicit PressesEvent(std::vector<pad::Press> p) : QEvent(kPressesEvent), presses(std::move(p)) {}
    std::vector<pad::Press> presses;
};

// The window that has the keyboard, if one of ours does while the program is
// the active one.
QWidget* keyboardWindow()
{
    if (QGuiApplication::applicationState() != Qt::ApplicationActive)
        return nullptr;
    QWidget* w = QApplication::activeWindow();
    return w && w->windowHandle() ? w : nullptr;
}

void postKey(QWindow* window, const pad::Command& c, bool autoRepeat)
{
    Qt::Key key = Qt::Key_unknown;
    QString text;
    switch (c.keycode) {
    case vk::Up: key = Qt::Key_Up; break;
    case vk::Down: key = Qt::Key_Down; break;
    case vk::Enter: key = Qt::Key_Return, text = QStringLiteral("\r"); break;
    case vk::Space: key = Qt::Key_Space, text = QStringLiteral(" "); break;
    case vk::Escape: key = Qt::Key_Escape, text = QStringLiteral("\x1b"); break;
    case vk::Tab: key = c.shift ? Qt::Key_Backtab : Qt::Key_Tab, text = QStringLiteral("\t"); break;
    default: return;
    }
    const Qt::KeyboardModifiers mods = c.shift ? Qt::ShiftModifier : Qt::NoModifier;
    // A press and its release, as a keyboard gives them: a button clicks on
    // the release of Space.
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
        QCoreApplication::postEvent(window, new QKeyEvent(type, key, mods, text, autoRepeat));
}

class Delivery : public QObject {
public:
    Delivery()
    {
        auto update = [this] { keyboard = keyboardWindow() != nullptr; };
        connect(qApp, &QGuiApplication::applicationStateChanged, this, update);
        connect(qApp, &QApplication::focusChanged, this, update);
        connect(qApp, &QGuiApplication::focusWindowChanged, this, update);
        update();
    }
    // Read by the pad thread.
    std::atomic<bool> keyboard{false};

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != kPressesEvent)
            return QObject::event(e);
        for (const pad::Press& p : static_cast<PressesEvent*>(e)->presses)
            deliver(p);
        return true;
    }

private:
    static void deliver(const pad::Press& press)
    {
        QWidget* window = keyboardWindow();
        if (!window)
            return;
        // formOf is null for a message box: a dialog to a pad.
        const pad::Command c = pad::commandFor(press.action, formOf(window));
        switch (c.kind) {
        case pad::Command::Kind::Nothing:
            break;
        case pad::Command::Kind::Key:
            postKey(window->windowHandle(), c, press.autoRepeat);
            break;
        case pad::Command::Kind::Close:
            QMetaObject::invokeMethod(window, [window] { window->close(); }, Qt::QueuedConnection);
            break;
        }
    }
};

struct Gamepads {
    QPointer<Delivery> delivery;
    std::unique_ptr<linuxpad::Watch> watch;
};

Gamepads& gamepads()
{
    static Gamepads g;
    return g;
}

}  // namespace

void startGamepads(bool loadAtOnce)
{
    Gamepads& g = gamepads();
    if (g.watch)
        return;
    static const bool cleanUp = (qAddPostRoutine(stopGamepads), true);
    (void)cleanUp;
    auto* delivery = new Delivery;
    // The delivery object outlives the watch, whose thread posts to it.
    g.watch = linuxpad::start({[delivery] { return delivery->keyboard.load(); },
                               [delivery](std::vector<pad::Press> presses) {
                                   QCoreApplication::postEvent(delivery, new PressesEvent(std::move(presses)));
                               }},
                              loadAtOnce);
    if (g.watch)
        g.delivery = delivery;
    else
        delete delivery;
}

void stopGamepads()
{
    Gamepads& g = gamepads();
    g.watch.reset();
    delete g.delivery.data();
}

}  // namespace forms
