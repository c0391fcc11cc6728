// Camera library speed, measured through the public C interface at three sensor sizes:
//  - how many frames per second the producer thread sustains (uncapped camera rate), and
//    whether a camera rated for 60 frames per second delivers them;
//  - the CPU cost of one full frame cycle (SdkGetFrame, SdkGetRawImage, SdkProcessImage,
//    SdkReleaseFrame) on the calling thread, compared with a plain copy of the same
//    24-bit RGB frame made right after each cycle;
//  - the frame rate each frame speed gives on a 640x480 camera rated for 240 frames per
//    second at high speed;
//  - the process CPU time nine started cameras cost while they wait for triggers.
// Prints figures; it passes or fails nothing.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "BenchTiming.h"
#include "VexoCameraApi.h"

namespace {

struct Size {
    const char* identifier;
    int width, height;
};

constexpr int kIdleCameras = 9;

const Size kSizes[] = {{"BENCH-720P", 1280, 720}, {"BENCH-1080P", 1920, 1080}, {"BENCH-5MP", 2592, 1944}};

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

using benchtiming::median;
using benchtiming::threadCpuSeconds;

// A camera list with the three sizes, "uncapped" (rated far above what rendering can do)
// and one 1080p camera rated for 60 frames per second, in a private device and state folder.
std::string prepareCameraList()
{
    char folderTemplate[] = "/tmp/vexo-bench.XXXXXX";
    const char* folder = mkdtemp(folderTemplate);
    if (!folder) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    const std::string base(folder);
    std::ofstream list(base + "/cameras.json");
    list << "{\"cameras\":[";
    for (const Size& s : kSizes)
        list << "{\"identifier\":\"" << s.identifier << "\",\"sensorWidth\":" << s.width
             << ",\"sensorHeight\":" << s.height << ",\"maxFramesPerSecond\":2000,\"exposureStepUs\":1},";
    for (int i = 0; i < kIdleCameras; ++i)
        list << "{\"identifier\":\"BENCH-IDLE-" << i
             << "\",\"sensorWidth\":640,\"sensorHeight\":480},";
    list << "{\"identifier\":\"BENCH-VGA-240\",\"sensorWidth\":640,\"sensorHeight\":480,"
            "\"maxFramesPerSecond\":240,\"exposureStepUs\":1},";
    list << "{\"identifier\":\"BENCH-1080P-60\",\"sensorWidth\":1920,\"sensorHeight\":1080,"
            "\"maxFramesPerSecond\":60,\"exposureStepUs\":1}]}";
    list.close();
    setenv("VEXOCAM_CAMERAS", (base + "/cameras.json").c_str(), 1);
    setenv("VEXOCAM_DEVICE_DIR", (base + "/devices").c_str(), 1);
    setenv("VEXOCAM_STATE_DIR", (base + "/state").c_str(), 1);
    return base;
}

int openForSpeed(const char* identifier)
{
    int handle = 0;
    if (SdkOpenCamera(&handle, identifier) != VEXO_SDK_OK) {
        std::fprintf(stderr, "cannot open %s\n", identifier);
        std::exit(1);
    }
    SdkSetFrameSpeed(handle, 2);
    SdkSetExposureMode(handle, 0);
    SdkSetExposureTime(handle, 1000.0);
    SdkSetWhiteBalanceMode(handle, 0);
    SdkSetOutputFormat(handle, VEXO_SDK_PIXEL_RGB8);
    return handle;
}

// Frames per second delivered while a consumer takes and releases every frame it can.
double deliveredRate(int handle, double seconds)
{
    SdkStartAcquisition(handle);
    uint32_t token = 0;
    for (int warm = 0; warm < 5; ++warm)
        if (SdkGetFrame(handle, &token, 2000) == VEXO_SDK_OK)
            SdkReleaseFrame(handle, token);
    VexoFrameStatistics before{}, after{};
    SdkGetFrameStatistics(handle, &before);
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end)
        if (SdkGetFrame(handle, &token, 500) == VEXO_SDK_OK)
            SdkReleaseFrame(handle, token);
    SdkGetFrameStatistics(handle, &after);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    SdkStopAcquisition(handle);
    return (after.deliveredFrames - before.deliveredFrames) / elapsed;
}

// A plain copy of one 24-bit RGB frame, timed in thread CPU time with both buffers in the
// caches (the cycle before has pushed them out: one untimed copy brings them back), as a
// copy at the start of the benchmark would be.
class FrameCopy {
public:
    FrameCopy(int width, int height)
        : source(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 7), target(source.size())
    {
    }
    double seconds()
    {
        copyOnce();
        const double t0 = threadCpuSeconds();
        copyOnce();
        return threadCpuSeconds() - t0;
    }

private:
    void copyOnce()
    {
        ++counter;
        source[counter % source.size()] = static_cast<BYTE>(counter);   // each copy has new content
        std::memcpy(target.data(), source.data(), source.size());
        if (target[0] == 255 && target[1] == 254)
            std::puts("");   // keeps the copies from being optimised away
    }
    std::vector<BYTE> source, target;
    size_t counter = 0;
};

double mean(const std::vector<double>& v)
{
    double sum = 0;
    for (double x : v)
        sum += x;
    return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
}

// Frame cycles on this thread (waiting for a frame costs no CPU), each followed by a plain
// copy of the same frame, so that cycle and copy see the same machine: a busy neighbour, a
// slower clock or time taken by the host moves both. Thread CPU seconds of each, and of SdkProcessImage in the cycle.
struct CycleTimes {
    std::vector<double> cycle, copy, process;
    double cycleRatioOfMedians() const { return median(cycle) / median(copy); }
    double cycleRatioOfMeans() const { return mean(cycle) / mean(copy); }
};

CycleTimes frameCycles(int handle, int cycles, FrameCopy& copy)
{
    CycleTimes times;
    std::vector<BYTE> buffer;
    SdkStartAcquisition(handle);
    while (static_cast<int>(times.cycle.size()) < cycles) {
        const double t0 = threadCpuSeconds();
        uint32_t token = 0;
        if (SdkGetFrame(handle, &token, 2000) != VEXO_SDK_OK)
            continue;
        VexoImageInfo info{};
        BYTE* raw = SdkGetRawImage(handle, token, &info);
        const size_t need = static_cast<size_t>(info.width) * static_cast<size_t>(info.height) * 4;
        if (buffer.size() < need) {
            SdkReleaseFrame(handle, token);
            buffer.resize(need);   // the viewer allocates once; do not time the allocation
            continue;
        }
        const double p0 = threadCpuSeconds();
        SdkProcessImage(handle, &info, raw, buffer.data());
        times.process.push_back(threadCpuSeconds() - p0);
        SdkReleaseFrame(handle, token);
        times.cycle.push_back(threadCpuSeconds() - t0);
        times.copy.push_back(copy.seconds());
    }
    SdkStopAcquisition(handle);
    return times;
}

void typicalParameters(int handle)
{
    SdkSetWhiteBalanceGains(handle, 145, 100, 168);
    SdkSetSharpness(handle, 30);
    SdkSetSaturation(handle, 120);
    SdkSetContrast(handle, 60);
    SdkSetGamma(handle, 120);
    SdkSetMirror(handle, 0, 1);
    SdkSetCrosshair(handle, 0, 400, 300, 0x00FF00, 1);
}

}  // namespace

int main(int argc, char** argv)
{
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const double seconds = quick ? 1.0 : 3.0;
    const int cycles = quick ? 40 : 200;
    const std::string scratch = prepareCameraList();
    std::printf("Camera library speed (%s run, one consumer thread, 24-bit RGB output)\n\n", quick ? "quick" : "full");
    std::printf("%-10s %9s %7s %10s %7s %10s %7s %7s %9s %7s\n", "size", "producer", "copy", "cycle", "ratio",
                "cycle", "ratio", "ratio", "of which", "load");
    std::printf("%-10s %9s %7s %10s %7s %10s %7s %7s %9s %7s\n", "", "frames/s", "ms", "default ms", "default",
                "typical ms", "typical", "(means)", "process", "");
    for (const Size& size : kSizes) {
        const int handle = openForSpeed(size.identifier);
        const double rate = deliveredRate(handle, seconds);
        FrameCopy copy(size.width, size.height);
        const CycleTimes standard = frameCycles(handle, cycles, copy);
        typicalParameters(handle);
        const CycleTimes typical = frameCycles(handle, cycles, copy);
        SdkCloseCamera(handle);
        char name[32];
        std::snprintf(name, sizeof name, "%dx%d", size.width, size.height);
        std::vector<double> copies = standard.copy;
        copies.insert(copies.end(), typical.copy.begin(), typical.copy.end());
        std::printf("%-10s %9.1f %7.3f %10.3f %7.1f %10.3f %7.1f %7.1f %9.3f %7s\n", name, rate, median(copies) * 1e3,
                    median(standard.cycle) * 1e3, standard.cycleRatioOfMedians(), median(typical.cycle) * 1e3,
                    typical.cycleRatioOfMedians(), typical.cycleRatioOfMeans(), median(typical.process) * 1e3,
                    benchtiming::oneMinuteLoad().c_str());
    }
    const int rated = openForSpeed("BENCH-1080P-60");
    const double ratedRate = deliveredRate(rated, seconds);
    SdkCloseCamera(rated);
    std::printf("\n1920x1080 camera rated for 60 frames/s delivers %.1f frames/s\n", ratedRate);

    const int vga = openForSpeed("BENCH-VGA-240");
    std::printf("640x480 camera rated for 240 frames/s, exposure 1 ms:");
    const char* const speeds[] = {"low", "medium", "high"};
    for (int speed = 0; speed < 3; ++speed) {
        SdkSetFrameSpeed(vga, speed);
        std::printf(" %s %.1f", speeds[speed], deliveredRate(vga, seconds));
    }
    std::printf(" frames/s\n");
    SdkCloseCamera(vga);

    for (int mode = 1; mode <= 2; ++mode) {
        std::vector<int> idle;
        for (int i = 0; i < kIdleCameras; ++i) {
            int handle = 0;
            const std::string id = "BENCH-IDLE-" + std::to_string(i);
            if (SdkOpenCamera(&handle, id.c_str()) != VEXO_SDK_OK)
                continue;
            SdkSetTriggerMode(handle, mode);
            SdkStartAcquisition(handle);
            idle.push_back(handle);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const double cpu0 = processCpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        const double cpu = processCpuSeconds() - cpu0;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        std::printf("%zu started cameras waiting for %s triggers: %.2f ms process CPU per second\n",
                    idle.size(), mode == 1 ? "software" : "hardware", cpu / wall * 1e3);
        for (int handle : idle)
            SdkCloseCamera(handle);
    }
    std::printf("(cycle = SdkGetFrame + SdkGetRawImage + SdkProcessImage + SdkReleaseFrame, thread CPU time;\n"
                " each cycle is followed by a plain copy of the same RGB frame in the caches; figures are\n"
                " medians over the cycles, ratio = median cycle / median copy, (means) = the same of the means;\n"
                " default = factory parameters, typical = white balance, sharpness 30, saturation, contrast,\n"
                " gamma, mirror, one crosshair; of which process = the typical cycle's time in SdkProcessImage;\n"
                " load = one-minute load average at the end of the size)\n");
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return 0;
}
