// Single pictures of a camera window: the file is written through the camera library
// from the private copy of the frame that served the request.
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <memory>

#include "CameraThread.h"
#include "FrameCopies.h"
#include "PictureLogic.h"
#include "PictureWriter.h"
#include "SaveFolderPrompt.h"
#include "SettingsStore.h"
#include "VexoCameraApi.h"
#include "ui_CameraThread.h"

namespace {
constexpr int kPictureQuality = 100;
constexpr int kAutoSave = 2;
constexpr int kAskForFolder = 0;
}  // namespace

void CameraThread::runPictureArrived(BYTE* buffer, stImageInfo info)
{
    std::unique_ptr<BYTE[]> copy = framecopies::take(this, buffer);
    if (!acceptsThreadReport())
        return;
    // A picture the thread took for a count run belongs to that run even when the run
    // was stopped before it arrived: it goes into the run's folder, never elsewhere.
    ++captureRun.picturesArrived;
    if (captureRun.failed)
        return;  // the run's failure stays in the status line
    ++captureRun.outstanding;
    // The thread may have taken more already; the title counts those too.
    captureRun.picturesTaken =
        std::max({captureRun.picturesTaken, captureRun.picturesArrived,
                  videoThread ? videoThread->picturesOfRun() : 0});
    updateWindowTitle();
    writeRunPicture(buffer, std::move(copy), info);
}

void CameraThread::writeRunPicture(BYTE* buffer, std::unique_ptr<BYTE[]> copy,
                                   const stImageInfo& info)
{
    if (!copy)
        copy = capturelogic::copyOfPackedFrame(buffer, info.width, info.height);
    int result = VEXO_SDK_OK;
    if (writePicture(copy.get(), copy, info, true, &result) != PictureOutcome::Pending)
        runPictureWritten(captureRun.generation, result);  // nothing could be written
}

void CameraThread::cameraSavePic(BYTE* buffer, stImageInfo info)
{
    // The copy is ours from here on and is freed when this slot returns. An address
    // that is not one of our copies comes from a caller that keeps it alive itself.
    std::unique_ptr<BYTE[]> copy = framecopies::take(this, buffer);
    if (!acceptsThreadReport())
        return;  // requested from a camera that is closing or has been closed since

    // While a continuous capture runs, and for the pictures it asked for before it
    // ended, pictures go into the run's folder. They are written off the GUI thread so
    // the live image keeps moving; their confirmation shows as it comes.
    if (captureTimer != nullptr || captureRun.outstanding > 0) {
        if (captureRun.failed) {
            captureRun.outstanding = std::max(0, captureRun.outstanding - 1);
            return;  // the run's failure stays in the status line
        }
        // A picture asked for by hand during a count run is written with the run's
        // pictures and waited for like them.
        if (captureRun.byCount && captureTimer)
            ++captureRun.outstanding;
        writeRunPicture(buffer, std::move(copy), info);
        return;
    }

    ++picturesBeingWritten;
    int result = VEXO_SDK_OK;
    QString refusal;
    const PictureOutcome outcome =
        writePicture(copy ? copy.get() : buffer, copy, info, false, &result, &refusal);
    --picturesBeingWritten;

    // The thread's confirmation may have arrived while a folder dialog was open; if
    // not, it is still on its way and must not overwrite what happened.
    if (confirmationsDuringWrite > 0)
        --confirmationsDuringWrite;
    else
        ++confirmationsToDrop;

    switch (outcome) {
        case PictureOutcome::Saved:
            ui->label_camerainfo->setLine(tr("SDK保存图片成功"));
            break;
        case PictureOutcome::NotSaved:
            ui->label_camerainfo->setLine(tr("图片未保存, 错误码:%1").arg(result));
            break;
        case PictureOutcome::Refused:
            ui->label_camerainfo->setLine(tr("图片未保存: %1").arg(refusal));
            break;
        case PictureOutcome::Dropped:
        case PictureOutcome::Pending:
            break;
    }
}

CameraThread::PictureOutcome CameraThread::writePicture(BYTE* pixels,
                                                        std::unique_ptr<BYTE[]>& owned,
                                                        const stImageInfo& info, bool forRun,
                                                        int* result, QString* refusal)
{
    CaptureSettings capture = settingsStore()->captureSettings();
    QString folder;
    bool haveFolder = false;
    bool fromDialog = false;
    if (forRun) {
        // The run's folder was made when it started; one that has gone since is a
        // failure to report, not something to quietly make again.
        folder = captureRun.folder;
        haveFolder = true;
        capture.nameRuleIndex = captureRun.nextIndex;
    } else if (capture.autoSaveState == kAutoSave) {
        // An empty, relative or damaged folder would put the picture somewhere nobody
        // looks; a missing one is made only when the user says so.
        const savefolder::Prepared prepared = savefolder::prepare(this, capture.savePath);
        if (!prepared.ready) {
            if (refusal)
                *refusal = prepared.refusal;
            return PictureOutcome::Refused;
        }
        folder = prepared.folder;
        haveFolder = true;
        // Other pictures may have advanced the index while the question was open.
        capture = settingsStore()->captureSettings();
    } else if (capture.autoSaveState == kAskForFolder) {
        folder = QFileDialog::getExistingDirectory(
            this, tr("选择"), QCoreApplication::applicationDirPath(), QFileDialog::ShowDirsOnly);
        if (folder.isEmpty())
            return PictureOutcome::Dropped;
        haveFolder = true;
        fromDialog = true;
        // Other pictures may have advanced the index while the dialog was open.
        capture = settingsStore()->captureSettings();
    }

    picturelogic::PictureName name;
    if (haveFolder)
        name = picturelogic::pictureName(folder, capture, QDateTime::currentDateTime(), fromDialog);
    if (name.advancesIndex) {
        if (forRun)
            captureRun.nextIndex = name.nextIndex;
        else
            settingsStore()->setValue(QStringLiteral("CAPTURE"), QStringLiteral("NameRuleIndex"),
                                      name.nextIndex);
    }

    const int typeCode = picturelogic::pictureTypeCode(capture.pictureType);
    if (name.baseName.isEmpty() || typeCode == 0 || !pixels) {
        // Without a name or a format there is nothing the library could write.
        *result = VEXO_SDK_INVALID_ARGUMENT;
        return PictureOutcome::NotSaved;
    }
    // Two pictures in one second, or an index used before, must not replace a picture
    // already there: the new one gets a suffix, chosen when the file is written.
    const QString extension = capturelogic::pictureExtension(capture.pictureType);
    if (forRun && owned) {
        writeRunPicture(name.baseName, extension, typeCode, std::move(owned), info);
        return PictureOutcome::Pending;
    }
    *result = picturewriter::saveWithoutReplacing(handle, name.baseName, extension, pixels, info,
                                                  typeCode, kPictureQuality);
    return *result == VEXO_SDK_OK ? PictureOutcome::Saved : PictureOutcome::NotSaved;
}

void CameraThread::writeRunPicture(const QString& baseName, const QString& extension, int typeCode,
                                   std::unique_ptr<BYTE[]> pixels, const stImageInfo& info)
{
    if (!pictureWriter) {
        pictureWriter = new PictureWriter(this);
        // The window waits for the writer before it closes its camera or goes away, so
        // the result can always be delivered to it.
        connect(pictureWriter, &PictureWriter::written, this, &CameraThread::runPictureWritten,
                Qt::QueuedConnection);
    }
    PictureWriter::Job job;
    job.handle = handle;
    job.baseName = baseName;
    job.extension = extension;
    job.typeCode = typeCode;
    job.quality = kPictureQuality;
    job.bytes = std::size_t(info.width) * std::size_t(info.height) * 3;
    job.pixels = std::shared_ptr<BYTE>(pixels.release(), std::default_delete<BYTE[]>());
    job.info = info;
    job.generation = captureRun.generation;
    if (!pictureWriter->submit(std::move(job))) {
        // The disk is slower than the run: this picture is lost, and the user is told.
        captureRun.outstanding = std::max(0, captureRun.outstanding - 1);
        ++captureRun.picturesDropped;
        holdStatusText(
            tr("连续抓图: 写入速度跟不上, 已丢弃 %1 张图片").arg(captureRun.picturesDropped));
    }
}

void CameraThread::waitForRunPicture()
{
    if (pictureWriter)
        pictureWriter->waitUntilIdle();
}
