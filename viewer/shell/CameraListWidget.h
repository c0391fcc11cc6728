#pragma once
#include <QString>
#include <QWidget>

class QTableWidgetItem;

namespace Ui {
class CameraListWidget;
}

// Top-level dialog listing every camera the library reports. The user picks one by
// double-clicking its row or with the open button; the dialog hands the camera
// identifier to whoever listens and closes (it deletes itself when closed).
class CameraListWidget : public QWidget {
    Q_OBJECT
public:
    explicit CameraListWidget(QWidget* parent = nullptr);
    ~CameraListWidget() override;

signals:
    void cameraWidget_open(const QString cameraSn);

private slots:
    void on_pushButton_refresh_clicked();
    void on_pushButton_open_clicked();
    void openCameraByTableWidgetItem(QTableWidgetItem* item);

private:
    void scan();
    void openRow(int row);

    Ui::CameraListWidget* ui;
};
