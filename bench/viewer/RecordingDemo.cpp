// One camera window on a simulated camera that records for a while through its own
// recording button, for looking at it: screenshots during the recording, then the first
// and last frame of the file as pictures.
//
//   recording_demo <folder> [identifier] [--seconds N] [--avi] [--sequence] [--pretrigger S]
//
// --sequence records TIFF pictures with their frame list; --pretrigger keeps S seconds
// before the button is pressed (the button waits until they are there).
// Writes the video into <folder>, plus <folder>/window-recording.png (during the
// recording), <folder>/window-after.png and <folder>/frame-first.png, frame-last.png.
// Changes RECORDINFO in the Config.ini it finds: run it with a private HOME/XDG folders
// (tests/run-isolated.sh).
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "CameraThread.h"
#include "MediaProbe.h"
#include "SettingsStore.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2)
        return 2;
    const QString folder = arguments[1];
    QString identifier = QStringLiteral("VXG2301C0001");
    int seconds = 10;
    bool avi = false;
    bool sequence = false;
    int preTrigger = 0;
    for (int i = 2; i < arguments.size(); ++i) {
        if (arguments[i] == "--seconds" && i + 1 < arguments.size())
            seconds = arguments[++i].toInt();
        else if (arguments[i] == "--avi")
            avi = true;
        else if (arguments[i] == "--sequence")
            sequence = true;
        else if (arguments[i] == "--pretrigger" && i + 1 < arguments.size())
            preTrigger = arguments[++i].toInt();
        else
            identifier = arguments[i];
    }
    QDir().mkpath(folder);
    SettingsStore* store = settingsStore();
    store->setValue("RECORDINFO", "SvaePath", folder);
    store->setValue("RECORDINFO", "AutoSaveState", 2);
    store->setValue("RECORDINFO", "VideoType", sequence ? 2 : avi ? 1 : 0);
    store->setValue("RECORDINFO", "PreTriggerSeconds", preTrigger);
    store->setValue("RECORDINFO", "PlaySpeed", 1);

    CameraThread window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(960, 640);
    window.move(40, 40);
    window.show();
    if (!window.startCamera(identifier))
        return 1;
    QTimer::singleShot(500, &window, [&window]() {
        QWidget* view = window.findChild<QWidget*>("graphicsView");
        QCursor::setPos(view->mapToGlobal(QPoint(view->width() / 2, view->height() * 7 / 8)));
    });
    auto* button = window.findChild<QPushButton*>("pushButton_recording");
    QElapsedTimer recording;
    // The pre-trigger starts keeping at the first status report, a second in.
    const int startMs = 2500 + preTrigger * 1000;
    QTimer::singleShot(startMs, &window, [&]() {
        button->click();
        recording.start();
        std::printf("recording: title \"%s\"\n", qPrintable(window.windowTitle()));
    });
    QTimer::singleShot(startMs + seconds * 500, &window, [&]() {
        window.grab().save(folder + "/window-recording.png");
        std::printf("status: %s\nprogress: %s\n",
                    qPrintable(window.findChild<QLabel*>("label_camerainfo")->text()),
                    qPrintable(window.findChild<QLabel*>("label_recording")->text()));
    });
    QTimer::singleShot(startMs + seconds * 1000, &window, [&]() {
        button->click();
        std::printf("stopped after %.2f s: title \"%s\"\n", recording.nsecsElapsed() / 1e9,
                    qPrintable(window.windowTitle()));
        window.grab().save(folder + "/window-after.png");
        const CameraThread::RecordingTotals& totals = window.lastRecording();
        std::printf("camera numbered %lld frames (%lld..%lld), recorder took %d, wrote %d, "
                    "dropped %d\n",
                    totals.firstFrameNumber >= 0
                        ? totals.lastFrameNumber - totals.firstFrameNumber + 1
                        : 0,
                    totals.firstFrameNumber, totals.lastFrameNumber, totals.offered,
                    totals.written, totals.dropped);
        for (const QString& file : QDir(folder).entryList({"*.mp4", "*.avi"}, QDir::Files)) {
            const mediaprobe::Probe read = mediaprobe::probe(QDir(folder).filePath(file));
            std::printf("%s: %s %s %dx%d, %d frames decoded, %.2f s\n", qPrintable(file),
                        qPrintable(read.container), qPrintable(read.codec), read.width, read.height,
                        read.decodedFrames, read.durationSeconds);
            read.firstFrame.save(folder + "/frame-first.png");
            read.lastFrame.save(folder + "/frame-last.png");
        }
        if (QFileInfo(totals.file).isDir())
            std::printf("%s: %d pictures, frame list %lld bytes\n", qPrintable(totals.file),
                        QDir(totals.file).entryList({"*.tif"}, QDir::Files).size(),
                        QFileInfo(totals.file + "/frames.csv").size());
        std::fflush(stdout);
        app.quit();
    });
    return app.exec();
}
