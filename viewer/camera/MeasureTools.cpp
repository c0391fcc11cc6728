#include "MeasureTools.h"

#include <QAction>
#include <QFrame>
#include <QGraphicsView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <cmath>

#include "CustomGraphicsScene.h"
#include "FrameImageItem.h"
#include "MeasureWorker.h"
#include "ProfilePlot.h"

namespace {

const QColor kRegionColour(255, 220, 0);
const QColor kLineColour(0, 230, 255);

QString level(double value)
{
    return QString::number(value, 'f', 1);
}

QString percent(double share)
{
    return QString::number(share * 100.0, 'f', 2);
}

QString sharpnessText(double value)
{
    return QString::number(value, 'f', value < 100 ? 2 : 0);
}

}  // namespace

MeasureTools::MeasureTools(QGraphicsView* imageView, CustomGraphicsScene* imageScene,
                           QObject* parent)
    : QObject(parent), view(imageView), scene(imageScene)
{
    setObjectName(QStringLiteral("measureTools"));
    toolMenu = new QMenu(view);
    toolMenu->setObjectName(QStringLiteral("menu_measure"));
    for (int i = 0; i < kToolCount; ++i) {
        auto* toolAction = new QAction(this);
        toolAction->setCheckable(true);
        actions[i] = toolAction;
        toolMenu->addAction(toolAction);
        const Tool tool = Tool(i);
        connect(toolAction, &QAction::toggled, this,
                [this, tool](bool on) { toolToggled(tool, on); });
    }
    toolMenu->addSeparator();
    resetPeakAction = toolMenu->addAction(QString(), this, &MeasureTools::resetPeak);
    clearShapesAction = toolMenu->addAction(QString(), this, [this]() {
        regionRect = QRect();
        lineSegment = QLineF();
        last.hasStatistics = false;
        last.hasProfile = false;
        ++generation;
        updateOutlines();
        updatePanel();
    });

    panel = new QFrame(view);
    panel->setObjectName(QStringLiteral("widget_measure"));
    // Opaque, so that the frames painted beneath every few milliseconds do not make the
    // panel repaint with them.
    panel->setStyleSheet(
        QStringLiteral("QFrame#widget_measure{background-color: rgb(24, 24, 26);}"
                       " QLabel{color: rgb(235, 235, 235); font-family: monospace;}"));
    panel->setAutoFillBackground(true);
    // The panel only shows numbers: drags over it still reach the image beneath.
    panel->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
    const auto addLabel = [&](const char* name) {
        auto* label = new QLabel(panel);
        label->setObjectName(QString::fromLatin1(name));
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label);
        return label;
    };
    pixelLabel = addLabel("label_measurePixel");
    statisticsLabel = addLabel("label_measureStatistics");
    focusLabel = addLabel("label_measureFocus");
    clippingLabel = addLabel("label_measureClipping");
    profileLabel = addLabel("label_measureProfile");
    plot = new ProfilePlot(panel);
    plot->setObjectName(QStringLiteral("widget_measureProfile"));
    layout->addWidget(plot);
    panel->move(6, 6);
    panel->hide();
    // The read-out follows the pointer without a button held.
    view->viewport()->setMouseTracking(true);

    retranslate();
}

MeasureTools::~MeasureTools() = default;

void MeasureTools::retranslate()
{
    const char* const texts[kToolCount] = {QT_TR_NOOP("像素读数"), QT_TR_NOOP("区域统计"),
                                           QT_TR_NOOP("线轮廓"),   QT_TR_NOOP("过曝/欠曝标记"),
                                           QT_TR_NOOP("对焦评分"), QT_TR_NOOP("峰值对焦")};
    for (int i = 0; i < kToolCount; ++i)
        actions[i]->setText(tr(texts[i]));
    resetPeakAction->setText(tr("重置对焦峰值"));
    clearShapesAction->setText(tr("清除区域和线"));
    toolMenu->setTitle(tr("测量"));
    showReading();
    updatePanel();
}

bool MeasureTools::isOn(Tool tool) const
{
    return actions[int(tool)]->isChecked();
}

void MeasureTools::setOn(Tool tool, bool on)
{
    actions[int(tool)]->setChecked(on);
}

bool MeasureTools::anyOn() const
{
    for (QAction* a : actions) {
        if (a->isChecked())
            return true;
    }
    return false;
}

bool MeasureTools::needsWorker() const
{
    return (isOn(Tool::RegionStatistics) && !regionRect.isEmpty()) ||
           (isOn(Tool::LineProfile) && !lineSegment.isNull()) || isOn(Tool::Clipping) ||
           isOn(Tool::FocusScore) || isOn(Tool::FocusPeaking);
}

void MeasureTools::setMonochrome(bool monochrome)
{
    mono = monochrome;
    showReading();
    updatePanel();
}

void MeasureTools::toolToggled(Tool tool, bool on)
{
    if (tool == Tool::PixelReadout) {
        if (!on)
            setNativeFrame(QImage(), 0);
        emit nativeFramesWanted(on);
    }
    if (tool == Tool::RegionStatistics || tool == Tool::LineProfile) {
        // The tool turned on last draws; turning it off hands drags to the other.
        if (on)
            dragShape = tool == Tool::RegionStatistics ? Shape::Region : Shape::Line;
        else if (isOn(Tool::RegionStatistics))
            dragShape = Shape::Region;
        else if (isOn(Tool::LineProfile))
            dragShape = Shape::Line;
        else
            dragShape = Shape::None;
        if (!on)
            drawing = false;
    }
    // The score of another area is on another scale.
    if ((tool == Tool::FocusScore && on) || tool == Tool::RegionStatistics)
        peak.reset();
    if (!on) {
        // Numbers and marks of a tool that is off go at once, not at the next result.
        ++generation;
        if (tool == Tool::Clipping || tool == Tool::FocusPeaking) {
            if (!isOn(Tool::Clipping) && !isOn(Tool::FocusPeaking))
                last.overlay = QImage();
        }
    }
    ensureWorker();
    showResults();
}

void MeasureTools::ensureWorker()
{
    if (!needsWorker() || worker)
        return;
    worker = new MeasureWorker(this);
    connect(worker, &MeasureWorker::measured, this, &MeasureTools::takeResults,
            Qt::QueuedConnection);
}

void MeasureTools::clear()
{
    ++generation;
    hasFrame = false;
    frameSize = QSize();
    regionRect = QRect();
    lineSegment = QLineF();
    drawing = false;
    cursorInside = false;
    reading = measurelogic::PixelReading();
    last = measurelogic::Results();
    peak.reset();
    scene->setToolOverlay(QImage(), QRectF(), {});
    showReading();
    updatePanel();
}

void MeasureTools::resetPeak()
{
    peak.reset();
    if (last.hasSharpness)
        peak.add(last.sharpness);
    updatePanel();
}

QRect MeasureTools::visibleArea() const
{
    const QRect visible = view->mapToScene(view->viewport()->rect()).boundingRect().toAlignedRect();
    return visible.intersected(QRect(QPoint(0, 0), frameSize));
}

measurelogic::Request MeasureTools::request() const
{
    measurelogic::Request r;
    r.tag = generation;
    const bool regionSet = isOn(Tool::RegionStatistics) && !regionRect.isEmpty();
    r.statistics = regionSet;
    r.region = regionRect;
    r.sharpness = isOn(Tool::FocusScore);
    r.sharpnessArea = regionSet ? regionRect : visibleArea();
    r.clipping = isOn(Tool::Clipping);
    r.peaking = isOn(Tool::FocusPeaking);
    r.profile = isOn(Tool::LineProfile) && !lineSegment.isNull();
    r.line = lineSegment;
    const double viewScale = view->transform().m11();
    // At most one mark pixel per screen pixel: no mark is skipped, and the view blends no
    // more mark pixels than it shows.
    r.markScale = viewScale > 0 && viewScale < 1 ? int(std::ceil(1.0 / viewScale - 1e-6)) : 1;
    return r;
}

void MeasureTools::frameShown(const QImage& frame)
{
    hasFrame = true;
    if (!anyOn()) {
        frameSize = frame.size();
        return;
    }
    if (frame.size() != frameSize) {
        frameSize = frame.size();
        regionRect = measurelogic::keepRegion(regionRect, frameSize);
        if (!lineSegment.isNull())
            lineSegment = measurelogic::lineFromDrag(lineSegment.p1(), lineSegment.p2(), frameSize);
        updateOutlines();
    }
    if (isOn(Tool::PixelReadout) && cursorInside) {
        reading = measurelogic::readPixel(frame, cursorScene);
        measurelogic::addRawValue(reading, nativeFrame, nativeBits);
        showReading();
    }
    if (!needsWorker() || !worker)
        return;
    if (sinceOffer.isValid() && sinceOffer.elapsed() < kMeasureIntervalMs)
        return;
    if (worker->offer(frame, request()))
        sinceOffer.start();
}

void MeasureTools::takeResults(const measurelogic::Results& results)
{
    if (results.tag != generation || !hasFrame)
        return;  // asked for before a tool, the region or the camera changed
    last = results;
    ++received;
    if (last.hasSharpness)
        peak.add(last.sharpness);
    showResults();
}

void MeasureTools::showResults()
{
    updateOutlines();
    if (isOn(Tool::LineProfile))
        plot->setProfile(last.hasProfile ? last.profile : measurelogic::Profile(), mono);
    updatePanel();
}

void MeasureTools::readUnderCursor()
{
    // Between frames the value comes from the frame on screen, one pixel of it.
    FrameImageItem* frameItem = nullptr;
    for (QGraphicsItem* item : scene->items()) {
        if ((frameItem = qgraphicsitem_cast<FrameImageItem*>(item)))
            break;
    }
    if (!hasFrame || !frameItem) {
        reading = measurelogic::PixelReading();
        return;
    }
    const QPoint pixel = measurelogic::pixelAt(cursorScene);
    if (!QRect(QPoint(0, 0), frameItem->size()).contains(pixel)) {
        reading = measurelogic::PixelReading();
        return;
    }
    const QImage one = frameItem->image().copy(QRect(pixel, QSize(1, 1)));
    reading = measurelogic::readPixel(one, QPointF(0.5, 0.5));
    reading.position = pixel;
    measurelogic::addRawValue(reading, nativeFrame, nativeBits);
}

void MeasureTools::setNativeFrame(const QImage& grey16, int bits)
{
    // Kept (shared, not copied) for the read-out between frames.
    nativeFrame = wantsNativeFrames() ? grey16 : QImage();
    nativeBits = nativeFrame.isNull() ? 0 : bits;
}

bool MeasureTools::wantsNativeFrames() const
{
    return isOn(Tool::PixelReadout);
}

void MeasureTools::viewportEvent(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Leave) {
        cursorInside = false;
        reading = measurelogic::PixelReading();
        showReading();
        return;
    }
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress &&
        type != QEvent::MouseButtonRelease)
        return;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPointF point = view->mapToScene(mouse->pos());
    cursorScene = point;
    cursorInside = hasFrame && QRectF(QPointF(0, 0), QSizeF(frameSize)).contains(point);
    if (!anyOn())
        return;
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton &&
        dragShape != Shape::None && cursorInside) {
        drawing = true;
        dragStart = dragEnd = point;
    } else if (drawing && type == QEvent::MouseMove) {
        dragEnd = point;
    } else if (drawing && type == QEvent::MouseButtonRelease) {
        dragEnd = point;
        drawing = false;
        if (dragShape == Shape::Region)
            regionRect = measurelogic::regionFromDrag(dragStart, dragEnd, frameSize);
        else
            lineSegment = measurelogic::lineFromDrag(dragStart, dragEnd, frameSize);
        ++generation;
        if (dragShape == Shape::Region)
            peak.reset();  // another area scores on another scale
        ensureWorker();
        sinceOffer.invalidate();  // the next frame is measured for the new shape
    }
    if (drawing || type == QEvent::MouseButtonRelease)
        updateOutlines();
    if (isOn(Tool::PixelReadout)) {
        readUnderCursor();
        showReading();
    }
}

void MeasureTools::updateOutlines()
{
    QVector<windowlogic::OverlayLine> lines;
    const auto addRectangle = [&lines](const QRectF& r) {
        lines.append({QLineF(r.topLeft(), r.topRight()), kRegionColour});
        lines.append({QLineF(r.topRight(), r.bottomRight()), kRegionColour});
        lines.append({QLineF(r.bottomRight(), r.bottomLeft()), kRegionColour});
        lines.append({QLineF(r.bottomLeft(), r.topLeft()), kRegionColour});
    };
    // A region's outline runs along the outer edges of its pixels.
    const auto pixelBounds = [](const QRect& r) {
        return QRectF(r.left(), r.top(), r.width(), r.height());
    };
    if (drawing && dragShape == Shape::Region)
        addRectangle(pixelBounds(measurelogic::regionFromDrag(dragStart, dragEnd, frameSize)));
    else if (isOn(Tool::RegionStatistics) && !regionRect.isEmpty())
        addRectangle(pixelBounds(regionRect));
    if (drawing && dragShape == Shape::Line)
        lines.append({measurelogic::lineFromDrag(dragStart, dragEnd, frameSize), kLineColour});
    else if (isOn(Tool::LineProfile) && !lineSegment.isNull())
        lines.append({lineSegment, kLineColour});
    const bool marking = isOn(Tool::Clipping) || isOn(Tool::FocusPeaking);
    const QRectF area(0, 0, last.overlay.width() * last.markScale,
                      last.overlay.height() * last.markScale);
    scene->setToolOverlay(marking ? last.overlay : QImage(), area, lines);
}

void MeasureTools::showReading()
{
    if (!isOn(Tool::PixelReadout)) {
        pixelLabel->hide();
        return;
    }
    pixelLabel->show();
    if (!reading.valid)
        pixelLabel->setText(tr("像素: 光标不在图像上"));
    else if (mono && reading.rawBits > 0)
        pixelLabel->setText(tr("像素 (%1, %2)  灰度 %3  原始值 %4 (%5 位)")
                                .arg(reading.position.x())
                                .arg(reading.position.y())
                                .arg(reading.grey)
                                .arg(reading.raw)
                                .arg(reading.rawBits));
    else if (mono)
        pixelLabel->setText(tr("像素 (%1, %2)  灰度 %3")
                                .arg(reading.position.x())
                                .arg(reading.position.y())
                                .arg(reading.grey));
    else
        pixelLabel->setText(tr("像素 (%1, %2)  R %3  G %4  B %5")
                                .arg(reading.position.x())
                                .arg(reading.position.y())
                                .arg(reading.red)
                                .arg(reading.green)
                                .arg(reading.blue));
    panel->setVisible(anyOn());
    panel->adjustSize();
}

void MeasureTools::updatePanel()
{
    panel->setVisible(anyOn());
    if (!anyOn())
        return;

    statisticsLabel->setVisible(isOn(Tool::RegionStatistics));
    if (isOn(Tool::RegionStatistics)) {
        if (regionRect.isEmpty()) {
            statisticsLabel->setText(tr("区域统计: 在图像上拖出矩形"));
        } else if (!last.hasStatistics || last.region != regionRect) {
            statisticsLabel->setText(tr("区域 %1×%2 起点 (%3, %4): 等待图像")
                                         .arg(regionRect.width())
                                         .arg(regionRect.height())
                                         .arg(regionRect.left())
                                         .arg(regionRect.top()));
        } else {
            QStringList text;
            text << tr("区域 %1×%2 起点 (%3, %4)  像素数 %5")
                        .arg(regionRect.width())
                        .arg(regionRect.height())
                        .arg(regionRect.left())
                        .arg(regionRect.top())
                        .arg(last.statistics.pixels);
            const QString names[] = {QStringLiteral("R"), QStringLiteral("G"), QStringLiteral("B")};
            const int rows = mono ? 1 : measurelogic::kChannels;
            for (int c = 0; c < rows; ++c) {
                const measurelogic::ChannelStatistics& s = last.statistics.channels[c];
                text << tr("%1  均值 %2  标准差 %3  最小 %4  最大 %5")
                            .arg(mono ? tr("灰度") : names[c])
                            .arg(level(s.mean))
                            .arg(level(s.deviation))
                            .arg(s.minimum)
                            .arg(s.maximum);
            }
            statisticsLabel->setText(text.join(QLatin1Char('\n')));
        }
    }

    focusLabel->setVisible(isOn(Tool::FocusScore));
    if (isOn(Tool::FocusScore)) {
        if (!last.hasSharpness)
            focusLabel->setText(tr("清晰度: 等待图像"));
        else
            focusLabel->setText(
                (isOn(Tool::RegionStatistics) && !regionRect.isEmpty()
                     ? tr("清晰度（区域）: %1  峰值: %2")
                     : tr("清晰度（视图）: %1  峰值: %2"))
                    .arg(sharpnessText(last.sharpness), sharpnessText(peak.peak())));
    }

    clippingLabel->setVisible(isOn(Tool::Clipping));
    if (isOn(Tool::Clipping)) {
        if (!last.hasClipping)
            clippingLabel->setText(tr("过曝/欠曝: 等待图像"));
        else
            clippingLabel->setText(
                tr("过曝 %1%  欠曝 %2%")
                    .arg(percent(last.clipping.highShare()), percent(last.clipping.lowShare())));
    }

    const bool profiling = isOn(Tool::LineProfile);
    profileLabel->setVisible(profiling);
    plot->setVisible(profiling && !lineSegment.isNull());
    if (profiling) {
        if (lineSegment.isNull())
            profileLabel->setText(tr("线轮廓: 在图像上拖出直线"));
        else
            profileLabel->setText(tr("线轮廓 (%1, %2) → (%3, %4)  %5 点")
                                      .arg(int(lineSegment.x1()))
                                      .arg(int(lineSegment.y1()))
                                      .arg(int(lineSegment.x2()))
                                      .arg(int(lineSegment.y2()))
                                      .arg(last.hasProfile ? last.profile.samples() : 0));
    }
    panel->adjustSize();
}
