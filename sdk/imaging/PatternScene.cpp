// The test scene: a caller-supplied function of sensor position and colour, sampled
// exactly (no exposure scaling, noise, flicker or blur); only the sensor's defect pixels
// are added, as a real sensor would.
#include "SceneGeometry.h"

#include <algorithm>

namespace vexo::imaging {

SceneGeometry SceneGeometry::from(const SensorSettings& s)
{
    auto dim = [](int v) { return std::clamp(v, 1, kImagingMaxDimension); };
    SceneGeometry g;
    const int regionW = s.regionWidth > 0 ? s.regionWidth : s.outputWidth;
    const int regionH = s.regionHeight > 0 ? s.regionHeight : s.outputHeight;
    g.sensorWidth = dim(s.sensorWidth > 0 ? s.sensorWidth : s.offsetX + regionW);
    g.sensorHeight = dim(s.sensorHeight > 0 ? s.sensorHeight : s.offsetY + regionH);
    g.offsetX = std::clamp(s.offsetX, 0, g.sensorWidth - 1);
    g.offsetY = std::clamp(s.offsetY, 0, g.sensorHeight - 1);
    g.regionWidth = std::clamp(regionW > 0 ? regionW : g.sensorWidth - g.offsetX, 1,
                               g.sensorWidth - g.offsetX);
    g.regionHeight = std::clamp(regionH > 0 ? regionH : g.sensorHeight - g.offsetY, 1,
                                g.sensorHeight - g.offsetY);
    g.outputWidth = dim(s.outputWidth > 0 ? s.outputWidth : g.regionWidth);
    g.outputHeight = dim(s.outputHeight > 0 ? s.outputHeight : g.regionHeight);
    return g;
}

bool SceneGeometry::operator==(const SceneGeometry& o) const
{
    return sensorWidth == o.sensorWidth && sensorHeight == o.sensorHeight &&
           offsetX == o.offsetX && offsetY == o.offsetY && regionWidth == o.regionWidth &&
           regionHeight == o.regionHeight && outputWidth == o.outputWidth &&
           outputHeight == o.outputHeight;
}

void prepareFrame(const SensorSettings& s, const SceneGeometry& g, double timeSec,
                  uint64_t frameNumber, RawFrame& out)
{
    out.width = g.outputWidth;
    out.height = g.outputHeight;
    out.layout = s.layout;
    out.bitDepth = s.bitDepth > 8 ? std::min(s.bitDepth, 16) : 8;
    out.pixels.resize(static_cast<size_t>(g.outputWidth) * g.outputHeight *
                      (out.bitDepth > 8 ? 2 : 1));
    out.frameNumber = frameNumber;
    out.timestampUs = static_cast<int64_t>(timeSec * 1e6);
}

void applyDefects(const SensorSettings& s, const SceneGeometry& g, RawFrame& out)
{
    for (const DefectPixel& p : s.defects) {
        if (p.x < g.offsetX || p.y < g.offsetY || p.x >= g.offsetX + g.regionWidth ||
            p.y >= g.offsetY + g.regionHeight)
            continue;
        const int x = static_cast<int>(static_cast<long long>(p.x - g.offsetX) * g.outputWidth /
                                       g.regionWidth);
        const int y = static_cast<int>(static_cast<long long>(p.y - g.offsetY) * g.outputHeight /
                                       g.regionHeight);
        if (x >= g.outputWidth || y >= g.outputHeight)
            continue;
        const size_t i = static_cast<size_t>(y) * g.outputWidth + x;
        if (out.bitDepth <= 8) {
            out.pixels[i] = p.value;
        } else {
            const unsigned top = (1u << out.bitDepth) - 1;
            const unsigned v =
                p.value == 255 ? top : (static_cast<unsigned>(p.value) << (out.bitDepth - 8));
            putSample16(out, i, v);
        }
    }
}

namespace {

class PatternScene : public Scene {
public:
    explicit PatternScene(std::function<uint8_t(int, int, int)> value) : value_(std::move(value)) {}

    void render(const SensorSettings& sensor, double timeSec, uint64_t frameNumber,
                RawFrame& out) override
    {
        const SceneGeometry g = SceneGeometry::from(sensor);
        prepareFrame(sensor, g, timeSec, frameNumber, out);
        const bool bayer = sensor.layout == RawLayout::BayerRG8;
        const int shift = out.bitDepth - 8;
        for (int y = 0; y < g.outputHeight; ++y) {
            const int sy = g.sensorY(y);
            const size_t rowStart = static_cast<size_t>(y) * g.outputWidth;
            for (int x = 0; x < g.outputWidth; ++x) {
                const int sx = g.sensorX(x);
                uint8_t v = 0;
                if (!value_) {
                    v = 0;
                } else if (bayer) {
                    v = value_(sx, sy, bayerColour(x, y));
                } else {
                    const int r = value_(sx, sy, 0), gr = value_(sx, sy, 1), b = value_(sx, sy, 2);
                    v = static_cast<uint8_t>((77 * r + 150 * gr + 29 * b + 128) >> 8);
                }
                if (shift == 0)
                    out.pixels[rowStart + x] = v;
                else
                    putSample16(out, rowStart + x, static_cast<unsigned>(v) << shift);
            }
        }
        applyDefects(sensor, g, out);
    }

private:
    std::function<uint8_t(int, int, int)> value_;
};

}  // namespace

std::unique_ptr<Scene> makePatternScene(std::function<uint8_t(int x, int y, int c)> value)
{
    return std::make_unique<PatternScene>(std::move(value));
}

}  // namespace vexo::imaging
