// imaging_demo_snapshot [folder]: renders one frame of the demo scene as the default
// cameras would deliver it (1920x1080 colour, 2592x1944 mono, 1280x1024 colour with one
// of four light channels and the lens out of focus) and saves processed PNGs there
// (default /tmp/imaging-demo).
#include "Imaging.h"

#include <cstdio>
#include <filesystem>
#include <vector>

using namespace vexo::imaging;

namespace {

int snapshot(const std::string& folder, const std::string& name, SensorSettings sensor,
             PipelineSettings params, double timeSec)
{
    auto scene = makeDemoScene(1);
    RawFrame raw;
    scene->render(sensor, timeSec, 1234, raw);
    ImagePipeline pipeline;
    pipeline.configure(params);
    std::vector<uint8_t> rgb(static_cast<size_t>(raw.width) * raw.height *
                             bytesPerPixel(params.outputFormat));
    int rc = pipeline.process(raw, rgb.data(), rgb.size());
    // The writer never replaces a picture; the ones of an earlier run are ours to refresh.
    std::error_code ignored;
    std::filesystem::remove(folder + "/" + name + ".png", ignored);
    if (rc == 0)
        rc = writeImageFile(folder + "/" + name, rgb.data(), raw.width, raw.height,
                            params.outputFormat, static_cast<int>(ImageFileType::Png), 90);
    const FrameStatistics stats = ImagePipeline::statistics(raw);
    std::printf("%s: %dx%d mean %.1f (R %.1f G %.1f B %.1f) -> %d\n", name.c_str(), raw.width,
                raw.height, stats.meanLuma, stats.meanRed, stats.meanGreen, stats.meanBlue, rc);
    return rc;
}

SensorSettings sensorOf(int w, int h, RawLayout layout)
{
    SensorSettings s;
    s.sensorWidth = s.regionWidth = s.outputWidth = w;
    s.sensorHeight = s.regionHeight = s.outputHeight = h;
    s.layout = layout;
    s.defects = {{w / 3, h / 3, 255}, {w / 2 + 1, h / 4, 0}, {w - 7, h - 9, 255}};
    return s;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "/tmp/imaging-demo";
    std::filesystem::create_directories(folder);
    int failures = 0;
    PipelineSettings colour;
    failures += snapshot(folder, "demo-1920x1080-colour", sensorOf(1920, 1080, RawLayout::BayerRG8),
                         colour, 12.3) != 0;
    PipelineSettings mono;
    mono.outputFormat = kPixelMono8;
    failures += snapshot(folder, "demo-2592x1944-mono", sensorOf(2592, 1944, RawLayout::Mono8),
                         mono, 47.9) != 0;

    SensorSettings lit = sensorOf(1280, 1024, RawLayout::BayerRG8);
    lit.channelCount = 4;
    lit.channelMask = 0x1;
    lit.exposureUs = 30000;
    lit.focusRange = 1000;
    lit.focusBest = 500;
    lit.focusPosition = 700;
    failures += snapshot(folder, "demo-1280x1024-channel0-defocused", lit, colour, 3.0) != 0;

    SensorSettings flicker = sensorOf(1920, 1080, RawLayout::BayerRG8);
    flicker.exposureUs = 3000;
    flicker.analogGainMilli = 3000;
    PipelineSettings heavy;
    heavy.sharpness = 60;
    heavy.saturation = 160;
    heavy.mirrorHorizontal = true;
    heavy.crosshairs[0] = {true, 960, 540, 0, 255, 0};
    heavy.crosshairs[1] = {true, 200, 900, 255, 0, 255};
    failures += snapshot(folder, "demo-1920x1080-flicker-heavy", flicker, heavy, 5.0) != 0;
    return failures == 0 ? 0 : 1;
}
