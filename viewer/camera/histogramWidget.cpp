#include "histogramWidget.h"

#include <QCheckBox>
#include <QCursor>
#include <QEvent>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QSignalBlocker>
#include <QTimer>

#include "ui_histogramWidget.h"

namespace {

constexpr int kReadoutPollMs = 100;
constexpr int kAxisX = 54;
constexpr int kAxisY = 50;
constexpr int kAxisRight = 566;
constexpr int kAxisTop = 250;
constexpr int kCheckColumnWidth = 30;
constexpr int kValueColumnWidth = 113;
const QColor kChannelColours[histogramlogic::kChannels] = {
    QColor(255, 0, 0, 80), QColor(0, 255, 0, 80), QColor(0, 74, 255, 80)};
const QColor kReadoutLine(102, 127, 187);
const QColor kReadoutFill(242, 211, 160, 100);

// Text items carry the view's flip once more, so they read upright.
QTransform upright()
{
    return QTransform::fromScale(1, -1);
}

}  // namespace

// The bars of one channel: one 2-unit wide bar per level from the x axis up, as a
// 2-pixel line with square caps would draw it. One item per channel keeps a frame's
// redraw to three items instead of 768.
class ChannelBars : public QGraphicsItem {
public:
    explicit ChannelBars(const QColor& colour) : colour(colour) {}

    void setHeights(const histogramlogic::ChannelCounts& counts, int maximumCount)
    {
        for (int level = 0; level < histogramlogic::kLevels; ++level)
            heights[size_t(level)] = histogramlogic::barHeight(counts[size_t(level)], maximumCount);
        update();
    }

    QRectF boundingRect() const override
    {
        return QRectF(kAxisX - 1, kAxisY - 1, 2 * histogramlogic::kLevels + 2,
                      histogramlogic::kChartHeight + 2);
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        for (int level = 0; level < histogramlogic::kLevels; ++level) {
            const int height = heights[size_t(level)];
            if (height > 0)
                painter->fillRect(QRectF(kAxisX + 2 * level - 1, kAxisY - 1, 2, height + 2),
                                  colour);
        }
    }

private:
    QColor colour;
    std::array<int, histogramlogic::kLevels> heights{};
};

histogramWidget::histogramWidget(int cameraHandle, QWidget* parent)
    : QWidget(parent), ui(new Ui::histogramWidget), handle(cameraHandle)
{
    ui->setupUi(this);
    formTitle = windowTitle();
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(785, 440);

    chartScene = new QGraphicsScene(this);
    chartScene->setItemIndexMethod(QGraphicsScene::NoIndex);
    const QSize view = ui->graphicsView->size();
    chartScene->setSceneRect(1, 1, view.width() - 1, view.height() - 1);
    ui->graphicsView->setScene(chartScene);
    ui->graphicsView->setTransform(QTransform::fromScale(1, -1));  // scene y grows upward
    drawStaticFrame();
    for (int c = 0; c < histogramlogic::kChannels; ++c) {
        bars[size_t(c)] = new ChannelBars(kChannelColours[c]);
        chartScene->addItem(bars[size_t(c)]);
    }
    for (int k = 1; k <= 4; ++k) {
        QGraphicsSimpleTextItem* label = chartScene->addSimpleText(QString());
        label->setTransform(upright());
        label->setPos(1, 60 + 50 * k);
        yLabels[size_t(k - 1)] = label;
    }

    overlayScene = new QGraphicsScene(this);
    const QSize overlay = ui->graphicsView_info->size();
    overlayScene->setSceneRect(0, 0, overlay.width(), overlay.height());
    ui->graphicsView_info->setScene(overlayScene);
    ui->graphicsView_info->installEventFilter(this);

    buildTable();

    readoutTimer = new QTimer(this);
    connect(readoutTimer, &QTimer::timeout, this, &histogramWidget::updateReadout);
    readoutTimer->start(kReadoutPollMs);
}

histogramWidget::~histogramWidget()
{
    readoutTimer->stop();
    delete ui;
}

void histogramWidget::buildTable()
{
    QTableWidget* table = ui->tableWidget;
    table->setColumnCount(6);
    table->setRowCount(histogramlogic::kChannels);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setMinimumSectionSize(kCheckColumnWidth);
    table->setColumnWidth(0, kCheckColumnWidth);
    for (int column = 1; column < 6; ++column)
        table->setColumnWidth(column, kValueColumnWidth);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);

    for (int row = 0; row < histogramlogic::kChannels; ++row) {
        auto* holder = new QWidget(table);
        auto* layout = new QHBoxLayout(holder);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setAlignment(Qt::AlignCenter);
        auto* box = new QCheckBox(holder);
        box->setChecked(true);
        layout->addWidget(box);
        table->setCellWidget(row, 0, holder);
        channelBoxes[size_t(row)] = box;
        connect(box, &QCheckBox::toggled, this,
                [bar = bars[size_t(row)]](bool on) { bar->setVisible(on); });

        for (int column = 1; column < 6; ++column) {
            auto* item = new QTableWidgetItem(column == 1 ? QString() : QStringLiteral("0"));
            item->setTextAlignment(Qt::AlignCenter);
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            table->setItem(row, column, item);
            if (column > 1)
                statisticCells[size_t(row)][size_t(column - 2)] = item;
        }
    }
    setTableTexts();
}

void histogramWidget::setTableTexts()
{
    QTableWidget* table = ui->tableWidget;
    table->setHorizontalHeaderLabels(
        {QStringLiteral("  "), tr("通道"), tr("最小值"), tr("最大值"), tr("平均值"), tr("标准差")});
    const QString names[histogramlogic::kChannels] = {tr("红色"), tr("绿色"), tr("蓝色")};
    for (int row = 0; row < histogramlogic::kChannels; ++row)
        table->item(row, 1)->setText(names[row]);
}

void histogramWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        const bool titleFromForm = windowTitle() == formTitle;
        const QString title = windowTitle();
        ui->retranslateUi(this);
        formTitle = windowTitle();
        if (!titleFromForm)
            setWindowTitle(title);
        setTableTexts();
    }
    QWidget::changeEvent(event);
}

void histogramWidget::drawStaticFrame()
{
    const QPen pen;
    chartScene->addLine(kAxisX, kAxisY, kAxisRight, kAxisY, pen);
    chartScene->addLine(kAxisX, kAxisY, kAxisX, kAxisTop, pen);
    for (int k = 0; k <= 5; ++k) {
        QGraphicsSimpleTextItem* label = chartScene->addSimpleText(QString::number(50 * k));
        label->setTransform(upright());
        label->setPos(46 + 100 * k, kAxisY);
        xLabels[size_t(k)] = label;
    }
    for (int k = 0; k <= 4; ++k)
        chartScene->addLine(156 + 100 * k, kAxisY, 156 + 100 * k, kAxisY + 5, pen);
    QPen dotted;
    dotted.setStyle(Qt::DotLine);
    for (int y = 100; y <= kAxisTop; y += 50) {
        chartScene->addLine(kAxisX, y, kAxisX + 6, y, pen);
        chartScene->addLine(kAxisX + 6, y, kAxisRight, y, dotted);
    }
}

void histogramWidget::dealtData(QImage image)
{
    if (nextFrameCounted) {
        nextFrameCounted = false;  // counted in the camera's own levels already
        return;
    }
    // An empty frame keeps what the last one showed.
    if (!histogramlogic::countLevels(image, frameLevels))
        return;
    setLevelBits(8);
    for (int c = 0; c < histogramlogic::kChannels; ++c)
        showStatistics(c, histogramlogic::channelStatistics(frameLevels.counts[size_t(c)],
                                                            frameLevels.pixels));
    updateChart();
}

void histogramWidget::dealtNativeData(QImage grey16, int bits)
{
    histogramlogic::ChannelStatistics s;
    if (!histogramlogic::countNativeLevels(grey16, bits, frameLevels, s))
        return;
    nextFrameCounted = true;
    setLevelBits(bits);
    for (int c = 0; c < histogramlogic::kChannels; ++c)
        showStatistics(c, s);
    updateChart();
}

void histogramWidget::showStatistics(int channel, const histogramlogic::ChannelStatistics& s)
{
    auto& cells = statisticCells[size_t(channel)];
    cells[0]->setText(QString::number(s.minimum));
    cells[1]->setText(QString::number(s.maximum));
    cells[2]->setText(QString::number(s.mean));
    cells[3]->setText(histogramlogic::deviationText(s.deviation));
}

void histogramWidget::setLevelBits(int bits)
{
    if (bits == levelBits)
        return;
    // The read-out's spin box counts in camera levels too, a bar a step, and keeps its bar.
    const int bar = histogramlogic::barOfLevel(ui->spinBox_x->value(), levelBits);
    levelBits = bits;
    for (int k = 0; k <= 5; ++k)
        xLabels[size_t(k)]->setText(QString::number(histogramlogic::nativeLevel(50 * k, bits)));
    QSignalBlocker quiet(ui->spinBox_x);
    ui->spinBox_x->setRange(histogramlogic::nativeLevel(1, bits),
                            histogramlogic::nativeLevel(256, bits) - 1);
    ui->spinBox_x->setSingleStep(histogramlogic::nativeLevel(1, bits));
    ui->spinBox_x->setValue(histogramlogic::nativeLevel(bar, bits));
}

void histogramWidget::updateChart()
{
    for (int k = 1; k <= 4; ++k)
        yLabels[size_t(k - 1)]->setText(
            QString::number(histogramlogic::yAxisLabel(frameLevels.maximumCount, k)));
    for (int c = 0; c < histogramlogic::kChannels; ++c)
        bars[size_t(c)]->setHeights(frameLevels.counts[size_t(c)], frameLevels.maximumCount);
}

void histogramWidget::updateReadout()
{
    const int level = histogramlogic::barOfLevel(ui->spinBox_x->value(), levelBits);
    ui->label_red->setText(QString::number(frameLevels.counts[0][size_t(level)]));
    ui->label_green->setText(QString::number(frameLevels.counts[1][size_t(level)]));
    ui->label_blue->setText(QString::number(frameLevels.counts[2][size_t(level)]));

    QWidget* overlay = ui->graphicsView_info;
    const QPoint inChart = ui->graphicsView->mapFromGlobal(QCursor::pos());
    if (!overlay->geometry().contains(inChart))
        return;
    clearOverlay();
    const int x = overlay->mapFromGlobal(QCursor::pos()).x();
    const QPen pen(kReadoutLine, 1);
    overlayScene->addLine(x, 0, x, 250, pen);
    const QPoint box = histogramlogic::readoutBoxOrigin(x, overlay->width());
    overlayScene->addRect(box.x(), box.y(), 80, 60, pen, kReadoutFill);
    const int at = histogramlogic::levelAt(x);
    const QString lines[4] = {tr("X轴:%1").arg(histogramlogic::nativeLevel(at, levelBits)),
                              tr("红色:%1").arg(frameLevels.counts[0][size_t(at)]),
                              tr("绿色:%1").arg(frameLevels.counts[1][size_t(at)]),
                              tr("蓝色:%1").arg(frameLevels.counts[2][size_t(at)])};
    const int offsets[4] = {1, 15, 30, 45};
    QFont readoutFont = font();
    readoutFont.setPixelSize(12);  // four lines in the 60-unit box
    for (int i = 0; i < 4; ++i) {
        QGraphicsSimpleTextItem* text = overlayScene->addSimpleText(lines[i], readoutFont);
        text->setPos(box.x(), box.y() + offsets[i]);
    }
}

void histogramWidget::clearOverlay()
{
    overlayScene->clear();
}

bool histogramWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->graphicsView_info && event->type() == QEvent::Leave)
        clearOverlay();
    return QWidget::eventFilter(watched, event);
}
