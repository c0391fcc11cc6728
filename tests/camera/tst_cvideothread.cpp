// The acquisition thread with real threads and simulated cameras.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "CVideoThread.h"
#include "FrameCopies.h"
#include "SimulatedCameras.h"
#include "VexoCameraApi.h"

namespace {

// Stands in for the camera window: receives the four signals in the GUI thread the way
// the window does and keeps what the tests look at.
class Receiver : public QObject {
public:
    int frames = 0;
    QImage lastFrame;        // deep copy of the last frame shown
    QSize lastSize;
    int lastBytesPerLine = 0;
    QImage::Format lastFormat = QImage::Format_Invalid;
    int guiDelayMs = 0;      // time the GUI thread spends on each frame
    struct Picture {
        std::unique_ptr<BYTE[]> pixels;
        stImageInfo info;
        QImage servedBy;     // the frame shown right before the picture arrived
        int framesBefore;
    };
    std::vector<Picture> pictures;
    QStringList messages;
    QList<float> captureRates;
    QList<int> frameCounts;

    void attach(CVideoThread* thread)
    {
        connect(thread, &CVideoThread::acquireFrame, this, [this](QImage image) {
            ++frames;
            lastSize = image.size();
            lastBytesPerLine = image.bytesPerLine();
            lastFormat = image.format();
            lastFrame = image.copy();
            if (guiDelayMs)
                QThread::msleep(static_cast<unsigned long>(guiDelayMs));
        }, Qt::BlockingQueuedConnection);
        connect(thread, &CVideoThread::cameraSavePic, this, [this](BYTE* buffer, stImageInfo info) {
            pictures.push_back({framecopies::take(this, buffer), info, lastFrame, frames});
        });
        connect(thread, &CVideoThread::cameraMessage, this, [this](QString text) { messages << text; });
        connect(thread, &CVideoThread::updateFrameRate, this, [this](float capture, float, int count) {
            captureRates << capture;
            frameCounts << count;
        });
    }
};

// The picture copy as an image: rows packed at width × 3 bytes.
QImage pictureImage(const Receiver::Picture& picture)
{
    return QImage(picture.pixels.get(), picture.info.width, picture.info.height, picture.info.width * 3,
                  QImage::Format_RGB888)
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
    void rateReportsComeOncePerSecond();
    void pauseStopsPullingAndResumeContinues();
    void stopWhilePausedEndsAtOnce();
    void stopWhileStreamingStopsAcquisition();
    void stopDuringHandOverDoesNotDeadlock();
    void pictureIsAPrivateCopyOfTheFrameThatServedIt();
    void twoRequestsBeforeAFrameGiveOnePicture();
    void pictureRequestWhilePausedIsServedAfterResume();
    void newFrameSizeIsShownAtThatSize();
    void wrongOutputFormatIsReassertedAndFramesContinue();
    void detachedCameraKeepsReportingAndStops();

private:
    void openCamera(const char* identifier);
    void startThread();

    QTemporaryDir folder;
    int handle = 0;
    std::unique_ptr<Receiver> receiver;
    CVideoThread* thread = nullptr;
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

void VideoThreadTest::startThread()
{
    thread = new CVideoThread(handle, receiver.get());
    receiver->attach(thread);
    thread->start(QThread::InheritPriority);
}

void VideoThreadTest::framesArriveWithPackedRows()
{
    openCamera(testcameras::kOddWidth);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= 5, 5000);
    QCOMPARE(receiver->lastSize, QSize(650, 480));
    QCOMPARE(receiver->lastBytesPerLine, 1950);
    QCOMPARE(receiver->lastFormat, QImage::Format_RGB888);
    QVERIFY(thread->frameCount() >= receiver->frames);
}

void VideoThreadTest::rateReportsComeOncePerSecond()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->captureRates.size() >= 2, 5000);
    QVERIFY(receiver->captureRates.last() > 0);
    QVERIFY(receiver->frameCounts.last() > receiver->frameCounts.first());
    // One report per second or so: after three more seconds there are no more than five.
    const int reports = receiver->captureRates.size();
    QTest::qWait(3000);
    QVERIFY2(receiver->captureRates.size() - reports <= 4,
             qPrintable(QString::number(receiver->captureRates.size() - reports)));
    QVERIFY(receiver->captureRates.size() - reports >= 2);
}

void VideoThreadTest::pauseStopsPullingAndResumeContinues()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= 3, 5000);
    thread->setPlaying(false);
    QVERIFY(!thread->isPlaying());
    QTest::qWait(200);  // a frame already pulled may still arrive
    const int paused = receiver->frames;
    const int reports = receiver->captureRates.size();
    QTest::qWait(1500);
    QCOMPARE(receiver->frames, paused);
    QCOMPARE(thread->frameCount(), paused);
    QCOMPARE(receiver->captureRates.size(), reports);  // no reports while paused
    thread->setPlaying(true);
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames > paused + 3, 5000);
}

void VideoThreadTest::stopWhilePausedEndsAtOnce()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= 1, 5000);
    thread->setPlaying(false);
    QElapsedTimer timer;
    timer.start();
    thread->stopAndWait();
    QVERIFY(thread->isFinished());
    // The pause is not waited out: the thread sees the stop while paused.
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
}

void VideoThreadTest::stopWhileStreamingStopsAcquisition()
{
    openCamera(testcameras::kOddWidth);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= 3, 5000);
    thread->stopAndWait();
    QVERIFY(thread->isFinished());
    uint32_t token = 0;
    QCOMPARE(SdkGetFrame(handle, &token, 0), int(VEXO_SDK_NOT_STARTED));
}

void VideoThreadTest::stopDuringHandOverDoesNotDeadlock()
{
    openCamera(testcameras::kSecond);
    receiver->guiDelayMs = 20;
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= 2, 5000);
    // Keep the GUI thread away from its events long enough that the thread is surely
    // waiting inside a hand-over, then stop it from here.
    QThread::msleep(150);
    const int before = receiver->frames;
    thread->stopAndWait();
    QVERIFY(thread->isFinished());
    // The hand-over in progress completes; nothing after the stop.
    QVERIFY(receiver->frames <= before + 1);
}

void VideoThreadTest::pictureIsAPrivateCopyOfTheFrameThatServedIt()
{
    openCamera(testcameras::kOddWidth);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= 2, 5000);
    thread->requestPicture();
    QTRY_COMPARE_WITH_TIMEOUT(int(receiver->pictures.size()), 1, 5000);
    QTRY_COMPARE(receiver->messages, QStringList{QStringLiteral("SDK保存图片成功")});
    const Receiver::Picture& picture = receiver->pictures.front();
    QVERIFY(picture.pixels);
    QCOMPARE(picture.info.width, 650);
    QCOMPARE(picture.info.height, 480);
    QCOMPARE(picture.info.pixelFormat, uint32_t(VEXO_SDK_PIXEL_RGB8));
    QVERIFY(!thread->pictureRequested());
    const QImage copied = pictureImage(picture);
    QCOMPARE(copied, picture.servedBy);

    // Later frames go through the thread's buffer; the copy keeps its own pixels.
    const int seen = receiver->frames;
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= seen + 5, 5000);
    QVERIFY2(receiver->lastFrame != picture.servedBy, "the scene should move between frames");
    QCOMPARE(pictureImage(picture), picture.servedBy);
}

void VideoThreadTest::twoRequestsBeforeAFrameGiveOnePicture()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= 1, 5000);
    thread->setPlaying(false);
    QTest::qWait(100);
    thread->requestPicture();
    thread->requestPicture();
    thread->setPlaying(true);
    QTRY_COMPARE_WITH_TIMEOUT(int(receiver->pictures.size()), 1, 5000);
    const int frames = receiver->frames;
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= frames + 5, 5000);
    QCOMPARE(int(receiver->pictures.size()), 1);
    QCOMPARE(receiver->messages.size(), 1);
}

void VideoThreadTest::pictureRequestWhilePausedIsServedAfterResume()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= 1, 5000);
    thread->setPlaying(false);
    QTest::qWait(200);
    thread->requestPicture();
    QTest::qWait(500);
    QCOMPARE(int(receiver->pictures.size()), 0);
    const int pausedAt = receiver->frames;
    thread->setPlaying(true);
    QTRY_COMPARE_WITH_TIMEOUT(int(receiver->pictures.size()), 1, 5000);
    QCOMPARE(receiver->pictures.front().framesBefore, pausedAt + 1);
}

void VideoThreadTest::newFrameSizeIsShownAtThatSize()
{
    openCamera(testcameras::kOddWidth);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= 2, 5000);
    QCOMPARE(receiver->lastSize, QSize(650, 480));
    QCOMPARE(SdkSelectPresetResolution(handle, 1), int(VEXO_SDK_OK));
    QTRY_COMPARE_WITH_TIMEOUT(receiver->lastSize, QSize(322, 240), 5000);
    QCOMPARE(receiver->lastBytesPerLine, 966);
    // Growing again after a smaller frame.
    QCOMPARE(SdkSelectPresetResolution(handle, 0), int(VEXO_SDK_OK));
    QTRY_COMPARE_WITH_TIMEOUT(receiver->lastSize, QSize(650, 480), 5000);
    thread->requestPicture();
    QTRY_COMPARE_WITH_TIMEOUT(int(receiver->pictures.size()), 1, 5000);
    QCOMPARE(pictureImage(receiver->pictures.front()), receiver->pictures.front().servedBy);
}

void VideoThreadTest::wrongOutputFormatIsReassertedAndFramesContinue()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= 2, 5000);
    QCOMPARE(SdkSetOutputFormat(handle, VEXO_SDK_PIXEL_BGR8), int(VEXO_SDK_OK));
    const int before = receiver->frames;
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= before + 5, 5000);
    QCOMPARE(receiver->lastFormat, QImage::Format_RGB888);
}

void VideoThreadTest::detachedCameraKeepsReportingAndStops()
{
    openCamera(testcameras::kSecond);
    startThread();
    QTRY_VERIFY_WITH_TIMEOUT(receiver->frames >= 2, 5000);
    QVERIFY(testcameras::detach(testcameras::kSecond));
    QTest::qWait(500);
    const int frames = receiver->frames;
    const int reports = receiver->captureRates.size();
    QTest::qWait(2500);
    QCOMPARE(receiver->frames, frames);
    QVERIFY(receiver->captureRates.size() >= reports + 1);
    QCOMPARE(receiver->captureRates.last(), 0.0f);
    thread->stopAndWait();
    QVERIFY(thread->isFinished());
}

QTEST_MAIN(VideoThreadTest)
#include "tst_cvideothread.moc"
