#pragma once
// Cameras that exist only in software: the built-in set or a camera list file, plugged in
// and out through the device node folder, rendering the demonstration scene. Each open
// camera streams on its own thread like a real one; hot-plug and input lines are learnt
// from file system notifications on the device node folder, so idle cameras cost nothing.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "CameraBackend.h"
#include "DeviceFolder.h"

namespace vexo::sdk {

class SimulatedBackend : public CameraBackend {
public:
    // Uses the camera list named by VEXOCAM_CAMERAS when set and readable (a broken file
    // is reported on stderr and the built-in set is used), else the built-in set.
    SimulatedBackend();
    SimulatedBackend(std::vector<CameraModel> models, DeviceFolder folder);
    ~SimulatedBackend() override;

    std::vector<std::shared_ptr<const CameraModel>> models() override { return cameraModels; }
    bool attached(const std::string& identifier) override;
    std::unique_ptr<CameraDevice> openDevice(const CameraModel& model, int& error) override;
    void watch(HotplugListener listener) override;

    DeviceFolder& deviceFolder() { return folder; }

    // Replaces the scene of cameras opened from now on (tests supply known patterns).
    using SceneFactory = std::function<std::unique_ptr<imaging::Scene>(const CameraModel&)>;
    void setSceneFactory(SceneFactory factory) { sceneFactory = std::move(factory); }

    // Open devices hear of changes to their input lines (called by the devices).
    using InputListener = std::function<void()>;
    void listenToInputs(const std::string& identifier, const void* owner, InputListener listener);
    void stopListening(const std::string& identifier, const void* owner);

private:
    void watchFolder();
    void reportAll();
    void inputsChanged(const std::string& identifier);

    std::vector<std::shared_ptr<const CameraModel>> cameraModels;
    DeviceFolder folder;
    SceneFactory sceneFactory;

    std::mutex listenersMutex;
    std::map<std::string, std::map<const void*, InputListener>> inputListeners;
    HotplugListener hotplug;
    std::thread watcher;
    int stopFd = -1;  // written to end the watcher
};

// The camera list the simulator uses (see SimulatedBackend()); error describes a broken
// camera list file, empty otherwise.
std::vector<CameraModel> simulatedCameraModels(std::string& error);

}  // namespace vexo::sdk
