// The acquisition thread with real threads and simulated cameras.
#include <pthread.h>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <ctime>
#include <deque>
#include <memory>
#include <mutex>

#include "AcquisitionLogic.h"
#include "CVideoThread.h"
#include "FrameCopies.h"
#include "SimulatedCameras.h"
#include "VexoCameraApi.h"

namespace {

// Conditions are waited for this long: far beyond what they need on an idle machine, so
// a loaded one does not fail them.
constexpr int kDeadlineMs = 30000;

// CPU time a thread has used, readable from any thread. Shows whether a waiting thread
// really sleeps, independent of how busy the machine is.
class ThreadCpuClock {
public:
    void watch(QThread* thread)
    {
        QObject::connect(
            thread, &QThread::started, thread,
            [this]() {
                clockid_t id;
                if (pthread_getcpuclockid(pthread_self(), &id) == 0)
                    clock.store(id);
                known.store(true);
            },
            Qt::DirectConnection);
    }
    bool isKnown() const { return known.load(); }
    // Milliseconds of CPU time; -1 when unknown.
    qint64 usedMs() const
    {
        timespec now{};
        if (!known.load() || clock_gettime(clock.load(), &now) != 0)
            return -1;
        return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    }

private:
    std::atomic<clockid_t> clock{};
    std::atomic<bool> known{false};
};

// Far less than a thread that polls without sleeping uses in the same time, even when it
// gets only a third of a core.
constexpr qint64 kIdleCpuBudgetMs = 300;
constexpr int kIdleWatchMs = 2000;

// Takes every frame in the acquisition thread, as the recorder does, and keeps what the
// tests look at: the count, the last frame's shape, the frame numbers in order and deep
// copies of the latest frames by frame number.
class CountingSink : public framehandover::FrameSink {
public:
    std::atomic<int> frames{0};
    int sinkDelayMs = 0;

    void takeFrame(const QImage& image, const framehandover::FrameInfo& frame) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        lastSize = image.size();
        lastBytesPerLine = image.bytesPerLine();
        lastFormat = image.format();
        frameNumbers.push_back(frame.info.frameNumber);
        sequences.push_back(frame.sequence);
        recent.emplace_back(frame.info.frameNumber, image.copy());
        if (recent.size() > 128)
            recent.pop_front();
        frames.fetch_add(1);
        if (sinkDelayMs)
            QThread::msleep(static_cast<unsigned long>(sinkDelayMs));
    }
    QImage copyOf(int frameNumber) const
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (const auto& entry : recent)
            if (entry.first == frameNumber)
                return entry.second;
        return QImage();
    }
    QImage latest() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return recent.empty() ? QImage() : recent.back().second;
    }
    QSize size() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return lastSize;
    }
    int bytesPerLine() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return lastBytesPerLine;
    }
    QImage::Format format() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return lastFormat;
    }
    std::vector<int> numbers() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return frameNumbers;
    }
    std::vector<quint64> sequence() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return sequences;
    }

private:
    mutable std::mutex mutex;
    QSize lastSize;
    int lastBytesPerLine = 0;
    QImage::Format lastFormat = QImage::Format_Invalid;
    std::vector<int> frameNumbers;
    std::vector<quint64> sequences;
    std::deque<std::pair<int, QImage>> recent;
};

// Stands in for the camera window: takes the newest frame when told, receives the other
// signals in the GUI thread the way the window does and keeps what the tests look at.
// Every frame is counted by its sink.
class Receiver : public QObject {
public:
    CountingSink sink;
    int shown = 0;       // newest frames taken in the GUI thread
    QImage lastShown;    // deep copy of the last frame shown
    int guiDelayMs = 0;  // time the GUI thread spends on each frame shown
    struct Picture {
        std::unique_ptr<BYTE[]> pixels;
        stImageInfo info;
        QImage servedBy;   // the frame of the same number, as the sink saw it
        int framesBefore;  // frames the sink had seen when the picture arrived
    };
    std::vector<Picture> pictures;     // asked for with requestPicture
    std::vector<Picture> runPictures;  // taken by a count run
    QStringList messages;
    QList<float> captureRates;
    QList<int> frameCounts;
    QList<bool> connectionChanges;

    int frames() const { return sink.frames.load(); }

    // One frame per turn of the event loop, as the window shows them.
    void show(const QPointer<CVideoThread>& source)
    {
        QImage image;
        framehandover::FrameInfo frame;
        if (!source || !source->handOver().takeNewest(image, frame))
            return;
        ++shown;
        lastShown = image.copy();
        if (guiDelayMs)
            QThread::msleep(static_cast<unsigned long>(guiDelayMs));
        QTimer::singleShot(0, this, [this, source]() {
            if (source && !source->handOver().armNotification())
                show(source);
        });
    }

    void attach(CVideoThread* thread)
    {
        thread->handOver().addSink(&sink);
        const QPointer<CVideoThread> source(thread);
        connect(thread, &CVideoThread::newestFrameReady, this, [this, source]() { show(source); });
        connect(thread, &CVideoThread::cameraSavePic, this, [this](BYTE* buffer, stImageInfo info) {
            pictures.push_back(
                {framecopies::take(this, buffer), info, sink.copyOf(info.frameNumber), frames()});
        });
        connect(thread, &CVideoThread::runPictureReady, this, [this](BYTE* buffer, stImageInfo info) {
            runPictures.push_back(
                {framecopies::take(this, buffer), info, sink.copyOf(info.frameNumber), frames()});
        });
        connect(thread, &CVideoThread::cameraMessage, this,
                [this](QString text) { messages << text; });
        connect(thread, &CVideoThread::updateFrameRate, this,
                [this](float capture, float, int count) {
                    captureRates << capture;
                    frameCounts << count;
                });
        connect(thread, &CVideoThread::connectionChanged, this,
                [this](bool connected) { connectionChanges << connected; });
    }
};

// The picture copy as an image: rows packed at width × 3 bytes.
QImage pictureImage(const Receiver::Picture& picture)
{
    return QImage(picture.pixels.get(), picture.info.width, picture.info.height,
                  picture.info.width * 3, QImage::Format_RGB888)
        .copy();
}

}  // namespace

class VideoThreadTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void framesArriveWithPackedRows();
    void rateReportsCarryTheCounts();
    void pauseStopsPullingAndResumeContinues();
    void stopWhilePausedEndsAtOnce();
    void stopWhileStreamingStopsAcquisition();
    void busyGuiSkipsShownFramesButNoSinkFrame();
    void countRunTakesEveryNthFrame();
    void pictureIsAPrivateCopyOfTheFrameThatServedIt();
    void twoRequestsBeforeAFrameGiveOnePicture();
    void pictureRequestWhilePausedIsServedAfterResume();
    void newFrameSizeIsShownAtThatSize();
    void wrongOutputFormatIsReassertedAndFramesContinue();
    void detachedCameraIsReportedAndAskedCalmly();
    void replugResumesOnTheSameHandle();

private:
    void openCamera(const char* identifier);
    // After a pause, waits out a frame that was already on its way, however slowly a
    // loaded machine delivers it: until no frame has come for a second.
    void settleAfterPause();
    void startThread();

    QTemporaryDir folder;
    int handle = 0;
    std::unique_ptr<Receiver> receiver;
    CVideoThread* thread = nullptr;
    ThreadCpuClock cpu;
};

void VideoThreadTest::initTestCase()
{
    QVERIFY(folder.isValid());
    QVERIFY(testcameras::install(folder));
}

void VideoThreadTest::init()
{
    receiver = std::make_unique<Receiver>();
}

void VideoThreadTest::cleanup()
{
    if (thread) {
        thread->stopAndWait();
        delete thread;
        thread = nullptr;
    }
    if (handle) {
        SdkCloseCamera(handle);
        handle = 0;
    }
    framecopies::discard(receiver.get());
    receiver.reset();
}

void VideoThreadTest::openCamera(const char* identifier)
{
    QCOMPARE(SdkOpenCamera(&handle, identifier), int(VEXO_SDK_OK));
    QCOMPARE(SdkStartAcquisition(handle), int(VEXO_SDK_OK));
    QCOMPARE(SdkSetOutputFormat(handle, VEXO_SDK_PIXEL_RGB8), int(VEXO_SDK_OK));
}

void VideoThreadTest::settleAfterPause()
{
    int last = -1;
    QVERIFY(QTest::qWaitFor(
        [&]() {
            if (receiver->frames() == last)
                return true;
            last = receiver->frames();
            QTest::qWait(1000);
            return false;
        },
        kDeadlineMs));
}

void VideoThreadTest::startThread()
{
    thread = new CVideoThread(handle, receiver.get());
    receiver->attach(thread);
    cpu.watch(thread);
    thread->start(QThread::InheritPriority);
}

void VideoThreadTest::framesArriveWithPackedRows()
{
    openCamera(testcameras::kOddWidth);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= 5, kDeadlineMs);
    QCOMPARE(receiver->sink.size(), QSize(650, 480));
    QCOMPARE(receiver->sink.bytesPerLine(), 1950);
    QCOMPARE(receiver->sink.format(), QImage::Format_RGB888);
    // The sink gets a frame just before the thread counts it; once the thread has
    // stopped, both counts are the same.
    thread->stopAndWait();
    QCOMPARE(thread->frameCount(), receiver->frames());
}

void VideoThreadTest::rateReportsCarryTheCounts()
{
    // How often reports come is a matter of the clock and the machine's load; what they
    // carry is not.
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->captureRates.size() >= 2, kDeadlineMs);
    QVERIFY(receiver->captureRates.last() > 0);
    QVERIFY(receiver->frameCounts.last() > receiver->frameCounts.first());
    QVERIFY(receiver->frameCounts.last() <= thread->frameCount());
    QVERIFY(receiver->connectionChanges.isEmpty());
}

void VideoThreadTest::pauseStopsPullingAndResumeContinues()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= 3, kDeadlineMs);
    thread->setPlaying(false);
    QVERIFY(!thread->isPlaying());
    // A frame already pulled and a report already due may still arrive, however late.
    const int paused = receiver->frames();
    const int reports = receiver->captureRates.size();
    const qint64 cpuBefore = cpu.usedMs();
    QTest::qWait(kIdleWatchMs);
    QVERIFY(receiver->frames() <= paused + 1);
    QCOMPARE(thread->frameCount(), receiver->frames());
    QVERIFY(receiver->captureRates.size() <= reports + 1);
    // A paused thread sleeps: a loop that only tested the flag would burn its core.
    const qint64 cpuUsed = cpu.usedMs() - cpuBefore;
    QVERIFY(cpu.isKnown());
    qInfo("thread CPU time while paused: %lld ms in %d ms", cpuUsed, kIdleWatchMs);
    QVERIFY2(cpuUsed < kIdleCpuBudgetMs,
             qPrintable(QString("%1 ms CPU while paused").arg(cpuUsed)));
    const int settled = receiver->frames();
    QTest::qWait(500);
    QCOMPARE(receiver->frames(), settled);
    thread->setPlaying(true);
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() > settled + 3, kDeadlineMs);
}

void VideoThreadTest::stopWhilePausedEndsAtOnce()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= 1, kDeadlineMs);
    thread->setPlaying(false);
    // The pause is never lifted: the thread ends because it sees the stop while paused.
    thread->requestStop();
    QTRY_VERIFY_WITH_TIMEOUT(thread->isFinished(), kDeadlineMs);
    QVERIFY(!thread->isPlaying());
    thread->stopAndWait();
}

void VideoThreadTest::stopWhileStreamingStopsAcquisition()
{
    openCamera(testcameras::kOddWidth);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= 3, kDeadlineMs);
    thread->stopAndWait();
    QVERIFY(thread->isFinished());
    uint32_t token = 0;
    QCOMPARE(SdkGetFrame(handle, &token, 0), int(VEXO_SDK_NOT_STARTED));
}

void VideoThreadTest::busyGuiSkipsShownFramesButNoSinkFrame()
{
    openCamera(testcameras::kSecond);
    receiver->guiDelayMs = 20;
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= 2, kDeadlineMs);
    // The GUI thread does nothing for two seconds, as under a modal dialog's slow start
    // or a window being dragged: the camera must not wait for it.
    const int before = receiver->frames();
    QThread::msleep(2000);
    const int during = receiver->frames() - before;
    QVERIFY2(during >= 3, qPrintable(QString("%1 frames while the GUI was busy").arg(during)));
    thread->stopAndWait();
    QVERIFY(thread->isFinished());

    // Every frame the thread converted reached the sink, in order, none left out.
    QCOMPARE(receiver->frames(), thread->frameCount());
    const std::vector<quint64> sequence = receiver->sink.sequence();
    for (std::size_t i = 0; i < sequence.size(); ++i)
        QCOMPARE(sequence[i], quint64(i + 1));
    // The display took newest frames only, skipping those it had no time for.
    QCoreApplication::processEvents();
    QVERIFY(receiver->shown >= 1);
    QVERIFY(receiver->shown < receiver->frames());
    QCOMPARE(quint64(receiver->shown), thread->handOver().takenFrames());
}

void VideoThreadTest::countRunTakesEveryNthFrame()
{
    openCamera(testcameras::kSecond);
    receiver->guiDelayMs = 50;  // a slow GUI must not change which frames are taken
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= 2, kDeadlineMs);
    thread->startPictureRun(3, 5);
    QTRY_COMPARE_WITH_TIMEOUT(int(receiver->runPictures.size()), 5, kDeadlineMs);
    QTRY_VERIFY_WITH_TIMEOUT(!thread->isPictureRunActive(), kDeadlineMs);
    QCOMPARE(thread->picturesOfRun(), 5);
    const int framesAtEnd = receiver->frames();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= framesAtEnd + 6, kDeadlineMs);
    QCOMPARE(int(receiver->runPictures.size()), 5);  // the limit holds
    QVERIFY(receiver->pictures.empty());             // and none came as a requested picture
    QVERIFY(receiver->messages.isEmpty());        // run pictures are confirmed by their writer

    // Each picture is the frame three frames after the one before, by the order the
    // thread handed them out, and holds that frame's pixels.
    const std::vector<int> numbers = receiver->sink.numbers();
    std::vector<std::ptrdiff_t> positions;
    for (const Receiver::Picture& picture : receiver->runPictures) {
        const auto at = std::find(numbers.begin(), numbers.end(), picture.info.frameNumber);
        QVERIFY(at != numbers.end());
        positions.push_back(at - numbers.begin());
    }
    for (std::size_t i = 1; i < positions.size(); ++i)
        QCOMPARE(positions[i] - positions[i - 1], std::ptrdiff_t(3));
    const Receiver::Picture& last = receiver->runPictures.back();
    QCOMPARE(pictureImage(last), last.servedBy);
}

void VideoThreadTest::pictureIsAPrivateCopyOfTheFrameThatServedIt()
{
    openCamera(testcameras::kOddWidth);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= 2, kDeadlineMs);
    thread->requestPicture();
    QTRY_COMPARE_WITH_TIMEOUT(int(receiver->pictures.size()), 1, kDeadlineMs);
    QTRY_COMPARE_WITH_TIMEOUT(receiver->messages, QStringList{QStringLiteral("SDK保存图片成功")},
                              kDeadlineMs);
    const Receiver::Picture& picture = receiver->pictures.front();
    QVERIFY(picture.pixels);
    QCOMPARE(picture.info.width, 650);
    QCOMPARE(picture.info.height, 480);
    QCOMPARE(picture.info.pixelFormat, uint32_t(VEXO_SDK_PIXEL_RGB8));
    QVERIFY(!thread->pictureRequested());
    const QImage copied = pictureImage(picture);
    QCOMPARE(copied, picture.servedBy);

    // Later frames go through the thread's buffer; the copy keeps its own pixels.
    const int seen = receiver->frames();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= seen + 5, kDeadlineMs);
    QVERIFY2(receiver->sink.latest() != picture.servedBy, "the scene should move between frames");
    QCOMPARE(pictureImage(picture), picture.servedBy);
}

void VideoThreadTest::twoRequestsBeforeAFrameGiveOnePicture()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= 1, kDeadlineMs);
    thread->setPlaying(false);
    QTest::qWait(100);
    thread->requestPicture();
    thread->requestPicture();
    thread->setPlaying(true);
    QTRY_COMPARE_WITH_TIMEOUT(int(receiver->pictures.size()), 1, kDeadlineMs);
    const int frames = receiver->frames();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= frames + 5, kDeadlineMs);
    QCOMPARE(int(receiver->pictures.size()), 1);
    QCOMPARE(receiver->messages.size(), 1);
}

void VideoThreadTest::pictureRequestWhilePausedIsServedAfterResume()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= 1, kDeadlineMs);
    thread->setPlaying(false);
    settleAfterPause();
    thread->requestPicture();
    QTest::qWait(500);
    QCOMPARE(int(receiver->pictures.size()), 0);
    const int pausedAt = receiver->frames();
    thread->setPlaying(true);
    QTRY_COMPARE_WITH_TIMEOUT(int(receiver->pictures.size()), 1, kDeadlineMs);
    // Served by the first frame after the pause.
    const std::vector<int> numbers = receiver->sink.numbers();
    QVERIFY(int(numbers.size()) > pausedAt);
    QCOMPARE(numbers[std::size_t(pausedAt)], receiver->pictures.front().info.frameNumber);
}

void VideoThreadTest::newFrameSizeIsShownAtThatSize()
{
    openCamera(testcameras::kOddWidth);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= 2, kDeadlineMs);
    QCOMPARE(receiver->sink.size(), QSize(650, 480));
    QCOMPARE(SdkSelectPresetResolution(handle, 1), int(VEXO_SDK_OK));
    QTRY_COMPARE_WITH_TIMEOUT(receiver->sink.size(), QSize(322, 240), kDeadlineMs);
    QCOMPARE(receiver->sink.bytesPerLine(), 966);
    // Growing again after a smaller frame.
    QCOMPARE(SdkSelectPresetResolution(handle, 0), int(VEXO_SDK_OK));
    QTRY_COMPARE_WITH_TIMEOUT(receiver->sink.size(), QSize(650, 480), kDeadlineMs);
    thread->requestPicture();
    QTRY_COMPARE_WITH_TIMEOUT(int(receiver->pictures.size()), 1, kDeadlineMs);
    QCOMPARE(pictureImage(receiver->pictures.front()), receiver->pictures.front().servedBy);
}

void VideoThreadTest::wrongOutputFormatIsReassertedAndFramesContinue()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= 2, kDeadlineMs);
    QCOMPARE(SdkSetOutputFormat(handle, VEXO_SDK_PIXEL_BGR8), int(VEXO_SDK_OK));
    const int before = receiver->frames();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= before + 5, kDeadlineMs);
    QCOMPARE(receiver->sink.format(), QImage::Format_RGB888);
}

void VideoThreadTest::detachedCameraIsReportedAndAskedCalmly()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= 2, kDeadlineMs);
    QVERIFY(testcameras::detach(testcameras::kSecond));
    QTRY_COMPARE_WITH_TIMEOUT(receiver->connectionChanges, QList<bool>{false}, kDeadlineMs);
    QVERIFY(thread->isDetached());
    QVERIFY(thread->isRunning());
    // The library answers at once while the camera is away: the thread must sleep
    // between its questions instead of asking in a tight loop.
    const int frames = receiver->frames();
    const int reports = receiver->captureRates.size();
    const qint64 cpuBefore = cpu.usedMs();
    QTest::qWait(kIdleWatchMs);
    const qint64 cpuUsed = cpu.usedMs() - cpuBefore;
    qInfo("thread CPU time while unplugged: %lld ms in %d ms", cpuUsed, kIdleWatchMs);
    QVERIFY2(cpuUsed < kIdleCpuBudgetMs,
             qPrintable(QString("%1 ms CPU while unplugged").arg(cpuUsed)));
    QCOMPARE(receiver->frames(), frames);
    QCOMPARE(receiver->captureRates.size(), reports);  // no rate for a camera that is gone
    QCOMPARE(receiver->connectionChanges, QList<bool>{false});
    // A stop is seen during the pause between questions.
    thread->requestStop();
    QTRY_VERIFY_WITH_TIMEOUT(thread->isFinished(), kDeadlineMs);
    QVERIFY(QProcess::execute(qEnvironmentVariable("VEXO_PROGRAM_DIR") + "/vexocam-sim",
                              {"attach", testcameras::kSecond}) == 0);
}

void VideoThreadTest::replugResumesOnTheSameHandle()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() >= 2, kDeadlineMs);
    QVERIFY(testcameras::detach(testcameras::kSecond));
    QTRY_COMPARE_WITH_TIMEOUT(receiver->connectionChanges, QList<bool>{false}, kDeadlineMs);
    QVERIFY(QProcess::execute(qEnvironmentVariable("VEXO_PROGRAM_DIR") + "/vexocam-sim",
                              {"attach", testcameras::kSecond}) == 0);
    // The library resumes the open handle by itself; the thread notices frames again.
    if (!QTest::qWaitFor([&]() { return receiver->connectionChanges.size() == 2; }, kDeadlineMs)) {
        uint32_t token = 0;
        if (SdkGetFrame(handle, &token, 1000) == VEXO_SDK_DETACHED)
            QSKIP("this camera library does not resume a replugged camera's handle");
        SdkReleaseFrame(handle, token);
        QFAIL("the library delivers frames again but the thread did not resume");
    }
    QCOMPARE(receiver->connectionChanges, (QList<bool>{false, true}));
    QVERIFY(!thread->isDetached());
    const int frames = receiver->frames();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames() > frames + 2, kDeadlineMs);
    QTRY_VERIFY_WITH_TIMEOUT(!receiver->captureRates.isEmpty() && receiver->captureRates.last() > 0,
                             kDeadlineMs);
}

QTEST_MAIN(VideoThreadTest)
#include "tst_cvideothread.moc"
