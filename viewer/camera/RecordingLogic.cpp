#include "RecordingLogic.h"

#include <QFileInfo>
#include <cmath>

#include "SettingsStore.h"

namespace recordinglogic {

int bitRateForQuality(int videoQuality)
{
    switch (videoQuality) {
        case 1:
            return 1000000;
        case 2:
            return 2000000;
        default:
            return 500000;
    }
}

const char* h264PresetFor(int width, int height, int framesPerSecond)
{
    constexpr double kFullHd30 = 1920.0 * 1080.0 * 30.0;
    const double pixelsPerSecond =
        double(qMax(0, width)) * double(qMax(0, height)) * double(qMax(0, framesPerSecond));
    if (pixelsPerSecond <= kFullHd30 * 1.05)
        return "veryfast";
    if (pixelsPerSecond <= kFullHd30 * 2.1)
        return "superfast";
    return "ultrafast";
}

QString extensionForType(int videoType)
{
    switch (videoType) {
        case 0:
            return QStringLiteral(".mp4");
        case 1:
            return QStringLiteral(".avi");
        default:
            return QString();
    }
}

VideoName videoName(const QString& folder, const RecordSettings& record, const QDateTime& now)
{
    VideoName name;
    if (folder.isEmpty())
        return name;
    QString stem;
    switch (record.nameRuleFormat) {
        case 0:
            stem = now.toString(QStringLiteral("yyyyMMddhhmmsszzz"));
            break;
        case 1:
            stem = QString::number(record.nameRuleIndex);
            name.advancesIndex = true;
            name.nextIndex = nextNameRuleIndex(record.nameRuleIndex);
            break;
        default:
            return name;
    }
    name.path = QStringLiteral("%1/%2%3").arg(folder, record.nameRulePrefix, stem) +
                extensionForType(record.videoType);
    return name;
}

QString frameInfoPath(const QString& path, const RecordSettings& record)
{
    if (path.isEmpty() || isImageSequence(record.videoType) || record.frameInfoState == 0)
        return QString();
    const QFileInfo file(path);
    return file.path() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral("_frames.csv");
}

RunLimits runLimits(const RecordSettings& record)
{
    RunLimits limits;
    if (record.frameStop != 0 && record.frameStopCount > 0)
        limits.frames = record.frameStopCount;
    if (record.timeStop != 0 && record.timeStopSeconds > 0)
        limits.durationMs = qint64(record.timeStopSeconds) * 1000;
    return limits;
}

namespace {
// CSV field: quoted when it holds a comma, quote or line break.
QByteArray csvField(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
        bytes = '"' + bytes.replace('"', "\"\"") + '"';
    return bytes;
}
}  // namespace

QByteArray allCameraSummary(const QList<SummaryEntry>& entries)
{
    qint64 earliest = 0;
    bool any = false;
    for (const SummaryEntry& e : entries) {
        if (e.known && (!any || e.firstHostSteadyUs < earliest))
            earliest = e.firstHostSteadyUs;
        any = any || e.known;
    }
    QByteArray text(
        "camera,file,frames,first_frame_number,first_camera_timestamp_us,first_host_steady_us,"
        "first_host_wall_us,offset_from_first_us\n");
    for (const SummaryEntry& e : entries) {
        text += csvField(e.camera) + ',' + csvField(e.file) + ',' + QByteArray::number(e.frames);
        if (e.known)
            text += ',' + QByteArray::number(e.firstFrameNumber) + ',' +
                    QByteArray::number(e.firstCameraTimeUs) + ',' +
                    QByteArray::number(e.firstHostSteadyUs) + ',' +
                    QByteArray::number(e.firstHostWallUs) + ',' +
                    QByteArray::number(e.firstHostSteadyUs - earliest);
        else
            text += ",,,,,";
        text += '\n';
    }
    return text;
}

QString summaryPath(const QString& folder, const QDateTime& now)
{
    return QStringLiteral("%1/AllCameras_%2.csv")
        .arg(folder, now.toString(QStringLiteral("yyyyMMddhhmmsszzz")));
}

QString freePath(const QString& path)
{
    return freePath(path, [](const QString& candidate) { return QFileInfo::exists(candidate); });
}

FileRate fileRate(const RecordSettings& record, float lastCaptureRate)
{
    FileRate rate;
    if (record.playSpeed == 0) {
        rate.framesPerSecond = boundedCustomFrameRate(record.autoFrameRate);
        rate.realTime = false;
    } else {
        rate.framesPerSecond = lastCaptureRate > 0 ? int(std::trunc(lastCaptureRate)) : 0;
    }
    return rate;
}

qint64 FrameTimeline::endStamp(qint64 arrivalUs) const
{
    if (!realTime || count == 0)
        return lastStamp + 1;
    qint64 stepUs = qMax<qint64>(arrivalUs - lastArrivalUs, 0);
    if (maxGapUs > 0 && stepUs > maxGapUs)
        stepUs = maxGapUs;
    qint64 endUs = timelineUs + stepUs;
    // A consumer that fell behind takes frames that waited in the camera's queue, so
    // the last one shown was taken earlier than it arrived: the time since the first
    // frame arrived says how long the recording really ran.
    const qint64 ranUs = arrivalUs - firstArrivalUs;
    if (ranUs > endUs)
        endUs = maxGapUs > 0 ? qMin(ranUs, timelineUs + maxGapUs) : ranUs;
    const qint64 end = qint64(std::llround(double(endUs) * ticks / 1e6));
    return qMax(end, lastStamp + 1);
}

int ticksPerSecondFor(bool realTime, bool avi, int framesPerSecond)
{
    if (!realTime)
        return framesPerSecond;
    return avi ? 2 * framesPerSecond : 1000;
}

FrameTimeline::FrameTimeline(bool realTimeStamps, int ticksPerSecond, qint64 maxGapTicks)
    : realTime(realTimeStamps),
      ticks(qMax(ticksPerSecond, 1)),
      maxGapUs(maxGapTicks > 0 ? maxGapTicks * 1000000 / qMax(ticksPerSecond, 1) : 0)
{
}

qint64 FrameTimeline::stamp(qint64 captureUs, qint64 arrivalUs)
{
    if (!realTime) {
        lastStamp = count++;
        return lastStamp;
    }
    if (count > 0) {
        qint64 stepUs = captureUs - lastCaptureUs;
        if (stepUs <= 0)
            stepUs = arrivalUs - lastArrivalUs;
        if (maxGapUs > 0 && stepUs > maxGapUs)
            stepUs = maxGapUs;
        if (stepUs > 0)
            timelineUs += stepUs;
    }
    if (count == 0)
        firstArrivalUs = arrivalUs;
    lastCaptureUs = captureUs;
    lastArrivalUs = arrivalUs;
    ++count;
    // Rounded from the exact elapsed time, so rounding never accumulates into drift.
    qint64 next = qint64(std::llround(double(timelineUs) * ticks / 1e6));
    if (next <= lastStamp)
        next = lastStamp + 1;
    lastStamp = next;
    return next;
}

}  // namespace recordinglogic
