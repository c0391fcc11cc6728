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
#include "SettingsStore.h"
#include "VexoCameraApi.h"
#include "ui_CameraThread.h"

namespace {
constexpr int kPictureQuality = 100;
constexpr int kAutoSave = 2;
constexpr int kAskForFolder = 0;
}  // namespace

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
        if (!copy)
            copy = capturelogic::copyOfPackedFrame(buffer, info.width, info.height);
        int result = VEXO_SDK_OK;
        if (writePicture(copy.get(), copy, info, true, &result) != PictureOutcome::Pending)
            runPictureWritten(captureRun.generation, result);  // nothing could be written
        return;
    }

    ++picturesBeingWritten;
    int result = VEXO_SDK_OK;
    const PictureOutcome outcome =
        writePicture(copy ? copy.get() : buffer, copy, info, false, &result);
    --picturesBeingWritten;

    // The thread's confirmation may have arrived while a folder dialog was open; if
    // not, it is still on its way and must not overwrite what happened.
    if (confirmationsDuringWrite > 0)
        --confirmationsDuringWrite;
    else
        ++confirmationsToDrop;

    switch (outcome) {
    case PictureOutcome::Saved:
        ui->label_camerainfo->setText(tr("SDK保存图片成功"));
        break;
    case PictureOutcome::NotSaved:
        ui->label_camerainfo->setText(tr("图片未保存, 错误码:%1").arg(result));
        break;
    case PictureOutcome::Dropped:
    case PictureOutcome::Pending:
        break;
    }
}

CameraThread::PictureOutcome CameraThread::writePicture(BYTE* pixels,
                                                        std::unique_ptr<BYTE[]>& owned,
                                                        const stImageInfo& info, bool forRun,
                                                        int* result)
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
        folder = capture.savePath;
        haveFolder = true;
        // Saving into a folder that does not exist yet is what the user expects; one
        // that cannot be made shows up as a failed write below.
        if (!folder.isEmpty())
            QDir().mkpath(folder);
    } else if (capture.autoSaveState == kAskForFolder) {
        folder = QFileDialog::getExistingDirectory(this, tr("选择"), QCoreApplication::applicationDirPath(),
                                                   QFileDialog::ShowDirsOnly);
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
    // already there: the new one gets a suffix.
    const QString baseName = capturelogic::uniqueBaseName(
        name.baseName, capturelogic::pictureExtension(capture.pictureType),
        [](const QString& file) { return QFileInfo::exists(file); });
    if (forRun && owned) {
        writeRunPicture(baseName, typeCode, std::move(owned), info);
        return PictureOutcome::Pending;
    }
    *result = SdkSaveImageFile(handle, baseName.toLocal8Bit().constData(), pixels, &info, typeCode,
                               kPictureQuality);
    if (*result != VEXO_SDK_OK) {
        qDebug() << "SdkSaveImageFile" << baseName << "returned" << *result;
        return PictureOutcome::NotSaved;
    }
    return PictureOutcome::Saved;
}

void CameraThread::writeRunPicture(const QString& baseName, int typeCode,
                                   std::unique_ptr<BYTE[]> pixels, const stImageInfo& info)
{
    waitForRunPicture();  // one at a time; the run asks for the next only after this one
    const std::shared_ptr<BYTE> shared(pixels.release(), std::default_delete<BYTE[]>());
    const QByteArray name = baseName.toLocal8Bit();
    const int cameraHandle = handle;
    const int generation = captureRun.generation;
    // The window waits for this thread before it closes its camera or goes away, so the
    // result can always be posted back to it.
    runPictureWriter =
        QThread::create([this, shared, name, cameraHandle, typeCode, info, generation]() {
            const int result = SdkSaveImageFile(cameraHandle, name.constData(), shared.get(), &info,
                                                typeCode, kPictureQuality);
            if (result != VEXO_SDK_OK)
                qDebug() << "SdkSaveImageFile" << name << "returned" << result;
            QMetaObject::invokeMethod(
                this, [this, generation, result]() { runPictureWritten(generation, result); },
                Qt::QueuedConnection);
        });
    connect(runPictureWriter, &QThread::finished, runPictureWriter, &QObject::deleteLater);
    runPictureWriter->start();
}

void CameraThread::waitForRunPicture()
{
    if (runPictureWriter)
        runPictureWriter->wait();
}
