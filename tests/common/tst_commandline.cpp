#include <QRegularExpression>
#include <QtTest>
#include <cstdio>

#include "CommandLine.h"

using suite::CommandLineRequest;

Q_DECLARE_METATYPE(CommandLineRequest)

namespace {

QByteArray readBack(std::FILE* file)
{
    std::rewind(file);
    QByteArray bytes;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, int(n));
    return bytes;
}

suite::ProgramDescription camerasOnly()
{
    return {QStringLiteral("Prismora"),
            QStringLiteral("Shows cameras.\nAnd records them."),
            {QStringLiteral("VEXOCAM_CAMERAS"), QStringLiteral("VEXOCAM_NETWORK_INTERFACE"),
             QStringLiteral("VEXOCAM_BACKENDS")}};
}

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void request_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLineRequest>("expected");
        QTest::newRow("no arguments") << QStringList() << CommandLineRequest::Run;
        QTest::newRow("long help") << QStringList{"--help"} << CommandLineRequest::Help;
        QTest::newRow("short help") << QStringList{"-h"} << CommandLineRequest::Help;
        QTest::newRow("version") << QStringList{"--version"} << CommandLineRequest::Version;
        QTest::newRow("first request wins")
            << QStringList{"--version", "--help"} << CommandLineRequest::Version;
        QTest::newRow("after Qt's options")
            << QStringList{"-platform", "offscreen", "--help"} << CommandLineRequest::Help;
        QTest::newRow("Qt's options alone")
            << QStringList{"-platform", "offscreen", "-style", "fusion"} << CommandLineRequest::Run;
        QTest::newRow("after the end of options")
            << QStringList{"--", "--help"} << CommandLineRequest::Run;
        QTest::newRow("prefix of an option") << QStringList{"--he"} << CommandLineRequest::Run;
        QTest::newRow("longer than an option")
            << QStringList{"--helpme", "--version=2"} << CommandLineRequest::Run;
        QTest::newRow("other case") << QStringList{"--HELP", "-V"} << CommandLineRequest::Run;
        QTest::newRow("single-dash long option")
            << QStringList{"-version"} << CommandLineRequest::Run;
    }
    void request()
    {
        QFETCH(QStringList, arguments);
        QFETCH(CommandLineRequest, expected);
        QCOMPARE(suite::commandLineRequest(arguments), expected);
    }

    void helpListsTheProgramsOwnVariablesInItsOrder()
    {
        const QString text = suite::helpText(camerasOnly());
        QVERIFY(
            text.startsWith("Usage: Prismora [--help] [--version]\n\nShows cameras.\nAnd "
                            "records them.\n\nOptions:\n"));
        QVERIFY(text.contains(QRegularExpression("\n  -h, --help +show this help and exit\n")));
        QVERIFY(text.contains(QRegularExpression("\n  --version +show the version")));

        const int cameras = text.indexOf("\n  VEXOCAM_CAMERAS ");
        const int network = text.indexOf("\n  VEXOCAM_NETWORK_INTERFACE ");
        const int backends = text.indexOf("\n  VEXOCAM_BACKENDS ");
        QVERIFY(text.indexOf("\nEnvironment:\n") < cameras);
        QVERIFY(cameras > 0 && cameras < network && network < backends);
        QVERIFY(text.contains("JSON camera list"));
        QVERIFY(text.contains("aravis-fake"));
        QVERIFY(!text.contains("VEXOCAM_STATE_DIR"));
        QVERIFY(!text.contains("XDG_DATA_HOME "));

        // Meanings start in one column and their further lines stay in it; nothing is
        // wider than a terminal.
        const QStringList lines = text.split('\n');
        const int column =
            lines.filter(QRegularExpression("^  VEXOCAM_CAMERAS")).first().indexOf("a JSON");
        QVERIFY(column > int(qstrlen("  VEXOCAM_NETWORK_INTERFACE")));
        const int backendLine = lines.indexOf(QRegularExpression("^  VEXOCAM_BACKENDS .*"));
        QCOMPARE(lines[backendLine].indexOf("camera backends"), column);
        QCOMPARE(lines[backendLine + 1].indexOf(QRegularExpression("\\S")), column);
        for (const QString& line : lines)
            QVERIFY2(line.size() <= 80, qPrintable(line));
    }

    // Every variable of the suite has a meaning in help; the network interface is only
    // listed for the programs that read it.
    void suiteVariables_data()
    {
        QTest::addColumn<bool>("withNetworkInterface");
        QTest::newRow("GigE network settings") << true;
        QTest::newRow("no network settings") << false;
    }
    void suiteVariables()
    {
        QFETCH(bool, withNetworkInterface);
        const QStringList names = suite::suiteEnvironment(withNetworkInterface);
        for (const char* name : {"VEXOCAM_BACKENDS", "VEXOCAM_CAMERAS", "VEXOCAM_STATE_DIR",
                                 "VEXOCAM_DEVICE_DIR", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
            QVERIFY2(names.contains(name), name);
        QCOMPARE(names.contains("VEXOCAM_NETWORK_INTERFACE"), withNetworkInterface);
        const QString text = suite::helpText({QStringLiteral("Tool"), QString(), names});
        for (const QString& name : names)
            QVERIFY2(text.contains(QRegularExpression("\\n  " + name + " +\\S")), qPrintable(name));
    }

    void helpWithoutVariables()
    {
        const QString text = suite::helpText({QStringLiteral("Tool"), QStringLiteral("Does."), {}});
        QVERIFY(text.startsWith("Usage: Tool "));
        QVERIFY(!text.contains("Environment:"));
        QVERIFY(text.endsWith("\n"));
    }

    void versionIsTheSuitesOwn()
    {
        QVERIFY(QRegularExpression("^\\d+\\.\\d+\\.\\d+$").match(suite::suiteVersion()).hasMatch());
        QCOMPARE(suite::versionText("Flashmere", "1.3.0"), QString("Flashmere 1.3.0\n"));
    }

    void answer_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const QString help = suite::helpText(camerasOnly());
        const QString version = suite::versionText("Prismora", suite::suiteVersion());
        QTest::newRow("program starts") << QStringList{"-platform", "xcb"} << -1 << QString();
        QTest::newRow("help") << QStringList{"--help"} << 0 << help;
        QTest::newRow("version") << QStringList{"--version"} << 0 << version;
        QTest::newRow("help after Qt's options")
            << QStringList{"-style", "fusion", "-h"} << 0 << help;
    }
    void answer()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QList<QByteArray> bytes{"/usr/bin/Prismora"};
        for (const QString& argument : arguments)
            bytes << argument.toLocal8Bit();
        std::vector<const char*> argv;
        for (const QByteArray& each : bytes)
            argv.push_back(each.constData());

        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        QVERIFY(out && err);
        QCOMPARE(suite::answerCommandLine(int(argv.size()), argv.data(), camerasOnly(), out, err),
                 exitCode);
        QCOMPARE(QString::fromLocal8Bit(readBack(out)), output);
        QCOMPARE(readBack(err), QByteArray());
        std::fclose(out);
        std::fclose(err);
    }

    void answerThatCannotBeWrittenFails()
    {
        std::FILE* full = std::fopen("/dev/full", "w");
        if (!full)
            QSKIP("no /dev/full here");
        std::FILE* err = std::tmpfile();
        const char* argv[] = {"Addrwright", "--help"};
        QCOMPARE(suite::answerCommandLine(2, argv, camerasOnly(), full, err), 1);
        QCOMPARE(readBack(err), QByteArray("Prismora: cannot write to standard output\n"));
        std::fclose(full);
        std::fclose(err);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
