// Several processes, one set of cameras: open locks, hot-plug, shared nicknames and
// network settings, camera list files and damaged state files. The second process is
// vexocam-sim, which uses the same library.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstring>

#include "CameraTestSupport.h"

using namespace cameratest;

namespace {

// vexocam-sim holding or streaming a camera until it is told to stop.
class SecondProcess {
public:
    explicit SecondProcess(const QStringList& arguments,
                           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        process.setProcessEnvironment(environment);
        process.start(simulatorProgram(), arguments);
    }
    ~SecondProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(30000);
        }
    }
    // Waits for the next line of output ("opened ..." / "streaming ..." / "result ...").
    QByteArray firstLine()
    {
        while (!process.canReadLine() && process.waitForReadyRead(30000)) {
        }
        return process.readLine().trimmed();
    }
    // Closes stdin, which ends a hold, and returns the remaining output.
    QByteArray finish()
    {
        process.closeWriteChannel();
        process.waitForFinished(30000);
        return process.readAllStandardOutput().trimmed();
    }
    QProcess process;
};

}  // namespace

class CameraProcessesTest : public QObject {
    Q_OBJECT

private slots:
    void cameraOpenElsewhere_data();
    void cameraOpenElsewhere();
    void openHereIsSeenElsewhere();
    void crashedHolderReleasesTheCamera();
    void detachWhileAnotherProcessStreams();
    void detachedStateIsShared();
    void nicknameSeenByAnotherProcess();
    void networkChangeRefusedWhileOpenElsewhere();
    void cameraListFile_data();
    void cameraListFile();
    void damagedStateFallsBackToDefaults_data();
    void damagedStateFallsBackToDefaults();
};

void CameraProcessesTest::cameraOpenElsewhere_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::newRow("GigE camera") << kGigEColour;
    QTest::newRow("USB camera") << kUsbFast;
}

void CameraProcessesTest::cameraOpenElsewhere()
{
    QFETCH(QString, identifier);
    const QByteArray id = identifier.toLatin1();
    SecondProcess holder({"hold", identifier});
    QCOMPARE(holder.firstLine(), "opened " + id);

    VexoDeviceInfo info{};
    QVERIFY(enumerationIndex(id.constData(), &info) >= 0);
    QCOMPARE(info.opened, 1);
    int handle = 0;
    QCOMPARE(SdkOpenCamera(&handle, id.constData()), VEXO_SDK_OPEN_ELSEWHERE);
    QCOMPARE(handle, 0);

    holder.finish();
    enumerationIndex(id.constData(), &info);
    QCOMPARE(info.opened, 0);
    OpenCamera camera(id.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
}

void CameraProcessesTest::openHereIsSeenElsewhere()
{
    OpenCamera camera(kGigEMono);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    SecondProcess other({"hold", kGigEMono});
    QCOMPARE(other.firstLine(), QByteArray("result -18"));
    QByteArray listing;
    QCOMPARE(runSimulator({"list"}, &listing), 0);
    const QList<QByteArray> lines = listing.split('\n');
    bool found = false;
    for (const QByteArray& line : lines)
        if (line.startsWith(kGigEMono)) {
            found = true;
            QVERIFY2(line.contains("\topen\t"), line.constData());
        }
    QVERIFY(found);
}

void CameraProcessesTest::crashedHolderReleasesTheCamera()
{
    SecondProcess holder({"hold", kUsbFocus});
    QCOMPARE(holder.firstLine(), "opened " + QByteArray(kUsbFocus));
    int handle = 0;
    QCOMPARE(SdkOpenCamera(&handle, kUsbFocus), VEXO_SDK_OPEN_ELSEWHERE);
    ::kill(pid_t(holder.process.processId()), SIGKILL);   // no chance to close anything
    QVERIFY(holder.process.waitForFinished(30000));
    OpenCamera camera(kUsbFocus);
    QCOMPARE(camera.result, VEXO_SDK_OK);
}

void CameraProcessesTest::detachWhileAnotherProcessStreams()
{
    // Streams until the detach ends it, however long the machine takes to get there.
    SecondProcess streamer({"stream", kUsbFast, "600"});
    QCOMPARE(streamer.firstLine(), "streaming " + QByteArray(kUsbFast));
    QCOMPARE(streamer.firstLine(), QByteArray("first frame"));
    QCOMPARE(runSimulator({"detach", kUsbFast}), 0);
    QVERIFY(streamer.process.waitForFinished(60000));
    const QByteArray report = streamer.process.readAllStandardOutput().trimmed();
    // Frames flowed, then the frame call failed as with an unplug, and closing worked.
    QVERIFY2(report.startsWith("frames "), report.constData());
    QVERIFY2(report.endsWith(QByteArray(" last ") + QByteArray::number(VEXO_SDK_DETACHED) + " close 0"),
             report.constData());
    QVERIFY(report.split(' ').value(1).toInt() > 0);
    QCOMPARE(runSimulator({"attach", kUsbFast}), 0);
}

void CameraProcessesTest::detachedStateIsShared()
{
    const QString node = qEnvironmentVariable("VEXOCAM_DEVICE_DIR") + "/" + kGigEMono + ".node";
    QVERIFY(QFile::exists(node));
    QCOMPARE(runSimulator({"detach", kGigEMono}), 0);
    QVERIFY(!QFile::exists(node));
    QCOMPARE(enumerationIndex(kGigEMono), -1);
    // A process started now must not plug the camera back in.
    QByteArray listing;
    QCOMPARE(runSimulator({"list"}, &listing), 0);
    QVERIFY(listing.contains(QByteArray(kGigEMono) + "\tVX-G500M\tGigE\t2592x1944 mono\tdetached"));
    QCOMPARE(runSimulator({"attach", kGigEMono}), 0);
    QVERIFY(QFile::exists(node));
    QVERIFY(enumerationIndex(kGigEMono) >= 0);
    QCOMPARE(runSimulator({"detach", "VXNOSUCHCAMERA"}), 1);
}

void CameraProcessesTest::nicknameSeenByAnotherProcess()
{
    {
        OpenCamera camera(kGigEColour);
        QCOMPARE(SdkSetDeviceNickname(camera.handle, "Line 3 left"), VEXO_SDK_OK);
    }
    QByteArray listing;
    QCOMPARE(runSimulator({"list"}, &listing), 0);
    QVERIFY2(listing.contains(QByteArray(kGigEColour) + "\t") && listing.contains("\tLine 3 left\n"),
             listing.constData());
}

void CameraProcessesTest::networkChangeRefusedWhileOpenElsewhere()
{
    VexoNetworkConfig config{};
    QCOMPARE(SdkGetNetworkConfig(kGigEMono, &config), VEXO_SDK_OK);
    std::strcpy(config.ipAddress, "172.16.5.9");
    std::strcpy(config.subnetMask, "255.255.0.0");
    std::strcpy(config.gateway, "172.16.0.1");
    {
        SecondProcess holder({"hold", kGigEMono});
        QCOMPARE(holder.firstLine(), "opened " + QByteArray(kGigEMono));
        QCOMPARE(SdkSetNetworkConfig(kGigEMono, &config), VEXO_SDK_OPEN_ELSEWHERE);
        holder.finish();
    }
    VexoNetworkConfig unchanged{};
    QCOMPARE(SdkGetNetworkConfig(kGigEMono, &unchanged), VEXO_SDK_OK);
    QVERIFY(QByteArray(unchanged.ipAddress) != "172.16.5.9");
    QCOMPARE(SdkSetNetworkConfig(kGigEMono, &config), VEXO_SDK_OK);
}

void CameraProcessesTest::cameraListFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("warning");
    QTest::addColumn<QByteArray>("message");  // part of the reason given on stderr
    const QString example = qEnvironmentVariable("VEXO_SOURCE_DIR") + "/sdk/examples/cameras.json";
    QFile file(example);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QTest::newRow("the documented example")
        << file.readAll() << QByteArray("EXAMPLE-GIGE-01\t") << false << QByteArray();
    QTest::newRow("a minimal camera")
        << QByteArray(
               R"({"cameras":[{"identifier":"MINI-1","sensorWidth":320,"sensorHeight":240}]})")
        << QByteArray("MINI-1\tMINI-1\tUSB3.0\t320x240 colour\tattached") << false << QByteArray();
    QTest::newRow("not JSON") << QByteArray("{cameras: nope") << QByteArray(kGigEColour) << true
                              << QByteArray();
    QTest::newRow("identifier with a slash")
        << QByteArray(R"({"cameras":[{"identifier":"../x","sensorWidth":320,"sensorHeight":240}]})")
        << QByteArray(kGigEColour) << true << QByteArray("identifier");
    auto preset = [](const char* fields) {
        return QByteArray(
                   R"({"cameras":[{"identifier":"A","sensorWidth":320,"sensorHeight":240,"resolutions":[)") +
               fields + "]}]}";
    };
    QTest::newRow("preset off the sensor")
        << preset(R"({"name":"big","width":640,"height":480})") << QByteArray(kGigEColour) << true
        << QByteArray("\"big\" must lie");
    QTest::newRow("preset offset that overflows an int")
        << preset(R"({"name":"far","offsetX":2147483000,"width":2000,"height":240})")
        << QByteArray(kGigEColour) << true << QByteArray("\"far\" must lie");
    QTest::newRow("preset width past any int")
        << preset(R"({"name":"wide","width":4294967616,"height":240})") << QByteArray(kGigEColour)
        << true << QByteArray("width must be");
    QTest::newRow("preset width a fraction")
        << preset(R"({"name":"half","width":160.5,"height":240})") << QByteArray(kGigEColour)
        << true << QByteArray("width must be a whole number");
    QTest::newRow("preset smaller than a region may be")
        << preset(R"({"name":"tiny","width":8,"height":8})") << QByteArray(kGigEColour) << true
        << QByteArray("at least 16 pixels");
    QTest::newRow("preset of the smallest region size")
        << preset(R"({"name":"small","width":16,"height":16,"binning":2})")
        << QByteArray("A\tA\tUSB3.0") << false << QByteArray();
    QTest::newRow("preset name filling the descriptor's 48 bytes")
        << preset((R"({"name":")" + QByteArray(48, 'n') + R"(","width":320,"height":240})")
                      .constData())
        << QByteArray("A\tA\tUSB3.0") << false << QByteArray();
    QTest::newRow("preset name longer than the descriptor holds")
        << preset((R"({"name":")" + QByteArray(49, 'n') + R"(","width":320,"height":240})")
                      .constData())
        << QByteArray(kGigEColour) << true << QByteArray("limited to 48 bytes");
    QTest::newRow("sensor width as text")
        << QByteArray(R"({"cameras":[{"identifier":"T","sensorWidth":"640","sensorHeight":480}]})")
        << QByteArray(kGigEColour) << true << QByteArray("sensorWidth must be a whole number");
    QTest::newRow("exposure step beyond reason")
        << QByteArray(
               R"({"cameras":[{"identifier":"E","sensorWidth":640,"sensorHeight":480,"exposureStepUs":1e300}]})")
        << QByteArray(kGigEColour) << true << QByteArray("exposure step");
    auto camera = [](const char* fields) {
        return QByteArray(
                   R"({"cameras":[{"identifier":"N","sensorWidth":640,"sensorHeight":480,)") +
               fields + "}]}";
    };
    QTest::newRow("frame rate too small to be real")
        << camera(R"("maxFramesPerSecond":1e-300)") << QByteArray(kGigEColour) << true
        << QByteArray("maxFramesPerSecond must be 0.1 .. 2000");
    QTest::newRow("the slowest frame rate") << camera(R"("maxFramesPerSecond":0.1)")
                                            << QByteArray("N\tN\tUSB3.0") << false << QByteArray();
    QTest::newRow("exposure longer than frame records hold")
        << camera(R"("exposureStepUs":1000000,"exposureMaxSteps":2147483647)")
        << QByteArray(kGigEColour) << true << QByteArray("the longest exposure");
    QTest::newRow("the longest exposure frame records hold")
        << camera(R"("exposureStepUs":1,"exposureMaxSteps":2147483647)")
        << QByteArray("N\tN\tUSB3.0") << false << QByteArray();
    QTest::newRow("focus range past any int")
        << camera(R"("focus":{"min":-2147483647,"max":2147483647})") << QByteArray(kGigEColour)
        << true << QByteArray("focus range (max - min)");
    QTest::newRow("long identifier without a product name")
        << QByteArray(
               R"({"cameras":[{"identifier":"LONG-IDENTIFIER-0123456789ABCDEF","sensorWidth":320,)"
               R"("sensorHeight":240}]})")
        << QByteArray(kGigEColour) << true << QByteArray("productName is missing");
    QTest::newRow("long identifier with a product name")
        << QByteArray(
               R"({"cameras":[{"identifier":"LONG-IDENTIFIER-0123456789ABCDEF","productName":"VX-L",)"
               R"("sensorWidth":320,"sensorHeight":240}]})")
        << QByteArray("LONG-IDENTIFIER-0123456789ABCDEF\tVX-L\t") << false << QByteArray();
}

void CameraProcessesTest::cameraListFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, expected);
    QFETCH(bool, warning);
    QFETCH(QByteArray, message);
    QTemporaryDir dir;
    QFile list(dir.filePath("cameras.json"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write(content);
    list.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VEXOCAM_CAMERAS", list.fileName());
    environment.insert("VEXOCAM_DEVICE_DIR", dir.filePath("devices"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(simulatorProgram(), {"list"});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    const QByteArray output = process.readAllStandardOutput();
    QVERIFY2(output.contains(expected), output.constData());
    const QByteArray errors = process.readAllStandardError();
    QCOMPARE(errors.contains("using the built-in cameras"), warning);
    QVERIFY2(errors.contains(message), errors.constData());
}

void CameraProcessesTest::damagedStateFallsBackToDefaults_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("cut-off JSON") << QByteArray(R"({"nickname": "half)");
    QTest::newRow("wrong types") << QByteArray(R"({"nickname": 12, "firmwareVersion": "x", "network": 5})");
    QTest::newRow("binary noise") << QByteArray("\x00\xff\x13\x37garbage", 11);
    QTest::newRow("a list instead of an object") << QByteArray("[1,2,3]");
}

void CameraProcessesTest::damagedStateFallsBackToDefaults()
{
    QFETCH(QByteArray, content);
    const QString folder = qEnvironmentVariable("VEXOCAM_STATE_DIR") + "/cameras";
    QVERIFY(QDir().mkpath(folder));
    QFile state(folder + "/" + kUsbFocus + ".json");
    QVERIFY(state.open(QIODevice::WriteOnly | QIODevice::Truncate));
    state.write(content);
    state.close();

    VexoDeviceInfo info{};
    QVERIFY(enumerationIndex(kUsbFocus, &info) >= 0);
    QCOMPARE(QByteArray(info.deviceName), QByteArray("USB focus 4-channel"));
    QCOMPARE(info.firmwareVersion, uint16_t(0x2010));
    OpenCamera camera(kUsbFocus);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    // Writing replaces the damaged file with a good one.
    QCOMPARE(SdkSetDeviceNickname(camera.handle, "repaired"), VEXO_SDK_OK);
    enumerationIndex(kUsbFocus, &info);
    QCOMPARE(QByteArray(info.deviceName), QByteArray("repaired"));
    QFile::remove(state.fileName());
}

QTEST_GUILESS_MAIN(CameraProcessesTest)
#include "tst_cameraprocesses.moc"
