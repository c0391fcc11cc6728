// Rules of continuous capture, picture names and histogram statistics, without widgets.
#include <QSet>
#include <QtTest>
#include <cmath>

#include "ContinuousCaptureLogic.h"
#include "HistogramLogic.h"

using capturelogic::TickAction;
Q_DECLARE_METATYPE(TickAction)

namespace {

// A packed RGB frame whose pixel i has the levels given by the three functions.
QImage frame(int width, int height, const std::function<QRgb(int, int)>& pixel)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, pixel(x, y));
    return image;
}

}  // namespace

class CaptureLogicTest : public QObject {
    Q_OBJECT
private slots:
    void safeFolderName_data();
    void safeFolderName();
    void uniqueBaseNameSuffixesTheNewPicture();
    void countRun_data();
    void countRun();
    void timeTick_data();
    void timeTick();
    void fastIntervalsTickNoFasterThanTheFloor_data();
    void fastIntervalsTickNoFasterThanTheFloor();

    void statistics_data();
    void statistics();
    void countsFollowTheRealRowLength();
    void emptyFrameLeavesTheLevels();
    void chartNumbers_data();
    void chartNumbers();
    void readoutBoxFlipsNearTheRightEdge_data();
    void readoutBoxFlipsNearTheRightEdge();
};

void CaptureLogicTest::safeFolderName_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain name") << "Odd row camera"
                                << "Odd row camera";
    QTest::newRow("Chinese name") << "工业相机 1"
                                  << "工业相机 1";
    QTest::newRow("parent folder") << ".."
                                   << "_";
    QTest::newRow("escape with slashes") << "../../etc"
                                         << ".._.._etc";
    QTest::newRow("backslash and drive") << "C:\\Windows"
                                         << "C__Windows";
    QTest::newRow("characters Windows refuses") << "a*b?c\"d<e>f|g"
                                                << "a_b_c_d_e_f_g";
    QTest::newRow("control character") << QStringLiteral("cam\nera\t1") << "cam_era_1";
    QTest::newRow("trailing dots and blanks") << "camera. . "
                                              << "camera";
    QTest::newRow("empty title") << ""
                                 << "_";
    QTest::newRow("blanks only") << "   "
                                 << "_";
    QTest::newRow("recording title stays readable") << "cam  正在录制中..."
                                                    << "cam  正在录制中";
}

void CaptureLogicTest::safeFolderName()
{
    QFETCH(QString, title);
    QFETCH(QString, folder);
    const QString name = capturelogic::safeFolderName(title);
    QCOMPARE(name, folder);
    QVERIFY(!name.contains('/') && !name.contains('\\'));
    QVERIFY(name != "." && name != "..");
}

void CaptureLogicTest::uniqueBaseNameSuffixesTheNewPicture()
{
    QSet<QString> files;
    const auto exists = [&](const QString& f) { return files.contains(f); };
    QCOMPARE(capturelogic::uniqueBaseName("/p/Image__20260101120000", ".png", exists),
             QStringLiteral("/p/Image__20260101120000"));
    files << "/p/Image__20260101120000.png";
    QCOMPARE(capturelogic::uniqueBaseName("/p/Image__20260101120000", ".png", exists),
             QStringLiteral("/p/Image__20260101120000_1"));
    files << "/p/Image__20260101120000_1.png";
    QCOMPARE(capturelogic::uniqueBaseName("/p/Image__20260101120000", ".png", exists),
             QStringLiteral("/p/Image__20260101120000_2"));
    // Only the same extension counts: a BMP of that name is no clash for a PNG.
    QCOMPARE(capturelogic::uniqueBaseName("/p/x", ".png",
                                          [](const QString& f) { return f == "/p/x.bmp"; }),
             QStringLiteral("/p/x"));
    QCOMPARE(capturelogic::pictureExtension(0), QStringLiteral(".bmp"));
    QCOMPARE(capturelogic::pictureExtension(1), QStringLiteral(".jpg"));
    QCOMPARE(capturelogic::pictureExtension(2), QStringLiteral(".png"));
    QCOMPARE(capturelogic::pictureExtension(3), QStringLiteral(".tif"));
    QCOMPARE(capturelogic::pictureExtension(4), QString());
}

void CaptureLogicTest::countRun_data()
{
    QTest::addColumn<int>("radix");
    QTest::addColumn<bool>("limited");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("everyFrames");
    QTest::addColumn<int>("runLimit");
    QTest::addColumn<bool>("endsAtOnce");
    QTest::newRow("every fifth frame") << 5 << false << 0 << 5 << 0 << false;
    QTest::newRow("radix 0 takes every frame") << 0 << false << 0 << 1 << 0 << false;
    QTest::newRow("negative radix takes every frame") << -3 << false << 0 << 1 << 0 << false;
    QTest::newRow("no limit ignores the count") << 3 << false << 2 << 3 << 0 << false;
    QTest::newRow("limited to three") << 3 << true << 3 << 3 << 3 << false;
    QTest::newRow("limit 0 ends without a picture") << 1 << true << 0 << 1 << 0 << true;
    QTest::newRow("negative limit ends without a picture") << 1 << true << -1 << 1 << -1 << true;
}

void CaptureLogicTest::countRun()
{
    QFETCH(int, radix);
    QFETCH(bool, limited);
    QFETCH(int, limit);
    QFETCH(int, everyFrames);
    QFETCH(int, runLimit);
    QFETCH(bool, endsAtOnce);
    const capturelogic::CountRun run = capturelogic::countRun(radix, limited, limit);
    QCOMPARE(run.everyFrames, everyFrames);
    QCOMPARE(run.endsAtOnce, endsAtOnce);
    if (!endsAtOnce)
        QCOMPARE(run.limit, runLimit);
}

void CaptureLogicTest::timeTick_data()
{
    QTest::addColumn<qint64>("now");
    QTest::addColumn<qint64>("deadline");
    QTest::addColumn<bool>("limited");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<TickAction>("action");
    QTest::newRow("before the deadline")
        << qint64(999) << qint64(1000) << true << false << TickAction::Request;
    QTest::newRow("at the deadline")
        << qint64(1000) << qint64(1000) << true << false << TickAction::End;
    QTest::newRow("after the deadline")
        << qint64(5000) << qint64(1000) << true << true << TickAction::End;
    QTest::newRow("no limit runs on")
        << qint64(5000) << qint64(1000) << false << false << TickAction::Request;
    QTest::newRow("waiting request")
        << qint64(10) << qint64(1000) << true << true << TickAction::Wait;
}

void CaptureLogicTest::timeTick()
{
    QFETCH(qint64, now);
    QFETCH(qint64, deadline);
    QFETCH(bool, limited);
    QFETCH(bool, pending);
    QFETCH(TickAction, action);
    QCOMPARE(capturelogic::timeTick(now, deadline, limited, pending), action);
}

void CaptureLogicTest::fastIntervalsTickNoFasterThanTheFloor_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("period");
    QTest::newRow("0 after the dialog's first save") << 0 << capturelogic::kFastestTimeTickMs;
    QTest::newRow("1 ms after a reset") << 1 << capturelogic::kFastestTimeTickMs;
    QTest::newRow("negative from a hand-edited file") << -5 << capturelogic::kFastestTimeTickMs;
    QTest::newRow("one second") << 1000 << 1000;
}

void CaptureLogicTest::fastIntervalsTickNoFasterThanTheFloor()
{
    QFETCH(int, interval);
    QFETCH(int, period);
    QCOMPARE(capturelogic::timeTickMs(interval), period);
    QVERIFY(capturelogic::timeTickMs(interval) > 0);
}

void CaptureLogicTest::statistics_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<qint64>("mean");
    QTest::addColumn<double>("deviation");

    const QImage black = frame(8, 4, [](int, int) { return qRgb(0, 0, 0); });
    QTest::newRow("all black") << black << 0 << 0 << 0 << qint64(0) << 0.0;
    const QImage white = frame(5, 3, [](int, int) { return qRgb(255, 255, 255); });
    QTest::newRow("only 255 shows 255 as the minimum")
        << white << 1 << 255 << 255 << qint64(255) << 0.0;
    // Half 0, half 200: mean 100, population deviation 100.
    const QImage halves = frame(10, 2, [](int x, int) { return qRgb(x < 5 ? 0 : 200, 7, 0); });
    QTest::newRow("two levels in halves") << halves << 0 << 0 << 200 << qint64(100) << 100.0;
    QTest::newRow("flat green") << halves << 1 << 7 << 7 << qint64(7) << 0.0;
    // Levels 1, 2, 3, 4: mean 2.5 (shown 2), variance 1.25.
    const QImage ramp = frame(4, 1, [](int x, int) { return qRgb(0, 0, x + 1); });
    QTest::newRow("ramp 1 to 4") << ramp << 2 << 1 << 4 << qint64(2) << std::sqrt(1.25);
    // 255 in one pixel of four: the mean and deviation count it too.
    const QImage spot = frame(2, 2, [](int x, int y) { return qRgb(x + y == 0 ? 255 : 10, 0, 0); });
    QTest::newRow("one bright pixel")
        << spot << 0 << 10 << 255 << qint64(71)
        << std::sqrt((3 * 10.0 * 10 + 255.0 * 255) / 4 - 71.25 * 71.25);
}

void CaptureLogicTest::statistics()
{
    QFETCH(QImage, image);
    QFETCH(int, channel);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(qint64, mean);
    QFETCH(double, deviation);
    histogramlogic::Levels levels;
    QVERIFY(histogramlogic::countLevels(image, levels));
    QCOMPARE(levels.pixels, qint64(image.width()) * image.height());
    const auto s = histogramlogic::channelStatistics(levels.counts[size_t(channel)], levels.pixels);
    QCOMPARE(s.minimum, minimum);
    QCOMPARE(s.maximum, maximum);
    QCOMPARE(s.mean, mean);
    QVERIFY2(
        std::abs(s.deviation - deviation) < 1e-9,
        qPrintable(QString("%1 vs %2").arg(s.deviation, 0, 'g', 12).arg(deviation, 0, 'g', 12)));
}

void CaptureLogicTest::countsFollowTheRealRowLength()
{
    // 3 pixels of 3 bytes: rows padded to 12 bytes. The padding must not count.
    std::vector<uchar> bytes(12 * 2, 0xEE);
    for (int y = 0; y < 2; ++y)
        for (int i = 0; i < 9; ++i)
            bytes[size_t(y * 12 + i)] = 40;
    const QImage padded(bytes.data(), 3, 2, 12, QImage::Format_RGB888);
    histogramlogic::Levels levels;
    QVERIFY(histogramlogic::countLevels(padded, levels));
    for (int c = 0; c < 3; ++c) {
        QCOMPARE(levels.counts[size_t(c)][40], 6);
        QCOMPARE(levels.counts[size_t(c)][0xEE], 0);
    }
    QCOMPARE(levels.maximumCount, 6);

    // A frame in another format is read by its colours, not its bytes.
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.fill(qRgb(1, 2, 3));
    QVERIFY(histogramlogic::countLevels(argb, levels));
    QCOMPARE(levels.counts[0][1], 2);
    QCOMPARE(levels.counts[1][2], 2);
    QCOMPARE(levels.counts[2][3], 2);
}

void CaptureLogicTest::emptyFrameLeavesTheLevels()
{
    histogramlogic::Levels levels;
    QVERIFY(
        histogramlogic::countLevels(frame(1, 1, [](int, int) { return qRgb(9, 9, 9); }), levels));
    QVERIFY(!histogramlogic::countLevels(QImage(), levels));
    QCOMPARE(levels.counts[0][9], 1);
    QCOMPARE(levels.pixels, qint64(1));
}

void CaptureLogicTest::chartNumbers_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("height");
    QTest::newRow("largest reaches the top") << 1000 << 1000 << 200;
    QTest::newRow("half") << 500 << 1000 << 100;
    QTest::newRow("rounded down") << 1 << 3 << 66;
    QTest::newRow("nothing") << 0 << 1000 << 0;
    QTest::newRow("whole 1080p frame of one level") << 2073600 << 2073600 << 200;
}

void CaptureLogicTest::chartNumbers()
{
    QFETCH(int, count);
    QFETCH(int, maximum);
    QFETCH(int, height);
    QCOMPARE(histogramlogic::barHeight(count, maximum), height);
    // Axis labels are quarter steps in integer arithmetic.
    QCOMPARE(histogramlogic::yAxisLabel(1003, 1), 250);
    QCOMPARE(histogramlogic::yAxisLabel(1003, 4), 1000);
    QCOMPARE(histogramlogic::deviationText(100.0), QStringLiteral("100"));
    QCOMPARE(histogramlogic::deviationText(std::sqrt(2.0)), QStringLiteral("1.41421"));
}

void CaptureLogicTest::readoutBoxFlipsNearTheRightEdge_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<int>("level");
    QTest::newRow("left edge") << 0 << QPoint(10, 50) << 0;
    QTest::newRow("last room on the right") << 432 << QPoint(442, 50) << 216;
    QTest::newRow("first flip") << 433 << QPoint(343, 50) << 216;
    QTest::newRow("right edge") << 511 << QPoint(421, 50) << 255;
}

void CaptureLogicTest::readoutBoxFlipsNearTheRightEdge()
{
    QFETCH(int, x);
    QFETCH(QPoint, origin);
    QFETCH(int, level);
    QCOMPARE(histogramlogic::readoutBoxOrigin(x, 512), origin);
    QCOMPARE(histogramlogic::levelAt(x), level);
}

QTEST_GUILESS_MAIN(CaptureLogicTest)
#include "tst_capturelogic.moc"
