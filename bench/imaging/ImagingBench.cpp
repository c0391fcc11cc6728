// imaging_bench [repetitions]: how long the simulated sensor and the image pipeline take
// per frame, against a plain copy of the same 24-bit RGB frame. Prints a table; the
// figures are medians over the repetitions (default 60), taken on one thread.
#include "Imaging.h"
#include "PipelineKernels.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

using namespace vexo::imaging;
using Clock = std::chrono::steady_clock;

namespace {

double medianMs(int repetitions, const std::function<void()>& work)
{
    work();   // warm caches and lazily built tables
    std::vector<double> times;
    times.reserve(static_cast<size_t>(repetitions));
    for (int i = 0; i < repetitions; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

volatile uint8_t sink;

}  // namespace

int main(int argc, char** argv)
{
    const int repetitions = argc > 1 ? std::max(3, std::atoi(argv[1])) : 60;
    const int sizes[][2] = {{1280, 720}, {1920, 1080}, {2592, 1944}};

    std::printf("kernels: %s\n\n", vexo::imaging::kernels::kernelLevel());
    std::printf("%-10s %7s %7s %7s %7s %7s %7s %7s %7s %8s %8s %8s %8s %9s\n", "size", "setup",
                "render", "memcpy", "default", "tables", "heavy", "mono", "portabl", "def/cpy",
                "tab/cpy", "hvy/cpy", "port/cpy", "fps(r+d)");
    std::printf("%-10s %7s %7s %7s %7s %7s %7s %7s %7s %8s %8s %8s %8s %9s\n", "", "ms", "ms",
                "ms", "ms", "ms", "ms", "ms", "ms", "ratio", "ratio", "ratio", "ratio", "1 core");
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        SensorSettings sensor;
        sensor.sensorWidth = sensor.regionWidth = sensor.outputWidth = w;
        sensor.sensorHeight = sensor.regionHeight = sensor.outputHeight = h;
        sensor.defects = {{w / 3, h / 3, 255}, {w / 2, h / 2, 0}};

        auto scene = makeDemoScene(1);
        RawFrame raw;
        const auto setupStart = Clock::now();
        scene->render(sensor, 0.0, 0, raw);
        const double setupMs =
            std::chrono::duration<double, std::milli>(Clock::now() - setupStart).count();
        uint64_t frame = 1;
        const double renderMs = medianMs(repetitions, [&] {
            scene->render(sensor, frame / 60.0, frame, raw);
            ++frame;
        });

        const size_t rgbBytes = static_cast<size_t>(w) * h * 3;
        std::vector<uint8_t> a(rgbBytes, 1), b(rgbBytes, 2), out(static_cast<size_t>(w) * h * 4);
        const double copyMs = medianMs(repetitions, [&] {
            std::memcpy(b.data(), a.data(), rgbBytes);
            sink = b[rgbBytes / 2];
        });

        ImagePipeline defaults;
        const double defaultMs =
            medianMs(repetitions, [&] { defaults.process(raw, out.data(), out.size()); });

        PipelineSettings tableSettings;
        tableSettings.gamma = 160;
        tableSettings.wbRed = 1.35;
        tableSettings.wbBlue = 1.2;
        ImagePipeline tables;
        tables.configure(tableSettings);
        const double tablesMs =
            medianMs(repetitions, [&] { tables.process(raw, out.data(), out.size()); });

        PipelineSettings heavySettings;
        heavySettings.sharpness = 50;
        heavySettings.saturation = 150;
        heavySettings.gamma = 140;
        heavySettings.mirrorHorizontal = true;
        heavySettings.crosshairs[0] = {true, w / 2, h / 2, 255, 0, 0};
        heavySettings.crosshairs[1] = {true, w / 4, h / 4, 0, 255, 0};
        ImagePipeline heavy;
        heavy.configure(heavySettings);
        const double heavyMs =
            medianMs(repetitions, [&] { heavy.process(raw, out.data(), out.size()); });

        PipelineSettings monoSettings;
        monoSettings.outputFormat = kPixelMono8;
        ImagePipeline mono;
        mono.configure(monoSettings);
        const double monoMs =
            medianMs(repetitions, [&] { mono.process(raw, out.data(), out.size()); });

        vexo::imaging::kernels::usePortableKernels(true);
        const double portableMs =
            medianMs(repetitions, [&] { tables.process(raw, out.data(), out.size()); });
        vexo::imaging::kernels::usePortableKernels(false);

        char name[32];
        std::snprintf(name, sizeof name, "%dx%d", w, h);
        std::printf("%-10s %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %8.2f %8.2f %8.2f %8.2f %9.1f\n",
                    name, setupMs, renderMs, copyMs, defaultMs, tablesMs, heavyMs, monoMs,
                    portableMs, defaultMs / copyMs, tablesMs / copyMs, heavyMs / copyMs,
                    portableMs / copyMs, 1000.0 / (renderMs + tablesMs));
    }
    std::printf(
        "\nsetup: first frame of a new geometry (static scene built); render: demo scene per "
        "frame;\nmemcpy: copy of one RGB8 frame (cache-warm, like the pipeline's buffers);\n"
        "default: Bayer -> RGB8 with default parameters (the tables are identity and skipped);\n"
        "tables: Bayer -> RGB8 with gamma 1.6 and white balance gains (demosaic + lookup "
        "tables);\nheavy: sharpness 50, saturation 150, gamma 1.4, mirror, two crosshairs;\n"
        "mono: Bayer -> Mono8; portabl: 'tables' with the portable (non-SIMD) kernels;\n"
        "fps(r+d): frames per second of render + 'tables' processing on one core.\n");
    return 0;
}
