#include "window_qt.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace standin {

namespace {

// Width of the longest piece of text a label cannot wrap inside. Word wrap
// breaks at blanks and after '/', so a long path is the usual culprit.
int widestUnbreakable(const QString &text, const QFont &font)
{
    static const QRegularExpression breaks(QStringLiteral("(?<=/)|\\s+"));
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString &piece : text.split(breaks, Qt::SkipEmptyParts))
        widest = std::max(widest, metrics.horizontalAdvance(piece));
    return widest;
}

} // namespace

Window::Window(const std::vector<Line> &lines, QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setFocusPolicy(Qt::StrongFocus);
    const QFontMetrics body(font());
    const int margin = body.height();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int most = (screen ? screen->availableGeometry().width() * 9 / 10 : 960) - 2 * margin;

    // The lines' width: the longest line, up to about 60 characters, and no
    // narrower than its longest path; within the screen.
    QList<QLabel *> labels;
    int width = 0;
    for (const Line &line : lines) {
        auto *label = new QLabel(QString::fromStdString(line.text), this);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        QFont face = font();
        face.setPointSizeF(QFontInfo(face).pointSizeF() * (line.tone == Tone::Asked ? 1.5 : 1));
        face.setBold(line.tone == Tone::Asked || line.tone == Tone::Problem);
        label->setFont(face);
        if (line.tone == Tone::Hint)
            label->setForegroundRole(QPalette::PlaceholderText);
        const QFontMetrics metrics(face);
        width = std::max({width, std::min(metrics.horizontalAdvance(label->text()), 60 * metrics.averageCharWidth()),
                          widestUnbreakable(label->text(), face)});
        labels.append(label);
    }
    width = std::min(width, most);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(margin / 2);
    for (QLabel *label : std::as_const(labels)) {
        // A path wider than the screen: its line gets a smaller face.
        QFont face = label->font();
        while (face.pointSizeF() > 6 && widestUnbreakable(label->text(), face) > width)
            face.setPointSizeF(face.pointSizeF() - 0.5);
        label->setFont(face);
        label->setFixedSize(width, label->heightForWidth(width));
        layout->addWidget(label);
    }
    setFixedSize(layout->sizeHint());
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
