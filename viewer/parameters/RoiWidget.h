#pragma once
#include <QPoint>
#include <QWidget>

#include "RoiLogic.h"
#include "VexoCameraRecords.h"

namespace Ui {
class RoiWidget;
}

// The region-of-interest dialog: one still frame of the camera in a fixed preview, a red
// rectangle the user drags, resizes or snaps to a preset position, its read-out in sensor
// pixels, and "确定" to make that region the camera's custom resolution.
// A top-level window that deletes itself when closed. The opener sets `camera`, shows the
// dialog and then calls on_pushButton_refresh_clicked().
class RoiWidget : public QWidget {
    Q_OBJECT
public:
    explicit RoiWidget(QWidget* parent = nullptr);
    ~RoiWidget() override;

    int camera = 0;  // camera handle, set by the opener before show

signals:
    // The camera took a region or preset from the dialog; whoever shows its resolution
    // reads it again.
    void resolutionChanged(int camera);

public slots:
    void on_pushButton_refresh_clicked();

private slots:
    void on_pushButton_LeftTop_clicked();
    void on_pushButton_max_clicked();
    void on_pushButton_LeftBottom_clicked();
    void on_pushButton_RightTop_clicked();
    void on_pushButton_RightBottom_clicked();
    void on_pushButton_center_clicked();
    void on_pushButton_setup_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool grabPreview();
    void placeRectangle(roilogic::PresetPosition preset);
    void updateReadOut();

    Ui::RoiWidget* ui;
    double scaleX = 1.0;  // sensor pixels per preview pixel
    double scaleY = 1.0;
    int edgeMargin = 20;
    int dragZone = roilogic::kZoneNone;
    QPoint lastCursor;
    VexoCapabilities capabilities{};
    // The sensor area the preview shows; read-out and region are taken through it.
    roilogic::SensorView view;
};
