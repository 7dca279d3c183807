// The controls of the Qt backend: labels, pictures, lines and buttons as
// widgets that draw the way the window definitions describe them, and the
// application's fonts, style and pictures.
#include "controls_qt.h"

#include "pictures.h"
#include "textwrap.h"

#include <fontconfig/fontconfig.h>

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QPainter>
#include <QPushButton>
#include <QMoveEvent>
#include <QStyle>
#include <QStyleFactory>

#include <algorithm>

namespace forms {

namespace {

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

}  // namespace

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

namespace {

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
    PictureControl(const ControlDef& def, QWidget* parent) : QWidget(parent), image_(picture(assetPath(def.picture)))
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

// A command button as the runtime wants it: no default button, no shortcut
// of its own (the runtime handles access keys), the focus mark drawn over it.
class Button : public QPushButton {
public:
    Button(const QString& text, QWidget* parent) : QPushButton(text, parent)
    {
        setAutoDefault(false);
        setDefault(false);
        setShortcut(QKeySequence());
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QPushButton::paintEvent(e);
        if (hasFocus()) {
            QPainter p(this);
            drawFocusMark(p, rect().adjusted(3, 2, -4, -3));
        }
    }
};

}  // namespace

QWidget* makeControl(const ControlDef& c, QWidget* window)
{
    QWidget* widget = nullptr;
    QRect r = pixelRect(c.rect);
    switch (c.kind) {
    case ControlKind::Label:
        widget = new LabelControl(c, window);
        break;
    case ControlKind::CommandButton:
        widget = new Button(QString::fromStdString(c.text), window);
        widget->setFont(toFont(c.font));
        break;
    case ControlKind::PictureBox:
    case ControlKind::Image: {
        auto* p = new PictureControl(c, window);
        if (!c.stretch)
            r.setSize(p->pictureSize());
        widget = p;
        break;
    }
    case ControlKind::Line: {
        const int x1 = pixels(c.rect.left), y1 = pixels(c.rect.top);
        const int x2 = pixels(c.rect.left + c.rect.width), y2 = pixels(c.rect.top + c.rect.height);
        r = QRect(std::min(x1, x2), std::min(y1, y2), std::max(std::abs(x2 - x1), 1), std::max(std::abs(y2 - y1), 1));
        widget = new LineControl(window);
        QPalette lp = widget->palette();
        lp.setColor(QPalette::WindowText, toColour(kWindowText, lp));
        widget->setPalette(lp);
        widget->setAttribute(Qt::WA_TransparentForMouseEvents);
        break;
    }
    }
    widget->setObjectName(qstr(c.name));
    widget->setGeometry(r);
    return widget;
}

bool isPictureBox(const QWidget* widget)
{
    return dynamic_cast<const PictureControl*>(widget) && widget->focusPolicy() != Qt::NoFocus;
}

void setUpWindow(QWidget* window, const WindowDef& def)
{
    window->setObjectName(qstr(def.name));
    window->setWindowTitle(qstr(def.caption));
    if (!def.icon.empty())
        window->setWindowIcon(QIcon(QPixmap::fromImage(picture(assetPath(def.icon)))));
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, toColour(def.backColour, pal));
    window->setPalette(pal);
    window->setAutoFillBackground(true);
    const QRect client = pixelRect(def.client);
    window->setFixedSize(client.size());
    window->setGeometry(client);
}

namespace {

const char kPixelFont[] = "/usr/share/wine/fonts/ms_sans_serif.ttf";

// The application font: the classic dialog face, or the clean sans serif in
// its place. The stand-in runs a little wider: at 7.5 points the details still
// fit their labels whole.
void useFont(QApplication& app, bool pixelFont)
{
    QString family = QStringLiteral("Liberation Sans");
    if (pixelFont) {
        family = pixelFontFamily() = QStringLiteral("MS Sans Serif");
    } else {
        pixelFontFamily().clear();
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), {family, QStringLiteral("Arial")});
    }
    QFont font(family);
    font.setPointSizeF(pixelFont ? 8 : 7.5);
    app.setFont(font);
}

}  // namespace

void setUpApplication(QApplication& app, bool dialogFontLater)
{
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    app.setPalette(app.style()->standardPalette());
    // The designs' texts break into their lines with the metrics of the
    // classic 8-point dialog font; Debian's fonts-wine has a free font with
    // those metrics, outside fontconfig's folders. Without it, a clean sans
    // serif stands in.
    // That font is drawn from pixel strikes, crisp only at its own size: on a
    // scaled screen the clean sans serif takes over.
    const bool pixelFont = app.devicePixelRatio() == 1.0 && QFile::exists(QLatin1String(kPixelFont));
    useFont(app, pixelFont);
    if (!dialogFontLater)
        addDialogFont();
}

void addDialogFont()
{
    // Should fontconfig refuse the file, the clean sans serif takes over
    // before anything is drawn.
    if (!pixelFontFamily().isEmpty() && !FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(kPixelFont)))
        useFont(*qApp, false);
}

QString assetPath(std::string_view asset)
{
    const QString base = QStringLiteral(":/assets/") + qstr(asset);
    for (const char* ext : {".bmp", ".ico"})
        if (QFile::exists(base + QLatin1String(ext)))
            return base + QLatin1String(ext);
    return base;
}

}  // namespace forms
