// Recordings for measurement from a camera window on simulated cameras: image sequences
// and frame lists against the camera's own frame numbers, runs that stop by themselves,
// and recordings of several cameras at once of which one camera goes away.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <tiffio.h>
#include <vector>

#include "../camera/SimulatedCameras.h"
#include "CameraThread.h"
#include "MediaProbe.h"
#include "PreTriggerBuffer.h"
#include "VexoCameraApi.h"
#include <chrono>
#include "ModalDialogWatcher.h"
#include "RecordVideoThread.h"
#include "RecordingTestSupport.h"
#include "SettingsStore.h"

namespace {

void setRecord(const QString& key, const QVariant& value)
{
    settingsStore()->setValue(QStringLiteral("RECORDINFO"), key, value);
}

QList<QByteArrayList> readRows(const QString& path)
{
    QList<QByteArrayList> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    file.readLine();
    while (!file.atEnd())
        rows << file.readLine().trimmed().split(',');
    return rows;
}

int picturesIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.tif")}, QDir::Files).size();
}

}  // namespace

class RecordingRunsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void filesAndFrameListsMatchTheCamera_data();
    void filesAndFrameListsMatchTheCamera();
    void frameCountRunStopsAtThatCount_data();
    void frameCountRunStopsAtThatCount();
    void vanishedSequenceFolderStopsTheRecordingByName();
    void preTriggerStartsTheRecordingSecondsBefore_data();
    void preTriggerStartsTheRecordingSecondsBefore();
    void allCameraRecordingLosesOnlyTheUnpluggedCamera();

private:
    std::unique_ptr<CameraThread> openWindow(const char* identifier);
    QString status(CameraThread& w) const
    {
        return w.findChild<QLabel*>("label_camerainfo")->text();
    }
    void toggle(CameraThread& w) { w.findChild<QPushButton*>("pushButton_recording")->click(); }
    static bool framesPass(CameraThread& w, int frames);

    QTemporaryDir scratch;
    QString videos;
    std::unique_ptr<ModalDialogWatcher> watcher;
};

void RecordingRunsTest::initTestCase()
{
    QVERIFY(scratch.isValid());
    QVERIFY(testcameras::install(scratch));
}

void RecordingRunsTest::init()
{
    videos = recordingtest::freshRecordingFolder(scratch);
    watcher = std::make_unique<ModalDialogWatcher>();
}

void RecordingRunsTest::cleanup()
{
    watcher.reset();
}

std::unique_ptr<CameraThread> RecordingRunsTest::openWindow(const char* identifier)
{
    auto w = std::make_unique<CameraThread>();
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->resize(640, 480);
    w->show();
    if (!w->startCamera(QString::fromLatin1(identifier)) ||
        !QTest::qWaitFor([&]() { return w->lastCaptureRate() >= 1; }, 30000))
        return nullptr;
    return w;
}

bool RecordingRunsTest::framesPass(CameraThread& w, int frames)
{
    const int until = w.acquisitionThread()->frameCount() + frames + 1;
    return QTest::qWaitFor([&]() { return w.acquisitionThread()->frameCount() >= until; }, 30000);
}

void RecordingRunsTest::filesAndFrameListsMatchTheCamera_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("frameInfo");
    QTest::addColumn<bool>("listed");
    QTest::newRow("sequence") << 2 << 0 << true;
    QTest::newRow("mp4 with frame information") << 0 << 2 << true;
    QTest::newRow("avi without frame information") << 1 << 0 << false;
}

void RecordingRunsTest::filesAndFrameListsMatchTheCamera()
{
    QFETCH(int, type);
    QFETCH(int, frameInfo);
    QFETCH(bool, listed);
    setRecord(QStringLiteral("VideoType"), type);
    setRecord(QStringLiteral("FrameInfoState"), frameInfo);
    auto w = openWindow(testcameras::kOddWidth);
    QVERIFY(w);
    toggle(*w);
    QVERIFY(w->isRecording());
    QVERIFY(framesPass(*w, 20));
    toggle(*w);
    QVERIFY(!w->isRecording());

    const CameraThread::RecordingTotals& totals = w->lastRecording();
    QVERIFY(!totals.failed);
    QVERIFY(totals.written >= 20);
    QString list;
    if (type == 2) {
        QVERIFY(QFileInfo(totals.file).isDir());
        QCOMPARE(picturesIn(totals.file), totals.written);
        list = totals.file + QStringLiteral("/frames.csv");
    } else {
        QCOMPARE(mediaprobe::probe(totals.file).decodedFrames, totals.written);
        const QFileInfo file(totals.file);
        list = file.path() + QLatin1Char('/') + file.completeBaseName() + "_frames.csv";
    }
    QCOMPARE(QFile::exists(list), listed);
    if (!listed)
        return;
    // One row per frame in the file, in order, with the camera's numbers: the first and
    // last recorded, and every one between either listed or counted as missing.
    const QList<QByteArrayList> rows = readRows(list);
    QCOMPARE(rows.size(), totals.written);
    QCOMPARE(rows.first()[1].toLongLong(), totals.firstFrameNumber);
    QCOMPARE(rows.last()[1].toLongLong(), totals.lastFrameNumber);
    for (int i = 1; i < rows.size(); ++i) {
        QCOMPARE(rows[i][0].toInt(), i);
        QVERIFY(rows[i][1].toLongLong() > rows[i - 1][1].toLongLong());
        QVERIFY(rows[i][2].toLongLong() >= rows[i - 1][2].toLongLong());
    }
    QCOMPARE(totals.lastFrameNumber - totals.firstFrameNumber + 1,
             rows.size() + rows.last()[10].toLongLong());
    QCOMPARE(rows.first()[7].toInt(), 650);
}

void RecordingRunsTest::frameCountRunStopsAtThatCount_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("sequence") << 2;
    QTest::newRow("mp4") << 0;
}

void RecordingRunsTest::frameCountRunStopsAtThatCount()
{
    QFETCH(int, type);
    setRecord(QStringLiteral("VideoType"), type);
    setRecord(QStringLiteral("FrameStop"), 2);
    setRecord(QStringLiteral("FrameStopCount"), 17);
    auto w = openWindow(testcameras::kOddWidth);
    QVERIFY(w);
    toggle(*w);
    QVERIFY(w->isRecording());
    QTRY_VERIFY_WITH_TIMEOUT(!w->isRecording(), 60000);
    const CameraThread::RecordingTotals& totals = w->lastRecording();
    QCOMPARE(totals.written, 17);
    QCOMPARE(totals.offered, 17);
    if (type == 2)
        QCOMPARE(picturesIn(totals.file), 17);
    else
        QCOMPARE(mediaprobe::probe(totals.file).decodedFrames, 17);
    QVERIFY2(status(*w).startsWith(QStringLiteral("已达到设定的录制长度")), qPrintable(status(*w)));
    // The camera runs on; the next toggle starts a new recording.
    toggle(*w);
    QVERIFY(w->isRecording());
    toggle(*w);
}

void RecordingRunsTest::vanishedSequenceFolderStopsTheRecordingByName()
{
    setRecord(QStringLiteral("VideoType"), 2);
    auto w = openWindow(testcameras::kOddWidth);
    QVERIFY(w);
    toggle(*w);
    QVERIFY(framesPass(*w, 3));
    const QString sequence = QString::fromUtf8(w->activeRecorder()->filePath());
    // Pictures keep arriving while the folder is emptied, so its own removal can find it
    // not empty yet; it goes once a removal falls between two pictures.
    QTRY_VERIFY_WITH_TIMEOUT(QDir(sequence).removeRecursively(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!w->isRecording(), 60000);
    // The sequence's own folder went, not the one it was in.
    QVERIFY2(status(*w).startsWith(QStringLiteral("录像已停止: 录像文件夹已不存在: %1 (已写入 ")
                                       .arg(QDir::toNativeSeparators(sequence))),
             qPrintable(status(*w)));
    QVERIFY(QFileInfo::exists(videos));
}

namespace {

// Bits a sample of a TIFF picture holds (0 when it cannot be read), and for 16-bit grey
// whether every value is a multiple of 16, as a 12-bit camera's own values moved up are.
int tiffBits(const QString& path, bool* steppedBy16 = nullptr)
{
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tiff)
        return 0;
    uint16_t bits = 0;
    uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    if (steppedBy16 && bits == 16) {
        std::vector<quint16> row(width);
        *steppedBy16 = true;
        for (uint32_t y = 0; y < height && *steppedBy16; ++y) {
            *steppedBy16 = TIFFReadScanline(tiff, row.data(), y) >= 0;
            for (quint16 v : row)
                *steppedBy16 = *steppedBy16 && v % 16 == 0;
        }
    }
    TIFFClose(tiff);
    return bits;
}

}  // namespace

void RecordingRunsTest::preTriggerStartsTheRecordingSecondsBefore_data()
{
    QTest::addColumn<QByteArray>("camera");
    QTest::addColumn<int>("bits");
    QTest::newRow("8-bit camera") << QByteArray(testcameras::kOddWidth) << 8;
    // The kept seconds and the rest keep the camera's 12 bits, as 16-bit grey.
    QTest::newRow("12-bit grey camera") << QByteArray(testcameras::kDeepMono) << 16;
}

void RecordingRunsTest::preTriggerStartsTheRecordingSecondsBefore()
{
    QFETCH(QByteArray, camera);
    QFETCH(int, bits);
    setRecord(QStringLiteral("VideoType"), 2);
    setRecord(QStringLiteral("PreTriggerSeconds"), 2);
    auto w = openWindow(camera.constData());
    QVERIFY(w);
    // The buffer comes with the window's first status report and fills for two seconds.
    QTRY_VERIFY_WITH_TIMEOUT(w->preTriggerBuffer() &&
                                 w->preTriggerBuffer()->spanKeptUs() >= 1900000,
                             60000);
    // A second more, so a buffer that failed to let its oldest frames go would show it.
    QVERIFY(framesPass(*w, 30));
    const qint64 clickedUs = std::chrono::duration_cast<std::chrono::microseconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count();
    toggle(*w);
    QVERIFY(w->isRecording());
    QVERIFY(framesPass(*w, 10));
    toggle(*w);
    VexoFrameStatistics statistics{};
    QCOMPARE(SdkGetFrameStatistics(w->cameraHandle(), &statistics), 0);

    const CameraThread::RecordingTotals& totals = w->lastRecording();
    const QList<QByteArrayList> rows = readRows(totals.file + QStringLiteral("/frames.csv"));
    QCOMPARE(rows.size(), totals.written);
    QCOMPARE(picturesIn(totals.file), totals.written);
    // About two seconds of frames from before the click, and never more than two: the
    // frames that arrived before it span what the buffer keeps. (Measured between frames,
    // not against the click, which a busy machine can delay.)
    const qint64 firstUs = rows.first()[3].toLongLong();
    qint64 lastBeforeClickUs = firstUs;
    for (const QByteArrayList& row : rows)
        if (row[3].toLongLong() <= clickedUs)
            lastBeforeClickUs = row[3].toLongLong();
    const qint64 spanBeforeClickUs = lastBeforeClickUs - firstUs;
    QVERIFY2(spanBeforeClickUs >= 1500000 && spanBeforeClickUs <= 2000000,
             qPrintable(QString::number(spanBeforeClickUs)));
    // The camera's numbers run on across the start: none missing, none twice (unless the
    // library itself lost frames on a machine too busy for the camera).
    for (int i = 1; i < rows.size(); ++i) {
        const qint64 step = rows[i][1].toLongLong() - rows[i - 1][1].toLongLong();
        QVERIFY(step >= 1);
        if (statistics.lostFrames == 0)
            QCOMPARE(step, qint64(1));
    }
    QCOMPARE(totals.firstFrameNumber, rows.first()[1].toLongLong());
    const QStringList names =
        QDir(totals.file).entryList({QStringLiteral("*.tif")}, QDir::Files, QDir::Name);
    QVERIFY(names.size() >= 2);
    QCOMPARE(tiffBits(totals.file + QLatin1Char('/') + names.first()), bits);
    bool steppedBy16 = false;
    QCOMPARE(tiffBits(totals.file + QLatin1Char('/') + names.last(), &steppedBy16), bits);
    // The camera's own values, not the shown image widened.
    if (bits == 16)
        QVERIFY(steppedBy16);
}

void RecordingRunsTest::allCameraRecordingLosesOnlyTheUnpluggedCamera()
{
    setRecord(QStringLiteral("VideoType"), 2);
    auto first = openWindow(testcameras::kOddWidth);
    auto second = openWindow(testcameras::kSecond);
    QVERIFY(first && second);
    QVERIFY(first->startRecordingIn(videos, true));
    QVERIFY(second->startRecordingIn(videos, true));
    QVERIFY(framesPass(*second, 5));
    QVERIFY(testcameras::detach(QString::fromLatin1(testcameras::kSecond)));
    QTRY_VERIFY_WITH_TIMEOUT(!second->isRecording(), 60000);
    QVERIFY2(status(*second).startsWith(QStringLiteral("相机已断开, 本相机的录像已停止")),
             qPrintable(status(*second)));
    QVERIFY(second->lastRecording().written >= 5);
    QCOMPARE(picturesIn(second->lastRecording().file), second->lastRecording().written);
    // The other camera records on.
    QVERIFY(first->isRecording());
    QVERIFY(framesPass(*first, 5));
    QVERIFY(first->isRecording());
    first->endRecording();
    QVERIFY(first->lastRecording().firstKnown);
    QVERIFY(second->lastRecording().firstKnown);
    QCOMPARE(picturesIn(first->lastRecording().file), first->lastRecording().written);
}

QTEST_MAIN(RecordingRunsTest)
#include "tst_recordingruns.moc"
