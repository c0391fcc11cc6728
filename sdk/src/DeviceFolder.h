#pragma once
// The device node folder: one node file per attached camera, shared by every process of
// the user. Programs watch the folder for hot-plug; vexocam-sim attaches and detaches
// cameras by creating and removing nodes, and drives input lines through small files
// beside them. Hidden sub-folders hold the open locks (.locks), the cameras already
// published once (.seen) and the input-line state (.io).
#include <string>
#include <vector>

#include "CameraBackend.h"
#include "CameraModel.h"

namespace vexo::sdk {

// VEXOCAM_DEVICE_DIR, else $XDG_RUNTIME_DIR/vexocam, else /tmp/vexocam-<uid>.
std::string defaultDeviceFolder();

class DeviceFolder {
public:
    explicit DeviceFolder(std::string path);
    const std::string& path() const { return folder; }

    // Attaches every camera the folder has never seen, so a fresh session starts with
    // all cameras plugged in while a detach made by another process stays in effect.
    void publish(const std::vector<CameraModel>& models);

    bool attached(const std::string& identifier) const;
    bool attach(const CameraModel& model);
    bool detach(const std::string& identifier);

    std::string nodePath(const std::string& identifier) const;
    std::string lockPath(const std::string& identifier) const;

    InputLineState inputLine(const std::string& identifier, int line) const;
    // A pulse is a rising and a falling edge; setting a level counts the edge it makes.
    bool pulseInputLine(const std::string& identifier, int line);
    bool setInputLevel(const std::string& identifier, int line, int level);

private:
    bool changeInputLine(const std::string& identifier, int line, int pulses, int level);
    std::string inputLinePath(const std::string& identifier, int line) const;
    bool prepare() const;

    std::string folder;
};

}  // namespace vexo::sdk
