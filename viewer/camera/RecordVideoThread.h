#pragma once
#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "FrameHandOver.h"
#include "FrameInfoLog.h"
#include "RecordingLogic.h"

struct AVCodec;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVOutputFormat;
struct AVPacket;
struct AVStream;
struct SwsContext;

// Records the frames of one camera window into an MP4 or AVI file with FFmpeg. The file
// is opened at construction. Every frame of the camera reaches the recorder in the
// acquisition thread (it is a sink of the frame hand-over), which only copies it into a
// queue; the recorder's own thread converts each to YUV 4:2:0, encodes it and writes it,
// so a slow encoder or a busy GUI costs neither the display nor the camera any frame.
// The queue is limited in memory (kQueueLimitBytes: about 2.7 s of 1920×1080 frames,
// 5.6 s of 1280×720, at 30 fps, and never fewer than kQueueMinimumFrames frames); a frame
// that finds it full is dropped and counted, never silently. endRecording() lets the
// thread write what is queued and finish the file; finish() does the same without it.
//
// Frames are stamped with their capture times in a fine time base, so the file plays at
// the speed the scene happened; with a fixed rate every frame lasts one period instead.
// MP4 files are written in fragments and flushed as they go, so a recording whose
// program dies stays playable up to its last fragment.
//
// As an image sequence the path names a folder the recorder creates, and every frame
// becomes one lossless TIFF picture in it, named by its position. A CSV sidecar (always
// for a sequence, on request for a video file) lists every recorded frame with the
// camera's number and time stamps; its row is written once the frame is in the file.
class RecordVideoThread : public QThread, public framehandover::FrameSink {
    Q_OBJECT
public:
    static constexpr qint64 kQueueLimitBytes = qint64(512) << 20;
    static constexpr int kQueueMinimumFrames = 4;

    // Why a recording could not start or had to stop.
    enum class Problem {
        None,
        OpenFailed,     // no container, encoder or header: nothing is written
        NoPermission,   // the folder or file may not be written
        FolderMissing,  // the folder does not exist, or vanished while recording
        DiskFull,
        WriteFailed,   // any other write error
        SizeMismatch,  // frames of another size arrive (not fatal: they are skipped)
        FinishFailed,  // the encoder's last frames or the file's end could not be written
    };
    Q_ENUM(Problem)

    struct Options {
        // Stamp frames with capture times (true) or one period per frame (false).
        bool realTime = true;
        // Capture time in microseconds of the frame being handed over; without it the
        // arrival time is used.
        std::function<qint64()> captureClockUs;
        // Test seam: called before every write with the file offset and size; a
        // non-zero result is taken as the errno of a failed write.
        std::function<int(qint64 offset, int bytes)> writeFault;
        // Bytes of frames the queue holds at most (never fewer than kQueueMinimumFrames).
        qint64 queueLimitBytes = kQueueLimitBytes;
        // Extra encoder options (name, value), applied before the encoder opens.
        QList<QPair<QByteArray, QByteArray>> encoderOptions;
        // A folder of TIFF pictures instead of a video file.
        bool imageSequence = false;
        // Where the per-frame sidecar goes; empty: none.
        QByteArray frameInfoPath;
        // The recording takes this many frames, or frames for this long after it
        // opened, and then no more (0: no limit); recordingLimitReached() tells.
        qint64 frameLimit = 0;
        qint64 durationLimitMs = 0;
    };

    // Of the first frame taken through takeFrame: the camera's time stamp and the
    // host's steady and wall clocks at its arrival, in microseconds.
    struct FirstFrame {
        bool known = false;
        qint64 frameNumber = 0;
        qint64 cameraTimeUs = 0;
        qint64 hostSteadyUs = 0;
        qint64 hostWallUs = 0;
    };

    RecordVideoThread(int bitRate, int frameRate, int width, int height, const QByteArray& filePath,
                      QObject* parent = nullptr);
    RecordVideoThread(int bitRate, int frameRate, int width, int height, const QByteArray& filePath,
                      const Options& options, QObject* parent = nullptr);
    ~RecordVideoThread() override;

    bool isOpened() const { return opened; }
    // Set once writing has failed; no more frames are taken then.
    bool hasFailed() const { return failed.load(); }
    Problem problem() const { return currentProblem; }
    // FFmpeg's result code of the last call that failed, and its text.
    int lastResult() const { return lastResultCode; }
    QString problemDetail() const { return detail; }
    QByteArray filePath() const { return path; }
    int frameRate() const { return rate; }
    int framesEncoded() const { return encodedFrames.load(); }
    int packetsWritten() const { return writtenPackets.load(); }
    int framesSkipped() const { return skippedFrames.load(); }
    // Frames offered while the queue was full, or after writing failed.
    int framesDropped() const { return droppedFrames.load(); }
    // Frames offered to the recorder (queued or dropped).
    int framesOffered() const { return offeredFrames.load(); }
    // The camera's frame numbers of the first and the last frame queued through
    // takeFrame; -1 before the first.
    qint64 firstFrameNumber() const { return firstNumber.load(); }
    qint64 lastFrameNumber() const { return lastNumber.load(); }
    int framesQueued() const;
    FirstFrame firstFrame() const;
    bool isImageSequence() const { return options.imageSequence; }
    // Rows in the sidecar so far; 0 without one.
    qint64 frameInfoRows() const { return infoRows.load(); }
    bool limitReached() const { return limitHit.load(); }
    // Size of the file's pictures: the frame size, odd sizes padded by one row or column
    // (repeating the last one), since YUV 4:2:0 needs even sizes.
    QSize encodedSize() const { return QSize(encodeWidth, encodeHeight); }
    // The H.264 encoder's preset for this recording's size and rate.
    const char* h264Preset() const;

    // Encodes one frame taken at captureUs (microseconds on any steady clock) at once, in
    // the calling thread. Frames of another size than the recording's are skipped.
    // False once the recording failed.
    bool writeFrame(const QImage& image, qint64 captureUs);
    // Queues a copy of the frame for the recorder's thread; false when it was dropped
    // (queue full, recording failed or ended).
    bool enqueueFrame(const QImage& image, qint64 captureUs);
    // The sink side: every frame of the camera, in the acquisition thread.
    void takeFrame(const QImage& image, const framehandover::FrameInfo& frame) override;
    // The same for a frame that arrived earlier (kept before the recording started):
    // hostSteadyUs and hostWallUs are its arrival on the host's clocks.
    void takeFrameAt(const QImage& image, const framehandover::FrameInfo& frame,
                     qint64 hostSteadyUs, qint64 hostWallUs);
    // No more frames: the thread writes what is queued, finishes the file and ends.
    void endRecording();
    // Writes what is queued (when the thread does not run), drains the encoder, writes
    // the trailer and closes the file. Called by the destructor; later calls do nothing.
    void finish();
    // Test seam: with the queue held, the thread takes no frame, so it fills up.
    void holdQueue(bool hold);

public slots:
    // Queues the frame, stamped with its arrival time.
    void image_to_avframe(QImage image);

signals:
    // A write failed (the recording is over) or, once per recording, frames of another
    // size arrived. The file keeps what was written before.
    void recordingProblem(int problem, QString detail);
    // The frame or time limit is reached: the recording takes no more frames.
    void recordingLimitReached();

protected:
    // Writes queued frames until endRecording(), then finishes the file.
    void run() override;

private:
    struct Output;
    struct QueuedFrame {
        std::unique_ptr<uchar[]> pixels;
        std::size_t capacity = 0;
        int width = 0;
        int height = 0;
        int bytesPerLine = 0;
        QImage::Format format = QImage::Format_RGB888;  // or 16-bit grey in a sequence
        qint64 captureUs = 0;
        qint64 arrivalUs = 0;
        frameinfolog::FrameRow row;
    };
    bool writeQueuedFrame(const QueuedFrame& frame);
    bool writeFrameAt(const QImage& image, qint64 captureUs, qint64 arrivalUs,
                      frameinfolog::FrameRow row);
    bool enqueue(const QImage& image, qint64 captureUs, const frameinfolog::FrameRow& row);
    bool writePicture(const QImage& image);
    bool writeInfoRow(const frameinfolog::FrameRow& row);
    // Writes the rows of the first framesInFile frames of the file, those not yet written.
    bool releaseRows(qint64 framesInFile);
    bool failWriting(Problem problem, int errnoCode);
    void openSequence();
    void writeQueue();
    void open();
    bool fail(Problem problem, int result);
    bool encode(AVFrame* frame);
    bool writeHeldPacket();
    bool folderStillThere();
    // Pushes what the muxer wrote to the file; false when that failed.
    bool commitOutput();
    Problem problemForWrite(int result) const;
    static Problem problemForErrno(int code);

    const int bitRate;
    const int rate;
    const int width;
    const int height;
    const QByteArray path;
    Options options;
    std::unique_ptr<Output> output;
    AVStream* videoStream = nullptr;
    AVCodecContext* codecContext = nullptr;
    const AVOutputFormat* outputFormat = nullptr;
    AVFormatContext* formatContext = nullptr;
    const AVCodec* encoder = nullptr;
    AVFrame* picture = nullptr;
    AVPacket* packet = nullptr;
    // The newest packet is written when the next one comes (or at the end), so its
    // duration can reach up to the next frame or to the moment the recording stops.
    AVPacket* heldPacket = nullptr;
    SwsContext* scaler = nullptr;
    std::vector<uchar> paddedRgb;  // odd-sized frames grown to the encoded size
    recordinglogic::FrameTimeline timeline;
    QElapsedTimer arrivalClock;
    QElapsedTimer folderCheck;
    int encodeWidth = 0;
    int encodeHeight = 0;
    bool headerWritten = false;
    bool opened = false;
    std::atomic<bool> failed{false};  // set in the recorder thread, read by the window
    bool finished = false;
    bool mismatchReported = false;
    Problem currentProblem = Problem::None;
    int lastResultCode = 0;
    QString detail;
    std::atomic<int> encodedFrames{0};
    std::atomic<int> writtenPackets{0};
    std::atomic<int> skippedFrames{0};
    std::atomic<int> droppedFrames{0};
    std::atomic<int> offeredFrames{0};
    std::atomic<qint64> firstNumber{-1};
    std::atomic<qint64> lastNumber{-1};
    qint64 packetDuration = 0;
    frameinfolog::FrameInfoLog infoLog;
    // Rows of frames encoded but not yet readable in the file, oldest first.
    std::deque<frameinfolog::FrameRow> pendingRows;
    bool fragmented = false;     // MP4: the file grows by whole fragments
    bool frameRefused = false;   // the encoder refused the frame just sent
    std::atomic<qint64> infoRows{0};
    std::vector<uchar> pictureScratch;
    bool greyFrames = false;  // the frame being written came from a grey sensor
    std::atomic<qint64> acceptedFrames{0};
    std::atomic<bool> limitHit{false};
    mutable std::mutex firstMutex;
    FirstFrame first;

    mutable std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::deque<QueuedFrame> queue;
    std::vector<QueuedFrame> spareFrames;  // buffers of written frames, used again
    qint64 queuedBytes = 0;
    bool ending = false;
    bool queueHeld = false;
};
