// Image sequences and per-frame sidecars of the recorder: pictures and rows against the
// frames handed over (count, order, content, the camera's numbers), grey and colour,
// fixed-length runs, a full disk, a vanished folder, and a sequence killed with SIGKILL.
#include <tiffio.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "FrameInfoLog.h"
#include "PreTriggerBuffer.h"
#include "MediaProbe.h"
#include "RecordVideoThread.h"
#include "RecordingTestSupport.h"
#include "SequencePicture.h"
#include "VexoCameraApi.h"

using Problem = RecordVideoThread::Problem;

namespace {

// Frame i: every pixel (i * 7, 255 - i, 3 * i) mod 256, except the first column, which is
// (1, 2, 3): colour and grey pictures both tell the frames apart and show their rows straight.
QImage makeFrame(int width, int height, int i, bool grey)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const uchar r = x == 0 ? 1 : uchar(i * 7);
            row[3 * x] = r;
            row[3 * x + 1] = grey ? r : (x == 0 ? 2 : uchar(255 - i));
            row[3 * x + 2] = grey ? r : (x == 0 ? 3 : uchar(3 * i));
        }
    }
    return image;
}

framehandover::FrameInfo frameInfo(int width, int height, qint64 number, bool grey)
{
    framehandover::FrameInfo frame;
    frame.info.width = width;
    frame.info.height = height;
    frame.info.rawFormat = int32_t(grey ? VEXO_SDK_PIXEL_MONO8 : VEXO_SDK_PIXEL_BAYER_RG8);
    frame.info.pixelFormat = VEXO_SDK_PIXEL_RGB8;
    frame.info.frameNumber = int32_t(number);
    frame.info.timestampMs = int32_t(1000 + number * 33);
    frame.info.exposureUs = 5000 + int32_t(number);
    frame.info.analogGainMilli = 1500;
    frame.sequence = quint64(number);
    return frame;
}

struct TiffRead {
    bool ok = false;
    int width = 0;
    int height = 0;
    int samples = 0;
    int bits = 0;
    std::vector<uchar> pixels;     // packed rows of 8-bit pictures
    std::vector<quint16> values;   // of 16-bit grey ones
};

TiffRead readTiff(const QString& path)
{
    TiffRead read;
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tiff)
        return read;
    uint32_t w = 0, h = 0;
    uint16_t samples = 0, bits = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    read.width = int(w);
    read.height = int(h);
    read.samples = samples;
    read.bits = bits;
    read.ok = bits == 8 || (bits == 16 && samples == 1);
    if (bits == 16) {
        read.values.resize(size_t(w) * h);
        for (uint32_t y = 0; y < h && read.ok; ++y)
            read.ok = TIFFReadScanline(tiff, read.values.data() + size_t(y) * w, y) >= 0;
    } else {
        read.pixels.resize(size_t(w) * h * samples);
        for (uint32_t y = 0; y < h && read.ok; ++y)
            read.ok = TIFFReadScanline(tiff, read.pixels.data() + size_t(y) * w * samples, y) >= 0;
    }
    TIFFClose(tiff);
    return read;
}

QList<QByteArrayList> readRows(const QString& path)
{
    QList<QByteArrayList> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    file.readLine();  // header
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (!line.endsWith('\n'))
            break;  // half a row would show here
        rows << line.trimmed().split(',');
    }
    return rows;
}

QStringList pictures(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.tif")}, QDir::Files, QDir::Name);
}

QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden);
}

// Child process: writes a sequence until killed, telling the parent how many frames
// (picture and row) are complete.
int sequenceUntilKilled(const QByteArray& path)
{
    RecordVideoThread::Options options;
    options.imageSequence = true;
    RecordVideoThread recorder(0, 30, 160, 120, path, options);
    if (!recorder.isOpened())
        return 2;
    for (int i = 0;; ++i) {
        if (!recorder.writeFrame(makeFrame(160, 120, i, false), qint64(i) * 33333))
            return 3;
        std::printf("written %d\n", i + 1);
        std::fflush(stdout);
    }
}

}  // namespace

class RecordSequenceTest : public QObject {
    Q_OBJECT
private slots:
    void droppedBefore_data();
    void droppedBefore();
    void rowText();
    void picturesAndRowsEqualTheFrames_data();
    void picturesAndRowsEqualTheFrames();
    void frameLimitStopsAtExactlyThatCount();
    void durationLimitEndsTheRun();
    void fullDiskKeepsWholePictures();
    void vanishedFolderStopsTheSequence();
    void existingFolderIsNeverUsed();
    void videoSidecarListsEveryEncodedFrame();
    void killedSequenceStaysConsistent();
    void preTriggerHandsOverWithoutGapOrRepeat();
    void preTriggerCountsFramesMissingBeforeAndAfterTheStart();
    void deepGreySequenceKeepsTheCameraValues();

private:
    QTemporaryDir folder;
};

void RecordSequenceTest::droppedBefore_data()
{
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("number");
    QTest::addColumn<qint64>("position");
    QTest::addColumn<qint64>("previous");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("no gap") << qint64(100) << qint64(105) << qint64(5) << qint64(0) << qint64(0);
    QTest::newRow("two missing") << qint64(100) << qint64(107) << qint64(5) << qint64(0)
                                 << qint64(2);
    QTest::newRow("numbers wrap at 32 bits")
        << qint64(0x7FFFFFFE) << qint64(-0x7FFFFFFF) << qint64(3) << qint64(0) << qint64(0);
    QTest::newRow("camera numbering restarted")
        << qint64(5000) << qint64(2) << qint64(40) << qint64(3) << qint64(3);
}

void RecordSequenceTest::droppedBefore()
{
    QFETCH(qint64, first);
    QFETCH(qint64, number);
    QFETCH(qint64, position);
    QFETCH(qint64, previous);
    QTEST(frameinfolog::droppedBefore(first, number, position, previous), "expected");
}

void RecordSequenceTest::rowText()
{
    frameinfolog::FrameRow row;
    row.position = 3;
    row.frameNumber = 77;
    row.cameraTimeUs = 2541000;
    row.hostSteadyUs = 123456789;
    row.hostWallUs = 1765000000000000;
    row.exposureUs = 10000;
    row.gainMilli = 1050;
    row.width = 2592;
    row.height = 1944;
    row.pixelFormat = VEXO_SDK_PIXEL_MONO8;
    row.droppedBefore = 1;
    QCOMPARE(frameinfolog::row(row),
             QByteArray("3,77,2541000,123456789,1765000000000000,10000,1.050,2592,1944,Mono8,1\n"));
    QCOMPARE(frameinfolog::header().count(','), frameinfolog::row(row).count(','));
    QCOMPARE(frameinfolog::pixelFormatName(0x1234), QByteArray("0x1234"));
    // Deep cameras: named, and a grey one of any depth makes grey pictures.
    QCOMPARE(frameinfolog::pixelFormatName(VEXO_SDK_PIXEL_MONO12), QByteArray("Mono12"));
    QCOMPARE(frameinfolog::pixelFormatName(VEXO_SDK_PIXEL_BAYER_RG16), QByteArray("BayerRG16"));
    QVERIFY(frameinfolog::isGreyFormat(VEXO_SDK_PIXEL_MONO12));
    QVERIFY(frameinfolog::isGreyFormat(VEXO_SDK_PIXEL_MONO8));
    QVERIFY(!frameinfolog::isGreyFormat(VEXO_SDK_PIXEL_BAYER_RG12));
    QVERIFY(!frameinfolog::isGreyFormat(VEXO_SDK_PIXEL_RGB8));
}

void RecordSequenceTest::picturesAndRowsEqualTheFrames_data()
{
    QTest::addColumn<bool>("grey");
    QTest::addColumn<int>("width");
    QTest::newRow("colour") << false << 64;
    QTest::newRow("grey sensor") << true << 64;
    QTest::newRow("odd width") << false << 61;
}

void RecordSequenceTest::picturesAndRowsEqualTheFrames()
{
    QFETCH(bool, grey);
    QFETCH(int, width);
    const int height = 48;
    const QString path = folder.filePath(QStringLiteral("seq_%1_%2").arg(grey).arg(width));
    // Camera numbers from 500, with 503 and 504 never delivered.
    QList<qint64> numbers;
    for (qint64 n = 500; numbers.size() < 30; ++n)
        if (n != 503 && n != 504)
            numbers << n;
    RecordVideoThread::Options options;
    options.imageSequence = true;
    {
        RecordVideoThread recorder(0, 30, width, height, path.toUtf8(), options);
        QVERIFY(recorder.isOpened());
        recorder.start();
        for (int i = 0; i < numbers.size(); ++i)
            recorder.takeFrame(makeFrame(width, height, i, grey),
                               frameInfo(width, height, numbers[i], grey));
        recorder.endRecording();
        QVERIFY(recorder.wait(60000));
        QCOMPARE(recorder.framesEncoded(), numbers.size());
        QCOMPARE(recorder.frameInfoRows(), qint64(numbers.size()));
        QCOMPARE(recorder.firstFrame().frameNumber, qint64(500));
    }
    const QStringList names = pictures(path);
    QCOMPARE(names.size(), numbers.size());
    QVERIFY(leftovers(path).isEmpty());
    const QList<QByteArrayList> rows = readRows(path + QStringLiteral("/frames.csv"));
    QCOMPARE(rows.size(), numbers.size());
    for (int i = 0; i < numbers.size(); ++i) {
        QCOMPARE(names[i], QString::fromLatin1(sequencepicture::pictureName(i)));
        const TiffRead read = readTiff(path + QLatin1Char('/') + names[i]);
        QVERIFY2(read.ok, qPrintable(names[i]));
        QCOMPARE(read.width, width);
        QCOMPARE(read.height, height);
        QCOMPARE(read.samples, grey ? 1 : 3);
        // First column and the far corner of the last row: the frame's own values.
        const size_t last = (size_t(height) * width - 1) * read.samples;
        QCOMPARE(int(read.pixels[0]), 1);
        QCOMPARE(int(read.pixels[last]), int(uchar(i * 7)));
        if (!grey) {
            QCOMPARE(int(read.pixels[1]), 2);
            QCOMPARE(int(read.pixels[last + 1]), int(uchar(255 - i)));
            QCOMPARE(int(read.pixels[last + 2]), int(uchar(3 * i)));
        }
        const QByteArrayList& row = rows[i];
        QCOMPARE(row.size(), 11);
        QCOMPARE(row[0].toLongLong(), qint64(i));
        QCOMPARE(row[1].toLongLong(), numbers[i]);
        QCOMPARE(row[2].toLongLong(), (1000 + numbers[i] * 33) * 1000);
        QCOMPARE(row[5].toLongLong(), 5000 + numbers[i]);
        QCOMPARE(row[6], QByteArray("1.500"));
        QCOMPARE(row[7].toInt(), width);
        QCOMPARE(row[9], grey ? QByteArray("Mono8") : QByteArray("BayerRG8"));
        QCOMPARE(row[10].toLongLong(), numbers[i] >= 505 ? 2 : 0);
        if (i > 0)
            QVERIFY(rows[i][3].toLongLong() >= rows[i - 1][3].toLongLong());
    }
}

void RecordSequenceTest::frameLimitStopsAtExactlyThatCount()
{
    const QString path = folder.filePath(QStringLiteral("limited"));
    RecordVideoThread::Options options;
    options.imageSequence = true;
    options.frameLimit = 25;
    RecordVideoThread recorder(0, 30, 32, 24, path.toUtf8(), options);
    QVERIFY(recorder.isOpened());
    QSignalSpy reached(&recorder, &RecordVideoThread::recordingLimitReached);
    recorder.start();
    for (int i = 0; i < 40; ++i)
        recorder.takeFrame(makeFrame(32, 24, i, false), frameInfo(32, 24, i, false));
    recorder.endRecording();
    QVERIFY(recorder.wait(60000));
    QCOMPARE(reached.count(), 1);
    QVERIFY(recorder.limitReached());
    QCOMPARE(recorder.framesEncoded(), 25);
    QCOMPARE(recorder.framesDropped(), 0);
    QCOMPARE(recorder.lastFrameNumber(), qint64(24));
    QCOMPARE(pictures(path).size(), 25);
    QCOMPARE(readRows(path + QStringLiteral("/frames.csv")).size(), 25);
}

void RecordSequenceTest::durationLimitEndsTheRun()
{
    // Frames keep coming until the recorder says the time is up; every frame it took is
    // in the folder and none after.
    const QString path = folder.filePath(QStringLiteral("timed"));
    RecordVideoThread::Options options;
    options.imageSequence = true;
    options.durationLimitMs = 300;
    RecordVideoThread recorder(0, 30, 32, 24, path.toUtf8(), options);
    QVERIFY(recorder.isOpened());
    QSignalSpy reached(&recorder, &RecordVideoThread::recordingLimitReached);
    recorder.start();
    int i = 0;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&]() {
            recorder.takeFrame(makeFrame(32, 24, i, false), frameInfo(32, 24, i, false));
            ++i;
            return recorder.limitReached();
        }(),
        60000);
    recorder.endRecording();
    QVERIFY(recorder.wait(60000));
    QCOMPARE(reached.count(), 1);
    QCOMPARE(qint64(pictures(path).size()), recorder.lastFrameNumber() + 1);
    QCOMPARE(recorder.framesEncoded(), pictures(path).size());
    QVERIFY(recorder.framesEncoded() < i);
}

void RecordSequenceTest::fullDiskKeepsWholePictures()
{
    const QString path = folder.filePath(QStringLiteral("full"));
    // Room for the sidecar and six pictures of 32×24, then the disk is full.
    auto total = std::make_shared<qint64>(0);
    const qint64 room = 6 * (32 * 24 * 3 + 400);
    RecordVideoThread::Options options;
    options.imageSequence = true;
    options.writeFault = [total, room](qint64, int bytes) {
        if (*total + bytes > room)
            return ENOSPC;
        *total += bytes;
        return 0;
    };
    RecordVideoThread recorder(0, 30, 32, 24, path.toUtf8(), options);
    QVERIFY(recorder.isOpened());
    QSignalSpy problems(&recorder, &RecordVideoThread::recordingProblem);
    int written = 0;
    for (int i = 0; i < 100; ++i) {
        if (!recorder.writeFrame(makeFrame(32, 24, i, false), i * 33333))
            break;
        ++written;
    }
    QVERIFY(written > 0 && written < 100);
    QCOMPARE(recorder.problem(), Problem::DiskFull);
    QCOMPARE(problems.count(), 1);
    recorder.finish();
    QCOMPARE(pictures(path).size(), written);
    QCOMPARE(readRows(path + QStringLiteral("/frames.csv")).size(), written);
    QVERIFY(leftovers(path).isEmpty());
    for (const QString& name : pictures(path))
        QVERIFY(readTiff(path + QLatin1Char('/') + name).ok);
}

void RecordSequenceTest::vanishedFolderStopsTheSequence()
{
    const QString path = folder.filePath(QStringLiteral("vanishing"));
    RecordVideoThread::Options options;
    options.imageSequence = true;
    RecordVideoThread recorder(0, 30, 32, 24, path.toUtf8(), options);
    QVERIFY(recorder.isOpened());
    for (int i = 0; i < 3; ++i)
        QVERIFY(recorder.writeFrame(makeFrame(32, 24, i, false), i * 33333));
    QVERIFY(QDir(path).removeRecursively());
    QVERIFY(!recorder.writeFrame(makeFrame(32, 24, 3, false), 99999));
    QCOMPARE(recorder.problem(), Problem::FolderMissing);
    QVERIFY(!recorder.writeFrame(makeFrame(32, 24, 4, false), 199999));
}

void RecordSequenceTest::existingFolderIsNeverUsed()
{
    const QString path = folder.filePath(QStringLiteral("taken"));
    QVERIFY(QDir().mkpath(path));
    RecordVideoThread::Options options;
    options.imageSequence = true;
    RecordVideoThread recorder(0, 30, 32, 24, path.toUtf8(), options);
    QVERIFY(!recorder.isOpened());
    QCOMPARE(recorder.problem(), Problem::OpenFailed);
    RecordVideoThread missing(0, 30, 32, 24, (path + "/no/such").toUtf8(), options);
    QCOMPARE(missing.problem(), Problem::FolderMissing);
}

void RecordSequenceTest::videoSidecarListsEveryEncodedFrame()
{
    const QString path = folder.filePath(QStringLiteral("withinfo.mp4"));
    const QString sidecar = folder.filePath(QStringLiteral("withinfo_frames.csv"));
    RecordVideoThread::Options options;
    options.frameInfoPath = sidecar.toUtf8();
    {
        RecordVideoThread recorder(1000000, 30, 64, 48, path.toUtf8(), options);
        QVERIFY(recorder.isOpened());
        recorder.start();
        for (int i = 0; i < 20; ++i)
            recorder.takeFrame(makeFrame(64, 48, i, false), frameInfo(64, 48, 40 + i, false));
        recorder.endRecording();
        QVERIFY(recorder.wait(60000));
    }
    const QList<QByteArrayList> rows = readRows(sidecar);
    QCOMPARE(rows.size(), 20);
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(rows[i][1].toLongLong(), qint64(40 + i));
    QCOMPARE(mediaprobe::probe(path).decodedFrames, 20);
    // A sidecar that cannot be made (it exists) makes no video either.
    RecordVideoThread again(1000000, 30, 64, 48, folder.filePath("again.mp4").toUtf8(), options);
    QVERIFY(!again.isOpened());
    QVERIFY(!QFile::exists(folder.filePath("again.mp4")));
}

void RecordSequenceTest::killedSequenceStaysConsistent()
{
    const QString path = folder.filePath(QStringLiteral("killed"));
    // SIGKILL after 60 frames, in the middle of some picture or row.
    const int written = recordingtest::killAfterWriting({"--sequence-until-killed", path}, 60);
    QVERIFY(written >= 60);

    const QList<QByteArrayList> rows = readRows(path + QStringLiteral("/frames.csv"));
    const QStringList names = pictures(path);
    // Every frame reported complete is listed; a picture may be one ahead of its row.
    QVERIFY2(rows.size() >= written,
             qPrintable(QStringLiteral("%1 rows, %2 reported").arg(rows.size()).arg(written)));
    QVERIFY(names.size() == rows.size() || names.size() == rows.size() + 1);
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i][0].toInt(), i);
        const TiffRead read = readTiff(path + QLatin1Char('/') + names[i]);
        QVERIFY2(read.ok, qPrintable(names[i]));
        QCOMPARE(int(read.pixels[(size_t(120) * 160 - 1) * 3]), int(uchar(i * 7)));
    }
}

void RecordSequenceTest::preTriggerHandsOverWithoutGapOrRepeat()
{
    // Room for five frames of 32×24: the oldest leave first, the newest five stay.
    const qint64 frameBytes = makeFrame(32, 24, 0, false).sizeInBytes();
    PreTriggerBuffer buffer(qint64(3600) * 1000000, 5 * frameBytes);
    for (int i = 0; i < 20; ++i)
        buffer.takeFrame(makeFrame(32, 24, i, false), frameInfo(32, 24, 1000 + i, false));
    QCOMPARE(buffer.framesKept(), 5);
    QCOMPARE(buffer.bytesKept(), 5 * frameBytes);

    const QString path = folder.filePath(QStringLiteral("pretriggered"));
    RecordVideoThread::Options options;
    options.imageSequence = true;
    {
        RecordVideoThread recorder(0, 30, 32, 24, path.toUtf8(), options);
        QVERIFY(recorder.isOpened());
        recorder.start();
        buffer.forwardTo(&recorder);
        QCOMPARE(buffer.framesKept(), 0);
        for (int i = 20; i < 30; ++i)
            buffer.takeFrame(makeFrame(32, 24, i, false), frameInfo(32, 24, 1000 + i, false));
        buffer.forwardTo(nullptr);
        buffer.takeFrame(makeFrame(32, 24, 30, false), frameInfo(32, 24, 1030, false));
        recorder.endRecording();
        QVERIFY(recorder.wait(60000));
        QCOMPARE(recorder.framesEncoded(), 15);
    }
    QCOMPARE(buffer.framesKept(), 1);  // keeping again once the recording let go
    const QList<QByteArrayList> rows = readRows(path + QStringLiteral("/frames.csv"));
    QCOMPARE(rows.size(), 15);
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i][1].toLongLong(), qint64(1015 + i));
        QCOMPARE(rows[i][10].toLongLong(), qint64(0));
        // Kept frames carry the time they arrived, not the time they were handed on.
        if (i > 0)
            QVERIFY(rows[i][3].toLongLong() >= rows[i - 1][3].toLongLong());
    }
    QVERIFY(rows[0][3].toLongLong() < rows[5][3].toLongLong());
    const TiffRead first = readTiff(path + QStringLiteral("/000000.tif"));
    QVERIFY(first.ok);
    QCOMPARE(int(first.pixels[(size_t(24) * 32 - 1) * 3]), int(uchar(15 * 7)));
}

void RecordSequenceTest::preTriggerCountsFramesMissingBeforeAndAfterTheStart()
{
    // Frames the library lost inside the kept seconds belong to the recording's losses as
    // much as those lost after the start; a wrapping or restarting count adds none.
    PreTriggerBuffer buffer(qint64(3600) * 1000000, qint64(64) * 1024 * 1024);
    for (qint64 number : {990, 1000, 1001, 1003, 1006, 1007})
        buffer.takeFrame(makeFrame(16, 12, 0, false), frameInfo(16, 12, number, false));
    QCOMPARE(buffer.framesMissing(), qint64(0));  // nothing counted while only keeping
    RecordVideoThread::Options options;
    options.imageSequence = true;
    RecordVideoThread recorder(0, 30, 16, 12, folder.filePath(QStringLiteral("gaps")).toUtf8(),
                               options);
    QVERIFY(recorder.isOpened());
    recorder.start();
    buffer.forwardTo(&recorder);
    QCOMPARE(buffer.framesMissing(), qint64(9 + 1 + 2));  // 991-999, 1002, 1004-1005
    // 1008-1009 are missing; the jump far ahead (a restarted count), the wrap from
    // 0xFFFFFFFF to 0 and the step back to 0 add nothing.
    for (qint64 number : {1010LL, 0xFFFFFFFFLL, 0LL, 1LL, 0LL, 1LL})
        buffer.takeFrame(makeFrame(16, 12, 0, false), frameInfo(16, 12, number, false));
    QCOMPARE(buffer.framesMissing(), qint64(12 + 2));
    buffer.forwardTo(nullptr);
    recorder.endRecording();
    QVERIFY(recorder.wait(60000));
    QCOMPARE(recorder.framesEncoded(), 12);
}

void RecordSequenceTest::deepGreySequenceKeepsTheCameraValues()
{
    // A 12-bit camera: frame i's value at (x, y) is (x + 3 y + 100 i) mod 4096, carried as
    // value << 4 beside its shown 8-bit image. Frame 0 comes without them (the window was
    // still asking), frames 1..3 go through the pre-trigger buffer, 4..9 straight on.
    const int width = 33;
    const int height = 20;
    const auto deepFrame = [&](int i, bool withValues) {
        framehandover::FrameInfo frame = frameInfo(width, height, 700 + i, true);
        frame.info.rawFormat = int32_t(VEXO_SDK_PIXEL_MONO12);
        if (withValues) {
            frame.native = QImage(width, height, QImage::Format_Grayscale16);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    reinterpret_cast<quint16*>(frame.native.scanLine(y))[x] =
                        quint16(((x + 3 * y + 100 * i) % 4096) << 4);
            frame.nativeBits = 12;
        }
        return frame;
    };
    const qint64 eightBitBytes = makeFrame(width, height, 0, true).sizeInBytes();
    PreTriggerBuffer buffer(qint64(3600) * 1000000, qint64(1) << 30);
    for (int i = 1; i <= 3; ++i)
        buffer.takeFrame(makeFrame(width, height, i, true), deepFrame(i, true));
    // The values kept count against the buffer's limit beside the shown images.
    QCOMPARE(buffer.bytesKept(), 3 * (eightBitBytes + deepFrame(1, true).native.sizeInBytes()));

    const QString path = folder.filePath(QStringLiteral("deep"));
    RecordVideoThread::Options options;
    options.imageSequence = true;
    {
        RecordVideoThread recorder(0, 30, width, height, path.toUtf8(), options);
        QVERIFY(recorder.isOpened());
        recorder.start();
        recorder.takeFrame(makeFrame(width, height, 0, true), deepFrame(0, false));
        buffer.forwardTo(&recorder);
        for (int i = 4; i < 10; ++i)
            buffer.takeFrame(makeFrame(width, height, i, true), deepFrame(i, true));
        buffer.forwardTo(nullptr);
        recorder.endRecording();
        QVERIFY(recorder.wait(60000));
        QCOMPARE(recorder.framesEncoded(), 10);
    }
    const QStringList names = pictures(path);
    QCOMPARE(names.size(), 10);
    const QList<QByteArrayList> rows = readRows(path + QStringLiteral("/frames.csv"));
    QCOMPARE(rows.size(), 10);
    for (int i = 0; i < 10; ++i) {
        const TiffRead read = readTiff(path + QLatin1Char('/') + names[i]);
        QVERIFY2(read.ok, qPrintable(names[i]));
        QCOMPARE(read.bits, 16);
        QCOMPARE(read.width, width);
        QCOMPARE(read.height, height);
        QCOMPARE(rows[i][1].toLongLong(), qint64(700 + i));
        QCOMPARE(rows[i][9], QByteArray("Mono12"));
        if (i == 0) {
            // Widened from the shown image: 8-bit v becomes v * 257.
            QCOMPARE(int(read.values[0]), 1 * 257);
            continue;
        }
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                QCOMPARE(int(read.values[size_t(y) * width + x]) >> 4, (x + 3 * y + 100 * i) % 4096);
    }
}

int main(int argc, char** argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "--sequence-until-killed") == 0)
        return sequenceUntilKilled(argv[2]);
    QCoreApplication app(argc, argv);
    RecordSequenceTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recordsequence.moc"
