// Video recording of a camera window: the toggle, the file name and the recorder that
// takes every frame of the blocking hand-over.
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "CameraThread.h"
#include "RecordVideoThread.h"
#include "RecordingLogic.h"
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
    ui->label_camerainfo->setText(text);
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

void CameraThread::startRecording()
{
    RecordSettings record = settingsStore()->recordSettings();
    const recordinglogic::FileRate rate = recordinglogic::fileRate(record, lastCaptureFrameRate);
    if (rate.framesPerSecond <= 0) {
        showStatusNotice(rate.realTime ? tr("相机帧率低于1帧/秒, 无法开始录像")
                                       : tr("自定义帧率为0, 无法开始录像"));
        return;
    }

    QString folder;
    if (record.autoSaveState == kAskForFolder) {
        folder = QFileDialog::getExistingDirectory(
            this, tr("选择"), QCoreApplication::applicationDirPath(), QFileDialog::ShowDirsOnly);
        if (folder.isEmpty())
            return;
        // Another window may have taken an index while the dialog was open.
        record = settingsStore()->recordSettings();
    } else if (record.autoSaveState == kAutoSave) {
        folder = record.savePath;
        if (!folder.isEmpty())
            QDir().mkpath(folder);
    }
    if (recorder || handle == 0 || !videoThread)
        return;  // the camera was closed while the dialog was open

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
    CVideoThread* source = videoThread;
    options.captureClockUs = [source]() { return source->handOverTimestampMs() * 1000; };
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
    connect(videoThread, SIGNAL(acquireFrame(QImage)), recorder, SLOT(image_to_avframe(QImage)),
            Qt::BlockingQueuedConnection);
    // Queued: the recorder reports from inside its frame slot and is deleted in reply.
    connect(
        recorder, &RecordVideoThread::recordingProblem, this,
        [this, newRecorder](int problem, const QString& detail) {
            handleRecordingProblem(newRecorder, problem, detail);
        },
        Qt::QueuedConnection);
    recorder->start(QThread::InheritPriority);

    const QString cameraName = currentCameraName();
    if (!cameraName.isNull())
        setWindowTitle(QStringLiteral("%1   %2").arg(cameraName, tr("正在录制中...")));
    ui->label_media->show();
    ui->pushButton_recording->setIcon(QIcon(QString::fromLatin1(kRecordingIcon)));
}

void CameraThread::stopRecording()
{
    if (!recorder)
        return;
    RecordVideoThread* finishing = recorder;
    recorder = nullptr;
    while (!finishing->wait(kStopWaitSliceMs))
        QCoreApplication::processEvents();
    // Deleting the recorder drains the encoder and completes the file; a hand-over
    // waiting for it is released with it.
    delete finishing;

    const QString cameraName = currentCameraName();
    if (!cameraName.isNull())
        setWindowTitle(cameraName);
    ui->label_media->hide();
    ui->pushButton_recording->setIcon(QIcon(QString::fromLatin1(kRecordIcon)));
}

void CameraThread::handleRecordingProblem(RecordVideoThread* source, int problem,
                                          const QString& detail)
{
    if (source != recorder)
        return;  // a recording that has ended since
    const QString file = QDir::toNativeSeparators(QString::fromUtf8(recorder->filePath()));
    const QString folder = QDir::toNativeSeparators(QFileInfo(file).path());
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
    stopRecording();
    showStatusNotice(text);
}
