#include "CameraListWidget.h"

#include <QColor>
#include <QDebug>
#include <QHeaderView>
#include <QTableWidgetItem>

#include "DeviceText.h"
#include "VexoCameraApi.h"
#include "ui_CameraListWidget.h"

namespace {

enum Column { kNameColumn, kInterfaceColumn, kSensorColumn, kFirmwareColumn, kStatusColumn, kColumnCount };

QTableWidgetItem* centredItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

}  // namespace

CameraListWidget::CameraListWidget(QWidget* parent) : QWidget(parent), ui(new Ui::CameraListWidget)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose, true);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowFlags(Qt::WindowCloseButtonHint);

    ui->tableWidget->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui->tableWidget->setSelectionMode(QAbstractItemView::SingleSelection);
    ui->tableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->tableWidget->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    connect(ui->tableWidget, SIGNAL(itemDoubleClicked(QTableWidgetItem*)), this,
            SLOT(openCameraByTableWidgetItem(QTableWidgetItem*)));
    scan();
}

CameraListWidget::~CameraListWidget()
{
    delete ui;
}

void CameraListWidget::scan()
{
    QTableWidget* table = ui->tableWidget;
    table->clear();
    table->setRowCount(0);
    table->setColumnCount(kColumnCount);
    table->setHorizontalHeaderLabels({tr("设备名称"), tr("接口类型"), tr("sensor版本"), tr("设备版本"), tr("状态")});
    table->horizontalHeader()->setSectionResizeMode(kNameColumn, QHeaderView::Interactive);

    int count = 0;
    const int result = SdkEnumerateDevices(&count);
    if (result != 0) {
        qWarning() << "SdkEnumerateDevices failed:" << result;
        return;
    }
    table->setRowCount(qMax(count, 0));
    for (int row = 0; row < count; ++row) {
        VexoDeviceInfo info{};
        const int infoResult = SdkGetDeviceInfo(row, &info);
        if (infoResult != 0) {
            // The camera went away since the enumeration: its row stays empty.
            qWarning() << "SdkGetDeviceInfo failed for index" << row << ":" << infoResult;
            continue;
        }
        QTableWidgetItem* name = centredItem(recordText(info.deviceName));
        name->setData(Qt::UserRole, recordText(info.cameraIdentifier));
        table->setItem(row, kNameColumn, name);
        table->setItem(row, kInterfaceColumn, centredItem(recordText(info.interfaceText)));
        table->setItem(row, kSensorColumn, centredItem(recordText(info.sensorText)));
        table->setItem(row, kFirmwareColumn, centredItem(firmwareVersionText(info.firmwareVersion)));
        QTableWidgetItem* status = centredItem(info.opened != 0 ? tr("已打开") : tr("空闲"));
        if (info.opened == 1)
            status->setBackground(QColor(117, 241, 60));
        table->setItem(row, kStatusColumn, status);
    }
    // Names are the longest texts; the name column is the one the user may resize.
    table->resizeColumnToContents(kNameColumn);
}

void CameraListWidget::openRow(int row)
{
    const QTableWidgetItem* name = ui->tableWidget->item(row, kNameColumn);
    if (!name)
        return;
    emit cameraWidget_open(name->data(Qt::UserRole).toString());
    close();
}

void CameraListWidget::on_pushButton_refresh_clicked()
{
    scan();
}

void CameraListWidget::on_pushButton_open_clicked()
{
    const QList<QTableWidgetItem*> selected = ui->tableWidget->selectedItems();
    if (selected.isEmpty())
        return;
    openRow(selected.first()->row());
}

void CameraListWidget::openCameraByTableWidgetItem(QTableWidgetItem* item)
{
    if (item)
        openRow(item->row());
}
