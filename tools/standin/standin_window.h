#pragma once

#include "standin_core.h"

#include <QList>
#include <QWidget>

class QLabel;

namespace standin {

// Full-screen notice of what the stand-in was asked to play. Escape or any
// mouse click closes it.
class Window : public QWidget {
public:
    explicit Window(const Screen &screen, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Line {
        QLabel *label;
        int pixelSize; // preferred size; shrunk when a path would not fit
    };

    void addLine(const char *name, const QString &text, int pixelSize, QColor colour);
    void fitLines();

    QList<Line> m_lines;
    int m_margin = 0;
};

} // namespace standin
