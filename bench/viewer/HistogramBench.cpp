// Prints what a histogram window costs a camera window: the display rate of one camera
// window on a simulated 1920 × 1080 camera at 30 frames per second with and without a
// histogram window fed by the same frames, the GUI thread's time per frame, and the
// histogram's own time per frame (counting and chart update), measured alone.
//
//   histogram_bench [--seconds N] [--rounds R]
//
// Runs under whatever QT_QPA_PLATFORM is set (offscreen, or xcb under Xvfb). The
// phases alternate R times so that load from other work on the machine hits both.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <vector>

#include "BenchTiming.h"
#include "CameraThread.h"
#include "HistogramLogic.h"
#include "VexoCameraApi.h"
#include "histogramWidget.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kFramesPerSecond = 30;

using benchtiming::threadCpuSeconds;

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 0);
}

void waitWithEvents(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::usleep(200);
    }
}

struct Phase {
    double displayRate = 0;
    double captureRate = 0;
    double guiMsPerFrame = 0;
};

Phase measure(CameraThread& window, int seconds)
{
    VexoFrameStatistics start{};
    SdkGetFrameStatistics(window.cameraHandle(), &start);
    const int shownAtStart = window.acquisitionThread()->frameCount();
    const double cpuStart = threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    waitWithEvents(seconds * 1000);
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    VexoFrameStatistics end{};
    SdkGetFrameStatistics(window.cameraHandle(), &end);
    const int shown = window.acquisitionThread()->frameCount() - shownAtStart;
    Phase p;
    p.displayRate = shown / elapsed;
    p.captureRate = double(end.deliveredFrames - start.deliveredFrames) / elapsed;
    p.guiMsPerFrame = shown > 0 ? 1000.0 * (threadCpuSeconds() - cpuStart) / shown : 0.0;
    return p;
}

// The histogram's work per frame alone: counting plus statistics and chart update.
void timeHistogramAlone(double* countMs, double* slotMs)
{
    std::vector<uchar> pixels(size_t(kWidth) * kHeight * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uchar((i * 7) ^ (i >> 11));
    const QImage image(pixels.data(), kWidth, kHeight, kWidth * 3, QImage::Format_RGB888);
    const int rounds = 30;
    histogramlogic::Levels levels;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i)
        histogramlogic::countLevels(image, levels);
    *countMs = double(timer.nsecsElapsed()) / 1e6 / rounds;

    histogramWidget widget(0);
    widget.show();
    waitWithEvents(200);
    timer.restart();
    for (int i = 0; i < rounds; ++i) {
        widget.dealtData(image);
        QCoreApplication::processEvents();  // the repaint
    }
    *slotMs = double(timer.nsecsElapsed()) / 1e6 / rounds;
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir scratch;
    qputenv("VEXOCAM_STATE_DIR", QFile::encodeName(scratch.filePath("state")));
    qputenv("VEXOCAM_DEVICE_DIR", QFile::encodeName(scratch.filePath("devices")));
    const QString list = scratch.filePath("cameras.json");
    {
        QFile file(list);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(QStringLiteral(R"({"cameras": [{"identifier": "HISTOBENCH", "sensorWidth": %1,
            "sensorHeight": %2, "maxFramesPerSecond": %3, "interface": "USB3.0"}]})")
                       .arg(kWidth)
                       .arg(kHeight)
                       .arg(kFramesPerSecond)
                       .toUtf8());
    }
    qputenv("VEXOCAM_CAMERAS", QFile::encodeName(list));

    QApplication app(argc, argv);
    int seconds = 5;
    int rounds = 2;
    const QStringList arguments = app.arguments();
    for (int i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--seconds")
            seconds = arguments[i + 1].toInt();
        else if (arguments[i] == "--rounds")
            rounds = arguments[i + 1].toInt();
    }

    CameraThread window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(1280, 800);
    window.show();
    waitWithEvents(300);
    if (!window.startCamera(QStringLiteral("HISTOBENCH"))) {
        std::printf("cannot open the simulated camera\n");
        return 1;
    }
    SdkSetFrameSpeed(window.cameraHandle(), 2);
    waitWithEvents(1500);
    QAction* histogramAction = nullptr;
    for (QAction* action : window.findChild<QMenu*>()->actions())
        if (action->text() == QStringLiteral("直方图"))
            histogramAction = action;

    std::printf("platform %s, %d cores, %dx%d @%d, %d s per phase, load %s\n",
                qPrintable(QGuiApplication::platformName()), QThread::idealThreadCount(), kWidth,
                kHeight, kFramesPerSecond, seconds, qPrintable(loadAverage()));
    double withoutSum = 0;
    double withSum = 0;
    for (int round = 0; round < rounds; ++round) {
        const Phase without = measure(window, seconds);
        histogramAction->trigger();
        histogramWidget* histogram = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* h = qobject_cast<histogramWidget*>(w))
                histogram = h;
        waitWithEvents(500);
        const Phase with = measure(window, seconds);
        delete histogram;
        withoutSum += without.displayRate;
        withSum += with.displayRate;
        std::printf(
            "round %d | without histogram: display %5.1f fps (capture %5.1f), GUI %5.2f ms/frame"
            " | with histogram: display %5.1f fps (capture %5.1f), GUI %5.2f ms/frame | load %s\n",
            round + 1, without.displayRate, without.captureRate, without.guiMsPerFrame,
            with.displayRate, with.captureRate, with.guiMsPerFrame, qPrintable(loadAverage()));
        std::fflush(stdout);
    }
    window.closeCamera();
    double countMs = 0;
    double slotMs = 0;
    timeHistogramAlone(&countMs, &slotMs);
    const double cost = withoutSum > 0 ? 100.0 * (withoutSum - withSum) / withoutSum : 0.0;
    std::printf("display rate cost of the histogram window: %.1f %% (target at most 10 %%)\n",
                cost);
    std::printf(
        "histogram alone per 1920x1080 frame: counting %.2f ms, whole slot with repaint %.2f ms\n",
        countMs, slotMs);
    return 0;
}
