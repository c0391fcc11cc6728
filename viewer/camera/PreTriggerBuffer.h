#pragma once
// The newest seconds of a camera, kept while its window streams, so a recording can begin
// before the moment it was started. It is a sink of the frame hand-over: each frame is
// copied in and the oldest leave once they are more than the chosen time older than the
// newest, or once the buffer would hold more than its byte limit. When a recording starts,
// forwardTo() hands the kept frames to the recorder and passes every later frame straight
// on, all under one lock, so the camera's frame numbers run on without a gap or a repeat.
#include <QImage>
#include <QtGlobal>
#include <deque>
#include <memory>
#include <mutex>

#include "FrameHandOver.h"

class RecordVideoThread;

class PreTriggerBuffer : public framehandover::FrameSink {
public:
    PreTriggerBuffer(qint64 keepUs, qint64 limitBytes);

    // In the acquisition thread: keeps a copy, or hands the frame to the recorder.
    void takeFrame(const QImage& image, const framehandover::FrameInfo& frame) override;
    // Hands the kept frames to recorder, then every frame that comes; null stops that
    // (once it returns, the recorder gets no further frame) and keeping starts afresh.
    void forwardTo(RecordVideoThread* recorder);

    int framesKept() const;
    // Frames missing among those handed to the recorder since forwardTo(recorder), by the
    // camera's frame numbers: what the library lost or this buffer could not keep, both in
    // the kept seconds and after them. A frame number that jumps back or far ahead (the
    // camera restarted its count) adds nothing.
    qint64 framesMissing() const;
    qint64 bytesKept() const;
    // Microseconds between the oldest and the newest frame kept.
    qint64 spanKeptUs() const;
    qint64 keepUs() const { return keep; }

private:
    struct Kept {
        std::unique_ptr<uchar[]> pixels;
        std::size_t bytes = 0;
        int width = 0;
        int height = 0;
        int bytesPerLine = 0;
        QImage::Format format = QImage::Format_RGB888;
        framehandover::FrameInfo frame;
        qint64 hostSteadyUs = 0;
        qint64 hostWallUs = 0;
    };
    static qint64 charge(const Kept& kept);
    void trim();
    void count(const framehandover::FrameInfo& frame);

    const qint64 keep;
    const qint64 limit;
    mutable std::mutex mutex;
    std::deque<Kept> frames;
    std::deque<Kept> spare;  // buffers of frames that left, used again
    qint64 bytes = 0;
    RecordVideoThread* target = nullptr;
    qint64 missing = 0;
    bool numbered = false;
    quint32 lastNumber = 0;
};
