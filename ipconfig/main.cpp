#include <QApplication>
#include <QIcon>

#include "Addrwright.h"
#include "CommandLine.h"

namespace {

suite::ProgramDescription description()
{
    return {QStringLiteral("Addrwright"),
            QStringLiteral(
                "Addrwright, the IP configuration tool of the suite: lists the GigE cameras\n"
                "with their network settings, changes a camera's IP address, subnet mask and\n"
                "gateway (static or DHCP) and renames cameras."),
            suite::suiteEnvironment(true)};
}

}  // namespace

int main(int argc, char* argv[])
{
    // Answered before the settings file, the camera library or a display is touched.
    if (const int exitCode = suite::answerCommandLine(argc, argv, description()); exitCode >= 0)
        return exitCode;
    QApplication app(argc, argv);
    Addrwright window;
    window.setWindowIcon(QIcon(QStringLiteral(":/images/ICO/Addrwright.png")));
    window.show();
    return app.exec();
}
