#pragma once
// Helpers shared by the camera library tests. They use only the library's public header
// and the vexocam-sim program, exactly as the suite's programs and users do.
#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtTest>

#include <functional>
#include <vector>

#include "VexoCameraApi.h"

namespace cameratest {

// The built-in cameras.
inline const char* const kGigEColour = "VXG2301C0001";   // 1920x1080, 1 in, 2 out
inline const char* const kGigEMono = "VXG5002M0001";     // 2592x1944 mono
inline const char* const kUsbFocus = "VXU1301C0001";     // 1280x1024, focus, 4 channels
inline const char* const kUsbFast = "VXU0302C0001";      // 640x480, no output lines
inline const char* const kUsbMono12 = "VXU1212M0001";    // 1280x960 mono, 12-bit (Mono12 first)

// An open camera, closed when the test leaves the scope.
class OpenCamera {
public:
    explicit OpenCamera(const char* identifier) { result = SdkOpenCamera(&handle, identifier); }
    ~OpenCamera()
    {
        if (handle)
            SdkCloseCamera(handle);
    }
    OpenCamera(const OpenCamera&) = delete;
    OpenCamera& operator=(const OpenCamera&) = delete;
    int handle = 0;
    int result = -1;
};

// One frame cycle into an RGB (or other output format) buffer.
struct ProcessedFrame {
    int result = -1;
    VexoImageInfo info{};
    std::vector<BYTE> pixels;
    std::vector<BYTE> raw;
};

// The default time-out is a deadline for a frame that must come, generous for loaded machines.
inline ProcessedFrame takeFrame(int handle, int timeoutMs = 30000, bool grab = false)
{
    ProcessedFrame frame;
    uint32_t token = 0;
    frame.result = grab ? SdkGrabFrameWithTimeout(handle, &token, timeoutMs) : SdkGetFrame(handle, &token, timeoutMs);
    if (frame.result != VEXO_SDK_OK)
        return frame;
    BYTE* raw = SdkGetRawImage(handle, token, &frame.info);
    if (!raw) {
        frame.result = -1000;
        SdkReleaseFrame(handle, token);
        return frame;
    }
    frame.raw.assign(raw, raw + frame.info.dataSize);
    frame.pixels.resize(static_cast<size_t>(frame.info.width) * static_cast<size_t>(frame.info.height) * 4);
    frame.result = SdkProcessImage(handle, &frame.info, raw, frame.pixels.data());
    SdkReleaseFrame(handle, token);
    return frame;
}

// Sample i of 16-bit little-endian data (deep raw frames, MONO16 output).
inline unsigned wordAt(const std::vector<BYTE>& data, size_t i)
{
    return static_cast<unsigned>(data[2 * i]) | static_cast<unsigned>(data[2 * i + 1]) << 8;
}

// One held frame: its raw data and the outputs of it in the formats asked for, all from
// the same frame.
struct Outputs {
    int result = -1;
    VexoImageInfo raw{};
    std::vector<BYTE> rawData;
    std::vector<std::vector<BYTE>> out;
    std::vector<VexoImageInfo> outInfo;
};

inline Outputs outputsOfOneFrame(int handle, const std::vector<uint32_t>& formats,
                                 int timeoutMs = 30000)
{
    Outputs o;
    uint32_t token = 0;
    o.result = SdkGetFrame(handle, &token, timeoutMs);
    if (o.result != VEXO_SDK_OK)
        return o;
    BYTE* data = SdkGetRawImage(handle, token, &o.raw);
    if (!data) {
        o.result = -1000;
        SdkReleaseFrame(handle, token);
        return o;
    }
    o.rawData.assign(data, data + o.raw.dataSize);
    for (uint32_t format : formats) {
        VexoImageInfo info = o.raw;
        std::vector<BYTE> out(static_cast<size_t>(info.width) * info.height * 4, 0xEE);
        o.result = SdkSetOutputFormat(handle, format);
        if (o.result == VEXO_SDK_OK)
            o.result = SdkProcessImage(handle, &info, data, out.data());
        if (o.result != VEXO_SDK_OK)
            break;
        o.out.push_back(std::move(out));
        o.outInfo.push_back(info);
    }
    SdkReleaseFrame(handle, token);
    return o;
}

inline double meanOf(const std::vector<BYTE>& bytes, size_t count)
{
    double sum = 0;
    for (size_t i = 0; i < count && i < bytes.size(); ++i)
        sum += bytes[i];
    return count ? sum / static_cast<double>(count) : 0;
}

inline QString simulatorProgram()
{
    return qEnvironmentVariable("VEXO_PROGRAM_DIR") + "/vexocam-sim";
}

// Runs vexocam-sim to completion; returns its exit code, output in *output.
inline int runSimulator(const QStringList& arguments, QByteArray* output = nullptr,
                        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(simulatorProgram(), arguments);
    if (!process.waitForFinished(30000))
        return -100;
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -101;
}

// Index of a camera in a fresh enumeration, or -1.
inline int enumerationIndex(const char* identifier, VexoDeviceInfo* info = nullptr)
{
    int count = 0;
    if (SdkEnumerateDevices(&count) != VEXO_SDK_OK)
        return -1;
    for (int i = 0; i < count; ++i) {
        VexoDeviceInfo record{};
        if (SdkGetDeviceInfo(i, &record) == VEXO_SDK_OK && qstrcmp(record.cameraIdentifier, identifier) == 0) {
            if (info)
                *info = record;
            return i;
        }
    }
    return -1;
}

// Calls attempt until it returns true or the deadline passes; true when it did. Each
// attempt runs once (unlike the QTRY macros, which may evaluate their condition again).
inline bool retryUntil(const std::function<bool()>& attempt, int deadlineMs = 30000)
{
    QElapsedTimer timer;
    timer.start();
    do {
        if (attempt())
            return true;
        QTest::qWait(100);
    } while (timer.elapsed() < deadlineMs);
    return false;
}

// VEXO_TEST_ARAVIS=gige: Aravis' fake GigE Vision camera on loopback, which the test starts
// (only ever inside a loopback-only network namespace, see run-in-loopback-namespace.sh).
inline bool gigeCameraMode()
{
    return qEnvironmentVariable("VEXO_TEST_ARAVIS") == "gige";
}

// The fake GigE Vision camera of aravis-tools-cli, stopped with the object.
class FakeGigECamera {
public:
    ~FakeGigECamera() { stop(); }
    // Starts it on 127.0.0.1 with 640x480 Mono8 frames at 30 fps (or another GenICam
    // description); false, with why, when it does not come up. With lostPerThousand the
    // camera drops that share of its stream packets at random (it never resends them).
    bool start(const QString& genicam = {}, QString* why = nullptr, double lostPerThousand = 0)
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments{"-i", "127.0.0.1"};
        if (!genicam.isEmpty())
            arguments << "-g" << genicam;
        if (lostPerThousand > 0)
            arguments << "-r" << QString::number(lostPerThousand);
        process.start("arv-fake-gv-camera-0.8", arguments);
        if (!process.waitForStarted(10000)) {
            if (why)
                *why = "arv-fake-gv-camera-0.8 (aravis-tools-cli) does not start";
            return false;
        }
        // Small frames keep the tests light; the camera takes its set-up as features.
        if (!retryUntil([] {
                return QProcess::execute("arv-tool-0.8",
                                         {"control", "Width=640", "Height=480",
                                          "PixelFormat=Mono8", "AcquisitionFrameRate=30"}) == 0;
            })) {
            if (why)
                *why = "the fake GigE camera does not answer arv-tool-0.8";
            return false;
        }
        return true;
    }
    void stop()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    // Kills it at once, as an unplugged camera goes; true once it has gone.
    bool kill()
    {
        process.kill();
        return process.waitForFinished(10000);
    }
    qint64 processId() const { return process.processId(); }

private:
    QProcess process;
};

// The camera the feature tests use: an Aravis fake camera with VEXO_TEST_ARAVIS=fake (the
// in-process one) or gige (the GigE Vision one, which the test starts), else the built-in
// colour GigE camera. Empty when it is not listed.
inline bool fakeCameraMode()
{
    return qEnvironmentVariable("VEXO_TEST_ARAVIS") == "fake" || gigeCameraMode();
}
inline QByteArray featureCameraUnderTest()
{
    if (!fakeCameraMode())
        return kGigEColour;
    int count = 0;
    SdkEnumerateDevices(&count);
    for (int i = 0; i < count; ++i) {
        VexoDeviceInfo record{};
        if (SdkGetDeviceInfo(i, &record) == VEXO_SDK_OK && QByteArray(record.productName) == "Fake")
            return record.cameraIdentifier;
    }
    return {};
}

}  // namespace cameratest
