#pragma once
// Rules of the region-of-interest dialog that need no widget: where the cursor grabs the
// rectangle, how a drag changes it, the preset rectangles, the mapping between preview and
// sensor pixels, and the descriptor sent to the camera.
#include <QPoint>
#include <QRect>
#include <QSize>

#include "VexoCameraRecords.h"

namespace roilogic {

// Zone of the rectangle a drag acts on; the values are the dialog's zone codes.
enum DragZone : int {
    kZoneNone = 0,
    kZoneRight = 1,
    kZoneLeft = 2,
    kZoneBottom = 3,
    kZoneTop = 4,
    kZoneTopLeft = 5,
    kZoneTopRight = 6,
    kZoneBottomLeft = 7,
    kZoneBottomRight = 8,
    kZoneInterior = 9,
};

// Zone of a cursor at `position` (rectangle coordinates) over a rectangle of `size`, with
// grab bands `margin` pixels wide along each edge. Always 1 … 9.
int classifyZone(QPoint position, QSize size, int margin);

// The rectangle after the cursor moved by `delta` while dragging `zone`. Neither kept
// inside the preview nor held to a minimum size.
QRect dragRectangle(const QRect& geometry, int zone, QPoint delta);

enum class PresetPosition { LeftTop, RightTop, LeftBottom, RightBottom, Max, Center };

// Preview rectangle of a preset button. The corner and full-size presets are laid out for
// the 600 × 500 preview; the centred one follows the preview's size.
QRect presetRectangle(PresetPosition preset, QSize previewSize);

// What the preview shows of the sensor: the sensor area the current frame covers (its
// offsets and region size, whatever binning shrinks it to on output) spread over the
// preview. Preview pixels map to sensor pixels through it.
struct SensorView {
    QRect sensorArea;  // sensor pixels covered by the frame
    QSize preview;     // preview size, pixels

    bool isValid() const { return !sensorArea.isEmpty() && !preview.isEmpty(); }
    // Sensor pixels per preview pixel.
    double scaleX() const;
    double scaleY() const;
    // Preview rectangle in sensor pixels, truncated toward zero. Exact integer arithmetic,
    // so 250 preview pixels at 1080 / 500 are 540 sensor pixels, not 539.
    QRect toSensor(const QRect& previewRect) const;
};

// The sensor area a frame of `current` (a descriptor from SdkGetResolutionDescriptor)
// covers. A descriptor without a region counts as the whole frame of `frameSize`.
QRect sensorAreaOf(const VexoResolution& current, QSize frameSize);

// Smallest value >= `value` that is a multiple of `step` (step > 0); works below zero.
int alignUp(int value, int step);

// The full, unbinned sensor frame: the preset at offset 0/0 whose region and output are
// the sensor size, else a copy of the first preset widened to the sensor. A camera may
// list its presets in any order, and a binned or partial last entry must not shrink the
// region the user drew.
VexoResolution fullSensorDescriptor(const VexoResolution* presets, int count, QSize sensorSize);

// The custom-region descriptor sent for a region read off the dialog: `base` with index
// 0xFF, the offsets as given and the size aligned (width up to a multiple of 32, height
// up to even, but never beyond the sensor's size: a sensor 2448 wide gets 2448, not 2464)
// in both the region and the output size. Where the drawn region lies on the sensor but
// its aligned size would run past the sensor's edge, the offset moves back by the excess,
// so a region drawn up to the right or bottom edge is not refused.
VexoResolution customRegionDescriptor(const VexoResolution& base, int offsetX, int offsetY,
                                      int width, int height, QSize sensorSize);

// Decimal text as the dialog's line edits hold it; text that does not parse counts as 0.
int parseDecimal(const QString& text);

}  // namespace roilogic
