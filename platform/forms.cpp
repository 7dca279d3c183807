#include "forms.h"

#include "textwrap.h"

#ifndef _WIN32
#include <fontconfig/fontconfig.h>
#endif

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPixmapCache>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QThread>

#include <algorithm>

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
            lines_ = wrapText(text_, width(), [&fm](const QString& s) { return fm.horizontalAdvance(s); });
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

struct Registry {
    std::map<std::string, FormFactory, std::less<>> factories;
    std::map<std::string, std::unique_ptr<Form>, std::less<>> instances;
    bool ended = false;
};

Registry& registry()
{
    static Registry r;
    return r;
}

// The windows go with the application object, before static destruction.
void destroyInstances()
{
    registry().instances.clear();
}

// While a modal window is up: the window that had the keyboard before gets it
// back once the modal one is gone (unless the program has ended meanwhile).
class KeyboardReturns {
public:
    KeyboardReturns() : previous_(QApplication::activeWindow()) {}
    ~KeyboardReturns()
    {
        if (previous_ && previous_->isVisible() && !registry().ended)
            previous_->activateWindow();
    }
    KeyboardReturns(const KeyboardReturns&) = delete;
    KeyboardReturns& operator=(const KeyboardReturns&) = delete;

private:
    QPointer<QWidget> previous_;
};

}  // namespace

// The top-level widget of a loaded form.
class FormWindow : public QWidget {
public:
    FormWindow(Form& form, Qt::WindowFlags flags) : QWidget(nullptr, flags), form_(form) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return form_.previewKey(watched, event) || QWidget::eventFilter(watched, event);
    }

protected:
    void closeEvent(QCloseEvent* e) override
    {
        e->accept();
        if (!unloading_) {
            unloading_ = true;
            form_.userClose();
        }
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        // Escape is the one way out of a window without a border or a button
        // to close it; nothing else happens on the way.
        if (e->key() == Qt::Key_Escape && !e->isAutoRepeat() && form_.definition().border == BorderStyle::None &&
            !registry().ended) {
            form_.unload();
            return;
        }
        QWidget::keyPressEvent(e);
    }

private:
    friend class Form;
    Form& form_;
    bool unloading_ = false;
};

Form::Form(WindowDef definition) : def_(std::move(definition)) {}

Form::~Form()
{
    delete window_.data();
}

void Form::load()
{
    if (window_)
        return;
    Qt::WindowFlags flags = Qt::Window;
    if (def_.border == BorderStyle::None) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint;
        if (def_.minButton)
            flags |= Qt::WindowMinimizeButtonHint;
        if (def_.maxButton)
            flags |= Qt::WindowMaximizeButtonHint;
    }
    auto* w = new FormWindow(*this, flags);
    w->setObjectName(qstr(def_.name));
    w->setWindowTitle(qstr(def_.caption));
    if (!def_.icon.empty())
        w->setWindowIcon(QIcon(assetPath(def_.icon)));
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, toColour(def_.backColour, pal));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
    const QRect client = pixelRect(def_.client);
    w->setFixedSize(client.size());
    w->setGeometry(client);
    w->installEventFilter(w);

    std::vector<std::pair<int, QWidget*>> tabOrder;
    std::vector<QWidget*> windowed;
    for (const ControlDef& c : def_.controls) {
        QWidget* widget = nullptr;
        QRect r = pixelRect(c.rect);
        switch (c.kind) {
        case ControlKind::Label:
            widget = new LabelControl(c, w);
            break;
        case ControlKind::CommandButton: {
            auto* b = new Button(QString::fromStdString(c.text), w);
            b->setFont(toFont(c.font));
            const std::string name(c.name);
            QObject::connect(b, &QPushButton::clicked, this, [this, name] { buttonClicked(name); });
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
        if (c.tabIndex >= 0 && widget->focusPolicy() != Qt::NoFocus)
            tabOrder.emplace_back(c.tabIndex, widget);
        controls_[std::string(c.name)] = Loaded{widget, float(c.rect.top)};
    }
    // Buttons and picture boxes stand above the drawn controls.
    for (QWidget* x : windowed)
        x->raise();
    std::stable_sort(tabOrder.begin(), tabOrder.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
    window_ = w;
    if (!tabOrder.empty())
        tabOrder.front().second->setFocus(Qt::OtherFocusReason);
}

void Form::show()
{
    load();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void Form::showModal()
{
    const KeyboardReturns keyboardReturns;
    load();
    window_->setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    modalLoop_ = &loop;
    if (window_)
        loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
}

void Form::unload()
{
    if (!window_)
        return;
    auto* w = static_cast<FormWindow*>(window_.data());
    window_ = nullptr;
    controls_.clear();
    w->unloading_ = true;
    w->hide();
    w->deleteLater();
    // What the style drew for this window's controls goes with them; the next
    // showing draws afresh, and the cache does not creep up with every one.
    QPixmapCache::clear();
    if (modalLoop_)
        modalLoop_->quit();
}

QWidget* Form::control(std::string_view name) const
{
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second.widget.data();
}

float Form::top(std::string_view name) const
{
    auto it = controls_.find(name);
    return it == controls_.end() ? 0.0f : it->second.top;
}

void Form::setTop(std::string_view name, float twips)
{
    auto it = controls_.find(name);
    if (it == controls_.end())
        return;
    it->second.top = twips;
    if (QWidget* w = it->second.widget)
        w->move(w->x(), pixels(twips));
}

void Form::onClick(std::string_view control, Handler handler)
{
    clicks_[std::string(control)] = std::move(handler);
}

void Form::keyDown(int&, int, bool) {}

bool Form::previewKey(QObject* receiver, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !def_.keyPreview || !window_ || registry().ended)
        return false;
    // A key the focused control ignores travels on to its parents; the
    // preview takes each key once, where it was first delivered.
    QWidget* first = window_->focusWidget() ? window_->focusWidget() : window_.data();
    if (receiver != first)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    int keycode = virtualKey(key->key());
    const int original = keycode;
    int shift = 0;
    if (key->modifiers() & Qt::ShiftModifier)
        shift |= kShiftMask;
    if (key->modifiers() & Qt::ControlModifier)
        shift |= kCtrlMask;
    if (key->modifiers() & Qt::AltModifier)
        shift |= kAltMask;
    QPointer<QObject> alive(receiver);
    keyDown(keycode, shift, key->isAutoRepeat());
    // Swallowed when the handler cleared the key, or when the control it was
    // meant for went away meanwhile.
    return (original != 0 && keycode == 0) || !alive;
}

void Form::userClose()
{
    if (registry().ended)
        return;
    unloading();
    unload();
}

void Form::buttonClicked(const std::string& name)
{
    if (registry().ended)
        return;
    auto it = clicks_.find(name);
    if (it != clicks_.end())
        it->second();
}

void registerForm(std::string_view name, FormFactory factory)
{
    registry().factories[std::string(name)] = std::move(factory);
}

Form& instance(std::string_view name)
{
    Registry& r = registry();
    auto it = r.instances.find(name);
    if (it == r.instances.end()) {
        if (r.instances.empty())
            qAddPostRoutine(destroyInstances);
        auto factory = r.factories.find(name);
        if (factory == r.factories.end())
            qFatal("no window kind named %s", std::string(name).c_str());
        it = r.instances.emplace(std::string(name), factory->second()).first;
    }
    return *it->second;
}

void showModal(std::string_view name)
{
    instance(name).showModal();
}

void end()
{
    Registry& r = registry();
    if (r.ended)
        return;
    r.ended = true;
    for (auto& [name, form] : r.instances)
        form->unload();
    // Leave the event loop, if one runs (a test drives the windows without).
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

bool hasEnded() { return registry().ended; }
void resetEnded() { registry().ended = false; }

void errorReport(const std::string& message)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(),
                    QString::fromStdString(message), QMessageBox::Ok);
    box.setObjectName("errorReport");
    const KeyboardReturns keyboardReturns;
    box.exec();
}

void setUpApplication(QApplication& app)
{
#ifdef _WIN32
    const QString family = QStringLiteral("MS Sans Serif");
#else
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
#endif
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
    case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

}  // namespace forms
