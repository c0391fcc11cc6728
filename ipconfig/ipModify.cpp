#include "ipModify.h"

#include <QDebug>
#include <QFormLayout>
#include <QMessageBox>

#include "IPAddress.h"
#include "IpToolLogic.h"
#include "SuiteMessages.h"
#include "VexoCameraApi.h"
#include "ui_ipModify.h"

ipModify::ipModify(const QString& cameraId, QWidget* parent)
    : QWidget(parent), ui(new Ui::ipModify), cameraId(cameraId)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);

    std::memset(&networkConfig, 0, sizeof networkConfig);
    const int result = SdkGetNetworkConfig(cameraId.toLocal8Bit().constData(), &networkConfig);
    if (result != VEXO_SDK_OK)
        qWarning() << "SdkGetNetworkConfig" << cameraId << "failed:" << result;

    const bool staticAddress = networkConfig.addressMode != 0;
    ui->radioButton_staticIp->setChecked(staticAddress);
    ui->radioButton_dynamicIp->setChecked(!staticAddress);
    ui->widget_Ip->setEnabled(staticAddress);

    ipAddress = new IPAddress(ui->widget_Ip);
    maskAddress = new IPAddress(ui->widget_Ip);
    gatewayAddress = new IPAddress(ui->widget_Ip);
    ipAddress->setObjectName(QStringLiteral("ipAddress"));
    maskAddress->setObjectName(QStringLiteral("maskAddress"));
    gatewayAddress->setObjectName(QStringLiteral("gatewayAddress"));
    auto* form = qobject_cast<QFormLayout*>(ui->widget_Ip->layout());
    form->addRow(tr("IP地址:"), ipAddress);
    form->addRow(tr("子网掩码:"), maskAddress);
    form->addRow(tr("默认网关:"), gatewayAddress);
    ipAddress->setIP(QString::fromLocal8Bit(iptool::fieldBytes(networkConfig.ipAddress)));
    maskAddress->setIP(QString::fromLocal8Bit(iptool::fieldBytes(networkConfig.subnetMask)));
    gatewayAddress->setIP(QString::fromLocal8Bit(iptool::fieldBytes(networkConfig.gateway)));

    ui->label_ipRange->setText(getIpValidRange());
}

ipModify::~ipModify() = default;

QString ipModify::getIpValidRange()
{
    return iptool::ipValidRange(QString::fromLocal8Bit(iptool::fieldBytes(networkConfig.interfaceAddress)),
                                QString::fromLocal8Bit(iptool::fieldBytes(networkConfig.interfaceMask)));
}

void ipModify::on_radioButton_staticIp_clicked()
{
    ui->widget_Ip->setEnabled(true);
}

void ipModify::on_radioButton_dynamicIp_clicked()
{
    ui->widget_Ip->setEnabled(false);
}

void ipModify::on_pushButton_close_clicked()
{
    close();
}

void ipModify::on_pushButton_determine_clicked()
{
    // A refused write must leave the record as read, so the change goes into a copy.
    VexoNetworkConfig wanted = networkConfig;
    if (ui->radioButton_dynamicIp->isChecked()) {
        wanted.addressMode = 0;
    } else {
        iptool::setFieldBytes(wanted.ipAddress, ipAddress->getIP().toLocal8Bit());
        iptool::setFieldBytes(wanted.subnetMask, maskAddress->getIP().toLocal8Bit());
        iptool::setFieldBytes(wanted.gateway, gatewayAddress->getIP().toLocal8Bit());
        wanted.addressMode = 1;
    }
    const int result = SdkSetNetworkConfig(cameraId.toLocal8Bit().constData(), &wanted);
    if (result != VEXO_SDK_OK) {
        qWarning() << "SdkSetNetworkConfig" << cameraId << "failed:" << result;
        suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("修改IP失败"), tr("失败"));
        return;
    }
    networkConfig = wanted;
    suite::showMessage(QMessageBox::Information, this, tr("提示"), tr("修改IP成功。"), tr("确定"));
    emit modifySucces();
    close();
}
