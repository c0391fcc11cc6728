#pragma once
// Rules of video recording that need no widget and no encoder: file names, bit rates,
// the file's frame rate and the time stamps of recorded frames.
#include <QDateTime>
#include <QString>
#include <QtGlobal>

struct RecordSettings;

namespace recordinglogic {

// Target bit rate in bits per second for the recording quality (0 normal, 1 better,
// 2 best); any other value records at the normal rate.
int bitRateForQuality(int videoQuality);

// libx264's preset for a recording of width × height at framesPerSecond: the slowest
// (best picture for the bit rate) that keeps up with the camera on two cores beside the
// camera's own pipeline and the display, measured on noisy 1920×1080 pictures at
// 2 Mbit/s: "slow" 9, "fast" 19, "veryfast" 38, "superfast" 50 frames per second.
// Up to 1920×1080 at 30 fps: "veryfast"; up to twice that pixel rate "superfast";
// beyond, "ultrafast".
const char* h264PresetFor(int width, int height, int framesPerSecond);

// ".mp4" for video type 0, ".avi" for 1, nothing otherwise (an image sequence is a
// folder of that name).
QString extensionForType(int videoType);

constexpr int kImageSequenceType = 2;
inline bool isImageSequence(int videoType)
{
    return videoType == kImageSequenceType;
}

// Where the per-frame list of a recording at path goes: beside a video file when the user
// asked for it (frameInfoState 2), as "<name>_frames.csv"; empty for none. A sequence
// keeps its list inside its folder, which the recorder names itself.
QString frameInfoPath(const QString& path, const RecordSettings& record);

struct RunLimits {
    qint64 frames = 0;      // 0: no limit
    qint64 durationMs = 0;  // 0: no limit
};
// The fixed length of a recording: FrameStop with FrameStopCount frames, TimeStop with
// TimeStopSeconds; both may be set, the first reached ends it.
RunLimits runLimits(const RecordSettings& record);

// One camera of a recording of all cameras at once.
struct SummaryEntry {
    QString camera;      // the camera's name
    QString file;        // its recording
    bool known = false;  // a frame was recorded
    qint64 firstFrameNumber = 0;
    qint64 firstCameraTimeUs = 0;
    qint64 firstHostSteadyUs = 0;
    qint64 firstHostWallUs = 0;
    qint64 frames = 0;
};
// The summary file of an all-camera recording: a header and one line per camera with its
// file, its first frame's camera and host times, and how long after the first camera to
// start (host steady clock) its first frame came. Cameras without a frame have empty
// times.
QByteArray allCameraSummary(const QList<SummaryEntry>& entries);
// "AllCameras_" + the local time to the millisecond + ".csv" in folder.
QString summaryPath(const QString& folder, const QDateTime& now);

struct VideoName {
    QString path;  // folder + "/" + prefix + time or index + extension
    bool advancesIndex = false;
    int nextIndex = 0;  // RECORDINFO/NameRuleIndex to store once the file exists
};

// Path of the next recording in folder. Rule 0 stamps the local time to the
// millisecond, rule 1 uses the running index; an unknown rule or an empty folder give
// an empty path (nothing sensible to write).
VideoName videoName(const QString& folder, const RecordSettings& record, const QDateTime& now);

// path itself when no file exists there, else the first of path with "_1", "_2" ...
// before the extension that is free, so a recording never replaces an existing file.
// exists tells whether a file is present.
template <typename Exists>
QString freePath(const QString& path, Exists exists);
QString freePath(const QString& path);

struct FileRate {
    int framesPerSecond = 0;  // the file's nominal rate; 0 means no recording is possible
    bool realTime = true;     // stamps from capture times; false: one period per frame
};

// The rate a recording starts with. The camera's own rate (playSpeed 1, and any value
// other than 0) is the last measured capture rate cut to an integer and the frames are
// stamped with their capture times; the custom rate (playSpeed 0) plays every frame for
// one period of autoFrameRate, faster or slower than it was taken, at most
// kHighestCustomFrameRate.
FileRate fileRate(const RecordSettings& record, float lastCaptureRate);

// Time stamps of recorded frames in ticks of a fixed time base. In real-time mode a
// frame is stamped with its capture time relative to the first frame, so the file plays
// as fast as the scene happened whatever number of frames reached the recorder. When
// capture times do not advance (a camera clock that restarted or does not run), the
// arrival times fill in. Stamps always increase by at least one tick, and a gap (a
// pause) is never longer than maxGapTicks. In fixed mode every frame is one tick.
class FrameTimeline {
public:
    FrameTimeline(bool realTime, int ticksPerSecond, qint64 maxGapTicks);

    // Stamp of the next frame, from its capture and arrival times in microseconds.
    qint64 stamp(qint64 captureUs, qint64 arrivalUs);
    // Where the recording ends when it is stopped at arrivalUs: the last frame stays on
    // screen until then (real time), or for one period (fixed rate).
    qint64 endStamp(qint64 arrivalUs) const;
    int ticksPerSecond() const { return ticks; }
    qint64 frames() const { return count; }

private:
    bool realTime;
    int ticks;
    qint64 maxGapUs;
    qint64 count = 0;
    qint64 lastCaptureUs = 0;
    qint64 lastArrivalUs = 0;
    qint64 firstArrivalUs = 0;
    qint64 timelineUs = 0;  // exact time of the last frame since the first
    qint64 lastStamp = -1;
};

// Ticks per second of the time base a recording stamps its frames in. AVI stores one
// chunk per tick (empty ones for ticks without a frame), so it gets a grid of twice the
// nominal rate; other containers keep a time stamp per frame and get milliseconds.
int ticksPerSecondFor(bool realTime, bool avi, int framesPerSecond);

template <typename Exists>
QString freePath(const QString& path, Exists exists)
{
    if (path.isEmpty() || !exists(path))
        return path;
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const int split = dot > slash ? dot : path.size();
    for (int n = 1;; ++n) {
        const QString candidate = path.left(split) + QStringLiteral("_%1").arg(n) + path.mid(split);
        if (!exists(candidate))
            return candidate;
    }
}

}  // namespace recordinglogic
