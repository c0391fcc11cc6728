#include <QApplication>
#include <QIcon>

#include "Flashmere.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    Flashmere window;
    window.setWindowIcon(QIcon(QStringLiteral(":/images/ICO/Flashmere.png")));
    window.show();
    return app.exec();
}
