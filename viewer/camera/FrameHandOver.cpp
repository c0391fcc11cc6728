#include "FrameHandOver.h"

#include <algorithm>
#include <new>

namespace framehandover {

FrameHandOver::FrameHandOver() = default;

uchar* FrameHandOver::backBuffer(std::size_t bytes)
{
    // Only this thread touches the back slot between deliveries, so no lock is needed.
    Slot& slot = buffers[back];
    if (slot.capacity < bytes) {
        slot.bytes.reset(new (std::nothrow) uchar[bytes]);
        slot.capacity = slot.bytes ? bytes : 0;
    }
    return slot.bytes.get();
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
        const QImage image(filled.bytes.get(), width, height, bytesPerLine, format);
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
    image = QImage(slot.bytes.get(), slot.width, slot.height, slot.bytesPerLine, slot.format);
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
