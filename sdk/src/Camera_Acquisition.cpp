// Frame production of an open camera: the producer thread, triggers and the frame calls.
#include <algorithm>
#include <cmath>

#include "Camera.h"
#include "VexoCameraApi.h"

namespace vexo::sdk {

using Clock = std::chrono::steady_clock;

namespace {

Clock::duration microseconds(double us)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::micro>(us));
}

Clock::time_point deadlineAfter(int timeoutMs)
{
    return Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
}

// How often an idle producer looks at the input lines and the device node.
constexpr auto kPollInterval = std::chrono::milliseconds(2);

}  // namespace

void Camera::captureFrame(const CameraSettings& s, CapturedFrame& frame)
{
    const imaging::SensorSettings sensor = sensorSettings(cameraModel, s);
    const double timeSec = std::chrono::duration<double>(Clock::now() - openTime).count();
    {
        std::lock_guard<std::mutex> guard(deviceMutex);
        device->capture(sensor, timeSec, frameNumber, frame.raw);
        frame.raw.frameNumber = frameNumber;
        frame.raw.timestampUs = static_cast<int64_t>(timeSec * 1e6);
        ++frameNumber;
    }
    frame.exposureUs = s.exposureUs;
    frame.gainMilli = s.gainMilli;
}

int Camera::start()
{
    std::lock_guard<std::mutex> guard(lifecycleMutex);
    if (isClosed.load())
        return VEXO_SDK_INVALID_HANDLE;
    if (unplugged())
        return VEXO_SDK_DETACHED;
    if (isRunning.load())
        return VEXO_SDK_OK;
    {
        std::lock_guard<std::mutex> control(controlMutex);
        stopRequested = false;
        pendingTriggers.clear();
    }
    inputsKnown = false;
    isRunning.store(true);
    producer = std::thread([this] { produceFrames(); });
    return VEXO_SDK_OK;
}

int Camera::stop()
{
    std::lock_guard<std::mutex> guard(lifecycleMutex);
    if (!producer.joinable()) {
        isRunning.store(false);
        return VEXO_SDK_OK;
    }
    {
        std::lock_guard<std::mutex> control(controlMutex);
        stopRequested = true;
    }
    control.notify_all();
    producer.join();
    isRunning.store(false);
    ring.dropReady();
    ring.wake();
    return VEXO_SDK_OK;
}

void Camera::close()
{
    isClosed.store(true);
    ring.wake();
    stop();
    std::lock_guard<std::mutex> guard(lifecycleMutex);
    lock.reset();
}

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
    if (isRunning.load())
        unplugged();   // the producer notices too, but a waiting caller should not wait for it
    else if (unplugged())
        return VEXO_SDK_DETACHED;
    return ring.take(token, 0, deadlineAfter(timeoutMs), [this] { return frameWaitInterruption(); },
                     VEXO_SDK_TIMEOUT);
}

int Camera::grabFrame(uint32_t& token, int timeoutMs)
{
    if (unplugged())
        return VEXO_SDK_DETACHED;
    std::unique_lock<std::mutex> guard(lifecycleMutex);
    if (isClosed.load())
        return VEXO_SDK_INVALID_HANDLE;
    if (!isRunning.load()) {
        // No producer: take the exposure here, then hand it out through the ring like any
        // other frame.
        CapturedFrame* slot = ring.acquireWriteSlot();
        if (!slot)
            return VEXO_SDK_FAILED;
        const uint64_t before = ring.lastSequence();
        captureFrame(settings(), *slot);
        delivered.fetch_add(1);
        ring.commit(slot);
        return ring.take(token, before, deadlineAfter(timeoutMs),
                         [this] { return isClosed.load() ? VEXO_SDK_INVALID_HANDLE : VEXO_SDK_OK; },
                         VEXO_SDK_TIMEOUT);
    }
    guard.unlock();
    const uint64_t before = ring.lastSequence();
    if (settings().triggerMode == 1) {
        std::lock_guard<std::mutex> control(controlMutex);
        pendingTriggers.push_back(Clock::now() + microseconds(settings().triggerDelayUs));
        this->control.notify_all();
    }
    return ring.take(token, before, deadlineAfter(timeoutMs), [this] { return frameWaitInterruption(); },
                     VEXO_SDK_TIMEOUT);
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
    {
        std::lock_guard<std::mutex> guard(controlMutex);
        pendingTriggers.push_back(Clock::now() + microseconds(s.triggerDelayUs));
    }
    control.notify_all();
    return VEXO_SDK_OK;
}

// Looks for new edges on the trigger inputs; queues one trigger per matching edge and
// reports whether a level-triggered input is active now.
bool Camera::pollHardwareTrigger(const CameraSettings& s, Clock::time_point now)
{
    const size_t lines = s.inputs.size();
    std::vector<InputLineState> states(lines);
    for (size_t i = 0; i < lines; ++i)
        states[i] = device->inputLine(static_cast<int>(i));
    if (!inputsKnown || lastInputs.size() != lines) {
        // Edges from before hardware trigger mode was chosen do not count.
        lastInputs = states;
        inputsKnown = true;
    }
    bool levelActive = false;
    uint32_t edges = 0;
    for (size_t i = 0; i < lines; ++i) {
        const InputLineSetting& line = s.inputs[i];
        if (line.mode != 0)
            continue;
        const uint32_t rising = states[i].risingEdges - lastInputs[i].risingEdges;
        const uint32_t falling = states[i].fallingEdges - lastInputs[i].fallingEdges;
        if (line.edge == 0 || line.edge == 2)
            edges += rising;
        if (line.edge == 1 || line.edge == 3)
            edges += falling;
        if ((line.edge == 2 && states[i].level == 1) || (line.edge == 3 && states[i].level == 0))
            levelActive = true;
    }
    lastInputs = states;
    if (edges > 0) {
        std::lock_guard<std::mutex> guard(controlMutex);
        for (uint32_t e = 0; e < std::min<uint32_t>(edges, 1000); ++e)
            pendingTriggers.push_back(now + microseconds(s.triggerDelayUs));
    }
    return levelActive;
}

void Camera::produceFrames()
{
    Clock::time_point nextFrame = Clock::now();
    int burstFramesLeft = 0;
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(controlMutex);
            if (stopRequested)
                break;
        }
        if (unplugged()) {
            ring.wake();
            break;
        }
        const CameraSettings s = settings();
        const Clock::duration period = microseconds(framePeriodUs(cameraModel, s));
        const Clock::time_point now = Clock::now();
        Clock::time_point wakeAt = now + kPollInterval;

        bool streaming = s.triggerMode == 0;
        if (s.triggerMode == 2)
            streaming = pollHardwareTrigger(s, now);
        else
            inputsKnown = false;
        if (s.triggerMode == 0) {
            burstFramesLeft = 0;
            std::lock_guard<std::mutex> guard(controlMutex);
            pendingTriggers.clear();
        }
        if (!streaming && burstFramesLeft == 0) {
            std::lock_guard<std::mutex> guard(controlMutex);
            if (!pendingTriggers.empty()) {
                const Clock::time_point due = pendingTriggers.front();
                if (due <= now) {
                    pendingTriggers.pop_front();
                    burstFramesLeft = std::max(s.triggerFrames, 1);
                    nextFrame = std::max(nextFrame, due);
                } else {
                    wakeAt = std::min(wakeAt, due);
                }
            }
        }

        if ((streaming || burstFramesLeft > 0) && now >= nextFrame) {
            if (!streaming)
                --burstFramesLeft;
            // Counted before it is published, so a consumer holding the frame never sees a
            // count that does not include it.
            if (CapturedFrame* slot = ring.acquireWriteSlot()) {
                captureFrame(s, *slot);
                const imaging::FrameStatistics stats = imaging::ImagePipeline::statistics(slot->raw);
                delivered.fetch_add(1);
                ring.commit(slot);
                applyAutomatics(stats, s);
            } else {
                delivered.fetch_add(1);   // every buffer held: the frame is lost at once
            }
            nextFrame += period;
            // A producer that fell behind (slow rendering, long pause) restarts its
            // schedule instead of rushing out the frames it missed.
            if (nextFrame < Clock::now() - period)
                nextFrame = Clock::now();
            continue;
        }
        if (streaming || burstFramesLeft > 0)
            wakeAt = std::min(wakeAt, nextFrame);
        std::unique_lock<std::mutex> guard(controlMutex);
        control.wait_until(guard, wakeAt, [this] { return stopRequested; });
    }
}

}  // namespace vexo::sdk
