#pragma once
// Cameras that exist only in software: the built-in set or a camera list file, plugged in
// and out through the device node folder, rendering the demonstration scene.
#include <functional>
#include <memory>
#include <string>

#include "CameraBackend.h"
#include "DeviceFolder.h"

namespace vexo::sdk {

class SimulatedBackend : public CameraBackend {
public:
    // Uses the camera list named by VEXOCAM_CAMERAS when set and readable (a broken file
    // is reported on stderr and the built-in set is used), else the built-in set.
    SimulatedBackend();
    SimulatedBackend(std::vector<CameraModel> models, DeviceFolder folder);

    const std::vector<CameraModel>& models() const override { return cameraModels; }
    bool attached(const CameraModel& model) override;
    std::unique_ptr<CameraDevice> openDevice(const CameraModel& model) override;

    DeviceFolder& deviceFolder() { return folder; }

    // Replaces the scene of cameras opened from now on (tests supply known patterns).
    using SceneFactory = std::function<std::unique_ptr<imaging::Scene>(const CameraModel&)>;
    void setSceneFactory(SceneFactory factory) { sceneFactory = std::move(factory); }

private:
    std::vector<CameraModel> cameraModels;
    DeviceFolder folder;
    SceneFactory sceneFactory;
};

// The camera list the simulator uses (see SimulatedBackend()); error describes a broken
// camera list file, empty otherwise.
std::vector<CameraModel> simulatedCameraModels(std::string& error);

}  // namespace vexo::sdk
