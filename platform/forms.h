// Our forms runtime on Qt Widgets. A Form is one window kind: it owns the
// definition and the handlers; its window is loaded from the definition when
// shown and destroyed when unloaded, while the Form itself lives for the run.
#pragma once

#include "definition.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class QApplication;
class QEventLoop;

namespace forms {

// State of the Shift, Ctrl and Alt keys as handed to key handlers.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

class Form : public QObject {
    Q_OBJECT
public:
    explicit Form(WindowDef definition);
    ~Form() override;

    const WindowDef& definition() const { return def_; }

    void show();       // load if needed and show (not modal)
    void showModal();  // load, show application-modal, return once unloaded
    void unload();     // close the window and destroy its controls
    bool isLoaded() const { return window_ != nullptr; }

    QWidget* window() const { return window_; }
    QWidget* control(std::string_view name) const;

    // A control's top coordinate in twips, exactly as last set.
    float top(std::string_view name) const;
    void setTop(std::string_view name, float twips);

protected:
    using Handler = std::function<void()>;
    // The click handler of a command button (mouse, Space, Enter on the
    // focused button, its access key).
    void onClick(std::string_view control, Handler handler);
    // With key preview: every key press in the window, before the focused
    // control. `keycode` is a virtual-key number; setting it to 0 keeps the
    // key from the control.
    virtual void keyDown(int& keycode, int shift, bool autoRepeat);
    // The user closes the window (close box, system menu, Alt+F4).
    virtual void unloading() {}

private:
    friend class FormWindow;
    struct Loaded {
        QPointer<QWidget> widget;
        float top = 0;
    };
    void load();
    bool previewKey(QObject* receiver, QEvent* event);
    void userClose();
    void buttonClicked(const std::string& name);

    WindowDef def_;
    QPointer<QWidget> window_;
    std::map<std::string, Loaded, std::less<>> controls_;
    std::map<std::string, Handler, std::less<>> clicks_;
    QEventLoop* modalLoop_ = nullptr;
};

// The window kinds of the program, by window name: one implicit instance
// each, created on first use and kept for the rest of the run.
using FormFactory = std::function<std::unique_ptr<Form>()>;
void registerForm(std::string_view name, FormFactory factory);
Form& instance(std::string_view name);
void showModal(std::string_view name);

// Ends the program at once: every window is destroyed, no further handler runs.
void end();
bool hasEnded();
void resetEnded();  // lets a test carry on after end()

// The error report: a message box with the failure's text.
void errorReport(const std::string& message);

// Fonts, style and palette the same on every machine.
void setUpApplication(QApplication& app);

// The picture of an asset, from the compiled-in resources.
QString assetPath(std::string_view asset);

// The virtual-key number of a Qt key (0 for keys without one).
int virtualKey(int qtKey);

}  // namespace forms
