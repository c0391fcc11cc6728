#pragma once
// Which camera backends a process uses: VEXOCAM_BACKENDS, a comma-separated list of
// "simulated", "aravis" (GigE Vision and USB3 Vision cameras) and "aravis-fake" (Aravis'
// in-process fake camera, no network); unset or empty means "simulated".
#include <memory>
#include <string>
#include <vector>

#include "CameraBackend.h"

namespace vexo::sdk {

enum class BackendKind { Simulated, Aravis, AravisFake };

// The backends a list names, in order and without repeats. Unknown names, and Aravis
// names in a library built without Aravis, are left out and described in error (empty
// when the whole list was understood). A list that names nothing usable gives simulated.
std::vector<BackendKind> parseBackendList(const std::string& text, std::string& error);

// Several backends behind one: the models of all of them (the first backend wins an
// identifier two of them know), each camera served by the backend it came from.
class CompositeBackend : public CameraBackend {
public:
    explicit CompositeBackend(std::vector<std::unique_ptr<CameraBackend>> backends);

    std::vector<std::shared_ptr<const CameraModel>> models() override;
    bool attached(const std::string& identifier) override;
    std::unique_ptr<CameraDevice> openDevice(const CameraModel& model, int& error) override;
    void watch(HotplugListener listener) override;
    std::optional<int> networkConfig(const std::string& identifier, NetworkState& state) override;
    std::optional<int> setNetworkConfig(const std::string& identifier,
                                        const NetworkState& state) override;

private:
    CameraBackend* owner(const std::string& identifier);

    std::vector<std::unique_ptr<CameraBackend>> backends;
};

// The backends VEXOCAM_BACKENDS asks for (problems with the list go to stderr).
std::unique_ptr<CameraBackend> makeSelectedBackend();

}  // namespace vexo::sdk
