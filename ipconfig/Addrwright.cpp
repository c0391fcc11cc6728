#include "Addrwright.h"

#include "DeviceText.h"

#include <QDebug>
#include <QFont>
#include <QHeaderView>
#include <QListWidgetItem>
#include <QMessageBox>
#include <QTableWidgetItem>

#include "SuiteEnvironment.h"
#include "SuiteMessages.h"
#include "VexoCameraApi.h"
#include "ipModify.h"
#include "ui_Addrwright.h"

using iptool::GigeDeviceBlock;

Addrwright::Addrwright(QWidget* parent) : QWidget(parent), ui(new Ui::Addrwright)
{
    ui->setupUi(this);
    suite::installToolLanguage(this, QStringLiteral("Addrwright"));
    // The form was built before the translation was installed.
    ui->retranslateUi(this);
    ui->splitter->setSizes({100, 664});

    buildInterfaceList();
    enumerateDevices();
    setupTable();
    on_listWidget_itemDoubleClicked(ui->listWidget->item(0));
}

Addrwright::~Addrwright() = default;

void Addrwright::buildInterfaceList()
{
    auto* header = new QListWidgetItem(QStringLiteral("Gige"));
    QFont font = header->font();
    font.setBold(true);
    font.setWeight(75);
    font.setPointSize(10);
    header->setFont(font);
    ui->listWidget->addItem(header);

    const QList<iptool::InterfaceItem> items = iptool::interfaceItems(iptool::systemInterfaces());
    for (const iptool::InterfaceItem& entry : items) {
        auto* item = new QListWidgetItem(entry.text);
        item->setData(Qt::UserRole, entry.address);
        item->setToolTip(entry.text);
        ui->listWidget->addItem(item);
    }
}

void Addrwright::enumerateDevices()
{
    int count = 0;
    const int result = SdkEnumerateDevices(&count);
    if (result != VEXO_SDK_OK) {
        qWarning() << "SdkEnumerateDevices failed:" << result;
        return;
    }
    for (int i = 0; i < count; ++i) {
        VexoDeviceInfo info{};
        const int infoResult = SdkGetDeviceInfo(i, &info);
        if (infoResult != VEXO_SDK_OK) {
            qDebug() << "SdkGetDeviceInfo" << i << "failed:" << infoResult;
            continue;
        }
        if (!iptool::isGigE(iptool::fieldBytes(info.interfaceText)))
            continue;
        auto block = std::make_unique<GigeDeviceBlock>();
        std::memset(block.get(), 0, sizeof(GigeDeviceBlock));
        const int networkResult = SdkGetNetworkConfig(info.cameraIdentifier, &block->network);
        if (networkResult != VEXO_SDK_OK)
            qDebug() << "SdkGetNetworkConfig" << info.cameraIdentifier << "failed:" << networkResult;
        const int againResult = SdkGetDeviceInfo(i, &block->device);
        if (againResult != VEXO_SDK_OK)
            qDebug() << "SdkGetDeviceInfo" << i << "failed:" << againResult;
        deviceRecords.push_back(std::move(block));
    }
}

void Addrwright::setupTable()
{
    QTableWidget* table = ui->tableWidget;
    table->clear();
    table->setRowCount(0);
    table->setColumnCount(10);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Stretched columns share the table's width whatever their texts need and cut
    // addresses at the initial window size; every column takes its content's width and
    // the last one takes what is left.
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setHorizontalHeaderLabels({tr("设备名称"), tr("接口类型"), tr("sensor版本"), tr("设备驱动"),
                                      tr("物理地址"), tr("IP配置"), tr("IP地址"), tr("子网掩码"),
                                      tr("默认网关"), tr("状态")});
}

void Addrwright::on_listWidget_itemDoubleClicked(QListWidgetItem* item)
{
    setupTable();
    const QString key = item ? item->data(Qt::UserRole).toString() : QString();
    QTableWidget* table = ui->tableWidget;
    for (const auto& block : deviceRecords) {
        const VexoDeviceInfo& device = block->device;
        const VexoNetworkConfig& network = block->network;
        if (!iptool::shownForInterface(key, QString::fromLatin1(iptool::fieldBytes(network.interfaceAddress))))
            continue;
        const iptool::StatusCell status = iptool::deviceStatusCell(device.opened);
        const QStringList texts = {
            QString::fromLocal8Bit(iptool::fieldBytes(device.deviceName)),
            QString::fromLatin1(iptool::fieldBytes(device.interfaceText)),
            QString::fromLatin1(iptool::fieldBytes(device.sensorText)),
            QString::fromLatin1(iptool::fieldBytes(device.editionText)),
            macAddressText(network.macAddress),
            iptool::addressModeText(network.addressMode),
            QString::fromLatin1(iptool::fieldBytes(network.ipAddress)),
            QString::fromLatin1(iptool::fieldBytes(network.subnetMask)),
            QString::fromLatin1(iptool::fieldBytes(network.gateway)),
            status.text,
        };
        const int row = table->rowCount();
        table->insertRow(row);
        for (int column = 0; column < texts.size(); ++column) {
            auto* cell = new QTableWidgetItem(texts.at(column));
            cell->setTextAlignment(Qt::AlignCenter);
            cell->setToolTip(texts.at(column));
            table->setItem(row, column, cell);
        }
        table->item(row, 0)->setData(Qt::UserRole,
                                     QString::fromLatin1(iptool::fieldBytes(device.cameraIdentifier)));
        if (status.background.isValid())
            table->item(row, 9)->setBackground(status.background);
    }
    table->show();
}

void Addrwright::on_pushButton_refresh_clicked()
{
    deviceRecords.clear();
    enumerateDevices();
    ui->listWidget->setCurrentRow(0);
    on_listWidget_itemDoubleClicked(ui->listWidget->item(0));
}

void Addrwright::on_tableWidget_itemClicked(QTableWidgetItem* item)
{
    if (!item)
        return;
    const QTableWidgetItem* first = ui->tableWidget->item(item->row(), 0);
    if (!first)
        return;
    const QString identifier = first->data(Qt::UserRole).toString();
    for (const auto& block : deviceRecords) {
        if (QString::fromLatin1(iptool::fieldBytes(block->device.cameraIdentifier)) == identifier) {
            ui->lineEdit_deviceName->setText(QString::fromLocal8Bit(iptool::fieldBytes(block->device.deviceName)));
            return;
        }
    }
}

void Addrwright::on_pushButton_modifyIP_clicked()
{
    openIpDialog(ui->tableWidget->currentRow());
}

void Addrwright::on_tableWidget_itemDoubleClicked(QTableWidgetItem* item)
{
    openIpDialog(item ? item->row() : -1);
}

void Addrwright::openIpDialog(int row)
{
    const QTableWidgetItem* first = row >= 0 ? ui->tableWidget->item(row, 0) : nullptr;
    if (!first) {
        suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("请选择相机"), tr("确定"));
        return;
    }
    auto* dialog = new ipModify(first->data(Qt::UserRole).toString());
    connect(dialog, SIGNAL(modifySucces()), this, SLOT(on_pushButton_refresh_clicked()));
    dialog->show();
}

void Addrwright::on_pushButton_clicked()
{
    const int row = ui->tableWidget->currentRow();
    const QTableWidgetItem* first = row >= 0 ? ui->tableWidget->item(row, 0) : nullptr;
    if (!first) {
        QMessageBox::critical(nullptr, tr("提示"), tr("请选择设备"));
        return;
    }
    const QByteArray identifier = first->data(Qt::UserRole).toString().toLocal8Bit();
    int handle = 0;
    const int openResult = SdkOpenCamera(&handle, identifier.constData());
    if (openResult != VEXO_SDK_OK) {
        qWarning() << "SdkOpenCamera" << identifier << "failed:" << openResult;
        suite::showMessage(QMessageBox::Critical, nullptr, tr("提示"), tr("相机打开失败，无法修改名称"), tr("确定"));
        return;
    }
    const QByteArray name = ui->lineEdit_deviceName->text().toLocal8Bit();
    const int result = SdkSetDeviceNickname(handle, name.constData());
    // The camera is closed before the message so it is not held open while the box waits.
    const int closeResult = SdkCloseCamera(handle);
    if (closeResult != VEXO_SDK_OK)
        qWarning() << "SdkCloseCamera failed:" << closeResult;
    if (result == VEXO_SDK_OK) {
        QMessageBox::about(nullptr, tr("提示"), tr("修改名称成功"));
    } else {
        qWarning() << "SdkSetDeviceNickname failed:" << result;
        suite::showMessage(QMessageBox::Critical, nullptr, tr("提示"), tr("修改名称失败"), tr("确定"));
    }
}
