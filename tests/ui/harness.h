// Shared scaffolding of the window tests: the program's windows on the
// offscreen platform, keys sent through the window system like real presses,
// and a recorder in place of the process start.
#pragma once

#include "app.h"
#include "catalogue.h"
#include "qtforms.h"
#include "launch.h"
#include "process.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <vector>

namespace harness {

class RecordingStarter : public playdeck::ProcessStarter {
public:
    std::optional<std::string> start(const playdeck::LaunchCommand& command) override
    {
        commands.push_back(command);
        return std::nullopt;
    }
    QStringList tails() const
    {
        QStringList out;
        for (const auto& c : commands)
            out << QString::fromStdString(c.commandLine.substr(appDir.size()));
        return out;
    }
    std::vector<playdeck::LaunchCommand> commands;
    std::string appDir = forms::applicationDirectory();
};

inline forms::Form& form(const char* name) { return forms::instance(name); }

// The window that has the keyboard now (a modal window when one is open).
inline QWindow* keyWindow()
{
    QWidget* w = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    return w ? w->windowHandle() : nullptr;
}

// A key press and release delivered through the window system to `window`
// (default: the active one), so shortcuts, key preview and focus all apply.
inline void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier, QWindow* window = nullptr)
{
    QWindow* target = window ? window : keyWindow();
    QVERIFY(target);
    QTest::keyClick(target, k, mods);
}

inline void autoRepeatPress(Qt::Key k, QWindow* window = nullptr)
{
    QWindow* target = window ? window : keyWindow();
    QVERIFY(target);
    qt_handleKeyEvent(target, QEvent::KeyPress, k, Qt::NoModifier, k == Qt::Key_Return ? "\r" : QString(), true);
}

inline QList<QPointer<QTimer>>& pendingSteps()
{
    static QList<QPointer<QTimer>> timers;
    return timers;
}

// Drops the steps still waiting for a window (call at the end of each test).
inline void cancelModalSteps()
{
    for (const QPointer<QTimer>& t : pendingSteps())
        delete t.data();
    pendingSteps().clear();
}

// Runs `step` once the modal window named `name` is up and active (or, with an
// empty name, once any modal window is), from inside its modal loop; with
// nullptr when none comes within a few seconds.
inline void whenModal(const char* name, std::function<void(QWidget*)> step)
{
    auto* timer = new QTimer;
    pendingSteps() << timer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool ready = modal && modal->isActiveWindow() && (!*name || modal->objectName() == name);
        if (ready || ++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            step(ready ? modal : nullptr);
        }
    });
    timer->start(5);
}

// Runs `action` and returns the text of the error report it brought up,
// closing the report; empty when none came.
inline QString errorReportFrom(const std::function<void()>& action)
{
    QString report;
    whenModal("errorReport", [&](QWidget* m) {
        if (auto* box = qobject_cast<QMessageBox*>(m)) {
            report = box->text();
            box->accept();
        }
    });
    action();
    cancelModalSteps();
    return report;
}

// Shows the main menu afresh, active, with every other window closed.
inline QWidget* startMenu()
{
    forms::resetEnded();
    forms::Form& menu = form("Form1");
    menu.unload();
    menu.show();
    if (!QTest::qWaitForWindowActive(forms::window(menu)))
        return nullptr;
    return forms::window(menu);
}

inline void setUpOnce(RecordingStarter& starter)
{
    forms::setUpApplication(*qApp);
    QCoreApplication::setApplicationName("PLAYDECK");
    ui::registerWindows();
    ui::setProcessStarter(&starter);
}

inline float cursorTop() { return form("Form1").top("Cur"); }

// Steps the cursor down to catalogue entry k.
inline void moveCursorTo(int k)
{
    for (int i = 0; i < 6 && cursorTop() != playdeck::entries()[k].stop; ++i)
        key(Qt::Key_Down);
    QCOMPARE(cursorTop(), playdeck::entries()[k].stop);
}

// The common frame of a window test: the program's windows with a recorder
// for launches, a fresh main menu for each test, no step left waiting after it.
class WindowTest : public QObject {
    Q_OBJECT
protected:
    RecordingStarter starter;

private slots:
    void initTestCase() { setUpOnce(starter); }
    void init()
    {
        starter.commands.clear();
        QVERIFY(startMenu());
    }
    void cleanup() { cancelModalSteps(); }
};

}  // namespace harness
