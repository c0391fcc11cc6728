#include <QApplication>
#include <QIcon>
#include <QLabel>

#include "SuiteEnvironment.h"

// The firmware upgrade tool starts with the shared language and shows its window; the
// camera table and the upgrade worker join it as they are built.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel window;
    suite::installToolLanguage(&window, QStringLiteral("Flashmere"));
    window.setWindowTitle(QCoreApplication::translate("Flashmere", "升级"));
    window.setWindowIcon(QIcon(QStringLiteral(":/images/ICO/Flashmere.png")));
    window.show();
    return app.exec();
}
