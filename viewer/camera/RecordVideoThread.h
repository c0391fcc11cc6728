#pragma once
#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <QThread>
#include <functional>
#include <memory>

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
// is opened at construction and finished at destruction; each frame handed to
// image_to_avframe (during the blocking frame hand-over, in the GUI thread) is converted
// to YUV 4:2:0, encoded and written at once. The thread itself does no work: it exists so
// the window can start and wait for it like its other workers.
//
// Frames are stamped with their capture times in a fine time base, so the file plays at
// the speed the scene happened; with a fixed rate every frame lasts one period instead.
// MP4 files are written in fragments and flushed as they go, so a recording whose
// program dies stays playable up to its last fragment.
class RecordVideoThread : public QThread {
    Q_OBJECT
public:
    // Why a recording could not start or had to stop.
    enum class Problem {
        None,
        OpenFailed,     // no container, encoder or header: nothing is written
        NoPermission,   // the folder or file may not be written
        FolderMissing,  // the folder does not exist, or vanished while recording
        DiskFull,
        WriteFailed,   // any other write error
        SizeMismatch,  // frames of another size arrive (not fatal: they are skipped)
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
        // Extra encoder options (name, value), applied before the encoder opens.
        QList<QPair<QByteArray, QByteArray>> encoderOptions;
    };

    RecordVideoThread(int bitRate, int frameRate, int width, int height, const QByteArray& filePath,
                      QObject* parent = nullptr);
    RecordVideoThread(int bitRate, int frameRate, int width, int height, const QByteArray& filePath,
                      const Options& options, QObject* parent = nullptr);
    ~RecordVideoThread() override;

    bool isOpened() const { return opened; }
    // Set once writing has failed; no more frames are taken then.
    bool hasFailed() const { return failed; }
    Problem problem() const { return currentProblem; }
    // FFmpeg's result code of the last call that failed, and its text.
    int lastResult() const { return lastResultCode; }
    QString problemDetail() const { return detail; }
    QByteArray filePath() const { return path; }
    int frameRate() const { return rate; }
    int framesEncoded() const { return encodedFrames; }
    int packetsWritten() const { return writtenPackets; }
    int framesSkipped() const { return skippedFrames; }

    // Encodes one frame taken at captureUs (microseconds on any steady clock). Frames of
    // another size than the recording's are skipped. False once the recording failed.
    bool writeFrame(const QImage& image, qint64 captureUs);
    // Drains the encoder, writes the trailer and closes the file. Called by the
    // destructor; later calls do nothing.
    void finish();

public slots:
    void image_to_avframe(QImage image);

signals:
    // A write failed (the recording is over) or, once per recording, frames of another
    // size arrived. The file keeps what was written before.
    void recordingProblem(int problem, QString detail);

protected:
    void run() override {}

private:
    struct Output;
    void open();
    bool fail(Problem problem, int result);
    bool encode(AVFrame* frame);
    bool writeHeldPacket();
    bool folderStillThere();
    // Pushes what the muxer wrote to the file; false when that failed.
    bool commitOutput();
    Problem problemForWrite(int result) const;

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
    recordinglogic::FrameTimeline timeline;
    QElapsedTimer arrivalClock;
    QElapsedTimer folderCheck;
    int encodeWidth = 0;
    int encodeHeight = 0;
    bool headerWritten = false;
    bool opened = false;
    bool failed = false;
    bool finished = false;
    bool mismatchReported = false;
    Problem currentProblem = Problem::None;
    int lastResultCode = 0;
    QString detail;
    int encodedFrames = 0;
    int writtenPackets = 0;
    int skippedFrames = 0;
    qint64 packetDuration = 0;
};
