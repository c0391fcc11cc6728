#pragma once
// Real cameras through Aravis: GigE Vision and USB3 Vision discovery, or Aravis'
// in-process fake camera alone. A watcher thread rediscovers every few seconds and at
// once when udev reports a USB change, and publishes cameras that come and go in the
// device node folder, so every program of the user sees them.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "AravisCamera.h"
#include "AravisIdentity.h"
#include "CameraBackend.h"
#include "DeviceFolder.h"

namespace vexo::sdk::aravis {

enum class Transport { Network, Fake };

// Aravis keeps its device lists in process-wide state; every discovery and every open
// goes through this lock.
std::mutex& aravisSystemMutex();

class AravisBackend : public CameraBackend {
public:
    AravisBackend(Transport transport, DeviceFolder folder);
    ~AravisBackend() override;

    const std::vector<CameraModel>& models() const override { return cameraModels; }
    bool attached(const CameraModel& model) override;
    std::unique_ptr<CameraDevice> openDevice(const CameraModel& model) override;

    // Takes the watcher's latest findings into models(); call where no other thread reads
    // models() (the library does it while enumerating).
    void refresh();
    // Runs one discovery now (the watcher does this periodically).
    void discoverNow();

private:
    struct Found {
        DiscoveredCamera discovered;
        CameraModel model;
    };
    void watch();
    std::vector<Found> discover();
    bool describe(const DiscoveredCamera& discovered, CameraModel& model);

    Transport transport;
    DeviceFolder folder;
    std::vector<CameraModel> cameraModels;  // capacity reserved: entries never move

    std::mutex mutex;                      // guards the fields below
    std::map<std::string, Found> present;  // by identifier, from the last discovery
    std::map<std::string, std::string> deviceIds;
    std::condition_variable wake;
    bool stopping = false;
    std::thread watcher;
};

}  // namespace vexo::sdk::aravis
