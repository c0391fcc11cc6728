// Single pictures of a camera window: the file is written through the camera library
// from the private copy of the frame that served the request.
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
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
    const std::unique_ptr<BYTE[]> copy = framecopies::take(this, buffer);
    if (!acceptsThreadReport())
        return;  // requested from a camera that is closing or has been closed since

    ++picturesBeingWritten;
    int result = VEXO_SDK_OK;
    const PictureOutcome outcome = writePicture(copy ? copy.get() : buffer, info, &result);
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
        break;
    }
}

CameraThread::PictureOutcome CameraThread::writePicture(BYTE* pixels, const stImageInfo& info, int* result)
{
    CaptureSettings capture = settingsStore()->captureSettings();
    QString folder;
    bool haveFolder = false;
    bool fromDialog = false;
    if (capture.autoSaveState == kAutoSave) {
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
    if (name.advancesIndex)
        settingsStore()->setValue(QStringLiteral("CAPTURE"), QStringLiteral("NameRuleIndex"), name.nextIndex);

    const int typeCode = picturelogic::pictureTypeCode(capture.pictureType);
    if (name.baseName.isEmpty() || typeCode == 0 || !pixels) {
        // Without a name or a format there is nothing the library could write.
        *result = VEXO_SDK_INVALID_ARGUMENT;
        return PictureOutcome::NotSaved;
    }
    *result = SdkSaveImageFile(handle, name.baseName.toLocal8Bit().constData(), pixels, &info,
                               typeCode, kPictureQuality);
    if (*result != VEXO_SDK_OK) {
        qDebug() << "SdkSaveImageFile" << name.baseName << "returned" << *result;
        return PictureOutcome::NotSaved;
    }
    return PictureOutcome::Saved;
}
