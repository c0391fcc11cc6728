#pragma once
#include <QWidget>

#include <memory>
#include <vector>

#include "IpToolLogic.h"

namespace Ui {
class Addrwright;
}
class QListWidgetItem;
class QTableWidgetItem;

// Main window of the IP configuration tool: the PC's network interfaces on the left, the
// GigE cameras with their network settings on the right; renames a camera and opens the
// address dialog for one.
class Addrwright : public QWidget {
    Q_OBJECT
public:
    explicit Addrwright(QWidget* parent = nullptr);
    ~Addrwright() override;

private slots:
    void on_pushButton_modifyIP_clicked();
    void on_listWidget_itemDoubleClicked(QListWidgetItem* item);
    void on_pushButton_refresh_clicked();
    void on_tableWidget_itemDoubleClicked(QTableWidgetItem* item);
    void on_pushButton_clicked();
    void on_tableWidget_itemClicked(QTableWidgetItem* item);

private:
    void buildInterfaceList();
    void enumerateDevices();
    void setupTable();
    void openIpDialog(int row);

    std::unique_ptr<Ui::Addrwright> ui;
    std::vector<std::unique_ptr<iptool::GigeDeviceBlock>> deviceRecords;
};
