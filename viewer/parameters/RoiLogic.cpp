#include "RoiLogic.h"

#include <QString>
#include <algorithm>
#include <climits>

#include "VexoCameraApi.h"

namespace roilogic {

int classifyZone(QPoint position, QSize size, int margin)
{
    const int px = position.x();
    const int py = position.y();
    const int w = size.width();
    const int h = size.height();
    const bool nearLeft = px < margin;
    const bool nearRight = px > w - margin;
    const bool nearTop = py < margin;
    const bool nearBottom = py > h - margin;
    const bool midX = !nearLeft && !nearRight;
    const bool midY = !nearTop && !nearBottom;
    // Checked in code order so that a rectangle narrower than two bands still gives one zone.
    if (nearRight && midY)
        return kZoneRight;
    if (nearLeft && midY)
        return kZoneLeft;
    if (midX && nearBottom)
        return kZoneBottom;
    if (midX && nearTop)
        return kZoneTop;
    if (nearLeft && nearTop)
        return kZoneTopLeft;
    if (nearRight && nearTop)
        return kZoneTopRight;
    if (nearLeft && nearBottom)
        return kZoneBottomLeft;
    if (nearRight && nearBottom)
        return kZoneBottomRight;
    return kZoneInterior;
}

QRect dragRectangle(const QRect& geometry, int zone, QPoint delta)
{
    int left = geometry.x();
    int top = geometry.y();
    int width = geometry.width();
    int height = geometry.height();
    const int dx = delta.x();
    const int dy = delta.y();
    switch (zone) {
        case kZoneRight:
            width += dx;
            break;
        case kZoneLeft:
            left += dx;
            width -= dx;
            break;
        case kZoneBottom:
            height += dy;
            break;
        case kZoneTop:
            top += dy;
            height -= dy;
            break;
        case kZoneTopLeft:
            left += dx;
            top += dy;
            width -= dx;
            height -= dy;
            break;
        case kZoneTopRight:
            top += dy;
            width += dx;
            height -= dy;
            break;
        case kZoneBottomLeft:
            left += dx;
            width -= dx;
            height += dy;
            break;
        case kZoneBottomRight:
            width += dx;
            height += dy;
            break;
        case kZoneInterior:
            left += dx;
            top += dy;
            break;
        default:
            break;
    }
    return QRect(left, top, width, height);
}

QRect presetRectangle(PresetPosition preset, QSize previewSize)
{
    switch (preset) {
        case PresetPosition::LeftTop:
            return QRect(QPoint(0, 0), QPoint(299, 249));
        case PresetPosition::RightTop:
            return QRect(QPoint(300, 0), QPoint(599, 249));
        case PresetPosition::LeftBottom:
            return QRect(QPoint(0, 250), QPoint(299, 499));
        case PresetPosition::RightBottom:
            return QRect(QPoint(300, 250), QPoint(599, 499));
        case PresetPosition::Max:
            return QRect(QPoint(0, 0), QPoint(599, 499));
        case PresetPosition::Center:
            break;
    }
    return QRect(previewSize.width() / 4, previewSize.height() / 4, 300, 250);
}

double SensorView::scaleX() const
{
    return preview.width() > 0 ? double(sensorArea.width()) / preview.width() : 0.0;
}

double SensorView::scaleY() const
{
    return preview.height() > 0 ? double(sensorArea.height()) / preview.height() : 0.0;
}

namespace {

// value × numerator / denominator, truncated toward zero.
int scaled(int value, int numerator, int denominator)
{
    if (denominator <= 0)
        return 0;
    return static_cast<int>(static_cast<long long>(value) * numerator / denominator);
}

}  // namespace

QRect SensorView::toSensor(const QRect& previewRect) const
{
    const int sw = sensorArea.width();
    const int sh = sensorArea.height();
    const int pw = preview.width();
    const int ph = preview.height();
    return QRect(sensorArea.x() + scaled(previewRect.x(), sw, pw),
                 sensorArea.y() + scaled(previewRect.y(), sh, ph),
                 scaled(previewRect.width(), sw, pw), scaled(previewRect.height(), sh, ph));
}

QRect sensorAreaOf(const VexoResolution& current, QSize frameSize)
{
    if (current.regionWidth <= 0 || current.regionHeight <= 0)
        return QRect(QPoint(0, 0), frameSize);
    return QRect(current.offsetX, current.offsetY, current.regionWidth, current.regionHeight);
}

int alignUp(int value, int step)
{
    const int remainder = ((value % step) + step) % step;
    if (remainder == 0)
        return value;
    // Near the top of the range the next multiple does not exist; stay on the last one.
    const long long aligned = static_cast<long long>(value) + (step - remainder);
    return aligned > INT_MAX ? value - remainder : static_cast<int>(aligned);
}

VexoResolution fullSensorDescriptor(const VexoResolution* presets, int count, QSize sensorSize)
{
    for (int i = 0; presets && i < count; ++i) {
        const VexoResolution& p = presets[i];
        if (p.offsetX == 0 && p.offsetY == 0 && p.regionWidth == sensorSize.width() &&
            p.regionHeight == sensorSize.height() && p.outputWidth == p.regionWidth &&
            p.outputHeight == p.regionHeight)
            return p;
    }
    VexoResolution full{};
    if (presets && count > 0)
        full = presets[0];
    full.offsetX = 0;
    full.offsetY = 0;
    full.regionWidth = full.outputWidth = sensorSize.width();
    full.regionHeight = full.outputHeight = sensorSize.height();
    full.binning = 1;
    return full;
}

namespace {

// The size sent for a drawn size: aligned up, but never wider than the sensor. A region
// as wide as the sensor is always one the camera reads out, aligned or not, so a sensor
// whose size is no multiple of the step still gets its whole width.
int alignedOnSensor(int drawn, int step, int sensor)
{
    const int aligned = alignUp(drawn, step);
    if (drawn > 0 && drawn <= sensor && aligned > sensor)
        return sensor;
    return aligned;
}

int keepOnSensor(int offset, int drawn, int aligned, int sensor)
{
    const bool drawnFits =
        offset >= 0 && drawn > 0 && static_cast<long long>(offset) + drawn <= sensor;
    if (drawnFits && static_cast<long long>(offset) + aligned > sensor)
        return std::max(0, sensor - aligned);
    return offset;
}

}  // namespace

VexoResolution customRegionDescriptor(const VexoResolution& base, int offsetX, int offsetY,
                                      int width, int height, QSize sensorSize)
{
    VexoResolution r = base;
    r.index = VEXO_SDK_CUSTOM_RESOLUTION;
    r.regionWidth = r.outputWidth = alignedOnSensor(width, 32, sensorSize.width());
    r.regionHeight = r.outputHeight = alignedOnSensor(height, 2, sensorSize.height());
    r.offsetX = keepOnSensor(offsetX, width, r.regionWidth, sensorSize.width());
    r.offsetY = keepOnSensor(offsetY, height, r.regionHeight, sensorSize.height());
    r.binning = 1;
    return r;
}

int parseDecimal(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

}  // namespace roilogic
