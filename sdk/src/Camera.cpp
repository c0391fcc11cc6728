#include "Camera.h"

#include <algorithm>
#include <cmath>

#include "VexoCameraApi.h"

namespace vexo::sdk {

Camera::Camera(CameraBackend& backend, std::unique_ptr<CameraDevice> device,
               std::unique_ptr<CameraLock> lock, CameraSettings initial)
    : backend(backend),
      cameraModel(device->model()),
      current(std::move(initial)),
      currentNickname(cameraModel->nickname),
      currentFirmware(cameraModel->firmwareVersion),
      device(std::move(device)),
      lock(std::move(lock))
{
    features = this->device->features();
}

int Camera::initialise()
{
    std::lock_guard<std::mutex> guard(deviceMutex);
    const CameraSettings wanted = settings();
    CameraSettings taken = wanted;
    const int result = device->apply(wanted, nullptr, taken);
    if (result == VEXO_SDK_OK) {
        std::lock_guard<std::mutex> settingsGuard(settingsMutex);
        current = taken;
        settingsVersion.fetch_add(1);
    }
    return result;
}

Camera::~Camera()
{
    close();
}

CameraSettings Camera::settings() const
{
    std::lock_guard<std::mutex> guard(settingsMutex);
    return current;
}

int Camera::change(const std::function<int(CameraSettings&)>& edit)
{
    std::lock_guard<std::mutex> guard(deviceMutex);
    return changeLocked(edit);
}

int Camera::changeLocked(const std::function<int(CameraSettings&)>& edit)
{
    CameraSettings previous = settings();
    CameraSettings edited = previous;
    int result = edit(edited);
    if (result != VEXO_SDK_OK)
        return result;
    // Without the camera's own trigger there is nothing that could hold frames back.
    if (edited.triggerMode != 0 && !hasFeature(features.load(), DeviceFeature::Trigger))
        return VEXO_SDK_NOT_MATCHING;
    if (device) {
        CameraSettings taken = edited;
        result = device->apply(edited, &previous, taken);
        if (result != VEXO_SDK_OK)
            return result;
        edited = std::move(taken);
    }
    std::lock_guard<std::mutex> settingsGuard(settingsMutex);
    current = std::move(edited);
    settingsVersion.fetch_add(1);
    return VEXO_SDK_OK;
}

std::optional<int> Camera::withDevice(const std::function<std::optional<int>(CameraDevice&)>& call)
{
    std::lock_guard<std::mutex> guard(deviceMutex);
    if (!device)
        return std::nullopt;
    return call(*device);
}

int Camera::adoptHeldSettings(CameraSettings base)
{
    withDevice([&](CameraDevice& d) {
        d.readHeld(base);
        return std::optional<int>(VEXO_SDK_OK);
    });
    return change([&](CameraSettings& s) {
        s = base;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

uint32_t Camera::outputFormat() const
{
    std::lock_guard<std::mutex> guard(settingsMutex);
    return format;
}

void Camera::setOutputFormat(uint32_t pixelFormat)
{
    std::lock_guard<std::mutex> guard(settingsMutex);
    if (format != pixelFormat) {
        format = pixelFormat;
        settingsVersion.fetch_add(1);
    }
}

std::string Camera::nickname() const
{
    std::lock_guard<std::mutex> guard(settingsMutex);
    return currentNickname;
}

void Camera::setNickname(const std::string& name)
{
    std::lock_guard<std::mutex> guard(settingsMutex);
    currentNickname = name;
}

uint16_t Camera::firmwareVersion() const
{
    std::lock_guard<std::mutex> guard(settingsMutex);
    return currentFirmware;
}

void Camera::setFirmwareVersion(uint16_t version)
{
    std::lock_guard<std::mutex> guard(settingsMutex);
    currentFirmware = version;
}

bool Camera::unplugged()
{
    return probeUnplugged(true);
}

bool Camera::unpluggedAtOnce()
{
    return probeUnplugged(false);
}

bool Camera::probeUnplugged(bool mayWait)
{
    if (!isUnplugged.load()) {
        std::unique_lock<std::mutex> guard(deviceMutex, std::defer_lock);
        if (mayWait)
            guard.lock();
        else
            guard.try_lock();
        if (guard.owns_lock() && (!device || !device->attached())) {
            isUnplugged.store(true);
            ring.wake();
        }
    }
    return isUnplugged.load();
}

int Camera::process(VexoImageInfo& info, const uint8_t* raw, uint8_t* out, uint32_t pixelFormat)
{
    const CapturedFrame* frame = ring.heldData(raw);
    if (!frame)
        return VEXO_SDK_INVALID_FRAME;
    if (info.width != frame->raw.width || info.height != frame->raw.height)
        return VEXO_SDK_INVALID_ARGUMENT;

    std::lock_guard<std::mutex> guard(pipelineMutex);
    const uint64_t version = settingsVersion.load();
    if (pixelFormat == 0)
        pixelFormat = outputFormat();
    if (version != pipelineVersion || pixelFormat != pipelineFormat) {
        CameraSettings s;
        {
            std::lock_guard<std::mutex> settingsGuard(settingsMutex);
            s = current;
        }
        imaging::PipelineSettings p = pipelineSettings(s, pixelFormat);
        // What the camera did itself is not done twice.
        const DeviceFeatures done = features.load();
        if (hasFeature(done, DeviceFeature::WhiteBalance) ||
            hasFeature(done, DeviceFeature::AutoWhiteBalance))
            p.wbRed = p.wbGreen = p.wbBlue = 1.0;
        if (hasFeature(done, DeviceFeature::Mirror))
            p.mirrorHorizontal = p.mirrorVertical = false;
        pipeline.configure(p);
        pipelineVersion = version;
        pipelineFormat = pixelFormat;
    }
    const size_t size = static_cast<size_t>(frame->raw.width) * static_cast<size_t>(frame->raw.height) *
                        imaging::bytesPerPixel(pixelFormat);
    if (const int result = pipeline.process(frame->raw, out, size); result != imaging::kImagingOk)
        return result == imaging::kImagingUnknownFormat && pixelFormat == imaging::kPixelMono16
                   ? VEXO_SDK_WRONG_MODE  // a colour mosaic frame has no 16-bit grey
                   : VEXO_SDK_FAILED;
    info.pixelFormat = pixelFormat;
    info.dataSize = static_cast<int32_t>(size);
    return VEXO_SDK_OK;
}

VexoFrameStatistics Camera::statistics() const
{
    VexoFrameStatistics s;
    s.lostFrames = ring.lostFrames();
    s.deliveredFrames = delivered.load();
    return s;
}

VexoStreamStatistics Camera::streamStatistics()
{
    // A device busy with a setting (a hung camera can hold it for seconds) keeps the
    // counters it gave last.
    {
        std::unique_lock<std::mutex> deviceGuard(deviceMutex, std::try_to_lock);
        if (deviceGuard.owns_lock() && device) {
            if (const std::optional<StreamHealth> health = device->streamHealth()) {
                std::lock_guard<std::mutex> guard(healthMutex);
                deviceHealth = *health;
                deviceCountsBytes = true;
            }
        }
    }
    VexoStreamStatistics s{};
    s.framesReceived = framesComplete.load();
    s.framesLost = ring.lostFrames();
    s.framesIncomplete = framesIncomplete.load();
    s.bufferUnderruns = framesWithoutBuffer.load();
    s.bytesReceived = bytesComplete.load();
    std::lock_guard<std::mutex> guard(healthMutex);
    const StreamHealth& d = deviceHealth;
    const StreamHealth& e = healthOfEarlierDevices;
    s.framesIncomplete += d.incompleteFrames + e.incompleteFrames;
    s.bufferUnderruns += d.underruns + e.underruns;
    s.packetsMissing = d.missingPackets + e.missingPackets;
    s.packetsResent = d.resentPackets + e.resentPackets;
    if (deviceCountsBytes)
        s.bytesReceived = d.bytes + e.bytes;
    return s;
}

void Camera::noteStreamAdviceLocked()
{
    const StreamAdvice advice = device->streamAdvice();
    std::lock_guard<std::mutex> guard(healthMutex);
    lastAdvice = advice;
}

VexoStreamAdvice Camera::streamAdvice()
{
    // Like the statistics: a device busy with a setting (the library's automatic exposure
    // writes one a frame) keeps what it said last, at the latest when its stream started.
    {
        std::unique_lock<std::mutex> deviceGuard(deviceMutex, std::try_to_lock);
        if (deviceGuard.owns_lock() && device)
            noteStreamAdviceLocked();
    }
    std::lock_guard<std::mutex> guard(healthMutex);
    VexoStreamAdvice a{};
    a.flags = lastAdvice.flags;
    a.socketBufferLimit = lastAdvice.socketBufferLimit;
    a.frameBytes = lastAdvice.frameBytes;
    return a;
}

void Camera::applyAutomatics(const CameraSettings& used,
                             const std::optional<imaging::FrameStatistics>& stats,
                             double usedExposureUs, int usedGainMilli)
{
    if (stats) {
        std::lock_guard<std::mutex> guard(statisticsMutex);
        latestStatistics = stats;
    }
    const DeviceFeatures done = features.load();
    const bool cameraExposes = hasFeature(done, DeviceFeature::AutoExposure);
    const bool cameraBalances = hasFeature(done, DeviceFeature::AutoWhiteBalance);
    if (cameraExposes && used.exposureMode == 1 &&
        (used.exposureUs != usedExposureUs || used.gainMilli != usedGainMilli)) {
        // The camera's own controller: show what it chose.
        std::lock_guard<std::mutex> guard(settingsMutex);
        current.exposureUs = usedExposureUs;
        current.gainMilli = usedGainMilli;
        settingsVersion.fetch_add(1);
    }
    const bool exposing = used.exposureMode == 1 && !cameraExposes;
    const bool balancing = used.whiteBalanceMode == 1 && !cameraBalances;
    if ((!exposing && !balancing) || !stats)
        return;
    const auto steer = [&](CameraSettings& s) {
        steerAutomatics(s, *stats, usedExposureUs, usedGainMilli, cameraExposes, cameraBalances);
        return VEXO_SDK_OK;
    };
    // Settled controllers ask for what the camera holds already: writing it again would
    // cost a round trip to the camera, and the image pipeline a fresh set-up, each frame.
    // A camera exposing by itself is still asked what it chose, through the write.
    if (!cameraExposes) {
        CameraSettings steered = settings();
        const CameraSettings before = steered;
        steer(steered);
        if (steered.exposureUs == before.exposureUs && steered.gainMilli == before.gainMilli &&
            steered.redGain == before.redGain && steered.greenGain == before.greenGain &&
            steered.blueGain == before.blueGain)
            return;
    }
    change(steer);
}

void Camera::steerAutomatics(CameraSettings& s, const imaging::FrameStatistics& stats,
                             double usedExposureUs, int usedGainMilli, bool cameraExposes,
                             bool cameraBalances) const
{
    if (s.exposureMode == 1 && !cameraExposes) {
        imaging::AutoExposureLimits limits{s.autoExposureMinUs, s.autoExposureMaxUs,
                                           s.autoExposureMinGainMilli, s.autoExposureMaxGainMilli};
        // Start from what this frame was taken with, so a frame already under way
        // does not make the controller overshoot.
        double exposureUs = usedExposureUs;
        int gainMilli = usedGainMilli;
        imaging::autoExposureStep(stats, s.targetBrightness, limits, exposureUs, gainMilli);
        s.exposureUs = snapExposureUs(*cameraModel, exposureUs);
        s.gainMilli = std::clamp(gainMilli, cameraModel->gainMinMilli, cameraModel->gainMaxMilli);
    }
    if (s.whiteBalanceMode == 1 && !cameraBalances && cameraModel->colorSensor &&
        s.imageFormat == VEXO_SDK_PIXEL_BAYER_RG8) {
        double red = 1, green = 1, blue = 1;
        imaging::whiteBalanceGains(stats, red, green, blue);
        // Move part of the way each frame so the picture settles without pumping.
        auto approach = [](int currentHundredths, double target) {
            const double next = currentHundredths + 0.3 * (target * 100.0 - currentHundredths);
            return std::clamp(static_cast<int>(std::lround(next)), 0, 400);
        };
        s.redGain = approach(s.redGain, red);
        s.greenGain = approach(s.greenGain, green);
        s.blueGain = approach(s.blueGain, blue);
    }
}

int Camera::oneTouchWhiteBalance()
{
    if (!cameraModel->colorSensor)
        return VEXO_SDK_NOT_MATCHING;
    if (unplugged())
        return VEXO_SDK_DETACHED;
    std::optional<imaging::FrameStatistics> stats;
    if (running()) {
        std::lock_guard<std::mutex> guard(statisticsMutex);
        stats = latestStatistics;
    }
    const CameraSettings s = settings();
    if (!stats || s.imageFormat != VEXO_SDK_PIXEL_BAYER_RG8) {
        // No colour frame to measure (not streaming, none yet, or a mono image format):
        // take one colour exposure just for the measurement, pausing the stream for it.
        CameraSettings colour = s;
        colour.imageFormat = VEXO_SDK_PIXEL_BAYER_RG8;
        CapturedFrame frame;
        std::lock_guard<std::mutex> lifecycle(lifecycleMutex);
        if (isClosed.load())
            return VEXO_SDK_INVALID_HANDLE;
        if (!device)
            return VEXO_SDK_DETACHED;
        if (streaming)
            device->stopStream();
        int result;
        {
            std::lock_guard<std::mutex> guard(deviceMutex);
            result = device->captureOne(colour, frame);
        }
        if (streaming && device->startStream(*this) != VEXO_SDK_OK)
            streaming = false;
        if (result != VEXO_SDK_OK)
            return result;
        stats = imaging::ImagePipeline::statistics(frame.raw);
    }
    double red = 1, green = 1, blue = 1;
    imaging::whiteBalanceGains(*stats, red, green, blue);
    return change([&](CameraSettings& edited) {
        edited.redGain = std::clamp(static_cast<int>(std::lround(red * 100)), 0, 400);
        edited.greenGain = std::clamp(static_cast<int>(std::lround(green * 100)), 0, 400);
        edited.blueGain = std::clamp(static_cast<int>(std::lround(blue * 100)), 0, 400);
        return VEXO_SDK_OK;
    });
}

}  // namespace vexo::sdk
