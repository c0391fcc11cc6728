// Video recording of a camera window: the toggle, the file name, and the recorder, which
// takes every frame of the acquisition thread into its own queue.
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "CameraThread.h"
#include "CameraWindowLogic.h"
#include "ConfigLogic.h"
#include "PreTriggerBuffer.h"
#include "RecordVideoThread.h"
#include "RecordingLogic.h"
#include "SaveFolderPrompt.h"
#include "SettingsStore.h"
#include "VexoCameraApi.h"
#include "ui_CameraThread.h"

namespace {
constexpr int kAutoSave = 2;
constexpr int kAskForFolder = 0;
constexpr int kStopWaitSliceMs = 100;
constexpr int kNoticeHoldMs = 5000;
const char kRecordIcon[] = ":/images/ICO/Record.png";
const char kRecordingIcon[] = ":/images/ICO/RecordOn.png";

}  // namespace

void CameraThread::showStatusNotice(const QString& text)
{
    ui->label_camerainfo->setLine(text);
    statusKind = StatusKind::Other;
    statusNoticeHold.setRemainingTime(kNoticeHoldMs);
}

void CameraThread::toggleRecording()
{
    if (recorder)
        stopRecording();
    else if (handle != 0 && videoThread)
        startRecording();
}

namespace {
// A sequence has no playback rate: its pictures carry the camera's times in their list.
constexpr int kSequenceNominalRate = 30;

recordinglogic::FileRate rateFor(const RecordSettings& record, float lastCaptureRate)
{
    if (recordinglogic::isImageSequence(record.videoType))
        return recordinglogic::FileRate{kSequenceNominalRate, true};
    return recordinglogic::fileRate(record, lastCaptureRate);
}
}  // namespace

bool CameraThread::refuseRecordingRate(const RecordSettings& record)
{
    const recordinglogic::FileRate rate = rateFor(record, lastCaptureFrameRate);
    if (rate.framesPerSecond > 0)
        return false;
    showStatusNotice(rate.realTime ? tr("相机帧率低于1帧/秒, 无法开始录像")
                                   : tr("自定义帧率为0, 无法开始录像"));
    return true;
}

bool CameraThread::startRecordingIn(const QString& folder, bool ofAllCameras)
{
    if (recorder || handle == 0 || !videoThread)
        return false;
    if (refuseRecordingRate(settingsStore()->recordSettings()))
        return false;
    beginRecording(folder, settingsStore()->recordSettings());
    recordingOfAllCameras = recorder && ofAllCameras;
    return recorder != nullptr;
}

void CameraThread::endRecording()
{
    stopRecording();
}

void CameraThread::recordingCameraLost()
{
    // In a recording of all cameras one camera that goes away ends its own file, so the
    // others' files are not left with a gap nobody sees; the others record on.
    if (!recorder || !recordingOfAllCameras)
        return;
    const int written = recorder->framesEncoded();
    stopRecording();
    showStatusNotice(tr("相机已断开, 本相机的录像已停止 (已写入 %1 帧)").arg(written));
}

void CameraThread::updateNativeForRecording()
{
    // An image sequence keeps a deep grey camera's own values: frames carry them while
    // one records, or while the seconds before one are kept.
    const bool wanted = recorder ? recorder->isImageSequence()
                                 : preTrigger && recordinglogic::isImageSequence(
                                                     settingsStore()->recordSettings().videoType);
    if (wanted != nativeForRecording) {
        nativeForRecording = wanted;
        addNativeFrameReader(wanted ? 1 : -1);
    }
}

void CameraThread::keepPreTriggerCurrent()
{
    updateNativeForRecording();
    // A running recording takes every frame through the buffer; it changes only between.
    if (!videoThread || recorder)
        return;
    const int seconds = qBound(0, settingsStore()->recordSettings().preTriggerSeconds,
                               configlogic::kLongestPreTriggerSeconds);
    const qint64 keepUs = qint64(seconds) * 1000000;
    if (preTrigger && preTrigger->keepUs() == keepUs)
        return;
    if (preTrigger) {
        videoThread->handOver().removeSink(preTrigger.get());
        preTrigger.reset();
    }
    if (seconds > 0) {
        // Never more than the limit, whatever the camera's size and rate became since the
        // dialog checked them: the oldest frames go first.
        preTrigger =
            std::make_unique<PreTriggerBuffer>(keepUs, configlogic::kPreTriggerLimitBytes);
        videoThread->handOver().addSink(preTrigger.get());
    }
    updateNativeForRecording();
}

void CameraThread::dropPreTrigger()
{
    if (preTrigger && videoThread)
        videoThread->handOver().removeSink(preTrigger.get());
    preTrigger.reset();
    updateNativeForRecording();
}

void CameraThread::startRecording()
{
    RecordSettings record = settingsStore()->recordSettings();
    if (refuseRecordingRate(record))
        return;

    QString folder;
    if (record.autoSaveState == kAskForFolder) {
        folder = QFileDialog::getExistingDirectory(
            this, tr("选择"), QCoreApplication::applicationDirPath(), QFileDialog::ShowDirsOnly);
        if (folder.isEmpty())
            return;
        // Another window may have taken an index while the dialog was open.
        record = settingsStore()->recordSettings();
    } else if (record.autoSaveState == kAutoSave) {
        // An empty, relative or damaged folder would put the file somewhere nobody looks;
        // a missing one is made only when the user says so.
        const savefolder::Prepared prepared = savefolder::prepare(this, record.savePath);
        if (!prepared.ready) {
            showStatusNotice(tr("无法开始录像: %1").arg(prepared.refusal));
            return;
        }
        folder = prepared.folder;
        record = settingsStore()->recordSettings();
    }
    if (recorder || handle == 0 || !videoThread)
        return;  // the camera was closed while the dialog was open
    beginRecording(folder, record);
    recordingOfAllCameras = false;
}

void CameraThread::beginRecording(const QString& folder, const RecordSettings& record)
{
    const recordinglogic::FileRate rate = rateFor(record, lastCaptureFrameRate);
    const recordinglogic::VideoName name =
        recordinglogic::videoName(folder, record, QDateTime::currentDateTime());
    if (name.path.isEmpty()) {
        showStatusNotice(tr("未设置录像文件夹或命名规则, 无法开始录像"));
        return;
    }
    const QString path = recordinglogic::freePath(name.path);

    int width = int(imageWidth);
    int height = int(imageHeight);
    if (width <= 0 || height <= 0)
        SdkGetResolution(handle, &width, &height);

    RecordVideoThread::Options options;
    options.realTime = rate.realTime;
    options.imageSequence = recordinglogic::isImageSequence(record.videoType);
    options.frameInfoPath = recordinglogic::frameInfoPath(path, record).toUtf8();
    const recordinglogic::RunLimits limits = recordinglogic::runLimits(record);
    options.frameLimit = limits.frames;
    options.durationLimitMs = limits.durationMs;
    auto* newRecorder =
        new RecordVideoThread(recordinglogic::bitRateForQuality(record.videoQuality),
                              rate.framesPerSecond, width, height, path.toUtf8(), options);
    if (!newRecorder->isOpened()) {
        const auto problem = newRecorder->problem();
        const QString detail = newRecorder->problemDetail();
        delete newRecorder;
        QString text;
        switch (problem) {
            case RecordVideoThread::Problem::NoPermission:
                text = tr("无法开始录像: 没有写入权限: %1").arg(QDir::toNativeSeparators(folder));
                break;
            case RecordVideoThread::Problem::FolderMissing:
                text = tr("无法开始录像: 文件夹不存在: %1").arg(QDir::toNativeSeparators(folder));
                break;
            case RecordVideoThread::Problem::DiskFull:
                text = tr("无法开始录像: 磁盘空间不足: %1").arg(QDir::toNativeSeparators(folder));
                break;
            default:
                text = tr("无法开始录像: %1 (%2)").arg(QDir::toNativeSeparators(path), detail);
                break;
        }
        showStatusNotice(text);
        return;
    }
    if (name.advancesIndex)
        settingsStore()->setValue(QStringLiteral("RECORDINFO"), QStringLiteral("NameRuleIndex"),
                                  name.nextIndex);

    recorder = newRecorder;
    updateNativeForRecording();
    // Queued: the recorder reports from its own thread and is deleted in reply.
    connect(
        recorder, &RecordVideoThread::recordingProblem, this,
        [this, newRecorder](int problem, const QString& detail) {
            handleRecordingProblem(newRecorder, problem, detail);
        },
        Qt::QueuedConnection);
    connect(
        recorder, &RecordVideoThread::recordingLimitReached, this,
        [this, newRecorder]() {
            if (newRecorder == recorder) {
                stopRecording();
                showStatusNotice(tr("已达到设定的录制长度. %1").arg(ui->label_camerainfo->line()));
            }
        },
        Qt::QueuedConnection);
    recorder->start(QThread::InheritPriority);
    // From here on every frame the thread converts reaches the recorder's queue.
    // With a pre-trigger the kept seconds go first and every later frame follows through
    // the buffer, with no frame between them lost or twice.
    if (preTrigger)
        preTrigger->forwardTo(recorder);
    else
        videoThread->handOver().addSink(recorder);
    recordingClock.start();
    VexoFrameStatistics statistics{};
    lostFramesAtRecordingStart =
        SdkGetFrameStatistics(handle, &statistics) == VEXO_SDK_OK ? statistics.lostFrames : 0;

    updateWindowTitle();
    updateMediaIndicator();
    ui->pushButton_recording->setIcon(QIcon(QString::fromLatin1(kRecordingIcon)));
}

int CameraThread::framesLostByLibrarySinceRecordingStart() const
{
    // Frames the camera delivered that the library had to drop before the acquisition
    // thread took them.
    VexoFrameStatistics statistics{};
    if (handle == 0 || SdkGetFrameStatistics(handle, &statistics) != VEXO_SDK_OK)
        return 0;
    return int(statistics.lostFrames - lostFramesAtRecordingStart);
}

int CameraThread::framesLostBeforeTheRecorder() const
{
    // With a pre-trigger the recording reaches back before its start, so the library's
    // counter since the start misses losses in the kept seconds: the buffer counts the
    // gaps in the camera's frame numbers of everything it passed on instead.
    if (preTrigger)
        return int(preTrigger->framesMissing());
    return framesLostByLibrarySinceRecordingStart();
}

int CameraThread::recordingDroppedFrames() const
{
    if (!recorder)
        return 0;
    return recorder->framesDropped() + framesLostBeforeTheRecorder();
}

QString CameraThread::recordingProgressText() const
{
    if (!recorder)
        return QString();
    return tr("录像 %1 | 已写入 %2 帧 | 丢弃 %3 帧")
        .arg(windowlogic::elapsedText(recordingClock.elapsed()))
        .arg(recorder->framesEncoded())
        .arg(recordingDroppedFrames());
}

void CameraThread::stopRecording()
{
    if (!recorder)
        return;
    RecordVideoThread* finishing = recorder;
    const int lostByLibrary = framesLostBeforeTheRecorder();
    recorder = nullptr;
    updateNativeForRecording();
    // No frame reaches it from here on; the queue is written, then the file finished.
    if (preTrigger)
        preTrigger->forwardTo(nullptr);
    if (videoThread)
        videoThread->handOver().removeSink(finishing);
    finishing->endRecording();
    while (!finishing->wait(kStopWaitSliceMs))
        QCoreApplication::processEvents();
    const QString file = QDir::toNativeSeparators(QString::fromUtf8(finishing->filePath()));
    const int written = finishing->framesEncoded();
    const int dropped = lostByLibrary + finishing->framesDropped();
    const RecordVideoThread::Problem problem = finishing->problem();
    const QString detail = finishing->problemDetail();
    recordingTotals = RecordingTotals{file,
                                      finishing->framesOffered(),
                                      written,
                                      dropped,
                                      finishing->firstFrameNumber(),
                                      finishing->lastFrameNumber(),
                                      problem != RecordVideoThread::Problem::None};
    const RecordVideoThread::FirstFrame first = finishing->firstFrame();
    recordingTotals.firstKnown = first.known;
    recordingTotals.firstCameraTimeUs = first.cameraTimeUs;
    recordingTotals.firstHostSteadyUs = first.hostSteadyUs;
    recordingTotals.firstHostWallUs = first.hostWallUs;
    delete finishing;

    updateWindowTitle();
    updateMediaIndicator();
    ui->pushButton_recording->setIcon(QIcon(QString::fromLatin1(kRecordIcon)));
    if (problem == RecordVideoThread::Problem::None)
        showStatusNotice(
            tr("录像已保存: %1 (%2 帧, 丢弃 %3 帧)").arg(file).arg(written).arg(dropped));
    else if (problem == RecordVideoThread::Problem::FinishFailed)
        showStatusNotice(
            tr("录像结束时出错 (%1), 已写入 %2 帧: %3").arg(detail).arg(written).arg(file));
}

void CameraThread::handleRecordingProblem(RecordVideoThread* source, int problem,
                                          const QString& detail)
{
    if (source != recorder)
        return;  // a recording that has ended since
    const QString file = QDir::toNativeSeparators(QString::fromUtf8(recorder->filePath()));
    // A sequence is a folder of its own: that is what vanishes or fills up.
    const QString folder =
        recorder->isImageSequence() ? file : QDir::toNativeSeparators(QFileInfo(file).path());
    QString text;
    switch (RecordVideoThread::Problem(problem)) {
        case RecordVideoThread::Problem::SizeMismatch:
            showStatusNotice(tr("图像尺寸已变为 %1, 录像跳过这些帧").arg(detail));
            return;
        case RecordVideoThread::Problem::DiskFull:
            text = tr("录像已停止: 磁盘空间不足, 已录制的内容保存在 %1").arg(file);
            break;
        case RecordVideoThread::Problem::FolderMissing:
            text = tr("录像已停止: 录像文件夹已不存在: %1").arg(folder);
            break;
        case RecordVideoThread::Problem::NoPermission:
            text = tr("录像已停止: 没有写入权限: %1").arg(folder);
            break;
        default:
            text = tr("录像已停止: 写入文件失败 (%1): %2").arg(detail, file);
            break;
    }
    const int written = recorder->framesEncoded();
    stopRecording();
    showStatusNotice(tr("%1 (已写入 %2 帧)").arg(text).arg(written));
}
