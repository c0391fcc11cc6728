// Continuous capture of a camera window: one picture every N frames or every interval,
// optionally limited, into a sub-folder named after the window's title. The run keeps
// its folder and running index itself; the user's capture settings are only read.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "CameraThread.h"
#include "PictureLogic.h"
#include "SaveFolderPrompt.h"
#include "SettingsStore.h"
#include "VexoCameraApi.h"
#include "ui_CameraThread.h"

namespace {

constexpr int kByCount = 0;
constexpr int kByTime = 1;
constexpr int kLimitOn = 2;
const char kCaptureIdleIcon[] = ":/images/ICO/ContinuousCapture.png";
const char kCaptureRunningIcon[] = ":/images/ICO/ContinuousCaptureOn.png";

}  // namespace

void CameraThread::toggleContinuousCapture()
{
    if (captureTimer) {
        stopContinuousCapture(false);
        return;
    }
    if (handle == 0 || !videoThread)
        return;

    const CaptureSettings& capture = settingsStore()->captureSettings();
    if (capture.captureMode != kByCount && capture.captureMode != kByTime)
        return;

    // The user's folder must be a real one (asked about when missing); the camera's own
    // sub-folder in it is ours to make.
    const savefolder::Prepared base = savefolder::prepare(this, capture.savePath);
    if (!base.ready) {
        holdStatusText(tr("连续抓图未开始: %1").arg(base.refusal));
        return;
    }
    if (captureTimer || handle == 0 || !videoThread)
        return;  // started, or the camera closed, while the question was open
    const QString folder = QStringLiteral("%1/%2").arg(base.folder, captureFolderName());
    if (!QDir().mkpath(folder)) {
        holdStatusText(
            tr("连续抓图未开始: 无法创建文件夹 %1").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    if (!QFileInfo(folder).isWritable()) {
        holdStatusText(
            tr("连续抓图未开始: 文件夹 %1 不可写").arg(QDir::toNativeSeparators(folder)));
        return;
    }

    // Pictures still owed to an earlier run go into this one.
    capturelogic::RunState run;
    run.folder = folder;
    run.outstanding = captureRun.failed ? 0 : captureRun.outstanding;
    run.generation = captureRun.generation;
    run.byCount = capture.captureMode == kByCount;
    captureRun = run;

    captureTimer = new QTimer(this);
    connect(captureTimer, &QTimer::timeout, this, &CameraThread::continuousCaptureTick);
    updateMediaIndicator();
    videoThread->setDeepPictures(picturelogic::keepsBitDepth(capture));
    if (captureRun.byCount) {
        // Counted frame by frame in the acquisition thread, whatever the GUI is doing.
        const capturelogic::CountRun countRun = capturelogic::countRun(
            capture.grapNumberRadix, capture.grapNumberStop == kLimitOn, capture.grapNumberCount);
        if (!countRun.endsAtOnce)
            videoThread->startPictureRun(countRun.everyFrames, countRun.limit);
        captureTimer->start(capturelogic::kCountTickMs);
        if (statusNoticeHold.hasExpired())
            ui->label_camerainfo->setLine(tr("相机已进入连续抓图状态"));
    } else {
        captureRun.deadlineMs = QDateTime::currentMSecsSinceEpoch() + capture.grapTimeCount;
        captureTimer->start(capturelogic::timeTickMs(capture.grapTimeRadix));
    }
    ui->pushButton_continuityPhotogrape->setIcon(QIcon(QString::fromLatin1(kCaptureRunningIcon)));
}

bool CameraThread::captureRequestPending() const
{
    // One picture in flight at a time: requested and not yet served by a frame, or
    // served and not yet written. Faster requests would give no more pictures, only
    // more frame copies waiting for the disk.
    return captureRun.outstanding > 0 || (videoThread && videoThread->pictureRequested());
}

void CameraThread::continuousCaptureTick()
{
    if (!captureTimer || !videoThread)
        return;
    const CaptureSettings& capture = settingsStore()->captureSettings();
    using capturelogic::TickAction;
    TickAction action;
    if (captureRun.byCount) {
        // The thread stops by itself at the limit; the run ends when every picture it
        // took has arrived and is written.
        action = !videoThread->isPictureRunActive() && captureRun.outstanding == 0 &&
                         captureRun.picturesArrived >= videoThread->picturesOfRun()
                     ? TickAction::End
                     : TickAction::Wait;
    } else {
        action = capturelogic::timeTick(QDateTime::currentMSecsSinceEpoch(), captureRun.deadlineMs,
                                        capture.grapTimeStop == kLimitOn, captureRequestPending());
    }

    switch (action) {
        case TickAction::Wait:
            break;
        case TickAction::End:
            stopContinuousCapture(false);
            break;
        case TickAction::Request: {
            videoThread->requestPicture();
            ++captureRun.picturesTaken;
            ++captureRun.outstanding;
            updateWindowTitle();
            break;
        }
    }
}

void CameraThread::stopContinuousCapture(bool fromClose)
{
    if (fromClose) {
        // The picture being written is finished before the camera goes; pictures of a
        // closed camera are dropped on arrival, so nothing is owed any more.
        waitForRunPicture();
        const int generation = captureRun.generation + 1;
        captureRun = capturelogic::RunState();
        captureRun.generation = generation;
    }
    if (videoThread)
        videoThread->stopPictureRun();
    if (!captureTimer)
        return;
    captureTimer->stop();
    delete captureTimer;
    captureTimer = nullptr;
    ui->pushButton_continuityPhotogrape->setIcon(QIcon(QString::fromLatin1(kCaptureIdleIcon)));
    updateMediaIndicator();
    // The close sequence empties the title itself.
    if (!fromClose)
        updateWindowTitle();
}

QString CameraThread::captureFolderName() const
{
    QString name = currentCameraName();
    if (name.isNull())
        name = windowTitle();
    // Two windows of cameras with one name would otherwise share a folder.
    bool shared = false;
    for (const CameraThread* other : openWindows())
        if (other != this && other->handle != 0 && other->currentCameraName() == name)
            shared = true;
    if (shared && !identifier.isEmpty())
        name = QStringLiteral("%1_%2").arg(name, identifier);
    return capturelogic::safeFolderName(name);
}

void CameraThread::runPictureWritten(int generation, int result)
{
    if (generation != captureRun.generation)
        return;  // the camera was closed meanwhile
    captureRun.outstanding = std::max(0, captureRun.outstanding - 1);
    if (result != VEXO_SDK_OK && !captureRun.failed)
        failContinuousCapture(tr("连续抓图已停止: 图片无法保存到 %1, 错误码:%2")
                                  .arg(QDir::toNativeSeparators(captureRun.folder))
                                  .arg(result));
}

void CameraThread::failContinuousCapture(const QString& text)
{
    stopContinuousCapture(false);
    captureRun.failed = true;
    holdStatusText(text);
}

void CameraThread::holdStatusText(const QString& text)
{
    showStatusNotice(text);
}
