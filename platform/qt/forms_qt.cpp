// The forms runtime on Qt Widgets. Implements the backend contract: a window
// definition realised as widgets (controls_qt.cpp), native key presses, focus
// changes, activation and closing translated into the runtime's events,
// modal windows in a nested event loop and transient for their owner, the
// error report as a message box, the list's events sent to assistive
// technology (its interfaces: accessible_qt.cpp). Where keys go, which
// control has the focus, which windows are enabled, who gets the keyboard
// back and what is announced are the runtime's decisions, not this file's:
// every key press to one of our windows goes to Form::keyPress and none
// reaches a widget. Not here: the X11 repeat quirk (repeat_x11.cpp).
#include "qtforms.h"

#include "accessibility.h"
#include "accessible_qt.h"
#include "backend.h"
#include "controls_qt.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QWindow>

#include <map>
#include <utility>

namespace forms {

namespace {

// The virtual-key number of a Qt key (0 for keys without one).
int virtualKey(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;  // the same numbers
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    static const std::map<int, int> keys{
        {Qt::Key_Backspace, 8},      {Qt::Key_Tab, vk::Tab},     {Qt::Key_Backtab, vk::Tab},
        {Qt::Key_Return, vk::Enter}, {Qt::Key_Enter, vk::Enter}, {Qt::Key_Shift, 16},
        {Qt::Key_Control, 17},       {Qt::Key_Alt, 18},          {Qt::Key_Pause, 19},
        {Qt::Key_CapsLock, 20},      {Qt::Key_Escape, vk::Escape}, {Qt::Key_Space, vk::Space},
        {Qt::Key_PageUp, 33},        {Qt::Key_PageDown, 34},     {Qt::Key_End, 35},
        {Qt::Key_Home, 36},          {Qt::Key_Left, vk::Left},   {Qt::Key_Up, vk::Up},
        {Qt::Key_Right, vk::Right},  {Qt::Key_Down, vk::Down},   {Qt::Key_Insert, 45},
        {Qt::Key_Delete, 46},
    };
    auto it = keys.find(qtKey);
    return it == keys.end() ? 0 : it->second;
}

int shiftState(Qt::KeyboardModifiers mods)
{
    return (mods & Qt::ShiftModifier ? kShiftMask : 0) | (mods & Qt::ControlModifier ? kCtrlMask : 0) |
           (mods & Qt::AltModifier ? kAltMask : 0);
}

// The top-level widget of a loaded form. Once its form lets go of it
// (`detached`) it raises no more events and waits to be deleted.
class FormWidget : public QWidget {
public:
    FormWidget(Form& form, Qt::WindowFlags flags) : QWidget(nullptr, flags), form(form) {}

    Form& form;
    bool detached = false;
    bool enabled = true;
    QPointer<QEventLoop> modalLoop;  // the loop showing it modally, while it runs

    // Installed on the window and each of its controls.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (detached)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return !enabled;
        case QEvent::KeyPress: {
            if (!enabled)
                return true;
            // A key a control ignores would travel on to its parents: the
            // runtime takes each key once, where it was first delivered.
            QWidget* first = focusWidget() ? focusWidget() : this;
            if (watched != first)
                return true;
            const auto* key = static_cast<QKeyEvent*>(event);
            // Backtab is Shift+Tab, whatever modifiers it comes with.
            const int shift = shiftState(key->modifiers()) | (key->key() == Qt::Key_Backtab ? kShiftMask : 0);
            form.keyPress(virtualKey(key->key()), shift, key->isAutoRepeat());
            return true;
        }
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            return true;
        case QEvent::FocusIn:
            if (watched != this)
                form.focusChanged(watched->objectName().toStdString());
            return false;
        case QEvent::WindowActivate:
            if (watched == this)
                form.activated();
            return false;
        case QEvent::WindowDeactivate:
            if (watched == this)
                form.deactivated();
            return false;
        default:
            return false;
        }
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QWidget* focused = focusWidget();
        if (focused && focused->hasFocus() && isPictureBox(focused)) {
            QPainter p(this);
            drawFocusMark(p, focused->geometry().adjusted(-1, -1, 0, 0));
        }
    }
    void closeEvent(QCloseEvent* e) override
    {
        if (!detached)
            form.userClose();
        // Closed when the form let go of it; a window the runtime keeps open
        // (blocked by a modal one) stays.
        e->setAccepted(detached);
    }
};

class QtWindow : public backend::Window {
public:
    explicit QtWindow(FormWidget* w) : widget(w) {}
    ~QtWindow() override
    {
        widget->detached = true;
        widget->hide();
        if (widget->modalLoop)
            widget->modalLoop->quit();
        // Deleted once the event that unloaded it has been handled; at the
        // very end, when no event loop will run again, at once.
        if (QCoreApplication::closingDown())
            delete widget.data();
        else
            widget->deleteLater();
        // What the style drew for this window's controls goes with them; the
        // next showing draws afresh, and the cache does not creep up.
        QPixmapCache::clear();
    }
    void show() override
    {
        widget->show();
        widget->raise();
        widget->activateWindow();
    }
    void moveControl(std::string_view name, int topPixels) override
    {
        if (QWidget* c = control(name))
            c->move(c->x(), topPixels);
    }
    void focusControl(std::string_view name) override
    {
        QWidget* c = control(name);
        (c ? c : widget.data())->setFocus(Qt::OtherFocusReason);
    }
    // Qt's application modality keeps the user's input from the windows
    // behind a modal one; a disabled window also drops any input that still
    // reaches it. Its widgets stay enabled: Qt would clear their focus, tell
    // assistive technology of it, and draw them greyed.
    void setEnabled(bool enabled) override { widget->enabled = enabled; }
    // Qt tells of a focus change once the focus-in event has been handled, so
    // a click's focus would be told after what the runtime says of it: the
    // list's events go out from the event loop, after both.
    void announce(const std::vector<a11y::Event>& events) override
    {
        if (!listening())
            return;
        QMetaObject::invokeMethod(
            widget,
            [cursor = QPointer<QWidget>(control(widget->form.definition().list.cursor)), events] {
                if (cursor)
                    tellList(cursor, events);
            },
            Qt::QueuedConnection);
    }

    QWidget* control(std::string_view name) const
    {
        auto it = controls.find(name);
        return it == controls.end() ? nullptr : it->second.data();
    }

    QPointer<FormWidget> widget;
    std::map<std::string, QPointer<QWidget>, std::less<>> controls;
};

QtWindow* loadedWindow(const Form& form) { return static_cast<QtWindow*>(form.loaded()); }

}  // namespace

namespace backend {

std::unique_ptr<Window> load(Form& form, const Form* owner)
{
    // The windows go with the application object, before static destruction;
    // every key press has its true repeat flag from the first window on.
    static const bool setUp = (qAddPostRoutine(destroyInstances), markX11Repeats(), installAccessibility(), true);
    (void)setUp;

    const WindowDef& def = form.definition();
    // A window with an owner is a dialog: Qt's X11 side names the owner
    // (WM_TRANSIENT_FOR) for dialogs only.
    Qt::WindowFlags flags = owner ? Qt::Dialog : Qt::Window;
    if (def.border == BorderStyle::None) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint;
        if (def.minButton)
            flags |= Qt::WindowMinimizeButtonHint;
        if (def.maxButton)
            flags |= Qt::WindowMaximizeButtonHint;
    }
    auto* w = new FormWidget(form, flags);
    auto window = std::make_unique<QtWindow>(w);
    setUpWindow(w, def);
    // Kept in front of its owner by every desktop (WM_TRANSIENT_FOR on X11,
    // xdg_toplevel's parent on Wayland); the widget itself stays parentless,
    // so the owner's going never takes it along.
    if (QWidget* o = owner ? forms::window(*owner) : nullptr) {
        w->winId();
        w->windowHandle()->setTransientParent(o->windowHandle());
    }
    w->installEventFilter(w);
    std::vector<QWidget*> windowed;
    for (const ControlDef& c : def.controls) {
        QWidget* widget = makeControl(c, w);
        if (auto* b = qobject_cast<QPushButton*>(widget))
            QObject::connect(b, &QPushButton::clicked, w, [w, name = std::string(c.name)] {
                if (!w->detached)
                    w->form.click(name);
            });
        if (widget->focusPolicy() != Qt::NoFocus)
            windowed.push_back(widget);
        widget->installEventFilter(w);
        window->controls[std::string(c.name)] = widget;
    }
    // Buttons and picture boxes stand above the drawn controls.
    for (QWidget* x : windowed)
        x->raise();
    return window;
}

void runModal(Form& form)
{
    QtWindow* window = loadedWindow(form);
    if (!window)
        return;
    window->widget->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    window->widget->modalLoop = &loop;
    window->show();
    if (form.isLoaded())
        loop.exec(QEventLoop::DialogExec);
}

void quit()
{
    // A test drives the windows without an event loop.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

void errorReport(const std::string& message, const Form* owner)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), QString::fromStdString(message),
                    QMessageBox::Ok, owner ? window(*owner) : nullptr);
    box.setObjectName("errorReport");
    box.exec();
}

}  // namespace backend

QWidget* window(const Form& form)
{
    QtWindow* w = loadedWindow(form);
    return w ? w->widget.data() : nullptr;
}

const Form* formOf(const QWidget* window)
{
    const auto* w = dynamic_cast<const FormWidget*>(window);
    return w && !w->detached ? &w->form : nullptr;
}

QWidget* control(const Form& form, std::string_view name)
{
    QtWindow* w = loadedWindow(form);
    return w ? w->control(name) : nullptr;
}

}  // namespace forms
