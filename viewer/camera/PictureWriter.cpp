#include "PictureWriter.h"

#include <QDebug>
#include <QFileInfo>

#include "ContinuousCaptureLogic.h"
#include "VexoCameraApi.h"

namespace picturewriter {

namespace {
// Names tried after one was taken between the check and the write; each try loses only
// to a writer that took that very name first.
constexpr int kNameAttempts = 1000;
}  // namespace

int saveWithoutReplacing(int handle, const QString& baseName, const QString& extension,
                         const BYTE* pixels, const stImageInfo& info, int typeCode, int quality,
                         QString* usedBaseName)
{
    // The library sees the name only up to a NUL: every picture would go to one name.
    if (baseName.contains(QChar(0))) {
        qDebug() << "SdkSaveImageFile: a NUL byte in" << baseName.toUtf8().toHex();
        return VEXO_SDK_WRONG_PATH;
    }
    int result = VEXO_SDK_FAILED;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString name = capturelogic::uniqueBaseName(
            baseName, extension, [](const QString& file) { return QFileInfo::exists(file); });
        result = SdkSaveImageFile(handle, name.toLocal8Bit().constData(), const_cast<BYTE*>(pixels),
                                  &info, typeCode, quality);
        if (result != VEXO_SDK_FILE_EXISTS) {
            if (usedBaseName)
                *usedBaseName = name;
            break;
        }
    }
    if (result != VEXO_SDK_OK)
        qDebug() << "SdkSaveImageFile" << baseName << "returned" << result;
    return result;
}

}  // namespace picturewriter

PictureWriter::PictureWriter(QObject* parent) : QThread(parent)
{
    start();
}

PictureWriter::~PictureWriter()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    wait();
}

bool PictureWriter::submit(Job job)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        const bool full = jobs.size() >= 2 && queuedBytes + qint64(job.bytes) > kQueueLimitBytes;
        if (full || stopping)
            return false;
        queuedBytes += qint64(job.bytes);
        jobs.push_back(std::move(job));
    }
    changed.notify_all();
    return true;
}

void PictureWriter::waitUntilIdle()
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return jobs.empty() && !busy; });
}

int PictureWriter::queued() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return int(jobs.size()) + (busy ? 1 : 0);
}

void PictureWriter::run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return !jobs.empty() || stopping; });
            if (jobs.empty())
                return;
            job = std::move(jobs.front());
            jobs.pop_front();
            busy = true;
        }
        const int result = picturewriter::saveWithoutReplacing(job.handle, job.baseName,
                                                               job.extension, job.pixels.get(),
                                                               job.info, job.typeCode, job.quality);
        emit written(job.generation, result);
        {
            std::lock_guard<std::mutex> lock(mutex);
            queuedBytes -= qint64(job.bytes);
            busy = false;
        }
        changed.notify_all();
    }
}
