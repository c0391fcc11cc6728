#pragma once
// Runs the measurement tools' pass over frames in a thread of its own, so that a large
// region or focus peaking never holds up the display. It takes a frame only when it is
// idle: a busy worker skips frames, and what it reports belongs to the newest frame it took.
#include <QImage>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "MeasureLogic.h"

Q_DECLARE_METATYPE(measurelogic::Results)

class MeasureWorker : public QObject {
    Q_OBJECT
public:
    explicit MeasureWorker(QObject* parent = nullptr);
    // Stops the thread and waits for it; a pass under way ends first.
    ~MeasureWorker() override;

    // Copies frame and measures it with request, unless a pass is under way: then false,
    // and nothing is copied.
    bool offer(const QImage& frame, const measurelogic::Request& request);
    bool isBusy() const { return busy.load(); }

signals:
    // From the worker's thread; connected receivers in other threads get it queued.
    void measured(const measurelogic::Results& results);

private:
    void run();

    std::mutex mutex;
    std::condition_variable wake;
    QImage pendingFrame;
    QImage working;                      // the worker thread's frame
    measurelogic::OverlayPool overlays;  // the worker thread's too
    measurelogic::Request pendingRequest;
    bool pending = false;
    bool stopping = false;
    std::atomic<bool> busy{false};
    std::thread thread;
};
