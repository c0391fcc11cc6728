#pragma once
// Real cameras through Aravis: GigE Vision and USB3 Vision discovery, or Aravis'
// in-process fake camera alone. A watcher thread rediscovers every few seconds and at
// once when udev reports a USB change; cameras that come and go are reported to the
// library and published in the device node folder, so every program of the user sees
// them.
#include <functional>
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

    std::vector<std::shared_ptr<const CameraModel>> models() override;
    bool attached(const std::string& identifier) override;
    std::unique_ptr<CameraDevice> openDevice(const CameraModel& model, int& error) override;
    void watch(HotplugListener listener) override;
    std::optional<int> networkConfig(const std::string& identifier, NetworkState& state) override;
    std::optional<int> setNetworkConfig(const std::string& identifier,
                                        const NetworkState& state) override;

    // Runs one discovery now (the watcher does this periodically).
    void discoverNow();

private:
    struct Known {
        std::shared_ptr<const CameraModel> model;  // identity; kept for the process's life
        std::string deviceId;
        bool present = false;
        int misses = 0;  // discoveries in a row that did not see it
    };
    void watchLoop();
    // Runs call on the GigE camera: the connection of its open device, or one opened for
    // the call. nullopt for cameras that are not GigE.
    std::optional<int> withNetworkCamera(const std::string& identifier,
                                         const std::function<int(AravisCamera&)>& call);
    std::vector<DiscoveredCamera> discover();

    Transport transport;
    DeviceFolder folder;

    std::mutex mutex;                    // guards the fields below
    std::map<std::string, Known> known;  // by identifier
    std::vector<std::string> order;      // identifiers in the order first seen
    HotplugListener listener;
    std::map<std::string, std::weak_ptr<AravisCamera>> openCameras;  // by identifier
    int stopPipe[2] = {-1, -1};  // written to end the watcher
    std::thread watcher;
};

}  // namespace vexo::sdk::aravis
