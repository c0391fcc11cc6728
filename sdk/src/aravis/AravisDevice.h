#pragma once
// One open GenICam camera behind the library's device boundary: its capabilities, the
// settings it takes over (written under their SFNC names), its stream thread and its
// software trigger.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "AravisCamera.h"
#include "CameraBackend.h"
#include "StreamSetup.h"

namespace vexo::sdk::aravis {

// The camera's capabilities on top of its identity: sizes, formats, ranges, lines and
// presets, the region it was left with first. Null with a reason when the camera cannot
// be used (no size the library can work with).
std::shared_ptr<const CameraModel> describeCamera(AravisCamera& camera, const CameraModel& identity,
                                                  std::string& error);

// Frame rate for the library's frame speed (0 low, 1 medium, 2 high): medium keeps the
// rate the camera was set up with, low is half of it and high the camera's maximum.
double frameRateForSpeed(int speed, double setUpRate, double maxRate);

class AravisDevice : public CameraDevice {
public:
    // present tells whether discovery still sees the camera.
    AravisDevice(std::shared_ptr<AravisCamera> camera, std::shared_ptr<const CameraModel> model,
                 std::function<bool()> present);
    ~AravisDevice() override;

    std::shared_ptr<const CameraModel> model() override { return cameraModel; }
    DeviceFeatures features() const override { return deviceFeatures; }
    int apply(const CameraSettings& wanted, const CameraSettings* previous,
              CameraSettings& taken) override;
    int startStream(FrameSink& sink) override;
    void stopStream() override;
    int triggerSoftware() override;
    int captureOne(const CameraSettings& settings, CapturedFrame& frame) override;
    bool attached() override;
    std::optional<int> saveGroup(int group) override;
    std::optional<int> loadGroup(int group) override;
    void readHeld(CameraSettings& settings) override;
    std::optional<int> writeNickname(const std::string& name, std::string& stored) override;
    std::optional<StreamHealth> streamHealth() override;
    StreamAdvice streamAdvice() override;
    bool hasOwnFeatures() const override { return true; }
    std::optional<std::vector<FeatureDescription>> describeFeatures() override
    {
        return camera->describeFeatures();
    }
    int readFeature(const std::string& name, std::string& value, FeatureAccess& access,
                    std::string& reason) override
    {
        return camera->readFeature(name, value, access, reason);
    }
    int writeFeature(const std::string& name, const std::string& value, std::string& reason) override
    {
        return camera->writeFeature(name, value, reason);
    }
    int executeFeature(const std::string& name, std::string& reason) override
    {
        return camera->executeFeature(name, reason);
    }

private:
    void run(FrameSink* sink);
    void readExposureAndGain(CameraSettings& settings);
    int writeGeometry(const CameraSettings& wanted);
    int writeTrigger(const CameraSettings& wanted);
    int writeOutputs(const CameraSettings& wanted, const CameraSettings* previous);
    int choosePixelFormat(uint32_t libraryFormat);
    int startThread(FrameSink& sink);
    void stopThread();

    std::shared_ptr<AravisCamera> camera;
    std::shared_ptr<const CameraModel> cameraModel;
    std::function<bool()> present;
    DeviceFeatures deviceFeatures = 0;
    bool ownUserSets = false, ownFactorySet = false, ownUserId = false;
    double setUpFrameRate = 0, maxFrameRate = 0;

    std::mutex mutex;  // the fields below; never held while calling the sink
    CameraSettings applied;
    bool hasApplied = false;
    FrameSink* sink = nullptr;
    std::atomic<double> exposureUs{0};
    std::atomic<int> gainMilli{0};

    std::mutex threadMutex;  // start and stop of the stream thread
    std::thread thread;
    std::atomic<std::thread::id> streamThread{};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> lostReported{false};
    // What the stream thread last read of the stream's counters (asking the camera can
    // wait for its feature lock).
    std::mutex healthMutex;
    StreamCounters lastCounters;
    std::optional<StreamSetup> setup;  // probed on the first question
};

}  // namespace vexo::sdk::aravis
