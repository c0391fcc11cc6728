#include "MeasureWorker.h"

#include <QMetaType>

MeasureWorker::MeasureWorker(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<measurelogic::Results>("measurelogic::Results");
    thread = std::thread([this]() { run(); });
}

MeasureWorker::~MeasureWorker()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_one();
    thread.join();
}

bool MeasureWorker::offer(const QImage& frame, const measurelogic::Request& request)
{
    if (busy.exchange(true))
        return false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        // A deep copy: the frame given wraps a buffer that the next frame reuses.
        pendingFrame = frame.copy();
        pendingRequest = request;
        pending = true;
    }
    wake.notify_one();
    return true;
}

void MeasureWorker::run()
{
    for (;;) {
        QImage frame;
        measurelogic::Request request;
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [this]() { return pending || stopping; });
            if (stopping)
                return;
            frame.swap(pendingFrame);
            request = pendingRequest;
            pending = false;
        }
        const measurelogic::Results results = measurelogic::measure(frame, request);
        emit measured(results);
        busy.store(false);
    }
}
