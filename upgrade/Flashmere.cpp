#include "Flashmere.h"

#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QTableWidgetItem>

#include "CbUpdateCamera.h"
#include "SuiteEnvironment.h"
#include "SuiteMessages.h"
#include "UpgradeLogic.h"
#include "VexoCameraApi.h"
#include "DeviceText.h"
#include "ui_Flashmere.h"


Flashmere::Flashmere(QWidget* parent) : QWidget(parent), ui(new Ui::Flashmere)
{
    ui->setupUi(this);
    suite::installToolLanguage(this, QStringLiteral("Flashmere"));
    // The form was built before the translation was installed.
    ui->retranslateUi(this);

    QTableWidget* table = ui->tableWidget;
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    on_pushButton_clicked();
}

Flashmere::~Flashmere()
{
    if (worker) {
        // No result box any more, but the upgrade is allowed to finish and the camera
        // is closed.
        disconnect(worker, nullptr, this, nullptr);
        releaseWorker();
    }
}

void Flashmere::closeEvent(QCloseEvent* event)
{
    if (worker) {
        suite::showMessage(QMessageBox::Information, this, tr("提示"), tr("固件升级正在进行，请等待升级结束后再关闭"),
                           tr("确定"));
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void Flashmere::on_pushButton_clicked()
{
    QTableWidget* table = ui->tableWidget;
    table->clear();
    table->setColumnCount(7);
    table->setHorizontalHeaderLabels(
        {tr("设备名称"), tr("设备类型"), tr("产品系列"), tr("产品名称"), tr("sensor版本"), tr("软件版本"), tr("状态")});

    int count = 0;
    const int result = SdkEnumerateDevices(&count);
    if (result != VEXO_SDK_OK) {
        qWarning() << "SdkEnumerateDevices failed:" << result;
        count = 0;
    }
    table->setRowCount(count);
    for (int i = 0; i < count; ++i) {
        VexoDeviceInfo info{};
        const int infoResult = SdkGetDeviceInfo(i, &info);
        if (infoResult != VEXO_SDK_OK)
            qWarning() << "SdkGetDeviceInfo" << i << "failed:" << infoResult;
        const upgradetool::StatusCell status = upgradetool::cameraStatusCell(info.opened);
        const QStringList texts = {recordText(info.deviceName),
                                   recordText(info.interfaceText),
                                   recordText(info.productSeries),
                                   recordText(info.productName),
                                   recordText(info.sensorText),
                                   firmwareVersionText(info.firmwareVersion),
                                   status.text};
        for (int column = 0; column < texts.size(); ++column) {
            auto* cell = new QTableWidgetItem(texts.at(column));
            cell->setTextAlignment(Qt::AlignCenter);
            table->setItem(i, column, cell);
        }
        QTableWidgetItem* statusItem = table->item(i, 6);
        statusItem->setData(Qt::UserRole, recordText(info.cameraIdentifier));
        if (status.background.isValid())
            statusItem->setBackground(status.background);
    }
    table->show();
}

QString Flashmere::chooseUpgradeFile()
{
#ifdef Q_OS_WIN
    const QString startFolder = QStringLiteral("D:");
#else
    const QString startFolder = QDir::homePath();
#endif
    return QFileDialog::getOpenFileName(this, tr("打开"), startFolder, upgradetool::upgradeFileFilter());
}

void Flashmere::on_pushButton_open_clicked()
{
    const QString path = chooseUpgradeFile();
    if (!path.isEmpty())
        ui->lineEdit_path->setText(path);
}

void Flashmere::on_pushButton_upgrade_clicked()
{
    if (ui->lineEdit_path->text().isEmpty()) {
        suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("请选择相机升级文件路径"), tr("确定"));
        const QString path = chooseUpgradeFile();
        if (!path.isEmpty())
            ui->lineEdit_path->setText(path);
        return;
    }
    const QModelIndexList rows = ui->tableWidget->selectionModel()->selectedRows();
    if (rows.isEmpty() || worker)
        return;
    const QTableWidgetItem* statusItem = ui->tableWidget->item(rows.first().row(), 6);
    if (!statusItem)
        return;

    ui->widget->setEnabled(false);
    worker = new CbUpdateCamera(statusItem->data(Qt::UserRole).toString(), ui->lineEdit_path->text(), this);
    // The library reports progress from its own threads; both signals are queued to us.
    connect(worker, SIGNAL(SendStatus(int)), this, SLOT(SendStatus(int)), Qt::QueuedConnection);
    connect(worker, SIGNAL(SendRes(int)), this, SLOT(SendRes(int)), Qt::QueuedConnection);
    worker->start(QThread::InheritPriority);
}

void Flashmere::SendStatus(int percent)
{
    ui->progressBar->setValue(percent);
}

void Flashmere::SendRes(int result)
{
    const upgradetool::ResultMessage message = upgradetool::upgradeResultMessage(result);
    if (message.shown)
        suite::showMessage(message.icon, this, tr("提示"), message.text, tr("确定"));
    else
        qWarning() << "firmware upgrade ended with" << result;
    releaseWorker();
    ui->widget->setEnabled(true);
}

void Flashmere::releaseWorker()
{
    if (!worker)
        return;
    // SendRes is emitted at the very end of run(), but the thread may not have returned yet.
    worker->wait();
    const int handle = worker->cameraHandle();
    if (handle != 0) {
        const int result = SdkCloseCamera(handle);
        if (result != VEXO_SDK_OK)
            qWarning() << "SdkCloseCamera failed:" << result;
    }
    delete worker.data();
}
