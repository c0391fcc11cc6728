#pragma once
// Writes the pictures of continuous capture on a thread of its own, in the order they
// come, so neither the live image nor the camera waits for the disk. Pictures wait in a
// queue limited in memory (kQueueLimitBytes, never fewer than two pictures); one that
// finds it full is refused, and the caller counts it.
#include <QObject>
#include <QString>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "VexoCameraRecords.h"

namespace picturewriter {

// Writes pixels through the camera library under baseName, or under the first of
// baseName + "_1", "_2", ... whose file (with extension) is free; a name another writer
// takes meanwhile is never replaced, the next one is tried. The library's result; the
// name used in usedBaseName when given.
int saveWithoutReplacing(int handle, const QString& baseName, const QString& extension,
                         const BYTE* pixels, const stImageInfo& info, int typeCode, int quality,
                         QString* usedBaseName = nullptr);

}  // namespace picturewriter

class PictureWriter : public QThread {
    Q_OBJECT
public:
    static constexpr qint64 kQueueLimitBytes = qint64(256) << 20;

    struct Job {
        int handle = 0;
        QString baseName;   // without the extension; a suffix is added when it is taken
        QString extension;  // with its dot
        int typeCode = 0;
        int quality = 100;
        std::shared_ptr<BYTE> pixels;
        std::size_t bytes = 0;
        stImageInfo info{};
        int generation = 0;  // tells the receiver which run the picture belongs to
    };

    explicit PictureWriter(QObject* parent = nullptr);
    // Writes what is queued, then ends.
    ~PictureWriter() override;

    // Queues the picture; false when the queue has no room for it.
    bool submit(Job job);
    // Waits until every queued picture is written.
    void waitUntilIdle();
    int queued() const;

signals:
    // One picture is written (result 0) or could not be (the library's code).
    void written(int generation, int result);

protected:
    void run() override;

private:
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    qint64 queuedBytes = 0;
    bool busy = false;
    bool stopping = false;
};
