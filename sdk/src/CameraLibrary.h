#pragma once
// The library's process-wide state: the backend, the per-user state, the enumeration
// snapshot and the table of open handles.
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Camera.h"
#include "DeviceFolder.h"
#include "SimulatedBackend.h"
#include "UserState.h"
#include "VexoCameraRecords.h"

namespace vexo::sdk {

// Capability arrays of one model, handed out by pointer; they live as long as the process
// so a caller that keeps them past closing the camera still reads valid memory.
struct CapabilityArrays {
    std::vector<VexoResolution> resolutions;
    std::vector<VexoImageFormat> imageFormats;
    std::vector<VexoPresetLut> presetLuts;
};

class CameraLibrary {
public:
    static CameraLibrary& instance();

    CameraBackend& backend() { return *cameraBackend; }
    UserState& userState() { return state; }
    DeviceFolder& lockFolder() { return locks; }

    int enumerate(int& count);
    int deviceInfo(int index, VexoDeviceInfo& info);
    int open(const std::string& identifier, int& handle);
    int close(int handle);
    std::shared_ptr<Camera> find(int handle);
    // True when this process has the camera open.
    bool openHere(const std::string& identifier);

    const CameraModel* model(const std::string& identifier) const;
    // Capability arrays of an open camera's model.
    const CapabilityArrays& capabilityArrays(const Camera& camera);
    // Identity fields of the device information record as they stand now.
    void fillIdentity(const CameraModel& model, const std::string& nickname, uint16_t firmware,
                      VexoDeviceInfo& info);
    // Where parameter groups of a camera are filed for a load mode.
    static std::string groupKey(const CameraModel& model, const std::string& nickname, int loadMode);
    std::string storedNickname(const CameraModel& model);
    uint16_t storedFirmware(const CameraModel& model);

private:
    CameraLibrary();
    // Hot-plug reports of the backend, for the open handles of that camera.
    void hotplug(const std::string& identifier, bool attached);

    std::unique_ptr<CameraBackend> cameraBackend;
    std::once_flag watching;
    UserState state;
    DeviceFolder locks;

    std::mutex mutex;
    std::vector<std::string> snapshot;   // identifiers of the last enumeration
    std::map<int, std::shared_ptr<Camera>> cameras;
    int nextHandle = 1;
    // By model; the entry keeps its model alive, so an address is never reused.
    std::map<const CameraModel*,
             std::pair<std::shared_ptr<const CameraModel>, std::unique_ptr<CapabilityArrays>>>
        arrays;
};

// Copies text into a fixed field, cut to fit and NUL-terminated.
template <size_t N>
void copyText(char (&field)[N], const std::string& text)
{
    const size_t n = std::min(text.size(), N - 1);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), field);
    std::fill(field + n, field + N, '\0');
}

// Copies text into a fixed record field that needs no terminator: a text as long as the
// field fills it, the rest of a shorter one is NUL.
template <size_t N>
void copyField(char (&field)[N], const std::string& text)
{
    const size_t n = std::min(text.size(), N);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), field);
    std::fill(field + n, field + N, '\0');
}

}  // namespace vexo::sdk
