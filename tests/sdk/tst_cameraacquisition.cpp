// Live frames: the frame cycle, the ring of buffers, triggers, output formats, automatic
// exposure and white balance, picture files, hot-plug and threads on one handle.
// Nothing here depends on the machine's speed: frames that must come are waited for with
// deadlines of tens of seconds, and rates are figures of bench/sdk, not checks.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

#include "CameraTestSupport.h"

using namespace cameratest;

class CameraAcquisitionTest : public QObject {
    Q_OBJECT

private slots:
    void frameCycleDeliversTheCurrentResolution_data();
    void frameCycleDeliversTheCurrentResolution();
    void framesNeedAStartedCamera();
    void slowConsumerLosesOldestFrames();
    void frameSpeedSetsTheRate_data();
    void frameSpeedSetsTheRate();
    void heldFramesAreCheckedOnUse();
    void everyBufferHeldIsReported_data();
    void everyBufferHeldIsReported();
    void frameHeldAcrossStopStaysIntact();
    void outputFormats_data();
    void outputFormats();
    void monochromeMakesGreyPixels();
    void longerExposureIsBrighter();
    void automaticExposureReachesTarget_data();
    void automaticExposureReachesTarget();
    void oneTouchWhiteBalance();
    void softwareTriggerDeliversTheFrameCount();
    void softwareTriggerWaitsForTheDelay();
    void softwareTriggerOnlyInSoftwareMode();
    void softwareTriggerQueueIsBounded();
    void hardwareTriggerFollowsInputEdges_data();
    void hardwareTriggerFollowsInputEdges();
    void grabWorksWithAndWithoutAcquisition();
    void grabsShareFramesWithTheStream();
    void savePictureFiles_data();
    void savePictureFiles();
    void savePictureFailureLeavesNoFile();
    void savePictureNeverReplacesAFile_data();
    void savePictureNeverReplacesAFile();
    void savePicturesRacingForOneName();
    void savePictureOntoWhatIsNotAFile_data();
    void savePictureOntoWhatIsNotAFile();
    void pathsThatNameNoFileAreRefused_data();
    void pathsThatNameNoFileAreRefused();
    void picturesOfMonoCamerasAreGrey_data();
    void picturesOfMonoCamerasAreGrey();
    void detachWhileStreamingFailsFramesAndCloseWorks();
    void guiThreadAndAcquisitionThreadShareAHandle();
    void twoFrameThreadsWhileSettingsChange();
    void closeWakesAWaitingFrameCall();
};

void CameraAcquisitionTest::frameCycleDeliversTheCurrentResolution_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<int>("preset");
    QTest::newRow("GigE colour full sensor") << kGigEColour << 0;
    QTest::newRow("GigE colour last preset") << kGigEColour << -1;
    QTest::newRow("GigE mono full sensor") << kGigEMono << 0;
    QTest::newRow("USB focus binned") << kUsbFocus << -1;
    QTest::newRow("USB fast region") << kUsbFast << 1;
}

void CameraAcquisitionTest::frameCycleDeliversTheCurrentResolution()
{
    QFETCH(QString, identifier);
    QFETCH(int, preset);
    OpenCamera camera(identifier.toLatin1().constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    VexoCapabilities caps{};
    SdkGetCapabilities(camera.handle, &caps);
    if (preset < 0)
        preset = caps.resolutionCount - 1;
    QCOMPARE(SdkSelectPresetResolution(camera.handle, preset), VEXO_SDK_OK);
    QCOMPARE(SdkSetOutputFormat(camera.handle, VEXO_SDK_PIXEL_RGB8), VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);  // starting twice is harmless

    int lastNumber = -1;
    for (int i = 0; i < 3; ++i) {
        ProcessedFrame frame = takeFrame(camera.handle);
        QCOMPARE(frame.result, VEXO_SDK_OK);
        QCOMPARE(frame.info.width, caps.resolutions[preset].outputWidth);
        QCOMPARE(frame.info.height, caps.resolutions[preset].outputHeight);
        QCOMPARE(frame.info.pixelFormat, VEXO_SDK_PIXEL_RGB8);
        QCOMPARE(frame.info.dataSize, frame.info.width * frame.info.height * 3);
        QVERIFY(frame.info.frameNumber > lastNumber);
        lastNumber = frame.info.frameNumber;
        // A real picture, not an empty buffer.
        const double mean = meanOf(frame.pixels, size_t(frame.info.dataSize));
        QVERIFY2(mean > 20 && mean < 235, qPrintable(QString::number(mean)));
    }
    VexoFrameStatistics statistics{};
    QCOMPARE(SdkGetFrameStatistics(camera.handle, &statistics), VEXO_SDK_OK);
    QVERIFY2(statistics.deliveredFrames >= 3 && statistics.deliveredFrames > uint32_t(lastNumber),
             qPrintable(QString("%1 delivered, last frame %2")
                            .arg(statistics.deliveredFrames)
                            .arg(lastNumber)));
    QCOMPARE(SdkStopAcquisition(camera.handle), VEXO_SDK_OK);
}

void CameraAcquisitionTest::framesNeedAStartedCamera()
{
    OpenCamera camera(kUsbFast);
    uint32_t token = 0;
    QCOMPARE(SdkGetFrame(camera.handle, &token, 50), VEXO_SDK_NOT_STARTED);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    QCOMPARE(SdkSetTriggerMode(camera.handle, 1), VEXO_SDK_OK);
    // Software trigger mode without a trigger: the wait ends with a time-out.
    QElapsedTimer timer;
    timer.start();
    // Frames produced before the mode change may still be in the ring.
    int result = VEXO_SDK_OK;
    while (result == VEXO_SDK_OK) {
        result = SdkGetFrame(camera.handle, &token, 100);
        if (result == VEXO_SDK_OK)
            SdkReleaseFrame(camera.handle, token);
    }
    QCOMPARE(result, VEXO_SDK_TIMEOUT);
    QCOMPARE(SdkStopAcquisition(camera.handle), VEXO_SDK_OK);
    QCOMPARE(SdkGetFrame(camera.handle, &token, 50), VEXO_SDK_NOT_STARTED);
}

void CameraAcquisitionTest::slowConsumerLosesOldestFrames()
{
    OpenCamera camera(kUsbFast);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    // Let the camera deliver many more frames than the ring holds.
    VexoFrameStatistics statistics{};
    QTRY_VERIFY_WITH_TIMEOUT(
        (SdkGetFrameStatistics(camera.handle, &statistics), statistics.deliveredFrames >= 20),
        30000);
    // The frame handed out is one of the last few delivered before the call, not the
    // first one the camera made (frames delivered meanwhile only raise its number).
    const int deliveredBefore = int(statistics.deliveredFrames);
    ProcessedFrame oldestKept = takeFrame(camera.handle);
    QCOMPARE(oldestKept.result, VEXO_SDK_OK);
    SdkGetFrameStatistics(camera.handle, &statistics);
    QVERIFY(statistics.lostFrames > 0);
    QVERIFY2(oldestKept.info.frameNumber >= deliveredBefore - 8,
             qPrintable(QString("%1 of %2").arg(oldestKept.info.frameNumber).arg(deliveredBefore)));
}

void CameraAcquisitionTest::frameSpeedSetsTheRate_data()
{
    QTest::addColumn<int>("speed");
    QTest::newRow("low") << 0;
    QTest::newRow("medium") << 1;
    QTest::newRow("high") << 2;
}

void CameraAcquisitionTest::frameSpeedSetsTheRate()
{
    // The rate each speed gives is a benchmark figure (bench_sdk_frame_cycle); here: the
    // speed is taken, reported, and frames flow at it, also after a change while running.
    QFETCH(int, speed);
    OpenCamera camera(kUsbFast);
    QCOMPARE(SdkSetExposureMode(camera.handle, 0), VEXO_SDK_OK);
    QCOMPARE(SdkSetExposureTime(camera.handle, 500.0), VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    QCOMPARE(SdkSetFrameSpeed(camera.handle, speed), VEXO_SDK_OK);
    QCOMPARE(SdkSetFrameSpeed(camera.handle, 3), VEXO_SDK_OUT_OF_RANGE);
    QCOMPARE(SdkSetFrameSpeed(camera.handle, -1), VEXO_SDK_OUT_OF_RANGE);
    VexoCameraParameters p{};
    QCOMPARE(SdkGetCameraParameters(camera.handle, &p), VEXO_SDK_OK);
    QCOMPARE(p.frameSpeed, speed);
    int lastNumber = -1;
    for (int i = 0; i < 3; ++i) {
        const ProcessedFrame frame = takeFrame(camera.handle);
        QCOMPARE(frame.result, VEXO_SDK_OK);
        QVERIFY(frame.info.frameNumber > lastNumber);
        lastNumber = frame.info.frameNumber;
    }
}

void CameraAcquisitionTest::heldFramesAreCheckedOnUse()
{
    OpenCamera camera(kUsbFast);
    OpenCamera other(kGigEColour);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    uint32_t token = 0;
    QCOMPARE(SdkGetFrame(camera.handle, &token, 30000), VEXO_SDK_OK);
    VexoImageInfo info{};
    BYTE* raw = SdkGetRawImage(camera.handle, token, &info);
    QVERIFY(raw);
    std::vector<BYTE> out(size_t(info.width) * size_t(info.height) * 4);
    QVERIFY(!SdkGetRawImage(other.handle, token, &info));          // token of another camera
    QVERIFY(!SdkGetRawImage(camera.handle, token + 1000, &info));  // token never handed out
    std::vector<BYTE> foreign(out.size());
    QCOMPARE(SdkProcessImage(camera.handle, &info, foreign.data(), out.data()),
             VEXO_SDK_INVALID_FRAME);
    VexoImageInfo wrongSize = info;
    wrongSize.width = info.width * 2;
    QCOMPARE(SdkProcessImage(camera.handle, &wrongSize, raw, out.data()),
             VEXO_SDK_INVALID_ARGUMENT);
    QCOMPARE(SdkProcessImage(camera.handle, &info, raw, out.data()), VEXO_SDK_OK);
    QCOMPARE(SdkReleaseFrame(camera.handle, token), VEXO_SDK_OK);
    QCOMPARE(SdkReleaseFrame(camera.handle, token), VEXO_SDK_INVALID_FRAME);
    QVERIFY(!SdkGetRawImage(camera.handle, token, &info));
    QCOMPARE(SdkProcessImage(camera.handle, &info, raw, out.data()), VEXO_SDK_INVALID_FRAME);
    VexoImageInfo bogus{};
    bogus.width = 3;
    bogus.height = 3;
    bogus.pixelFormat = 0x0BADF00D;
    QCOMPARE(SdkPostProcessImage(camera.handle, out.data(), &bogus), VEXO_SDK_INVALID_ARGUMENT);
}

void CameraAcquisitionTest::everyBufferHeldIsReported_data()
{
    QTest::addColumn<bool>("streaming");
    QTest::newRow("streaming") << true;
    QTest::newRow("stopped") << false;
}

void CameraAcquisitionTest::everyBufferHeldIsReported()
{
    // A caller that holds every buffer of the ring gets a code saying so at once, instead
    // of waiting for a frame that cannot come (or a generic failure).
    QFETCH(bool, streaming);
    OpenCamera camera(kUsbFast);
    if (streaming)
        QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    std::vector<uint32_t> held;
    int result = VEXO_SDK_OK;
    while (result == VEXO_SDK_OK && held.size() < 64) {
        uint32_t token = 0;
        result = streaming ? SdkGetFrame(camera.handle, &token, 30000)
                           : SdkGrabFrameWithTimeout(camera.handle, &token, 30000);
        if (result == VEXO_SDK_OK)
            held.push_back(token);
    }
    QCOMPARE(result, VEXO_SDK_BUFFERS_HELD);
    QVERIFY(held.size() >= 2);
    uint32_t token = 0;
    QCOMPARE(SdkGrabFrameWithTimeout(camera.handle, &token, 30000), VEXO_SDK_BUFFERS_HELD);
    if (streaming)
        QCOMPARE(SdkGetFrame(camera.handle, &token, 30000), VEXO_SDK_BUFFERS_HELD);
    // Every held frame is still readable; giving one back makes room again.
    for (uint32_t t : held) {
        VexoImageInfo info{};
        QVERIFY(SdkGetRawImage(camera.handle, t, &info));
    }
    QCOMPARE(SdkReleaseFrame(camera.handle, held.back()), VEXO_SDK_OK);
    held.pop_back();
    QCOMPARE(SdkGrabFrameWithTimeout(camera.handle, &token, 30000), VEXO_SDK_OK);
    QCOMPARE(SdkReleaseFrame(camera.handle, token), VEXO_SDK_OK);
    for (uint32_t t : held)
        QCOMPARE(SdkReleaseFrame(camera.handle, t), VEXO_SDK_OK);
}

void CameraAcquisitionTest::frameHeldAcrossStopStaysIntact()
{
    OpenCamera camera(kGigEColour);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    uint32_t token = 0;
    QCOMPARE(SdkGetFrame(camera.handle, &token, 30000), VEXO_SDK_OK);
    VexoImageInfo info{};
    BYTE* raw = SdkGetRawImage(camera.handle, token, &info);
    QVERIFY(raw);
    const std::vector<BYTE> copy(raw, raw + info.dataSize);
    const VexoImageInfo infoCopy = info;
    QCOMPARE(SdkStopAcquisition(camera.handle), VEXO_SDK_OK);
    // The ring goes on without that buffer: more frames than it has buffers, also grabs.
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(takeFrame(camera.handle).result, VEXO_SDK_OK);
    QCOMPARE(SdkStopAcquisition(camera.handle), VEXO_SDK_OK);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(takeFrame(camera.handle, 30000, true).result, VEXO_SDK_OK);

    VexoImageInfo again{};
    QCOMPARE(SdkGetRawImage(camera.handle, token, &again), raw);
    QCOMPARE(again.frameNumber, infoCopy.frameNumber);
    QVERIFY(std::memcmp(raw, copy.data(), copy.size()) == 0);
    std::vector<BYTE> out(size_t(info.width) * size_t(info.height) * 4);
    QCOMPARE(SdkProcessImage(camera.handle, &info, raw, out.data()), VEXO_SDK_OK);
    QCOMPARE(SdkReleaseFrame(camera.handle, token), VEXO_SDK_OK);
    QCOMPARE(SdkReleaseFrame(camera.handle, token), VEXO_SDK_INVALID_FRAME);
}

void CameraAcquisitionTest::outputFormats_data()
{
    QTest::addColumn<uint>("format");
    QTest::addColumn<int>("bytesPerPixel");
    QTest::newRow("RGB 24-bit") << uint(VEXO_SDK_PIXEL_RGB8) << 3;
    QTest::newRow("BGR 24-bit") << uint(VEXO_SDK_PIXEL_BGR8) << 3;
    QTest::newRow("BGRA 32-bit") << uint(VEXO_SDK_PIXEL_BGRA8) << 4;
    QTest::newRow("grey 8-bit") << uint(VEXO_SDK_PIXEL_MONO8) << 1;
}

void CameraAcquisitionTest::outputFormats()
{
    QFETCH(uint, format);
    QFETCH(int, bytesPerPixel);
    OpenCamera camera(kUsbFocus);
    QCOMPARE(SdkSetOutputFormat(camera.handle, format), VEXO_SDK_OK);
    ProcessedFrame frame = takeFrame(camera.handle, 30000, true);
    QCOMPARE(frame.result, VEXO_SDK_OK);
    QCOMPARE(frame.info.pixelFormat, format);
    QCOMPARE(frame.info.dataSize, frame.info.width * frame.info.height * bytesPerPixel);
}

void CameraAcquisitionTest::monochromeMakesGreyPixels()
{
    OpenCamera camera(kGigEColour);
    QCOMPARE(SdkSetMonochrome(camera.handle, 1), VEXO_SDK_OK);
    ProcessedFrame frame = takeFrame(camera.handle, 30000, true);
    QCOMPARE(frame.result, VEXO_SDK_OK);
    for (size_t i = 0; i + 2 < size_t(frame.info.dataSize); i += 3 * 97) {
        QCOMPARE(frame.pixels[i], frame.pixels[i + 1]);
        QCOMPARE(frame.pixels[i], frame.pixels[i + 2]);
    }
    QCOMPARE(SdkSetMonochrome(camera.handle, 0), VEXO_SDK_OK);
    frame = takeFrame(camera.handle, 30000, true);
    int coloured = 0;
    for (size_t i = 0; i + 2 < size_t(frame.info.dataSize); i += 3 * 97)
        coloured += std::abs(frame.pixels[i] - frame.pixels[i + 2]) > 20;
    QVERIFY(coloured > 10);
}

void CameraAcquisitionTest::longerExposureIsBrighter()
{
    OpenCamera camera(kGigEMono);
    QCOMPARE(SdkSetExposureMode(camera.handle, 0), VEXO_SDK_OK);
    QCOMPARE(SdkSetAnalogGain(camera.handle, 1000), VEXO_SDK_OK);
    QCOMPARE(SdkSetExposureTime(camera.handle, 2000.0), VEXO_SDK_OK);
    const ProcessedFrame dark = takeFrame(camera.handle, 30000, true);
    QCOMPARE(SdkSetExposureTime(camera.handle, 8000.0), VEXO_SDK_OK);
    const ProcessedFrame bright = takeFrame(camera.handle, 30000, true);
    QCOMPARE(SdkSetAnalogGain(camera.handle, 2000), VEXO_SDK_OK);
    const ProcessedFrame brighter = takeFrame(camera.handle, 30000, true);
    const double a = meanOf(dark.raw, dark.raw.size());
    const double b = meanOf(bright.raw, bright.raw.size());
    const double c = meanOf(brighter.raw, brighter.raw.size());
    QVERIFY2(b > 1.5 * a && c > 1.2 * b, qPrintable(QString("%1 %2 %3").arg(a).arg(b).arg(c)));
    // The frame reports the exposure it was taken with, a whole number of 36.2 us steps.
    QVERIFY2(std::abs(bright.info.exposureUs - 8000) <= 37,
             qPrintable(QString::number(bright.info.exposureUs)));
}

void CameraAcquisitionTest::automaticExposureReachesTarget_data()
{
    QTest::addColumn<int>("target");
    QTest::newRow("dim target") << 60;
    QTest::newRow("bright target") << 170;
}

void CameraAcquisitionTest::automaticExposureReachesTarget()
{
    QFETCH(int, target);
    OpenCamera camera(kUsbFast);
    QCOMPARE(SdkSetExposureMode(camera.handle, 1), VEXO_SDK_OK);
    QCOMPARE(SdkSetTargetBrightness(camera.handle, target), VEXO_SDK_OK);
    QCOMPARE(SdkSetAutoExposureTimeRange(camera.handle, 100.0, 30000.0), VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    double mean = 0;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        ProcessedFrame frame = takeFrame(camera.handle);
        QCOMPARE(frame.result, VEXO_SDK_OK);
        mean = meanOf(frame.raw, frame.raw.size());
        if (std::abs(mean - target) < target * 0.15)
            break;
    }
    QVERIFY2(std::abs(mean - target) < target * 0.15, qPrintable(QString::number(mean)));
    // The controller's result is visible in the parameter record and within its range.
    VexoCameraParameters p{};
    SdkGetCameraParameters(camera.handle, &p);
    QVERIFY(p.exposureTimeUs >= p.autoExposureMinTimeUs - 5 &&
            p.exposureTimeUs <= p.autoExposureMaxTimeUs + 5);
}

void CameraAcquisitionTest::oneTouchWhiteBalance()
{
    OpenCamera camera(kGigEColour);
    QCOMPARE(SdkSetWhiteBalanceMode(camera.handle, 0), VEXO_SDK_OK);
    QCOMPARE(SdkSetWhiteBalanceGains(camera.handle, 400, 100, 20), VEXO_SDK_OK);  // badly off
    QCOMPARE(SdkOneTouchWhiteBalance(camera.handle), VEXO_SDK_OK);
    VexoCameraParameters p{};
    SdkGetCameraParameters(camera.handle, &p);
    QVERIFY2(p.redGain < 400 && p.blueGain > 20,
             qPrintable(QString("%1 %2 %3").arg(p.redGain).arg(p.greenGain).arg(p.blueGain)));
    QCOMPARE(p.whiteBalanceMode, 0);
    // The balanced picture is close to neutral on average.
    ProcessedFrame frame = takeFrame(camera.handle, 30000, true);
    double sum[3] = {0, 0, 0};
    for (size_t i = 0; i + 2 < size_t(frame.info.dataSize); i += 3) {
        sum[0] += frame.pixels[i];
        sum[1] += frame.pixels[i + 1];
        sum[2] += frame.pixels[i + 2];
    }
    QVERIFY2(std::abs(sum[0] - sum[2]) < 0.2 * sum[1],
             qPrintable(QString("%1 %2 %3").arg(sum[0]).arg(sum[1]).arg(sum[2])));

    OpenCamera mono(kGigEMono);
    QCOMPARE(SdkOneTouchWhiteBalance(mono.handle), VEXO_SDK_NOT_MATCHING);
    QCOMPARE(SdkSetWhiteBalanceMode(mono.handle, 1), VEXO_SDK_NOT_MATCHING);
}

void CameraAcquisitionTest::softwareTriggerDeliversTheFrameCount()
{
    OpenCamera camera(kUsbFast);
    QCOMPARE(SdkSetTriggerMode(camera.handle, 1), VEXO_SDK_OK);
    QCOMPARE(SdkSetTriggerFrameCount(camera.handle, 3), VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    uint32_t token = 0;
    QCOMPARE(SdkGetFrame(camera.handle, &token, 200), VEXO_SDK_TIMEOUT);
    QCOMPARE(SdkSoftwareTriggerOnce(camera.handle), VEXO_SDK_OK);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(SdkGetFrame(camera.handle, &token, 30000), VEXO_SDK_OK);
        SdkReleaseFrame(camera.handle, token);
    }
    QCOMPARE(SdkGetFrame(camera.handle, &token, 300), VEXO_SDK_TIMEOUT);
    VexoFrameStatistics statistics{};
    SdkGetFrameStatistics(camera.handle, &statistics);
    QCOMPARE(statistics.deliveredFrames, 3u);
}

void CameraAcquisitionTest::softwareTriggerWaitsForTheDelay()
{
    OpenCamera camera(kUsbFast);
    QCOMPARE(SdkSetTriggerMode(camera.handle, 1), VEXO_SDK_OK);
    QCOMPARE(SdkSetTriggerDelay(camera.handle, 600000), VEXO_SDK_OK);
    int delay = 0;
    QCOMPARE(SdkGetTriggerDelay(camera.handle, &delay), VEXO_SDK_OK);
    QCOMPARE(delay, 600000);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(SdkSoftwareTriggerOnce(camera.handle), VEXO_SDK_OK);
    uint32_t token = 0;
    QCOMPARE(SdkGetFrame(camera.handle, &token, 30000), VEXO_SDK_OK);
    // A lower bound only: a busy machine can make the frame later, never earlier.
    QVERIFY2(timer.elapsed() >= 590, qPrintable(QString::number(timer.elapsed())));
    SdkReleaseFrame(camera.handle, token);
}

void CameraAcquisitionTest::softwareTriggerOnlyInSoftwareMode()
{
    OpenCamera camera(kUsbFast);
    QCOMPARE(SdkSoftwareTriggerOnce(camera.handle), VEXO_SDK_WRONG_MODE);
    QCOMPARE(SdkSetTriggerMode(camera.handle, 1), VEXO_SDK_OK);
    QCOMPARE(SdkSoftwareTriggerOnce(camera.handle), VEXO_SDK_NOT_STARTED);
}

void CameraAcquisitionTest::softwareTriggerQueueIsBounded()
{
    // Triggers a camera cannot serve yet wait in a bounded queue; beyond it they are
    // refused with a code instead of piling up without end.
    OpenCamera camera(kUsbFast);
    QCOMPARE(SdkSetTriggerMode(camera.handle, 1), VEXO_SDK_OK);
    QCOMPARE(SdkSetTriggerDelay(camera.handle, 10000000), VEXO_SDK_OK);  // 10 s: none is served yet
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    int accepted = 0;
    int result = VEXO_SDK_OK;
    while (result == VEXO_SDK_OK && accepted < 100000) {
        result = SdkSoftwareTriggerOnce(camera.handle);
        if (result == VEXO_SDK_OK)
            ++accepted;
    }
    QCOMPARE(result, VEXO_SDK_BUSY);
    QVERIFY2(accepted >= 1 && accepted < 100000, qPrintable(QString::number(accepted)));
    uint32_t token = 0;
    QCOMPARE(SdkGrabFrameWithTimeout(camera.handle, &token, 100), VEXO_SDK_BUSY);
    // Stopping empties the queue.
    QCOMPARE(SdkStopAcquisition(camera.handle), VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    QCOMPARE(SdkSoftwareTriggerOnce(camera.handle), VEXO_SDK_OK);
}

void CameraAcquisitionTest::hardwareTriggerFollowsInputEdges_data()
{
    QTest::addColumn<int>("edge");
    QTest::addColumn<QStringList>("lineCommands");
    QTest::addColumn<int>("frames");
    QTest::newRow("rising edges of two pulses") << 0 << QStringList{"pulse", "pulse"} << 2;
    QTest::newRow("falling edge when the line drops") << 1 << QStringList{"high", "low"} << 1;
    QTest::newRow("rising edge ignored by falling trigger") << 1 << QStringList{"high"} << 0;
}

void CameraAcquisitionTest::hardwareTriggerFollowsInputEdges()
{
    QFETCH(int, edge);
    QFETCH(QStringList, lineCommands);
    QFETCH(int, frames);
    OpenCamera camera(kGigEColour);
    QCOMPARE(SdkSetTriggerMode(camera.handle, 2), VEXO_SDK_OK);
    QCOMPARE(SdkSetInputTriggerEdge(camera.handle, 0, edge), VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);  // notes the line's state
    for (const QString& command : lineCommands) {
        const QStringList arguments =
            command == "pulse"
                ? QStringList{"pulse", kGigEColour, "0"}
                : QStringList{"line", kGigEColour, "0", command == "high" ? "1" : "0"};
        QCOMPARE(runSimulator(arguments), 0);
    }
    // The frames that must come, however slow the machine; then no more.
    uint32_t token = 0;
    for (int i = 0; i < frames; ++i) {
        QCOMPARE(SdkGetFrame(camera.handle, &token, 30000), VEXO_SDK_OK);
        SdkReleaseFrame(camera.handle, token);
    }
    QCOMPARE(SdkGetFrame(camera.handle, &token, 700), VEXO_SDK_TIMEOUT);
    runSimulator({"line", kGigEColour, "0", "0"});
}

void CameraAcquisitionTest::grabWorksWithAndWithoutAcquisition()
{
    OpenCamera camera(kUsbFocus);
    ProcessedFrame stopped = takeFrame(camera.handle, 30000, true);
    QCOMPARE(stopped.result, VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    ProcessedFrame first = takeFrame(camera.handle);
    ProcessedFrame grabbed = takeFrame(camera.handle, 30000, true);
    QCOMPARE(grabbed.result, VEXO_SDK_OK);
    QVERIFY(grabbed.info.frameNumber > first.info.frameNumber);
    // In software trigger mode the grab triggers its own frame.
    QCOMPARE(SdkSetTriggerMode(camera.handle, 1), VEXO_SDK_OK);
    ProcessedFrame triggered = takeFrame(camera.handle, 30000, true);
    QCOMPARE(triggered.result, VEXO_SDK_OK);
}

void CameraAcquisitionTest::grabsShareFramesWithTheStream()
{
    // A grab beside a thread that streams (a camera window with its region dialog open)
    // must neither race that thread for frames nor take frames away from it: the stream
    // sees every frame a grab got, and every grab gets a frame.
    OpenCamera camera(kUsbFast);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    std::mutex seenMutex;
    std::vector<int32_t> seen;
    std::atomic<bool> stop{false};
    std::thread stream([&] {
        while (!stop.load()) {
            uint32_t token = 0;
            if (SdkGetFrame(camera.handle, &token, 200) != VEXO_SDK_OK)
                continue;
            VexoImageInfo info{};
            if (SdkGetRawImage(camera.handle, token, &info)) {
                std::lock_guard<std::mutex> lock(seenMutex);
                seen.push_back(info.frameNumber);
            }
            SdkReleaseFrame(camera.handle, token);
        }
    });
    const auto streamSaw = [&](int32_t frameNumber) {
        std::lock_guard<std::mutex> lock(seenMutex);
        return std::find(seen.begin(), seen.end(), frameNumber) != seen.end();
    };
    int grabs = 0;
    for (; grabs < 8; ++grabs) {
        uint32_t token = 0;
        const int result = SdkGrabFrameWithTimeout(camera.handle, &token, 30000);
        if (result != VEXO_SDK_OK)
            break;
        VexoImageInfo info{};
        const bool read = SdkGetRawImage(camera.handle, token, &info) != nullptr;
        // Held by the grab, the frame cannot give way in the ring, so the stream gets it
        // however slow that thread is.
        const bool shared = read && QTest::qWaitFor([&] { return streamSaw(info.frameNumber); },
                                                    30000);
        SdkReleaseFrame(camera.handle, token);
        if (!shared)
            break;
    }
    stop.store(true);
    stream.join();
    QCOMPARE(grabs, 8);
    // Each grab's token is its own: released once, it is gone.
    uint32_t token = 0;
    QCOMPARE(SdkGrabFrameWithTimeout(camera.handle, &token, 30000), VEXO_SDK_OK);
    QCOMPARE(SdkReleaseFrame(camera.handle, token), VEXO_SDK_OK);
    QVERIFY(SdkReleaseFrame(camera.handle, token) != VEXO_SDK_OK);
}

void CameraAcquisitionTest::savePictureFiles_data()
{
    QTest::addColumn<int>("typeCode");
    QTest::addColumn<QString>("extension");
    QTest::newRow("JPG") << VEXO_SDK_FILE_JPG << "jpg";
    QTest::newRow("BMP") << VEXO_SDK_FILE_BMP << "bmp";
    QTest::newRow("PNG") << VEXO_SDK_FILE_PNG << "png";
}

void CameraAcquisitionTest::savePictureFiles()
{
    QFETCH(int, typeCode);
    QFETCH(QString, extension);
    QTemporaryDir dir;
    OpenCamera camera(kUsbFast);
    ProcessedFrame frame = takeFrame(camera.handle, 30000, true);
    QCOMPARE(frame.result, VEXO_SDK_OK);
    const QByteArray base = QFile::encodeName(dir.filePath("picture_1"));
    QCOMPARE(SdkSaveImageFile(camera.handle, base.constData(), frame.pixels.data(), &frame.info,
                              typeCode, 100),
             VEXO_SDK_OK);
    const QImage image(dir.filePath("picture_1." + extension));
    QCOMPARE(image.size(), QSize(640, 480));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);  // no temporary left over
    QCOMPARE(
        SdkSaveImageFile(camera.handle, base.constData(), frame.pixels.data(), &frame.info, 4, 100),
        VEXO_SDK_INVALID_ARGUMENT);
    QCOMPARE(SdkSaveImageFile(camera.handle, base.constData(), frame.pixels.data(), &frame.info,
                              typeCode, 0),
             VEXO_SDK_OUT_OF_RANGE);
}

void CameraAcquisitionTest::savePictureFailureLeavesNoFile()
{
    QTemporaryDir dir;
    OpenCamera camera(kUsbFast);
    ProcessedFrame frame = takeFrame(camera.handle, 30000, true);
    const QByteArray base = QFile::encodeName(dir.filePath("missing/folder/picture"));
    QCOMPARE(SdkSaveImageFile(camera.handle, base.constData(), frame.pixels.data(), &frame.info,
                              VEXO_SDK_FILE_PNG, 90),
             VEXO_SDK_FAILED);
    QVERIFY(!QFile::exists(dir.filePath("missing/folder/picture.png")));
}

// Everything in a folder, hidden temporaries too.
static QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::System | QDir::Hidden |
                                  QDir::NoDotAndDotDot);
}

void CameraAcquisitionTest::savePictureNeverReplacesAFile_data()
{
    savePictureFiles_data();
}

void CameraAcquisitionTest::savePictureNeverReplacesAFile()
{
    QFETCH(int, typeCode);
    QFETCH(QString, extension);
    QTemporaryDir dir;
    OpenCamera camera(kUsbFast);
    ProcessedFrame frame = takeFrame(camera.handle, 30000, true);
    QCOMPARE(frame.result, VEXO_SDK_OK);
    const QString name = dir.filePath("picture_1." + extension);
    QByteArray earlier("an earlier picture the user keeps");
    earlier += QByteArray(5000, '\x7f');
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(earlier), qint64(earlier.size()));
    file.close();

    const QByteArray base = QFile::encodeName(dir.filePath("picture_1"));
    QCOMPARE(SdkSaveImageFile(camera.handle, base.constData(), frame.pixels.data(), &frame.info,
                              typeCode, 90),
             VEXO_SDK_FILE_EXISTS);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), earlier);
    QCOMPARE(entriesOf(dir.path()), QStringList{"picture_1." + extension});  // no temporary left
}

void CameraAcquisitionTest::savePicturesRacingForOneName()
{
    QTemporaryDir dir;
    OpenCamera camera(kUsbFast);
    ProcessedFrame frame = takeFrame(camera.handle, 30000, true);
    QCOMPARE(frame.result, VEXO_SDK_OK);
    // A small picture: the two writers of one name then mostly meet at the final rename.
    VexoImageInfo small = frame.info;
    small.width = 64;
    small.height = 48;
    constexpr int kRounds = 60;
    const int types[] = {VEXO_SDK_FILE_BMP, VEXO_SDK_FILE_PNG, VEXO_SDK_FILE_JPG};
    std::array<std::array<int, 2>, kRounds> results{};
    std::atomic<int> arrived{0};
    auto saver = [&](int who) {
        for (int round = 0; round < kRounds; ++round) {
            // Both threads start each round together, so their saves of one name overlap.
            arrived.fetch_add(1);
            while (arrived.load() < 2 * (round + 1))
                std::this_thread::yield();
            const QByteArray base = QFile::encodeName(dir.filePath(QString("shot_%1").arg(round)));
            results[round][who] = SdkSaveImageFile(
                camera.handle, base.constData(), frame.pixels.data(), &small, types[round % 3], 90);
        }
    };
    std::thread first(saver, 0), second(saver, 1);
    first.join();
    second.join();
    for (int round = 0; round < kRounds; ++round) {
        std::array<int, 2> got = results[round];
        std::sort(got.begin(), got.end());
        QVERIFY2(got[0] == VEXO_SDK_FILE_EXISTS && got[1] == VEXO_SDK_OK,
                 qPrintable(QString("round %1: %2 and %3").arg(round).arg(got[0]).arg(got[1])));
    }
    const QStringList left = entriesOf(dir.path());
    QCOMPARE(left.size(), kRounds);  // one picture per name, no temporaries
    for (const QString& name : left)
        QVERIFY2(name.startsWith("shot_"), qPrintable(name));
}

void CameraAcquisitionTest::savePictureOntoWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("a FIFO") << "fifo";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("a symbolic link to a FIFO") << "link";
}

void CameraAcquisitionTest::savePictureOntoWhatIsNotAFile()
{
    QFETCH(QString, what);
    QTemporaryDir dir;
    OpenCamera camera(kUsbFast);
    ProcessedFrame frame = takeFrame(camera.handle, 30000, true);
    QCOMPARE(frame.result, VEXO_SDK_OK);
    const QString name = dir.filePath("picture.png");
    const QString fifo = what == "link" ? dir.filePath("pipe") : name;
    if (what == "folder")
        QVERIFY(QDir(dir.path()).mkdir("picture.png"));
    else
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    if (what == "link")
        QVERIFY(QFile::link(fifo, name));
    const QStringList before = entriesOf(dir.path());

    const QByteArray base = QFile::encodeName(dir.filePath("picture"));
    QCOMPARE(SdkSaveImageFile(camera.handle, base.constData(), frame.pixels.data(), &frame.info,
                              VEXO_SDK_FILE_PNG, 90),
             VEXO_SDK_WRONG_PATH);
    QCOMPARE(entriesOf(dir.path()), before);
    struct stat st {};
    if (what == "folder") {
        QVERIFY(QFileInfo(name).isDir());
    } else {
        QCOMPARE(lstat(QFile::encodeName(fifo).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    }
    if (what == "link")
        QVERIFY(QFileInfo(name).isSymLink());
}

void CameraAcquisitionTest::pathsThatNameNoFileAreRefused_data()
{
    // The operations of the interface that take a path, and paths that lead nowhere
    // sensible: nothing, a folder with a separator at its end (no file name), a folder
    // that is not there. FOLDER stands for an existing empty folder.
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("expected");
    const struct {
        const char* operation;
        int empty, folderOnly, missing;
    } operations[] = {
        {"save picture", VEXO_SDK_INVALID_ARGUMENT, VEXO_SDK_WRONG_PATH, VEXO_SDK_FAILED},
        {"export parameters", VEXO_SDK_INVALID_ARGUMENT, VEXO_SDK_WRONG_PATH, VEXO_SDK_WRONG_PATH},
        {"import parameters", VEXO_SDK_INVALID_ARGUMENT, VEXO_SDK_WRONG_PATH, VEXO_SDK_WRONG_PATH},
        {"upgrade firmware", VEXO_SDK_WRONG_PATH, VEXO_SDK_WRONG_PATH, VEXO_SDK_WRONG_PATH},
    };
    for (const auto& o : operations) {
        QTest::addRow("%s, empty path", o.operation) << o.operation << "" << o.empty;
        QTest::addRow("%s, folder without a name", o.operation)
            << o.operation << "FOLDER/" << o.folderOnly;
        QTest::addRow("%s, missing folder", o.operation)
            << o.operation << "FOLDER/missing/name" << o.missing;
    }
}

void CameraAcquisitionTest::pathsThatNameNoFileAreRefused()
{
    QFETCH(QString, operation);
    QFETCH(QString, path);
    QFETCH(int, expected);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    // A relative or empty name must not land in the working directory either.
    const QString previousWorkingDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.filePath("folder")));
    struct Back {
        QString folder;
        ~Back() { QDir::setCurrent(folder); }
    } back{previousWorkingDirectory};
    OpenCamera camera(kGigEColour);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    ProcessedFrame frame = takeFrame(camera.handle, 30000, true);
    QCOMPARE(frame.result, VEXO_SDK_OK);

    const QByteArray name =
        QFile::encodeName(QString(path).replace(QLatin1String("FOLDER"), dir.filePath("folder")));
    int result = 0;
    if (operation == "save picture")
        result = SdkSaveImageFile(camera.handle, name.constData(), frame.pixels.data(), &frame.info,
                                  VEXO_SDK_FILE_PNG, 90);
    else if (operation == "export parameters")
        result = SdkExportParameterFile(camera.handle, name.constData());
    else if (operation == "import parameters")
        result = SdkImportParameterFile(camera.handle, name.constData());
    else
        result = SdkUpgradeFirmware(camera.handle, name.constData(), nullptr, nullptr);
    QCOMPARE(result, expected);
    QCOMPARE(entriesOf(dir.path()), QStringList{"folder"});
    QCOMPARE(entriesOf(dir.filePath("folder")), QStringList());
}

void CameraAcquisitionTest::picturesOfMonoCamerasAreGrey_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<uint>("format");
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("typeCode");
    QTest::addColumn<bool>("grey");
    const struct {
        const char* name;
        int code;
    } types[] = {
        {"BMP", VEXO_SDK_FILE_BMP}, {"PNG", VEXO_SDK_FILE_PNG}, {"JPG", VEXO_SDK_FILE_JPG}};
    const uint rgb = VEXO_SDK_PIXEL_RGB8;
    for (const auto& t : types) {
        QTest::addRow("mono camera, RGB frame, %s", t.name)
            << kGigEMono << rgb << "" << t.code << true;
        QTest::addRow("mono camera, MONO8 frame, %s", t.name)
            << kGigEMono << uint(VEXO_SDK_PIXEL_MONO8) << "" << t.code << true;
        QTest::addRow("colour camera, %s", t.name) << kUsbFast << rgb << "" << t.code << false;
    }
    QTest::newRow("mono camera, BGRA frame, PNG")
        << kGigEMono << uint(VEXO_SDK_PIXEL_BGRA8) << "" << 8 << true;
    QTest::newRow("mono camera, BGR frame, BMP")
        << kGigEMono << uint(VEXO_SDK_PIXEL_BGR8) << "" << 2 << true;
    QTest::newRow("mono camera with a red crosshair, BMP")
        << kGigEMono << rgb << "crosshair" << 2 << false;
    QTest::newRow("mono camera with a red crosshair, PNG")
        << kGigEMono << rgb << "crosshair" << 8 << false;
    QTest::newRow("mono camera, last pixel coloured, PNG")
        << kGigEMono << rgb << "last pixel" << 8 << false;
    // The camera decides, not the pixels: a colour camera's grey picture stays colour.
    QTest::newRow("colour camera in monochrome, PNG")
        << kUsbFast << rgb << "monochrome" << 8 << false;
}

void CameraAcquisitionTest::picturesOfMonoCamerasAreGrey()
{
    QFETCH(QString, identifier);
    QFETCH(uint, format);
    QFETCH(QString, change);
    QFETCH(int, typeCode);
    QFETCH(bool, grey);
    QTemporaryDir dir;
    OpenCamera camera(identifier.toLatin1().constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    VexoCapabilities caps{};
    QCOMPARE(SdkGetCapabilities(camera.handle, &caps), VEXO_SDK_OK);
    QCOMPARE(SdkSelectPresetResolution(camera.handle, caps.resolutionCount - 1),
             VEXO_SDK_OK);  // the smallest
    QCOMPARE(SdkSetOutputFormat(camera.handle, format), VEXO_SDK_OK);
    if (change == "crosshair")
        QCOMPARE(SdkSetCrosshair(camera.handle, 0, 40, 30, 0x0000FF, 1), VEXO_SDK_OK);
    if (change == "monochrome")
        QCOMPARE(SdkSetMonochrome(camera.handle, 1), VEXO_SDK_OK);
    ProcessedFrame frame = takeFrame(camera.handle, 30000, true);
    QCOMPARE(frame.result, VEXO_SDK_OK);
    const int w = frame.info.width, h = frame.info.height;
    const size_t bpp = format == VEXO_SDK_PIXEL_MONO8 ? 1 : format == VEXO_SDK_PIXEL_BGRA8 ? 4 : 3;
    const bool bgr = format == VEXO_SDK_PIXEL_BGR8 || format == VEXO_SDK_PIXEL_BGRA8;
    if (change == "last pixel")
        frame.pixels[(size_t(w) * h - 1) * bpp] ^= 0x40;
    auto expected = [&](int x, int y) {
        const BYTE* p = frame.pixels.data() + (size_t(y) * w + x) * bpp;
        if (bpp == 1)
            return qRgb(p[0], p[0], p[0]);
        return bgr ? qRgb(p[2], p[1], p[0]) : qRgb(p[0], p[1], p[2]);
    };
    if (change == "crosshair")
        QCOMPARE(expected(40, 0), qRgb(255, 0, 0));  // the crosshair is in the frame

    const QByteArray base = QFile::encodeName(dir.filePath("picture"));
    QCOMPARE(SdkSaveImageFile(camera.handle, base.constData(), frame.pixels.data(), &frame.info,
                              typeCode, 100),
             VEXO_SDK_OK);
    const QString extension = typeCode == VEXO_SDK_FILE_BMP   ? ".bmp"
                              : typeCode == VEXO_SDK_FILE_PNG ? ".png"
                                                              : ".jpg";
    const QImage image(dir.filePath("picture" + extension));
    QCOMPARE(image.size(), QSize(w, h));
    if (grey) {
        QCOMPARE(image.depth(), 8);
        QVERIFY(image.isGrayscale());
    } else {
        QCOMPARE(image.format(), QImage::Format_RGB32);  // how Qt reads 24-bit files
    }
    // Lossless files keep every value; JPEG at quality 100 only rounds. (Colour JPEGs
    // share colour between neighbours, so their values are not compared.)
    if (typeCode == VEXO_SDK_FILE_JPG && !grey)
        return;
    const int tolerance = typeCode == VEXO_SDK_FILE_JPG ? 3 : 0;
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb want = expected(x, y), got = image.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(want) - qRed(got)),
                              std::abs(qGreen(want) - qGreen(got)),
                              std::abs(qBlue(want) - qBlue(got))});
        }
    QVERIFY2(worst <= tolerance, qPrintable(QString("largest difference %1").arg(worst)));
}

void CameraAcquisitionTest::detachWhileStreamingFailsFramesAndCloseWorks()
{
    int handle = 0;
    QCOMPARE(SdkOpenCamera(&handle, kUsbFocus), VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(handle), VEXO_SDK_OK);
    QCOMPARE(takeFrame(handle).result, VEXO_SDK_OK);
    QCOMPARE(runSimulator({"detach", kUsbFocus}), 0);
    int result = VEXO_SDK_OK;
    QElapsedTimer timer;
    timer.start();
    while (result == VEXO_SDK_OK && timer.elapsed() < 30000) {
        uint32_t token = 0;
        result = SdkGetFrame(handle, &token, 500);
        if (result == VEXO_SDK_OK)
            SdkReleaseFrame(handle, token);
    }
    QCOMPARE(result, VEXO_SDK_DETACHED);
    uint32_t token = 0;
    QCOMPARE(SdkGrabFrameWithTimeout(handle, &token, 100), VEXO_SDK_DETACHED);
    QCOMPARE(enumerationIndex(kUsbFocus), -1);
    int again = 0;
    QCOMPARE(SdkOpenCamera(&again, kUsbFocus), VEXO_SDK_NOT_FOUND);
    QCOMPARE(SdkCloseCamera(handle), VEXO_SDK_OK);

    QCOMPARE(runSimulator({"attach", kUsbFocus}), 0);
    QVERIFY(enumerationIndex(kUsbFocus) >= 0);
    OpenCamera reopened(kUsbFocus);
    QCOMPARE(reopened.result, VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(reopened.handle), VEXO_SDK_OK);
    QCOMPARE(takeFrame(reopened.handle).result, VEXO_SDK_OK);
}

void CameraAcquisitionTest::guiThreadAndAcquisitionThreadShareAHandle()
{
    OpenCamera camera(kGigEColour);
    QCOMPARE(SdkSetOutputFormat(camera.handle, VEXO_SDK_PIXEL_RGB8), VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0}, failures{0};
    // The viewer's acquisition thread: the frame cycle with format re-assertion.
    std::thread acquisition([&] {
        std::vector<BYTE> buffer;
        while (!stop.load()) {
            VexoFrameStatistics statistics{};
            SdkGetFrameStatistics(camera.handle, &statistics);
            uint32_t token = 0;
            if (SdkGetFrame(camera.handle, &token, 1000) != VEXO_SDK_OK)
                continue;
            VexoImageInfo info{};
            BYTE* raw = SdkGetRawImage(camera.handle, token, &info);
            buffer.resize(std::max(buffer.size(), size_t(info.width) * size_t(info.height) * 4));
            const int result = raw ? SdkProcessImage(camera.handle, &info, raw, buffer.data()) : -1;
            SdkReleaseFrame(camera.handle, token);
            if (result != VEXO_SDK_OK) {
                ++failures;
                continue;
            }
            if (info.pixelFormat != VEXO_SDK_PIXEL_RGB8) {
                SdkSetOutputFormat(camera.handle, VEXO_SDK_PIXEL_RGB8);
                continue;
            }
            SdkPostProcessImage(camera.handle, buffer.data(), &info);
            ++frames;
        }
    });
    // The GUI thread: a user dragging sliders, switching resolutions and reading back.
    QElapsedTimer timer;
    timer.start();
    int round = 0;
    // Hundreds of changes, and on until frames got through (a deadline, not a duration).
    while ((round < 300 || frames.load() < 3) && timer.elapsed() < 60000) {
        SdkSetAnalogGain(camera.handle, 1000 + (round % 10) * 100);
        SdkSetWhiteBalanceGains(camera.handle, 100 + round % 50, 100, 120);
        SdkSetGamma(camera.handle, 50 + round % 200);
        SdkSetSaturation(camera.handle, round % 200);
        SdkSetCrosshair(camera.handle, round % 9, round % 640, round % 360, 0xFF00FF, 1);
        SdkSetMirror(camera.handle, round % 2, (round / 2) % 2);
        SdkSelectPresetResolution(camera.handle, round % 3);
        if (round % 100 == 0)
            SdkSetOutputFormat(camera.handle, VEXO_SDK_PIXEL_BGR8);  // the thread must repair this
        VexoCameraParameters p{};
        SdkGetCameraParameters(camera.handle, &p);
        VexoCapabilities caps{};
        SdkGetCapabilities(camera.handle, &caps);
        int width = 0, height = 0;
        SdkGetResolution(camera.handle, &width, &height);
        ++round;
        QTest::qWait(2);
    }
    stop = true;
    acquisition.join();
    QCOMPARE(failures.load(), 0);
    // Frames keep flowing while settings change under them (how many depends on the machine).
    QVERIFY2(frames.load() >= 3, qPrintable(QString::number(frames.load())));
    QCOMPARE(SdkStopAcquisition(camera.handle), VEXO_SDK_OK);
}

void CameraAcquisitionTest::twoFrameThreadsWhileSettingsChange()
{
    // Two threads run the frame cycle on one handle while a third changes parameters,
    // output format and resolution. Every frame must stay consistent in itself (run this
    // under ThreadSanitizer too: the build with VEXO_TSAN=ON).
    OpenCamera camera(kGigEColour);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0}, rounds{0};
    std::atomic<int> frames[2] = {{0}, {0}};
    auto bytesPerPixel = [](uint32_t format) {
        return format == VEXO_SDK_PIXEL_MONO8 ? 1 : format == VEXO_SDK_PIXEL_BGRA8 ? 4 : 3;
    };
    auto frameCycle = [&](std::atomic<int>& count) {
        std::vector<BYTE> buffer;
        while (!stop.load()) {
            uint32_t token = 0;
            if (SdkGetFrame(camera.handle, &token, 1000) != VEXO_SDK_OK)
                continue;
            VexoImageInfo info{};
            BYTE* raw = SdkGetRawImage(camera.handle, token, &info);
            if (!raw || info.dataSize != info.width * info.height) {
                ++failures;
                SdkReleaseFrame(camera.handle, token);
                continue;
            }
            buffer.resize(size_t(info.width) * size_t(info.height) * 4);
            const int result = SdkProcessImage(camera.handle, &info, raw, buffer.data());
            if (result != VEXO_SDK_OK ||
                info.dataSize != info.width * info.height * bytesPerPixel(info.pixelFormat))
                ++failures;
            if (SdkReleaseFrame(camera.handle, token) != VEXO_SDK_OK)
                ++failures;
            ++count;
        }
    };
    std::thread first(frameCycle, std::ref(frames[0]));
    std::thread second(frameCycle, std::ref(frames[1]));
    std::thread changer([&] {
        const uint32_t formats[] = {VEXO_SDK_PIXEL_RGB8, VEXO_SDK_PIXEL_BGR8, VEXO_SDK_PIXEL_BGRA8,
                                    VEXO_SDK_PIXEL_MONO8};
        for (int round = 0; !stop.load(); ++round) {
            SdkSetAnalogGain(camera.handle, 1000 + (round % 10) * 100);
            SdkSetExposureMode(camera.handle, round % 2);
            SdkSetWhiteBalanceGains(camera.handle, 100 + round % 50, 100, 120);
            SdkSetGamma(camera.handle, 50 + round % 200);
            SdkSetContrast(camera.handle, round % 100);
            SdkSetSharpness(camera.handle, round % 100);
            SdkSetMonochrome(camera.handle, (round / 7) % 2);
            SdkSetCrosshair(camera.handle, round % 9, round % 640, round % 360, 0x00FF00,
                            round % 2);
            SdkSetMirror(camera.handle, round % 2, (round / 3) % 2);
            SdkSetOutputFormat(camera.handle, formats[round % 4]);
            SdkSelectPresetResolution(camera.handle, (round / 5) % 3);
            ++rounds;
            std::this_thread::yield();
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(frames[0].load() >= 5 && frames[1].load() >= 5 && rounds.load() >= 200,
                             60000);
    stop = true;
    first.join();
    second.join();
    changer.join();
    QCOMPARE(failures.load(), 0);
    QCOMPARE(SdkStopAcquisition(camera.handle), VEXO_SDK_OK);
}

void CameraAcquisitionTest::closeWakesAWaitingFrameCall()
{
    int handle = 0;
    QCOMPARE(SdkOpenCamera(&handle, kUsbFast), VEXO_SDK_OK);
    QCOMPARE(SdkSetTriggerMode(handle, 1), VEXO_SDK_OK);  // no frames will come
    QCOMPARE(SdkStartAcquisition(handle), VEXO_SDK_OK);
    std::atomic<int> result{1};
    std::thread waiter([&] {
        uint32_t token = 0;
        result = SdkGetFrame(handle, &token, 120000);
    });
    QTest::qWait(100);
    QCOMPARE(SdkCloseCamera(handle), VEXO_SDK_OK);
    waiter.join();
    // Woken by the close: a wait that ran out would say TIMEOUT (after two minutes).
    QVERIFY(result.load() == VEXO_SDK_INVALID_HANDLE || result.load() == VEXO_SDK_NOT_STARTED);
}

QTEST_GUILESS_MAIN(CameraAcquisitionTest)
#include "tst_cameraacquisition.moc"
