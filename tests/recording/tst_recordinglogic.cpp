// Rules of recording without an encoder: names and index, bit rates, the file's rate and
// the time stamps that make a file play at the speed it was taken.
#include <QSet>
#include <QtTest>

#include "RecordingLogic.h"
#include "SettingsStore.h"

using namespace recordinglogic;

class RecordingLogicTest : public QObject {
    Q_OBJECT
private slots:
    void bitRates_data();
    void bitRates();
    void names_data();
    void names();
    void freePathNeverReplacesAFile_data();
    void freePathNeverReplacesAFile();
    void presets_data();
    void presets();
    void rates_data();
    void rates();
    void realTimeStampsFollowCaptureTimes_data();
    void realTimeStampsFollowCaptureTimes();
    void fixedRateCountsFrames();
    void longRecordingDoesNotDrift();
    void lastFrameLastsUntilTheStop();
    void frameInfoPaths_data();
    void frameInfoPaths();
    void runLimits_data();
    void runLimits();
    void summaryPutsCamerasOnOneTimeLine();
};

void RecordingLogicTest::presets_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("rate");
    QTest::addColumn<QString>("preset");
    QTest::newRow("720p30") << 1280 << 720 << 30 << "veryfast";
    QTest::newRow("1080p30") << 1920 << 1080 << 30 << "veryfast";
    QTest::newRow("1080p31 rounds with it") << 1920 << 1080 << 31 << "veryfast";
    QTest::newRow("5 MP at 22") << 2592 << 1944 << 22 << "superfast";
    QTest::newRow("1080p60") << 1920 << 1080 << 60 << "superfast";
    QTest::newRow("1080p120") << 1920 << 1080 << 120 << "ultrafast";
    QTest::newRow("64 MP at 5") << 8192 << 8192 << 5 << "ultrafast";
    QTest::newRow("nonsense sizes") << -5 << 100 << 30 << "veryfast";
}

void RecordingLogicTest::presets()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, rate);
    QFETCH(QString, preset);
    QCOMPARE(QString::fromLatin1(recordinglogic::h264PresetFor(width, height, rate)), preset);
}

void RecordingLogicTest::bitRates_data()
{
    QTest::addColumn<int>("quality");
    QTest::addColumn<int>("bitRate");
    QTest::newRow("normal") << 0 << 500000;
    QTest::newRow("better") << 1 << 1000000;
    QTest::newRow("best") << 2 << 2000000;
    QTest::newRow("unknown high") << 3 << 500000;
    QTest::newRow("negative") << -1 << 500000;
}

void RecordingLogicTest::bitRates()
{
    QFETCH(int, quality);
    QFETCH(int, bitRate);
    QCOMPARE(bitRateForQuality(quality), bitRate);
}

void RecordingLogicTest::names_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("rule");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("advances");
    QTest::addColumn<int>("nextIndex");
    QTest::newRow("time, mp4, no separator")
        << "/v" << 0 << 0 << 5 << "/v/Video_20260102030405067.mp4" << false << 0;
    QTest::newRow("time, avi") << "/v" << 0 << 1 << 5 << "/v/Video_20260102030405067.avi" << false
                               << 0;
    QTest::newRow("index 7 leaves 8") << "/v" << 1 << 0 << 7 << "/v/Video_7.mp4" << true << 8;
    QTest::newRow("index 0") << "/v" << 1 << 1 << 0 << "/v/Video_0.avi" << true << 1;
    QTest::newRow("largest index starts again at 1")
        << "/v" << 1 << 0 << 2147483647 << "/v/Video_2147483647.mp4" << true << 1;
    QTest::newRow("sequence: a folder of that name")
        << "/v" << 0 << 2 << 5 << "/v/Video_20260102030405067" << false << 0;
    QTest::newRow("unknown type: no extension") << "/v" << 1 << 4 << 2 << "/v/Video_2" << true << 3;
    QTest::newRow("unknown rule: nothing") << "/v" << 2 << 0 << 2 << "" << false << 0;
    QTest::newRow("no folder: nothing") << "" << 1 << 0 << 2 << "" << false << 0;
}

void RecordingLogicTest::names()
{
    QFETCH(QString, folder);
    QFETCH(int, rule);
    QFETCH(int, type);
    QFETCH(int, index);
    RecordSettings record;
    record.nameRulePrefix = QStringLiteral("Video_");
    record.nameRuleFormat = rule;
    record.videoType = type;
    record.nameRuleIndex = index;
    const QDateTime now(QDate(2026, 1, 2), QTime(3, 4, 5, 67));
    const VideoName name = videoName(folder, record, now);
    QTEST(name.path, "path");
    QTEST(name.advancesIndex, "advances");
    if (name.advancesIndex)
        QTEST(name.nextIndex, "nextIndex");
}

void RecordingLogicTest::freePathNeverReplacesAFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("free");
    QTest::newRow("free") << "/v/a.mp4" << QStringList() << "/v/a.mp4";
    QTest::newRow("taken") << "/v/a.mp4" << QStringList{"/v/a.mp4"} << "/v/a_1.mp4";
    QTest::newRow("two taken") << "/v/a.mp4" << QStringList{"/v/a.mp4", "/v/a_1.mp4"}
                               << "/v/a_2.mp4";
    QTest::newRow("dot in folder, no extension") << "/v.x/a" << QStringList{"/v.x/a"} << "/v.x/a_1";
}

void RecordingLogicTest::freePathNeverReplacesAFile()
{
    QFETCH(QString, path);
    QFETCH(QStringList, existing);
    const QSet<QString> files(existing.begin(), existing.end());
    QTEST(freePath(path, [&](const QString& p) { return files.contains(p); }), "free");
}

void RecordingLogicTest::rates_data()
{
    QTest::addColumn<int>("playSpeed");
    QTest::addColumn<int>("custom");
    QTest::addColumn<float>("measured");
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("realTime");
    QTest::newRow("native 29.9 is 29") << 1 << 50 << 29.9f << 29 << true;
    QTest::newRow("native below 1 is 0") << 1 << 50 << 0.7f << 0 << true;
    QTest::newRow("native not measured yet") << 1 << 50 << 0.0f << 0 << true;
    QTest::newRow("custom 60 plays fast") << 0 << 60 << 29.9f << 60 << false;
    QTest::newRow("custom 0 (non-numeric text)") << 0 << 0 << 29.9f << 0 << false;
    QTest::newRow("custom negative") << 0 << -5 << 29.9f << 0 << false;
    QTest::newRow("custom 1 is the slowest") << 0 << 1 << 29.9f << 1 << false;
    QTest::newRow("custom 240 is the fastest") << 0 << 240 << 29.9f << 240 << false;
    QTest::newRow("custom 100000 is held at 240") << 0 << 100000 << 29.9f << 240 << false;
    QTest::newRow("custom largest int is held at 240") << 0 << 2147483647 << 29.9f << 240 << false;
    QTest::newRow("unknown speed counts as native") << 7 << 60 << 15.2f << 15 << true;
}

void RecordingLogicTest::rates()
{
    QFETCH(int, playSpeed);
    QFETCH(int, custom);
    QFETCH(float, measured);
    RecordSettings record;
    record.playSpeed = playSpeed;
    record.autoFrameRate = custom;
    const FileRate rate = fileRate(record, measured);
    QTEST(rate.framesPerSecond, "rate");
    QTEST(rate.realTime, "realTime");
}

void RecordingLogicTest::realTimeStampsFollowCaptureTimes_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<qint64>("maxGap");
    QTest::addColumn<QList<qint64>>("captureUs");
    QTest::addColumn<QList<qint64>>("arrivalUs");
    QTest::addColumn<QList<qint64>>("stamps");
    using L = QList<qint64>;
    QTest::newRow("30 fps in ms") << 1000 << qint64(0) << L{5000000, 5033333, 5066667, 5100000}
                                  << L{0, 1, 2, 3} << L{0, 33, 67, 100};
    QTest::newRow("slow encoder: frames dropped, time kept")
        << 1000 << qint64(0) << L{0, 100000, 300000} << L{0, 1, 2} << L{0, 100, 300};
    QTest::newRow("same capture time still advances")
        << 1000 << qint64(0) << L{0, 0, 40000} << L{0, 0, 1} << L{0, 1, 40};
    QTest::newRow("camera clock restarts: arrival fills in")
        << 1000 << qint64(0) << L{900000, 933000, 0, 33000} << L{0, 33000, 66000, 99000}
        << L{0, 33, 66, 99};
    QTest::newRow("camera clock stands still")
        << 1000 << qint64(0) << L{0, 0, 0} << L{0, 50000, 100000} << L{0, 50, 100};
    QTest::newRow("AVI grid of 60 per second")
        << 60 << qint64(0) << L{0, 33333, 66667, 100000} << L{0, 1, 2, 3} << L{0, 2, 4, 6};
    QTest::newRow("pause capped at the gap limit")
        << 60 << qint64(600) << L{0, 33333, 100033333} << L{0, 1, 2} << L{0, 2, 602};
}

void RecordingLogicTest::realTimeStampsFollowCaptureTimes()
{
    QFETCH(int, ticks);
    QFETCH(qint64, maxGap);
    QFETCH(QList<qint64>, captureUs);
    QFETCH(QList<qint64>, arrivalUs);
    FrameTimeline timeline(true, ticks, maxGap);
    QList<qint64> stamps;
    for (int i = 0; i < captureUs.size(); ++i)
        stamps << timeline.stamp(captureUs[i], arrivalUs[i]);
    QTEST(stamps, "stamps");
}

void RecordingLogicTest::fixedRateCountsFrames()
{
    // The custom rate: one period per frame whatever the times, as the user chose.
    FrameTimeline timeline(false, 60, 0);
    QCOMPARE(timeline.stamp(0, 0), 0);
    QCOMPARE(timeline.stamp(500000, 500000), 1);
    QCOMPARE(timeline.stamp(500000, 500000), 2);
}

void RecordingLogicTest::longRecordingDoesNotDrift()
{
    // An hour at 29.97 frames per second on a 1/58 grid (AVI at a measured 29): the
    // last stamp still lands on the capture time.
    FrameTimeline timeline(true, 58, 50000);
    const int frames = 3600 * 2997 / 100;
    qint64 last = 0;
    for (int i = 0; i < frames; ++i)
        last = timeline.stamp(qint64(i) * 1000000 * 100 / 2997, i);
    const double seconds = double(last) / 58;
    QVERIFY2(qAbs(seconds - double(frames - 1) * 100 / 2997) < 0.05,
             qPrintable(QString::number(seconds)));
}

void RecordingLogicTest::lastFrameLastsUntilTheStop()
{
    FrameTimeline real(true, 1000, 0);
    real.stamp(10000000, 0);
    real.stamp(10033333, 33333);
    // Stopped half a second after the last frame arrived: the file lasts until then.
    QCOMPARE(real.endStamp(533333), 533);
    // Stopped in the same instant: still one tick after the last frame.
    QCOMPARE(real.endStamp(33333), 34);

    // Frames that waited 100 ms in the camera's queue: the end is where the stop came.
    FrameTimeline lagging(true, 1000, 0);
    lagging.stamp(0, 0);
    lagging.stamp(33333, 133333);
    QCOMPARE(lagging.endStamp(133333), 133);

    FrameTimeline capped(true, 60, 600);
    capped.stamp(0, 0);
    QCOMPARE(capped.endStamp(100000000), 600);

    FrameTimeline fixed(false, 25, 0);
    for (int i = 0; i < 3; ++i)
        fixed.stamp(i * 1000000, i * 1000000);
    QCOMPARE(fixed.endStamp(99000000), 3);
}

void RecordingLogicTest::frameInfoPaths_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("mp4, asked for") << 0 << 2 << "/v/Video_1.mp4"
                                    << "/v/Video_1_frames.csv";
    QTest::newRow("avi with a free-name suffix") << 1 << 2 << "/v/Video_1_2.avi"
                                                 << "/v/Video_1_2_frames.csv";
    QTest::newRow("dots in the prefix") << 0 << 2 << "/v/cam.a_1.mp4"
                                        << "/v/cam.a_1_frames.csv";
    QTest::newRow("mp4, not asked for") << 0 << 0 << "/v/Video_1.mp4"
                                        << "";
    QTest::newRow("sequence: inside its folder") << 2 << 2 << "/v/Video_1"
                                                 << "";
}

void RecordingLogicTest::frameInfoPaths()
{
    QFETCH(int, type);
    QFETCH(int, state);
    QFETCH(QString, path);
    RecordSettings record;
    record.videoType = type;
    record.frameInfoState = state;
    QTEST(frameInfoPath(path, record), "expected");
}

void RecordingLogicTest::runLimits_data()
{
    QTest::addColumn<int>("frameStop");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("timeStop");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<qint64>("frames");
    QTest::addColumn<qint64>("durationMs");
    QTest::newRow("none") << 0 << 100 << 0 << 10 << qint64(0) << qint64(0);
    QTest::newRow("frames") << 2 << 100 << 0 << 10 << qint64(100) << qint64(0);
    QTest::newRow("time") << 0 << 100 << 2 << 10 << qint64(0) << qint64(10000);
    QTest::newRow("both, the first reached ends it")
        << 2 << 5 << 2 << 86400 << qint64(5) << qint64(86400000);
    QTest::newRow("count 0 is no limit") << 2 << 0 << 0 << 10 << qint64(0) << qint64(0);
}

void RecordingLogicTest::runLimits()
{
    QFETCH(int, frameStop);
    QFETCH(int, count);
    QFETCH(int, timeStop);
    QFETCH(int, seconds);
    RecordSettings record;
    record.frameStop = frameStop;
    record.frameStopCount = count;
    record.timeStop = timeStop;
    record.timeStopSeconds = seconds;
    const RunLimits limits = recordinglogic::runLimits(record);
    QTEST(limits.frames, "frames");
    QTEST(limits.durationMs, "durationMs");
}

void RecordingLogicTest::summaryPutsCamerasOnOneTimeLine()
{
    SummaryEntry a{
        QStringLiteral("Cam, left"), QStringLiteral("/v/a"), true, 10, 500, 2000, 9000, 30};
    SummaryEntry b{QStringLiteral("B"), QStringLiteral("/v/b.mp4"), true, 3, 70, 1500, 8500, 31};
    SummaryEntry c{QStringLiteral("C"), QStringLiteral("/v/c.mp4"), false, 0, 0, 0, 0, 0};
    const QList<QByteArray> lines = allCameraSummary({a, b, c}).split('\n');
    QCOMPARE(lines.size(), 5);  // header, three cameras, the last line feed
    QVERIFY(lines[0].startsWith("camera,file,frames,"));
    // Offsets from the camera whose first frame came first (b), on the steady clock.
    QCOMPARE(lines[1], QByteArray("\"Cam, left\",/v/a,30,10,500,2000,9000,500"));
    QCOMPARE(lines[2], QByteArray("B,/v/b.mp4,31,3,70,1500,8500,0"));
    QCOMPARE(lines[3], QByteArray("C,/v/c.mp4,0,,,,,"));
    QCOMPARE(summaryPath(QStringLiteral("/v"), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 67))),
             QStringLiteral("/v/AllCameras_20260102030405067.csv"));
}

QTEST_GUILESS_MAIN(RecordingLogicTest)
#include "tst_recordinglogic.moc"
