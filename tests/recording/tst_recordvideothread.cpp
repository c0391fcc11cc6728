// The recorder on its own: files read back with libavformat (container, codec, size,
// frames, time stamps, pixels), no frame lost, frames of another size, write failures,
// a vanished folder, a full disk and a recording killed with SIGKILL.
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "MediaProbe.h"
#include "RecordVideoThread.h"
#include "RecordingTestSupport.h"

using Problem = RecordVideoThread::Problem;
Q_DECLARE_METATYPE(Problem)

namespace {

constexpr int kBitRate = 1000000;

// Left half red, right half blue, with rows of the given length (0: QImage's own).
struct Frame {
    std::vector<uchar> pixels;
    QImage image;
};

Frame makeFrame(int width, int height, int bytesPerLine = 0)
{
    Frame frame;
    if (bytesPerLine == 0) {
        frame.image = QImage(width, height, QImage::Format_RGB888);
    } else {
        frame.pixels.assign(std::size_t(bytesPerLine) * height, 0x55);
        frame.image =
            QImage(frame.pixels.data(), width, height, bytesPerLine, QImage::Format_RGB888);
    }
    for (int y = 0; y < height; ++y) {
        uchar* row = frame.image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const bool left = x < width / 2;
            row[3 * x] = left ? 220 : 20;
            row[3 * x + 1] = 20;
            row[3 * x + 2] = left ? 20 : 220;
        }
    }
    return frame;
}

bool reddish(QRgb c)
{
    return qRed(c) > 150 && qBlue(c) < 90 && qGreen(c) < 90;
}

bool bluish(QRgb c)
{
    return qBlue(c) > 150 && qRed(c) < 90 && qGreen(c) < 90;
}

// Capture times of n frames at about 30 per second, unevenly spaced as a real camera
// with a busy consumer delivers them.
QList<qint64> unevenTimes(int n)
{
    QList<qint64> times;
    qint64 at = 7000000;
    for (int i = 0; i < n; ++i) {
        times << at;
        at += (i % 3 == 0) ? 66667 : 16667;
    }
    return times;
}

// Child process: records until killed, telling the parent how many frames it wrote.
int recordUntilKilled(const QByteArray& path)
{
    RecordVideoThread::Options options;
    options.frameInfoPath = path + ".csv";
    RecordVideoThread recorder(kBitRate, 30, 320, 240, path, options);
    if (!recorder.isOpened())
        return 2;
    const Frame frame = makeFrame(320, 240);
    for (int i = 0;; ++i) {
        if (!recorder.writeFrame(frame.image, qint64(i) * 33333))
            return 3;
        std::printf("written %d\n", i + 1);
        std::fflush(stdout);
        QThread::msleep(2);
    }
}

// Child process inside its own mount namespace: records onto a tiny tmpfs until the disk
// is full, then reads the file back and prints what it found.
int fillDisk(const QByteArray& folder, const QByteArray& extension)
{
    if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=192k", "none",
                                                    QString::fromLocal8Bit(folder)}) != 0)
        return 4;
    const QByteArray path = folder + "/full." + extension;
    RecordVideoThread recorder(2000000, 30, 320, 240, path);
    if (!recorder.isOpened())
        return 2;
    Frame frame = makeFrame(320, 240);
    int written = 0;
    for (int i = 0; i < 100000; ++i) {
        // Changing pictures keep the encoder busy, so the disk fills quickly.
        frame.image.fill(QColor::fromHsv((i * 37) % 360, 255, 255));
        if (!recorder.writeFrame(frame.image, qint64(i) * 33333))
            break;
        ++written;
    }
    const Problem problem = recorder.problem();
    recorder.finish();
    const mediaprobe::Probe read = mediaprobe::probe(QString::fromLocal8Bit(path));
    std::printf("written %d problem %d decoded %d\n", written, int(problem), read.decodedFrames);
    return 0;
}

}  // namespace

class RecordVideoThreadTest : public QObject {
    Q_OBJECT
private slots:
    void producesPlayableFile_data();
    void producesPlayableFile();
    void customRatePlaysOnePeriodPerFrame();
    void lastFrameLastsUntilTheStop();
    void noEncodedFrameIsLost_data();
    void noEncodedFrameIsLost();
    void framesOfAnotherSizeAreSkipped();
    void oddSizesKeepEveryPixel();
    void fullQueueDropsAndCountsAndEveryQueuedFrameIsWritten();
    void openFailures_data();
    void openFailures();
    void writeFailureStopsAndKeepsTheFile_data();
    void writeFailureStopsAndKeepsTheFile();
    void vanishedFolderStopsTheRecording();
    void fullDiskOnARealFileSystem_data();
    void fullDiskOnARealFileSystem();
    void killedRecordingStaysPlayable_data();
    void killedRecordingStaysPlayable();

private:
    QTemporaryDir folder;
};

void RecordVideoThreadTest::producesPlayableFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("bytesPerLine");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<double>("tolerance");  // seconds, one tick of the file's grid
    QTest::newRow("mp4 640") << "a.mp4" << 640 << 0 << "h264" << 0.0011;
    QTest::newRow("mp4 650 packed rows") << "b.mp4" << 650 << 1950 << "h264" << 0.0011;
    QTest::newRow("mp4 650 padded rows") << "c.mp4" << 650 << 1976 << "h264" << 0.0011;
    QTest::newRow("avi 640") << "a.avi" << 640 << 0 << "mpeg4" << 0.0167;
    QTest::newRow("avi 650 packed rows") << "b.avi" << 650 << 1950 << "mpeg4" << 0.0167;
}

void RecordVideoThreadTest::producesPlayableFile()
{
    QFETCH(QString, name);
    QFETCH(int, width);
    QFETCH(int, bytesPerLine);
    QFETCH(QString, codec);
    QFETCH(double, tolerance);
    const int height = 240;
    const QString path = folder.filePath(name);
    const QList<qint64> times = unevenTimes(40);
    {
        RecordVideoThread recorder(kBitRate, 30, width, height, path.toUtf8());
        QVERIFY(recorder.isOpened());
        const Frame frame = makeFrame(width, height, bytesPerLine);
        for (qint64 at : times)
            QVERIFY(recorder.writeFrame(frame.image, at));
        QCOMPARE(recorder.framesEncoded(), times.size());
    }
    const mediaprobe::Probe read = mediaprobe::probe(path);
    QVERIFY2(read.opened, qPrintable(read.error));
    QCOMPARE(read.codec, codec);
    QCOMPARE(read.width, width);
    QCOMPARE(read.height, height);
    QCOMPARE(read.packets, times.size());
    QCOMPARE(read.decodedFrames, times.size());
    // Each frame is shown when it was taken, not one nominal period after the last.
    for (int i = 0; i < times.size(); ++i) {
        const double expected = (times[i] - times[0]) / 1e6;
        QVERIFY2(
            qAbs(read.presentationSeconds[i] - read.presentationSeconds[0] - expected) <= tolerance,
            qPrintable(QStringLiteral("frame %1 at %2 s, taken at %3 s")
                           .arg(i)
                           .arg(read.presentationSeconds[i] - read.presentationSeconds[0])
                           .arg(expected)));
    }
    const double span = (times.last() - times.first()) / 1e6;
    QVERIFY2(read.durationSeconds >= span && read.durationSeconds <= span + 0.07,
             qPrintable(QString::number(read.durationSeconds)));
    // Rows read with their real length: the halves stay where they are to the last row.
    for (const QImage& image : {read.firstFrame, read.lastFrame}) {
        QVERIFY(reddish(image.pixel(8, 8)));
        QVERIFY(bluish(image.pixel(width - 8, 8)));
        QVERIFY(reddish(image.pixel(8, height - 8)));
        QVERIFY(bluish(image.pixel(width - 8, height - 8)));
        QVERIFY(reddish(image.pixel(width / 2 - 8, height - 4)));
    }
}

void RecordVideoThreadTest::customRatePlaysOnePeriodPerFrame()
{
    // The custom rate plays faster or slower on purpose: 30 frames at 60 per second
    // last half a second however they were taken.
    const QString path = folder.filePath(QStringLiteral("custom.mp4"));
    RecordVideoThread::Options options;
    options.realTime = false;
    {
        RecordVideoThread recorder(kBitRate, 60, 320, 240, path.toUtf8(), options);
        QVERIFY(recorder.isOpened());
        const Frame frame = makeFrame(320, 240);
        for (qint64 at : unevenTimes(30))
            QVERIFY(recorder.writeFrame(frame.image, at));
    }
    const mediaprobe::Probe read = mediaprobe::probe(path);
    QCOMPARE(read.decodedFrames, 30);
    QVERIFY2(qAbs(read.durationSeconds - 0.5) < 0.002,
             qPrintable(QString::number(read.durationSeconds)));
}

void RecordVideoThreadTest::lastFrameLastsUntilTheStop()
{
    // Five frames taken 25 ms apart, the recording stopped at least 400 ms after the
    // first: the file lasts until the stop, not until one period after the last frame.
    const QString path = folder.filePath(QStringLiteral("stop.mp4"));
    // The clock starts before the recorder, so whatever the recorder counts from lies
    // inside what it measures, however slow the machine.
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    {
        RecordVideoThread recorder(kBitRate, 30, 320, 240, path.toUtf8());
        const Frame frame = makeFrame(320, 240);
        for (int i = 0; i < 5; ++i)
            QVERIFY(recorder.writeFrame(frame.image, i * 25000));
        QTest::qWait(400);
    }
    const double ran = sinceFirst.nsecsElapsed() / 1e9;
    const mediaprobe::Probe read = mediaprobe::probe(path);
    QCOMPARE(read.decodedFrames, 5);
    // The frames came faster than they were taken here, so the end may lie up to the
    // 100 ms they span beyond the stop.
    QVERIFY2(read.durationSeconds >= 0.4 && read.durationSeconds <= ran + 0.1,
             qPrintable(QStringLiteral("%1 s of %2 s").arg(read.durationSeconds).arg(ran)));
}

void RecordVideoThreadTest::noEncodedFrameIsLost_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("option");
    QTest::addColumn<QByteArray>("value");
    // Encoders that hold frames back: x264 with look-ahead, MPEG-4 with B-frames.
    QTest::newRow("h264 with look-ahead")
        << "delay.mp4" << QByteArray("tune") << QByteArray("film");
    QTest::newRow("mpeg4 with b-frames") << "delay.avi" << QByteArray("bf") << QByteArray("2");
}

void RecordVideoThreadTest::noEncodedFrameIsLost()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, option);
    QFETCH(QByteArray, value);
    const QString path = folder.filePath(name);
    RecordVideoThread::Options options;
    options.encoderOptions << qMakePair(option, value);
    const int frames = 50;
    {
        RecordVideoThread recorder(kBitRate, 30, 320, 240, path.toUtf8(), options);
        QVERIFY(recorder.isOpened());
        Frame frame = makeFrame(320, 240);
        for (int i = 0; i < frames; ++i) {
            frame.image.fill(QColor::fromHsv((i * 11) % 360, 200, 200));
            QVERIFY(recorder.writeFrame(frame.image, qint64(i) * 33333));
        }
        // The encoder really holds frames back at this point, or the case proves nothing.
        QVERIFY(recorder.packetsWritten() < frames);
        recorder.finish();
        QCOMPARE(recorder.packetsWritten(), frames);
    }
    const mediaprobe::Probe read = mediaprobe::probe(path);
    QCOMPARE(read.packets, frames);
    QCOMPARE(read.decodedFrames, frames);
}

void RecordVideoThreadTest::framesOfAnotherSizeAreSkipped()
{
    const QString path = folder.filePath(QStringLiteral("resized.mp4"));
    const Frame right = makeFrame(320, 240);
    const Frame larger = makeFrame(640, 480);
    const Frame smaller = makeFrame(160, 120);
    RecordVideoThread recorder(kBitRate, 30, 320, 240, path.toUtf8());
    QSignalSpy problems(&recorder, &RecordVideoThread::recordingProblem);
    qint64 at = 0;
    for (const QImage* image :
         {&right.image, &larger.image, &smaller.image, &larger.image, &right.image}) {
        for (int i = 0; i < 5; ++i, at += 33333)
            QVERIFY(recorder.writeFrame(*image, at));
    }
    QCOMPARE(recorder.framesSkipped(), 15);
    QCOMPARE(problems.count(), 1);
    QCOMPARE(problems[0][0].toInt(), int(Problem::SizeMismatch));
    QCOMPARE(problems[0][1].toString(), QStringLiteral("640x480"));
    recorder.finish();
    const mediaprobe::Probe read = mediaprobe::probe(path);
    QCOMPARE(read.decodedFrames, 10);
    QCOMPARE(read.width, 320);
}

void RecordVideoThreadTest::oddSizesKeepEveryPixel()
{
    // 321 × 241: the last column green, the last row white. YUV 4:2:0 needs even sizes;
    // the file grows by a copy of them instead of losing them.
    const QString path = folder.filePath(QStringLiteral("odd.mp4"));
    Frame frame = makeFrame(321, 241);
    for (int y = 0; y < 241; ++y) {
        uchar* pixel = frame.image.scanLine(y) + 320 * 3;
        pixel[0] = 20, pixel[1] = 220, pixel[2] = 20;
    }
    std::memset(frame.image.scanLine(240), 235, 321 * 3);
    {
        RecordVideoThread recorder(kBitRate, 30, 321, 241, path.toUtf8());
        QVERIFY(recorder.isOpened());
        QCOMPARE(recorder.encodedSize(), QSize(322, 242));
        for (int i = 0; i < 10; ++i)
            QVERIFY(recorder.writeFrame(frame.image, i * 33333));
    }
    const mediaprobe::Probe read = mediaprobe::probe(path);
    QVERIFY2(read.opened, qPrintable(read.error));
    QCOMPARE(read.decodedFrames, 10);
    QCOMPARE(QSize(read.width, read.height), QSize(322, 242));
    const QImage& last = read.lastFrame;
    const auto greenish = [](QRgb c) { return qGreen(c) > 150 && qRed(c) < 90 && qBlue(c) < 90; };
    const auto whitish = [](QRgb c) { return qGreen(c) > 190 && qRed(c) > 190 && qBlue(c) > 190; };
    QVERIFY(greenish(last.pixel(320, 100)));
    QVERIFY(greenish(last.pixel(321, 100)));  // the copy
    QVERIFY(whitish(last.pixel(100, 240)));
    QVERIFY(whitish(last.pixel(100, 241)));
    QVERIFY(reddish(last.pixel(8, 8)));
}

void RecordVideoThreadTest::fullQueueDropsAndCountsAndEveryQueuedFrameIsWritten()
{
    const QString path = folder.filePath(QStringLiteral("queue.mp4"));
    const Frame frame = makeFrame(320, 240);
    const qint64 frameBytes = qint64(frame.image.bytesPerLine()) * 240;
    RecordVideoThread::Options options;
    options.queueLimitBytes = 6 * frameBytes;
    RecordVideoThread recorder(kBitRate, 30, 320, 240, path.toUtf8(), options);
    QVERIFY(recorder.isOpened());
    // The encoder takes nothing while the queue is held: the queue fills and stays at
    // its limit, whatever is offered.
    recorder.holdQueue(true);
    recorder.start();
    int accepted = 0;
    for (int i = 0; i < 20; ++i)
        accepted += recorder.enqueueFrame(frame.image, i * 33333) ? 1 : 0;
    QCOMPARE(accepted, 6);
    QCOMPARE(recorder.framesQueued(), 6);
    QCOMPARE(recorder.framesOffered(), 20);
    QCOMPARE(recorder.framesDropped(), 14);
    // Once the encoder runs again there is room again.
    recorder.holdQueue(false);
    QTRY_COMPARE_WITH_TIMEOUT(recorder.framesQueued(), 0, 30000);
    for (int i = 20; i < 25; ++i)
        QVERIFY(recorder.enqueueFrame(frame.image, i * 33333));
    recorder.endRecording();
    QVERIFY(recorder.wait(60000));
    QCOMPARE(recorder.framesEncoded(), 11);
    QVERIFY(!recorder.enqueueFrame(frame.image, 26 * 33333));  // over: nothing more is taken
    QCOMPARE(recorder.framesDropped(), 15);
    const mediaprobe::Probe read = mediaprobe::probe(path);
    QVERIFY2(read.opened, qPrintable(read.error));
    QCOMPARE(read.decodedFrames, 11);
}

void RecordVideoThreadTest::openFailures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("rate");
    QTest::addColumn<Problem>("problem");
    QTest::newRow("folder missing") << "missing/x.mp4" << 30 << Problem::FolderMissing;
    QTest::newRow("folder is a file") << "plain.txt/x.mp4" << 30 << Problem::FolderMissing;
    QTest::newRow("rate 0") << "rate0.mp4" << 0 << Problem::OpenFailed;
}

void RecordVideoThreadTest::openFailures()
{
    QFETCH(QString, path);
    QFETCH(int, rate);
    QFile plain(folder.filePath(QStringLiteral("plain.txt")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString full = folder.filePath(path);
    RecordVideoThread recorder(kBitRate, rate, 320, 240, full.toUtf8());
    QVERIFY(!recorder.isOpened());
    QTEST(recorder.problem(), "problem");
    const Frame frame = makeFrame(320, 240);
    QVERIFY(!recorder.writeFrame(frame.image, 0));
    recorder.finish();
    QVERIFY(!QFile::exists(full));
}

void RecordVideoThreadTest::writeFailureStopsAndKeepsTheFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("error");
    QTest::addColumn<Problem>("problem");
    QTest::newRow("mp4 disk full") << "full.mp4" << ENOSPC << Problem::DiskFull;
    QTest::newRow("avi disk full") << "full.avi" << ENOSPC << Problem::DiskFull;
    QTest::newRow("mp4 permission withdrawn") << "perm.mp4" << EACCES << Problem::NoPermission;
    QTest::newRow("mp4 device error") << "eio.mp4" << EIO << Problem::WriteFailed;
}

void RecordVideoThreadTest::writeFailureStopsAndKeepsTheFile()
{
    QFETCH(QString, name);
    QFETCH(int, error);
    const QString path = folder.filePath(name);
    // Writes succeed until the file holds 60 kB, then fail for good.
    const qint64 limit = 60 * 1024;
    RecordVideoThread::Options options;
    options.writeFault = [limit, error](qint64 offset, int bytes) {
        return offset + bytes > limit ? error : 0;
    };
    RecordVideoThread recorder(2000000, 30, 320, 240, path.toUtf8(), options);
    QVERIFY(recorder.isOpened());
    QSignalSpy problems(&recorder, &RecordVideoThread::recordingProblem);
    Frame frame = makeFrame(320, 240);
    int written = 0;
    for (int i = 0; i < 2000; ++i) {
        frame.image.fill(QColor::fromHsv((i * 37) % 360, 255, 255));
        if (!recorder.writeFrame(frame.image, qint64(i) * 33333))
            break;
        ++written;
    }
    QVERIFY2(written < 2000, "the injected failure was never reported");
    QVERIFY(recorder.hasFailed());
    QTEST(recorder.problem(), "problem");
    QCOMPARE(problems.count(), 1);
    QTEST(Problem(problems[0][0].toInt()), "problem");
    // Nothing more is taken once the recording has failed.
    QVERIFY(!recorder.writeFrame(frame.image, 999999999));
    recorder.finish();
    QCOMPARE(problems.count(), 1);
    QVERIFY(QFileInfo(path).size() <= limit);
    const mediaprobe::Probe read = mediaprobe::probe(path);
    QVERIFY2(read.opened, qPrintable(read.error));
    QVERIFY2(read.decodedFrames > 0 && read.decodedFrames <= written + 1,
             qPrintable(QStringLiteral("%1 of %2").arg(read.decodedFrames).arg(written)));
}

void RecordVideoThreadTest::vanishedFolderStopsTheRecording()
{
    const QString sub = folder.filePath(QStringLiteral("vanishing"));
    QVERIFY(QDir().mkpath(sub));
    RecordVideoThread recorder(kBitRate, 30, 320, 240, (sub + "/v.mp4").toUtf8());
    QVERIFY(recorder.isOpened());
    QSignalSpy problems(&recorder, &RecordVideoThread::recordingProblem);
    const Frame frame = makeFrame(320, 240);
    QVERIFY(recorder.writeFrame(frame.image, 0));
    QVERIFY(QDir(sub).removeRecursively());
    // The folder is looked at every half second of frames.
    qint64 at = 0;
    QTRY_VERIFY_WITH_TIMEOUT(!recorder.writeFrame(frame.image, at += 33333), 20000);
    QCOMPARE(recorder.problem(), Problem::FolderMissing);
    QCOMPARE(problems.count(), 1);
}

void RecordVideoThreadTest::fullDiskOnARealFileSystem_data()
{
    QTest::addColumn<QString>("extension");
    QTest::newRow("mp4") << "mp4";
    QTest::newRow("avi") << "avi";
}

void RecordVideoThreadTest::fullDiskOnARealFileSystem()
{
    QFETCH(QString, extension);
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty())
        QSKIP("unshare is not installed");
    const QString mountPoint = folder.filePath(QStringLiteral("tiny-") + extension);
    QVERIFY(QDir().mkpath(mountPoint));
    QProcess child;
    child.start(unshare, {"-Urm", QCoreApplication::applicationFilePath(), "--fill-disk",
                          mountPoint, extension});
    QVERIFY(child.waitForFinished(120000));
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
    if (child.exitCode() == 4 || child.exitCode() == 1)
        QSKIP(qPrintable("no private tmpfs here: " +
                         QString::fromLocal8Bit(child.readAllStandardError())));
    QCOMPARE(child.exitCode(), 0);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("written (\\d+) problem (\\d+) decoded (\\d+)"))
            .match(output);
    QVERIFY2(m.hasMatch(), qPrintable(output));
    QCOMPARE(m.captured(2).toInt(), int(Problem::DiskFull));
    QVERIFY2(m.captured(3).toInt() > 0, qPrintable(output));
    // The frame whose write failed may have reached the disk as a whole.
    QVERIFY2(m.captured(3).toInt() <= m.captured(1).toInt() + 1, qPrintable(output));
}

void RecordVideoThreadTest::killedRecordingStaysPlayable_data()
{
    QTest::addColumn<QString>("name");
    // Whether the file itself says how long it is, as players show it. MP4 goes in
    // self-contained fragments; AVI keeps its lengths and index for the end, so a killed
    // AVI's pictures decode but it has no duration (the settings dialog and the manual
    // say so, and recommend MP4).
    QTest::addColumn<bool>("knowsItsDuration");
    QTest::newRow("mp4") << "killed.mp4" << true;
    QTest::newRow("avi") << "killed.avi" << false;
}

void RecordVideoThreadTest::killedRecordingStaysPlayable()
{
    QFETCH(QString, name);
    QFETCH(bool, knowsItsDuration);
    const QString path = folder.filePath(name);
    // SIGKILL after 90 frames: no destructor, no trailer.
    const int written = recordingtest::killAfterWriting({"--record-until-killed", path}, 90);
    QVERIFY(written >= 90);

    const mediaprobe::Probe read = mediaprobe::probe(path);
    QVERIFY2(read.opened, qPrintable(read.error));
    // Everything up to the last complete group of 12 frames before the report.
    QVERIFY2(
        read.decodedFrames >= written - 24,
        qPrintable(QStringLiteral("%1 decoded, %2 written").arg(read.decodedFrames).arg(written)));
    QVERIFY2(read.durationSeconds >= (written - 25) / 30.0,
             qPrintable(QString::number(read.durationSeconds)));
    QVERIFY(reddish(read.lastFrame.pixel(8, 8)));
    // The frame sidecar lists exactly frames the file holds: a row is written once its
    // frame is readable (MP4: once its fragment is out), so it may trail by one fragment.
    QFile sidecar(path + ".csv");
    QVERIFY(sidecar.open(QIODevice::ReadOnly));
    const int rows = sidecar.readAll().count('\n') - 1;
    QVERIFY2(rows <= read.decodedFrames && rows >= read.decodedFrames - 13,
             qPrintable(QStringLiteral("%1 rows, %2 decoded").arg(rows).arg(read.decodedFrames)));
    if (knowsItsDuration)
        QVERIFY2(read.streamDurationSeconds >= (written - 25) / 30.0,
                 qPrintable(QString::number(read.streamDurationSeconds)));
}

int main(int argc, char** argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "--record-until-killed") == 0)
        return recordUntilKilled(argv[2]);
    if (argc >= 4 && qstrcmp(argv[1], "--fill-disk") == 0)
        return fillDisk(argv[2], argv[3]);
    if (argc >= 3 && qstrcmp(argv[1], "--probe") == 0) {
        // For looking at a file by hand.
        const mediaprobe::Probe read = mediaprobe::probe(QString::fromLocal8Bit(argv[2]));
        std::printf("%s %s %dx%d packets %d decoded %d duration %.3f stream %.3f %s\n",
                    qPrintable(read.container), qPrintable(read.codec), read.width, read.height,
                    read.packets, read.decodedFrames, read.durationSeconds,
                    read.streamDurationSeconds, qPrintable(read.error));
        return 0;
    }
    QCoreApplication app(argc, argv);
    RecordVideoThreadTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recordvideothread.moc"
