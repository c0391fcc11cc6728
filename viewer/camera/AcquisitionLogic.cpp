#include "AcquisitionLogic.h"

#include <limits>

namespace acquisitionlogic {

quint32 frameBufferBytes(int width, int height)
{
    if (width <= 0 || height <= 0)
        return 0;
    const quint64 bytes = quint64(width) * quint64(height) * 4u;
    if (bytes > std::numeric_limits<quint32>::max())
        return 0;
    return static_cast<quint32>(bytes);
}

int frameRowBytes(int width)
{
    return width * 3;
}

int screenRowBytes(int width)
{
    return width * 4;
}

bool screenFormatFits(bool screenOnly, bool pictureWanted, bool pictureRun, int sinks)
{
    return screenOnly && !pictureWanted && !pictureRun && sinks == 0;
}

FrameRates frameRates(quint32 cameraCountNow, quint32 cameraCountAtStart,
                      quint32 framesInWindow, qint64 elapsedMs)
{
    FrameRates rates;
    if (elapsedMs <= 0)
        return rates;
    const quint32 delivered = cameraCountNow - cameraCountAtStart;
    rates.capture = static_cast<float>(double(delivered) * 1000.0 / double(elapsedMs));
    rates.display = static_cast<float>(double(framesInWindow) * 1000.0 / double(elapsedMs));
    return rates;
}

int nextDetachedDelayMs(int previousDelayMs)
{
    if (previousDelayMs < kFirstDetachedDelayMs)
        return kFirstDetachedDelayMs;
    return previousDelayMs >= kMaxDetachedDelayMs / 2 ? kMaxDetachedDelayMs : previousDelayMs * 2;
}

}  // namespace acquisitionlogic
