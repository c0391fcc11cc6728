// Prints what the measurement and focus tools cost.
//  1. Each tool's work per frame alone (thread CPU), at 1920 × 1080 and 2592 × 1944, and
//     the region statistics of a 20 MP region as updates per second.
//  2. One camera window on a simulated 1920 × 1080 camera at 30 frames per second with
//     every tool off and with every tool on: display rate, GUI thread CPU per shown frame
//     and the whole process's CPU per shown frame.
//
//   measure_bench [--seconds N] [--only tools|window]
//                 [--tools readout,region,line,clipping,focus,peaking]
//
// --tools names the tools the window phases turn on (all of them unless given), to tell
// what each costs the display.
//
// Runs under whatever QT_QPA_PLATFORM is set (offscreen, or xcb under Xvfb). The window
// phases alternate twice so that load from other work on the machine hits both.
#include <QAction>
#include <QApplication>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>

#include "BenchSupport.h"
#include "CameraThread.h"
#include "MeasureLogic.h"
#include "MeasureTools.h"
#include "VexoCameraApi.h"

namespace {

double cpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A frame with edges, gradients, noise and a few clipped pixels, as a real scene has.
QImage scene(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        uchar* p = image.scanLine(y);
        for (int x = 0; x < width; ++x, p += 3) {
            const int square = ((x / 64) + (y / 64)) % 2 ? 180 : 50;
            const int noise = int(random.bounded(9u)) - 4;
            const int v = std::clamp(square + (x % 64) / 4 + noise, 0, 255);
            p[0] = uchar(v);
            p[1] = uchar(std::min(255, v + 20));
            p[2] = uchar(255 - v);
        }
    }
    return image;
}

// The worker's copy of a frame into a buffer it keeps.
void copyInto(const QImage& frame, QImage& kept)
{
    if (kept.size() != frame.size() || kept.format() != frame.format())
        kept = QImage(frame.size(), frame.format());
    for (int y = 0; y < frame.height(); ++y)
        std::memcpy(kept.scanLine(y), frame.constScanLine(y), std::size_t(frame.bytesPerLine()));
}

// Milliseconds of thread CPU per call, over enough calls for a tenth of a second or more.
double msPerCall(const std::function<void()>& work)
{
    work();  // warm caches and buffers
    int calls = 0;
    const double start = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    double used = 0;
    do {
        work();
        ++calls;
        used = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
    } while (used < 0.1 || calls < 3);
    return 1000.0 * used / calls;
}

void benchTools()
{
    using namespace measurelogic;
    for (const QSize size : {QSize(1920, 1080), QSize(2592, 1944)}) {
        const QImage frame = scene(size.width(), size.height());
        const QRect all = frame.rect();
        const QLineF diagonal(0.5, 0.5, size.width() - 0.5, size.height() - 0.5);
        volatile double sink = 0;
        const double readout = msPerCall([&]() {
            sink = sink + readPixel(frame, {100.5, 200.5}).red;
        });
        QImage kept;
        const double copy = msPerCall([&]() { copyInto(frame, kept); });
        const double statistics =
            msPerCall([&]() { sink = sink + regionStatistics(frame, all).channels[0].mean; });
        const double sharpness = msPerCall([&]() { sink = sink + laplacianVariance(frame, all); });
        // The overlay is cleared each time but kept, as the worker's overlay pool does.
        QImage overlay(frame.size(), QImage::Format_ARGB32_Premultiplied);
        const double clipping = msPerCall([&]() {
            overlay.fill(Qt::transparent);
            sink = sink + double(markClipping(frame, &overlay).high);
        });
        const double peaking = msPerCall([&]() {
            overlay.fill(Qt::transparent);
            sink = sink + double(markPeaking(frame, overlay));
        });
        const double profile =
            msPerCall([&]() { sink = sink + lineProfile(frame, diagonal).samples(); });
        Request everything;
        everything.statistics = everything.sharpness = everything.clipping = true;
        everything.peaking = everything.profile = true;
        everything.region = all;
        everything.line = diagonal;
        OverlayPool pool;
        const double together =
            msPerCall([&]() { sink = sink + measure(frame, everything, &pool).sharpness; });
        std::printf(
            "%dx%d, ms CPU per frame: read-out %.4f | hand-over copy %.2f | statistics (whole "
            "frame)"
            " %.2f | sharpness (whole frame) %.2f | clipping with marks %.2f | peaking %.2f |"
            " profile (diagonal) %.3f | all tools in one pass %.2f\n",
            size.width(), size.height(), readout, copy, statistics, sharpness, clipping, peaking,
            profile, together);
        std::fflush(stdout);
    }
    const QImage big = scene(5472, 3648);
    volatile double sink = 0;
    const double ms =
        msPerCall([&]() { sink = sink + regionStatistics(big, big.rect()).channels[1].mean; });
    QImage kept;
    const double copyMs = msPerCall([&]() { copyInto(big, kept); });
    std::printf(
        "region statistics of a 5472x3648 (20 MP) region: %.1f ms, %.1f updates/s"
        " (%.1f updates/s with the hand-over copy of %.1f ms; target at least 10)\n",
        ms, 1000.0 / ms, 1000.0 / (ms + copyMs), copyMs);
    std::fflush(stdout);
}

struct Phase {
    double displayRate = 0;
    double guiMsPerFrame = 0;
    double processMsPerFrame = 0;
};

Phase measureWindow(CameraThread& window, int seconds)
{
    const int shownAtStart = window.shownFrameCount();
    const double guiStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const double processStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    QElapsedTimer wall;
    wall.start();
    bench::waitWithEvents(seconds * 1000);
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const int shown = window.shownFrameCount() - shownAtStart;
    Phase p;
    p.displayRate = shown / elapsed;
    if (shown > 0) {
        p.guiMsPerFrame = 1000.0 * (cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - guiStart) / shown;
        p.processMsPerFrame =
            1000.0 * (cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart) / shown;
    }
    return p;
}

int benchWindow(int seconds, const QStringList& chosen)
{
    CameraThread window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(1280, 800);
    window.show();
    bench::waitWithEvents(300);
    if (!window.startCamera(QStringLiteral("MEASUREBENCH"))) {
        std::printf("cannot open the simulated camera\n");
        return 1;
    }
    SdkSetFrameSpeed(window.cameraHandle(), 2);
    bench::waitWithEvents(1500);
    auto* tools = window.findChild<MeasureTools*>("measureTools");
    QWidget* viewport = window.findChild<QGraphicsView*>("graphicsView")->viewport();
    const QStringList names{"readout", "region", "line", "clipping", "focus", "peaking"};
    const auto setAll = [&](bool on) {
        for (int i = 0; i < MeasureTools::kToolCount; ++i) {
            const bool wanted = chosen.isEmpty() || chosen.contains(names[i]);
            tools->setOn(MeasureTools::Tool(i), on && wanted);
        }
    };
    // The region is set while its tool draws, then the line.
    tools->setOn(MeasureTools::Tool::RegionStatistics, true);
    bench::drag(viewport, QPoint(100, 80), QPoint(900, 600));
    tools->setOn(MeasureTools::Tool::LineProfile, true);
    bench::drag(viewport, QPoint(50, 400), QPoint(1200, 420));
    setAll(false);
    std::printf("window: platform %s, %d cores, 1920x1080 @30, %d s per phase, tools %s, load %s\n",
                qPrintable(QGuiApplication::platformName()), QThread::idealThreadCount(), seconds,
                chosen.isEmpty() ? "all" : qPrintable(chosen.join(QLatin1Char(','))),
                qPrintable(bench::loadAverage()));
    double offSum = 0;
    double onSum = 0;
    for (int round = 0; round < 2; ++round) {
        setAll(false);
        bench::waitWithEvents(500);
        const Phase off = measureWindow(window, seconds);
        setAll(true);
        bench::waitWithEvents(500);
        const int results = tools->resultCount();
        const Phase on = measureWindow(window, seconds);
        const double resultRate = (tools->resultCount() - results) / double(seconds);
        offSum += off.displayRate;
        onSum += on.displayRate;
        std::printf(
            "round %d | tools off: display %5.1f fps, GUI %5.2f ms/frame, process %5.2f ms/frame"
            " | all tools on: display %5.1f fps, GUI %5.2f ms/frame, process %5.2f ms/frame,"
            " %4.1f tool updates/s | load %s\n",
            round + 1, off.displayRate, off.guiMsPerFrame, off.processMsPerFrame, on.displayRate,
            on.guiMsPerFrame, on.processMsPerFrame, resultRate, qPrintable(bench::loadAverage()));
        std::fflush(stdout);
    }
    std::printf("display rate cost of all tools on: %.1f %% (target at most 5 %%)\n",
                offSum > 0 ? 100.0 * (offSum - onSum) / offSum : 0.0);
    window.closeCamera();
    return 0;
}

QStringList chosenTools(const QStringList& arguments)
{
    const int at = arguments.indexOf(QStringLiteral("--tools"));
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1].split(QLatin1Char(','))
                                                : QStringList();
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir scratch;
    if (!bench::useCameras(scratch, {bench::cameraEntry("MEASUREBENCH", 1920, 1080, 30)}))
        return 1;
    QApplication app(argc, argv);
    const bench::Arguments arguments = bench::arguments(app.arguments(), 5);
    if (arguments.only.isEmpty() || arguments.only == "tools")
        benchTools();
    if (arguments.only.isEmpty() || arguments.only == "window")
        return benchWindow(arguments.seconds, chosenTools(app.arguments()));
    return 0;
}
