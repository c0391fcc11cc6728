#pragma once
// Where each output pixel of a simulated exposure lies on the sensor, shared by the scenes.
#include "Imaging.h"

namespace vexo::imaging {

struct SceneGeometry {
    int sensorWidth = 1, sensorHeight = 1;
    int offsetX = 0, offsetY = 0;
    int regionWidth = 1, regionHeight = 1;
    int outputWidth = 1, outputHeight = 1;

    // Sensible geometry from whatever the caller passed: missing sizes are filled from
    // the next larger one, the region is kept on the sensor, nothing is below 1 pixel.
    static SceneGeometry from(const SensorSettings& s);

    // Sensor column / row sampled by output column / row (centre of the binned area).
    int sensorX(int x) const
    {
        return offsetX + static_cast<int>((2LL * x + 1) * regionWidth / (2LL * outputWidth));
    }
    int sensorY(int y) const
    {
        return offsetY + static_cast<int>((2LL * y + 1) * regionHeight / (2LL * outputHeight));
    }
    bool operator==(const SceneGeometry& o) const;
};

// Bayer colour of output pixel (x, y) in an RGGB mosaic: 0 red, 1 green, 2 blue.
inline int bayerColour(int x, int y)
{
    return (y & 1) == 0 ? ((x & 1) == 0 ? 0 : 1) : ((x & 1) == 0 ? 1 : 2);
}

// Stores sample i of a deep frame (a 16-bit little-endian word).
inline void putSample16(RawFrame& out, size_t i, unsigned v)
{
    out.pixels[2 * i] = static_cast<uint8_t>(v);
    out.pixels[2 * i + 1] = static_cast<uint8_t>(v >> 8);
}

// Writes the sensor's defect pixels that fall inside the region into the frame.
void applyDefects(const SensorSettings& s, const SceneGeometry& g, RawFrame& out);

// Sizes the frame for the geometry and the sensor's depth, and stamps it.
void prepareFrame(const SensorSettings& s, const SceneGeometry& g, double timeSec,
                  uint64_t frameNumber, RawFrame& out);

}  // namespace vexo::imaging
