// Idle cameras cost nothing: nine started cameras waiting for software or hardware
// triggers must not spin. Measured as the process's CPU time over a couple of seconds (a
// loaded machine lengthens wall time, not the CPU time an idle process spends); a
// producer that wakes every few milliseconds to look for work spends tens of
// milliseconds per second here.
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

#include <chrono>
#include <thread>

#include "CameraTestSupport.h"

using namespace cameratest;

namespace {

constexpr int kCameras = 9;

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

QByteArray identifier(int index)
{
    return "IDLE-" + QByteArray::number(index);
}

}  // namespace

class CameraIdleTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void idleCamerasCostNoCpu_data();
    void idleCamerasCostNoCpu();

private:
    QTemporaryDir folder;
};

void CameraIdleTest::initTestCase()
{
    // Nine small cameras, set before the library's first call reads the camera list.
    QVERIFY(folder.isValid());
    QByteArray list = "[";
    for (int i = 0; i < kCameras; ++i)
        list += QByteArray(i ? "," : "") + "{\"identifier\":\"" + identifier(i) +
                "\",\"productName\":\"VX-IDLE\",\"sensorWidth\":640,\"sensorHeight\":480,"
                "\"inputLines\":1}";
    list += "]";
    QFile file(folder.filePath("cameras.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(list);
    file.close();
    qputenv("VEXOCAM_CAMERAS", QFile::encodeName(file.fileName()));
    int count = 0;
    QCOMPARE(SdkEnumerateDevices(&count), VEXO_SDK_OK);
    QCOMPARE(count, kCameras);
}

void CameraIdleTest::idleCamerasCostNoCpu_data()
{
    QTest::addColumn<int>("triggerMode");
    QTest::newRow("software trigger") << 1;
    QTest::newRow("hardware trigger") << 2;
}

void CameraIdleTest::idleCamerasCostNoCpu()
{
    QFETCH(int, triggerMode);
    std::vector<std::unique_ptr<OpenCamera>> cameras;
    for (int i = 0; i < kCameras; ++i) {
        cameras.push_back(std::make_unique<OpenCamera>(identifier(i).constData()));
        const int handle = cameras.back()->handle;
        QCOMPARE(cameras.back()->result, VEXO_SDK_OK);
        QCOMPARE(SdkSetTriggerMode(handle, triggerMode), VEXO_SDK_OK);
        QCOMPARE(SdkStartAcquisition(handle), VEXO_SDK_OK);
    }
    // Nothing comes without a trigger (this also lets start-up work settle).
    for (const auto& camera : cameras) {
        uint32_t token = 0;
        QCOMPARE(SdkGetFrame(camera->handle, &token, 100), VEXO_SDK_TIMEOUT);
    }

    const double cpuBefore = processCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double cpu = processCpuSeconds() - cpuBefore;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const QString figures = QString("%1 ms CPU in %2 s with %3 idle cameras")
                                .arg(cpu * 1000, 0, 'f', 1)
                                .arg(wall, 0, 'f', 2)
                                .arg(kCameras);
    qInfo("%s", qPrintable(figures));
    QVERIFY2(cpu < 0.025, qPrintable(figures));

    // Idle, not dead: every camera still answers its trigger.
    for (int i = 0; i < kCameras; ++i) {
        const int handle = cameras[size_t(i)]->handle;
        if (triggerMode == 1)
            QCOMPARE(SdkSoftwareTriggerOnce(handle), VEXO_SDK_OK);
        else
            QCOMPARE(runSimulator({"pulse", QString::fromLatin1(identifier(i)), "0"}), 0);
        ProcessedFrame frame = takeFrame(handle, 30000);
        QCOMPARE(frame.result, VEXO_SDK_OK);
    }
}

QTEST_GUILESS_MAIN(CameraIdleTest)
#include "tst_cameraidle.moc"
