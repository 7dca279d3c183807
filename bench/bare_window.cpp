// The reference window: what Qt Widgets costs for a window of the main menu's
// size with six labels and one button, and nothing else.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(312, 374);
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(QStringLiteral("Title %1").arg(i + 1), &window);
        label->setGeometry(32, 8 + 56 * i, 240, 17);
    }
    auto* button = new QPushButton(QStringLiteral("E&xit"), &window);
    button->setGeometry(208, 336, 81, 33);
    QObject::connect(button, &QPushButton::clicked, &app, &QApplication::quit);
    window.show();
    return app.exec();
}
