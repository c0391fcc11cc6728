#pragma once
// The boundary between the camera core (identity, settings, locking, the frame ring, the
// image pipeline, the C interface) and whatever makes the frames: the simulator today, a
// GenICam camera library for real cameras.
//
// What a backend implements
//   CameraBackend  the cameras it knows, whether each is attached now, opening one, and
//                  hot-plug reports (watch).
//   CameraDevice   one open camera: its capabilities (model), the settings it takes over
//                  (features, apply), its own frame stream (startStream / stopStream), a
//                  software trigger, and one frame while the stream is stopped.
//
// Frames
//   A device streams on its own thread(s). For every frame it asks the sink for a buffer
//   (FrameSink::acquireBuffer), fills CapturedFrame::raw (width, height, layout, pixels,
//   frameNumber, timestampUs) plus exposureUs, gainMilli and status, and hands it back
//   with FrameSink::deliver. The ring owns every buffer: the device may write a buffer
//   only between acquireBuffer and deliver, and must not keep the pointer afterwards.
//   Instead of writing the buffer's pixels a device may lend it memory of its own
//   (RawFrame::borrow: a read-only view and a keeper whose deleter takes the memory
//   back). acquireBuffer hands out buffers without a view; the ring drops a view when
//   the buffer is free again or reused, and only then, so a frame the library's caller
//   holds keeps the device's memory valid until it is released: across stopStream, a
//   restart, and after the device is destroyed. So the keeper must not need the device
//   or its stream to be alive, may run on any thread, and must not touch a stream that
//   was stopped. The ring lends at most its slot count (FrameRing::kDefaultSlotCount)
//   of a device's memory at a time; the device keeps enough besides to go on receiving.
//   A null buffer means every buffer is held by the library's caller: drop the frame (it
//   is already counted as lost). Frames the camera sent that never arrived complete
//   (missing packets, stream underruns) are reported with framesLost, or delivered with
//   a status other than Complete; both count as lost and are never handed out.
//   Layouts: the pipeline takes grey and RGGB frames (see imaging::RawLayout) of 8 bits,
//   or 10, 12, 16 bits in 16-bit words (RawFrame::bitDepth, set on every frame: buffers
//   are reused); a device whose camera sends something else converts (or extends the
//   pipeline).
//
// Settings
//   The library keeps the complete CameraSettings of a handle and validates every value
//   against the model first. Then apply(wanted, previous, taken) is called with the whole
//   new settings; the device writes what changed among its features and fills `taken`
//   with what the camera really holds afterwards (rounded exposure, clamped region ...).
//   A value the camera rejects returns a library code (VEXO_SDK_OUT_OF_RANGE,
//   VEXO_SDK_NOT_MATCHING, VEXO_SDK_DETACHED, VEXO_SDK_FAILED); the library then keeps
//   its previous settings, and the device should leave the camera as it was. previous is
//   null when the device was just (re)opened: write every feature.
//   Everything the device does not list in features() is done by the library: the image
//   pipeline (white balance, lookup tables, gamma, contrast, sharpening, saturation,
//   mirror, monochrome, crosshairs, defect correction) and the automatic exposure and
//   white balance controllers, which run on each delivered frame and apply their result
//   through apply() like any other change. A device that has AutoExposure reports the
//   exposure and gain each frame was taken with; the library shows those.
//
// Threads
//   - The library serialises apply, triggerSoftware, captureOne and attached with each
//     other, and startStream, stopStream and captureOne with each other. So apply (from
//     a caller's thread, or from inside FrameSink::deliver on the device's stream thread
//     for automatic exposure and white balance) may run while startStream or stopStream
//     runs on another thread: the device guards its own state.
//   - FrameSink calls come from the device's stream thread(s). deliver may call back
//     into apply; the device must not hold a lock that apply needs while it calls the
//     sink.
//   - stopStream returns only when no sink call is running and none will come; it is
//     never called from inside a sink call.
//   - A device that finds its camera gone calls FrameSink::deviceLost (once is enough) and
//     stops delivering; frame calls then answer DETACHED at once. The backend reports the
//     camera unplugged as well: then the library stops and destroys the device (from the
//     backend's thread), and opens a new one when the backend reports it attached again.
//   - Idle devices must not spin: wait on events (frames, triggers, a stop), not on
//     short time-outs.
//
// Hot-plug
//   watch(listener) starts reporting cameras plugged in (true) and out (false) by
//   identifier, on a backend thread. The backend holds none of its own locks while it
//   calls the listener, which may open devices. Reports may repeat or come late: the
//   library asks attached() before it acts on one.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CameraModel.h"
#include "CameraSettings.h"
#include "FrameRing.h"

namespace vexo::sdk {

struct NetworkState;

// What a device's own stream counted since the device opened (see SdkGetStreamStatistics).
struct StreamHealth {
    uint64_t incompleteFrames = 0;  // frames the camera sent that arrived with data missing
    uint64_t underruns = 0;         // frames the camera sent while no stream buffer was free
    uint64_t missingPackets = 0;
    uint64_t resentPackets = 0;
    uint64_t bytes = 0;             // image bytes as the camera sent them
};

// How the PC receives a device's stream (see SdkGetStreamAdvice).
struct StreamAdvice {
    uint32_t flags = 0;  // VEXO_SDK_STREAM_...
    uint64_t socketBufferLimit = 0;
    uint64_t frameBytes = 0;
};

// One feature of a camera as its own description defines it (see SdkGetFeatureInfo).
enum class FeatureType { Integer = 1, Float, Enumeration, Boolean, Command, String };
enum class FeatureAccess { NotAvailable = 0, ReadOnly, ReadWrite };
enum class FeatureVisibility { Beginner = 0, Expert, Guru };
struct FeatureDescription {
    std::string name, displayName, category, description, unit;
    FeatureType type = FeatureType::Integer;
    FeatureAccess access = FeatureAccess::ReadWrite;
    FeatureVisibility visibility = FeatureVisibility::Beginner;
    double minimum = 0, maximum = 0, increment = 0;
    std::vector<std::string> entries;
};

// Settings a device writes to its camera itself; the library leaves them to it.
enum class DeviceFeature : uint32_t {
    Exposure = 1u << 0,          // exposure time
    Gain = 1u << 1,              // analog gain
    AutoExposure = 1u << 2,      // the camera runs automatic exposure and gain itself
    WhiteBalance = 1u << 3,      // red, green, blue gains applied in the camera
    AutoWhiteBalance = 1u << 4,  // the camera balances itself
    Region = 1u << 5,            // resolution presets, custom region, binning
    PixelFormat = 1u << 6,       // image format (mono or colour mosaic)
    FrameRate = 1u << 7,         // frame speed
    Trigger = 1u << 8,           // trigger mode, frame count, delay, input line edges
    Mirror = 1u << 9,            // horizontal and vertical mirror in the camera
    OutputLines = 1u << 10,      // strobe, level and PWM outputs
    Transport = 1u << 11,        // packet size and packet interval
    Lighting = 1u << 12,         // anti-flicker, light frequency
    Lens = 1u << 13,             // focus drive and illumination channels
};
using DeviceFeatures = uint32_t;
constexpr DeviceFeatures operator|(DeviceFeature a, DeviceFeature b)
{
    return static_cast<uint32_t>(a) | static_cast<uint32_t>(b);
}
constexpr DeviceFeatures operator|(DeviceFeatures a, DeviceFeature b)
{
    return a | static_cast<uint32_t>(b);
}
constexpr bool hasFeature(DeviceFeatures features, DeviceFeature f)
{
    return (features & static_cast<uint32_t>(f)) != 0;
}

// Where a device puts the frames of its stream. Implemented by the library.
class FrameSink {
public:
    // A free buffer, or null when every buffer is held (the frame is counted lost).
    virtual CapturedFrame* acquireBuffer() = 0;
    // Hands a buffer from acquireBuffer back, filled (or not: set status to Incomplete).
    virtual void deliver(CapturedFrame* frame) = 0;
    // Frames the camera sent that never arrived.
    virtual void framesLost(uint32_t count) = 0;
    // The camera is gone; no more frames will come from this device.
    virtual void deviceLost() = 0;

protected:
    ~FrameSink() = default;
};

// Edge counters and level of one input line. Counters only grow; edges are found by
// comparing with the values seen last.
struct InputLineState {
    uint32_t risingEdges = 0;
    uint32_t fallingEdges = 0;
    int level = 0;
};

// One physical camera while it is open. Destroying it closes the camera (the stream is
// stopped first by the library).
class CameraDevice {
public:
    virtual ~CameraDevice() = default;

    // Capabilities as the camera reports them: sensor size, preset and maximum region,
    // image formats, exposure and gain ranges, input and output lines. The identity
    // fields equal the model the backend opened. Never null, constant while open.
    virtual std::shared_ptr<const CameraModel> model() = 0;
    virtual DeviceFeatures features() const = 0;

    // Writes the settings of its features (see the notes above). Returns 0 or a code.
    virtual int apply(const CameraSettings& wanted, const CameraSettings* previous,
                      CameraSettings& taken) = 0;

    // Starts the camera's stream into sink, following the trigger mode last applied.
    // Returns 0 or a code (VEXO_SDK_DETACHED, VEXO_SDK_FAILED).
    virtual int startStream(FrameSink& sink) = 0;
    virtual void stopStream() = 0;
    // One software trigger while streaming in software trigger mode. Returns 0,
    // VEXO_SDK_BUSY (too many triggers waiting), VEXO_SDK_DETACHED or VEXO_SDK_FAILED.
    virtual int triggerSoftware() = 0;
    // Takes one frame now, whatever the trigger mode, while the stream is stopped, with
    // `settings` (equal to the applied ones except maybe the image format). Returns 0 or
    // a code (VEXO_SDK_TIMEOUT, VEXO_SDK_DETACHED, VEXO_SDK_FAILED).
    virtual int captureOne(const CameraSettings& settings, CapturedFrame& frame) = 0;

    // False once the camera has gone. Cheap (no waiting): called on frame calls.
    virtual bool attached() = 0;

    // The camera's own parameter groups (0 .. 3; load also 0xFF, the factory set) and its
    // own name. nullopt where the camera has none: the library keeps them itself.
    virtual std::optional<int> saveGroup(int /*group*/) { return std::nullopt; }
    virtual std::optional<int> loadGroup(int /*group*/) { return std::nullopt; }
    // After loadGroup: what the camera now holds for the features it has, written over
    // settings (everything else is left as it is).
    virtual void readHeld(CameraSettings& /*settings*/) {}
    // Counters of the camera's own stream; nullopt where the library's counters are all
    // there is. Cheap (no waiting): asked while the camera streams.
    virtual std::optional<StreamHealth> streamHealth() { return std::nullopt; }
    // What the way the stream is received costs; nothing to say by default. Cheap.
    virtual StreamAdvice streamAdvice() { return {}; }
    // The camera's own features (names, values as text: see SdkGetFeatureValue).
    // nullopt where the camera has no description of its own: the library then offers
    // the settings it holds. read and write return 0 or a code and say why in reason.
    // hasOwnFeatures is cheap (no waiting); describeFeatures walks the whole description.
    virtual bool hasOwnFeatures() const { return false; }
    virtual std::optional<std::vector<FeatureDescription>> describeFeatures() { return std::nullopt; }
    virtual int readFeature(const std::string& /*name*/, std::string& /*value*/,
                            FeatureAccess& /*access*/, std::string& /*reason*/)
    {
        return -4;  // VEXO_SDK_NOT_MATCHING
    }
    virtual int writeFeature(const std::string& /*name*/, const std::string& /*value*/,
                             std::string& /*reason*/)
    {
        return -4;
    }
    virtual int executeFeature(const std::string& /*name*/, std::string& /*reason*/) { return -4; }
    // Writes the name and reads it back into stored.
    virtual std::optional<int> writeNickname(const std::string& /*name*/, std::string& /*stored*/)
    {
        return std::nullopt;
    }
};

class CameraBackend {
public:
    virtual ~CameraBackend() = default;
    // Every camera the backend knows now, attached or not. A model once handed out stays
    // valid (and unchanged) for the life of the process.
    virtual std::vector<std::shared_ptr<const CameraModel>> models() = 0;
    virtual bool attached(const std::string& identifier) = 0;
    // Opens the camera. On failure returns null and sets error (VEXO_SDK_NOT_FOUND,
    // VEXO_SDK_OPEN_ELSEWHERE, VEXO_SDK_FAILED).
    virtual std::unique_ptr<CameraDevice> openDevice(const CameraModel& model, int& error) = 0;

    using HotplugListener = std::function<void(const std::string& identifier, bool attached)>;
    // Starts reporting hot-plug events (see the notes above). Called once.
    virtual void watch(HotplugListener listener) = 0;

    // Network settings a GigE camera keeps itself, open or not. nullopt where the library
    // keeps them for the backend's cameras; otherwise 0 or a code (NOT_MATCHING: this
    // camera's settings cannot be read or changed).
    virtual std::optional<int> networkConfig(const std::string& /*identifier*/,
                                             NetworkState& /*state*/)
    {
        return std::nullopt;
    }
    virtual std::optional<int> setNetworkConfig(const std::string& /*identifier*/,
                                                const NetworkState& /*state*/)
    {
        return std::nullopt;
    }
};

}  // namespace vexo::sdk
