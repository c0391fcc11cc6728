#include <QApplication>
#include <QIcon>
#include <QLabel>

#include "SuiteEnvironment.h"

// The IP configuration tool starts with the shared language and shows its window; the
// device list and the address dialog join it as they are built.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel window;
    suite::installToolLanguage(&window, QStringLiteral("Addrwright"));
    window.setWindowTitle(QCoreApplication::translate("Addrwright", "IP配置工具"));
    window.setWindowIcon(QIcon(QStringLiteral(":/images/ICO/Addrwright.png")));
    window.resize(1237, 493);
    window.show();
    return app.exec();
}
