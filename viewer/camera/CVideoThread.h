#pragma once
#include <QImage>
#include <QMetaType>
#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "FrameHandOver.h"
#include "VexoCameraRecords.h"

Q_DECLARE_METATYPE(stImageInfo)
Q_DECLARE_METATYPE(BYTE*)

// Registers stImageInfo and BYTE* under those names, so the frame signals can travel
// through queued connections. Safe to call more than once.
void registerFrameMetaTypes();

// The frame loop of one open camera. Pulls each frame from the camera library, has it
// converted to 24-bit RGB and hands it over (FrameHandOver.h): to the consumers that
// need every frame at once, in this thread, and to the window as the newest frame, which
// it is told of by newestFrameReady and takes when it gets to it. The thread never waits
// for the GUI thread, so a busy GUI skips frames on the display but costs the camera, the
// recorder and continuous capture none. Measures the capture and display rates once per
// second and serves picture requests with the next good frame. Shows nothing itself;
// everything goes through the signals.
class CVideoThread : public QThread {
    Q_OBJECT
public:
    // handle: an open camera with acquisition started. The parent (the camera window)
    // receives the frame copies of picture requests (see FrameCopies.h).
    CVideoThread(int cameraHandle, QObject* parent);
    ~CVideoThread() override;

    int cameraHandle() const { return handle; }

    // Pause and resume: while not playing no frame is pulled from the library.
    void setPlaying(bool playing);
    bool isPlaying() const { return playFlag.load(); }

    // Asks for one picture, served by the next good frame. A flag, not a counter.
    void requestPicture();
    bool pictureRequested() const { return saveRequestFlag.load(); }

    // Frames converted and handed out since the thread was created (PicCount).
    int frameCount() const { return frameCounter.load(); }

    // Pictures of grey frames deeper than 8 bits are 16-bit grey (MONO16, the camera's
    // own values without tone or sharpening) when on; otherwise, and for every other
    // frame, a picture is the 24-bit image shown.
    void setDeepPictures(bool keepDepth);
    // While wanted, each frame of a deep grey camera carries its own values to the
    // newest-frame reader (FrameInfo::native), for the histogram and measurements.
    void setNativeFrames(bool wanted);
    // On while the shown frame goes to the screen alone (no histogram, no measurement):
    // frames that no picture, recording or other sink needs are then handed over in the
    // screen's own 32-bit format (QImage::Format_RGB32), which the view paints without
    // converting them. Otherwise, and by default, frames are 24-bit RGB.
    void setScreenOnly(bool screenOnly);

    // Pictures of a continuous capture by count: one from every everyFrames-th frame
    // from now on, each sent through runPictureReady, at most limit of them (0: no limit).
    // Counted in this thread, so no frame is missed however fast the camera runs.
    void startPictureRun(int everyFrames, int limit);
    void stopPictureRun();
    // Pictures the running (or last) run has sent.
    int picturesOfRun() const { return runPictures.load(); }
    bool isPictureRunActive() const { return runEvery.load() > 0; }

    // The hand-over of this thread's frames: sinks for every frame, the newest frame.
    framehandover::FrameHandOver& handOver() { return frames; }

    // Sets the stop flag; run() ends at the start of its next pass or at once when
    // paused.
    void requestStop();
    bool stopRequested() const { return stopFlag.load(); }

    // Stops the thread as its owner must: sets the stop flag, then waits in 100 ms
    // slices and lets the GUI thread process events between them, so reports the thread
    // sends meanwhile (and other windows' frames) keep being served. User input and
    // socket notifications wait until the thread has ended, so nothing the user or a
    // hot-plug does can re-enter the caller meanwhile.
    void stopAndWait();

    // True while the library reports the camera unplugged.
    bool isDetached() const { return detachedFlag.load(); }

    // The address a picture copy is filed under (the parent, or the thread itself).
    const void* copyOwner() const { return pictureOwner; }

signals:
    void updateFrameRate(float capFrameRate, float disFrameRate, int PicCount);
    // A new frame waits in handOver(); sent once per armNotification().
    void newestFrameReady();
    void cameraSavePic(BYTE* buffer, stImageInfo info);
    // A picture of the run started by startPictureRun; its own signal, so a picture the
    // thread took for a run is told apart from a requested one however late it arrives.
    void runPictureReady(BYTE* buffer, stImageInfo info);
    void cameraMessage(QString message);
    // The camera was unplugged (false) or delivers frames again after a replug (true).
    void connectionChanged(bool connected);

protected:
    void run() override;

private:
    // Waits while paused; returns when playing again or when a stop is requested.
    void waitWhilePaused();
    // Sleeps up to delayMs; a stop request ends the sleep at once.
    void sleepUnlessStopped(int delayMs);
    // Converts a held raw frame to 16-bit grey (MONO16) into nativeScratch; false when the
    // library cannot.
    bool makeNative(const BYTE* raw, const stImageInfo& rawInfo, stImageInfo& nativeInfo);

    const int handle;
    const void* pictureOwner;
    std::atomic<bool> playFlag{true};
    std::atomic<bool> saveRequestFlag{false};
    std::atomic<bool> deepPictures{false};
    std::atomic<bool> nativeFrames{false};
    std::atomic<bool> screenOnlyFlag{false};
    std::vector<BYTE> nativeScratch;
    std::atomic<bool> stopFlag{false};
    std::atomic<int> frameCounter{0};
    std::atomic<int> runEvery{0};
    std::atomic<int> runLimit{0};
    std::atomic<int> runPictures{0};
    std::atomic<int> runGeneration{0};
    framehandover::FrameHandOver frames;
    std::atomic<bool> detachedFlag{false};
    std::mutex pauseMutex;
    std::condition_variable pauseChanged;
};
