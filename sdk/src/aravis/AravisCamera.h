#pragma once
// One opened GenICam camera: its features under their standard (SFNC) names, with the
// alternatives older cameras use, and its stream of frames. Values come back as the
// library's result codes: a feature the camera lacks is NOT_MATCHING, a value outside the
// camera's bounds OUT_OF_RANGE, a write the camera refuses FAILED. Every member is safe
// to call from several threads: feature access is serialised, popping frames is not
// (the stream's queue is).
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "AravisObjects.h"
#include "CameraBackend.h"
#include "CameraModel.h"
#include "Imaging.h"

namespace vexo::sdk::aravis {

struct StreamCounters {
    uint64_t completed = 0;
    uint64_t failures = 0;   // frames with missing or broken data
    uint64_t underruns = 0;  // frames the camera sent while no buffer was free
    uint64_t missingPackets = 0;
    uint64_t resentPackets = 0;
    uint64_t bytes = 0;  // image data of the buffers that arrived complete
    uint64_t lostFrames() const { return failures + underruns; }
};

struct FrameMeta {
    uint64_t frameId = 0;
    int64_t timestampUs = 0;
    uint32_t pixelFormat = 0;
};

// Where the stream buffers lent to frames go back to (see RawFrame::borrow). A frame may
// outlive its stream (held by the library's caller across a stop, a restart or the
// camera's loss), so it keeps this rather than the stream: until close() a buffer given
// back goes into the stream's queue again; after it, the buffer is freed. Thread safe.
class BufferReturn {
public:
    explicit BufferReturn(ArvStream* stream);
    ~BufferReturn();
    BufferReturn(const BufferReturn&) = delete;
    BufferReturn& operator=(const BufferReturn&) = delete;
    void giveBack(ArvBuffer* buffer);  // takes the buffer over
    void close();

private:
    std::mutex mutex;
    ArvStream* stream;  // a reference of its own until close()
};

class AravisCamera {
public:
    // Opens the camera Aravis knows as deviceId. On failure returns null with a text.
    static std::unique_ptr<AravisCamera> open(const std::string& deviceId, std::string& error);
    ~AravisCamera();
    AravisCamera(const AravisCamera&) = delete;
    AravisCamera& operator=(const AravisCamera&) = delete;

    // Fills sizes, formats, ranges, lines, presets and firmware of model from the camera
    // (identity fields stay as discovery found them).
    void describe(CameraModel& model);
    // Names of the camera's input and output lines in the order of the model's lines
    // (after describe).
    const std::vector<std::string>& inputLineNames() const { return inputs; }
    const std::vector<std::string>& outputLineNames() const { return outputs; }
    // The region the camera delivers now, in sensor pixels (binning 1 or 2); false when
    // the camera does not say or uses another binning.
    bool currentRegion(ResolutionPreset& region);

    // Stops an acquisition the camera is still running for a controller that vanished
    // (this process lost its connection, another program died): such a camera sends to
    // the dead controller's port or to none, and goes on doing so when it is started
    // again, instead of sending to the new stream; it also refuses size changes while
    // it acquires. A camera that is idle ignores the stop.
    void stopLeftoverAcquisition();

    // False once the camera is gone (control lost, unplugged); it does not come back.
    bool attached() const { return !controlLost.load(); }

    // Generic feature access.
    bool has(const char* feature);
    // Present and not read-only.
    bool writable(const char* feature);
    int setInteger(const char* feature, int64_t value);
    int getInteger(const char* feature, int64_t& value);
    int integerBounds(const char* feature, int64_t& min, int64_t& max);
    int setFloat(const char* feature, double value);
    int getFloat(const char* feature, double& value);
    int floatBounds(const char* feature, double& min, double& max);
    int setEnum(const char* feature, const char* entry);
    int getString(const char* feature, std::string& value);
    int setString(const char* feature, const std::string& value);
    int setBoolean(const char* feature, bool value);
    int getBoolean(const char* feature, bool& value);
    int execute(const char* feature);
    std::vector<std::string> enumEntries(const char* feature);
    // Every feature of the camera's GenICam description (AravisCamera_Features.cpp):
    // categories from Root depth first, invisible features left out; values as text.
    std::vector<FeatureDescription> describeFeatures();
    int readFeature(const std::string& name, std::string& value, FeatureAccess& access,
                    std::string& reason);
    int writeFeature(const std::string& name, const std::string& value, std::string& reason);
    int executeFeature(const std::string& name, std::string& reason);
    // PFNC codes of the pixel formats the camera offers.
    std::vector<uint32_t> pixelFormats();
    // Selects selectorEntry of selector, then writes feature (TriggerSelector FrameStart ...).
    int setSelected(const char* selector, const char* selectorEntry, const char* feature,
                    const char* entry);

    // Mapped features (units of the library).
    int setExposureUs(double us);
    int exposureUs(double& us);
    int exposureBoundsUs(double& min, double& max);
    int setExposureAuto(bool on);
    int setGainMilli(int milli);
    int gainMilli(int& milli);
    int gainBoundsMilli(int& min, int& max);
    int setGainAuto(bool on);
    // Ratio 1.0 = 100 hundredths; channel 0 red, 1 green, 2 blue.
    int setBalanceRatio(int channel, int hundredths);
    int balanceRatio(int channel, int& hundredths);
    int setBalanceWhiteAuto(bool continuous);
    int setRegion(int offsetX, int offsetY, int width, int height, int binning);
    int setMirror(bool horizontal, bool vertical);
    int mirror(bool& horizontal, bool& vertical);
    int setFrameRate(double framesPerSecond);
    int setPixelFormat(uint32_t pfnc);
    int pixelFormat(uint32_t& pfnc);
    // 0 free running, 1 software, 2 hardware on line (activation 0 rising, 1 falling,
    // 2 level high, 3 level low).
    int setTrigger(int mode, const std::string& line, int activation, int delayUs);
    // The frame start trigger as the camera holds it, in the same terms (line empty
    // unless mode 2).
    int trigger(int& mode, std::string& line, int& activation, int& delayUs);
    int softwareTrigger();
    // Output line by its name (Line1 ...); mode 0 strobe (exposure active), 1 level.
    int setOutputLine(const std::string& line, int mode, bool inverted, int level);
    // User sets 1..4; 0xFF the factory "Default" set.
    bool hasUserSets();
    int loadUserSet(int group);
    int saveUserSet(int group);
    // DeviceUserID; NOT_MATCHING when the camera has none.
    int userId(std::string& name);
    int setUserId(const std::string& name);
    // GigE address settings (dotted text). Current is what the camera uses now,
    // persistent what it takes when it starts with a static address; dhcp tells whether
    // it asks for one (the persistent address takes precedence when both are on).
    struct NetworkAddresses {
        std::string ipAddress, subnetMask, gateway;
    };
    int currentAddress(NetworkAddresses& current);
    int persistentAddress(NetworkAddresses& persistent, bool& persistentOn, bool& dhcpOn);
    // Writes the persistent address and switches the camera to it (static), or to DHCP
    // (dhcp true; the address is left as it is). Takes effect when the camera restarts.
    int setNetwork(bool dhcp, const NetworkAddresses& persistent);
    int setPacketSize(int bytes);
    int setPacketDelay(int ticks);

    // Streaming: start allocates buffers and starts acquisition; nextFrame waits up to
    // timeoutMs for a complete frame. Returns OK, TIMEOUT, DETACHED or FAILED.
    int startStream();
    int stopStream();
    bool streaming() const { return isStreaming.load(); }
    int nextFrame(imaging::RawFrame& out, FrameMeta& meta, int timeoutMs);
    // Like nextFrame, into the frame target() returns once a complete camera buffer is
    // there (which the frame keeps, borrowed, when the pipeline reads its format as it
    // is); target() returning null drops the frame (BUFFERS_HELD). The wait sleeps until
    // a buffer arrives, the stream stops or restarts, the camera is lost, or cancelled()
    // (asked whenever wakeWaiters() is called) is true: then TIMEOUT.
    int popFrame(const std::function<imaging::RawFrame*()>& target, FrameMeta& meta, int timeoutMs,
                 const std::function<bool()>& cancelled = {});
    // Wakes popFrame waits so they look at their cancelled() again.
    void wakeWaiters();
    StreamCounters counters();
    // Bytes of one frame as the camera sends it; 0 before the first stream started.
    // Never waits, also while a write to the camera is under way.
    size_t streamPayload();

private:
    AravisCamera() = default;
    ArvDevice* device() const;
    static void onControlLost(ArvDevice* device, gpointer self);
    static void onNewBuffer(ArvStream* stream, gpointer self);
    int checkFeature(const char* feature);
    // The feature node of name, or null with the code and reason (mutex held).
    ArvGcFeatureNode* featureNode(const std::string& name, int& code, std::string& reason);
    int selectBalanceChannel(int channel);
    // One buffer from s if there is one (TIMEOUT when not), into target(): lent to it
    // through lender when its pixels need no conversion, else converted into its pixels.
    int takeBuffer(ArvStream* s, const std::shared_ptr<BufferReturn>& lender,
                   const std::function<imaging::RawFrame*()>& target, FrameMeta& meta);

    std::mutex mutex;  // GenICam node access
    GObjectPtr<ArvCamera> camera;
    GObjectPtr<ArvStream> stream;
    std::shared_ptr<BufferReturn> returns;  // of the stream now running
    std::atomic<bool> controlLost{false};
    std::atomic<bool> isStreaming{false};
    std::vector<std::string> lineNames;
    std::vector<std::string> inputs, outputs;
    unsigned long controlLostHandler = 0;
    unsigned long newBufferHandler = 0;
    // Stream events (a buffer arrived, stop, loss) count up `events` under waitMutex.
    std::mutex waitMutex;
    std::condition_variable eventSignal;
    uint64_t events = 0;
    int streamUsers = 0;  // popFrame calls using the stream
    size_t payload = 0;
    std::atomic<size_t> lastPayload{0};  // read without the lock
    // Counters of streams already stopped, so statistics cover the whole time open.
    StreamCounters before;
    std::atomic<uint64_t> bytesReceived{0};
};

}  // namespace vexo::sdk::aravis
