#include <QApplication>

#include "CommandLine.h"
#include "SettingsStore.h"
#include "VexoCam.h"

namespace {

suite::ProgramDescription description()
{
    return {QStringLiteral("Prismora"),
            QStringLiteral(
                "Prismora, the camera viewer of the suite: live images of GigE Vision, USB3\n"
                "Vision and simulated cameras in up to nine windows, the cameras' parameters,\n"
                "pictures, recordings and a histogram. It starts Addrwright and Flashmere from\n"
                "its menus."),
            suite::suiteEnvironment(true)};
}

}  // namespace

int main(int argc, char* argv[])
{
    // Answered before the settings file, the camera library or a display is touched.
    if (const int exitCode = suite::answerCommandLine(argc, argv, description()); exitCode >= 0)
        return exitCode;
    // The settings file is opened before the application object exists, as the two tools
    // expect to find it (see settingsStore()).
    settingsStore();
    QApplication app(argc, argv);
    VexoCam window;
    window.show();
    return app.exec();
}
