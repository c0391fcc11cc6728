#include <QApplication>

#include "VexoCam.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    VexoCam window;
    window.show();
    return app.exec();
}
