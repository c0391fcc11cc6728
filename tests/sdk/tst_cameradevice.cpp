// The backend seam seen from a device: a scripted device that rejects and rounds values,
// handles mirror and white balance itself and delivers frames by hand, driving the
// camera core directly. What a real camera backend relies on: rejected values come back
// as the library's codes and change nothing, read-back values are what the handle shows,
// incomplete frames are never handed out, and a lost device answers DETACHED at once.
// Before Qt: the core uses the word "slots", which Qt defines away.
#include "Camera.h"
#include "VexoCameraApi.h"

#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>

using namespace vexo::sdk;

namespace {

class ScriptedDevice : public CameraDevice {
public:
    explicit ScriptedDevice(std::shared_ptr<const CameraModel> model)
        : cameraModel(std::move(model))
    {
    }

    std::shared_ptr<const CameraModel> model() override { return cameraModel; }
    DeviceFeatures features() const override
    {
        return DeviceFeature::Exposure | DeviceFeature::Gain | DeviceFeature::Mirror |
               DeviceFeature::WhiteBalance;
    }
    int apply(const CameraSettings& wanted, const CameraSettings*, CameraSettings& taken) override
    {
        {
            // A write to a camera that stopped answering: it waits for its time-outs.
            std::unique_lock<std::mutex> lock(gateMutex);
            inApply.store(true);
            gate.wait(lock, [this] { return !hung; });
            inApply.store(false);
        }
        ++applied;
        if (wanted.exposureUs > 50000)
            return VEXO_SDK_OUT_OF_RANGE;  // this camera's own limit, below the model's
        taken = wanted;
        taken.gainMilli = wanted.gainMilli / 100 * 100;  // the camera's gain steps
        return VEXO_SDK_OK;
    }
    int startStream(FrameSink& frameSink) override
    {
        sink = &frameSink;
        return VEXO_SDK_OK;
    }
    void stopStream() override { sink = nullptr; }
    int triggerSoftware() override { return VEXO_SDK_OK; }
    int captureOne(const CameraSettings&, CapturedFrame& frame) override
    {
        fill(frame, 0);
        return VEXO_SDK_OK;
    }
    bool attached() override { return present; }

    // From now on apply waits until release().
    void hang()
    {
        std::lock_guard<std::mutex> lock(gateMutex);
        hung = true;
    }
    void release()
    {
        {
            std::lock_guard<std::mutex> lock(gateMutex);
            hung = false;
        }
        gate.notify_all();
    }
    bool applying() const { return inApply.load(); }

    // One frame of the stream: a left-to-right ramp, so a mirror shows; or 64 x 16
    // samples lent from memory of the device's own (kept valid by keeper).
    bool deliverFrame(uint64_t number, FrameStatus status, const uint8_t* lent = nullptr,
                      std::shared_ptr<const void> keeper = {})
    {
        CapturedFrame* frame = sink ? sink->acquireBuffer() : nullptr;
        if (!frame)
            return false;
        if (frame->raw.borrowed())
            return false;  // the ring hands out buffers without a view
        fill(*frame, number);
        if (lent)
            frame->raw.borrow(lent, 64 * 16, std::move(keeper));
        frame->status = status;
        sink->deliver(frame);
        return true;
    }

    static void fill(CapturedFrame& frame, uint64_t number)
    {
        frame.raw.width = 64;
        frame.raw.height = 16;
        frame.raw.layout = vexo::imaging::RawLayout::Mono8;
        frame.raw.pixels.resize(64 * 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 64; ++x)
                frame.raw.pixels[size_t(y * 64 + x)] = uint8_t(x * 4);
        frame.raw.frameNumber = number;
        frame.exposureUs = 1000;
        frame.gainMilli = 1000;
    }

    std::shared_ptr<const CameraModel> cameraModel;
    FrameSink* sink = nullptr;
    bool present = true;
    int applied = 0;
    std::mutex gateMutex;
    std::condition_variable gate;
    bool hung = false;
    std::atomic<bool> inApply{false};
};

class ScriptedBackend : public CameraBackend {
public:
    std::vector<std::shared_ptr<const CameraModel>> models() override { return {}; }
    bool attached(const std::string&) override { return present; }
    std::unique_ptr<CameraDevice> openDevice(const CameraModel&, int& error) override
    {
        error = VEXO_SDK_NOT_FOUND;
        return nullptr;
    }
    void watch(HotplugListener) override {}
    bool present = true;
};

std::shared_ptr<const CameraModel> monoModel()
{
    CameraModel m;
    m.identifier = "SCRIPTED-1";
    m.productName = "VX-SCRIPT";
    m.sensorWidth = 64;
    m.sensorHeight = 64;
    m.colorSensor = false;
    completeCameraModel(m);
    return std::make_shared<const CameraModel>(m);
}

// A camera handle over a scripted device, settings written, stream started if asked.
struct Rig {
    explicit Rig(bool start)
    {
        auto owned = std::make_unique<ScriptedDevice>(monoModel());
        device = owned.get();
        camera = std::make_unique<Camera>(backend, std::move(owned), nullptr,
                                          factorySettings(*device->cameraModel));
        initialised = camera->initialise();
        if (start)
            started = camera->start();
    }
    ScriptedBackend backend;
    ScriptedDevice* device = nullptr;  // owned by the camera
    std::unique_ptr<Camera> camera;
    int initialised = -1;
    int started = -1;
};

}  // namespace

class CameraDeviceTest : public QObject {
    Q_OBJECT

private slots:
    void settingsGoThroughTheDevice_data();
    void settingsGoThroughTheDevice();
    void deviceMirrorIsNotDoneTwice();
    void incompleteFramesAreNeverHandedOut();
    void lostDeviceAnswersDetachedAtOnce();
    void frameWaitsKeepTheirTimeOutWhileAWriteHangs_data();
    void frameWaitsKeepTheirTimeOutWhileAWriteHangs();
    void frameRecordHoldsAnyReportedExposure_data();
    void frameRecordHoldsAnyReportedExposure();
    void lentPixelsGoBackWhenTheRingIsDoneWithThem();
    void settledAutomaticsWriteNothing_data();
    void settledAutomaticsWriteNothing();
};

void CameraDeviceTest::settingsGoThroughTheDevice_data()
{
    QTest::addColumn<double>("exposureUs");
    QTest::addColumn<int>("gainMilli");
    QTest::addColumn<int>("result");
    QTest::addColumn<double>("shownExposureUs");
    QTest::addColumn<int>("shownGainMilli");
    QTest::newRow("taken as asked") << 2000.0 << 2000 << int(VEXO_SDK_OK) << 2000.0 << 2000;
    QTest::newRow("gain rounded by the camera")
        << 2000.0 << 2345 << int(VEXO_SDK_OK) << 2000.0 << 2300;
    QTest::newRow("exposure the camera refuses")
        << 60000.0 << 2000 << int(VEXO_SDK_OUT_OF_RANGE) << 10000.0 << 1000;
}

void CameraDeviceTest::settingsGoThroughTheDevice()
{
    QFETCH(double, exposureUs);
    QFETCH(int, gainMilli);
    QFETCH(int, result);
    QFETCH(double, shownExposureUs);
    QFETCH(int, shownGainMilli);
    ScriptedBackend backend;
    auto device = std::make_unique<ScriptedDevice>(monoModel());
    ScriptedDevice* scripted = device.get();
    CameraSettings initial = factorySettings(*scripted->cameraModel);
    initial.exposureUs = 10000;
    initial.gainMilli = 1000;
    Camera camera(backend, std::move(device), nullptr, initial);
    QCOMPARE(camera.initialise(), VEXO_SDK_OK);
    QCOMPARE(scripted->applied, 1);
    const int code = camera.change([&](CameraSettings& s) {
        s.exposureUs = exposureUs;
        s.gainMilli = gainMilli;
        return VEXO_SDK_OK;
    });
    QCOMPARE(code, result);
    QCOMPARE(camera.settings().exposureUs, shownExposureUs);
    QCOMPARE(camera.settings().gainMilli, shownGainMilli);
    // A device without its own trigger cannot hold frames back.
    QCOMPARE(camera.change([](CameraSettings& s) {
        s.triggerMode = 1;
        return VEXO_SDK_OK;
    }),
             VEXO_SDK_NOT_MATCHING);
    QCOMPARE(camera.settings().triggerMode, 0);
}

void CameraDeviceTest::deviceMirrorIsNotDoneTwice()
{
    Rig rig(false);
    QCOMPARE(rig.initialised, VEXO_SDK_OK);
    Camera& camera = *rig.camera;
    ScriptedDevice* scripted = rig.device;
    camera.setOutputFormat(VEXO_SDK_PIXEL_MONO8);
    QCOMPARE(camera.change([](CameraSettings& s) {
        s.mirrorHorizontal = 1;
        s.redGain = 300;  // would tint a colour image if the library applied it again
        return VEXO_SDK_OK;
    }),
             VEXO_SDK_OK);
    QCOMPARE(camera.start(), VEXO_SDK_OK);
    QVERIFY(scripted->deliverFrame(1, FrameStatus::Complete));
    uint32_t token = 0;
    QCOMPARE(camera.getFrame(token, 30000), VEXO_SDK_OK);
    const CapturedFrame* frame = camera.heldFrame(token);
    QVERIFY(frame);
    VexoImageInfo info{};
    info.width = frame->raw.width;
    info.height = frame->raw.height;
    std::vector<uint8_t> out(size_t(info.width) * size_t(info.height) * 4);
    QCOMPARE(camera.process(info, frame->raw.pixelData(), out.data()), VEXO_SDK_OK);
    // The camera mirrored already (it says so): the ramp still rises left to right.
    QVERIFY2(out[0] < out[size_t(info.width) - 1],
             qPrintable(QString("%1 %2").arg(out[0]).arg(out[63])));
    QCOMPARE(camera.release(token), 0);
    camera.close();
}

void CameraDeviceTest::incompleteFramesAreNeverHandedOut()
{
    Rig rig(true);
    QCOMPARE(rig.initialised, VEXO_SDK_OK);
    QCOMPARE(rig.started, VEXO_SDK_OK);
    Camera& camera = *rig.camera;
    ScriptedDevice* scripted = rig.device;
    QVERIFY(scripted->deliverFrame(7, FrameStatus::Incomplete));
    QVERIFY(scripted->deliverFrame(8, FrameStatus::Complete));
    scripted->sink->framesLost(3);
    uint32_t token = 0;
    QCOMPARE(camera.getFrame(token, 30000), VEXO_SDK_OK);
    QCOMPARE(camera.heldFrame(token)->raw.frameNumber, uint64_t(8));
    QCOMPARE(camera.getFrame(token, 50), VEXO_SDK_TIMEOUT);
    const VexoFrameStatistics statistics = camera.statistics();
    QCOMPARE(statistics.lostFrames, 4u);
    QCOMPARE(statistics.deliveredFrames, 2u);
}

void CameraDeviceTest::lostDeviceAnswersDetachedAtOnce()
{
    Rig rig(true);
    QCOMPARE(rig.initialised, VEXO_SDK_OK);
    QCOMPARE(rig.started, VEXO_SDK_OK);
    Camera& camera = *rig.camera;
    ScriptedDevice* scripted = rig.device;
    QVERIFY(scripted->deliverFrame(1, FrameStatus::Complete));
    scripted->sink->deviceLost();
    uint32_t token = 0;
    // Even with a frame ready and a long time-out: the camera is gone.
    QCOMPARE(camera.getFrame(token, 120000), VEXO_SDK_DETACHED);
    QCOMPARE(camera.grabFrame(token, 120000), VEXO_SDK_DETACHED);
    QCOMPARE(camera.softwareTrigger(), VEXO_SDK_WRONG_MODE);
    // The backend confirms it; the device is let go, and close still works.
    scripted->present = false;
    rig.backend.present = false;
    camera.deviceGone();
    QCOMPARE(camera.getFrame(token, 100), VEXO_SDK_DETACHED);
    QCOMPARE(camera.stop(), VEXO_SDK_OK);
    camera.close();
}

void CameraDeviceTest::frameWaitsKeepTheirTimeOutWhileAWriteHangs_data()
{
    QTest::addColumn<bool>("grab");
    QTest::newRow("get frame") << false;
    QTest::newRow("grab frame") << true;
}

void CameraDeviceTest::frameWaitsKeepTheirTimeOutWhileAWriteHangs()
{
    QFETCH(bool, grab);
    Rig rig(true);
    QCOMPARE(rig.started, VEXO_SDK_OK);
    ScriptedDevice* scripted = rig.device;
    Camera& camera = *rig.camera;
    scripted->hang();
    std::atomic<int> waited{1};
    std::thread writer([&] {
        camera.change([](CameraSettings& s) {
            s.exposureUs = 2000;
            return VEXO_SDK_OK;
        });
    });
    std::thread waiter;
    // Whatever happens below, the write ends and both threads are joined.
    struct Ending {
        ScriptedDevice* device;
        std::thread& writer;
        std::thread& waiter;
        ~Ending()
        {
            device->release();
            writer.join();
            if (waiter.joinable())
                waiter.join();
        }
    } ending{scripted, writer, waiter};
    QTRY_VERIFY_WITH_TIMEOUT(scripted->applying(), 30000);

    waiter = std::thread([&] {
        uint32_t token = 0;
        waited.store(grab ? camera.grabFrame(token, 200) : camera.getFrame(token, 200));
    });
    // The wait ends with its time-out while the write is still stuck in the device.
    QTRY_VERIFY_WITH_TIMEOUT(waited.load() != 1, 30000);
    QVERIFY(scripted->applying());
    QCOMPARE(waited.load(), int(VEXO_SDK_TIMEOUT));
}

void CameraDeviceTest::frameRecordHoldsAnyReportedExposure_data()
{
    // A device reports the exposure it took; the frame record has 32-bit microseconds.
    QTest::addColumn<double>("reported");
    QTest::addColumn<int>("recorded");
    QTest::newRow("whole microseconds") << 21.0 << 21;
    QTest::newRow("a fraction is cut") << 20.98 << 20;
    QTest::newRow("the longest the record holds") << 2147483647.0 << 2147483647;
    QTest::newRow("2^31 - 1 steps of a second") << 2147483647.0 * 1e6 << 2147483647;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 2147483647;
    QTest::newRow("negative") << -5.0 << 0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0;
}

void CameraDeviceTest::frameRecordHoldsAnyReportedExposure()
{
    QFETCH(double, reported);
    QFETCH(int, recorded);
    QCOMPARE(int(recordExposureUs(reported)), recorded);
}

void CameraDeviceTest::lentPixelsGoBackWhenTheRingIsDoneWithThem()
{
    Rig rig(true);
    QCOMPARE(rig.started, VEXO_SDK_OK);
    Camera& camera = *rig.camera;
    ScriptedDevice* scripted = rig.device;
    constexpr size_t kBytes = 64 * 16;
    std::vector<std::vector<uint8_t>> memory(10);
    std::atomic<int> returned{0};
    const auto lend = [&](int i) {
        memory[size_t(i)].assign(kBytes, uint8_t(200 - i));
        const uint8_t* block = memory[size_t(i)].data();
        return scripted->deliverFrame(uint64_t(i), FrameStatus::Complete, block,
                                      std::shared_ptr<const void>(block, [&returned](const void*) {
                                          returned.fetch_add(1);
                                      }));
    };

    // A held frame shows the lent memory itself, also to the C interface's calls.
    QVERIFY(lend(0));
    uint32_t token = 0;
    QCOMPARE(camera.getFrame(token, 30000), VEXO_SDK_OK);
    const CapturedFrame* held = camera.heldFrame(token);
    QCOMPARE(held->raw.pixelData(), memory[0].data());
    QCOMPARE(held->raw.pixelBytes(), kBytes);
    VexoImageInfo info{};
    info.width = 64;
    info.height = 16;
    std::vector<uint8_t> out(kBytes * 4);
    QCOMPARE(camera.process(info, memory[0].data(), out.data()), VEXO_SDK_OK);
    QVERIFY2(out[0] > 150, qPrintable(QString::number(out[0])));  // not the ramp's 0

    // Frames nobody takes give way to newer ones: their memory goes back as their slot
    // is reused, the held frame's never. Four slots: one held, three for the stream.
    for (int i = 1; i <= 8; ++i)
        QVERIFY(lend(i));
    QCOMPARE(returned.load(), 5);
    QCOMPARE(camera.heldFrame(token)->raw.pixelData(), memory[0].data());
    QCOMPARE(camera.streamStatistics().bytesReceived, uint64_t(9 * kBytes));

    // A stop drops what nobody took; the held frame stays until it is released.
    QCOMPARE(camera.stop(), VEXO_SDK_OK);
    QCOMPARE(returned.load(), 8);
    QCOMPARE(camera.heldFrame(token)->raw.pixelData(), memory[0].data());
    QCOMPARE(camera.release(token), 0);
    QCOMPARE(returned.load(), 9);

    // A frame taken and released goes back at once; an owned frame in a slot that had a
    // view shows its own pixels.
    QCOMPARE(camera.start(), VEXO_SDK_OK);
    QVERIFY(lend(9));
    QCOMPARE(camera.getFrame(token, 30000), VEXO_SDK_OK);
    QCOMPARE(camera.release(token), 0);
    QCOMPARE(returned.load(), 10);
    for (int i = 0; i < 4; ++i) {
        QVERIFY(scripted->deliverFrame(uint64_t(20 + i), FrameStatus::Complete));
        QCOMPARE(camera.getFrame(token, 30000), VEXO_SDK_OK);
        const CapturedFrame* own = camera.heldFrame(token);
        QCOMPARE(own->raw.pixelData(), own->raw.pixels.data());
        QCOMPARE(int(own->raw.pixelData()[1]), 4);  // the ramp
        QCOMPARE(camera.release(token), 0);
    }
    camera.close();
    QCOMPARE(returned.load(), 10);
}

void CameraDeviceTest::settledAutomaticsWriteNothing_data()
{
    // The scripted frames are a ramp of mean brightness 126, each taken at 1000 us.
    QTest::addColumn<int>("exposureMode");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("direction");  // of the exposure chosen against 1000 us
    QTest::newRow("automatic, on target") << 1 << 126 << 0;
    QTest::newRow("automatic, too dark") << 1 << 220 << 1;
    QTest::newRow("automatic, too bright") << 1 << 40 << -1;
    // Automatic white balance stays on for a grey camera, where it has nothing to do.
    QTest::newRow("manual exposure") << 0 << 220 << 0;
}

void CameraDeviceTest::settledAutomaticsWriteNothing()
{
    QFETCH(int, exposureMode);
    QFETCH(int, target);
    QFETCH(int, direction);
    Rig rig(false);
    QCOMPARE(rig.initialised, VEXO_SDK_OK);
    Camera& camera = *rig.camera;
    ScriptedDevice* scripted = rig.device;
    QCOMPARE(camera.change([&](CameraSettings& s) {
        s.exposureMode = exposureMode;
        s.whiteBalanceMode = 1;
        s.targetBrightness = target;
        s.exposureUs = 1000;
        return VEXO_SDK_OK;
    }),
             VEXO_SDK_OK);
    QCOMPARE(camera.start(), VEXO_SDK_OK);
    QVERIFY(scripted->deliverFrame(1, FrameStatus::Complete));
    const double chosen = camera.settings().exposureUs;
    QCOMPARE(chosen > 1000 ? 1 : (chosen < 1000 ? -1 : 0), direction);
    // Every further frame asks for what the camera holds now: nothing goes to the camera.
    const int writes = scripted->applied;
    for (uint64_t n = 2; n <= 6; ++n)
        QVERIFY(scripted->deliverFrame(n, FrameStatus::Complete));
    QCOMPARE(scripted->applied, writes);
    QCOMPARE(camera.settings().exposureUs, chosen);
    camera.close();
}

QTEST_GUILESS_MAIN(CameraDeviceTest)
#include "tst_cameradevice.moc"
