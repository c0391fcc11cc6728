// Recording from a camera window on a simulated camera: the toggle, title and indicator,
// names and index, the folder dialog, refused starts, a region change, a vanished
// folder, and files completed by stop, pause and close.
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <QThread>
#include <memory>

#include "../camera/SimulatedCameras.h"
#include "CameraThread.h"
#include "MediaProbe.h"
#include "ModalDialogWatcher.h"
#include "RecordVideoThread.h"
#include "RecordingTestSupport.h"
#include "SettingsStore.h"
#include "VexoCameraApi.h"

namespace {

const QString kTitle = QStringLiteral("Odd row camera");
const QString kRecordingTitle = QStringLiteral("Odd row camera   正在录制中...");

void setRecord(const QString& key, const QVariant& value)
{
    settingsStore()->setValue(QStringLiteral("RECORDINFO"), key, value);
}

QStringList videosIn(const QString& folder)
{
    return QDir(folder).entryList({"*.mp4", "*.avi"}, QDir::Files, QDir::Name);
}

}  // namespace

class RecordingWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void recordsPlayableFile_data();
    void recordsPlayableFile();
    void everyFrameIsInTheFileThoughTheGuiStalls_data();
    void everyFrameIsInTheFileThoughTheGuiStalls();
    void progressShowsWhileRecordingWithACapture();
    void indexAdvancesAndNoFileIsReplaced();
    void folderFromTheDialog();
    void cancelledFolderDialogStartsNothing();
    void refusedStartsSaySo_data();
    void refusedStartsSaySo();
    void regionChangeSkipsFramesAndKeepsRecording();
    void vanishedFolderStopsTheRecording();
    void stopWhilePausedAndCloseWhileRecordingCompleteTheFile_data();
    void stopWhilePausedAndCloseWhileRecordingCompleteTheFile();
    void withoutCameraNothingHappens();

private:
    bool openCamera();
    QString status() const { return window->findChild<QLabel*>("label_camerainfo")->text(); }
    QLabel* progressLine() const { return window->findChild<QLabel*>("label_recording"); }
    bool indicatorShown() const { return window->findChild<QLabel*>("label_media")->isVisible(); }
    void toggle() { window->findChild<QPushButton*>("pushButton_recording")->click(); }
    // Lets the camera deliver frames to the recorder.
    void recordFrames(int frames);

    QTemporaryDir scratch;
    QString videos;
    std::unique_ptr<CameraThread> window;
    std::unique_ptr<ModalDialogWatcher> watcher;
};

void RecordingWindowTest::initTestCase()
{
    QVERIFY(scratch.isValid());
    QVERIFY(testcameras::install(scratch));
}

void RecordingWindowTest::init()
{
    videos = recordingtest::freshRecordingFolder(scratch);
    watcher = std::make_unique<ModalDialogWatcher>();
    window = std::make_unique<CameraThread>();
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->resize(640, 480);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void RecordingWindowTest::cleanup()
{
    window.reset();
    watcher.reset();
}

bool RecordingWindowTest::openCamera()
{
    if (!window->startCamera(QString::fromLatin1(testcameras::kOddWidth)))
        return false;
    // Recording at the camera's rate needs a measured rate: the first status report.
    return QTest::qWaitFor([&]() { return window->lastCaptureRate() >= 1; }, 30000);
}

void RecordingWindowTest::recordFrames(int frames)
{
    // One more: a hand-over under way when recording started was not recorded.
    const int until = window->acquisitionThread()->frameCount() + frames + 1;
    QVERIFY(QTest::qWaitFor([&]() { return window->acquisitionThread()->frameCount() >= until; },
                            30000));
}

void RecordingWindowTest::recordsPlayableFile_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("codec");
    QTest::newRow("mp4") << 0 << "h264";
    QTest::newRow("avi") << 1 << "mpeg4";
}

void RecordingWindowTest::recordsPlayableFile()
{
    QFETCH(int, type);
    setRecord(QStringLiteral("VideoType"), type);
    setRecord(QStringLiteral("NameRuleFormat"), 0);
    QVERIFY(openCamera());
    toggle();
    QCOMPARE(window->windowTitle(), kRecordingTitle);
    QCOMPARE(window->findChild<QLabel*>("label_title")->text(), kRecordingTitle);
    QVERIFY(indicatorShown());
    recordFrames(20);
    toggle();
    QCOMPARE(window->windowTitle(), kTitle);
    QVERIFY(!indicatorShown());

    const QStringList files = videosIn(videos);
    QCOMPARE(files.size(), 1);
    QVERIFY2(QRegularExpression(type == 0 ? "^Video_\\d{17}\\.mp4$" : "^Video_\\d{17}\\.avi$")
                 .match(files[0])
                 .hasMatch(),
             qPrintable(files[0]));
    const mediaprobe::Probe read = mediaprobe::probe(QDir(videos).filePath(files[0]));
    QVERIFY2(read.opened, qPrintable(read.error));
    QTEST(read.codec, "codec");
    QCOMPARE(read.width, 650);
    QCOMPARE(read.height, 480);
    QVERIFY2(read.decodedFrames >= 20, qPrintable(QString::number(read.decodedFrames)));
    QCOMPARE(read.decodedFrames, read.packets);
    // Stamped with capture times: 20 or more frames of a camera at up to 60 per second
    // span at least a third of a second, whatever rate the file was opened with.
    QVERIFY2(read.durationSeconds >= (read.decodedFrames - 1) / 60.0,
             qPrintable(QString::number(read.durationSeconds)));
}

void RecordingWindowTest::everyFrameIsInTheFileThoughTheGuiStalls_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("mp4") << 0;
    QTest::newRow("avi") << 1;
}

void RecordingWindowTest::everyFrameIsInTheFileThoughTheGuiStalls()
{
    QFETCH(int, type);
    setRecord(QStringLiteral("VideoType"), type);
    QVERIFY(openCamera());
    toggle();
    QVERIFY(window->isRecording());
    recordFrames(10);
    // The GUI thread does nothing for a while, as when a modal dialog opens slowly or a
    // window is dragged: the camera's frames must still reach the recorder.
    const int offeredBefore = window->activeRecorder()->framesOffered();
    QThread::msleep(1000);
    const int offeredDuring = window->activeRecorder()->framesOffered() - offeredBefore;
    QVERIFY2(offeredDuring >= 2, qPrintable(QString::number(offeredDuring)));
    recordFrames(10);
    toggle();

    const CameraThread::RecordingTotals& totals = window->lastRecording();
    QVERIFY(!totals.failed);
    QVERIFY(totals.written >= 20);
    // Nothing the recorder took is missing from the file, and every camera frame between
    // the first and the last is either in it or counted as dropped.
    QCOMPARE(totals.written, totals.offered);
    QCOMPARE(totals.lastFrameNumber - totals.firstFrameNumber + 1,
             qint64(totals.written + totals.dropped));
    const mediaprobe::Probe read = mediaprobe::probe(totals.file);
    QVERIFY2(read.opened, qPrintable(read.error));
    QCOMPARE(read.decodedFrames, totals.written);
    // The end says where the file is and what it holds.
    QCOMPARE(status(), QStringLiteral("录像已保存: %1 (%2 帧, 丢弃 %3 帧)")
                           .arg(QDir::toNativeSeparators(totals.file))
                           .arg(totals.written)
                           .arg(totals.dropped));
}

void RecordingWindowTest::progressShowsWhileRecordingWithACapture()
{
    // A recording and a continuous capture at once: each keeps its mark while the other
    // ends, and the status line counts the recording's frames.
    settingsStore()->setValue(QStringLiteral("CAPTURE"), QStringLiteral("SvaePath"),
                              scratch.filePath(QStringLiteral("capture-with-recording")));
    settingsStore()->setValue(QStringLiteral("CAPTURE"), QStringLiteral("CaptureMode"), 1);
    settingsStore()->setValue(QStringLiteral("CAPTURE"), QStringLiteral("GrapTimeRadix"), 1000);
    QVERIFY(openCamera());
    toggle();
    window->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    QVERIFY(window->isContinuousCaptureRunning());
    QVERIFY(window->windowTitle().endsWith(QStringLiteral("   正在录制中...")));
    // The progress has a line of its own; the rate line stays as it was.
    QTRY_VERIFY_WITH_TIMEOUT(progressLine()->text().startsWith(QStringLiteral("录像 00:")), 30000);
    QVERIFY(!progressLine()->isHidden());
    QVERIFY(progressLine()->text().contains(QStringLiteral(" 帧 | 丢弃 ")));
    QTRY_VERIFY_WITH_TIMEOUT(status().startsWith(QStringLiteral("分辨率: ")), 30000);
    QVERIFY(!status().contains(QStringLiteral("录像")));

    toggle();  // the recording ends, the capture goes on
    QVERIFY(indicatorShown());
    QVERIFY(progressLine()->isHidden());
    QVERIFY2(window->windowTitle().startsWith(kTitle + QStringLiteral("  已采集图片:")),
             qPrintable(window->windowTitle()));
    QVERIFY(!window->windowTitle().contains(QStringLiteral("正在录制中")));
    toggle();  // and the other way round
    window->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    QVERIFY(!window->isContinuousCaptureRunning());
    QVERIFY(indicatorShown());
    QCOMPARE(window->windowTitle(), kRecordingTitle);
    toggle();
    QVERIFY(!indicatorShown());
    QCOMPARE(window->windowTitle(), kTitle);
}

void RecordingWindowTest::indexAdvancesAndNoFileIsReplaced()
{
    setRecord(QStringLiteral("NameRuleFormat"), 1);
    setRecord(QStringLiteral("NameRuleIndex"), 7);
    QVERIFY(QDir().mkpath(videos));
    QFile existing(QDir(videos).filePath(QStringLiteral("Video_8.mp4")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("not to be replaced");
    existing.close();
    QVERIFY(openCamera());

    toggle();
    recordFrames(3);
    toggle();
    QCOMPARE(settingsStore()->recordSettings().nameRuleIndex, 8);
    QCOMPARE(settingsStore()
                 ->value(QStringLiteral("RECORDINFO"), QStringLiteral("NameRuleIndex"))
                 .toInt(),
             8);
    toggle();
    recordFrames(3);
    toggle();
    QCOMPARE(settingsStore()->recordSettings().nameRuleIndex, 9);
    QCOMPARE(videosIn(videos), (QStringList{"Video_7.mp4", "Video_8.mp4", "Video_8_1.mp4"}));
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("not to be replaced"));
    QVERIFY(
        mediaprobe::probe(QDir(videos).filePath(QStringLiteral("Video_8_1.mp4"))).decodedFrames >
        0);
}

void RecordingWindowTest::folderFromTheDialog()
{
    const QString chosen = scratch.filePath(QStringLiteral("chosen"));
    QVERIFY(QDir().mkpath(chosen));
    setRecord(QStringLiteral("AutoSaveState"), 0);
    setRecord(QStringLiteral("NameRuleFormat"), 1);
    setRecord(QStringLiteral("NameRuleIndex"), 3);
    watcher->setFileAnswer(chosen);
    QVERIFY(openCamera());
    toggle();
    QVERIFY(indicatorShown());
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen()[0].title, QStringLiteral("选择"));
    recordFrames(3);
    toggle();
    QCOMPARE(videosIn(chosen), QStringList{"Video_3.mp4"});
    QCOMPARE(settingsStore()->recordSettings().nameRuleIndex, 4);
}

void RecordingWindowTest::cancelledFolderDialogStartsNothing()
{
    setRecord(QStringLiteral("AutoSaveState"), 0);
    setRecord(QStringLiteral("NameRuleFormat"), 1);
    setRecord(QStringLiteral("NameRuleIndex"), 3);
    QVERIFY(openCamera());
    toggle();  // the watcher cancels the dialog
    QCOMPARE(watcher->count(), 1);
    QVERIFY(!indicatorShown());
    QCOMPARE(window->windowTitle(), kTitle);
    QCOMPARE(settingsStore()->recordSettings().nameRuleIndex, 3);
    // The next toggle starts again (asks again), it does not stop anything.
    toggle();
    QCOMPARE(watcher->count(), 2);
    QVERIFY(!indicatorShown());
}

void RecordingWindowTest::refusedStartsSaySo_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("custom rate not a number")
        << "AutoFrameRate" << QVariant("abc") << QStringLiteral("自定义帧率为0, 无法开始录像");
    QTest::newRow("folder is a file")
        << "SvaePath" << QVariant("FILE/sub")
        << QStringLiteral("无法开始录像: 无法使用保存文件夹 FILE/sub: FILE 不是文件夹");
    QTest::newRow("folder with a NUL byte")
        << "SvaePath" << QVariant(QString("FILE") + QChar(0) + "/videos")
        << QStringLiteral(
               "无法开始录像: 保存文件夹 FILE\\x00/videos 含有控制字符 (如 NUL), 无法使用");
    QTest::newRow("relative folder")
        << "SvaePath" << QVariant("videos")
        << QStringLiteral("无法开始录像: 保存文件夹 videos 不是绝对路径, 请填写完整路径");
    QTest::newRow("no folder") << "SvaePath" << QVariant("")
                               << QStringLiteral("无法开始录像: 未设置保存文件夹");
    QTest::newRow("no naming rule") << "NameRuleFormat" << QVariant(5)
                                    << QStringLiteral("未设置录像文件夹或命名规则, 无法开始录像");
}

void RecordingWindowTest::refusedStartsSaySo()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    const QString plainFile = scratch.filePath(QStringLiteral("FILE"));
    QFile file(plainFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    setRecord(QStringLiteral("PlaySpeed"), key == QLatin1String("AutoFrameRate") ? 0 : 1);
    setRecord(QStringLiteral("NameRuleFormat"), 1);
    setRecord(QStringLiteral("NameRuleIndex"), 2);
    setRecord(key, value.toString().replace(QLatin1String("FILE"), plainFile));
    QVERIFY(openCamera());
    // The store reads a naming rule it does not know as the default rule (see
    // tst_settingsstore); the window still refuses a record that holds one.
    if (key == QLatin1String("NameRuleFormat"))
        settingsStore()->recordSettings().nameRuleFormat = value.toInt();
    toggle();
    QCOMPARE(status(),
             QString(text).replace(QLatin1String("FILE"), QDir::toNativeSeparators(plainFile)));
    QVERIFY(!indicatorShown());
    QCOMPARE(window->windowTitle(), kTitle);
    QCOMPARE(settingsStore()->recordSettings().nameRuleIndex, 2);
    QVERIFY(videosIn(videos).isEmpty());
}

void RecordingWindowTest::regionChangeSkipsFramesAndKeepsRecording()
{
    QVERIFY(openCamera());
    toggle();
    recordFrames(5);
    QCOMPARE(SdkSelectPresetResolution(window->cameraHandle(), 1), VEXO_SDK_OK);  // 322 × 240
    QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("图像尺寸已变为 322x240, 录像跳过这些帧"),
                              30000);
    recordFrames(5);
    QVERIFY(indicatorShown());
    toggle();
    const QStringList files = videosIn(videos);
    QCOMPARE(files.size(), 1);
    const mediaprobe::Probe read = mediaprobe::probe(QDir(videos).filePath(files[0]));
    QCOMPARE(read.width, 650);
    QVERIFY(read.decodedFrames >= 5);
}

void RecordingWindowTest::vanishedFolderStopsTheRecording()
{
    QVERIFY(openCamera());
    toggle();
    recordFrames(3);
    QVERIFY(QDir(videos).removeRecursively());
    QTRY_VERIFY_WITH_TIMEOUT(!indicatorShown(), 30000);
    // The reason, then how much of the recording the file kept.
    QVERIFY2(status().startsWith(QStringLiteral("录像已停止: 录像文件夹已不存在: %1 (已写入 ")
                                     .arg(QDir::toNativeSeparators(videos))),
             qPrintable(status()));
    QVERIFY(status().endsWith(QStringLiteral(" 帧)")));
    QCOMPARE(window->windowTitle(), kTitle);
    // The next toggle starts a new recording (the folder is made again).
    toggle();
    QVERIFY(indicatorShown());
    recordFrames(3);
    toggle();
    QCOMPARE(videosIn(videos).size(), 1);
}

void RecordingWindowTest::stopWhilePausedAndCloseWhileRecordingCompleteTheFile_data()
{
    QTest::addColumn<bool>("pauseThenStop");
    QTest::newRow("stop while paused") << true;
    QTest::newRow("close while recording") << false;
}

void RecordingWindowTest::stopWhilePausedAndCloseWhileRecordingCompleteTheFile()
{
    QFETCH(bool, pauseThenStop);
    QVERIFY(openCamera());
    toggle();
    recordFrames(15);
    if (pauseThenStop) {
        window->findChild<QPushButton*>("pushButton_open")->click();
        QTest::qWait(200);
        toggle();
    } else {
        window->closeCamera();
        QCOMPARE(window->windowTitle(), QString());
    }
    QVERIFY(!indicatorShown());
    const QStringList files = videosIn(videos);
    QCOMPARE(files.size(), 1);
    const mediaprobe::Probe read = mediaprobe::probe(QDir(videos).filePath(files[0]));
    QVERIFY2(read.decodedFrames >= 15, qPrintable(QString::number(read.decodedFrames)));
}

void RecordingWindowTest::withoutCameraNothingHappens()
{
    QVERIFY(QDir(videos).removeRecursively());  // a missing folder is not made either
    toggle();
    QVERIFY(!indicatorShown());
    QCOMPARE(watcher->count(), 0);
    QVERIFY(!QDir(videos).exists());
}

QTEST_MAIN(RecordingWindowTest)
#include "tst_recordingwindow.moc"
