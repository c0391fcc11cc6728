// The camera library's devices, parameters and records, and how it refuses bad input.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <unistd.h>

#include <cstring>
#include <functional>

#include "CameraTestSupport.h"

using namespace cameratest;

using Operation = std::function<int(int handle)>;
Q_DECLARE_METATYPE(Operation)

class CameraApiTest : public QObject {
    Q_OBJECT

private slots:
    void defaultCameraSet();
    void openMarksCameraOpenAndCloseReleasesIt();
    void openingTwiceIsRefused();
    void identityOfAnOpenCamera();
    void capabilities_data();
    void capabilities();
    void parameterRecordFollowsSetters_data();
    void parameterRecordFollowsSetters();
    void rejectedValuesChangeNothing_data();
    void rejectedValuesChangeNothing();
    void unknownAndClosedHandles_data();
    void unknownAndClosedHandles();
    void nullPointers_data();
    void nullPointers();
    void lineSettingsPerLine();
    void resolutionPresetsAndRegions();
    void extendedParameters_data();
    void extendedParameters();
    void crosshairsRoundTrip();
    void nicknamePersistsAndHasALimit();
    void networkConfiguration();
    void networkConfigurationValidation_data();
    void networkConfigurationValidation();
    void parameterFolderIsCreated();
    void lockThatCannotBeCreated_data();
    void lockThatCannotBeCreated();
    void networkConfigurationOfAnUnpluggedCamera();
    void storedNetworkSettingsAreChecked_data();
    void storedNetworkSettingsAreChecked();
};

void CameraApiTest::defaultCameraSet()
{
    int count = 0;
    QCOMPARE(SdkEnumerateDevices(&count), VEXO_SDK_OK);
    QCOMPARE(count, 5);
    int gige = 0;
    QStringList identifiers;
    for (int i = 0; i < count; ++i) {
        VexoDeviceInfo info;
        std::memset(&info, 0x5A, sizeof info);
        QCOMPARE(SdkGetDeviceInfo(i, &info), VEXO_SDK_OK);
        identifiers << QString::fromLatin1(info.cameraIdentifier);
        if (std::strstr(info.interfaceText, "GigE"))
            ++gige;
        QVERIFY(info.productName[0] != '\0');
        QVERIFY(info.deviceName[0] != '\0');
        QVERIFY(info.firmwareVersion != 0);
        QCOMPARE(info.opened, 0);
    }
    QCOMPARE(gige, 2);
    QCOMPARE(QSet<QString>(identifiers.begin(), identifiers.end()).size(), 5);
    QVERIFY(identifiers.contains(kGigEColour));
    QVERIFY(identifiers.contains(kUsbFast));
    QVERIFY(identifiers.contains(kUsbMono12));
}

void CameraApiTest::openMarksCameraOpenAndCloseReleasesIt()
{
    VexoDeviceInfo info{};
    const int index = enumerationIndex(kGigEMono, &info);
    QVERIFY(index >= 0);
    QCOMPARE(info.opened, 0);
    {
        OpenCamera camera(kGigEMono);
        QCOMPARE(camera.result, VEXO_SDK_OK);
        QVERIFY(camera.handle != 0);
        QCOMPARE(enumerationIndex(kGigEMono, &info), index);
        QCOMPARE(info.opened, 1);
    }
    enumerationIndex(kGigEMono, &info);
    QCOMPARE(info.opened, 0);
}

void CameraApiTest::openingTwiceIsRefused()
{
    OpenCamera first(kUsbFast);
    QCOMPARE(first.result, VEXO_SDK_OK);
    int second = 0;
    QCOMPARE(SdkOpenCamera(&second, kUsbFast), VEXO_SDK_OPEN_ELSEWHERE);
    QCOMPARE(second, 0);
    int none = 0;
    QCOMPARE(SdkOpenCamera(&none, "VXNOSUCHCAMERA"), VEXO_SDK_NOT_FOUND);
}

void CameraApiTest::identityOfAnOpenCamera()
{
    OpenCamera camera(kGigEColour);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    VexoDeviceInfo info{};
    enumerationIndex(kGigEColour, &info);

    char text[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
    QCOMPARE(SdkGetCameraIdentifier(camera.handle, text, 0), VEXO_SDK_OK);
    QCOMPARE(QByteArray(text), QByteArray(kGigEColour));
    QCOMPARE(SdkGetCameraIdentifier(camera.handle, text, 1), VEXO_SDK_INVALID_ARGUMENT);
    QCOMPARE(SdkGetCameraName(camera.handle, text), VEXO_SDK_OK);
    QCOMPARE(QByteArray(text), QByteArray(info.deviceName));
    QCOMPARE(SdkGetFirmwareVersion(camera.handle, text), VEXO_SDK_OK);
    QCOMPARE(QByteArray(text), QByteArray("v1.2.0.3"));   // the device record's word 0x1203
    QCOMPARE(info.firmwareVersion, uint16_t(0x1203));
    QCOMPARE(SdkGetInterfaceText(camera.handle, text), VEXO_SDK_OK);
    QCOMPARE(QByteArray(text), QByteArray("GigE"));
    uint32_t code = 0;
    QCOMPARE(SdkGetDeviceTypeCode(camera.handle, &code), VEXO_SDK_OK);
    QCOMPARE(code, info.deviceTypeCode);
    QCOMPARE(SdkGetSdkVersion(text), VEXO_SDK_OK);
    QVERIFY(QByteArray(text).count('.') == 2);

    VexoCameraParameters parameters{};
    QCOMPARE(SdkGetCameraParameters(camera.handle, &parameters), VEXO_SDK_OK);
    QCOMPARE(QByteArray(parameters.device.cameraIdentifier), QByteArray(kGigEColour));
    QCOMPARE(QByteArray(parameters.device.productSeries), QByteArray(info.productSeries));
    QCOMPARE(QByteArray(parameters.device.deviceName), QByteArray(info.deviceName));
}

void CameraApiTest::capabilities_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<int>("sensorWidth");
    QTest::addColumn<int>("sensorHeight");
    QTest::addColumn<int>("formats");
    QTest::addColumn<int>("outputLines");
    QTest::addColumn<int>("inputLines");
    QTest::newRow("GigE colour") << kGigEColour << 1920 << 1080 << 2 << 2 << 1;
    QTest::newRow("GigE mono") << kGigEMono << 2592 << 1944 << 1 << 1 << 1;
    QTest::newRow("USB with focus") << kUsbFocus << 1280 << 1024 << 2 << 2 << 2;
    QTest::newRow("USB without output lines") << kUsbFast << 640 << 480 << 2 << 0 << 1;
}

void CameraApiTest::capabilities()
{
    QFETCH(QString, identifier);
    QFETCH(int, sensorWidth);
    QFETCH(int, sensorHeight);
    QFETCH(int, formats);
    QFETCH(int, outputLines);
    QFETCH(int, inputLines);
    OpenCamera camera(identifier.toLatin1().constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    VexoCapabilities caps{};
    QCOMPARE(SdkGetCapabilities(camera.handle, &caps), VEXO_SDK_OK);
    QCOMPARE(caps.sensorWidth, sensorWidth);
    QCOMPARE(caps.sensorHeight, sensorHeight);
    QCOMPARE(caps.imageFormatCount, formats);
    QCOMPARE(caps.outputLineCount, outputLines);
    QCOMPARE(caps.inputLineCount, inputLines);
    QVERIFY(caps.analogGainMinMilli >= 1000);
    QVERIFY(caps.analogGainMaxMilli > caps.analogGainMinMilli);
    QVERIFY(caps.exposureMinSteps >= 1 && caps.exposureMaxSteps > caps.exposureMinSteps);

    QCOMPARE(caps.presetLutCount, 3);
    const QStringList names{QString::fromUtf8(caps.presetLuts[0].name), QString::fromUtf8(caps.presetLuts[1].name),
                            QString::fromUtf8(caps.presetLuts[2].name)};
    QCOMPARE(names, (QStringList{"直线", "曲线1", "曲线2"}));

    QVERIFY(caps.resolutionCount >= 2);
    QCOMPARE(caps.resolutions[0].regionWidth, sensorWidth);
    for (int i = 0; i < caps.resolutionCount; ++i) {
        const VexoResolution& r = caps.resolutions[i];
        QCOMPARE(r.index, i);
        QVERIFY(r.offsetX + r.regionWidth <= sensorWidth);
        QVERIFY(r.offsetY + r.regionHeight <= sensorHeight);
        VexoResolution copy{};
        QCOMPARE(SdkGetResolutionDescriptor(camera.handle, i, &copy), VEXO_SDK_OK);
        QCOMPARE(std::memcmp(&copy, &r, sizeof r), 0);
    }
    // The step length times the step range gives a sensible exposure range.
    double stepUs = 0;
    QCOMPARE(SdkGetExposureStepTime(camera.handle, &stepUs), VEXO_SDK_OK);
    QVERIFY(stepUs > 1 && stepUs < 100);
    QVERIFY(caps.exposureMaxSteps * stepUs >= 500000);
}

void CameraApiTest::parameterRecordFollowsSetters_data()
{
    QTest::addColumn<Operation>("set");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("expected");
    auto row = [](const char* name, Operation op, int offset, int expected) {
        QTest::newRow(name) << op << offset << expected;
    };
    row("manual exposure", [](int h) { return SdkSetExposureMode(h, 0); }, 600, 0);
    row("analog gain", [](int h) { return SdkSetAnalogGain(h, 2500); }, 616, 2500);
    row("target brightness", [](int h) { return SdkSetTargetBrightness(h, 77); }, 620, 77);
    row("auto exposure gain range", [](int h) { return SdkSetAutoExposureGainRange(h, 2000, 5000); }, 652, 5000);
    row("anti-flicker", [](int h) { return SdkSetAntiFlicker(h, 1); }, 656, 1);
    row("60 Hz light", [](int h) { return SdkSetLightFrequency(h, 2); }, 660, 2);
    row("manual white balance", [](int h) { return SdkSetWhiteBalanceMode(h, 0); }, 680, 0);
    row("red gain", [](int h) { return SdkSetWhiteBalanceGains(h, 150, 100, 210); }, 684, 150);
    row("blue gain", [](int h) { return SdkSetWhiteBalanceGains(h, 150, 100, 210); }, 692, 210);
    row("low frame speed", [](int h) { return SdkSetFrameSpeed(h, 0); }, 760, 0);
    row("sharpness", [](int h) { return SdkSetSharpness(h, 40); }, 764, 40);
    row("saturation", [](int h) { return SdkSetSaturation(h, 230); }, 768, 230);
    row("contrast", [](int h) { return SdkSetContrast(h, 80); }, 772, 80);
    row("horizontal mirror", [](int h) { return SdkSetMirror(h, 0, 1); }, 820, 1);
    row("vertical mirror", [](int h) { return SdkSetMirror(h, 1, 1); }, 824, 1);
    row("monochrome", [](int h) { return SdkSetMonochrome(h, 1); }, 828, 1);
}

void CameraApiTest::parameterRecordFollowsSetters()
{
    QFETCH(Operation, set);
    QFETCH(int, offset);
    QFETCH(int, expected);
    OpenCamera camera(kGigEColour);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    QCOMPARE(set(camera.handle), VEXO_SDK_OK);
    VexoCameraParameters parameters{};
    QCOMPARE(SdkGetCameraParameters(camera.handle, &parameters), VEXO_SDK_OK);
    int32_t value = 0;
    std::memcpy(&value, reinterpret_cast<const char*>(&parameters) + offset, sizeof value);
    QCOMPARE(value, expected);
}

void CameraApiTest::rejectedValuesChangeNothing_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("expected");
    auto row = [](const char* name, Operation op, int expected) { QTest::newRow(name) << op << expected; };
    const int range = VEXO_SDK_OUT_OF_RANGE;
    row("exposure mode 2", [](int h) { return SdkSetExposureMode(h, 2); }, range);
    row("exposure below the first step", [](int h) { return SdkSetExposureTime(h, 1.0); }, range);
    row("exposure of ten seconds", [](int h) { return SdkSetExposureTime(h, 1e7); }, range);
    row("exposure not a number", [](int h) { return SdkSetExposureTime(h, std::nan("")); }, range);
    row("gain below minimum", [](int h) { return SdkSetAnalogGain(h, 999); }, range);
    row("gain above maximum", [](int h) { return SdkSetAnalogGain(h, 16001); }, range);
    row("brightness 256", [](int h) { return SdkSetTargetBrightness(h, 256); }, range);
    row("auto exposure range reversed", [](int h) { return SdkSetAutoExposureTimeRange(h, 20000, 1000); }, range);
    row("auto gain range reversed", [](int h) { return SdkSetAutoExposureGainRange(h, 4000, 2000); }, range);
    row("light frequency 0", [](int h) { return SdkSetLightFrequency(h, 0); }, range);
    row("white balance gain 401", [](int h) { return SdkSetWhiteBalanceGains(h, 100, 401, 100); }, range);
    row("negative white balance gain", [](int h) { return SdkSetWhiteBalanceGains(h, -1, 100, 100); }, range);
    row("frame speed 3", [](int h) { return SdkSetFrameSpeed(h, 3); }, range);
    row("contrast 101", [](int h) { return SdkSetContrast(h, 101); }, range);
    row("saturation 256", [](int h) { return SdkSetSaturation(h, 256); }, range);
    row("mirror direction 2", [](int h) { return SdkSetMirror(h, 2, 1); }, range);
    row("crosshair 9", [](int h) { return SdkSetCrosshair(h, 9, 10, 10, 0xFF, 1); }, range);
    row("crosshair -1", [](int h) { return SdkSetCrosshair(h, -1, 10, 10, 0xFF, 1); }, range);
    row("crosshair at negative x", [](int h) { return SdkSetCrosshair(h, 0, -5, 10, 0xFF, 1); }, range);
    row("gamma 0", [](int h) { return SdkSetGamma(h, 0); }, range);
    row("lookup table mode 2", [](int h) { return SdkSetLutMode(h, 2); }, range);
    row("preset table 3", [](int h) { return SdkSelectPresetLut(h, 3); }, range);
    row("image format of a video codec", [](int h) { return SdkSetImageFormat(h, 0x12345678); }, range);
    row("preset resolution past the list", [](int h) { return SdkSelectPresetResolution(h, 99); }, range);
    row("trigger mode 3", [](int h) { return SdkSetTriggerMode(h, 3); }, range);
    row("zero trigger frames", [](int h) { return SdkSetTriggerFrameCount(h, 0); }, range);
    row("negative trigger delay", [](int h) { return SdkSetTriggerDelay(h, -1); }, range);
    row("input line 1 of 1", [](int h) { return SdkSetInputMode(h, 1, 0); }, range);
    row("trigger edge 4", [](int h) { return SdkSetInputTriggerEdge(h, 0, 4); }, range);
    row("output line 2 of 2", [](int h) { return SdkSetOutputMode(h, 2, 0); }, range);
    row("output mode 3", [](int h) { return SdkSetOutputMode(h, 0, 3); }, range);
    row("packet size 100", [](int h) { return SdkSetPacketSize(h, 100); }, range);
    row("channel that does not exist", [](int h) { return SdkSetExtendedParameter(h, 0, 2); }, range);
    row("focus on a fixed lens", [](int h) { return SdkSetExtendedParameter(h, 3, 10); }, VEXO_SDK_NOT_MATCHING);
    row("read-only channel count", [](int h) { return SdkSetExtendedParameter(h, 8, 3); }, VEXO_SDK_NOT_MATCHING);
    row("output format unknown", [](int h) { return SdkSetOutputFormat(h, 0x01100003); }, VEXO_SDK_INVALID_ARGUMENT);
}

void CameraApiTest::rejectedValuesChangeNothing()
{
    QFETCH(Operation, operation);
    QFETCH(int, expected);
    OpenCamera camera(kGigEColour);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    VexoCameraParameters before{}, after{};
    int triggerBefore = -1, triggerAfter = -1, formatIndexBefore = -1, formatIndexAfter = -1;
    QCOMPARE(SdkGetCameraParameters(camera.handle, &before), VEXO_SDK_OK);
    SdkGetTriggerFrameCount(camera.handle, &triggerBefore);
    SdkGetResolutionIndex(camera.handle, &formatIndexBefore);

    QCOMPARE(operation(camera.handle), expected);

    QCOMPARE(SdkGetCameraParameters(camera.handle, &after), VEXO_SDK_OK);
    SdkGetTriggerFrameCount(camera.handle, &triggerAfter);
    SdkGetResolutionIndex(camera.handle, &formatIndexAfter);
    // Automatic exposure may move the exposure and gain of a streaming camera; this one
    // does not stream, so the whole record must be unchanged.
    QCOMPARE(std::memcmp(&before, &after, sizeof before), 0);
    QCOMPARE(triggerAfter, triggerBefore);
    QCOMPARE(formatIndexAfter, formatIndexBefore);
}

void CameraApiTest::unknownAndClosedHandles_data()
{
    QTest::addColumn<Operation>("operation");
    auto row = [](const char* name, Operation op) { QTest::newRow(name) << op; };
    static char text[VEXO_SDK_TEXT_BUFFER_SIZE];
    static int value;
    static uint32_t word;
    static double number;
    static VexoImageInfo image;
    static BYTE buffer[64];
    row("close", [](int h) { return SdkCloseCamera(h); });
    row("camera name", [](int h) { return SdkGetCameraName(h, text); });
    row("identifier", [](int h) { return SdkGetCameraIdentifier(h, text, 0); });
    row("start", [](int h) { return SdkStartAcquisition(h); });
    row("stop", [](int h) { return SdkStopAcquisition(h); });
    row("get frame", [](int h) { return SdkGetFrame(h, &word, 10); });
    row("grab frame", [](int h) { return SdkGrabFrameWithTimeout(h, &word, 10); });
    row("process", [](int h) { return SdkProcessImage(h, &image, buffer, buffer); });
    row("process as", [](int h) {
        return SdkProcessImageAs(h, &image, buffer, buffer, VEXO_SDK_PIXEL_BGRA8);
    });
    row("release", [](int h) { return SdkReleaseFrame(h, 1); });
    row("save picture", [](int h) { return SdkSaveImageFile(h, "/tmp/x", buffer, &image, 8, 90); });
    row("exposure", [](int h) { return SdkSetExposureTime(h, 1000.0); });
    row("exposure step", [](int h) { return SdkGetExposureStepTime(h, &number); });
    row("gain", [](int h) { return SdkSetAnalogGain(h, 1000); });
    row("one-touch white balance", [](int h) { return SdkOneTouchWhiteBalance(h); });
    row("crosshair", [](int h) { return SdkGetCrosshair(h, 0, &value, &value, &word, &value); });
    row("resolution", [](int h) { return SdkGetResolution(h, &value, &value); });
    row("software trigger", [](int h) { return SdkSoftwareTriggerOnce(h); });
    row("input mode", [](int h) { return SdkGetInputMode(h, 0, &value); });
    row("packet size", [](int h) { return SdkGetPacketSize(h, &value); });
    row("extended parameter", [](int h) { return SdkGetExtendedParameter(h, 8, &value); });
    row("nickname", [](int h) { return SdkSetDeviceNickname(h, "x"); });
}

void CameraApiTest::unknownAndClosedHandles()
{
    QFETCH(Operation, operation);
    QCOMPARE(operation(0), VEXO_SDK_INVALID_HANDLE);
    QCOMPARE(operation(-7), VEXO_SDK_INVALID_HANDLE);
    int closed = 0;
    QCOMPARE(SdkOpenCamera(&closed, kUsbFast), VEXO_SDK_OK);
    QCOMPARE(SdkCloseCamera(closed), VEXO_SDK_OK);
    QCOMPARE(operation(closed), VEXO_SDK_INVALID_HANDLE);
    // A newer handle must not be mistaken for the closed one.
    OpenCamera reopened(kUsbFast);
    QCOMPARE(reopened.result, VEXO_SDK_OK);
    QVERIFY(reopened.handle != closed);
    QCOMPARE(operation(closed), VEXO_SDK_INVALID_HANDLE);
}

void CameraApiTest::nullPointers_data()
{
    QTest::addColumn<Operation>("operation");
    auto row = [](const char* name, Operation op) { QTest::newRow(name) << op; };
    row("camera name", [](int h) { return SdkGetCameraName(h, nullptr); });
    row("firmware", [](int h) { return SdkGetFirmwareVersion(h, nullptr); });
    row("type code", [](int h) { return SdkGetDeviceTypeCode(h, nullptr); });
    row("get frame token", [](int h) { return SdkGetFrame(h, nullptr, 10); });
    row("grab token", [](int h) { return SdkGrabFrameWithTimeout(h, nullptr, 10); });
    row("process record", [](int h) {
        BYTE b[4];
        return SdkProcessImage(h, nullptr, b, b);
    });
    row("process as, record", [](int h) {
        BYTE b[4];
        return SdkProcessImageAs(h, nullptr, b, b, VEXO_SDK_PIXEL_RGB8);
    });
    row("post-process buffer", [](int h) {
        VexoImageInfo i{};
        return SdkPostProcessImage(h, nullptr, &i);
    });
    row("statistics", [](int h) { return SdkGetFrameStatistics(h, nullptr); });
    row("resolution", [](int h) { return SdkGetResolution(h, nullptr, nullptr); });
    row("save without a name", [](int h) {
        BYTE b[12] = {};
        VexoImageInfo i{};
        i.width = 2;
        i.height = 2;
        i.pixelFormat = VEXO_SDK_PIXEL_RGB8;
        return SdkSaveImageFile(h, nullptr, b, &i, 8, 90);
    });
    row("exposure step", [](int h) { return SdkGetExposureStepTime(h, nullptr); });
    row("crosshair", [](int h) { return SdkGetCrosshair(h, 0, nullptr, nullptr, nullptr, nullptr); });
    row("gamma", [](int h) { return SdkGetGamma(h, nullptr); });
    row("image format", [](int h) { return SdkGetImageFormat(h, nullptr); });
    row("apply resolution", [](int h) { return SdkApplyResolution(h, nullptr); });
    row("region of interest", [](int h) { return SdkSetRegionOfInterest(h, nullptr); });
    row("resolution descriptor", [](int h) { return SdkGetResolutionDescriptor(h, 0, nullptr); });
    row("parameter record", [](int h) { return SdkGetCameraParameters(h, nullptr); });
    row("capability record", [](int h) { return SdkGetCapabilities(h, nullptr); });
    row("trigger mode", [](int h) { return SdkGetTriggerMode(h, nullptr); });
    row("debounce", [](int h) { return SdkGetInputDebounceTime(h, 0, nullptr); });
    row("pwm", [](int h) { return SdkGetPwmParameters(h, 0, nullptr, nullptr); });
    row("packet interval", [](int h) { return SdkGetPacketInterval(h, nullptr); });
    row("extended parameter", [](int h) { return SdkGetExtendedParameter(h, 0, nullptr); });
    row("nickname", [](int h) { return SdkSetDeviceNickname(h, nullptr); });
}

void CameraApiTest::nullPointers()
{
    QFETCH(Operation, operation);
    OpenCamera camera(kGigEColour);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    QCOMPARE(operation(camera.handle), VEXO_SDK_INVALID_ARGUMENT);
}

void CameraApiTest::lineSettingsPerLine()
{
    OpenCamera camera(kUsbFocus);   // two input and two output lines
    QCOMPARE(camera.result, VEXO_SDK_OK);
    QCOMPARE(SdkSetInputMode(camera.handle, 1, 1), VEXO_SDK_OK);
    QCOMPARE(SdkSetInputTriggerEdge(camera.handle, 0, 3), VEXO_SDK_OK);
    QCOMPARE(SdkSetOutputMode(camera.handle, 1, 2), VEXO_SDK_OK);
    QCOMPARE(SdkSetStrobeMode(camera.handle, 0, 1), VEXO_SDK_OK);
    QCOMPARE(SdkSetStrobePolarity(camera.handle, 1, 0), VEXO_SDK_OK);
    QCOMPARE(SdkSetOutputLevel(camera.handle, 0, 1), VEXO_SDK_OK);
    int value = -1;
    QCOMPARE(SdkGetInputMode(camera.handle, 0, &value), VEXO_SDK_OK);
    QCOMPARE(value, 0);
    QCOMPARE(SdkGetInputMode(camera.handle, 1, &value), VEXO_SDK_OK);
    QCOMPARE(value, 1);
    QCOMPARE(SdkGetInputTriggerEdge(camera.handle, 0, &value), VEXO_SDK_OK);
    QCOMPARE(value, 3);
    QCOMPARE(SdkGetOutputMode(camera.handle, 0, &value), VEXO_SDK_OK);
    QCOMPARE(value, 0);
    QCOMPARE(SdkGetOutputMode(camera.handle, 1, &value), VEXO_SDK_OK);
    QCOMPARE(value, 2);
    QCOMPARE(SdkGetStrobeMode(camera.handle, 0, &value), VEXO_SDK_OK);
    QCOMPARE(value, 1);
    QCOMPARE(SdkGetStrobePolarity(camera.handle, 1, &value), VEXO_SDK_OK);
    QCOMPARE(value, 0);
    QCOMPARE(SdkGetOutputLevel(camera.handle, 0, &value), VEXO_SDK_OK);
    QCOMPARE(value, 1);
    int period = 0, high = 0;
    QCOMPARE(SdkGetPwmParameters(camera.handle, 1, &period, &high), VEXO_SDK_OK);
    QVERIFY(period > high && high > 0);
    QCOMPARE(SdkGetInputDebounceTime(camera.handle, 2, &value), VEXO_SDK_OUT_OF_RANGE);

    // A camera without output lines refuses every output-line call.
    OpenCamera fast(kUsbFast);
    QCOMPARE(fast.result, VEXO_SDK_OK);
    value = 42;
    QCOMPARE(SdkGetOutputMode(fast.handle, 0, &value), VEXO_SDK_OUT_OF_RANGE);
    QCOMPARE(SdkGetStrobeMode(fast.handle, 0, &value), VEXO_SDK_OUT_OF_RANGE);
    QCOMPARE(SdkSetOutputLevel(fast.handle, 0, 1), VEXO_SDK_OUT_OF_RANGE);
    QCOMPARE(value, 42);
}

void CameraApiTest::resolutionPresetsAndRegions()
{
    OpenCamera camera(kGigEColour);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    VexoCapabilities caps{};
    QCOMPARE(SdkGetCapabilities(camera.handle, &caps), VEXO_SDK_OK);
    int width = 0, height = 0, index = -1;

    const VexoResolution& last = caps.resolutions[caps.resolutionCount - 1];
    QCOMPARE(SdkSelectPresetResolution(camera.handle, caps.resolutionCount - 1), VEXO_SDK_OK);
    QCOMPARE(SdkGetResolution(camera.handle, &width, &height), VEXO_SDK_OK);
    QCOMPARE(width, last.outputWidth);
    QCOMPARE(height, last.outputHeight);
    QCOMPARE(SdkGetResolutionIndex(camera.handle, &index), VEXO_SDK_OK);
    QCOMPARE(index, caps.resolutionCount - 1);

    // The region dialog's way: copy a preset, make it custom, set size and offsets.
    VexoResolution region = caps.resolutions[0];
    region.index = VEXO_SDK_CUSTOM_RESOLUTION;
    region.offsetX = 100;
    region.offsetY = 50;
    region.regionWidth = region.outputWidth = 640;
    region.regionHeight = region.outputHeight = 360;
    QCOMPARE(SdkSetRegionOfInterest(camera.handle, &region), VEXO_SDK_OK);
    QCOMPARE(SdkGetResolutionIndex(camera.handle, &index), VEXO_SDK_OK);
    QCOMPARE(index, VEXO_SDK_CUSTOM_RESOLUTION);
    VexoResolution current{};
    QCOMPARE(SdkGetResolutionDescriptor(camera.handle, VEXO_SDK_CUSTOM_RESOLUTION, &current), VEXO_SDK_OK);
    QCOMPARE(current.offsetX, 100);
    QCOMPARE(current.offsetY, 50);
    QCOMPARE(current.regionWidth, 640);
    QCOMPARE(current.outputHeight, 360);
    QCOMPARE(SdkGetResolution(camera.handle, &width, &height), VEXO_SDK_OK);
    QCOMPARE(width, 640);
    QCOMPARE(height, 360);

    struct Bad {
        const char* what;
        int x, y, w, h, outW, outH, expected;
    };
    const Bad bad[] = {
        {"past the right edge", 1300, 0, 640, 360, 640, 360, VEXO_SDK_OUT_OF_RANGE},
        {"negative offset", -2, 0, 640, 360, 640, 360, VEXO_SDK_OUT_OF_RANGE},
        {"wider than the sensor", 0, 0, 1952, 1080, 1952, 1080, VEXO_SDK_OUT_OF_RANGE},
        {"zero height", 0, 0, 640, 0, 640, 0, VEXO_SDK_INVALID_ARGUMENT},
        {"output neither region nor half", 0, 0, 640, 360, 500, 360, VEXO_SDK_INVALID_ARGUMENT},
        {"sum overflowing int", 2147483000, 0, 2000, 360, 2000, 360, VEXO_SDK_OUT_OF_RANGE},
    };
    for (const Bad& b : bad) {
        VexoResolution r = region;
        r.offsetX = b.x;
        r.offsetY = b.y;
        r.regionWidth = b.w;
        r.regionHeight = b.h;
        r.outputWidth = b.outW;
        r.outputHeight = b.outH;
        QVERIFY2(SdkSetRegionOfInterest(camera.handle, &r) == b.expected, b.what);
        QVERIFY2(SdkApplyResolution(camera.handle, &r) == b.expected, b.what);
        QCOMPARE(SdkGetResolution(camera.handle, &width, &height), VEXO_SDK_OK);
        QCOMPARE(width, 640);   // the earlier region still holds
    }
    VexoResolution byIndex = caps.resolutions[1];
    QCOMPARE(SdkApplyResolution(camera.handle, &byIndex), VEXO_SDK_OK);
    QCOMPARE(SdkGetResolutionIndex(camera.handle, &index), VEXO_SDK_OK);
    QCOMPARE(index, 1);
    QCOMPARE(SdkGetResolutionDescriptor(camera.handle, 77, &current), VEXO_SDK_OUT_OF_RANGE);
}

void CameraApiTest::extendedParameters_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("focusSupported");
    QTest::newRow("four channels and focus") << kUsbFocus << 4 << 1;
    QTest::newRow("plain camera") << kGigEColour << 1 << 0;
}

void CameraApiTest::extendedParameters()
{
    QFETCH(QString, identifier);
    QFETCH(int, channels);
    QFETCH(int, focusSupported);
    OpenCamera camera(identifier.toLatin1().constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    int value = -1;
    QCOMPARE(SdkGetExtendedParameter(camera.handle, VEXO_SDK_EXT_CHANNEL_COUNT, &value), VEXO_SDK_OK);
    QCOMPARE(value, channels);
    QCOMPARE(SdkGetExtendedParameter(camera.handle, VEXO_SDK_EXT_FOCUS_SUPPORTED, &value), VEXO_SDK_OK);
    QCOMPARE(value, focusSupported);
    QCOMPARE(SdkGetExtendedParameter(camera.handle, VEXO_SDK_EXT_CHANNEL_MASK, &value), VEXO_SDK_OK);
    QCOMPARE(value, (1 << channels) - 1);   // every channel lit at first
    QCOMPARE(SdkSetExtendedParameter(camera.handle, VEXO_SDK_EXT_CHANNEL_MASK, (1 << channels) - 1), VEXO_SDK_OK);
    QCOMPARE(SdkSetExtendedParameter(camera.handle, VEXO_SDK_EXT_CHANNEL_MASK, 1 << channels), VEXO_SDK_OUT_OF_RANGE);
    QCOMPARE(SdkGetExtendedParameter(camera.handle, 42, &value), VEXO_SDK_NOT_MATCHING);

    int minimum = -1, maximum = -1, standard = -1;
    if (!focusSupported) {
        QCOMPARE(SdkGetExtendedParameter(camera.handle, VEXO_SDK_EXT_FOCUS_DEFAULT, &standard), VEXO_SDK_NOT_MATCHING);
        QCOMPARE(standard, -1);   // the viewer relies on an untouched -1 here
        return;
    }
    QCOMPARE(SdkGetExtendedParameter(camera.handle, VEXO_SDK_EXT_FOCUS_MIN, &minimum), VEXO_SDK_OK);
    QCOMPARE(SdkGetExtendedParameter(camera.handle, VEXO_SDK_EXT_FOCUS_MAX, &maximum), VEXO_SDK_OK);
    QCOMPARE(SdkGetExtendedParameter(camera.handle, VEXO_SDK_EXT_FOCUS_DEFAULT, &standard), VEXO_SDK_OK);
    QVERIFY(minimum < standard && standard < maximum);
    QCOMPARE(SdkSetExtendedParameter(camera.handle, VEXO_SDK_EXT_FOCUS_POSITION, maximum), VEXO_SDK_OK);
    QCOMPARE(SdkGetExtendedParameter(camera.handle, VEXO_SDK_EXT_FOCUS_POSITION, &value), VEXO_SDK_OK);
    QCOMPARE(value, maximum);
    QCOMPARE(SdkSetExtendedParameter(camera.handle, VEXO_SDK_EXT_FOCUS_POSITION, maximum + 1), VEXO_SDK_OUT_OF_RANGE);
    QCOMPARE(SdkSetExtendedParameter(camera.handle, VEXO_SDK_EXT_FOCUS_MIN, 0), VEXO_SDK_NOT_MATCHING);
}

void CameraApiTest::crosshairsRoundTrip()
{
    OpenCamera camera(kUsbFocus);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    for (int n = 0; n < VEXO_SDK_CROSSHAIR_COUNT; ++n)
        QCOMPARE(SdkSetCrosshair(camera.handle, n, 10 * n, 20 * n, 0x010203u * n, n % 2), VEXO_SDK_OK);
    for (int n = 0; n < VEXO_SDK_CROSSHAIR_COUNT; ++n) {
        int x = -1, y = -1, enabled = -1;
        uint32_t colour = 0;
        QCOMPARE(SdkGetCrosshair(camera.handle, n, &x, &y, &colour, &enabled), VEXO_SDK_OK);
        QCOMPARE(x, 10 * n);
        QCOMPARE(y, 20 * n);
        QCOMPARE(colour, 0x010203u * n);
        QCOMPARE(enabled, n % 2);
    }
    int x = 0, y = 0, enabled = 0;
    uint32_t colour = 0;
    QCOMPARE(SdkGetCrosshair(camera.handle, 9, &x, &y, &colour, &enabled), VEXO_SDK_OUT_OF_RANGE);
}

void CameraApiTest::nicknamePersistsAndHasALimit()
{
    {
        OpenCamera camera(kUsbFocus);
        QCOMPARE(camera.result, VEXO_SDK_OK);
        const QByteArray name = QString::fromUtf8("检测工位 2").toLocal8Bit();
        QCOMPARE(SdkSetDeviceNickname(camera.handle, name.constData()), VEXO_SDK_OK);
        char text[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
        QCOMPARE(SdkGetCameraName(camera.handle, text), VEXO_SDK_OK);
        QCOMPARE(QByteArray(text), name);
        const QByteArray tooLong(VEXO_SDK_NICKNAME_MAX_LENGTH + 1, 'n');
        QCOMPARE(SdkSetDeviceNickname(camera.handle, tooLong.constData()), VEXO_SDK_OUT_OF_RANGE);
        QCOMPARE(SdkSetDeviceNickname(camera.handle, "\xff\xfe broken"), VEXO_SDK_INVALID_ARGUMENT);
        QCOMPARE(SdkGetCameraName(camera.handle, text), VEXO_SDK_OK);
        QCOMPARE(QByteArray(text), name);
    }
    VexoDeviceInfo info{};
    QVERIFY(enumerationIndex(kUsbFocus, &info) >= 0);
    QCOMPARE(QString::fromLocal8Bit(info.deviceName), QString::fromUtf8("检测工位 2"));

    // The longest allowed name fits every record and buffer; an empty name is allowed.
    OpenCamera camera(kUsbFocus);
    const QByteArray longest(VEXO_SDK_NICKNAME_MAX_LENGTH, 'L');
    QCOMPARE(SdkSetDeviceNickname(camera.handle, longest.constData()), VEXO_SDK_OK);
    enumerationIndex(kUsbFocus, &info);
    QCOMPARE(QByteArray(info.deviceName), longest);
    QCOMPARE(SdkSetDeviceNickname(camera.handle, ""), VEXO_SDK_OK);
    enumerationIndex(kUsbFocus, &info);
    QCOMPARE(QByteArray(info.deviceName), QByteArray());
}

void CameraApiTest::networkConfiguration()
{
    VexoNetworkConfig config{};
    QCOMPARE(SdkGetNetworkConfig(kUsbFast, &config), VEXO_SDK_NOT_MATCHING);
    QCOMPARE(SdkGetNetworkConfig("VXNOSUCHCAMERA", &config), VEXO_SDK_NOT_FOUND);
    QCOMPARE(SdkGetNetworkConfig(kGigEColour, &config), VEXO_SDK_OK);
    QCOMPARE(config.addressMode, 1);
    QVERIFY(QByteArray(config.ipAddress).count('.') == 3);
    QVERIFY(QByteArray(config.interfaceAddress).count('.') == 3);
    QVERIFY(config.macAddress[0] != 0 || config.macAddress[1] != 0 || config.macAddress[5] != 0);

    // Writing a static address persists and is read back; other fields stay as they were.
    std::strcpy(config.ipAddress, "10.20.30.40");
    std::strcpy(config.subnetMask, "255.255.0.0");
    std::strcpy(config.gateway, "10.20.0.1");
    QCOMPARE(SdkSetNetworkConfig(kGigEColour, &config), VEXO_SDK_OK);
    VexoNetworkConfig readBack{};
    QCOMPARE(SdkGetNetworkConfig(kGigEColour, &readBack), VEXO_SDK_OK);
    QCOMPARE(QByteArray(readBack.ipAddress), QByteArray("10.20.30.40"));
    QCOMPARE(QByteArray(readBack.subnetMask), QByteArray("255.255.0.0"));
    QCOMPARE(QByteArray(readBack.gateway), QByteArray("10.20.0.1"));
    QCOMPARE(std::memcmp(readBack.macAddress, config.macAddress, 6), 0);

    // An open camera may be reconfigured by the process that has it open.
    OpenCamera camera(kGigEColour);
    std::strcpy(config.ipAddress, "10.20.30.41");
    QCOMPARE(SdkSetNetworkConfig(kGigEColour, &config), VEXO_SDK_OK);
}

void CameraApiTest::networkConfigurationValidation_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QByteArray>("mask");
    QTest::addColumn<QByteArray>("gateway");
    QTest::newRow("empty part") << 1 << QByteArray("192.168..5") << QByteArray("255.255.255.0") << QByteArray("192.168.0.1");
    QTest::newRow("part above 255") << 1 << QByteArray("192.168.1.256") << QByteArray("255.255.255.0") << QByteArray("192.168.1.1");
    QTest::newRow("letters") << 1 << QByteArray("192.168.1.x") << QByteArray("255.255.255.0") << QByteArray("192.168.1.1");
    QTest::newRow("mask with a hole") << 1 << QByteArray("192.168.1.5") << QByteArray("255.0.255.0") << QByteArray("192.168.1.1");
    QTest::newRow("gateway in another subnet") << 1 << QByteArray("192.168.1.5") << QByteArray("255.255.255.0") << QByteArray("192.168.2.1");
    QTest::newRow("network address") << 1 << QByteArray("192.168.1.0") << QByteArray("255.255.255.0") << QByteArray("192.168.1.1");
    QTest::newRow("broadcast address") << 1 << QByteArray("192.168.1.255") << QByteArray("255.255.255.0") << QByteArray("192.168.1.1");
    QTest::newRow("unknown mode") << 7 << QByteArray("192.168.1.5") << QByteArray("255.255.255.0") << QByteArray("192.168.1.1");
}

void CameraApiTest::networkConfigurationValidation()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, mask);
    QFETCH(QByteArray, gateway);
    VexoNetworkConfig before{};
    QCOMPARE(SdkGetNetworkConfig(kGigEMono, &before), VEXO_SDK_OK);
    VexoNetworkConfig config = before;
    config.addressMode = mode;
    qstrncpy(config.ipAddress, address.constData(), sizeof config.ipAddress);
    qstrncpy(config.subnetMask, mask.constData(), sizeof config.subnetMask);
    qstrncpy(config.gateway, gateway.constData(), sizeof config.gateway);
    QCOMPARE(SdkSetNetworkConfig(kGigEMono, &config), VEXO_SDK_INVALID_ARGUMENT);
    VexoNetworkConfig after{};
    QCOMPARE(SdkGetNetworkConfig(kGigEMono, &after), VEXO_SDK_OK);
    QCOMPARE(std::memcmp(&before, &after, sizeof before), 0);
}

void CameraApiTest::parameterFolderIsCreated()
{
    char folder[4096] = {};
    QCOMPARE(SdkGetParameterFolder(folder, sizeof folder), VEXO_SDK_OK);
    QCOMPARE(QString::fromLocal8Bit(folder), qEnvironmentVariable("VEXOCAM_STATE_DIR"));
    QVERIFY(QDir(QString::fromLocal8Bit(folder)).exists());
    char tiny[4] = {};
    QCOMPARE(SdkGetParameterFolder(tiny, sizeof tiny), VEXO_SDK_BUFFER_TOO_SMALL);
    QCOMPARE(SdkGetParameterFolder(nullptr, 100), VEXO_SDK_INVALID_ARGUMENT);
}

void CameraApiTest::lockThatCannotBeCreated_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("lock folder is a file") << "folder is a file";
    QTest::newRow("lock file is a folder") << "file is a folder";
    QTest::newRow("lock folder not writable") << "read-only folder";
}

void CameraApiTest::lockThatCannotBeCreated()
{
    QFETCH(QString, obstacle);
    if (obstacle == "read-only folder" && ::geteuid() == 0)
        QSKIP("the superuser may write into any folder");
    const QString locks = qEnvironmentVariable("VEXOCAM_DEVICE_DIR") + "/.locks";
    const QString moved = locks + "-aside";
    QVERIFY(QDir().exists(locks));
    QVERIFY(QDir().rename(locks, moved));
    if (obstacle == "folder is a file") {
        QFile file(locks);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (obstacle == "file is a folder") {
        QVERIFY(QDir().mkpath(locks + "/" + kUsbFast + ".lock"));
    } else {
        QVERIFY(QDir().mkpath(locks));
        QVERIFY(QFile::setPermissions(locks, QFile::ReadOwner | QFile::ExeOwner));
    }

    int handle = 0;
    const int result = SdkOpenCamera(&handle, kUsbFast);
    QFile::setPermissions(locks, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::remove(locks);
    QDir(locks).removeRecursively();
    QVERIFY(QDir().rename(moved, locks));
    // A failure of the library, not a camera held by someone else.
    QCOMPARE(result, VEXO_SDK_FAILED);
    QCOMPARE(handle, 0);
    OpenCamera camera(kUsbFast);
    QCOMPARE(camera.result, VEXO_SDK_OK);
}

void CameraApiTest::networkConfigurationOfAnUnpluggedCamera()
{
    // Unplugged as vexocam-sim does it: its device node disappears.
    const QString node = qEnvironmentVariable("VEXOCAM_DEVICE_DIR") + "/" + kGigEMono + ".node";
    const QString aside = node + "-aside";
    VexoNetworkConfig config{};
    QCOMPARE(SdkGetNetworkConfig(kGigEMono, &config), VEXO_SDK_OK);
    QVERIFY(QFile::rename(node, aside));
    VexoNetworkConfig unplugged{};
    const int get = SdkGetNetworkConfig(kGigEMono, &unplugged);
    const int set = SdkSetNetworkConfig(kGigEMono, &config);
    QVERIFY(QFile::rename(aside, node));
    QCOMPARE(get, VEXO_SDK_NOT_FOUND);
    QCOMPARE(set, VEXO_SDK_NOT_FOUND);
    QCOMPARE(SdkGetNetworkConfig(kGigEMono, &unplugged), VEXO_SDK_OK);
}

void CameraApiTest::storedNetworkSettingsAreChecked_data()
{
    QTest::addColumn<QByteArray>("network");
    QTest::addColumn<bool>("used");
    auto row = [](const char* name, const char* network, bool used) {
        QTest::newRow(name) << QByteArray(network) << used;
    };
    row("valid static address",
        R"({"mode":1,"ip":"10.1.2.3","mask":"255.255.0.0","gateway":"10.1.0.1"})", true);
    row("valid address without gateway",
        R"({"mode":1,"ip":"10.1.2.3","mask":"255.255.0.0","gateway":"0.0.0.0"})", true);
    row("part above 255",
        R"({"mode":1,"ip":"10.1.2.300","mask":"255.255.0.0","gateway":"10.1.0.1"})", false);
    row("longer than the record's field",
        R"({"mode":1,"ip":"10.1.2.3 and more","mask":"255.255.0.0","gateway":"10.1.0.1"})", false);
    row("mask with a hole",
        R"({"mode":1,"ip":"10.1.2.3","mask":"255.0.255.0","gateway":"10.1.0.1"})", false);
    row("gateway in another subnet",
        R"({"mode":1,"ip":"10.1.2.3","mask":"255.255.0.0","gateway":"10.2.0.1"})", false);
    row("broadcast address",
        R"({"mode":1,"ip":"10.1.255.255","mask":"255.255.0.0","gateway":"10.1.0.1"})", false);
    row("unknown mode", R"({"mode":7,"ip":"10.1.2.3","mask":"255.255.0.0","gateway":"10.1.0.1"})",
        false);
    row("mode missing", R"({"ip":"10.1.2.3","mask":"255.255.0.0","gateway":"10.1.0.1"})", false);
    row("address a number",
        R"({"mode":1,"ip":167838211,"mask":"255.255.0.0","gateway":"10.1.0.1"})", false);
}

void CameraApiTest::storedNetworkSettingsAreChecked()
{
    QFETCH(QByteArray, network);
    QFETCH(bool, used);
    const QString record =
        qEnvironmentVariable("VEXOCAM_STATE_DIR") + "/cameras/" + kGigEColour + ".json";
    QFile::remove(record);
    VexoNetworkConfig factory{};
    QCOMPARE(SdkGetNetworkConfig(kGigEColour, &factory), VEXO_SDK_OK);
    QVERIFY(QDir().mkpath(QFileInfo(record).path()));
    QFile file(record);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"nickname":"kept","network":)" + network + "}");
    file.close();

    VexoNetworkConfig config{};
    QCOMPARE(SdkGetNetworkConfig(kGigEColour, &config), VEXO_SDK_OK);
    QFile::remove(record);
    if (used) {
        QCOMPARE(QByteArray(config.ipAddress), QByteArray("10.1.2.3"));
    } else {
        // A damaged entry is not shown as the camera's address: the default stands.
        QCOMPARE(QByteArray(config.ipAddress), QByteArray(factory.ipAddress));
        QCOMPARE(QByteArray(config.subnetMask), QByteArray(factory.subnetMask));
        QCOMPARE(QByteArray(config.gateway), QByteArray(factory.gateway));
        QCOMPARE(config.addressMode, factory.addressMode);
    }
}

QTEST_GUILESS_MAIN(CameraApiTest)
#include "tst_cameraapi.moc"
