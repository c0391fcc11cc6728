#pragma once
#include <QImage>
#include <QWidget>
#include <array>

#include "HistogramLogic.h"

namespace Ui {
class histogramWidget;
}
class QCheckBox;
class QGraphicsScene;
class QGraphicsSimpleTextItem;
class QTableWidgetItem;
class QTimer;
class ChannelBars;

// Live red, green and blue histogram of one camera's frames with a statistics table,
// the counts at a chosen level and a read-out under the cursor. A top-level window
// that deletes itself when closed and follows language changes; the camera window hands
// it each frame it shows through dealtData.
class histogramWidget : public QWidget {
    Q_OBJECT
public:
    explicit histogramWidget(int cameraHandle, QWidget* parent = nullptr);
    ~histogramWidget() override;

    int cameraHandle() const { return handle; }
    const histogramlogic::Levels& levels() const { return frameLevels; }

public slots:
    // One frame of 24-bit RGB; used only during the call.
    void dealtData(QImage image);
    // The camera's own values of the frame that dealtData gets next (16-bit grey, see
    // histogramlogic::countNativeLevels): the chart, the table and the read-out then show
    // the camera's levels, and that frame's 8-bit image is not counted again.
    void dealtNativeData(QImage grey16, int bits);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildTable();
    void setTableTexts();
    void drawStaticFrame();
    void updateChart();
    void showStatistics(int channel, const histogramlogic::ChannelStatistics& s);
    // Levels of the x axis and the read-out: 8 for the shown image, or the camera's depth.
    void setLevelBits(int bits);
    void updateReadout();
    void clearOverlay();

    Ui::histogramWidget* ui;
    int handle;
    histogramlogic::Levels frameLevels;
    std::array<QCheckBox*, histogramlogic::kChannels> channelBoxes{};
    std::array<std::array<QTableWidgetItem*, 4>, histogramlogic::kChannels> statisticCells{};
    QGraphicsScene* chartScene = nullptr;
    QGraphicsScene* overlayScene = nullptr;
    std::array<ChannelBars*, histogramlogic::kChannels> bars{};
    std::array<QGraphicsSimpleTextItem*, 4> yLabels{};
    std::array<QGraphicsSimpleTextItem*, 6> xLabels{};
    int levelBits = 8;
    bool nextFrameCounted = false;
    QTimer* readoutTimer = nullptr;
    // The title the form gave; a camera name set by the opener stays on a language change.
    QString formTitle;
};
