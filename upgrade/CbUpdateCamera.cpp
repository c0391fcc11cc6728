#include "CbUpdateCamera.h"

#include <QDebug>

#include "VexoCameraApi.h"

CbUpdateCamera::CbUpdateCamera(const QString& cameraId, const QString& filePath, QObject* parent)
    : QThread(parent), filePath(filePath), cameraId(cameraId)
{
}

void CbUpdateCamera::progressCallback(int percent, void* context)
{
    emit static_cast<CbUpdateCamera*>(context)->SendStatus(percent);
}

void CbUpdateCamera::run()
{
    int opened = 0;
    int result = SdkOpenCamera(&opened, cameraId.toLocal8Bit().constData());
    if (result == VEXO_SDK_OK) {
        handle = opened;
        result = SdkUpgradeFirmware(opened, filePath.toLocal8Bit().constData(), &CbUpdateCamera::progressCallback,
                                    this);
        if (result != VEXO_SDK_OK)
            qWarning() << "SdkUpgradeFirmware" << cameraId << filePath << "failed:" << result;
    } else {
        qWarning() << "SdkOpenCamera" << cameraId << "failed:" << result;
    }
    emit SendRes(result);
}
