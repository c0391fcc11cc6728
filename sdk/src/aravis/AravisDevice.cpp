#include "AravisDevice.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "AravisPixels.h"
#include "VexoCameraApi.h"

namespace vexo::sdk::aravis {

namespace {

constexpr int kCaptureTimeoutMs = 5000;
// The stream thread sleeps until a frame, a stop or the camera's loss; while nothing comes
// it looks whether discovery still sees the camera this often.
constexpr int kIdleCheckMs = 5000;

bool sameRegion(const ResolutionPreset& a, const ResolutionPreset& b)
{
    return a.offsetX == b.offsetX && a.offsetY == b.offsetY && a.regionWidth == b.regionWidth &&
           a.regionHeight == b.regionHeight && a.outputWidth == b.outputWidth &&
           a.outputHeight == b.outputHeight;
}

}  // namespace

double frameRateForSpeed(int speed, double setUpRate, double maxRate)
{
    const double base = setUpRate > 0 ? setUpRate : maxRate;
    switch (speed) {
        case 0:
            return base / 2;
        case 2:
            return maxRate > 0 ? maxRate : base;
        default:
            return base;
    }
}

std::shared_ptr<const CameraModel> describeCamera(AravisCamera& camera, const CameraModel& identity,
                                                  std::string& error)
{
    CameraModel m = identity;
    camera.describe(m);
    std::string nickname;
    if (camera.userId(nickname) == VEXO_SDK_OK && !nickname.empty())
        m.nickname = nickname.substr(0, VEXO_SDK_NICKNAME_MAX_LENGTH);
    error = completeCameraModel(m);
    if (!error.empty())
        return nullptr;
    // A camera starts with the region it was left with (set up with the maker's tools,
    // for example); the full sensor and the standard regions follow.
    ResolutionPreset current;
    if (camera.currentRegion(current) && current.regionWidth <= m.sensorWidth &&
        current.regionHeight <= m.sensorHeight &&
        (current.regionWidth != m.sensorWidth || current.regionHeight != m.sensorHeight)) {
        CameraModel withCurrent = m;
        withCurrent.resolutions.insert(withCurrent.resolutions.begin(), current);
        if (completeCameraModel(withCurrent).empty())
            m = std::move(withCurrent);
    }
    // Deep formats the camera sends follow the 8-bit ones, one per depth and mosaic.
    for (uint32_t code : camera.pixelFormats()) {
        const uint32_t library = libraryFormatOf(code);
        const int depth = imaging::rawBitDepth(library);
        if (depth <= 8 ||
            std::any_of(m.imageFormats.begin(), m.imageFormats.end(),
                        [&](const ImageFormatEntry& f) { return f.formatId == library; }))
            continue;
        const std::string kind = imaging::isBayerFormat(library) ? "BayerRG" : "Mono";
        m.imageFormats.push_back({kind + std::to_string(depth), library});
    }
    return std::make_shared<const CameraModel>(std::move(m));
}

AravisDevice::AravisDevice(std::shared_ptr<AravisCamera> opened,
                           std::shared_ptr<const CameraModel> model,
                           std::function<bool()> isPresent)
    : camera(std::move(opened)), cameraModel(std::move(model)), present(std::move(isPresent))
{
    DeviceFeatures f = DeviceFeature::Exposure | DeviceFeature::Gain | DeviceFeature::Region |
                       DeviceFeature::PixelFormat;
    if (camera->has("ExposureAuto"))
        f = f | DeviceFeature::AutoExposure;
    if (camera->has("BalanceRatio") || camera->has("BalanceRatioAbs"))
        f = f | DeviceFeature::WhiteBalance;
    if (camera->has("BalanceWhiteAuto"))
        f = f | DeviceFeature::AutoWhiteBalance;
    if (camera->has("TriggerMode"))
        f = f | DeviceFeature::Trigger;
    if (camera->has("ReverseX") || camera->has("ReverseY"))
        f = f | DeviceFeature::Mirror;
    if (!camera->outputLineNames().empty())
        f = f | DeviceFeature::OutputLines;
    if (camera->has("GevSCPSPacketSize"))
        f = f | DeviceFeature::Transport;
    const char* rate =
        camera->has("AcquisitionFrameRate") ? "AcquisitionFrameRate" : "AcquisitionFrameRateAbs";
    double low = 0;
    if (camera->getFloat(rate, setUpFrameRate) == VEXO_SDK_OK &&
        camera->floatBounds(rate, low, maxFrameRate) == VEXO_SDK_OK)
        f = f | DeviceFeature::FrameRate;
    deviceFeatures = f;
    ownUserSets = camera->hasUserSets() && camera->has("UserSetSave");
    if (ownUserSets) {
        const std::vector<std::string> sets = camera->enumEntries("UserSetSelector");
        ownFactorySet = std::find(sets.begin(), sets.end(), "Default") != sets.end();
    }
    ownUserId = camera->writable("DeviceUserID");
}

std::optional<int> AravisDevice::saveGroup(int group)
{
    if (!ownUserSets)
        return std::nullopt;
    if (!camera->attached())
        return VEXO_SDK_DETACHED;
    return camera->saveUserSet(group);
}

std::optional<int> AravisDevice::loadGroup(int group)
{
    // Without a factory set of its own, the library's factory settings are written.
    if (!ownUserSets || (group == VEXO_SDK_FACTORY_GROUP && !ownFactorySet))
        return std::nullopt;
    if (!camera->attached())
        return VEXO_SDK_DETACHED;
    return camera->loadUserSet(group);
}

void AravisDevice::readExposureAndGain(CameraSettings& s)
{
    double exposure = 0;
    if (camera->exposureUs(exposure) == VEXO_SDK_OK)
        s.exposureUs = exposure;
    int gain = 0;
    if (camera->gainMilli(gain) == VEXO_SDK_OK)
        s.gainMilli = std::clamp(gain, cameraModel->gainMinMilli, cameraModel->gainMaxMilli);
}

void AravisDevice::readHeld(CameraSettings& s)
{
    readExposureAndGain(s);
    std::string text;
    if (hasFeature(deviceFeatures, DeviceFeature::AutoExposure) &&
        camera->getString("ExposureAuto", text) == VEXO_SDK_OK)
        s.exposureMode = text == "Off" ? 0 : 1;
    if (hasFeature(deviceFeatures, DeviceFeature::AutoWhiteBalance) &&
        camera->getString("BalanceWhiteAuto", text) == VEXO_SDK_OK)
        s.whiteBalanceMode = text == "Off" ? 0 : 1;
    if (hasFeature(deviceFeatures, DeviceFeature::WhiteBalance)) {
        int* gains[3] = {&s.redGain, &s.greenGain, &s.blueGain};
        for (int c = 0; c < 3; ++c) {
            int hundredths = 0;
            if (camera->balanceRatio(c, hundredths) == VEXO_SDK_OK)
                *gains[c] = std::clamp(hundredths, 0, 400);
        }
    }
    bool horizontal = false, vertical = false;
    if (hasFeature(deviceFeatures, DeviceFeature::Mirror) &&
        camera->mirror(horizontal, vertical) == VEXO_SDK_OK) {
        s.mirrorHorizontal = horizontal ? 1 : 0;
        s.mirrorVertical = vertical ? 1 : 0;
    }
    int mode = 0, activation = 0, delayUs = s.triggerDelayUs;
    std::string line;
    if (hasFeature(deviceFeatures, DeviceFeature::Trigger) &&
        camera->trigger(mode, line, activation, delayUs) == VEXO_SDK_OK) {
        s.triggerMode = mode;
        s.triggerDelayUs = delayUs;
        const std::vector<std::string>& lines = camera->inputLineNames();
        for (size_t i = 0; i < lines.size() && i < s.inputs.size(); ++i) {
            if (lines[i] == line) {
                s.inputs[i].mode = 0;
                s.inputs[i].edge = activation;
            }
        }
    }
    ResolutionPreset region;
    if (camera->currentRegion(region)) {
        const auto& presets = cameraModel->resolutions;
        const auto preset = std::find_if(presets.begin(), presets.end(),
                                         [&](const ResolutionPreset& p) { return sameRegion(p, region); });
        if (preset != presets.end()) {
            s.resolutionIndex = static_cast<int>(preset - presets.begin());
        } else {
            s.resolutionIndex = 0xFF;
            s.customRegion = region;
        }
    }
    uint32_t pfnc = 0;
    PixelLayout layout;
    if (camera->pixelFormat(pfnc) == VEXO_SDK_OK && describePixelFormat(pfnc, layout)) {
        // The camera's own format where the library offers it (a deep one too), else
        // the 8-bit format of its kind.
        const uint32_t own = libraryFormatOf(pfnc);
        const uint32_t eightBit = layout.mosaic != Mosaic::None || layout.threeColours
                                      ? VEXO_SDK_PIXEL_BAYER_RG8
                                      : VEXO_SDK_PIXEL_MONO8;
        bool ownOffered = false;
        for (const ImageFormatEntry& f : cameraModel->imageFormats)
            ownOffered = ownOffered || f.formatId == own;
        for (const ImageFormatEntry& f : cameraModel->imageFormats)
            if (f.formatId == (ownOffered ? own : eightBit))
                s.imageFormat = f.formatId;
    }
    int64_t value = 0;
    if (hasFeature(deviceFeatures, DeviceFeature::Transport)) {
        if (camera->getInteger("GevSCPSPacketSize", value) == VEXO_SDK_OK)
            s.packetSize = static_cast<int>(value);
        if (camera->has("GevSCPD") && camera->getInteger("GevSCPD", value) == VEXO_SDK_OK)
            s.packetIntervalUs = static_cast<int>(value / 1000);
    }
}

std::optional<int> AravisDevice::writeNickname(const std::string& name, std::string& stored)
{
    if (!ownUserId)
        return std::nullopt;
    if (!camera->attached())
        return VEXO_SDK_DETACHED;
    std::string before;
    camera->userId(before);
    if (int r = camera->setUserId(name))
        return r;
    if (int r = camera->userId(stored))
        return r;
    if (stored != name) {  // cut short by the camera: keep the name it had
        camera->setUserId(before);
        stored = before;
        return VEXO_SDK_OUT_OF_RANGE;
    }
    return VEXO_SDK_OK;
}

AravisDevice::~AravisDevice()
{
    stopThread();
}

bool AravisDevice::attached()
{
    return camera->attached() && present();
}

int AravisDevice::choosePixelFormat(uint32_t libraryFormat)
{
    const int depth = imaging::rawBitDepth(libraryFormat);
    const bool colour = depth == 0 || imaging::isBayerFormat(libraryFormat);
    uint32_t best = 0;
    int bestScore = 0;
    for (uint32_t code : camera->pixelFormats()) {
        PixelLayout l;
        if (!describePixelFormat(code, l) || (l.mosaic != Mosaic::None || l.threeColours) != colour)
            continue;
        // A deep format is asked for by its depth: only that depth will do.
        if (depth > 8 && libraryFormatOf(code) != libraryFormat)
            continue;
        const int score = pixelFormatPreference(code);
        if (score > bestScore) {
            best = code;
            bestScore = score;
        }
    }
    return best ? camera->setPixelFormat(best) : VEXO_SDK_NOT_MATCHING;
}

int AravisDevice::writeGeometry(const CameraSettings& wanted)
{
    const ResolutionPreset& r = currentRegion(*cameraModel, wanted);
    const int binning = r.outputWidth > 0 && r.regionWidth / r.outputWidth >= 2 ? 2 : 1;
    if (int result =
            camera->setRegion(r.offsetX, r.offsetY, r.regionWidth, r.regionHeight, binning))
        return result;
    return choosePixelFormat(wanted.imageFormat);
}

int AravisDevice::writeTrigger(const CameraSettings& wanted)
{
    std::string line;
    int activation = 0;
    // Hardware trigger follows the first input line set up as a trigger input.
    for (size_t i = 0; i < wanted.inputs.size() && i < camera->inputLineNames().size(); ++i) {
        if (wanted.inputs[i].mode == 0) {
            line = camera->inputLineNames()[i];
            activation = wanted.inputs[i].edge;
            break;
        }
    }
    if (wanted.triggerMode == 2 && line.empty())
        return VEXO_SDK_NOT_MATCHING;
    if (camera->has("AcquisitionBurstFrameCount"))
        camera->setInteger("AcquisitionBurstFrameCount", wanted.triggerFrames);
    return camera->setTrigger(wanted.triggerMode, line, activation, wanted.triggerDelayUs);
}

int AravisDevice::writeOutputs(const CameraSettings& wanted, const CameraSettings* previous)
{
    const std::vector<std::string>& names = camera->outputLineNames();
    for (size_t i = 0; i < wanted.outputs.size() && i < names.size(); ++i) {
        const OutputLineSetting& o = wanted.outputs[i];
        if (previous && i < previous->outputs.size()) {
            const OutputLineSetting& p = previous->outputs[i];
            if (o.mode == p.mode && o.polarity == p.polarity && o.level == p.level)
                continue;
        }
        // PWM has no standard feature; such a line is left as a plain level.
        if (int r = camera->setOutputLine(names[i], o.mode == 0 ? 0 : 1, o.polarity == 0, o.level))
            return r;
    }
    return VEXO_SDK_OK;
}

int AravisDevice::apply(const CameraSettings& wanted, const CameraSettings* previous,
                        CameraSettings& taken)
{
    if (!camera->attached())
        return VEXO_SDK_DETACHED;
    taken = wanted;
    const bool all = previous == nullptr;
    const bool geometry =
        all || wanted.imageFormat != previous->imageFormat ||
        !sameRegion(currentRegion(*cameraModel, wanted), currentRegion(*cameraModel, *previous));
    if (geometry) {
        // Size and pixel format are locked while the camera streams: stop the camera,
        // write, start it again. The stream thread is not joined (it may be waiting for
        // the library inside a delivery); it simply continues with the new stream. The
        // thread lock keeps a start or stop of the stream out meanwhile; the stream
        // thread itself never changes geometry (it would wait for a stop joining it).
        if (std::this_thread::get_id() == streamThread.load())
            return VEXO_SDK_WRONG_MODE;
        std::lock_guard<std::mutex> threadGuard(threadMutex);
        const bool wasStreaming = camera->streaming();
        if (wasStreaming)
            camera->stopStream();
        int result = writeGeometry(wanted);
        if (result != VEXO_SDK_OK && previous)
            writeGeometry(*previous);
        if (wasStreaming && camera->startStream() != VEXO_SDK_OK && result == VEXO_SDK_OK)
            result = camera->attached() ? VEXO_SDK_FAILED : VEXO_SDK_DETACHED;
        if (result != VEXO_SDK_OK)
            return result;
    }
    const bool autoExposure =
        hasFeature(deviceFeatures, DeviceFeature::AutoExposure) && wanted.exposureMode == 1;
    if (hasFeature(deviceFeatures, DeviceFeature::AutoExposure) &&
        (all || wanted.exposureMode != previous->exposureMode)) {
        camera->setExposureAuto(autoExposure);
        if (camera->has("GainAuto"))
            camera->setGainAuto(autoExposure);
    }
    if (!autoExposure) {
        if (all || wanted.exposureUs != previous->exposureUs)
            if (int r = camera->setExposureUs(wanted.exposureUs))
                return r;
        if (all || wanted.gainMilli != previous->gainMilli)
            if (int r = camera->setGainMilli(wanted.gainMilli))
                return r;
    }
    // What the panel shows is what the camera holds.
    readExposureAndGain(taken);
    exposureUs.store(taken.exposureUs);
    gainMilli.store(taken.gainMilli);

    if (hasFeature(deviceFeatures, DeviceFeature::AutoWhiteBalance) &&
        (all || wanted.whiteBalanceMode != previous->whiteBalanceMode))
        camera->setBalanceWhiteAuto(wanted.whiteBalanceMode == 1);
    if (hasFeature(deviceFeatures, DeviceFeature::WhiteBalance) && wanted.whiteBalanceMode != 1 &&
        (all || wanted.redGain != previous->redGain || wanted.greenGain != previous->greenGain ||
         wanted.blueGain != previous->blueGain)) {
        const int gains[3] = {wanted.redGain, wanted.greenGain, wanted.blueGain};
        for (int c = 0; c < 3; ++c)
            if (int r = camera->setBalanceRatio(c, gains[c]);
                r != VEXO_SDK_OK && r != VEXO_SDK_NOT_MATCHING)
                return r;
    }
    if (hasFeature(deviceFeatures, DeviceFeature::Mirror) &&
        (all || wanted.mirrorHorizontal != previous->mirrorHorizontal ||
         wanted.mirrorVertical != previous->mirrorVertical))
        if (int r = camera->setMirror(wanted.mirrorHorizontal != 0, wanted.mirrorVertical != 0))
            return r;
    if (hasFeature(deviceFeatures, DeviceFeature::FrameRate) &&
        (all || wanted.frameSpeed != previous->frameSpeed))
        camera->setFrameRate(frameRateForSpeed(wanted.frameSpeed, setUpFrameRate, maxFrameRate));
    if (hasFeature(deviceFeatures, DeviceFeature::Trigger) &&
        (all || wanted.triggerMode != previous->triggerMode ||
         wanted.triggerDelayUs != previous->triggerDelayUs ||
         wanted.triggerFrames != previous->triggerFrames ||
         wanted.inputs.size() != previous->inputs.size() ||
         !std::equal(wanted.inputs.begin(), wanted.inputs.end(), previous->inputs.begin(),
                     [](const InputLineSetting& a, const InputLineSetting& b) {
                         return a.mode == b.mode && a.edge == b.edge;
                     })))
        if (int r = writeTrigger(wanted))
            return r;
    if (hasFeature(deviceFeatures, DeviceFeature::OutputLines))
        if (int r = writeOutputs(wanted, previous))
            return r;
    if (hasFeature(deviceFeatures, DeviceFeature::Transport)) {
        if (all || wanted.packetSize != previous->packetSize)
            if (int r = camera->setPacketSize(wanted.packetSize);
                r != VEXO_SDK_OK && r != VEXO_SDK_NOT_MATCHING)
                return r;
        // GevSCPD counts timestamp ticks; most cameras tick in nanoseconds.
        if (camera->has("GevSCPD") &&
            (all || wanted.packetIntervalUs != previous->packetIntervalUs))
            camera->setPacketDelay(wanted.packetIntervalUs * 1000);
    }
    std::lock_guard<std::mutex> guard(mutex);
    applied = taken;
    hasApplied = true;
    return VEXO_SDK_OK;
}

int AravisDevice::startThread(FrameSink& frameSink)
{
    std::lock_guard<std::mutex> guard(threadMutex);
    if (thread.joinable())
        return VEXO_SDK_OK;
    if (int r = camera->startStream())
        return r;
    {
        std::lock_guard<std::mutex> state(mutex);
        sink = &frameSink;
    }
    stopRequested.store(false);
    thread = std::thread([this, s = &frameSink] { run(s); });
    return VEXO_SDK_OK;
}

void AravisDevice::stopThread()
{
    std::lock_guard<std::mutex> guard(threadMutex);
    stopRequested.store(true);
    camera->wakeWaiters();
    if (thread.joinable())
        thread.join();
    camera->stopStream();
    std::lock_guard<std::mutex> state(mutex);
    sink = nullptr;
}

int AravisDevice::startStream(FrameSink& frameSink)
{
    if (!attached())
        return VEXO_SDK_DETACHED;
    return startThread(frameSink);
}

void AravisDevice::stopStream()
{
    stopThread();
    // The counters of a stopped stream live on in the camera's totals.
    const StreamCounters counted = camera->counters();
    std::lock_guard<std::mutex> guard(healthMutex);
    lastCounters = counted;
}

std::optional<StreamHealth> AravisDevice::streamHealth()
{
    std::lock_guard<std::mutex> guard(healthMutex);
    StreamHealth h;
    h.incompleteFrames = lastCounters.failures;
    h.underruns = lastCounters.underruns;
    h.missingPackets = lastCounters.missingPackets;
    h.resentPackets = lastCounters.resentPackets;
    h.bytes = lastCounters.bytes;
    return h;
}

StreamAdvice AravisDevice::streamAdvice()
{
    const uint64_t frameBytes = camera->streamPayload();
    std::lock_guard<std::mutex> guard(healthMutex);
    if (!setup)
        setup = probeStreamSetup();
    return adviceFor(cameraModel->isGigE(), *setup, frameBytes);
}

void AravisDevice::run(FrameSink* frameSink)
{
    pthread_setname_np(pthread_self(), "vexo-arv-stream");
    streamThread.store(std::this_thread::get_id());
    uint64_t lostBefore = camera->counters().lostFrames();
    while (!stopRequested.load()) {
        FrameMeta meta;
        CapturedFrame* slot = nullptr;
        const int result = camera->popFrame(
            [&]() -> imaging::RawFrame* {
                slot = frameSink->acquireBuffer();
                return slot ? &slot->raw : nullptr;
            },
            meta, kIdleCheckMs, [this] { return stopRequested.load(); });
        if (slot) {
            slot->exposureUs = exposureUs.load();
            slot->gainMilli = gainMilli.load();
            slot->status = result == VEXO_SDK_OK ? FrameStatus::Complete : FrameStatus::Incomplete;
            frameSink->deliver(slot);
        }
        const StreamCounters counted = camera->counters();
        {
            std::lock_guard<std::mutex> guard(healthMutex);
            lastCounters = counted;
        }
        const uint64_t lostNow = counted.lostFrames();
        if (lostNow > lostBefore) {
            frameSink->framesLost(
                static_cast<uint32_t>(std::min<uint64_t>(lostNow - lostBefore, UINT32_MAX)));
            lostBefore = lostNow;
        }
        if (result == VEXO_SDK_DETACHED || !attached()) {
            if (!lostReported.exchange(true))
                frameSink->deviceLost();
            break;
        }
        if (result == VEXO_SDK_NOT_STARTED)  // restarting for a new region or format
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int AravisDevice::triggerSoftware()
{
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (!sink)
            return VEXO_SDK_FAILED;
    }
    if (!camera->attached())
        return VEXO_SDK_DETACHED;
    return camera->softwareTrigger();
}

int AravisDevice::captureOne(const CameraSettings& settings, CapturedFrame& frame)
{
    if (!attached())
        return VEXO_SDK_DETACHED;
    CameraSettings before;
    bool known = false;
    {
        std::lock_guard<std::mutex> guard(mutex);
        before = applied;
        known = hasApplied;
    }
    // One frame now, whatever the trigger mode: run free for it, then put things back.
    const bool otherFormat = known && settings.imageFormat != before.imageFormat;
    if (otherFormat)
        choosePixelFormat(settings.imageFormat);
    const bool triggered =
        known && before.triggerMode != 0 && hasFeature(deviceFeatures, DeviceFeature::Trigger);
    if (triggered)
        camera->setTrigger(0, {}, 0, 0);
    int result = camera->startStream();
    if (result == VEXO_SDK_OK) {
        FrameMeta meta;
        result = camera->nextFrame(
            frame.raw, meta, kCaptureTimeoutMs + static_cast<int>(settings.exposureUs / 1000));
        camera->stopStream();
    }
    if (triggered)
        writeTrigger(before);
    if (otherFormat)
        choosePixelFormat(before.imageFormat);
    frame.exposureUs = exposureUs.load();
    frame.gainMilli = gainMilli.load();
    frame.status = FrameStatus::Complete;
    if (result == VEXO_SDK_NOT_STARTED)
        result = VEXO_SDK_FAILED;
    return result;
}

}  // namespace vexo::sdk::aravis
