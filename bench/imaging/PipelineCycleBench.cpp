// pipeline_cycle_bench [runs] [--only WxH (any size)] [--seconds S] [--offset N] [--cold] [--portable]: the image pipeline
// alone with the camera library's typical settings (white balance 1.45 / 1.0 / 1.68,
// sharpness 30, saturation 120, contrast 120, gamma 1.2, horizontal mirror, one crosshair;
// Bayer in, RGB8 out) against a plain copy of the same RGB8 frame. The two alternate run
// by run, each timed in thread CPU time, so both see the same machine load; it prints the
// minimum and the median of each and their ratio, and the load average beside them.
// --cold flushes the raw frame from the caches before each run (the figures then include
// fetching it from memory); --offset N puts the output N bytes after a 64-byte boundary (else where the allocator
// puts it); --seconds S loops the pipeline for S seconds per size instead (for perf record).
#include "BenchTiming.h"
#include "Imaging.h"
#include "PipelineKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

using namespace vexo::imaging;

namespace {

using benchtiming::loadAverage;

double threadCpuMs()
{
    return benchtiming::threadCpuSeconds() * 1e3;
}

PipelineSettings typicalSettings(int w, int h)
{
    PipelineSettings s;
    s.wbRed = 1.45;
    s.wbGreen = 1.0;
    s.wbBlue = 1.68;
    s.sharpness = 30;
    s.saturation = 120;
    s.contrast = 120;
    s.gamma = 120;
    s.mirrorHorizontal = true;
    s.crosshairs[0] = Crosshair{true, std::min(400, w - 1), std::min(300, h - 1), 0, 255, 0};
    s.outputFormat = kPixelRGB8;
    return s;
}

volatile uint8_t sink;

// Evicts a buffer from every cache level, as a frame just written by another core or by
// the camera's transfer is not in this core's caches.
void flush(const std::vector<uint8_t>& bytes)
{
#if defined(__x86_64__) || defined(__i386__)
    for (size_t i = 0; i < bytes.size(); i += 64)
        _mm_clflush(bytes.data() + i);
    _mm_mfence();
#else
    (void)bytes;
#endif
}

struct Figures {
    double min, median;
};

Figures figuresOf(const std::vector<double>& times)
{
    return {*std::min_element(times.begin(), times.end()), benchtiming::median(times)};
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 400;
    double loopSeconds = 0;
    int onlyW = 0, onlyH = 0;
    bool cold = false;   // raw frame flushed from the caches before every run, as a new frame is
    int offset = -1;   // of the output from a 64-byte boundary; -1: as the allocator gives it
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            std::sscanf(argv[++i], "%dx%d", &onlyW, &onlyH);
        else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            loopSeconds = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--offset") == 0 && i + 1 < argc)
            offset = std::atoi(argv[++i]) % 64;
        else if (std::strcmp(argv[i], "--cold") == 0)
            cold = true;
        else if (std::strcmp(argv[i], "--portable") == 0)
            kernels::usePortableKernels(true);
        else
            runs = std::max(3, std::atoi(argv[i]));
    }
    std::vector<std::pair<int, int>> sizes{{1280, 720}, {1920, 1080}, {2592, 1944}};
    if (onlyW > 0)
        sizes = {{onlyW, onlyH}};
    std::printf("typical pipeline alone against a copy of the RGB8 frame; kernels: %s; %d runs each\n",
                kernels::kernelLevel(), runs);
    std::printf("%-10s %9s %9s %9s %9s %8s %8s  %s\n", "size", "copy min", "copy med", "pipe min", "pipe med",
                "min x", "med x", "load before / after");
    for (const auto& size : sizes) {
        const int w = size.first, h = size.second;
        SensorSettings sensor;
        sensor.sensorWidth = sensor.regionWidth = sensor.outputWidth = w;
        sensor.sensorHeight = sensor.regionHeight = sensor.outputHeight = h;
        RawFrame raw;
        makeDemoScene(1)->render(sensor, 0.0, 0, raw);

        const size_t rgbBytes = static_cast<size_t>(w) * h * 3;
        std::vector<uint8_t> a(rgbBytes, 1), b(rgbBytes, 2), storage(rgbBytes + 128);
        uint8_t* out = storage.data();
        if (offset >= 0)
            out += (64 - reinterpret_cast<uintptr_t>(out) % 64) % 64 + static_cast<size_t>(offset);
        ImagePipeline pipeline;
        pipeline.configure(typicalSettings(w, h));
        pipeline.process(raw, out, rgbBytes);   // warm caches and scratch rows
        if (loopSeconds > 0) {
            const double end = threadCpuMs() + loopSeconds * 1e3;
            int frames = 0;
            while (threadCpuMs() < end) {
                pipeline.process(raw, out, rgbBytes);
                ++frames;
            }
            std::printf("%dx%d: %d frames in %.1f s\n", w, h, frames, loopSeconds);
            continue;
        }
        const std::string loadBefore = loadAverage();
        std::vector<double> copyTimes, pipeTimes;
        for (int i = 0; i < runs; ++i) {
            double t0 = threadCpuMs();
            a[static_cast<size_t>(i) % rgbBytes] = static_cast<uint8_t>(i);
            std::memcpy(b.data(), a.data(), rgbBytes);
            sink = b[rgbBytes / 2];
            copyTimes.push_back(threadCpuMs() - t0);
            if (cold)
                flush(raw.pixels);
            t0 = threadCpuMs();
            pipeline.process(raw, out, rgbBytes);
            pipeTimes.push_back(threadCpuMs() - t0);
        }
        const Figures copy = figuresOf(copyTimes), pipe = figuresOf(pipeTimes);
        char name[32];
        std::snprintf(name, sizeof name, "%dx%d", w, h);
        std::printf("%-10s %9.3f %9.3f %9.3f %9.3f %8.2f %8.2f  %s / %s\n", name, copy.min, copy.median, pipe.min,
                    pipe.median, pipe.min / copy.min, pipe.median / copy.median, loadBefore.c_str(),
                    loadAverage().c_str());
    }
    std::printf("(ms of thread CPU time; min x = pipeline minimum / copy minimum, med x = medians)\n");
    return 0;
}
