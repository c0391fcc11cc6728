#include "SimulatedBackend.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace vexo::sdk {

namespace {

class SimulatedDevice : public CameraDevice {
public:
    SimulatedDevice(const CameraModel& model, const DeviceFolder& folder,
                    std::unique_ptr<imaging::Scene> scene)
        : identifier(model.identifier), folder(folder), scene(std::move(scene))
    {
    }

    bool attached() override
    {
        // Asking the file system on every frame would cost a system call per frame for
        // nothing; an unplug is noticed within a few milliseconds anyway.
        const auto now = std::chrono::steady_clock::now();
        if (now - lastCheck >= std::chrono::milliseconds(5)) {
            lastCheck = now;
            plugged = plugged && folder.attached(identifier);
        }
        return plugged;
    }

    void capture(const imaging::SensorSettings& sensor, double timeSec, uint64_t frameNumber,
                 imaging::RawFrame& out) override
    {
        scene->render(sensor, timeSec, frameNumber, out);
    }

    InputLineState inputLine(int line) override { return folder.inputLine(identifier, line); }

private:
    std::string identifier;
    DeviceFolder folder;
    std::unique_ptr<imaging::Scene> scene;
    std::chrono::steady_clock::time_point lastCheck{};
    bool plugged = true;
};

}  // namespace

std::vector<CameraModel> simulatedCameraModels(std::string& error)
{
    error.clear();
    if (const char* path = std::getenv("VEXOCAM_CAMERAS"); path && *path) {
        std::vector<CameraModel> models;
        if (readCameraListFile(path, models, error))
            return models;
    }
    return defaultCameraModels();
}

SimulatedBackend::SimulatedBackend() : folder(defaultDeviceFolder())
{
    std::string error;
    cameraModels = simulatedCameraModels(error);
    if (!error.empty())
        std::fprintf(stderr, "VexoCameraDLL: %s; using the built-in cameras\n", error.c_str());
    folder.publish(cameraModels);
}

SimulatedBackend::SimulatedBackend(std::vector<CameraModel> models, DeviceFolder folder)
    : cameraModels(std::move(models)), folder(std::move(folder))
{
    this->folder.publish(cameraModels);
}

bool SimulatedBackend::attached(const CameraModel& model)
{
    return folder.attached(model.identifier);
}

std::unique_ptr<CameraDevice> SimulatedBackend::openDevice(const CameraModel& model)
{
    std::unique_ptr<imaging::Scene> scene =
        sceneFactory ? sceneFactory(model) : imaging::makeDemoScene(model.sceneSeed);
    return std::make_unique<SimulatedDevice>(model, folder, std::move(scene));
}

}  // namespace vexo::sdk
