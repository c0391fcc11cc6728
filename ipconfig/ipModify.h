#pragma once
#include <QWidget>

#include <memory>

#include "VexoCameraRecords.h"

namespace Ui {
class ipModify;
}
class IPAddress;

// Changes one GigE camera's network settings: DHCP, or a static address with mask and
// gateway. Deletes itself when closed.
class ipModify : public QWidget {
    Q_OBJECT
public:
    explicit ipModify(const QString& cameraId, QWidget* parent = nullptr);
    ~ipModify() override;

signals:
    // The camera took the new settings.
    void modifySucces();

private slots:
    void on_pushButton_close_clicked();
    void on_radioButton_staticIp_clicked();
    void on_radioButton_dynamicIp_clicked();
    void on_pushButton_determine_clicked();
    QString getIpValidRange();

private:
    std::unique_ptr<Ui::ipModify> ui;
    QString cameraId;
    // As the library reported it; replaced only by settings the library accepted.
    VexoNetworkConfig networkConfig;
    IPAddress* ipAddress;
    IPAddress* maskAddress;
    IPAddress* gatewayAddress;
};
