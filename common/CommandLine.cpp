#include "CommandLine.h"

#include <QByteArray>
#include <QtGlobal>

namespace suite {

namespace {

struct EnvironmentVariable {
    const char* name;
    const char* meaning;  // lines after the first are indented under the first
};

// Every variable a program of the suite reads; each program names its own.
const EnvironmentVariable kEnvironment[] = {
    {"VEXOCAM_BACKENDS",
     "camera backends, comma-separated: simulated,\n"
     "aravis, aravis-fake (unset: simulated)"},
    {"VEXOCAM_CAMERAS",
     "a JSON camera list replacing the built-in\n"
     "simulated cameras"},
    {"VEXOCAM_STATE_DIR",
     "per-user camera state: nicknames, network\n"
     "settings, firmware, parameter groups\n"
     "(default: $XDG_DATA_HOME/VexoConfig)"},
    {"VEXOCAM_DEVICE_DIR",
     "device nodes of attached cameras, watched for\n"
     "hot-plug (default: $XDG_RUNTIME_DIR/vexocam)"},
    {"VEXOCAM_NETWORK_INTERFACE",
     "the network interface GigE cameras are seen\n"
     "through (default: the first running\n"
     "non-loopback IPv4 interface)"},
    {"XDG_DATA_HOME",
     "holds Config.ini, the settings the three\n"
     "programs share (default: ~/.local/share)"},
    {"XDG_RUNTIME_DIR", "holds the default device node folder"},
};

// Wide enough for the longest name and two blanks; the meanings are wrapped to keep
// every line within 80 columns.
constexpr int kNameColumnWidth = 30;

const char* meaningOf(const QString& name)
{
    for (const EnvironmentVariable& variable : kEnvironment) {
        if (name == QLatin1String(variable.name))
            return variable.meaning;
    }
    Q_ASSERT_X(false, "helpText", "a variable without a meaning in kEnvironment");
    return "";
}

void appendEntry(QString& text, const QString& name, const QString& meaning)
{
    const QString indent(kNameColumnWidth, QLatin1Char(' '));
    text += (QStringLiteral("  ") + name).leftJustified(kNameColumnWidth);
    const QStringList lines = meaning.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i)
        text += (i == 0 ? QString() : indent) + lines[i] + QLatin1Char('\n');
}

}  // namespace

CommandLineRequest commandLineRequest(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            return CommandLineRequest::Help;
        if (argument == QLatin1String("--version"))
            return CommandLineRequest::Version;
    }
    return CommandLineRequest::Run;
}

QStringList suiteEnvironment(bool withNetworkInterface)
{
    QStringList names;
    for (const EnvironmentVariable& variable : kEnvironment) {
        const QString name = QString::fromLatin1(variable.name);
        if (withNetworkInterface || name != QLatin1String("VEXOCAM_NETWORK_INTERFACE"))
            names << name;
    }
    return names;
}

QString helpText(const ProgramDescription& program)
{
    QString text = QStringLiteral("Usage: %1 [--help] [--version]\n\n").arg(program.name);
    text += program.purpose;
    if (!text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    text += QStringLiteral("\nOptions:\n");
    appendEntry(text, QStringLiteral("-h, --help"), QStringLiteral("show this help and exit"));
    appendEntry(text, QStringLiteral("--version"),
                QStringLiteral("show the version of the suite and exit"));
    text += QStringLiteral("Other arguments go to Qt, for example -platform offscreen.\n");
    if (!program.environment.isEmpty()) {
        text += QStringLiteral("\nEnvironment:\n");
        for (const QString& name : program.environment)
            appendEntry(text, name, QString::fromUtf8(meaningOf(name)));
    }
    return text;
}

QString versionText(const QString& programName, const QString& version)
{
    return programName + QLatin1Char(' ') + version + QLatin1Char('\n');
}

QString suiteVersion()
{
    return QStringLiteral(VEXO_SUITE_VERSION);
}

int answerCommandLine(int argc, const char* const argv[], const ProgramDescription& program,
                      std::FILE* output, std::FILE* error)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QString text;
    switch (commandLineRequest(arguments)) {
        case CommandLineRequest::Run:
            return -1;
        case CommandLineRequest::Help:
            text = helpText(program);
            break;
        case CommandLineRequest::Version:
            text = versionText(program.name, suiteVersion());
            break;
    }
    const QByteArray bytes = text.toLocal8Bit();
    const bool written =
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), output) == size_t(bytes.size()) &&
        std::fflush(output) == 0;
    if (written)
        return 0;
    std::fprintf(error, "%s: cannot write to standard output\n", qPrintable(program.name));
    return 1;
}

}  // namespace suite
