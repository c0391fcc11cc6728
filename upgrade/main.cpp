#include <QApplication>
#include <QIcon>

#include "CommandLine.h"
#include "Flashmere.h"

namespace {

suite::ProgramDescription description()
{
    return {
        QStringLiteral("Flashmere"),
        QStringLiteral("Flashmere, the firmware upgrade tool of the suite: lists the cameras and\n"
                       "writes a firmware upgrade file (*.upg) into the chosen camera."),
        suite::suiteEnvironment(false)};
}

}  // namespace

int main(int argc, char* argv[])
{
    // Answered before the settings file, the camera library or a display is touched.
    if (const int exitCode = suite::answerCommandLine(argc, argv, description()); exitCode >= 0)
        return exitCode;
    QApplication app(argc, argv);
    Flashmere window;
    window.setWindowIcon(QIcon(QStringLiteral(":/images/ICO/Flashmere.png")));
    window.show();
    return app.exec();
}
