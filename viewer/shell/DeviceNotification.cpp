#include "DeviceNotification.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>

#include "VexoCameraApi.h"

namespace devicechange {

bool refreshesDeviceList(unsigned event, bool hasHeader, unsigned headerDeviceType)
{
    if (event == kRemoveComplete)
        return true;
    return event == kArrival && hasHeader && headerDeviceType == kDeviceInterfaceType;
}

}  // namespace devicechange

DeviceNotifier::DeviceNotifier(QObject* parent) : QObject(parent) {}

#ifndef Q_OS_WIN
bool DeviceNotifier::registerFor(QWidget* window)
{
    Q_UNUSED(window);
    QByteArray path(1024, '\0');
    if (SdkGetDeviceNodeFolder(path.data(), path.size()) != 0)
        return false;
    folder = QString::fromLocal8Bit(path.constData());
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return false;
    watcher = new QFileSystemWatcher(this);
    if (!watcher->addPath(folder))
        return false;
    const QString parent = QFileInfo(folder).absolutePath();
    if (parent != folder)
        watcher->addPath(parent);
    const QStringList present = QDir(folder).entryList({QStringLiteral("*.node")}, QDir::Files);
    nodes = QSet<QString>(present.cbegin(), present.cend());
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, &DeviceNotifier::rescan);
    return true;
}
#endif

void DeviceNotifier::rewatch()
{
    if (!watcher)
        return;
    // A removed folder drops out of the watch list for good; it has to be added again
    // once it exists anew.
    if (!watcher->directories().contains(folder) && QFileInfo(folder).isDir())
        watcher->addPath(folder);
}

void DeviceNotifier::rescan()
{
    rewatch();
    const QStringList present = QDir(folder).entryList({QStringLiteral("*.node")}, QDir::Files);
    const QSet<QString> now(present.cbegin(), present.cend());
    const QSet<QString> arrived = now - nodes;
    const QSet<QString> removed = nodes - now;
    nodes = now;
    for (int i = 0; i < arrived.size(); ++i)
        emit deviceChanged(devicechange::kArrival, true, devicechange::kDeviceInterfaceType);
    for (int i = 0; i < removed.size(); ++i)
        emit deviceChanged(devicechange::kRemoveComplete, false, 0);
}
