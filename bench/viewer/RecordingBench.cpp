// Prints how recording keeps up with simulated cameras: for each size, container and
// time-stamp mode, the frames written per second, the capture and display rates while
// recording (against the display rate without recording), and the recorded file's
// duration against the wall-clock time the recording ran and against the capture times
// of its frames. Fixed-rate rows show what one-period-per-frame stamping does.
//
//   recording_bench [--seconds N] [--only "<width>x<height>"]
//
// Runs under whatever QT_QPA_PLATFORM is set (offscreen, or xcb under Xvfb).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "BenchSupport.h"
#include "CameraThread.h"
#include "MediaProbe.h"
#include "RecordVideoThread.h"
#include "VexoCameraApi.h"

namespace {

struct SetUp {
    int width;
    int height;
    int framesPerSecond;
};

const SetUp kSetUps[] = {{1280, 720, 30}, {1920, 1080, 30}};

QString cameraIdentifier(const SetUp& s)
{
    return QStringLiteral("RECBENCH%1x%2F%3").arg(s.width).arg(s.height).arg(s.framesPerSecond);
}

using bench::loadAverage;
using bench::waitWithEvents;

struct Counts {
    quint32 delivered = 0;
    int shown = 0;
};

Counts counts(CameraThread* window)
{
    VexoFrameStatistics statistics{};
    SdkGetFrameStatistics(window->cameraHandle(), &statistics);
    return Counts{statistics.deliveredFrames, window->acquisitionThread()->frameCount()};
}

void run(const SetUp& s, int seconds, const QTemporaryDir& scratch)
{
    CameraThread window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(960, 600);
    window.show();
    waitWithEvents(300);
    if (!window.startCamera(cameraIdentifier(s))) {
        std::printf("cannot open %s\n", qPrintable(cameraIdentifier(s)));
        return;
    }
    SdkSetFrameSpeed(window.cameraHandle(), 2);
    waitWithEvents(2000);

    // Display without recording.
    Counts before = counts(&window);
    QElapsedTimer wall;
    wall.start();
    waitWithEvents(seconds * 1000 / 2);
    Counts after = counts(&window);
    const double idleDisplay = (after.shown - before.shown) / (wall.nsecsElapsed() / 1e9);

    struct Mode {
        const char* container;
        bool realTime;
    };
    for (const Mode mode : {Mode{"mp4", true}, Mode{"avi", true}, Mode{"mp4", false}}) {
        const QString path = scratch.filePath(QStringLiteral("%1x%2-%3-%4.%5")
                                                  .arg(s.width)
                                                  .arg(s.height)
                                                  .arg(mode.realTime ? "real" : "fixed")
                                                  .arg(mode.container)
                                                  .arg(mode.container));
        RecordVideoThread::Options options;
        options.realTime = mode.realTime;
        CVideoThread* source = window.acquisitionThread();
        options.captureClockUs = [source]() { return source->handOverTimestampMs() * 1000; };
        // The file's nominal rate as the window picks it: the measured rate, cut.
        const int rate = qMax(1, int(window.lastCaptureRate()));
        before = counts(&window);
        wall.restart();
        auto* recorder =
            new RecordVideoThread(500000, rate, s.width, s.height, path.toUtf8(), options);
        QObject::connect(source, SIGNAL(acquireFrame(QImage)), recorder,
                         SLOT(image_to_avframe(QImage)), Qt::BlockingQueuedConnection);
        // The file starts with the first frame the recorder took; until then the encoder
        // was being set up and the frame in hand-over was on its way.
        double firstFrameAt = -1;
        while (wall.elapsed() < seconds * 1000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::usleep(200);
            if (firstFrameAt < 0 && recorder->framesEncoded() > 0)
                firstFrameAt = wall.nsecsElapsed() / 1e9;
        }
        after = counts(&window);
        const double stoppedAt = wall.nsecsElapsed() / 1e9;
        delete recorder;  // disconnects, drains and closes
        const double recorded = stoppedAt;
        const double fromFirstFrame = stoppedAt - firstFrameAt;

        const mediaprobe::Probe read = mediaprobe::probe(path);
        const double captureRate = (after.delivered - before.delivered) / recorded;
        const double display = (after.shown - before.shown) / recorded;
        const double written = read.packets / recorded;
        std::printf(
            "%4dx%-4d @%2d %s %-5s | written %5.1f fps | capture %5.1f fps | display %5.1f fps "
            "(without recording %5.1f) | file %6.2f s: %+5.1f %% of %6.2f s since the button, "
            "%+5.1f %% of %6.2f s since the first frame was encoded | nominal %d fps | load %s\n",
            s.width, s.height, s.framesPerSecond, mode.container, mode.realTime ? "real" : "fixed",
            written, captureRate, display, idleDisplay, read.durationSeconds,
            100.0 * (read.durationSeconds - recorded) / recorded, recorded,
            100.0 * (read.durationSeconds - fromFirstFrame) / fromFirstFrame, fromFirstFrame, rate,
            qPrintable(loadAverage()));
        std::fflush(stdout);
    }
    window.closeCamera();
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir scratch;
    QStringList cameras;
    for (const SetUp& s : kSetUps)
        cameras << bench::cameraEntry(cameraIdentifier(s), s.width, s.height, s.framesPerSecond);
    if (!bench::useCameras(scratch, cameras))
        return 1;

    QApplication app(argc, argv);
    const bench::Arguments options = bench::arguments(app.arguments(), 10);
    const int seconds = options.seconds;
    const QString only = options.only;
    std::printf("platform %s, %d cores, %d s per recording\n",
                qPrintable(QGuiApplication::platformName()), QThread::idealThreadCount(), seconds);
    for (const SetUp& s : kSetUps) {
        if (only.isEmpty() || only == QStringLiteral("%1x%2").arg(s.width).arg(s.height))
            run(s, seconds, scratch);
    }
    return 0;
}
