// The camera feature browser, opened from the main menu for the selected camera window
// or from a camera window's context menu. A write in the browser reads the camera back
// into the panel, so both show the same values.
#include "CameraThread.h"
#include "FeatureBrowser.h"
#include "SuiteMessages.h"
#include "VexoCam.h"
#include "VexoCameraApi.h"

void VexoCam::on_action_cameraFeatures_triggered()
{
    for (CameraThread* window : qAsConst(cameraWindows)) {
        if (window->isCameraOpen() && window->cameraHandle() == currentCamera) {
            openFeatureBrowser(window);
            return;
        }
    }
    suite::showMessage(QMessageBox::Information, this, tr("提示"),
                       tr("请先选中一个显示相机的窗口。"), tr("确定"));
}

void VexoCam::openFeatureBrowser(CameraThread* window)
{
    const int handle = window->cameraHandle();
    if (handle == 0)
        return;
    char name[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
    QString shown = window->cameraIdentifier();
    if (SdkGetCameraName(handle, name) == VEXO_SDK_OK && name[0] != '\0')
        shown = QString::fromLocal8Bit(name);
    const bool existed = FeatureBrowser::browserOf(handle) != nullptr;
    FeatureBrowser* browser = FeatureBrowser::showFor(handle, shown, this);
    if (!existed)
        connect(browser, &FeatureBrowser::featuresWritten, this, [this](int written) {
            if (written == currentCamera)
                readBack(written);
        });
}
