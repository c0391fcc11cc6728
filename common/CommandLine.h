#pragma once
#include <QString>
#include <QStringList>
#include <cstdio>

// The command line the three programs answer before anything else starts: no window, no
// settings file, no camera library. The texts are English, as command-line output of
// desktop programs usually is; the interface's language lives in Config.ini, which a
// program asked for its help must not read.
namespace suite {

enum class CommandLineRequest { Run, Help, Version };

// What the arguments (without the program name) ask for. "--help", "-h" and "--version"
// are answered, the first of them wins; nothing after "--" is an option. Every other
// argument is left to the program and to Qt ("-platform offscreen", "-style ...").
CommandLineRequest commandLineRequest(const QStringList& arguments);

struct ProgramDescription {
    QString name;             // the executable's name, "Prismora"
    QString purpose;          // a paragraph; lines are kept as written
    QStringList environment;  // the variables the program reads, in the order shown
};

// The variables a program of the suite reads through the camera library and the shared
// settings, in the order help shows them. VEXOCAM_NETWORK_INTERFACE only with
// withNetworkInterface: only the programs that show GigE network settings read it.
QStringList suiteEnvironment(bool withNetworkInterface);

// "Usage: ...", the purpose, the options and each named environment variable with its
// meaning.
QString helpText(const ProgramDescription& program);
// programName + " " + version, one line.
QString versionText(const QString& programName, const QString& version);
// The suite's version, the project version the build and the package carry.
QString suiteVersion();

// For main(): answers a help or version request on output and returns the exit code (1
// when the text could not be written, with a message on error), or -1 when the program
// should start.
int answerCommandLine(int argc, const char* const argv[], const ProgramDescription& program,
                      std::FILE* output = stdout, std::FILE* error = stderr);

}  // namespace suite
