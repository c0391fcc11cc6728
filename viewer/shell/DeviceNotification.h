#pragma once
#include <QObject>
#include <QSet>
#include <QString>

class QFileSystemWatcher;
class QWidget;

// "A device of the camera driver's class arrived or went away", on every platform with
// the meaning of the Windows device-change message.
namespace devicechange {

constexpr unsigned kMessage = 0x0219;            // WM_DEVICECHANGE
constexpr unsigned kArrival = 0x8000;            // DBT_DEVICEARRIVAL
constexpr unsigned kRemoveComplete = 0x8004;     // DBT_DEVICEREMOVECOMPLETE
constexpr unsigned kDeviceInterfaceType = 5;     // DBT_DEVTYP_DEVICEINTERFACE

// Whether a notification should rebuild the device list: an arrival only when it is
// about a device interface, a removal whatever it is about. hasHeader is false when
// the message carries no broadcast header.
bool refreshesDeviceList(unsigned event, bool hasHeader, unsigned headerDeviceType);

}  // namespace devicechange

// Delivers device arrivals and removals of the camera driver's class to the main window.
// On Windows the window registers for device-interface notifications and receives them
// as native messages; elsewhere the notifier watches the folder in which the camera
// library publishes one node per attached camera.
class DeviceNotifier : public QObject {
    Q_OBJECT
public:
    explicit DeviceNotifier(QObject* parent = nullptr);

    // Starts watching for window; false when registration failed.
    bool registerFor(QWidget* window);
    QString watchedFolder() const { return folder; }

signals:
    void deviceChanged(unsigned event, bool hasHeader, unsigned headerDeviceType);

private:
    void rescan();
    // Watches the folder again when it has been removed and created anew; its parent is
    // watched so that the folder's return is noticed.
    void rewatch();

    QFileSystemWatcher* watcher = nullptr;
    QString folder;
    QSet<QString> nodes;
};
