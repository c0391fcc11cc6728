#pragma once
// One open camera: its settings, its frame ring and producer thread, and the processing
// of held frames. Every member is safe to call from several threads at once.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "CameraBackend.h"
#include "CameraLock.h"
#include "CameraModel.h"
#include "CameraSettings.h"
#include "FrameRing.h"
#include "Imaging.h"
#include "VexoCameraRecords.h"

namespace vexo::sdk {

class Camera {
public:
    Camera(const CameraModel& model, std::unique_ptr<CameraDevice> device, std::unique_ptr<CameraLock> lock,
           CameraSettings initial);
    ~Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    const CameraModel& model() const { return cameraModel; }

    // Settings. change() runs edit on a copy and keeps the copy only when edit returns 0,
    // so a rejected value changes nothing.
    CameraSettings settings() const;
    int change(const std::function<int(CameraSettings&)>& edit);
    uint32_t outputFormat() const;
    void setOutputFormat(uint32_t format);

    // Identity that can change while the camera is open.
    std::string nickname() const;
    void setNickname(const std::string& name);
    uint16_t firmwareVersion() const;
    void setFirmwareVersion(uint16_t version);

    // Parameter group the camera last loaded or saved (0 .. 3, 0xFF factory) and the key
    // the groups are filed under (0 model, 1 nickname, 2 serial number).
    std::atomic<int> currentGroup{0xFF};
    std::atomic<int> loadMode{0};

    // Acquisition.
    int start();
    int stop();
    bool running() const { return isRunning.load(); }
    bool unplugged();
    int getFrame(uint32_t& token, int timeoutMs);
    int grabFrame(uint32_t& token, int timeoutMs);
    const CapturedFrame* heldFrame(uint32_t token) const { return ring.held(token); }
    int process(VexoImageInfo& info, const uint8_t* raw, uint8_t* out);
    int release(uint32_t token) { return ring.release(token) ? 0 : -1; }
    VexoFrameStatistics statistics() const;
    int softwareTrigger();
    int oneTouchWhiteBalance();

    // Ends every wait on this camera and stops acquisition; the handle is going away.
    void close();

private:
    void produceFrames();
    void captureFrame(const CameraSettings& s, CapturedFrame& frame);
    void applyAutomatics(const imaging::FrameStatistics& stats, const CameraSettings& used);
    int frameWaitInterruption() const;
    bool pollHardwareTrigger(const CameraSettings& s, std::chrono::steady_clock::time_point now);

    const CameraModel& cameraModel;
    const std::chrono::steady_clock::time_point openTime = std::chrono::steady_clock::now();

    mutable std::mutex settingsMutex;
    CameraSettings current;
    uint32_t format = imaging::kPixelRGB8;
    std::string currentNickname;
    uint16_t currentFirmware;
    std::atomic<uint64_t> settingsVersion{1};

    std::mutex deviceMutex;   // one exposure at a time
    std::unique_ptr<CameraDevice> device;
    std::unique_ptr<CameraLock> lock;

    FrameRing ring;
    std::atomic<bool> isRunning{false};
    std::atomic<bool> isUnplugged{false};
    std::atomic<bool> isClosed{false};
    std::atomic<uint32_t> delivered{0};
    uint64_t frameNumber = 0;   // producer only (or a grab while stopped)

    std::mutex lifecycleMutex;   // start, stop, close and grabs while stopped
    std::thread producer;

    std::mutex controlMutex;     // guards the fields below; wakes the producer
    std::condition_variable control;
    bool stopRequested = false;
    std::deque<std::chrono::steady_clock::time_point> pendingTriggers;
    std::vector<InputLineState> lastInputs;   // producer only
    bool inputsKnown = false;                 // producer only

    std::mutex statisticsMutex;
    std::optional<imaging::FrameStatistics> latestStatistics;

    std::mutex pipelineMutex;
    imaging::ImagePipeline pipeline;
    uint64_t pipelineVersion = 0;
};

}  // namespace vexo::sdk
