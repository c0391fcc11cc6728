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
            s.frame.raw.dropBorrowed();
            return &s.frame;
        }
        if (s.state == SlotState::Ready && !s.held() &&
            (!oldestReady || s.sequence < oldestReady->sequence))
            oldestReady = &s;
    }
    ++lost;
    if (!oldestReady)
        return nullptr;  // every buffer is held: the new frame has nowhere to go
    // The consumer is too slow: its oldest frame gives way.
    oldestReady->state = SlotState::Writing;
    oldestReady->frame.raw.dropBorrowed();
    return &oldestReady->frame;
}

void FrameRing::freeLocked(Slot& slot)
{
    slot.state = SlotState::Free;
    slot.frame.raw.dropBorrowed();  // a driver's buffer goes back at once
}

uint32_t FrameRing::holdLocked(Slot& slot)
{
    const uint32_t token = nextToken++;
    if (nextToken == 0)
        nextToken = 1;
    slot.holders.push_back(token);
    return token;
}

void FrameRing::commit(CapturedFrame* frame)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        Slot* s = slotOf(frame);
        if (!s)
            return;
        if (frame->status != FrameStatus::Complete) {
            freeLocked(*s);
            ++lost;
            return;
        }
        s->state = SlotState::Ready;
        s->sequence = ++published;
        for (GrabWaiter* waiter : grabWaiters)
            if (waiter->token == 0 && waiter->after < s->sequence)
                waiter->token = holdLocked(*s);
    }
    ready.notify_all();
}

void FrameRing::abandon(CapturedFrame* frame)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (Slot* s = slotOf(frame))
        freeLocked(*s);
}

void FrameRing::addLost(uint32_t count)
{
    std::lock_guard<std::mutex> lock(mutex);
    lost += count;
}

bool FrameRing::allHeldLocked() const
{
    for (const Slot& s : slots)
        if (!s.held())
            return false;
    return true;
}

bool FrameRing::allHeld() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return allHeldLocked();
}

FrameRing::Slot* FrameRing::oldestAfterLocked(uint64_t after, bool takenToo)
{
    Slot* oldest = nullptr;
    for (Slot& s : slots) {
        const bool published = s.state == SlotState::Ready || (takenToo && s.state == SlotState::Taken);
        if (published && s.sequence > after && (!oldest || s.sequence < oldest->sequence))
            oldest = &s;
    }
    return oldest;
}

int FrameRing::take(uint32_t& token, uint64_t after, std::chrono::steady_clock::time_point deadline,
                    const std::function<int()>& interruption, int timeoutCode, int allHeldCode)
{
    std::unique_lock<std::mutex> lock(mutex);
    bool timedOut = false;
    for (;;) {
        if (int code = interruption())
            return code;
        if (Slot* oldest = oldestAfterLocked(after, false)) {
            oldest->state = SlotState::Taken;
            token = holdLocked(*oldest);
            return 0;
        }
        if (allHeldLocked())
            return allHeldCode;
        // After a time-out the loop looks once more: a frame may have come with it.
        if (timedOut)
            return timeoutCode;
        timedOut = ready.wait_until(lock, deadline) == std::cv_status::timeout;
    }
}

int FrameRing::grab(uint32_t& token, uint64_t after, std::chrono::steady_clock::time_point deadline,
                    const std::function<int()>& interruption, int timeoutCode, int allHeldCode)
{
    std::unique_lock<std::mutex> lock(mutex);
    GrabWaiter waiter;
    waiter.after = after;
    grabWaiters.push_back(&waiter);
    const auto leave = [&](int code) {
        grabWaiters.erase(std::find(grabWaiters.begin(), grabWaiters.end(), &waiter));
        if (code == 0) {
            token = waiter.token;
        } else if (waiter.token != 0) {
            releaseLocked(waiter.token);  // handed a frame, but the wait ends otherwise
        }
        return code;
    };
    bool timedOut = false;
    for (;;) {
        if (int code = interruption())
            return leave(code);
        if (waiter.token != 0)
            return leave(0);
        // A grab may share a frame the stream has already taken.
        if (Slot* oldest = oldestAfterLocked(after, true)) {
            waiter.token = holdLocked(*oldest);
            return leave(0);
        }
        if (allHeldLocked())
            return leave(allHeldCode);
        if (timedOut)
            return leave(timeoutCode);
        timedOut = ready.wait_until(lock, deadline) == std::cv_status::timeout;
    }
}

const CapturedFrame* FrameRing::held(uint32_t token) const
{
    std::lock_guard<std::mutex> lock(mutex);
    for (const Slot& s : slots)
        if (s.heldBy(token))
            return &s.frame;
    return nullptr;
}

const CapturedFrame* FrameRing::heldData(const uint8_t* data) const
{
    std::lock_guard<std::mutex> lock(mutex);
    for (const Slot& s : slots)
        if (s.held() && data && s.frame.raw.pixelData() == data)
            return &s.frame;
    return nullptr;
}

bool FrameRing::releaseLocked(uint32_t token)
{
    for (Slot& s : slots) {
        auto it = token != 0 ? std::find(s.holders.begin(), s.holders.end(), token) : s.holders.end();
        if (it == s.holders.end())
            continue;
        s.holders.erase(it);
        // A frame only grabbed stays for the stream; one the stream took is done with.
        if (!s.held() && s.state == SlotState::Taken)
            freeLocked(s);
        return true;
    }
    return false;
}

bool FrameRing::release(uint32_t token)
{
    std::lock_guard<std::mutex> lock(mutex);
    return releaseLocked(token);
}

void FrameRing::dropReady()
{
    std::lock_guard<std::mutex> lock(mutex);
    for (Slot& s : slots) {
        if (s.state != SlotState::Ready)
            continue;
        // A grabbed frame stays until its holder lets go, but the stream no longer gets it.
        if (s.held())
            s.state = SlotState::Taken;
        else
            freeLocked(s);
    }
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
