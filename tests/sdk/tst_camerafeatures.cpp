// Camera features through the library's C interface: a simulated camera (the settings the
// library holds) and, with VEXO_TEST_ARAVIS=fake, Aravis' in-process fake camera (its
// GenICam description), or with gige the same description through the GigE Vision fake
// camera on loopback. Lists, writes of every type read back, commands, refusals with
// their reasons, agreement with the fixed parameter operations, a camera that goes away.
#include <QtTest>

#include <functional>

#include "CameraTestSupport.h"
#include "VexoCameraApi.h"

using namespace cameratest;

namespace {

constexpr int kDeadlineMs = 30000;

bool fakeMode()
{
    return cameratest::fakeCameraMode();
}

QByteArray cameraUnderTest()
{
    return cameratest::featureCameraUnderTest();
}

struct Listed {
    VexoFeatureInfo info{};
    QStringList entries;
};

QMap<QByteArray, Listed> listFeatures(int handle, int* result = nullptr)
{
    QMap<QByteArray, Listed> all;
    int count = 0;
    const int r = SdkGetFeatureCount(handle, &count);
    if (result)
        *result = r;
    for (int i = 0; r == VEXO_SDK_OK && i < count; ++i) {
        Listed l;
        if (SdkGetFeatureInfo(handle, i, &l.info) != VEXO_SDK_OK)
            continue;
        for (int e = 0; e < l.info.entryCount; ++e) {
            char entry[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
            if (SdkGetFeatureEntry(handle, i, e, entry) == VEXO_SDK_OK)
                l.entries << QString::fromUtf8(entry);
        }
        all.insert(l.info.name, l);
    }
    return all;
}

QByteArray valueOf(int handle, const char* name, int* result = nullptr, int* access = nullptr)
{
    char value[VEXO_SDK_FEATURE_VALUE_SIZE] = {};
    const int r = SdkGetFeatureValue(handle, name, value, access);
    if (result)
        *result = r;
    return value;
}

int writeFeature(int handle, const char* name, const char* value, QByteArray* reason = nullptr)
{
    char why[VEXO_SDK_FEATURE_REASON_SIZE] = "untouched";
    const int r = SdkSetFeatureValue(handle, name, value, why);
    if (reason)
        *reason = why;
    return r;
}

}  // namespace

class CameraFeaturesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void listsFeaturesWithTypesAndRanges_data();
    void listsFeaturesWithTypesAndRanges();
    void writesAreReadBack_data();
    void writesAreReadBack();
    void parameterOperationsAgree();
    void commandRuns();
    void refusedWritesSayWhy_data();
    void refusedWritesSayWhy();
    void frameLayoutIsRefusedWhileStreaming();
    void badArguments();
    void vanishedCameraAnswersDetached();
    void streamStatisticsCount();
    void heldBuffersCountAsUnderruns();

private:
    QByteArray identifier;
    FakeGigECamera gigeCamera;
};

void CameraFeaturesTest::initTestCase()
{
    if (gigeCameraMode()) {
        QString why;
        QVERIFY2(gigeCamera.start({}, &why), qPrintable(why));
    }
    // A GigE camera is found once it answers the discovery.
    retryUntil([&] { return !(identifier = cameraUnderTest()).isEmpty(); });
    QVERIFY2(!identifier.isEmpty(), "the camera under test is not listed");
}

void CameraFeaturesTest::listsFeaturesWithTypesAndRanges_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("category");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("access");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<QString>("entry");  // one entry an enumeration must have
    const int RO = VEXO_SDK_ACCESS_READ_ONLY, RW = VEXO_SDK_ACCESS_READ_WRITE;
    if (fakeMode()) {
        QTest::newRow("integer with range")
            << QByteArray("Width") << "ImageFormatControl" << VEXO_SDK_FEATURE_INTEGER << RW << 1.0
            << 2048.0 << "";
        QTest::newRow("float") << QByteArray("ExposureTimeAbs") << "AcquisitionControl"
                               << VEXO_SDK_FEATURE_FLOAT << RW << 10.0 << 10000000.0 << "";
        QTest::newRow("enumeration") << QByteArray("PixelFormat") << "ImageFormatControl"
                                     << VEXO_SDK_FEATURE_ENUMERATION << RW << 0.0 << 0.0 << "Mono8";
        QTest::newRow("command") << QByteArray("TriggerSoftware") << "AcquisitionControl"
                                 << VEXO_SDK_FEATURE_COMMAND << RW << 0.0 << 0.0 << "";
        QTest::newRow("read-only string") << QByteArray("DeviceModelName") << "DeviceControl"
                                          << VEXO_SDK_FEATURE_STRING << RO << 0.0 << 0.0 << "";
    } else {
        QTest::newRow("integer with range") << QByteArray("Contrast") << "Image Processing"
                                            << VEXO_SDK_FEATURE_INTEGER << RW << 0.0 << 100.0 << "";
        QTest::newRow("float, the camera's exposure range")
            << QByteArray("ExposureTime") << "Acquisition Control" << VEXO_SDK_FEATURE_FLOAT << RW
            << -1.0 << -1.0 << "";
        QTest::newRow("enumeration")
            << QByteArray("TriggerMode") << "Acquisition Control/Trigger"
            << VEXO_SDK_FEATURE_ENUMERATION << RW << 0.0 << 0.0 << "Hardware";
        QTest::newRow("boolean") << QByteArray("ReverseX") << "Image Format Control"
                                 << VEXO_SDK_FEATURE_BOOLEAN << RW << 0.0 << 0.0 << "";
        QTest::newRow("command") << QByteArray("TriggerSoftware") << "Acquisition Control/Trigger"
                                 << VEXO_SDK_FEATURE_COMMAND << RW << 0.0 << 0.0 << "";
        QTest::newRow("read-only string") << QByteArray("DeviceModelName") << "Device Control"
                                          << VEXO_SDK_FEATURE_STRING << RO << 0.0 << 0.0 << "";
    }
}

void CameraFeaturesTest::listsFeaturesWithTypesAndRanges()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, category);
    QFETCH(int, type);
    QFETCH(int, access);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(QString, entry);
    OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    const auto all = listFeatures(camera.handle);
    QVERIFY2(all.contains(name), name.constData());
    const VexoFeatureInfo& f = all[name].info;
    QCOMPARE(QString::fromUtf8(f.category), category);
    QCOMPARE(f.type, type);
    QCOMPARE(f.access, access);
    if (minimum < 0 && maximum < 0) {
        // The exposure range in steps of the capability record.
        VexoCapabilities caps{};
        double stepUs = 0;
        QCOMPARE(SdkGetCapabilities(camera.handle, &caps), VEXO_SDK_OK);
        QCOMPARE(SdkGetExposureStepTime(camera.handle, &stepUs), VEXO_SDK_OK);
        minimum = caps.exposureMinSteps * stepUs;
        maximum = caps.exposureMaxSteps * stepUs;
        QCOMPARE(f.increment, stepUs);
    }
    if (type == VEXO_SDK_FEATURE_INTEGER || type == VEXO_SDK_FEATURE_FLOAT) {
        // Ranges computed from exposure steps carry rounding.
        QVERIFY2(qAbs(f.minimum - minimum) <= 1e-9 * qMax(1.0, qAbs(minimum)),
                 qPrintable(QString::number(f.minimum)));
        QVERIFY2(qAbs(f.maximum - maximum) <= 1e-9 * qMax(1.0, qAbs(maximum)),
                 qPrintable(QString::number(f.maximum)));
    }
    if (!entry.isEmpty())
        QVERIFY2(all[name].entries.contains(entry), qPrintable(all[name].entries.join(',')));
    QVERIFY(f.displayName[0] != '\0');
    if (type == VEXO_SDK_FEATURE_STRING)
        QCOMPARE(valueOf(camera.handle, name), QByteArray(fakeMode() ? "Fake" : "VX-G230C"));
}

void CameraFeaturesTest::writesAreReadBack_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("readBack");
    if (fakeMode()) {
        QTest::newRow("integer") << QByteArray("Width") << QByteArray("320") << QByteArray("320");
        QTest::newRow("float") << QByteArray("ExposureTimeAbs") << QByteArray("20000")
                               << QByteArray("20000");
        QTest::newRow("enumeration") << QByteArray("AcquisitionMode") << QByteArray("SingleFrame")
                                     << QByteArray("SingleFrame");
        QTest::newRow("enumeration of a mapped feature")
            << QByteArray("PixelFormat") << QByteArray("Mono8") << QByteArray("Mono8");
    } else {
        QTest::newRow("integer") << QByteArray("Contrast") << QByteArray("73") << QByteArray("73");
        // Exposure moves onto the camera's 14.8 us steps.
        QTest::newRow("float, rounded to the step")
            << QByteArray("ExposureTime") << QByteArray("2000") << QByteArray("1998");
        QTest::newRow("float gain") << QByteArray("Gain") << QByteArray("2.5") << QByteArray("2.5");
        QTest::newRow("enumeration")
            << QByteArray("TriggerMode") << QByteArray("Software") << QByteArray("Software");
        QTest::newRow("boolean") << QByteArray("ReverseY") << QByteArray("true")
                                 << QByteArray("true");
        QTest::newRow("boolean as a number")
            << QByteArray("ReverseY") << QByteArray("1") << QByteArray("true");
    }
}

void CameraFeaturesTest::writesAreReadBack()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, readBack);
    OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    QByteArray reason;
    QCOMPARE(writeFeature(camera.handle, name, value, &reason), VEXO_SDK_OK);
    QCOMPARE(reason, QByteArray());
    int access = -1;
    const QByteArray held = valueOf(camera.handle, name, nullptr, &access);
    if (name == "ExposureTime")
        QCOMPARE(qRound(held.toDouble()), readBack.toInt());
    else
        QCOMPARE(held, readBack);
    QCOMPARE(access, VEXO_SDK_ACCESS_READ_WRITE);
}

void CameraFeaturesTest::parameterOperationsAgree()
{
    OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    const char* exposure = fakeMode() ? "ExposureTimeAbs" : "ExposureTime";
    QCOMPARE(SdkSetExposureMode(camera.handle, 0), VEXO_SDK_OK);

    // A write by name shows in the parameter record ...
    QCOMPARE(writeFeature(camera.handle, exposure, "30000"), VEXO_SDK_OK);
    VexoCameraParameters p{};
    QCOMPARE(SdkGetCameraParameters(camera.handle, &p), VEXO_SDK_OK);
    QCOMPARE(qRound(p.exposureTimeUs / 100.0), 300);
    if (fakeMode()) {
        QCOMPARE(writeFeature(camera.handle, "Width", "256"), VEXO_SDK_OK);
        int width = 0, height = 0;
        QCOMPARE(SdkGetResolution(camera.handle, &width, &height), VEXO_SDK_OK);
        QCOMPARE(width, 256);
    }
    // ... and a parameter operation shows in the feature.
    QCOMPARE(SdkSetExposureTime(camera.handle, 50000), VEXO_SDK_OK);
    QCOMPARE(SdkGetCameraParameters(camera.handle, &p), VEXO_SDK_OK);
    QCOMPARE(valueOf(camera.handle, exposure).toDouble(), p.exposureTimeUs);
}

void CameraFeaturesTest::commandRuns()
{
    OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    if (!fakeMode()) {
        // The software trigger by name takes a frame like SdkSoftwareTriggerOnce.
        QCOMPARE(writeFeature(camera.handle, "TriggerMode", "Software"), VEXO_SDK_OK);
        QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
        uint32_t token = 0;
        QCOMPARE(SdkGetFrame(camera.handle, &token, 200), VEXO_SDK_TIMEOUT);
    }
    char reason[VEXO_SDK_FEATURE_REASON_SIZE] = "untouched";
    QCOMPARE(SdkExecuteFeature(camera.handle, "TriggerSoftware", reason), VEXO_SDK_OK);
    QCOMPARE(QByteArray(reason), QByteArray());
    if (!fakeMode()) {
        uint32_t token = 0;
        QCOMPARE(SdkGetFrame(camera.handle, &token, kDeadlineMs), VEXO_SDK_OK);
        SdkReleaseFrame(camera.handle, token);
    }
    QCOMPARE(SdkExecuteFeature(camera.handle, "NoSuchCommand", reason), VEXO_SDK_NOT_MATCHING);
    QVERIFY(reason[0] != '\0');
    QCOMPARE(SdkExecuteFeature(camera.handle, fakeMode() ? "Width" : "Contrast", reason),
             VEXO_SDK_NOT_MATCHING);
}

void CameraFeaturesTest::refusedWritesSayWhy_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("reasonHolds");
    const QByteArray integer = fakeMode() ? "Width" : "Contrast";
    const QByteArray enumeration = fakeMode() ? "AcquisitionMode" : "TriggerMode";
    QTest::newRow("integer above its maximum")
        << integer << QByteArray("5000") << int(VEXO_SDK_OUT_OF_RANGE) << QByteArray("outside");
    QTest::newRow("integer below its minimum")
        << integer << QByteArray("-1") << int(VEXO_SDK_OUT_OF_RANGE) << QByteArray("outside");
    QTest::newRow("not a number") << integer << QByteArray("wide") << int(VEXO_SDK_INVALID_ARGUMENT)
                                  << QByteArray("not a whole number");
    QTest::newRow("fraction for an integer")
        << integer << QByteArray("2.5") << int(VEXO_SDK_INVALID_ARGUMENT)
        << QByteArray("not a whole number");
    QTest::newRow("no such entry") << enumeration << QByteArray("Sideways")
                                   << int(VEXO_SDK_NOT_MATCHING) << QByteArray("not an entry");
    QTest::newRow("read-only feature") << QByteArray("DeviceModelName") << QByteArray("Other")
                                       << int(VEXO_SDK_WRONG_MODE) << QByteArray("read-only");
    QTest::newRow("unknown feature") << QByteArray("NoSuchFeature") << QByteArray("1")
                                     << int(VEXO_SDK_NOT_MATCHING) << QByteArray("no feature");
    QTest::newRow("a command has no value") << QByteArray("TriggerSoftware") << QByteArray("1")
                                            << int(VEXO_SDK_NOT_MATCHING) << QByteArray("command");
    if (!fakeMode())
        QTest::newRow("float out of range") << QByteArray("Gain") << QByteArray("99")
                                            << int(VEXO_SDK_OUT_OF_RANGE) << QByteArray("outside");
    else
        QTest::newRow("float out of range") << QByteArray("ExposureTimeAbs") << QByteArray("1")
                                            << int(VEXO_SDK_OUT_OF_RANGE) << QByteArray("outside");
}

void CameraFeaturesTest::refusedWritesSayWhy()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, value);
    QFETCH(int, result);
    QFETCH(QByteArray, reasonHolds);
    OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    int readResult = 0;
    const QByteArray before = valueOf(camera.handle, name, &readResult);
    QByteArray reason;
    QCOMPARE(writeFeature(camera.handle, name, value, &reason), result);
    QVERIFY2(reason.contains(reasonHolds), reason.constData());
    if (readResult == VEXO_SDK_OK)
        QCOMPARE(valueOf(camera.handle, name), before);
}

void CameraFeaturesTest::frameLayoutIsRefusedWhileStreaming()
{
    OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    const QByteArray before = valueOf(camera.handle, "PixelFormat");
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    QByteArray reason;
    const int r = writeFeature(camera.handle, fakeMode() ? "Width" : "PixelFormat",
                               fakeMode() ? "128" : "Mono8", &reason);
    if (fakeMode()) {
        QCOMPARE(r, VEXO_SDK_WRONG_MODE);
        QVERIFY2(reason.contains("stop the acquisition"), reason.constData());
    } else {
        // The library's own cameras change formats between frames.
        QCOMPARE(r, VEXO_SDK_OK);
    }
    QCOMPARE(SdkStopAcquisition(camera.handle), VEXO_SDK_OK);
    Q_UNUSED(before);
}

void CameraFeaturesTest::badArguments()
{
    OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    char buffer[VEXO_SDK_FEATURE_VALUE_SIZE];
    VexoFeatureInfo info{};
    QCOMPARE(SdkGetFeatureCount(camera.handle, nullptr), VEXO_SDK_INVALID_ARGUMENT);
    QCOMPARE(SdkGetFeatureValue(camera.handle, nullptr, buffer, nullptr),
             VEXO_SDK_INVALID_ARGUMENT);
    QCOMPARE(SdkGetFeatureValue(camera.handle, "Width", nullptr, nullptr),
             VEXO_SDK_INVALID_ARGUMENT);
    QCOMPARE(SdkSetFeatureValue(camera.handle, "Width", nullptr, nullptr),
             VEXO_SDK_INVALID_ARGUMENT);
    QCOMPARE(SdkGetFeatureInfo(camera.handle, 0, nullptr), VEXO_SDK_INVALID_ARGUMENT);
    int count = 0;
    QCOMPARE(SdkGetFeatureCount(camera.handle, &count), VEXO_SDK_OK);
    QCOMPARE(SdkGetFeatureInfo(camera.handle, count, &info), VEXO_SDK_OUT_OF_RANGE);
    QCOMPARE(SdkGetFeatureInfo(camera.handle, -1, &info), VEXO_SDK_OUT_OF_RANGE);
    QCOMPARE(SdkGetFeatureEntry(camera.handle, 0, 99, buffer), VEXO_SDK_OUT_OF_RANGE);
    QCOMPARE(SdkGetFeatureValue(camera.handle + 1000, "Width", buffer, nullptr),
             VEXO_SDK_INVALID_HANDLE);
    char reason[VEXO_SDK_FEATURE_REASON_SIZE] = {};
    QCOMPARE(SdkSetFeatureValue(camera.handle + 1000, "Width", "1", reason),
             VEXO_SDK_INVALID_HANDLE);
    QVERIFY(reason[0] != '\0');
}

void CameraFeaturesTest::vanishedCameraAnswersDetached()
{
    if (fakeMode())
        QSKIP("the in-process fake camera cannot be unplugged");
    OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    QVERIFY(listFeatures(camera.handle).size() > 10);
    QCOMPARE(runSimulator({"detach", identifier}), 0);
    // The library's own settings stay readable while the camera is away ...
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            int r = 0;
            valueOf(camera.handle, "Contrast", &r);
            return r == VEXO_SDK_DETACHED || r == VEXO_SDK_OK;
        }(),
        kDeadlineMs);
    int r = 0;
    listFeatures(camera.handle, &r);
    QVERIFY(r == VEXO_SDK_DETACHED || r == VEXO_SDK_OK);
    QCOMPARE(runSimulator({"attach", identifier}), 0);
    // ... and the camera answers again when it is back.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            int result = 0;
            listFeatures(camera.handle, &result);
            return result == VEXO_SDK_OK &&
                   valueOf(camera.handle, "Contrast", &result).size() > 0 && result == VEXO_SDK_OK;
        }(),
        kDeadlineMs);
}

void CameraFeaturesTest::streamStatisticsCount()
{
    OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    VexoStreamStatistics before{};
    QCOMPARE(SdkGetStreamStatistics(camera.handle, &before), VEXO_SDK_OK);
    QCOMPARE(before.framesReceived, uint64_t(0));
    QCOMPARE(SdkGetStreamStatistics(camera.handle, nullptr), VEXO_SDK_INVALID_ARGUMENT);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    const int frames = 5;
    int width = 0, height = 0;
    for (int i = 0; i < frames; ++i) {
        const ProcessedFrame frame = takeFrame(camera.handle, kDeadlineMs);
        QCOMPARE(frame.result, VEXO_SDK_OK);
        width = frame.info.width;
        height = frame.info.height;
    }
    QCOMPARE(SdkStopAcquisition(camera.handle), VEXO_SDK_OK);
    VexoStreamStatistics after{};
    QCOMPARE(SdkGetStreamStatistics(camera.handle, &after), VEXO_SDK_OK);
    VexoFrameStatistics frameStatistics{};
    QCOMPARE(SdkGetFrameStatistics(camera.handle, &frameStatistics), VEXO_SDK_OK);
    QVERIFY(after.framesReceived >= uint64_t(frames));
    // 8-bit frames: a byte a pixel, as they came.
    QVERIFY2(after.bytesReceived >= after.framesReceived * uint64_t(width) * uint64_t(height),
             qPrintable(QString::number(after.bytesReceived)));
    QCOMPARE(after.framesLost, uint64_t(frameStatistics.lostFrames));
    if (!gigeCameraMode()) {
        QCOMPARE(after.packetsMissing, uint64_t(0));  // no network in between
        QCOMPARE(after.packetsResent, uint64_t(0));
    }
    // Counters survive a stop: a second look gives the same.
    VexoStreamStatistics again{};
    QCOMPARE(SdkGetStreamStatistics(camera.handle, &again), VEXO_SDK_OK);
    QCOMPARE(again.framesReceived, after.framesReceived);
    QCOMPARE(again.bytesReceived, after.bytesReceived);
}

void CameraFeaturesTest::heldBuffersCountAsUnderruns()
{
    OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    // Take frames and keep them until the library has no buffer left for the camera.
    QVector<uint32_t> held;
    int result = VEXO_SDK_OK;
    while (result == VEXO_SDK_OK && held.size() < 64) {
        uint32_t token = 0;
        result = SdkGetFrame(camera.handle, &token, kDeadlineMs);
        if (result == VEXO_SDK_OK)
            held << token;
    }
    QCOMPARE(result, int(VEXO_SDK_BUFFERS_HELD));
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            VexoStreamStatistics s{};
            SdkGetStreamStatistics(camera.handle, &s);
            return s.bufferUnderruns > 0 && s.framesLost >= s.bufferUnderruns;
        }(),
        kDeadlineMs);
    for (uint32_t token : held)
        SdkReleaseFrame(camera.handle, token);
}

QTEST_GUILESS_MAIN(CameraFeaturesTest)
#include "tst_camerafeatures.moc"
