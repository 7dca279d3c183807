// PLAYDECK starts into its main menu and runs on window events until it ends.
#include "app.h"
#include "forms.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("PLAYDECK"));
    forms::setUpApplication(app);
    ui::registerWindows();
    forms::instance("Form1").show();
    return app.exec();
}
