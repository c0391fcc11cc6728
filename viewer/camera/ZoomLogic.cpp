#include "ZoomLogic.h"

#include <algorithm>
#include <cmath>

namespace zoomlogic {

namespace {

// Repeated 0.1 and 0.01 steps collect binary rounding noise (1.0 + 9 × 0.1 is not 1.9);
// dropping it keeps the limits exact and the shown percentage steady.
double tidy(double value)
{
    return std::round(value * 1e9) / 1e9;
}

}  // namespace

double zoomInStep(double zoom)
{
    return zoom < kMaxZoom ? std::min(tidy(zoom + kButtonStep), kMaxZoom) : kMaxZoom;
}

double zoomOutStep(double zoom)
{
    return zoom > 2 * kButtonStep ? tidy(zoom - kButtonStep) : kMinButtonZoom;
}

double wheelStep(double zoom, int angleDelta)
{
    if (angleDelta > 0)
        return zoom < kMaxZoom ? std::min(tidy(zoom + kWheelStep), kMaxZoom) : kMaxZoom;
    return zoom > 2 * kWheelStep ? tidy(zoom - kWheelStep) : kMinWheelZoom;
}

FitRatios fitRatios(const QSizeF& view, const QSizeF& pixmap, bool* valid)
{
    FitRatios ratios;
    const bool usable = pixmap.width() > 0 && pixmap.height() > 0 && view.width() > 0 &&
                        view.height() > 0;
    if (valid)
        *valid = usable;
    if (!usable)
        return ratios;
    ratios.horizontal = view.width() / pixmap.width();
    ratios.vertical = view.height() / pixmap.height();
    ratios.zoom = std::clamp(std::min(ratios.horizontal, ratios.vertical), kMinWheelZoom, kMaxZoom);
    return ratios;
}

NavigationGeometry navigationGeometry(const QSize& view, const QSizeF& scene, double zoom,
                                      const QPointF& topLeft, const QSize& navigation)
{
    NavigationGeometry result;
    result.geometry = QRect(0, 0, navigation.width(), navigation.height());
    if (scene.width() <= 0 || scene.height() <= 0 || zoom <= 0)
        return result;
    const double rx = view.width() / scene.width();
    const double ry = view.height() / scene.height();
    if (zoom <= rx && zoom <= ry)
        return result;

    result.wholeImage = false;
    const double visibleWidth = view.width() / zoom;
    const double visibleHeight = view.height() / zoom;
    result.scaleX = navigation.width() / scene.width();
    result.scaleY = navigation.height() / scene.height();
    // Along an axis where the image is smaller than the view, the view centres it and
    // the visible area starts left of or above the image; the rectangle then covers
    // the navigation view along that axis.
    const double left = std::max(0.0, topLeft.x());
    const double top = std::max(0.0, topLeft.y());
    result.origin = QPointF(result.scaleX * left, result.scaleY * top);
    const double width = std::min(result.scaleX * visibleWidth, navigation.width() - result.origin.x());
    const double height = std::min(result.scaleY * visibleHeight, navigation.height() - result.origin.y());
    result.geometry = QRect(static_cast<int>(result.origin.x()), static_cast<int>(result.origin.y()),
                            static_cast<int>(width), static_cast<int>(height));
    return result;
}

bool rectanglePositionAllowed(int position, int navigationExtent, int rectangleExtent)
{
    return position >= 0 && position < navigationExtent - rectangleExtent;
}

ToolBarChange toolBarChange(const QRect& viewGeometry, const QPoint& cursor, bool cameraOpen)
{
    if (!viewGeometry.contains(cursor))
        return ToolBarChange::Hide;
    if (!cameraOpen)
        return ToolBarChange::Keep;
    const QPoint inView = cursor - viewGeometry.topLeft();
    if (inView.x() <= 0)
        return ToolBarChange::Hide;
    return viewGeometry.height() / 2 < inView.y() ? ToolBarChange::Show : ToolBarChange::Hide;
}

}  // namespace zoomlogic
