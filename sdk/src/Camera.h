#pragma once
// One open camera handle: its settings, its device (which streams into the frame ring),
// the processing of held frames, and the handle's life across unplug and replug. Every
// member is safe to call from several threads at once.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "CameraBackend.h"
#include "CameraLock.h"
#include "CameraModel.h"
#include "CameraSettings.h"
#include "FrameRing.h"
#include "Imaging.h"
#include "VexoCameraRecords.h"

namespace vexo::sdk {

class Camera : private FrameSink {
public:
    // The camera starts with the lock held and the device open; initialise() writes the
    // initial settings to the device.
    Camera(CameraBackend& backend, std::unique_ptr<CameraDevice> device,
           std::unique_ptr<CameraLock> lock, CameraSettings initial);
    ~Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;
    // Writes the initial settings to the device; 0 or the device's code.
    int initialise();

    // Capabilities of the camera as its device reported them when the handle was opened.
    const CameraModel& model() const { return *cameraModel; }
    const std::shared_ptr<const CameraModel>& sharedModel() const { return cameraModel; }

    // Settings. change() runs edit on a copy, writes the copy to the device and keeps it
    // only when both return 0, so a rejected value changes nothing. While the camera is
    // away the copy is kept and written to the device when it returns.
    CameraSettings settings() const;
    int change(const std::function<int(CameraSettings&)>& edit);
    uint32_t outputFormat() const;
    void setOutputFormat(uint32_t format);

    // Runs call on the open device; nullopt while the camera is away.
    std::optional<int> withDevice(const std::function<std::optional<int>(CameraDevice&)>& call);
    // After the device loaded one of its own groups: base (the library's part of the
    // group) with what the camera now holds written over it becomes the settings.
    int adoptHeldSettings(CameraSettings base);

    // Identity that can change while the camera is open.
    std::string nickname() const;
    void setNickname(const std::string& name);
    uint16_t firmwareVersion() const;
    void setFirmwareVersion(uint16_t version);

    // Parameter group the camera last loaded or saved (0 .. 3, 0xFF factory) and the key
    // the groups are filed under (0 model, 1 nickname, 2 serial number).
    std::atomic<int> currentGroup{0xFF};
    std::atomic<int> loadMode{0};

    // Acquisition. running() is what the caller asked for; it survives an unplug.
    int start();
    int stop();
    bool running() const { return isRunning.load(); }
    // True while the camera is away (unplugged and not yet back).
    bool unplugged();
    // The same without waiting: while a settings write or a capture holds the device
    // (a hung camera can hold it for seconds), only what is known already counts. Frame
    // waits use this so they keep their time-out; the device and the backend report a
    // loss by themselves, which wakes them.
    bool unpluggedAtOnce();
    int getFrame(uint32_t& token, int timeoutMs);
    int grabFrame(uint32_t& token, int timeoutMs);
    const CapturedFrame* heldFrame(uint32_t token) const { return ring.held(token); }
    // Processes a held frame into the handle's output format, or into pixelFormat when it
    // is not 0 (the handle's format stays as it is).
    int process(VexoImageInfo& info, const uint8_t* raw, uint8_t* out, uint32_t pixelFormat = 0);
    int release(uint32_t token) { return ring.release(token) ? 0 : -1; }
    VexoFrameStatistics statistics() const;
    VexoStreamStatistics streamStatistics();
    VexoStreamAdvice streamAdvice();
    int softwareTrigger();
    int oneTouchWhiteBalance();

    // Hot-plug, from the backend's reports: the camera went away, or came back (then the
    // handle resumes: new device, settings written, acquisition restarted if it ran).
    void deviceGone();
    void deviceReturned();

    // A firmware upgrade writing into the camera. A close() meanwhile (even from the
    // upgrade's progress callback) stops acquisition at once but keeps the camera locked
    // and open until endUpgrade(): no other program may take a camera half written.
    // beginUpgrade is false when the handle is already closed.
    bool beginUpgrade();
    void endUpgrade();

    // Ends every wait on this camera, stops acquisition and releases the camera (after a
    // running upgrade has ended); the handle is going away.
    void close();

private:
    // FrameSink: the device's stream delivers here.
    CapturedFrame* acquireBuffer() override;
    void deliver(CapturedFrame* frame) override;
    void framesLost(uint32_t count) override;
    void deviceLost() override;

    // stats is empty for a frame that was not measured.
    void applyAutomatics(const CameraSettings& used,
                         const std::optional<imaging::FrameStatistics>& stats, double exposureUs,
                         int gainMilli);
    // One step of the library's automatic exposure and white balance on s, from the
    // statistics of a frame taken with usedExposureUs and usedGainMilli.
    void steerAutomatics(CameraSettings& s, const imaging::FrameStatistics& stats,
                         double usedExposureUs, int usedGainMilli, bool cameraExposes,
                         bool cameraBalances) const;
    int frameWaitInterruption() const;
    // Asks the device whether its camera is still there, unless already known gone;
    // without mayWait only when the device is free at once.
    bool probeUnplugged(bool mayWait);
    int changeLocked(const std::function<int(CameraSettings&)>& edit);
    // Stops the stream and drops the device (lifecycleMutex held).
    void releaseDevice();
    void stopLocked();
    // Keeps what the device says about its stream (deviceMutex held, device present).
    void noteStreamAdviceLocked();
    void finishClose();

    CameraBackend& backend;
    const std::shared_ptr<const CameraModel> cameraModel;

    mutable std::mutex settingsMutex;
    CameraSettings current;
    uint32_t format = imaging::kPixelRGB8;
    std::string currentNickname;
    uint16_t currentFirmware;
    std::atomic<uint64_t> settingsVersion{1};

    // Order: lifecycleMutex, then deviceMutex, then settingsMutex.
    std::mutex lifecycleMutex;  // start, stop, close, grabs while stopped, unplug, resume
    bool streaming = false;     // the device's stream runs (lifecycleMutex)
    std::mutex deviceMutex;     // the device pointer and calls into the device
    std::unique_ptr<CameraDevice> device;
    std::atomic<DeviceFeatures> features{0};
    std::unique_ptr<CameraLock> lock;

    FrameRing ring;
    std::atomic<bool> isRunning{false};
    std::atomic<bool> isUnplugged{false};
    std::atomic<bool> isClosed{false};
    std::atomic<uint32_t> delivered{0};
    // The library's own stream counters, and what the device's stream counted when it was
    // last asked (kept across a replug: a new device counts from zero).
    std::atomic<uint64_t> framesComplete{0}, framesIncomplete{0}, framesWithoutBuffer{0}, bytesComplete{0};
    std::mutex healthMutex;
    StreamHealth deviceHealth, healthOfEarlierDevices;
    StreamAdvice lastAdvice;
    bool deviceCountsBytes = false;

    std::mutex upgradeMutex;
    std::condition_variable upgradeEnded;
    bool upgrading = false;

    std::mutex statisticsMutex;
    std::optional<imaging::FrameStatistics> latestStatistics;
    // Without the library's automatics, one frame in this many is measured (the first one
    // too). framesUnmeasured is the delivering thread's own.
    static constexpr int kMeasureEveryNthFrame = 8;
    int framesUnmeasured = kMeasureEveryNthFrame - 1;

    std::mutex pipelineMutex;
    imaging::ImagePipeline pipeline;
    uint64_t pipelineVersion = 0;
    uint32_t pipelineFormat = 0;  // the output format the pipeline is configured for
};

}  // namespace vexo::sdk
