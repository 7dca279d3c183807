// The stand-in's window on Linux (Qt Widgets): its lines, at the width they
// read best in, and no larger. Escape or a click closes it.
#pragma once

#include "standin.h"

#include <QWidget>

namespace standin {

class Window : public QWidget {
public:
    explicit Window(const std::vector<Line> &lines, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
};

} // namespace standin
