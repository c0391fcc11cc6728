// Recording of every open camera at once: one action starts the recordings of all camera
// windows in one folder and stops them together, then writes a summary that puts the
// cameras on one time line.
#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeySequence>
#include <QSaveFile>

#include "CameraThread.h"
#include "ConfigWidget.h"
#include "RecordVideoThread.h"
#include "RecordingLogic.h"
#include "SaveFolderPrompt.h"
#include "SettingsStore.h"
#include "SuiteMessages.h"
#include "VexoCam.h"
#include "VexoCameraApi.h"
#include "ui_VexoCam.h"

namespace {
constexpr int kAutoSave = 2;
const char kAllRecordingShortcut[] = "Ctrl+Shift+T";

QString cameraName(int handle)
{
    char name[128] = {};
    if (handle != 0 && SdkGetCameraName(handle, name) == VEXO_SDK_OK)
        return QString::fromUtf8(name);
    return QString();
}
}  // namespace

void VexoCam::showCameraFormatIn(ConfigWidget* dialog) const
{
    for (const CameraThread* window : cameraWindows) {
        if (window->cameraHandle() == 0 || window->cameraHandle() != currentCamera)
            continue;
        int width = 0;
        int height = 0;
        if (SdkGetResolution(currentCamera, &width, &height) == VEXO_SDK_OK)
            dialog->setCameraFormat(width, height, window->lastCaptureRate());
        return;
    }
}

void VexoCam::setUpAllCameraRecording()
{
    allRecording = new QAction(QIcon(QStringLiteral(":/images/ICO/video.png")), QString(), this);
    allRecording->setObjectName(QStringLiteral("action_allRecording"));
    allRecording->setShortcut(QKeySequence(QString::fromLatin1(kAllRecordingShortcut)));
    allRecording->setShortcutContext(Qt::ApplicationShortcut);
    connect(allRecording, &QAction::triggered, this, &VexoCam::toggleAllCameraRecording);
    ui->toolBar->addAction(allRecording);
    addAction(allRecording);
    retranslateAllCameraRecording();
}

void VexoCam::retranslateAllCameraRecording()
{
    if (!allRecording)
        return;
    allRecording->setText(allRecordingWindows.isEmpty() ? tr("全部录像") : tr("停止全部录像"));
    allRecording->setToolTip(QStringLiteral("%1 (%2)").arg(
        allRecording->text(), allRecording->shortcut().toString(QKeySequence::NativeText)));
}

void VexoCam::toggleAllCameraRecording()
{
    if (allRecordingWindows.isEmpty())
        startAllCameraRecording();
    else
        stopAllCameraRecording();
}

void VexoCam::startAllCameraRecording()
{
    QList<CameraThread*> open;
    for (CameraThread* window : qAsConst(cameraWindows))
        if (window->isCameraOpen() && !window->isRecording())
            open << window;
    if (open.isEmpty()) {
        suite::showMessage(QMessageBox::Information, this, tr("提示"), tr("没有可以录像的相机窗口"),
                           tr("确定"));
        return;
    }
    // One folder for all, asked for once.
    const RecordSettings& record = settingsStore()->recordSettings();
    QString folder;
    if (record.autoSaveState == kAutoSave) {
        const savefolder::Prepared prepared = savefolder::prepare(this, record.savePath);
        if (!prepared.ready) {
            suite::showMessage(QMessageBox::Warning, this, tr("提示"),
                               tr("无法开始录像: %1").arg(prepared.refusal), tr("确定"));
            return;
        }
        folder = prepared.folder;
    } else {
        folder = QFileDialog::getExistingDirectory(
            this, tr("选择"), QCoreApplication::applicationDirPath(), QFileDialog::ShowDirsOnly);
        if (folder.isEmpty())
            return;
    }
    allRecordingWindows.clear();
    for (CameraThread* window : qAsConst(open))
        if (window->startRecordingIn(folder, true))
            allRecordingWindows << window;
    if (allRecordingWindows.isEmpty()) {
        suite::showMessage(QMessageBox::Warning, this, tr("提示"),
                           tr("没有相机开始录像, 原因见各相机窗口的状态栏"), tr("确定"));
        return;
    }
    allRecordingFolder = folder;
    retranslateAllCameraRecording();
}

void VexoCam::stopAllCameraRecording()
{
    QList<recordinglogic::SummaryEntry> entries;
    for (const QPointer<CameraThread>& window : qAsConst(allRecordingWindows)) {
        if (!window)
            continue;  // the window went with a layout change; its recording ended then
        const QString name = cameraName(window->cameraHandle());
        window->endRecording();
        // A recording that ended earlier (camera lost, limit reached) left its totals too.
        const CameraThread::RecordingTotals& totals = window->lastRecording();
        recordinglogic::SummaryEntry entry;
        entry.camera = name.isEmpty() ? window->cameraIdentifier() : name;
        entry.file = totals.file;
        entry.known = totals.firstKnown;
        entry.firstFrameNumber = totals.firstFrameNumber;
        entry.firstCameraTimeUs = totals.firstCameraTimeUs;
        entry.firstHostSteadyUs = totals.firstHostSteadyUs;
        entry.firstHostWallUs = totals.firstHostWallUs;
        entry.frames = totals.written;
        entries << entry;
    }
    allRecordingWindows.clear();
    retranslateAllCameraRecording();

    const QString path = recordinglogic::freePath(
        recordinglogic::summaryPath(allRecordingFolder, QDateTime::currentDateTime()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(recordinglogic::allCameraSummary(entries)) < 0 || !file.commit()) {
        suite::showMessage(QMessageBox::Warning, this, tr("提示"),
                           tr("无法写入录像汇总文件: %1 (%2)")
                               .arg(QDir::toNativeSeparators(path), file.errorString()),
                           tr("确定"));
        return;
    }
    allRecordingSummary = path;
}
