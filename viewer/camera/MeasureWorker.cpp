#include "MeasureWorker.h"

#include <QMetaType>
#include <algorithm>
#include <cstring>

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
        // A deep copy, since the frame given wraps a buffer that the next frame reuses;
        // into the buffer of an earlier pass when it fits, which spares a large frame the
        // cost of fresh memory each time.
        if (pendingFrame.size() != frame.size() || pendingFrame.format() != frame.format())
            pendingFrame = QImage(frame.size(), frame.format());
        if (pendingFrame.isNull() && !frame.isNull()) {
            busy.store(false);
            return false;
        }
        // Rows of either may be padded differently; the pixels take the shorter length.
        const std::size_t rowBytes =
            std::size_t(std::min(frame.bytesPerLine(), pendingFrame.bytesPerLine()));
        for (int y = 0; y < frame.height(); ++y)
            std::memcpy(pendingFrame.scanLine(y), frame.constScanLine(y), rowBytes);
        pendingRequest = request;
        pending = true;
    }
    wake.notify_one();
    return true;
}

void MeasureWorker::run()
{
    for (;;) {
        measurelogic::Request request;
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [this]() { return pending || stopping; });
            if (stopping)
                return;
            // The buffers change places: the next offer fills the one measured before.
            working.swap(pendingFrame);
            request = pendingRequest;
            pending = false;
        }
        const measurelogic::Results results = measurelogic::measure(working, request, &overlays);
        emit measured(results);
        busy.store(false);
    }
}
