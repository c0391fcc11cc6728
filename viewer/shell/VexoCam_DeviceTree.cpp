// The device tree: cameras listed under network and USB roots, their information pages,
// opening and closing from the tree, renaming, and hot-plug refresh.
#include "VexoCam.h"

#include <QDebug>
#include <QTreeWidgetItemIterator>

#include "CameraThread.h"
#include "DeviceNotification.h"
#include "DeviceText.h"
#include "FeatureBrowser.h"
#include "SuiteMessages.h"
#include "VexoCameraApi.h"
#include "ui_VexoCam.h"

#ifdef Q_OS_WIN
#include <windows.h>
#include <dbt.h>
#endif

namespace {

VexoDeviceInfo* recordOf(const QTreeWidgetItem* item)
{
    const QVariant data = item ? item->data(0, Qt::UserRole) : QVariant();
    return data.isValid() ? static_cast<VexoDeviceInfo*>(data.value<void*>()) : nullptr;
}

QString identifierOf(const VexoDeviceInfo* record)
{
    return recordText(record->cameraIdentifier);
}

// The information pages decode the record's texts as UTF-8; only the tree item's
// device name uses the local 8-bit encoding (recordText).
template <size_t N>
QString textOf(const char (&field)[N])
{
    return QString::fromUtf8(field, static_cast<int>(qstrnlen(field, N)));
}

// Network cameras say so in their interface text; anything else is on USB.
bool deviceIsGigE(const QString& interfaceText)
{
    return interfaceText.contains(QLatin1String("GigE"), Qt::CaseSensitive);
}

QIcon icon(const char* name)
{
    return QIcon(QStringLiteral(":/images/ICO/") + QLatin1String(name));
}

}  // namespace

void VexoCam::freeDeviceRecords()
{
    for (QTreeWidgetItemIterator it(ui->treeWidget_devicelist); *it; ++it) {
        if (VexoDeviceInfo* record = recordOf(*it)) {
            delete record;
            (*it)->setData(0, Qt::UserRole, QVariant());
        }
    }
}

void VexoCam::refreshDeviceTree()
{
    freeDeviceRecords();
    QTreeWidget* tree = ui->treeWidget_devicelist;
    tree->clear();
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree->header()->setStretchLastSection(false);
    gigeRoot = new QTreeWidgetItem(tree, QStringList(tr("网络相机")));
    usbRoot = new QTreeWidgetItem(tree, QStringList(tr("USB相机")));

    int count = 0;
    const int result = SdkEnumerateDevices(&count);
    if (result != 0) {
        qWarning() << "SdkEnumerateDevices failed:" << result;
        return;
    }
    for (int index = 0; index < count; ++index) {
        auto* record = new VexoDeviceInfo{};
        const int infoResult = SdkGetDeviceInfo(index, record);
        if (infoResult != 0) {
            qWarning() << "SdkGetDeviceInfo failed for index" << index << ":" << infoResult;
            delete record;
            continue;
        }
        QTreeWidgetItem* root = deviceIsGigE(textOf(record->interfaceText)) ? gigeRoot : usbRoot;
        auto* item = new QTreeWidgetItem(root);
        item->setData(0, Qt::UserRole, QVariant::fromValue<void*>(record));
        item->setText(0, recordText(record->deviceName));
        item->setIcon(0, icon(record->opened != 0 ? "cameraOn.png" : "cameraOff.png"));
    }
    tree->expandAll();
}

void VexoCam::on_pushButton_refresh_clicked()
{
    refreshDeviceTree();
}

void VexoCam::on_pushButton_expand_clicked()
{
    ui->treeWidget_devicelist->expandAll();
}

void VexoCam::on_pushButton_collapse_clicked()
{
    ui->treeWidget_devicelist->collapseAll();
}

void VexoCam::on_treeWidget_devicelist_itemClicked(QTreeWidgetItem* item, int column)
{
    Q_UNUSED(column);
    ui->stackedWidget_InterfaceInfo->setCurrentIndex(3);
    const VexoDeviceInfo* record = recordOf(item);
    if (!record)
        return;
    const bool open = record->opened != 0;
    const QString state = open ? tr("已打开") : tr("未打开");
    if (deviceIsGigE(textOf(record->interfaceText))) {
        VexoNetworkConfig config{};
        const int result = SdkGetNetworkConfig(record->cameraIdentifier, &config);
        if (result != 0)
            qDebug() << "SdkGetNetworkConfig failed:" << result;
        ui->stackedWidget_InterfaceInfo->setCurrentIndex(0);
        ui->label_gigeName->setText(textOf(record->productName));
        ui->label_gigeIP->setText(textOf(config.ipAddress));
        ui->label_gigeNetMask->setText(textOf(config.subnetMask));
        ui->label_gigePorttype->setText(textOf(record->interfaceText));
        ui->label_gigePhyAdder->setText(macAddressText(config.macAddress));
        ui->label_gigeBroAdder->setText(state);
    } else {
        ui->stackedWidget_InterfaceInfo->setCurrentIndex(2);
        ui->label_productName->setText(textOf(record->productName));
        ui->label_productsSeries->setText(textOf(record->productSeries));
        ui->label_sensor->setText(textOf(record->sensorText));
        ui->label_porttype->setText(textOf(record->interfaceText));
        ui->label_edition->setText(textOf(record->editionText));
        ui->label_firmware->setText(firmwareVersionText(record->firmwareVersion));
        ui->label_status->setText(state);
    }
    ui->pushButton_onoff->setIcon(icon(open ? "disconnect.png" : "connect.png"));
}

bool VexoCam::openCameraInWindow(const QString& identifier)
{
    CameraThread* window = nullptr;
    for (CameraThread* candidate : qAsConst(cameraWindows)) {
        if (candidate->isShowingCamera(identifier)) {
            window = candidate;
            break;
        }
    }
    if (!window) {
        for (CameraThread* candidate : qAsConst(cameraWindows)) {
            if (!candidate->isCameraOpen()) {
                if (!candidate->startCamera(identifier))
                    return false;
                window = candidate;
                break;
            }
        }
    }
    if (!window)
        return false;
    ui->tabWidget->setEnabled(true);
    readBack(window->cameraHandle());
    if (cameraWindows.size() > 1) {
        for (CameraThread* other : qAsConst(cameraWindows))
            other->setSelected(other == window);
    }
    return true;
}

void VexoCam::markDeviceOpen(QTreeWidgetItem* item, bool open)
{
    VexoDeviceInfo* record = recordOf(item);
    if (!record)
        return;
    record->opened = open ? 1 : 0;
    ui->pushButton_onoff->setIcon(icon(open ? "disconnect.png" : "connect.png"));
    item->setIcon(0, icon(open ? "cameraOn.png" : "cameraOff.png"));
}

QTreeWidgetItem* VexoCam::findDeviceItem(const QString& identifier) const
{
    for (QTreeWidgetItemIterator it(ui->treeWidget_devicelist); *it; ++it) {
        if (const VexoDeviceInfo* record = recordOf(*it)) {
            if (identifierOf(record) == identifier)
                return *it;
        }
    }
    return nullptr;
}

void VexoCam::on_treeWidget_devicelist_itemDoubleClicked(QTreeWidgetItem* item, int column)
{
    Q_UNUSED(column);
    const VexoDeviceInfo* record = recordOf(item);
    if (!record)
        return;
    // An open that fails shows a message box, during which a hot-plug may rebuild the
    // tree: the item is looked up again by identifier afterwards.
    const QString identifier = identifierOf(record);
    if (!openCameraInWindow(identifier))
        return;
    if (QTreeWidgetItem* again = findDeviceItem(identifier)) {
        markDeviceOpen(again, true);
        emit ui->treeWidget_devicelist->itemClicked(again, 0);
    }
}

void VexoCam::cameraWidget_open(const QString cameraSn)
{
    if (!openCameraInWindow(cameraSn))
        return;
    if (QTreeWidgetItem* item = findDeviceItem(cameraSn)) {
        markDeviceOpen(item, true);
        ui->treeWidget_devicelist->setCurrentItem(item);
        emit ui->treeWidget_devicelist->itemClicked(item, 0);
    }
}

void VexoCam::on_pushButton_onoff_clicked()
{
    QTreeWidgetItem* item = ui->treeWidget_devicelist->currentItem();
    const VexoDeviceInfo* record = recordOf(item);
    if (!record)
        return;
    const QString identifier = identifierOf(record);
    if (record->opened == 0) {
        on_treeWidget_devicelist_itemDoubleClicked(item, 0);
        return;
    }
    for (CameraThread* window : qAsConst(cameraWindows)) {
        if (window->isShowingCamera(identifier)) {
            // Closing waits for the acquisition thread; the tree may be rebuilt meanwhile,
            // so the item is found again by identifier.
            window->closeCamera();
            if (QTreeWidgetItem* again = findDeviceItem(identifier)) {
                markDeviceOpen(again, false);
                emit ui->treeWidget_devicelist->itemClicked(again, 0);
            }
            return;
        }
    }
    suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("相机已在其它地方打开，无法关闭"),
                       tr("确定"));
}

void VexoCam::onOpenCamera(const QString& identifier)
{
    auto* window = qobject_cast<CameraThread*>(sender());
    if (QTreeWidgetItem* item = findDeviceItem(identifier)) {
        markDeviceOpen(item, true);
        emit ui->treeWidget_devicelist->itemClicked(item, 0);
    }
    if (!window)
        return;
    currentCamera = window->cameraHandle();
    ui->tabWidget->setEnabled(true);
    readBack(currentCamera);
    if (cameraWindows.size() > 1) {
        for (CameraThread* other : qAsConst(cameraWindows))
            other->setSelected(other == window);
    }
}

void VexoCam::onCloseCamera(const QString& identifier)
{
    auto* window = qobject_cast<CameraThread*>(sender());
    if (QTreeWidgetItem* item = findDeviceItem(identifier)) {
        if (VexoDeviceInfo* record = recordOf(item))
            record->opened = 0;
        ui->pushButton_onoff->setIcon(icon("connect.png"));
        item->setIcon(0, icon("cameraOff.png"));
        if (item == ui->treeWidget_devicelist->currentItem())
            emit ui->treeWidget_devicelist->itemClicked(item, 0);
    }
    if (window) {
        FeatureBrowser::closeFor(window->cameraHandle());
        editedCameras.remove(window->cameraHandle());
        if (window->cameraHandle() == currentCamera)
            disableParameterPanel();
    }
}

void VexoCam::on_pushButton_deviceName_clicked()
{
    const QString name = ui->lineEdit_deviceName->text();
    if (name.isEmpty()) {
        suite::showMessage(QMessageBox::Information, this, tr("提示"), tr("请输入设备昵称"),
                           tr("确定"));
        return;
    }
    const int result = SdkSetDeviceNickname(currentCamera, name.toLocal8Bit().constData());
    if (result != 0) {
        qWarning() << "SdkSetDeviceNickname failed:" << result;
        suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("修改设备名称失败"),
                           tr("确定"));
        return;
    }
    ui->label_deviceName->setText(name);
    suite::showMessage(QMessageBox::Information, this, tr("成功"), tr("修改设备名称成功"),
                       tr("确定"));
}

void VexoCam::registerDeviceNotifications()
{
    deviceNotifier = new DeviceNotifier(this);
    connect(deviceNotifier, &DeviceNotifier::deviceChanged, this, &VexoCam::onDeviceChanged);
    if (!deviceNotifier->registerFor(this))
        suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("热拔插组件注册失败"),
                           tr("确定"));
}

void VexoCam::onDeviceChanged(unsigned event, bool hasHeader, unsigned headerDeviceType)
{
    if (devicechange::refreshesDeviceList(event, hasHeader, headerDeviceType))
        refreshDeviceTree();
}

bool VexoCam::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
#ifdef Q_OS_WIN
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == devicechange::kMessage) {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(msg->lParam);
        onDeviceChanged(static_cast<unsigned>(msg->wParam), header != nullptr,
                        header ? header->dbch_devicetype : 0);
    }
#endif
    return QMainWindow::nativeEvent(eventType, message, result);
}
