// The forms runtime on Qt Widgets: a window definition realised as widgets,
// key preview through an event filter, modal windows in a nested event loop.
#include "qtforms.h"

#include "backend.h"
#include "textwrap.h"

#include <fontconfig/fontconfig.h>

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMoveEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace forms {

namespace {

QString qstr(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The family of the classic dialog font once it is in use, else empty.
QString& pixelFontFamily()
{
    static QString family;
    return family;
}

QColor toColour(Colour c, const QPalette& palette)
{
    if (c & kSystemColour) {
        switch (c - kSystemColour) {
        case 15: return palette.color(QPalette::Window);
        case 18: return palette.color(QPalette::ButtonText);
        case 5: return palette.color(QPalette::Base);
        default: return palette.color(QPalette::WindowText);
        }
    }
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QFont toFont(const FontSpec* wanted)
{
    QFont font = QApplication::font();
    if (wanted) {
        font = QFont(qstr(wanted->family));
        font.setPointSizeF(wanted->points);
        font.setWeight(QFont::Weight(wanted->weight));
        font.setItalic(wanted->italic);
        // The pixel-strike dialog font has no bold: a clean sans serif that
        // has one takes its place there.
        if (wanted->weight > 400 && font.family() == pixelFontFamily())
            font.setFamily(QStringLiteral("Liberation Sans"));
    }
    return font;
}

QRect pixelRect(const Rect& r)
{
    return {pixels(r.left), pixels(r.top), pixels(r.width), pixels(r.height)};
}

int shiftState(Qt::KeyboardModifiers mods)
{
    return (mods & Qt::ShiftModifier ? kShiftMask : 0) | (mods & Qt::ControlModifier ? kCtrlMask : 0) |
           (mods & Qt::AltModifier ? kAltMask : 0);
}

// The focus mark: a dotted frame of black and white, seen on every background.
void drawFocusMark(QPainter& p, const QRect& r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(r);
    p.setPen(QPen(Qt::white, 1, Qt::DotLine));
    p.drawRect(r);
    p.restore();
}

// A label: fixed in size, its text broken at blanks to fit the width and cut
// at the height; a transparent one paints only its text.
class LabelControl : public QWidget {
public:
    LabelControl(const ControlDef& def, QWidget* parent)
        : QWidget(parent), text_(QString::fromStdString(def.text))
    {
        setFont(toFont(def.font));
        QPalette pal = palette();
        pal.setColor(QPalette::WindowText, toColour(def.foreColour, pal));
        pal.setColor(QPalette::Window, toColour(def.backColour, pal));
        setPalette(pal);
        setAutoFillBackground(!def.transparent);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    const QStringList& lines() const
    {
        if (lines_.isEmpty()) {
            const QFontMetrics fm(font());
            for (const std::u16string& line :
                 wrapText(text_.toStdU16String(), width(), [&fm](std::u16string_view s) {
                     return fm.horizontalAdvance(QString::fromRawData(reinterpret_cast<const QChar*>(s.data()),
                                                                      qsizetype(s.size())));
                 }))
                lines_ << QString::fromStdU16String(line);
        }
        return lines_;
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        const QFontMetrics fm(font());
        int y = fm.ascent();
        for (const QString& line : lines()) {
            if (y - fm.ascent() >= height())
                break;
            p.drawText(0, y, line);
            y += fm.height();
        }
    }

    void resizeEvent(QResizeEvent*) override { lines_.clear(); }
    void changeEvent(QEvent* e) override
    {
        if (e->type() == QEvent::FontChange)
            lines_.clear();
        QWidget::changeEvent(e);
    }

private:
    QString text_;
    mutable QStringList lines_;  // the text as broken for the current width and font
};

// A picture box or an image: the picture at its own size, or stretched to the
// control. Pixel art is scaled by whole pixels, never smoothed.
class PictureControl : public QWidget {
public:
    PictureControl(const ControlDef& def, QWidget* parent) : QWidget(parent), image_(assetPath(def.picture))
    {
        if (def.kind == ControlKind::PictureBox)
            setFocusPolicy(Qt::StrongFocus);
        else
            setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    QSize pictureSize() const { return image_.size(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(rect(), image_);
    }
    // The window draws the focus mark just outside the picture, which stays whole.
    void focusInEvent(QFocusEvent*) override { updateMark(); }
    void focusOutEvent(QFocusEvent*) override { updateMark(); }
    void moveEvent(QMoveEvent* e) override
    {
        if (parentWidget() && hasFocus())
            parentWidget()->update(QRect(e->oldPos(), size()).adjusted(-2, -2, 2, 2));
        updateMark();
    }

private:
    void updateMark()
    {
        if (parentWidget())
            parentWidget()->update(geometry().adjusted(-2, -2, 2, 2));
    }

public:

private:
    QImage image_;
};

// A 1-pixel line in the window-text colour.
class LineControl : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        if (width() == 1 || height() == 1)
            p.fillRect(rect(), p.pen().color());
        else
            p.drawLine(0, 0, width() - 1, height() - 1);
    }
};

// A command button: Enter or Space on the focused button clicks it, a held
// key clicks once, and its access key clicks it at once.
class Button : public QPushButton {
public:
    Button(const QString& text, QWidget* parent) : QPushButton(text, parent)
    {
        setAutoDefault(false);
        setDefault(false);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            if (!e->isAutoRepeat())
                click();
            e->accept();
            return;
        }
        QPushButton::keyPressEvent(e);
    }
    void paintEvent(QPaintEvent* e) override
    {
        QPushButton::paintEvent(e);
        if (hasFocus()) {
            QPainter p(this);
            drawFocusMark(p, rect().adjusted(3, 2, -4, -3));
        }
    }
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::Shortcut) {
            setFocus(Qt::ShortcutFocusReason);
            click();
            return true;
        }
        return QPushButton::event(e);
    }
};

// While a modal window is up: the window that had the keyboard before gets it
// back once the modal one is gone (unless the program has ended meanwhile).
class KeyboardReturns {
public:
    KeyboardReturns() : previous_(QApplication::activeWindow()) {}
    ~KeyboardReturns()
    {
        if (previous_ && previous_->isVisible() && !hasEnded())
            previous_->activateWindow();
    }
    KeyboardReturns(const KeyboardReturns&) = delete;
    KeyboardReturns& operator=(const KeyboardReturns&) = delete;

private:
    QPointer<QWidget> previous_;
};

// The top-level widget of a loaded form. Once its form lets go of it
// (`detached`) it raises no more events and waits to be deleted.
class FormWindow : public QWidget {
public:
    FormWindow(Form& form, Qt::WindowFlags flags) : QWidget(nullptr, flags), form(form) {}

    Form& form;
    bool detached = false;
    QEventLoop* modalLoop = nullptr;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return previewKey(watched, event) || QWidget::eventFilter(watched, event);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QWidget* focused = focusWidget();
        if (focused && focused->hasFocus() && dynamic_cast<PictureControl*>(focused)) {
            QPainter p(this);
            drawFocusMark(p, focused->geometry().adjusted(-1, -1, 0, 0));
        }
    }
    void closeEvent(QCloseEvent* e) override
    {
        e->accept();
        if (!detached)
            form.userClose();
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (!detached && form.unhandledKey(virtualKey(e->key()), e->isAutoRepeat()))
            return;
        QWidget::keyPressEvent(e);
    }

private:
    bool previewKey(QObject* receiver, QEvent* event)
    {
        if (event->type() != QEvent::KeyPress || detached)
            return false;
        // A key the focused control ignores travels on to its parents; the
        // preview takes each key once, where it was first delivered.
        QWidget* first = focusWidget() ? focusWidget() : this;
        if (receiver != first)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        QPointer<QObject> alive(receiver);
        const bool swallowed = form.previewKey(virtualKey(key->key()), shiftState(key->modifiers()),
                                               key->isAutoRepeat());
        // Swallowed too when the control it was meant for went away meanwhile.
        return swallowed || !alive;
    }
};

class QtWindow : public backend::Window {
public:
    explicit QtWindow(FormWindow* w) : widget(w) {}
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
        auto it = controls.find(name);
        if (it != controls.end() && it->second)
            it->second->move(it->second->x(), topPixels);
    }

    QPointer<FormWindow> widget;
    std::map<std::string, QPointer<QWidget>, std::less<>> controls;
};

QtWindow* loadedWindow(const Form& form) { return static_cast<QtWindow*>(form.loaded()); }

}  // namespace

namespace backend {

std::unique_ptr<Window> load(Form& form)
{
    // The windows go with the application object, before static destruction.
    static const bool cleanUp = (qAddPostRoutine(destroyInstances), true);
    (void)cleanUp;

    const WindowDef& def = form.definition();
    Qt::WindowFlags flags = Qt::Window;
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
    auto* w = new FormWindow(form, flags);
    auto window = std::make_unique<QtWindow>(w);
    w->setObjectName(qstr(def.name));
    w->setWindowTitle(qstr(def.caption));
    if (!def.icon.empty())
        w->setWindowIcon(QIcon(assetPath(def.icon)));
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, toColour(def.backColour, pal));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
    const QRect client = pixelRect(def.client);
    w->setFixedSize(client.size());
    w->setGeometry(client);
    w->installEventFilter(w);

    std::vector<QWidget*> windowed;
    for (const ControlDef& c : def.controls) {
        QWidget* widget = nullptr;
        QRect r = pixelRect(c.rect);
        switch (c.kind) {
        case ControlKind::Label:
            widget = new LabelControl(c, w);
            break;
        case ControlKind::CommandButton: {
            auto* b = new Button(QString::fromStdString(c.text), w);
            b->setFont(toFont(c.font));
            QObject::connect(b, &QPushButton::clicked, w, [w, name = std::string(c.name)] {
                if (!w->detached)
                    w->form.click(name);
            });
            widget = b;
            windowed.push_back(b);
            break;
        }
        case ControlKind::PictureBox:
        case ControlKind::Image: {
            auto* p = new PictureControl(c, w);
            if (!c.stretch)
                r.setSize(p->pictureSize());
            widget = p;
            if (c.kind == ControlKind::PictureBox)
                windowed.push_back(p);
            break;
        }
        case ControlKind::Line: {
            const int x1 = pixels(c.rect.left), y1 = pixels(c.rect.top);
            const int x2 = pixels(c.rect.left + c.rect.width), y2 = pixels(c.rect.top + c.rect.height);
            r = QRect(std::min(x1, x2), std::min(y1, y2), std::max(std::abs(x2 - x1), 1),
                      std::max(std::abs(y2 - y1), 1));
            widget = new LineControl(w);
            QPalette lp = widget->palette();
            lp.setColor(QPalette::WindowText, toColour(kWindowText, lp));
            widget->setPalette(lp);
            widget->setAttribute(Qt::WA_TransparentForMouseEvents);
            break;
        }
        }
        widget->setObjectName(qstr(c.name));
        widget->setGeometry(r);
        widget->installEventFilter(w);
        window->controls[std::string(c.name)] = widget;
    }
    // Buttons and picture boxes stand above the drawn controls.
    for (QWidget* x : windowed)
        x->raise();
    QWidget* previous = nullptr;
    for (const ControlDef* c : tabStops(def)) {
        QWidget* next = window->controls[std::string(c->name)];
        if (previous)
            QWidget::setTabOrder(previous, next);
        else
            next->setFocus(Qt::OtherFocusReason);
        previous = next;
    }
    return window;
}

void runModal(Form& form)
{
    const KeyboardReturns keyboardReturns;
    QtWindow* window = loadedWindow(form);
    if (!window)
        return;
    window->widget->setWindowModality(Qt::ApplicationModal);
    window->show();
    QEventLoop loop;
    window->widget->modalLoop = &loop;
    loop.exec(QEventLoop::DialogExec);
}

void quit()
{
    // A test drives the windows without an event loop.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

void errorReport(const std::string& message)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), QString::fromStdString(message),
                    QMessageBox::Ok);
    box.setObjectName("errorReport");
    const KeyboardReturns keyboardReturns;
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
    const auto* w = dynamic_cast<const FormWindow*>(window);
    return w && !w->detached ? &w->form : nullptr;
}

QWidget* control(const Form& form, std::string_view name)
{
    QtWindow* w = loadedWindow(form);
    if (!w)
        return nullptr;
    auto it = w->controls.find(name);
    return it == w->controls.end() ? nullptr : it->second.data();
}

void setUpApplication(QApplication& app)
{
    // The designs' texts break into their lines with the metrics of the
    // classic 8-point dialog font; Debian's fonts-wine has a free font with
    // those metrics, outside fontconfig's folders. Without it, a clean sans
    // serif stands in.
    // That font is drawn from pixel strikes, crisp only at its own size: on a
    // scaled screen the clean sans serif takes over.
    QString family = QStringLiteral("Liberation Sans");
    static const char kPixelFont[] = "/usr/share/wine/fonts/ms_sans_serif.ttf";
    if (app.devicePixelRatio() == 1.0 && FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(kPixelFont)))
        family = pixelFontFamily() = QStringLiteral("MS Sans Serif");
    else
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), {family, QStringLiteral("Arial")});
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    app.setPalette(app.style()->standardPalette());
    QFont font(family);
    // The stand-in runs a little wider: at 7.5 points the details still fit
    // their labels whole.
    font.setPointSizeF(family == QLatin1String("Liberation Sans") ? 7.5 : 8);
    app.setFont(font);
}

QString assetPath(std::string_view asset)
{
    const QString base = QStringLiteral(":/assets/") + qstr(asset);
    for (const char* ext : {".bmp", ".ico"})
        if (QFile::exists(base + QLatin1String(ext)))
            return base + QLatin1String(ext);
    return base;
}

int virtualKey(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;  // the same numbers
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: case Qt::Key_Backtab: return vk::Tab;
    case Qt::Key_Return: case Qt::Key_Enter: return vk::Enter;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return vk::Escape;
    case Qt::Key_Space: return vk::Space;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return vk::Up;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return vk::Down;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

}  // namespace forms
