// Frames of an open camera: start and stop of the device's stream, the frame calls, the
// sink the stream delivers into, and the handle's life across unplug and replug.
#include <algorithm>
#include <cstdio>

#include "Camera.h"
#include "VexoCameraApi.h"

namespace vexo::sdk {

using Clock = std::chrono::steady_clock;

namespace {

Clock::time_point deadlineAfter(int timeoutMs)
{
    return Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
}

}  // namespace

// ---- Stream ---------------------------------------------------------------------------

int Camera::start()
{
    std::lock_guard<std::mutex> guard(lifecycleMutex);
    if (isClosed.load())
        return VEXO_SDK_INVALID_HANDLE;
    if (unplugged())
        return VEXO_SDK_DETACHED;
    if (isRunning.load())
        return VEXO_SDK_OK;
    const int result = device->startStream(*this);
    if (result != VEXO_SDK_OK)
        return result;
    streaming = true;
    isRunning.store(true);
    // Now the stream's frame size is known; later questions may find the device busy.
    noteStreamAdviceLocked();
    return VEXO_SDK_OK;
}

void Camera::stopLocked()
{
    if (streaming && device)
        device->stopStream();
    streaming = false;
    isRunning.store(false);
    ring.dropReady();
    ring.wake();
}

int Camera::stop()
{
    std::lock_guard<std::mutex> guard(lifecycleMutex);
    stopLocked();
    return VEXO_SDK_OK;
}

void Camera::releaseDevice()
{
    if (!device)
        return;
    if (streaming)
        device->stopStream();
    streaming = false;
    std::unique_ptr<CameraDevice> gone;
    {
        std::lock_guard<std::mutex> guard(deviceMutex);
        // The next device counts from zero: keep what this one's stream counted.
        if (const std::optional<StreamHealth> health = device->streamHealth()) {
            std::lock_guard<std::mutex> healthGuard(healthMutex);
            healthOfEarlierDevices.incompleteFrames += health->incompleteFrames;
            healthOfEarlierDevices.underruns += health->underruns;
            healthOfEarlierDevices.missingPackets += health->missingPackets;
            healthOfEarlierDevices.resentPackets += health->resentPackets;
            healthOfEarlierDevices.bytes += health->bytes;
            deviceHealth = StreamHealth{};
            deviceCountsBytes = true;
        }
        gone = std::move(device);
    }
    gone.reset();  // closes the camera, outside the device lock
}

// ---- Closing and upgrades ---------------------------------------------------------------

bool Camera::beginUpgrade()
{
    std::lock_guard<std::mutex> guard(upgradeMutex);
    if (isClosed.load())
        return false;
    upgrading = true;
    return true;
}

void Camera::endUpgrade()
{
    bool closed;
    {
        std::lock_guard<std::mutex> guard(upgradeMutex);
        upgrading = false;
        closed = isClosed.load();
    }
    if (closed)
        finishClose();
}

void Camera::finishClose()
{
    std::lock_guard<std::mutex> guard(lifecycleMutex);
    releaseDevice();
    lock.reset();
}

void Camera::close()
{
    {
        std::lock_guard<std::mutex> guard(upgradeMutex);
        isClosed.store(true);
    }
    ring.wake();
    {
        std::lock_guard<std::mutex> guard(lifecycleMutex);
        stopLocked();
    }
    {
        // The upgrade's end finishes the close (it may be this very thread, in the
        // upgrade's progress callback, so waiting here is no option).
        std::lock_guard<std::mutex> guard(upgradeMutex);
        if (upgrading)
            return;
    }
    finishClose();
}

// ---- Frame calls --------------------------------------------------------------------------

int Camera::frameWaitInterruption() const
{
    if (isClosed.load())
        return VEXO_SDK_INVALID_HANDLE;
    if (isUnplugged.load())
        return VEXO_SDK_DETACHED;
    if (!isRunning.load())
        return VEXO_SDK_NOT_STARTED;
    return VEXO_SDK_OK;
}

int Camera::getFrame(uint32_t& token, int timeoutMs)
{
    if (unpluggedAtOnce())
        return VEXO_SDK_DETACHED;
    return ring.take(
        token, 0, deadlineAfter(timeoutMs), [this] { return frameWaitInterruption(); },
        VEXO_SDK_TIMEOUT, VEXO_SDK_BUFFERS_HELD);
}

int Camera::grabFrame(uint32_t& token, int timeoutMs)
{
    if (unpluggedAtOnce())
        return VEXO_SDK_DETACHED;
    if (ring.allHeld())
        return VEXO_SDK_BUFFERS_HELD;
    std::unique_lock<std::mutex> guard(lifecycleMutex);
    if (isClosed.load())
        return VEXO_SDK_INVALID_HANDLE;
    if (!device)
        return VEXO_SDK_DETACHED;
    if (!isRunning.load()) {
        // No stream: take the exposure here, then hand it out through the ring like any
        // other frame.
        CapturedFrame* slot = ring.acquireWriteSlot();
        if (!slot)
            return VEXO_SDK_BUFFERS_HELD;
        const uint64_t before = ring.lastSequence();
        int result;
        {
            std::lock_guard<std::mutex> deviceGuard(deviceMutex);
            result = device->captureOne(settings(), *slot);
        }
        if (result != VEXO_SDK_OK) {
            ring.abandon(slot);
            return result;
        }
        delivered.fetch_add(1);
        ring.commit(slot);
        return ring.take(
            token, before, deadlineAfter(timeoutMs),
            [this] { return isClosed.load() ? VEXO_SDK_INVALID_HANDLE : VEXO_SDK_OK; },
            VEXO_SDK_TIMEOUT, VEXO_SDK_BUFFERS_HELD);
    }
    guard.unlock();
    const uint64_t before = ring.lastSequence();
    if (settings().triggerMode == 1) {
        std::lock_guard<std::mutex> deviceGuard(deviceMutex);
        const int result = device ? device->triggerSoftware() : VEXO_SDK_DETACHED;
        if (result != VEXO_SDK_OK)
            return result;
    }
    // The stream's own consumers (a display, a recorder) keep getting every frame: the
    // grab shares the next one with them instead of competing for it.
    return ring.grab(
        token, before, deadlineAfter(timeoutMs), [this] { return frameWaitInterruption(); },
        VEXO_SDK_TIMEOUT, VEXO_SDK_BUFFERS_HELD);
}

int Camera::softwareTrigger()
{
    const CameraSettings s = settings();
    if (s.triggerMode != 1)
        return VEXO_SDK_WRONG_MODE;
    if (unplugged())
        return VEXO_SDK_DETACHED;
    if (!isRunning.load())
        return VEXO_SDK_NOT_STARTED;
    std::lock_guard<std::mutex> guard(deviceMutex);
    return device ? device->triggerSoftware() : VEXO_SDK_DETACHED;
}

// ---- The sink the device's stream delivers into ------------------------------------------

CapturedFrame* Camera::acquireBuffer()
{
    CapturedFrame* frame = ring.acquireWriteSlot();
    if (frame)
        frame->status = FrameStatus::Complete;
    else
        framesWithoutBuffer.fetch_add(1);
    // Counted before it is published, so a consumer holding the frame never sees a count
    // that does not include it; a frame with nowhere to go is lost at once.
    delivered.fetch_add(1);
    return frame;
}

void Camera::deliver(CapturedFrame* frame)
{
    if (isUnplugged.load() || frame->status != FrameStatus::Complete) {
        if (!isUnplugged.load())
            framesIncomplete.fetch_add(1);
        frame->status = FrameStatus::Incomplete;  // counted lost, never handed out
        ring.commit(frame);
        return;
    }
    // The library's own automatic exposure and white balance measure every frame. Without
    // them a frame now and then keeps the measure a one-touch white balance uses fresh.
    const CameraSettings used = settings();
    const DeviceFeatures done = features.load();
    const bool automatics =
        (used.exposureMode == 1 && !hasFeature(done, DeviceFeature::AutoExposure)) ||
        (used.whiteBalanceMode == 1 && !hasFeature(done, DeviceFeature::AutoWhiteBalance));
    std::optional<imaging::FrameStatistics> stats;
    if (automatics || ++framesUnmeasured >= kMeasureEveryNthFrame) {
        stats = imaging::ImagePipeline::statistics(frame->raw);
        framesUnmeasured = 0;
    }
    const double exposureUs = frame->exposureUs;
    const int gainMilli = frame->gainMilli;
    framesComplete.fetch_add(1);
    bytesComplete.fetch_add(frame->raw.pixelBytes());
    ring.commit(frame);
    applyAutomatics(used, stats, exposureUs, gainMilli);
}

void Camera::framesLost(uint32_t count)
{
    ring.addLost(count);
}

void Camera::deviceLost()
{
    isUnplugged.store(true);
    ring.wake();
}

// ---- Unplug and replug ----------------------------------------------------------------------

void Camera::deviceGone()
{
    if (isClosed.load() || backend.attached(cameraModel->identifier))
        return;
    isUnplugged.store(true);
    ring.wake();
    std::lock_guard<std::mutex> guard(lifecycleMutex);
    if (isClosed.load())
        return;
    releaseDevice();
    ring.dropReady();
}

void Camera::deviceReturned()
{
    if (isClosed.load() || !isUnplugged.load())
        return;
    std::lock_guard<std::mutex> guard(lifecycleMutex);
    if (isClosed.load() || !backend.attached(cameraModel->identifier))
        return;
    releaseDevice();  // what is left of the old one
    int error = VEXO_SDK_OK;
    std::unique_ptr<CameraDevice> fresh = backend.openDevice(*cameraModel, error);
    if (!fresh) {
        std::fprintf(stderr, "VexoCameraDLL: %s came back but cannot be opened (%d)\n",
                     cameraModel->identifier.c_str(), error);
        return;
    }
    {
        // The handle's settings, as they stand (they may have changed while it was away).
        std::lock_guard<std::mutex> deviceGuard(deviceMutex);
        const CameraSettings wanted = settings();
        CameraSettings taken = wanted;
        const int result = fresh->apply(wanted, nullptr, taken);
        if (result != VEXO_SDK_OK) {
            std::fprintf(stderr, "VexoCameraDLL: %s came back but refused its settings (%d)\n",
                         cameraModel->identifier.c_str(), result);
            return;
        }
        device = std::move(fresh);
        features = device->features();
        std::lock_guard<std::mutex> settingsGuard(settingsMutex);
        current = taken;
        settingsVersion.fetch_add(1);
    }
    ring.dropReady();
    isUnplugged.store(false);
    if (isRunning.load()) {
        if (device->startStream(*this) == VEXO_SDK_OK) {
            streaming = true;
            noteStreamAdviceLocked();
        } else {
            isUnplugged.store(true);
        }
    }
    ring.wake();
}

}  // namespace vexo::sdk
