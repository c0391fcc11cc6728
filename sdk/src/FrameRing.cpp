#include "FrameRing.h"

#include <cmath>
#include <limits>

namespace vexo::sdk {

int32_t recordExposureUs(double exposureUs)
{
    constexpr int32_t kLongest = std::numeric_limits<int32_t>::max();
    if (!(exposureUs > 0))
        return 0;  // also NaN
    if (exposureUs >= kLongest)
        return kLongest;
    return static_cast<int32_t>(std::trunc(exposureUs));
}

FrameRing::FrameRing(size_t slotCount) : slots(slotCount) {}

FrameRing::Slot* FrameRing::slotOf(const CapturedFrame* frame)
{
    for (Slot& s : slots)
        if (&s.frame == frame)
            return &s;
    return nullptr;
}

CapturedFrame* FrameRing::acquireWriteSlot()
{
    std::lock_guard<std::mutex> lock(mutex);
    Slot* oldestReady = nullptr;
    for (Slot& s : slots) {
        if (s.state == SlotState::Free) {
            s.state = SlotState::Writing;
            return &s.frame;
        }
        if (s.state == SlotState::Ready && (!oldestReady || s.sequence < oldestReady->sequence))
            oldestReady = &s;
    }
    if (!oldestReady) {
        ++lost;   // every buffer is held: the new frame has nowhere to go
        return nullptr;
    }
    ++lost;   // the consumer is too slow: its oldest frame gives way
    oldestReady->state = SlotState::Writing;
    return &oldestReady->frame;
}

void FrameRing::commit(CapturedFrame* frame)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        Slot* s = slotOf(frame);
        if (!s)
            return;
        if (frame->status != FrameStatus::Complete) {
            s->state = SlotState::Free;
            ++lost;
            return;
        }
        s->state = SlotState::Ready;
        s->sequence = ++published;
    }
    ready.notify_all();
}

void FrameRing::abandon(CapturedFrame* frame)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (Slot* s = slotOf(frame))
        s->state = SlotState::Free;
}

void FrameRing::addLost(uint32_t count)
{
    std::lock_guard<std::mutex> lock(mutex);
    lost += count;
}

bool FrameRing::allHeldLocked() const
{
    for (const Slot& s : slots)
        if (s.state != SlotState::Held)
            return false;
    return true;
}

bool FrameRing::allHeld() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return allHeldLocked();
}

int FrameRing::take(uint32_t& token, uint64_t after, std::chrono::steady_clock::time_point deadline,
                    const std::function<int()>& interruption, int timeoutCode, int allHeldCode)
{
    std::unique_lock<std::mutex> lock(mutex);
    bool timedOut = false;
    for (;;) {
        if (int code = interruption())
            return code;
        Slot* oldest = nullptr;
        for (Slot& s : slots)
            if (s.state == SlotState::Ready && s.sequence > after &&
                (!oldest || s.sequence < oldest->sequence))
                oldest = &s;
        if (!oldest && allHeldLocked())
            return allHeldCode;
        if (oldest) {
            oldest->state = SlotState::Held;
            oldest->token = nextToken++;
            if (nextToken == 0)
                nextToken = 1;
            token = oldest->token;
            return 0;
        }
        // After a time-out the loop looks once more: a frame may have come with it.
        if (timedOut)
            return timeoutCode;
        timedOut = ready.wait_until(lock, deadline) == std::cv_status::timeout;
    }
}

const CapturedFrame* FrameRing::held(uint32_t token) const
{
    std::lock_guard<std::mutex> lock(mutex);
    for (const Slot& s : slots)
        if (s.state == SlotState::Held && s.token == token && token != 0)
            return &s.frame;
    return nullptr;
}

const CapturedFrame* FrameRing::heldData(const uint8_t* data) const
{
    std::lock_guard<std::mutex> lock(mutex);
    for (const Slot& s : slots)
        if (s.state == SlotState::Held && data && s.frame.raw.pixels.data() == data)
            return &s.frame;
    return nullptr;
}

bool FrameRing::release(uint32_t token)
{
    std::lock_guard<std::mutex> lock(mutex);
    for (Slot& s : slots) {
        if (s.state == SlotState::Held && s.token == token && token != 0) {
            s.state = SlotState::Free;
            s.token = 0;
            return true;
        }
    }
    return false;
}

void FrameRing::dropReady()
{
    std::lock_guard<std::mutex> lock(mutex);
    for (Slot& s : slots)
        if (s.state == SlotState::Ready)
            s.state = SlotState::Free;
}

void FrameRing::wake()
{
    { std::lock_guard<std::mutex> lock(mutex); }
    ready.notify_all();
}

uint64_t FrameRing::lastSequence() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return published;
}

uint32_t FrameRing::lostFrames() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return lost;
}

}  // namespace vexo::sdk
