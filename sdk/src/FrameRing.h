#pragma once
// The small ring of frame buffers between a camera's producer thread and its consumers.
// The producer fills a free buffer, or overwrites the oldest frame nobody took (counted
// as lost). Stream consumers take frames oldest first, each frame once, and hold them
// until they release them. A grab (one fresh frame for a caller outside the stream) does
// not take its frame from the stream: it shares the next frame published after it began,
// whoever else takes it, so a grab never races the stream for frames. Held buffers are
// never touched by the producer, so their pixels can be read without a lock.
// A frame may borrow its pixels (imaging::RawFrame::borrow) from the device that made
// it: the ring drops the borrowed view, and so hands the memory back, as soon as the
// slot is free again or given to the producer for the next frame, never while a frame is
// held. So a device lends at most slotCount buffers to the ring at a time.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "Imaging.h"

namespace vexo::sdk {

// Complete frames are handed out; any other status counts as lost.
enum class FrameStatus : uint8_t { Complete, Incomplete };

struct CapturedFrame {
    imaging::RawFrame raw;
    double exposureUs = 0;  // what the frame was taken with
    int gainMilli = 0;
    FrameStatus status = FrameStatus::Complete;
};

// A frame's exposure time as frame records carry it: whole microseconds, cut toward
// zero, in 32 bits. A camera may report any time, so longer ones are held at the largest
// the record can carry and a negative or undefined one reads 0.
int32_t recordExposureUs(double exposureUs);

class FrameRing {
public:
    static constexpr size_t kDefaultSlotCount = 4;
    explicit FrameRing(size_t slotCount = kDefaultSlotCount);

    // Producer side. acquireWriteSlot returns null (and counts the frame lost) when every
    // buffer is held.
    CapturedFrame* acquireWriteSlot();
    // Publishes a filled buffer; an incomplete frame is dropped and counted lost.
    void commit(CapturedFrame* frame);
    void abandon(CapturedFrame* frame);
    void addLost(uint32_t count);

    // Waits until a frame with a sequence number above `after` is ready or the deadline
    // passes, and holds it. `interruption` is asked under the ring's lock whenever the
    // waiter wakes; a non-zero value ends the wait with that value. When every buffer is
    // held no frame can come, and the wait ends with allHeldCode. Returns 0 or the result
    // code for time-out / interruption.
    int take(uint32_t& token, uint64_t after, std::chrono::steady_clock::time_point deadline,
             const std::function<int()>& interruption, int timeoutCode, int allHeldCode);
    // Like take, but shares the first frame published after `after` instead of taking it
    // from the stream: the frame stays there for the stream's consumers, and while the
    // grab waits, the producer hands it its frame when publishing it, so no other waiter
    // can come first. Each grab gets its own token to release.
    int grab(uint32_t& token, uint64_t after, std::chrono::steady_clock::time_point deadline,
             const std::function<int()>& interruption, int timeoutCode, int allHeldCode);
    bool allHeld() const;

    const CapturedFrame* held(uint32_t token) const;
    const CapturedFrame* heldData(const uint8_t* data) const;
    bool release(uint32_t token);

    // Drops frames nobody took (acquisition stopped); held frames stay held.
    void dropReady();
    // Wakes waiters so they ask their interruption again.
    void wake();

    uint64_t lastSequence() const;
    uint32_t lostFrames() const;

private:
    // A published slot is Ready until a stream consumer takes it (Taken); either way it
    // stays in place while any token holds it.
    enum class SlotState { Free, Writing, Ready, Taken };
    struct Slot {
        CapturedFrame frame;
        SlotState state = SlotState::Free;
        uint64_t sequence = 0;
        std::vector<uint32_t> holders;
        bool held() const { return !holders.empty(); }
        bool heldBy(uint32_t token) const
        {
            return token != 0 && std::find(holders.begin(), holders.end(), token) != holders.end();
        }
    };
    struct GrabWaiter {
        uint64_t after = 0;
        uint32_t token = 0;  // set by the producer when it hands the waiter a frame
    };
    Slot* slotOf(const CapturedFrame* frame);
    void freeLocked(Slot& slot);
    bool allHeldLocked() const;
    uint32_t holdLocked(Slot& slot);
    // The oldest frame published after `after`: Ready ones, and with `takenToo` taken ones.
    Slot* oldestAfterLocked(uint64_t after, bool takenToo);
    bool releaseLocked(uint32_t token);

    mutable std::mutex mutex;
    std::condition_variable ready;
    std::vector<Slot> slots;
    std::vector<GrabWaiter*> grabWaiters;
    uint64_t published = 0;
    uint32_t nextToken = 1;
    uint32_t lost = 0;
};

}  // namespace vexo::sdk
