#pragma once
// Zoom steps, fit ratios and the navigation rectangle of a camera window, computed
// without widgets so they can be checked directly.
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QSizeF>

namespace zoomlogic {

constexpr double kMaxZoom = 10.0;
constexpr double kMinButtonZoom = 0.1;
constexpr double kMinWheelZoom = 0.01;
constexpr double kButtonStep = 0.1;
constexpr double kWheelStep = 0.01;

// Zoom-in button and hotkey: +0.1 up to 10.
double zoomInStep(double zoom);
// Zoom-out button and hotkey: −0.1, never below 0.1.
double zoomOutStep(double zoom);
// Wheel on the image: ±0.01 within [0.01, 10]; a delta of 0 counts as zooming out.
double wheelStep(double zoom, int angleDelta);

struct FitRatios {
    double horizontal = 1.0;  // view width / pixmap width
    double vertical = 1.0;    // view height / pixmap height
    double zoom = 1.0;        // the smaller one, kept within [0.01, 10]
};
// Ratios that make the whole pixmap visible in the view. An empty pixmap or view gives
// nothing to fit: valid is false and the caller keeps its zoom.
FitRatios fitRatios(const QSizeF& view, const QSizeF& pixmap, bool* valid = nullptr);

struct NavigationGeometry {
    QRect geometry;         // of the red rectangle, in navigation view coordinates
    QPointF origin;         // rectangle origin before truncation
    double scaleX = 0.0;    // navigation view / scene; 0 while the whole image shows
    double scaleY = 0.0;
    bool wholeImage = true;
};
// Where the display-area rectangle sits over the navigation view.
// view: size of the image view; scene: main scene rectangle size; topLeft: scene point
// at the view's top-left corner; navigation: size of the navigation view.
NavigationGeometry navigationGeometry(const QSize& view, const QSizeF& scene, double zoom,
                                      const QPointF& topLeft, const QSize& navigation);

// A dragged rectangle edge is taken only while the rectangle stays fully inside:
// 0 ≤ position < navigation extent − rectangle extent.
bool rectanglePositionAllowed(int position, int navigationExtent, int rectangleExtent);

enum class ToolBarChange { Hide, Show, Keep };
// The tool bar over the image shows while the pointer is over the lower half of the
// view. viewGeometry is the view's rectangle and cursor the pointer, both in the
// coordinates of the view's parent.
ToolBarChange toolBarChange(const QRect& viewGeometry, const QPoint& cursor, bool cameraOpen);

}  // namespace zoomlogic
