#pragma once
// Where the acquisition thread hands each frame to what uses it. Consumers come in two
// kinds. Those that need every frame (the recorder, continuous capture by count) take it
// in the acquisition thread as it comes and only copy it, so they lose nothing whatever
// the GUI does. Those that need only the newest (the display, the histogram, the
// navigation view) read it in their own time from a triple buffer: a busy reader skips
// frames instead of holding up the camera, and the acquisition thread never waits for it.
#include <QImage>
#include <QtGlobal>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "VexoCameraRecords.h"

namespace framehandover {

struct FrameInfo {
    stImageInfo info{};    // the processed frame as the library described it
    quint64 sequence = 0;  // 1 for the thread's first frame, one more for each further
    // The camera's own values of a grey frame deeper than 8 bits, when asked for: 16-bit
    // grey, each value moved up to fill 16 bits (value << (16 - nativeBits)); else null.
    QImage native;
    int nativeBits = 0;
};

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Called in the acquisition thread for every frame, in order. image wraps the
    // thread's buffer and is valid only during the call: copy what is kept, and return
    // quickly, since the camera's next frame waits meanwhile.
    virtual void takeFrame(const QImage& image, const FrameInfo& frame) = 0;
};

// Memory a slot keeps its frames in: the heap unless the hand-over is given another source
// (a display that shows frames straight from shared memory gives it shared segments).
class FrameMemory {
public:
    virtual ~FrameMemory() = default;
    virtual uchar* data() = 0;
};
// bytes of new memory, or null when they cannot be had (the slot then tries the heap).
using FrameMemorySource = std::function<std::shared_ptr<FrameMemory>(std::size_t bytes)>;

class FrameHandOver {
public:
    FrameHandOver();
    FrameHandOver(const FrameHandOver&) = delete;
    FrameHandOver& operator=(const FrameHandOver&) = delete;

    // Where slots get their memory from now on; set it before the first frame.
    void setMemorySource(FrameMemorySource source) { memorySource = std::move(source); }

    // ---- The acquisition thread
    // A buffer of at least bytes to put the next frame in; never one a reader holds.
    // Grown when a frame needs more, never shrunk. Null when bytes cannot be allocated.
    uchar* backBuffer(std::size_t bytes);
    // The frame in the back buffer, rows of bytesPerLine: hands it to every sink, then
    // makes it the newest frame. True when the newest-frame reader asked to be told of
    // it; the caller then notifies the reader.
    bool deliver(int width, int height, int bytesPerLine, QImage::Format format,
                 const FrameInfo& frame);

    // ---- Any thread
    void addSink(FrameSink* sink);
    // Once this returns the sink is not called any more (a call under way has ended).
    void removeSink(FrameSink* sink);
    int sinkCount() const;

    // ---- The one newest-frame reader
    // Takes the newest frame not taken yet; false when there is none. The image wraps
    // the reader's buffer and stays valid until the next successful take.
    bool takeNewest(QImage& image, FrameInfo& frame);
    // Asks to be told of the next frame. False when a frame is waiting already: take it
    // now, since no notification comes for it.
    bool armNotification();
    // Frames the reader has taken; frames delivered.
    quint64 takenFrames() const { return taken.load(); }
    quint64 deliveredFrames() const { return delivered.load(); }

private:
    struct Slot {
        std::shared_ptr<FrameMemory> memory;
        uchar* bytes = nullptr;  // memory's data
        std::size_t capacity = 0;
        int width = 0;
        int height = 0;
        int bytesPerLine = 0;
        QImage::Format format = QImage::Format_Invalid;
        FrameInfo frame;
    };

    // Slots change roles by swapping indices: back (being filled), middle (the newest
    // delivered), front (held by the reader).
    Slot buffers[3];
    FrameMemorySource memorySource;
    int back = 0;
    int middle = 1;
    int front = 2;
    bool fresh = false;  // middle holds a frame the reader has not taken
    bool armed = true;   // the reader waits to be told of the next frame
    std::mutex slotMutex;

    mutable std::mutex sinkMutex;
    std::vector<FrameSink*> sinks;

    std::atomic<quint64> taken{0};
    std::atomic<quint64> delivered{0};
};

}  // namespace framehandover
