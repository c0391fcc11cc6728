#pragma once
// The per-frame sidecar of a recording: a CSV file with one row for every frame in the
// recording, written row by row with one write() each, so a program that dies keeps
// every row of a frame it finished and no half row.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace frameinfolog {

// What is known of one recorded frame.
struct FrameRow {
    qint64 position = 0;      // 0 for the recording's first frame
    qint64 frameNumber = 0;   // the camera's running number
    qint64 cameraTimeUs = 0;  // the camera's time stamp of the frame
    qint64 hostSteadyUs = 0;  // arrival on the host's steady clock
    qint64 hostWallUs = 0;    // arrival on the wall clock, since 1970 UTC
    qint64 exposureUs = 0;
    qint64 gainMilli = 0;  // analog gain in thousandths
    int width = 0;
    int height = 0;
    quint32 pixelFormat = 0;   // the camera's pixel format of the frame
    qint64 droppedBefore = 0;  // frames the camera numbered since the first row that are missing
};

// The host's clocks the rows carry, in microseconds: the steady clock (the same for every
// camera of the process, for putting them on one time line) and the wall clock.
qint64 steadyNowUs();
qint64 wallNowUs();

// First line of every sidecar.
QByteArray header();
// One line, ending in a line feed.
QByteArray row(const FrameRow& frame);
// Name of a pixel format code ("Mono8", "RGB8", ...), or its code in hex.
QByteArray pixelFormatName(quint32 pixelFormat);
// Whether a camera's raw format is grey, of any depth.
bool isGreyFormat(quint32 pixelFormat);

// Frames missing before frameNumber: the camera's numbers since firstNumber (both the
// camera's low 32 bits, so a wrap-around counts on) minus the frames recorded before it.
// Never less than previous: a camera whose numbering restarts adds no phantom frames.
qint64 droppedBefore(qint64 firstNumber, qint64 frameNumber, qint64 position, qint64 previous);

class FrameInfoLog {
public:
    FrameInfoLog() = default;
    FrameInfoLog(const FrameInfoLog&) = delete;
    FrameInfoLog& operator=(const FrameInfoLog&) = delete;
    ~FrameInfoLog();

    // Creates the file (never replacing one) and writes the header: 0 or the errno.
    int open(const QByteArray& path);
    bool isOpen() const { return fd >= 0; }
    // Appends the row of the next frame, filling in droppedBefore: 0 or the errno.
    int append(FrameRow frame);
    void close();
    qint64 rows() const { return written; }

private:
    int writeAll(const QByteArray& bytes);

    int fd = -1;
    qint64 written = 0;
    qint64 firstNumber = 0;
    qint64 dropped = 0;
};

}  // namespace frameinfolog
