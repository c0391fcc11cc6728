#pragma once
// The narrow boundary between the camera core (identity, state, parameters, locking,
// acquisition) and whatever makes the frames. The simulated backend renders a scene;
// a backend for real cameras would talk to the hardware behind the same two classes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CameraModel.h"
#include "Imaging.h"

namespace vexo::sdk {

// Edge counters and level of one input line. Counters only grow; the core compares them
// with the values it saw last to find new edges.
struct InputLineState {
    uint32_t risingEdges = 0;
    uint32_t fallingEdges = 0;
    int level = 0;
};

// One physical camera while it is open.
class CameraDevice {
public:
    virtual ~CameraDevice() = default;
    // False once the camera has been unplugged; it does not come back for this device.
    virtual bool attached() = 0;
    // Takes one exposure with the given sensor settings; timeSec is the camera's clock.
    virtual void capture(const imaging::SensorSettings& sensor, double timeSec, uint64_t frameNumber,
                         imaging::RawFrame& out) = 0;
    // Current state of input line `line` (0-based).
    virtual InputLineState inputLine(int line) = 0;
};

class CameraBackend {
public:
    virtual ~CameraBackend() = default;
    // Every camera the backend knows, attached or not. Stable for the life of the process.
    virtual const std::vector<CameraModel>& models() const = 0;
    virtual bool attached(const CameraModel& model) = 0;
    virtual std::unique_ptr<CameraDevice> openDevice(const CameraModel& model) = 0;
    // Takes cameras found since the last call into models(); called while enumerating.
    virtual void refresh() {}
};

}  // namespace vexo::sdk
