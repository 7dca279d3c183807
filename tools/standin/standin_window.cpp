#include "standin_window.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QVBoxLayout>

namespace standin {

namespace {

// Width of the longest piece of text the label cannot wrap inside. Word wrap
// breaks at spaces and after '/', so a long file name is the usual culprit.
int widestUnbreakable(const QString &text, const QFont &font)
{
    static const QRegularExpression breaks(QStringLiteral("(?<=/)|\\s+"));
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString &piece : text.split(breaks, Qt::SkipEmptyParts))
        widest = qMax(widest, metrics.horizontalAdvance(piece));
    return widest;
}

} // namespace

Window::Window(const Screen &screen, QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("PLAYDECK stand-in emulator"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x14, 0x16, 0x1c));
    setPalette(pal);

    // Text scales with the screen so it stays readable from across the room.
    const QScreen *display = QGuiApplication::primaryScreen();
    const int unit = display ? qMax(12, display->availableGeometry().height() / 40) : 20;
    m_margin = unit * 3;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(m_margin, unit * 2, m_margin, unit * 2);
    layout->setSpacing(unit);
    layout->addStretch(3);
    addLine("title", windowTitle().toUpper(), unit, QColor(0x6f, 0x7a, 0x8c));
    layout->addSpacing(unit);
    addLine("asked", screen.asked, unit * 2, QColor(0xf2, 0xf4, 0xf8));
    addLine("path", screen.path, unit, QColor(0xaa, 0xb3, 0xc2));
    addLine("emulator", screen.emulator, unit, QColor(0xaa, 0xb3, 0xc2));
    layout->addSpacing(unit);
    addLine("problem", screen.problem, unit * 3 / 2, QColor(0xff, 0xb3, 0x47));
    addLine("advice", screen.advice, unit, QColor(0xf2, 0xf4, 0xf8));
    layout->addStretch(4);
    addLine("hint", screen.hint, unit, QColor(0x6f, 0x7a, 0x8c));
    fitLines();
}

void Window::addLine(const char *name, const QString &text, int pixelSize, QColor colour)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
    label->setVisible(!text.isEmpty());
    static_cast<QVBoxLayout *>(layout())->addWidget(label);
    m_lines.append({label, pixelSize});
}

void Window::fitLines()
{
    const int available = qMax(1, width() - 2 * m_margin);
    for (const Line &line : std::as_const(m_lines)) {
        QFont font = line.label->font();
        int size = line.pixelSize;
        font.setPixelSize(size);
        while (size > 10 && widestUnbreakable(line.label->text(), font) > available)
            font.setPixelSize(--size);
        line.label->setFont(font);
    }
}

void Window::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitLines();
}

void Window::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Window::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    close();
}

} // namespace standin
