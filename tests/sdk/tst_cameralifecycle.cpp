// The life of a camera handle beyond open and close: unplugged and plugged in again while
// open (the handle resumes by itself), and closed while its firmware is being written (the
// camera stays locked until the write has ended). The second process is vexocam-sim.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "CameraTestSupport.h"

using namespace cameratest;

namespace {

// Generous: conditions are waited for, never timed.
constexpr int kDeadlineMs = 30000;

// Calls frame until it returns `wanted` (releasing any frame it gets) or the deadline.
int frameResultBecomes(int handle, int wanted, bool grab = false)
{
    QElapsedTimer timer;
    timer.start();
    int result = VEXO_SDK_OK;
    while (timer.elapsed() < kDeadlineMs) {
        uint32_t token = 0;
        result =
            grab ? SdkGrabFrameWithTimeout(handle, &token, 200) : SdkGetFrame(handle, &token, 200);
        if (result == VEXO_SDK_OK)
            SdkReleaseFrame(handle, token);
        if (result == wanted)
            break;
    }
    return result;
}

// First line vexocam-sim prints when it tries to open the camera: "opened <id>" or
// "result <code>".
QByteArray openFromAnotherProcess(const char* identifier)
{
    QByteArray output;
    runSimulator({"hold", identifier, "0"}, &output);
    return output.split('\n').value(0).trimmed();
}

// An upgrade that can be held at 20 % until the test says go on.
struct UpgradeProbe {
    int handle = 0;
    bool closeFromCallback = false;
    int closeResult = 1;
    QByteArray otherProcess;
    std::mutex mutex;
    std::condition_variable changed;
    bool paused = false;
    bool resume = false;
    int lastPercent = -1;

    static void progress(int percent, void* context)
    {
        auto* probe = static_cast<UpgradeProbe*>(context);
        std::unique_lock<std::mutex> guard(probe->mutex);
        probe->lastPercent = percent;
        if (percent < 20 || probe->paused)
            return;
        probe->paused = true;
        if (probe->closeFromCallback) {
            // The program gives up on the camera in the middle of the upgrade.
            probe->closeResult = SdkCloseCamera(probe->handle);
            probe->otherProcess = openFromAnotherProcess(kUsbFast);
            return;
        }
        probe->changed.notify_all();
        probe->changed.wait(guard, [probe] { return probe->resume; });
    }
};

}  // namespace

class CameraLifecycleTest : public QObject {
    Q_OBJECT

private slots:
    void replugResumesTheOpenHandle_data();
    void replugResumesTheOpenHandle();
    void closeWhileAwayAndNewHandleAfterReturn();
    void resumeAfterTheDeviceFolderWasMadeAnew();
    void closeDuringUpgradeKeepsTheCameraLocked_data();
    void closeDuringUpgradeKeepsTheCameraLocked();

private:
    QTemporaryDir scratch;
};

void CameraLifecycleTest::replugResumesTheOpenHandle_data()
{
    QTest::addColumn<bool>("streaming");
    QTest::addColumn<int>("triggerMode");
    QTest::newRow("streaming camera") << true << 0;
    QTest::newRow("streaming in software trigger mode") << true << 1;
    QTest::newRow("stopped camera") << false << 0;
}

void CameraLifecycleTest::replugResumesTheOpenHandle()
{
    QFETCH(bool, streaming);
    QFETCH(int, triggerMode);
    OpenCamera camera(kUsbFocus);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    const int handle = camera.handle;
    // Settings the handle must get back: a binned preset, manual exposure and gain.
    VexoCapabilities caps{};
    QCOMPARE(SdkGetCapabilities(handle, &caps), VEXO_SDK_OK);
    const int preset = caps.resolutionCount - 1;
    QVERIFY(preset > 0);
    QCOMPARE(SdkSelectPresetResolution(handle, preset), VEXO_SDK_OK);
    QCOMPARE(SdkSetExposureMode(handle, 0), VEXO_SDK_OK);
    QCOMPARE(SdkSetExposureTime(handle, 3000.0), VEXO_SDK_OK);
    QCOMPARE(SdkSetTriggerMode(handle, triggerMode), VEXO_SDK_OK);
    if (streaming) {
        QCOMPARE(SdkStartAcquisition(handle), VEXO_SDK_OK);
        if (triggerMode == 1)
            QCOMPARE(SdkSoftwareTriggerOnce(handle), VEXO_SDK_OK);
        QCOMPARE(takeFrame(handle, kDeadlineMs).result, VEXO_SDK_OK);
    }

    QCOMPARE(runSimulator({"detach", kUsbFocus}), 0);
    // Away: frame calls say so, the handle stays valid, settings calls do no harm.
    QCOMPARE(frameResultBecomes(handle, VEXO_SDK_DETACHED), VEXO_SDK_DETACHED);
    uint32_t token = 0;
    QCOMPARE(SdkGetFrame(handle, &token, 100), VEXO_SDK_DETACHED);
    QCOMPARE(SdkGrabFrameWithTimeout(handle, &token, 100), VEXO_SDK_DETACHED);
    if (!streaming)
        QCOMPARE(SdkStartAcquisition(handle), VEXO_SDK_DETACHED);
    char name[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
    QCOMPARE(SdkGetCameraName(handle, name), VEXO_SDK_OK);
    QCOMPARE(SdkSetAnalogGain(handle, 3000), VEXO_SDK_OK);  // kept for the camera's return
    VexoCameraParameters parameters{};
    QCOMPARE(SdkGetCameraParameters(handle, &parameters), VEXO_SDK_OK);
    QCOMPARE(parameters.analogGainMilli, 3000);
    QCOMPARE(enumerationIndex(kUsbFocus), -1);

    QCOMPARE(runSimulator({"attach", kUsbFocus}), 0);
    if (streaming) {
        // Back: the same handle delivers frames again without being told.
        if (triggerMode == 1) {
            QTRY_COMPARE_WITH_TIMEOUT(SdkSoftwareTriggerOnce(handle), VEXO_SDK_OK, kDeadlineMs);
        }
        QCOMPARE(frameResultBecomes(handle, VEXO_SDK_OK), VEXO_SDK_OK);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(SdkStartAcquisition(handle), VEXO_SDK_OK, kDeadlineMs);
        if (triggerMode == 1)
            QCOMPARE(SdkSoftwareTriggerOnce(handle), VEXO_SDK_OK);
    }
    if (triggerMode == 1)
        QCOMPARE(SdkSoftwareTriggerOnce(handle), VEXO_SDK_OK);
    const ProcessedFrame frame = takeFrame(handle, kDeadlineMs);
    QCOMPARE(frame.result, VEXO_SDK_OK);
    // ... taken with the handle's settings, including the one changed while away.
    QCOMPARE(frame.info.width, caps.resolutions[preset].outputWidth);
    QCOMPARE(frame.info.height, caps.resolutions[preset].outputHeight);
    QVERIFY2(std::abs(frame.info.exposureUs - 3000) <= 40,
             qPrintable(QString::number(frame.info.exposureUs)));
    QCOMPARE(frame.info.analogGainMilli, 3000);
    // The handle still owns the camera: nobody else took it while it was away.
    QCOMPARE(openFromAnotherProcess(kUsbFocus), QByteArray("result -18"));
    QCOMPARE(SdkCloseCamera(handle), VEXO_SDK_OK);
    camera.handle = 0;
    QCOMPARE(openFromAnotherProcess(kUsbFocus), "opened " + QByteArray(kUsbFocus));
}

void CameraLifecycleTest::closeWhileAwayAndNewHandleAfterReturn()
{
    int handle = 0;
    QCOMPARE(SdkOpenCamera(&handle, kUsbFast), VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(handle), VEXO_SDK_OK);
    QCOMPARE(runSimulator({"detach", kUsbFast}), 0);
    QCOMPARE(frameResultBecomes(handle, VEXO_SDK_DETACHED), VEXO_SDK_DETACHED);
    QCOMPARE(SdkStopAcquisition(handle), VEXO_SDK_OK);
    QCOMPARE(SdkCloseCamera(handle), VEXO_SDK_OK);
    uint32_t token = 0;
    QCOMPARE(SdkGetFrame(handle, &token, 100), VEXO_SDK_INVALID_HANDLE);
    QCOMPARE(runSimulator({"attach", kUsbFast}), 0);
    // The closed handle does not come back; the camera is free for a new one.
    OpenCamera again(kUsbFast);
    QCOMPARE(again.result, VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(again.handle), VEXO_SDK_OK);
    QCOMPARE(takeFrame(again.handle, kDeadlineMs).result, VEXO_SDK_OK);
    QCOMPARE(SdkGetFrame(handle, &token, 100), VEXO_SDK_INVALID_HANDLE);
}

void CameraLifecycleTest::resumeAfterTheDeviceFolderWasMadeAnew()
{
    // The whole device node folder removed (every camera unplugged at once) and made
    // again: hot-plug must keep working, so the handle resumes.
    OpenCamera camera(kGigEMono);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    QCOMPARE(takeFrame(camera.handle, kDeadlineMs).result, VEXO_SDK_OK);
    char folder[1024] = {};
    QCOMPARE(SdkGetDeviceNodeFolder(folder, int(sizeof folder)), VEXO_SDK_OK);
    // Retried: the library may make its lock folder again while the removal runs.
    QTRY_VERIFY_WITH_TIMEOUT(QDir(QFile::decodeName(folder)).removeRecursively(), kDeadlineMs);
    QCOMPARE(frameResultBecomes(camera.handle, VEXO_SDK_DETACHED), VEXO_SDK_DETACHED);
    QCOMPARE(runSimulator({"attach", kGigEMono}), 0);
    QCOMPARE(frameResultBecomes(camera.handle, VEXO_SDK_OK), VEXO_SDK_OK);
    QCOMPARE(runSimulator({"attach", "all"}), 0);
}

void CameraLifecycleTest::closeDuringUpgradeKeepsTheCameraLocked_data()
{
    QTest::addColumn<bool>("fromCallback");
    QTest::newRow("closed from the progress callback") << true;
    QTest::newRow("closed from another thread") << false;
}

void CameraLifecycleTest::closeDuringUpgradeKeepsTheCameraLocked()
{
    QFETCH(bool, fromCallback);
    const QByteArray file = QFile::encodeName(scratch.filePath("fast.upg"));
    QCOMPARE(runSimulator({"make-upgrade", kUsbFast, "2.3.0.1", QString::fromLocal8Bit(file)}), 0);
    UpgradeProbe probe;
    probe.closeFromCallback = fromCallback;
    QCOMPARE(SdkOpenCamera(&probe.handle, kUsbFast), VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(probe.handle), VEXO_SDK_OK);
    std::atomic<int> upgradeResult{1};
    std::thread upgrader([&] {
        upgradeResult =
            SdkUpgradeFirmware(probe.handle, file.constData(), &UpgradeProbe::progress, &probe);
    });
    if (!fromCallback) {
        {
            std::unique_lock<std::mutex> guard(probe.mutex);
            QVERIFY(probe.changed.wait_for(guard, std::chrono::milliseconds(kDeadlineMs),
                                           [&] { return probe.paused; }));
        }
        // The upgrade is held at 20 %: close the handle under it.
        probe.closeResult = SdkCloseCamera(probe.handle);
        probe.otherProcess = openFromAnotherProcess(kUsbFast);
        int here = 0;
        QCOMPARE(SdkOpenCamera(&here, kUsbFast), VEXO_SDK_OPEN_ELSEWHERE);
        {
            std::lock_guard<std::mutex> guard(probe.mutex);
            probe.resume = true;
        }
        probe.changed.notify_all();
    }
    upgrader.join();
    QCOMPARE(probe.closeResult, VEXO_SDK_OK);
    QCOMPARE(probe.otherProcess, QByteArray("result -18"));
    // The write went to its end, then the camera was released.
    QCOMPARE(upgradeResult.load(), VEXO_SDK_OK);
    QCOMPARE(probe.lastPercent, 100);
    uint32_t token = 0;
    QCOMPARE(SdkGetFrame(probe.handle, &token, 100), VEXO_SDK_INVALID_HANDLE);
    OpenCamera after(kUsbFast);
    QCOMPARE(after.result, VEXO_SDK_OK);
    char version[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
    QCOMPARE(SdkGetFirmwareVersion(after.handle, version), VEXO_SDK_OK);
    QCOMPARE(QByteArray(version), QByteArray("v2.3.0.1"));
}

QTEST_GUILESS_MAIN(CameraLifecycleTest)
#include "tst_cameralifecycle.moc"
