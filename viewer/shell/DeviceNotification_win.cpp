// Windows side of the device notifications: registration of the main window for the
// camera driver's device-interface class. The messages arrive in VexoCam::nativeEvent.
#include "DeviceNotification.h"

#ifdef Q_OS_WIN
#include <QWidget>
#include <windows.h>
#include <dbt.h>

bool DeviceNotifier::registerFor(QWidget* window)
{
    static const GUID kCameraInterfaceClass = {
        0x805510A6, 0x54DC, 0x4D9E, {0x8F, 0x93, 0x92, 0x9A, 0x4B, 0xAB, 0x66, 0x70}};
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = 32;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kCameraInterfaceClass;
    return RegisterDeviceNotificationW(reinterpret_cast<HANDLE>(window->winId()), &filter,
                                       DEVICE_NOTIFY_WINDOW_HANDLE) != nullptr;
}
#endif
