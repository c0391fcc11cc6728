// Prints whether recording keeps every frame. Each recording runs from a camera window's
// own button on a simulated camera with raised gain (a noisy picture, as real sensors
// give, is the hard case for an encoder), and prints the frames the library delivered
// while it ran against the frames that reached the recorder, were written and are in the
// file (decoded and counted), the frames dropped, the display rate while recording
// against without, and the process CPU per recorded frame beyond what the live view
// alone costs.
//
//   recording_bench [--seconds N] [--only <section>]
//
// Sections: "presets" (the encoder alone on noisy 1920×1080 frames, per H.264 preset),
// "single" (1280×720 at 30, 1920×1080 at 30 and 60, 2592×1944 at 22 fps; MP4
// and AVI; the three qualities), "four" (four 1280×720 windows recording at once),
// "stall" (1920×1080 at 30 with the GUI thread blocked for 500 ms in the middle) and
// "busy" (the same beside two busy loops) and "sequence" (image sequences of TIFF pictures
// at 1920×1080 at 30 and 2592×1944 at 22 fps: pictures and frame-list rows against the
// frames delivered, MB/s written). Runs under whatever QT_QPA_PLATFORM is set.
#include <sys/resource.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "CameraThread.h"
#include "ConfigLogic.h"
#include "MediaProbe.h"
#include "RecordVideoThread.h"
#include "RecordingLogic.h"
#include "SettingsStore.h"
#include "VexoCameraApi.h"

namespace {

struct SetUp {
    int width;
    int height;
    int framesPerSecond;
};

const SetUp kSingle[] = {{1280, 720, 30}, {1920, 1080, 30}, {1920, 1080, 60}, {2592, 1944, 22}};
const SetUp kFour = {1280, 720, 30};
const SetUp kStall = {1920, 1080, 30};
constexpr int kWindowsAtOnce = 4;
constexpr int kNoisyGainMilli = 6000;
const char* const kQualityNames[] = {"normal", "better", "best"};

QString cameraIdentifier(const SetUp& s, int copy = 0)
{
    return QStringLiteral("RECBENCH%1x%2F%3N%4")
        .arg(s.width)
        .arg(s.height)
        .arg(s.framesPerSecond)
        .arg(copy);
}

QString cameraEntry(const SetUp& s, int copy)
{
    return QStringLiteral(R"({"identifier": "%1", "sensorWidth": %2, "sensorHeight": %3,
               "maxFramesPerSecond": %4, "interface": "USB3.0", "gainMaxMilli": 16000})")
        .arg(cameraIdentifier(s, copy))
        .arg(s.width)
        .arg(s.height)
        .arg(s.framesPerSecond);
}

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

quint32 deliveredFrames(const CameraThread& window)
{
    VexoFrameStatistics statistics{};
    SdkGetFrameStatistics(window.cameraHandle(), &statistics);
    return statistics.deliveredFrames;
}

// Frames the window's display took over a time: the thread's display-rate counter.
quint64 shownFrames(CameraThread& window)
{
    return window.acquisitionThread()->handOver().takenFrames();
}

struct Window {
    std::unique_ptr<CameraThread> view;
    quint32 deliveredAtStart = 0;
    quint64 shownAtStart = 0;
};

std::unique_ptr<CameraThread> openWindow(const QString& identifier, int x)
{
    auto window = std::make_unique<CameraThread>();
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->resize(640, 400);
    window->move(x, 0);
    window->show();
    if (!window->startCamera(identifier)) {
        std::printf("cannot open %s\n", qPrintable(identifier));
        return nullptr;
    }
    SdkSetAnalogGain(window->cameraHandle(), kNoisyGainMilli);
    SdkSetFrameSpeed(window->cameraHandle(), 2);
    return window;
}

// What one recording of one window came to.
// "delivered" are the frames the library handed out between the start and the stop click
// (a frame in flight at either click may fall on the other side); "numbered" are the
// frames the camera numbered from the first recorded frame to the last, so any frame lost
// inside the recording, in the library's ring or in the viewer, is the difference between
// it and the frames in the file. CPU per frame is left out when busy loops share the process.
void printRow(const char* label, const CameraThread& window, quint32 delivered, double seconds,
              double shownWhile, double shownWithout, double extraCpuSeconds, bool cpuMeaningful)
{
    const CameraThread::RecordingTotals& totals = window.lastRecording();
    const mediaprobe::Probe read = mediaprobe::probe(totals.file);
    const qint64 numbered = totals.firstFrameNumber >= 0
                                ? totals.lastFrameNumber - totals.firstFrameNumber + 1
                                : 0;
    const double keptPercent = numbered ? 100.0 * read.decodedFrames / numbered : 0;
    char cpu[32] = "  n/a";
    if (cpuMeaningful && totals.written)
        std::snprintf(cpu, sizeof cpu, "%5.2f", 1000.0 * extraCpuSeconds / totals.written);
    const char* preset = recordinglogic::h264PresetFor(read.width, read.height,
                                                       qRound(double(delivered) / seconds));
    std::printf(
        "%-34s | delivered %5u | numbered %5lld | to recorder %5d | written %5d | in file %5d "
        "(%5.1f %%) | dropped %4d | display %5.1f fps (without %5.1f) | CPU %s ms/frame | %s | "
        "load %s\n",
        label, delivered, numbered, totals.offered, totals.written, read.decodedFrames,
        keptPercent, totals.dropped, shownWhile / seconds, shownWithout, cpu,
        read.codec == QLatin1String("h264") ? preset : "mpeg4", qPrintable(bench::loadAverage()));
    std::fflush(stdout);
    QFile::remove(totals.file);
}

// What one image sequence came to: pictures and rows in its folder against the frames the
// library delivered and the camera numbered, and the data rate to the disk.
void printSequenceRow(const char* label, const CameraThread& window, quint32 delivered,
                      double seconds, double extraCpuSeconds)
{
    const CameraThread::RecordingTotals& totals = window.lastRecording();
    QDir folder(totals.file);
    qint64 bytes = 0;
    int pictures = 0;
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files)) {
        bytes += file.size();
        pictures += file.suffix() == QLatin1String("tif") ? 1 : 0;
    }
    QFile list(folder.filePath(QStringLiteral("frames.csv")));
    int rows = -1;  // the header
    if (list.open(QIODevice::ReadOnly))
        while (!list.readLine().isEmpty())
            ++rows;
    const qint64 numbered = totals.firstFrameNumber >= 0
                                ? totals.lastFrameNumber - totals.firstFrameNumber + 1
                                : 0;
    const double cpu = totals.written ? 1000.0 * extraCpuSeconds / totals.written : 0.0;
    std::printf("%-34s | delivered %5u | numbered %5lld | written %5d | pictures %5d (%5.1f %%) | "
                "rows %5d | dropped %4d | %6.1f MB/s | CPU %5.2f ms/frame | load %s\n",
                label, delivered, numbered, totals.written, pictures,
                numbered ? 100.0 * pictures / numbered : 0.0, rows, totals.dropped,
                bytes / 1e6 / seconds, cpu, qPrintable(bench::loadAverage()));
    std::fflush(stdout);
    folder.removeRecursively();
}

// Records every window at once for seconds; stallAtMs blocks the GUI thread for 500 ms
// at that time (negative: never).
void recordTogether(std::vector<std::unique_ptr<CameraThread>>& windows, int videoType, int quality,
                    int seconds, int stallAtMs, const QString& label, bool cpuMeaningful = true)
{
    SettingsStore* settings = settingsStore();
    settings->setValue(QStringLiteral("RECORDINFO"), QStringLiteral("VideoType"), videoType);
    settings->setValue(QStringLiteral("RECORDINFO"), QStringLiteral("VideoQuality"), quality);

    // The live view alone, for the display rate and the CPU it costs.
    std::vector<quint64> shownBefore;
    for (auto& w : windows)
        shownBefore.push_back(shownFrames(*w));
    double cpu = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    bench::waitWithEvents(seconds * 1000 / 2);
    const double idleSeconds = wall.nsecsElapsed() / 1e9;
    const double idleCpu = processCpuSeconds() - cpu;
    std::vector<double> shownWithout;
    for (std::size_t i = 0; i < windows.size(); ++i)
        shownWithout.push_back((shownFrames(*windows[i]) - shownBefore[i]) / idleSeconds);

    std::vector<quint32> deliveredBefore;
    shownBefore.clear();
    for (auto& w : windows) {
        deliveredBefore.push_back(deliveredFrames(*w));
        shownBefore.push_back(shownFrames(*w));
        w->findChild<QPushButton*>(QStringLiteral("pushButton_recording"))->click();
    }
    cpu = processCpuSeconds();
    wall.restart();
    if (stallAtMs >= 0)
        QTimer::singleShot(stallAtMs, []() { QThread::msleep(500); });
    bench::waitWithEvents(seconds * 1000);
    const double recordSeconds = wall.nsecsElapsed() / 1e9;
    std::vector<quint32> delivered;
    std::vector<quint64> shown;
    for (auto& w : windows) {
        shown.push_back(shownFrames(*w));
        delivered.push_back(deliveredFrames(*w));
        w->findChild<QPushButton*>(QStringLiteral("pushButton_recording"))->click();
    }
    const double recordCpu = processCpuSeconds() - cpu;
    const double extraCpu = (recordCpu - idleCpu * recordSeconds / idleSeconds) / windows.size();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const QString row =
            windows.size() > 1 ? QStringLiteral("%1 #%2").arg(label).arg(i + 1) : label;
        if (recordinglogic::isImageSequence(videoType))
            printSequenceRow(qPrintable(row), *windows[i], delivered[i] - deliveredBefore[i],
                             recordSeconds, extraCpu);
        else
            printRow(qPrintable(row), *windows[i], delivered[i] - deliveredBefore[i],
                     recordSeconds, double(shown[i] - shownBefore[i]), shownWithout[i], extraCpu,
                     cpuMeaningful);
    }
}

void single(int seconds)
{
    for (const SetUp& s : kSingle) {
        std::vector<std::unique_ptr<CameraThread>> windows;
        windows.push_back(openWindow(cameraIdentifier(s), 0));
        if (!windows.back())
            continue;
        bench::waitWithEvents(2000);
        for (int videoType : {0, 1})
            for (int quality : {0, 1, 2})
                recordTogether(windows, videoType, quality, seconds, -1,
                               QStringLiteral("%1x%2@%3 %4 %5")
                                   .arg(s.width)
                                   .arg(s.height)
                                   .arg(s.framesPerSecond)
                                   .arg(videoType == 0 ? "mp4" : "avi")
                                   .arg(kQualityNames[quality]));
    }
}

void sequence(int seconds)
{
    for (const SetUp& s : {kSingle[1], kSingle[3]}) {
        std::vector<std::unique_ptr<CameraThread>> windows;
        windows.push_back(openWindow(cameraIdentifier(s), 0));
        if (!windows.back())
            continue;
        const qint64 perSecond = qint64(s.width) * 3 * s.height * s.framesPerSecond;
        std::printf("%dx%d@%d pre-trigger memory %.1f MiB per second (limit %lld MiB: %lld s)\n",
                    s.width, s.height, s.framesPerSecond, perSecond / 1048576.0,
                    configlogic::kPreTriggerLimitBytes >> 20,
                    configlogic::kPreTriggerLimitBytes / qMax<qint64>(1, perSecond));
        bench::waitWithEvents(2000);
        recordTogether(windows, recordinglogic::kImageSequenceType, 0, seconds, -1,
                       QStringLiteral("%1x%2@%3 sequence")
                           .arg(s.width)
                           .arg(s.height)
                           .arg(s.framesPerSecond));
    }
}

void four(int seconds)
{
    std::vector<std::unique_ptr<CameraThread>> windows;
    for (int i = 0; i < kWindowsAtOnce; ++i) {
        windows.push_back(openWindow(cameraIdentifier(kFour, i), 40 * i));
        if (!windows.back())
            return;
    }
    bench::waitWithEvents(2000);
    recordTogether(windows, 0, 0, seconds, -1, QStringLiteral("four 1280x720@30 mp4 normal"));
}

void stall(int seconds, bool busyLoops)
{
    std::atomic<bool> stop{false};
    std::vector<std::thread> loops;
    if (busyLoops)
        for (int i = 0; i < 2; ++i)
            loops.emplace_back([&stop]() {
                volatile unsigned spin = 0;
                while (!stop.load(std::memory_order_relaxed))
                    spin = spin + 1;
            });
    std::vector<std::unique_ptr<CameraThread>> windows;
    windows.push_back(openWindow(cameraIdentifier(kStall), 0));
    if (windows.back()) {
        bench::waitWithEvents(2000);
        for (int videoType : {0, 1})
            for (int quality : {0, 1, 2})
                recordTogether(windows, videoType, quality, seconds, seconds * 1000 / 2,
                               QStringLiteral("1920x1080@30 %1 %2 stall%3")
                                   .arg(videoType == 0 ? "mp4" : "avi")
                                   .arg(kQualityNames[quality])
                                   .arg(busyLoops ? " +2 busy" : ""),
                               !busyLoops);
    }
    stop.store(true);
    for (auto& loop : loops)
        loop.join();
}

// Encoder speed alone, on noisy frames of the 1920×1080 camera: frames per second each
// H.264 preset reaches at the three bit rates, encoding in one thread as the recorder
// does. The recorder's preset is the slowest that keeps well above 30 at "best".
void presets()
{
    const SetUp s = kStall;
    int handle = 0;
    if (SdkOpenCamera(&handle, qPrintable(cameraIdentifier(s))) != VEXO_SDK_OK)
        return;
    SdkSetAnalogGain(handle, kNoisyGainMilli);
    SdkSetOutputFormat(handle, VEXO_SDK_PIXEL_RGB8);
    SdkStartAcquisition(handle);
    std::vector<QImage> frames;
    std::vector<BYTE> buffer(std::size_t(s.width) * s.height * 4);
    while (frames.size() < 60) {
        uint32_t token = 0;
        stImageInfo info{};
        if (SdkGetFrame(handle, &token, 2000) != VEXO_SDK_OK)
            continue;
        BYTE* raw = SdkGetRawImage(handle, token, &info);
        if (raw && SdkProcessImage(handle, &info, raw, buffer.data()) == VEXO_SDK_OK)
            frames.push_back(QImage(buffer.data(), info.width, info.height, info.width * 3,
                                    QImage::Format_RGB888)
                                 .copy());
        SdkReleaseFrame(handle, token);
    }
    SdkStopAcquisition(handle);
    SdkCloseCamera(handle);

    QTemporaryDir scratch;
    for (const char* preset : {"slow", "medium", "fast", "faster", "veryfast", "superfast", "ultrafast"}) {
        for (int quality : {0, 1, 2}) {
            RecordVideoThread::Options options;
            options.realTime = false;
            options.encoderOptions.append({QByteArray("preset"), QByteArray(preset)});
            const QString path = scratch.filePath(QStringLiteral("%1-%2.mp4").arg(preset).arg(quality));
            RecordVideoThread recorder(quality == 0 ? 500000 : quality == 1 ? 1000000 : 2000000, 30,
                                       s.width, s.height, path.toUtf8(), options);
            const int rounds = 3;
            const double cpu = processCpuSeconds();
            QElapsedTimer wall;
            wall.start();
            for (int r = 0; r < rounds; ++r)
                for (std::size_t i = 0; i < frames.size(); ++i)
                    recorder.writeFrame(frames[i], qint64(r * frames.size() + i) * 33333);
            recorder.finish();
            const double seconds = wall.nsecsElapsed() / 1e9;
            const int count = rounds * int(frames.size());
            std::printf("preset %-9s %-6s | %6.1f fps | CPU %5.2f ms/frame | %7lld kB | load %s\n",
                        preset, kQualityNames[quality], count / seconds,
                        1000.0 * (processCpuSeconds() - cpu) / count,
                        QFileInfo(path).size() / 1024, qPrintable(bench::loadAverage()));
            std::fflush(stdout);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // The settings store locates Config.ini before main: the bench starts itself again with
    // a data folder of its own, so it never touches the user's settings.
    if (!qEnvironmentVariableIsSet("RECORDING_BENCH_DATA")) {
        char folder[] = "/tmp/recording-bench-XXXXXX";
        if (!mkdtemp(folder))
            return 1;
        setenv("RECORDING_BENCH_DATA", folder, 1);
        setenv("XDG_DATA_HOME", folder, 1);
        execv("/proc/self/exe", argv);
        return 1;
    }
    QTemporaryDir scratch;
    QStringList cameras;
    for (const SetUp& s : kSingle)
        cameras << cameraEntry(s, 0);
    for (int i = 1; i < kWindowsAtOnce; ++i)
        cameras << cameraEntry(kFour, i);
    if (!bench::useCameras(scratch, cameras))
        return 1;

    QApplication app(argc, argv);
    const bench::Arguments options = bench::arguments(app.arguments(), 6);
    const int seconds = options.seconds;
    const QString only = options.only;
    SettingsStore* settings = settingsStore();
    settings->resetRecordSettings();
    const QString videos = scratch.filePath(QStringLiteral("videos"));
    QDir().mkpath(videos);
    settings->setValue(QStringLiteral("RECORDINFO"), QStringLiteral("SvaePath"), videos);
    settings->setValue(QStringLiteral("RECORDINFO"), QStringLiteral("AutoSaveState"), 2);
    settings->setValue(QStringLiteral("RECORDINFO"), QStringLiteral("PlaySpeed"), 1);

    std::printf(
        "platform %s, %d cores, %d s per recording, queue limit %lld MiB\n",
        qPrintable(QGuiApplication::platformName()), QThread::idealThreadCount(), seconds,
        RecordVideoThread::kQueueLimitBytes >> 20);
    if (only.isEmpty() || only == QLatin1String("presets"))
        presets();
    if (only.isEmpty() || only == QLatin1String("single"))
        single(seconds);
    if (only.isEmpty() || only == QLatin1String("sequence"))
        sequence(seconds);
    if (only.isEmpty() || only == QLatin1String("four"))
        four(seconds);
    if (only.isEmpty() || only == QLatin1String("stall"))
        stall(seconds, false);
    if (only.isEmpty() || only == QLatin1String("busy"))
        stall(seconds, true);
    QDir(qEnvironmentVariable("RECORDING_BENCH_DATA")).removeRecursively();
    return 0;
}
