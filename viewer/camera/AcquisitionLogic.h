#pragma once
// Arithmetic of the acquisition thread: frame buffer size and frame rates.
#include <QtGlobal>

namespace acquisitionlogic {

// Bytes reserved for a converted frame: width × height × 4 (the 24-bit image uses three
// of them). 0 for sizes no buffer can hold (zero, negative, or beyond 32 bits).
quint32 frameBufferBytes(int width, int height);
// Bytes of one row of the 24-bit frame, with no padding between rows.
int frameRowBytes(int width);
// Bytes of one row of a frame in the screen's 32-bit format.
int screenRowBytes(int width);
// Whether a frame may be made in the screen's format: only when the screen alone asked
// for it, and no picture, picture run or sink (which all take 24-bit RGB) needs the frame.
bool screenFormatFits(bool screenOnly, bool pictureWanted, bool pictureRun, int sinks);

struct FrameRates {
    float capture = 0;  // frames the camera delivered per second
    float display = 0;  // frames converted and handed to the window per second
};
// Rates over one measuring window. The camera counter may wrap; the difference is
// taken as unsigned 32-bit.
FrameRates frameRates(quint32 cameraCountNow, quint32 cameraCountAtStart,
                      quint32 framesInWindow, qint64 elapsedMs);

// Pause before asking an unplugged camera for a frame again: starts short so a replug
// is noticed quickly, doubles with every further refusal and stays at kMaxDetachedDelayMs.
constexpr int kFirstDetachedDelayMs = 20;
constexpr int kMaxDetachedDelayMs = 500;
int nextDetachedDelayMs(int previousDelayMs);

}  // namespace acquisitionlogic
