#pragma once
#include <QImage>
#include <QMetaType>
#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "VexoCameraRecords.h"

Q_DECLARE_METATYPE(stImageInfo)
Q_DECLARE_METATYPE(BYTE*)

// Registers stImageInfo and BYTE* under those names, so the frame signals can travel
// through queued connections. Safe to call more than once.
void registerFrameMetaTypes();

// The frame loop of one open camera. Pulls each frame from the camera library, has it
// converted to 24-bit RGB in a buffer the thread owns and hands it to the GUI thread
// through acquireFrame, which the window connects with Qt::BlockingQueuedConnection.
// Measures the capture and display rates once per second and serves picture requests
// with the next good frame. Shows nothing itself; everything goes through the signals.
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

    // Sets the stop flag; run() ends at the start of its next pass or at once when
    // paused.
    void requestStop();
    bool stopRequested() const { return stopFlag.load(); }

    // Stops the thread as its owner must: sets the stop flag, then waits in 100 ms
    // slices and lets the GUI thread process events between them, since run() may be
    // waiting for the GUI thread inside a blocking frame hand-over. User input and
    // socket notifications wait until the thread has ended, so nothing the user or a
    // hot-plug does can re-enter the caller meanwhile.
    void stopAndWait();

    // Capture time stamp (milliseconds, camera clock) of the frame being handed over
    // through acquireFrame; read by consumers of that hand-over while it runs.
    qint64 handOverTimestampMs() const { return handOverStamp.load(); }
    // True while the library reports the camera unplugged.
    bool isDetached() const { return detachedFlag.load(); }

    // The address a picture copy is filed under (the parent, or the thread itself).
    const void* copyOwner() const { return pictureOwner; }

signals:
    void updateFrameRate(float capFrameRate, float disFrameRate, int PicCount);
    void acquireFrame(QImage image);
    void cameraSavePic(BYTE* buffer, stImageInfo info);
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

    const int handle;
    const void* pictureOwner;
    std::atomic<bool> playFlag{true};
    std::atomic<bool> saveRequestFlag{false};
    std::atomic<bool> stopFlag{false};
    std::atomic<int> frameCounter{0};
    std::atomic<qint32> handOverStamp{0};
    std::atomic<bool> detachedFlag{false};
    std::mutex pauseMutex;
    std::condition_variable pauseChanged;
};
