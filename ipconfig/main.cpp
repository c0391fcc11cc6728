#include <QApplication>
#include <QIcon>

#include "Addrwright.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    Addrwright window;
    window.setWindowIcon(QIcon(QStringLiteral(":/images/ICO/Addrwright.png")));
    window.show();
    return app.exec();
}
