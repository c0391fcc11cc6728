#include "PreTriggerBuffer.h"

#include <cstring>
#include <new>

#include "RecordVideoThread.h"

using frameinfolog::steadyNowUs;
using frameinfolog::wallNowUs;

PreTriggerBuffer::PreTriggerBuffer(qint64 keepUs, qint64 limitBytes)
    : keep(keepUs), limit(limitBytes)
{
}

void PreTriggerBuffer::takeFrame(const QImage& image, const framehandover::FrameInfo& frame)
{
    const qint64 steadyUs = steadyNowUs();
    const qint64 wallUs = wallNowUs();
    std::lock_guard<std::mutex> lock(mutex);
    if (target) {
        count(frame);
        target->takeFrameAt(image, frame, steadyUs, wallUs);
        return;
    }
    const std::size_t size = std::size_t(image.bytesPerLine()) * std::size_t(image.height());
    if (image.isNull() || qint64(size) > limit)
        return;
    Kept kept;
    if (!spare.empty() && spare.front().bytes >= size) {
        kept = std::move(spare.front());
        spare.pop_front();
    } else {
        spare.clear();  // smaller buffers of another size are of no more use
        kept.pixels.reset(new (std::nothrow) uchar[size]);
        if (!kept.pixels)
            return;
        kept.bytes = size;
    }
    std::memcpy(kept.pixels.get(), image.constBits(), size);
    kept.width = image.width();
    kept.height = image.height();
    kept.bytesPerLine = int(image.bytesPerLine());
    kept.format = image.format();
    kept.frame = frame;
    kept.hostSteadyUs = steadyUs;
    kept.hostWallUs = wallUs;
    bytes += charge(kept);
    frames.push_back(std::move(kept));
    trim();
}

qint64 PreTriggerBuffer::charge(const Kept& kept)
{
    // A deep camera's own values kept with the frame count against the limit too.
    return qint64(kept.bytes) + (kept.frame.native.isNull() ? 0 : kept.frame.native.sizeInBytes());
}

void PreTriggerBuffer::trim()
{
    // The oldest go first, so what stays is a contiguous stretch ending at the newest.
    while (!frames.empty() &&
           (bytes > limit || frames.back().hostSteadyUs - frames.front().hostSteadyUs > keep)) {
        bytes -= charge(frames.front());
        frames.front().frame.native = QImage();  // a spare buffer holds no frame
        if (spare.size() < 2)
            spare.push_back(std::move(frames.front()));
        frames.pop_front();
    }
}

void PreTriggerBuffer::forwardTo(RecordVideoThread* recorder)
{
    std::lock_guard<std::mutex> lock(mutex);
    missing = 0;
    numbered = false;
    if (recorder) {
        for (const Kept& kept : frames) {
            count(kept.frame);
            const QImage image(kept.pixels.get(), kept.width, kept.height, kept.bytesPerLine,
                               kept.format);
            recorder->takeFrameAt(image, kept.frame, kept.hostSteadyUs, kept.hostWallUs);
        }
    }
    frames.clear();
    spare.clear();
    bytes = 0;
    target = recorder;
}

void PreTriggerBuffer::count(const framehandover::FrameInfo& frame)
{
    // The camera's numbers are 32 bits and wrap around; the difference does too.
    constexpr quint32 kLargestGap = 1u << 20;
    const quint32 number = quint32(frame.info.frameNumber);
    if (numbered) {
        const quint32 gap = number - lastNumber - 1u;
        if (gap < kLargestGap)
            missing += qint64(gap);
    }
    numbered = true;
    lastNumber = number;
}

qint64 PreTriggerBuffer::framesMissing() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return missing;
}

int PreTriggerBuffer::framesKept() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return int(frames.size());
}

qint64 PreTriggerBuffer::bytesKept() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return bytes;
}

qint64 PreTriggerBuffer::spanKeptUs() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return frames.empty() ? 0 : frames.back().hostSteadyUs - frames.front().hostSteadyUs;
}
