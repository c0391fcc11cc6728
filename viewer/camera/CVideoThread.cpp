#include "CVideoThread.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "AcquisitionLogic.h"
#include "FrameCopies.h"
#include "PictureLogic.h"
#include "VexoCameraApi.h"

namespace {

constexpr int kFrameTimeoutMs = 1000;
constexpr int kRetryDelayMs = 5;
constexpr int kStopWaitSliceMs = 100;
constexpr int kPauseRecheckMs = 50;

void reportFailure(const char* operation, int result)
{
    if (result != VEXO_SDK_OK)
        qDebug() << operation << "returned" << result;
}

}  // namespace

void registerFrameMetaTypes()
{
    qRegisterMetaType<stImageInfo>("stImageInfo");
    qRegisterMetaType<BYTE*>("BYTE*");
}

CVideoThread::CVideoThread(int cameraHandle, QObject* parent)
    : QThread(parent),
      handle(cameraHandle),
      pictureOwner(parent ? static_cast<const void*>(parent) : this)
{
    registerFrameMetaTypes();
}

CVideoThread::~CVideoThread()
{
    // The owner stops the thread before deleting it; this only guards against an
    // owner that forgot, which would otherwise abort the process.
    if (isRunning())
        stopAndWait();
}

void CVideoThread::setPlaying(bool playing)
{
    {
        std::lock_guard<std::mutex> lock(pauseMutex);
        playFlag.store(playing);
    }
    pauseChanged.notify_all();
}

void CVideoThread::requestPicture()
{
    saveRequestFlag.store(true);
}

void CVideoThread::setDeepPictures(bool keepDepth)
{
    deepPictures.store(keepDepth);
}

void CVideoThread::setNativeFrames(bool wanted)
{
    nativeFrames.store(wanted);
}

void CVideoThread::setScreenOnly(bool screenOnly)
{
    screenOnlyFlag.store(screenOnly);
}

bool CVideoThread::makeNative(const BYTE* raw, const stImageInfo& rawInfo, stImageInfo& nativeInfo)
{
    // Room for an 8-bit copy too: a 16-bit picture is filed like one.
    const std::size_t bytes =
        std::size_t(acquisitionlogic::frameRowBytes(rawInfo.width)) * std::size_t(rawInfo.height);
    if (nativeScratch.size() < bytes)
        nativeScratch.resize(bytes);
    nativeInfo = rawInfo;
    const int result = SdkProcessImageAs(handle, &nativeInfo, const_cast<BYTE*>(raw),
                                         nativeScratch.data(), VEXO_SDK_PIXEL_MONO16);
    if (result != VEXO_SDK_OK || nativeInfo.pixelFormat != VEXO_SDK_PIXEL_MONO16) {
        reportFailure("SdkProcessImage (16-bit grey)", result);
        return false;  // pictures are then the 8-bit image, readers get none
    }
    return true;
}

void CVideoThread::startPictureRun(int everyFrames, int limit)
{
    runLimit.store(qMax(0, limit));
    runPictures.store(0);
    runGeneration.fetch_add(1);
    runEvery.store(qMax(1, everyFrames));
}

void CVideoThread::stopPictureRun()
{
    runEvery.store(0);
}

void CVideoThread::requestStop()
{
    {
        std::lock_guard<std::mutex> lock(pauseMutex);
        stopFlag.store(true);
    }
    pauseChanged.notify_all();
}

void CVideoThread::stopAndWait()
{
    requestStop();
    while (!wait(kStopWaitSliceMs))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::ExcludeSocketNotifiers);
}

void CVideoThread::waitWhilePaused()
{
    std::unique_lock<std::mutex> lock(pauseMutex);
    // The flags are atomics written without the mutex by nobody but the setters above;
    // the time-out only bounds the wait should a notification ever be missed.
    while (!playFlag.load() && !stopFlag.load())
        pauseChanged.wait_for(lock, std::chrono::milliseconds(kPauseRecheckMs));
}

void CVideoThread::sleepUnlessStopped(int delayMs)
{
    std::unique_lock<std::mutex> lock(pauseMutex);
    pauseChanged.wait_for(lock, std::chrono::milliseconds(delayMs),
                          [this] { return stopFlag.load(); });
}

void CVideoThread::run()
{
    uint32_t token = 0;
    stImageInfo info{};
    VexoFrameStatistics statistics{};
    QElapsedTimer measuring;
    quint32 cameraCountAtStart = 0;
    quint64 shownAtStart = 0;
    int detachedDelayMs = 0;
    quint64 sequence = 0;
    int seenRunGeneration = runGeneration.load();
    int framesSinceRunPicture = 0;

    for (;;) {
        if (stopFlag.load()) {
            reportFailure("SdkStopAcquisition", SdkStopAcquisition(handle));
            return;
        }
        if (!playFlag.load()) {
            waitWhilePaused();
            continue;
        }

        // A failed statistics call leaves the last counts, so the capture rate reads 0.
        // An unplugged camera has no rate to report; the window says it is gone instead.
        // The display rate counts the frames the window really took.
        SdkGetFrameStatistics(handle, &statistics);
        if (!detachedFlag.load()) {
            if (!measuring.isValid()) {
                measuring.start();
                cameraCountAtStart = statistics.deliveredFrames;
                shownAtStart = frames.takenFrames();
            } else if (measuring.elapsed() > 999) {
                const quint64 shown = frames.takenFrames();
                const auto rates = acquisitionlogic::frameRates(
                    statistics.deliveredFrames, cameraCountAtStart, quint32(shown - shownAtStart),
                    measuring.elapsed());
                emit updateFrameRate(rates.capture, rates.display, frameCounter.load());
                cameraCountAtStart = statistics.deliveredFrames;
                shownAtStart = shown;
                measuring.restart();
            }
        }

        const int got = SdkGetFrame(handle, &token, kFrameTimeoutMs);
        if (got == VEXO_SDK_DETACHED) {
            // The library answers at once while the camera is away and resumes the handle
            // by itself when it comes back, so ask again calmly until then.
            if (!detachedFlag.exchange(true))
                emit connectionChanged(false);
            detachedDelayMs = acquisitionlogic::nextDetachedDelayMs(detachedDelayMs);
            sleepUnlessStopped(detachedDelayMs);
            continue;
        }
        if (got != VEXO_SDK_OK) {
            msleep(kRetryDelayMs);
            continue;
        }
        if (detachedFlag.exchange(false)) {
            detachedDelayMs = 0;
            measuring.invalidate();
            emit connectionChanged(true);
        }
        BYTE* raw = SdkGetRawImage(handle, token, &info);
        const quint32 needed = acquisitionlogic::frameBufferBytes(info.width, info.height);
        BYTE* buffer = raw && needed ? frames.backBuffer(needed) : nullptr;
        if (!buffer) {
            reportFailure("SdkReleaseFrame", SdkReleaseFrame(handle, token));
            continue;
        }
        const stImageInfo rawInfo = info;
        // A frame only the screen sees is made in the screen's format; pictures, sinks
        // (recording, pre-trigger, captures by count) and readers take 24-bit RGB.
        const bool pictureWanted = saveRequestFlag.exchange(false);
        const bool forScreen = acquisitionlogic::screenFormatFits(
            screenOnlyFlag.load(), pictureWanted, runEvery.load() > 0, frames.sinkCount());
        // The format is this thread's own: the handle's output format, which other parts
        // of the program use, stays as it is.
        const uint32_t wantedFormat = forScreen ? VEXO_SDK_PIXEL_BGRA8 : VEXO_SDK_PIXEL_RGB8;
        const int processed = SdkProcessImageAs(handle, &info, raw, buffer, wantedFormat);
        if (processed != VEXO_SDK_OK || info.pixelFormat != wantedFormat) {
            reportFailure("SdkReleaseFrame", SdkReleaseFrame(handle, token));
            if (pictureWanted)
                saveRequestFlag.store(true);  // served by the next good frame
            continue;
        }
        reportFailure("SdkPostProcessImage", SdkPostProcessImage(handle, buffer, &info));

        // Rows are packed at width × 3 (or 4) bytes; telling QImage so keeps widths whose
        // rows are not a multiple of 4 bytes straight and inside the buffer.
        const int rowBytes = forScreen ? acquisitionlogic::screenRowBytes(info.width)
                                       : acquisitionlogic::frameRowBytes(info.width);
        const std::size_t frameBytes = std::size_t(rowBytes) * std::size_t(info.height);

        // The camera's own values of a deep grey frame, made at most once a frame and only
        // for a picture or a reader that asks for them, before the raw frame goes back.
        const int nativeBits = picturelogic::deepGreyBits(uint32_t(rawInfo.rawFormat));
        int nativeState = 0;  // 0 not made yet, 1 in nativeScratch, -1 failed
        stImageInfo nativeInfo{};
        const auto native = [&]() {
            if (nativeState == 0)
                nativeState = makeNative(raw, rawInfo, nativeInfo) ? 1 : -1;
            return nativeState == 1;
        };
        // Pictures are copied before the hand-over, which gives the buffer to the reader.
        stImageInfo pictureInfo = info;
        const auto pictureOf = [&]() {
            if (nativeBits != 0 && deepPictures.load() && native()) {
                // The 16-bit picture sits in a copy of the 8-bit one's size, so whoever
                // handles picture copies treats every one alike.
                pictureInfo = nativeInfo;
                return framecopies::store(pictureOwner, nativeScratch.data(), frameBytes);
            }
            pictureInfo = info;
            return framecopies::store(pictureOwner, buffer, frameBytes);
        };
        BYTE* runCopy = nullptr;
        const int every = runEvery.load();
        if (every > 0) {
            const int generation = runGeneration.load();
            if (generation != seenRunGeneration) {
                seenRunGeneration = generation;
                framesSinceRunPicture = 0;
            }
            if (++framesSinceRunPicture >= every) {
                framesSinceRunPicture = 0;
                const int limit = runLimit.load();
                if (limit <= 0 || runPictures.load() < limit) {
                    runCopy = pictureOf();
                    if (runPictures.fetch_add(1) + 1 >= limit && limit > 0)
                        runEvery.store(0);
                }
            }
        }
        BYTE* pictureCopy = pictureWanted ? pictureOf() : nullptr;
        framehandover::FrameInfo frame;
        if (nativeBits != 0 && nativeFrames.load() && native()) {
            frame.native = QImage(info.width, info.height, QImage::Format_Grayscale16);
            const std::size_t nativeRow = std::size_t(info.width) * 2;
            for (int y = 0; y < info.height && !frame.native.isNull(); ++y)
                std::memcpy(frame.native.scanLine(y), nativeScratch.data() + nativeRow * y,
                            nativeRow);
            frame.nativeBits = nativeBits;
        }
        reportFailure("SdkReleaseFrame", SdkReleaseFrame(handle, token));

        frame.info = info;
        frame.sequence = ++sequence;
        if (frames.deliver(info.width, info.height, rowBytes,
                           forScreen ? QImage::Format_RGB32 : QImage::Format_RGB888, frame))
            emit newestFrameReady();
        frameCounter.fetch_add(1);

        if (runCopy)
            emit runPictureReady(runCopy, pictureInfo);
        if (pictureCopy) {
            emit cameraSavePic(pictureCopy, pictureInfo);
            emit cameraMessage(tr("SDK保存图片成功"));
        }
    }
}
