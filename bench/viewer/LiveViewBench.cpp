// Prints how well camera windows keep up with simulated cameras: for each set-up the
// capture rate (frames the cameras delivered), the display rate (frames handed to the
// windows), the GUI thread's CPU time per displayed frame and the process's CPU use.
// Also times painting one frame at the window's size, to show where time goes.
//
//   liveview_bench [--seconds N] [--only "<windows>x<width>x<height>"]
//   liveview_bench [--seconds N] --camera <identifier> [--mono]
//
// With --camera it measures one window on that camera of whichever backends
// VEXOCAM_BACKENDS names (a real or fake GenICam camera, for example), at the frame speed
// the camera comes with, and adds the frames lost on the way. --mono chooses the camera's
// Mono8 image format first, as a user would in the parameter panel.
//
// Runs under whatever QT_QPA_PLATFORM is set (offscreen, or xcb under Xvfb).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <vector>

#include "BenchSupport.h"
#include "CameraThread.h"
#include "VexoCameraApi.h"

namespace {

struct SetUp {
    int windows;
    int width;
    int height;
    int framesPerSecond;
};

const SetUp kSetUps[] = {
    {1, 1920, 1080, 60}, {1, 2592, 1944, 30}, {4, 1280, 720, 30},
    {4, 1920, 1080, 30}, {9, 1280, 720, 30},  {9, 1920, 1080, 30},
};

QString cameraIdentifier(const SetUp& s, int index)
{
    return QStringLiteral("BENCH%1x%2F%3N%4").arg(s.width).arg(s.height).arg(s.framesPerSecond).arg(index);
}

// One camera list with every camera any set-up needs (the library reads it once).
QStringList cameraEntries()
{
    QStringList entries;
    QStringList seen;
    for (const SetUp& s : kSetUps) {
        for (int i = 0; i < s.windows; ++i) {
            const QString id = cameraIdentifier(s, i);
            if (seen.contains(id))
                continue;
            seen << id;
            entries << bench::cameraEntry(id, s.width, s.height, s.framesPerSecond);
        }
    }
    return entries;
}

using bench::loadAverage;
using bench::waitWithEvents;

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Milliseconds to paint one 32-bit frame of this size into a view of that size, fitted as
// the window fits it, and what converting a 24-bit frame first would add (the display
// paints 32-bit frames while the screen alone shows them).
void timePainting(int width, int height, QSize view, double* paintMs, double* conversionMs)
{
    std::vector<uchar> pixels(size_t(width) * size_t(height) * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uchar(i * 7);
    const QImage frame24(pixels.data(), width, height, width * 3, QImage::Format_RGB888);
    const QImage frame32 = frame24.convertToFormat(QImage::Format_RGB32);
    QImage target(view, QImage::Format_RGB32);
    const double scale = std::min(1.0, std::min(double(view.width()) / width,
                                                double(view.height()) / height));
    const int rounds = 20;
    auto paint = [&]() {
        QPainter painter(&target);
        painter.scale(scale, scale);
        painter.drawImage(0, 0, frame32);
    };
    paint();   // the window's backing store is in memory already: fault the target in first
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i)
        paint();
    *paintMs = double(timer.nsecsElapsed()) / 1e6 / rounds;
    timer.restart();
    for (int i = 0; i < rounds; ++i) {
        const QImage converted = frame24.convertToFormat(QImage::Format_RGB32);
        Q_UNUSED(converted);
    }
    *conversionMs = double(timer.nsecsElapsed()) / 1e6 / rounds;
}

void run(SetUp s, int seconds, const QStringList& identifiers = {}, bool mono = false)
{
    QWidget grid;
    auto* layout = new QGridLayout(&grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    const int side = s.windows == 1 ? 1 : (s.windows == 4 ? 2 : 3);
    std::vector<CameraThread*> windows;
    for (int i = 0; i < s.windows; ++i) {
        auto* window = new CameraThread;
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        layout->addWidget(window, i / side, i % side);
        windows.push_back(window);
    }
    grid.resize(1280, 800);
    grid.show();
    waitWithEvents(300);
    for (int i = 0; i < s.windows; ++i) {
        const QString id = identifiers.isEmpty() ? cameraIdentifier(s, i) : identifiers[i];
        if (!windows[size_t(i)]->startCamera(id)) {
            std::printf("cannot open %s\n", qPrintable(id));
            return;
        }
        if (identifiers.isEmpty()) {
            // High frame speed: the sensor then reads out at the camera's full rate (the
            // default exposure of 10 ms stays shorter than a frame at 60 per second).
            SdkSetFrameSpeed(windows[size_t(i)]->cameraHandle(), 2);
        } else {
            const int handle = windows[size_t(i)]->cameraHandle();
            if (mono && SdkSetImageFormat(handle, VEXO_SDK_PIXEL_MONO8) != VEXO_SDK_OK)
                std::printf("%s has no Mono8 image format\n", qPrintable(identifiers[i]));
            SdkGetResolution(handle, &s.width, &s.height);
        }
    }
    waitWithEvents(1500);  // warm-up: first frames, fits, buffers

    std::vector<quint32> deliveredAtStart(size_t(s.windows));
    std::vector<int> shownAtStart(size_t(s.windows));
    for (int i = 0; i < s.windows; ++i) {
        VexoFrameStatistics statistics{};
        SdkGetFrameStatistics(windows[size_t(i)]->cameraHandle(), &statistics);
        deliveredAtStart[size_t(i)] = statistics.deliveredFrames;
        shownAtStart[size_t(i)] = windows[size_t(i)]->acquisitionThread()->frameCount();
    }
    const double guiCpuStart = threadCpuSeconds();
    const double processCpuStart = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    waitWithEvents(seconds * 1000);
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const double guiCpu = threadCpuSeconds() - guiCpuStart;
    const double processCpu = processCpuSeconds() - processCpuStart;

    double captureSum = 0;
    double displaySum = 0;
    quint32 lostSum = 0;
    double worstShare = 1.0;
    for (int i = 0; i < s.windows; ++i) {
        VexoFrameStatistics statistics{};
        SdkGetFrameStatistics(windows[size_t(i)]->cameraHandle(), &statistics);
        const double captured = double(statistics.deliveredFrames - deliveredAtStart[size_t(i)]);
        const double shown = double(windows[size_t(i)]->acquisitionThread()->frameCount() - shownAtStart[size_t(i)]);
        captureSum += captured;
        displaySum += shown;
        lostSum += statistics.lostFrames;
        if (captured > 0)
            worstShare = std::min(worstShare, shown / captured);
    }
    const QSize view = windows.front()->findChild<QWidget*>("graphicsView")->size();
    for (CameraThread* window : windows)
        window->closeCamera();
    // Timed with the cameras stopped, so nothing else competes for the cores.
    double paintMs = 0;
    double conversionMs = 0;
    timePainting(s.width, s.height, view, &paintMs, &conversionMs);

    if (!identifiers.isEmpty())
        std::printf("%s | lost since open %u | process CPU %6.2f ms per displayed frame\n",
                    qPrintable(identifiers.join(',')), lostSum,
                    displaySum > 0 ? 1000.0 * processCpu / displaySum : 0.0);
    std::printf("%d x %4dx%-4d @%2d | capture %6.1f fps/window | display %6.1f fps/window | shown %5.1f %% "
                "(worst window %5.1f %%) | GUI %6.2f ms/frame | CPU %5.0f %% of one core | "
                "paint %5.2f ms (24-bit frame: +%5.2f ms) | view %dx%d | load %s\n",
                s.windows, s.width, s.height, s.framesPerSecond, captureSum / elapsed / s.windows,
                displaySum / elapsed / s.windows, captureSum > 0 ? 100.0 * displaySum / captureSum : 0.0,
                100.0 * worstShare, displaySum > 0 ? 1000.0 * guiCpu / displaySum : 0.0,
                100.0 * processCpu / elapsed, paintMs, conversionMs, view.width(), view.height(),
                qPrintable(loadAverage()));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir scratch;
    // Keep the bench's simulated cameras away from the user's own camera state.
    if (!bench::useCameras(scratch, cameraEntries()))
        return 1;

    QApplication app(argc, argv);
    const bench::Arguments options = bench::arguments(app.arguments(), 5);
    const int seconds = options.seconds;
    const QString only = options.only;
    QString camera;
    const QStringList arguments = app.arguments();
    for (int i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--camera")
            camera = arguments[i + 1];
    }
    const bool mono = arguments.contains(QStringLiteral("--mono"));
    std::printf("platform %s, %d cores, %d s per set-up\n", qPrintable(QGuiApplication::platformName()),
                QThread::idealThreadCount(), seconds);
    if (!camera.isEmpty()) {
        run(SetUp{1, 0, 0, 0}, seconds, {camera}, mono);
        return 0;
    }
    for (const SetUp& s : kSetUps) {
        const QString name = QStringLiteral("%1x%2x%3").arg(s.windows).arg(s.width).arg(s.height);
        if (only.isEmpty() || only == name)
            run(s, seconds);
    }
    return 0;
}
