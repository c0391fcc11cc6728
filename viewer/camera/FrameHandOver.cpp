#include "FrameHandOver.h"

#include <algorithm>
#include <new>

namespace framehandover {

namespace {

class HeapMemory : public FrameMemory {
public:
    explicit HeapMemory(std::size_t size) : bytes(new (std::nothrow) uchar[size]) {}
    uchar* data() override { return bytes.get(); }

private:
    std::unique_ptr<uchar[]> bytes;
};

}  // namespace

FrameHandOver::FrameHandOver() = default;

uchar* FrameHandOver::backBuffer(std::size_t bytes)
{
    // Only this thread touches the back slot between deliveries, so no lock is needed.
    Slot& slot = buffers[back];
    if (slot.capacity < bytes) {
        slot.memory.reset();  // before the new memory, so that the old does not add to it
        slot.memory = memorySource ? memorySource(bytes) : nullptr;
        if (!slot.memory || !slot.memory->data())
            slot.memory = std::make_shared<HeapMemory>(bytes);
        slot.bytes = slot.memory->data();
        slot.capacity = slot.bytes ? bytes : 0;
    }
    return slot.bytes;
}

bool FrameHandOver::deliver(int width, int height, int bytesPerLine, QImage::Format format,
                            const FrameInfo& frame)
{
    Slot& filled = buffers[back];
    filled.width = width;
    filled.height = height;
    filled.bytesPerLine = bytesPerLine;
    filled.format = format;
    filled.frame = frame;
    {
        const QImage image(filled.bytes, width, height, bytesPerLine, format);
        std::lock_guard<std::mutex> lock(sinkMutex);
        for (FrameSink* sink : sinks)
            sink->takeFrame(image, frame);
    }
    delivered.fetch_add(1);

    std::lock_guard<std::mutex> lock(slotMutex);
    std::swap(back, middle);
    fresh = true;
    const bool notify = armed;
    armed = false;
    return notify;
}

void FrameHandOver::addSink(FrameSink* sink)
{
    std::lock_guard<std::mutex> lock(sinkMutex);
    if (sink && std::find(sinks.begin(), sinks.end(), sink) == sinks.end())
        sinks.push_back(sink);
}

void FrameHandOver::removeSink(FrameSink* sink)
{
    std::lock_guard<std::mutex> lock(sinkMutex);
    sinks.erase(std::remove(sinks.begin(), sinks.end(), sink), sinks.end());
}

int FrameHandOver::sinkCount() const
{
    std::lock_guard<std::mutex> lock(sinkMutex);
    return int(sinks.size());
}

bool FrameHandOver::takeNewest(QImage& image, FrameInfo& frame)
{
    std::lock_guard<std::mutex> lock(slotMutex);
    if (!fresh)
        return false;
    std::swap(front, middle);
    fresh = false;
    const Slot& slot = buffers[front];
    image = QImage(slot.bytes, slot.width, slot.height, slot.bytesPerLine, slot.format);
    frame = slot.frame;
    taken.fetch_add(1);
    return true;
}

bool FrameHandOver::armNotification()
{
    std::lock_guard<std::mutex> lock(slotMutex);
    if (fresh)
        return false;
    armed = true;
    return true;
}

}  // namespace framehandover
