// Rules of the region-of-interest dialog: grab zones, drags, preset rectangles, the
// preview-to-sensor mapping, alignment and the descriptor that is sent.
#include <QtTest>
#include <climits>
#include <cstring>

#include "RoiLogic.h"
#include "VexoCameraApi.h"

using namespace roilogic;

Q_DECLARE_METATYPE(VexoResolution)

namespace {

VexoResolution preset(int index, const char* name, int x, int y, int w, int h, int outW, int outH)
{
    VexoResolution r{};
    r.index = index;
    std::strncpy(r.name, name, sizeof r.name - 1);
    r.offsetX = x;
    r.offsetY = y;
    r.regionWidth = w;
    r.regionHeight = h;
    r.outputWidth = outW;
    r.outputHeight = outH;
    r.binning = outW == w ? 1 : 2;
    r.reserved80[0] = 0x5A5A;  // a word the dialog must pass back untouched
    return r;
}

}  // namespace

class RoiLogicTest : public QObject {
    Q_OBJECT
private slots:
    void zones_data();
    void zones();
    void drags_data();
    void drags();
    void presetRectangles_data();
    void presetRectangles();
    void sensorMapping_data();
    void sensorMapping();
    void sensorAreaFollowsTheDescriptor_data();
    void sensorAreaFollowsTheDescriptor();
    void alignment_data();
    void alignment();
    void fullSensorTemplate_data();
    void fullSensorTemplate();
    void customDescriptor_data();
    void customDescriptor();
    void decimalText_data();
    void decimalText();
};

void RoiLogicTest::zones_data()
{
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("zone");
    const QSize r(300, 250);  // with margin 20: bands below 20 and above 280 / 230
    QTest::newRow("right edge") << QPoint(290, 100) << r << int(kZoneRight);
    QTest::newRow("left edge") << QPoint(5, 100) << r << int(kZoneLeft);
    QTest::newRow("bottom edge") << QPoint(150, 240) << r << int(kZoneBottom);
    QTest::newRow("top edge") << QPoint(150, 3) << r << int(kZoneTop);
    QTest::newRow("top-left corner") << QPoint(0, 0) << r << int(kZoneTopLeft);
    QTest::newRow("top-right corner") << QPoint(299, 10) << r << int(kZoneTopRight);
    QTest::newRow("bottom-left corner") << QPoint(10, 249) << r << int(kZoneBottomLeft);
    QTest::newRow("bottom-right corner") << QPoint(299, 249) << r << int(kZoneBottomRight);
    QTest::newRow("interior") << QPoint(150, 125) << r << int(kZoneInterior);
    // Band borders: exactly m and W − m still belong to the middle.
    QTest::newRow("x = m is not the left band") << QPoint(20, 100) << r << int(kZoneInterior);
    QTest::newRow("x = W - m is not the right band") << QPoint(280, 100) << r << int(kZoneInterior);
    QTest::newRow("x = W - m + 1 is the right band") << QPoint(281, 100) << r << int(kZoneRight);
    QTest::newRow("y = m is not the top band") << QPoint(100, 20) << r << int(kZoneInterior);
    QTest::newRow("y = H - m is not the bottom band")
        << QPoint(100, 230) << r << int(kZoneInterior);
    QTest::newRow("y = H - m + 1 is the bottom band") << QPoint(100, 231) << r << int(kZoneBottom);
    QTest::newRow("corner needs both bands") << QPoint(19, 20) << r << int(kZoneLeft);
    // Outside the rectangle (the cursor runs ahead of a fast drag) still gives a zone.
    QTest::newRow("beyond the right edge") << QPoint(400, 100) << r << int(kZoneRight);
    QTest::newRow("above the top-left corner") << QPoint(-30, -5) << r << int(kZoneTopLeft);
    // A rectangle narrower than two bands: every position is some edge or corner.
    QTest::newRow("narrow rectangle, middle row")
        << QPoint(15, 100) << QSize(30, 250) << int(kZoneRight);
    QTest::newRow("tiny rectangle") << QPoint(5, 5) << QSize(10, 10) << int(kZoneTopLeft);
}

void RoiLogicTest::zones()
{
    QFETCH(QPoint, position);
    QFETCH(QSize, size);
    QFETCH(int, zone);
    QCOMPARE(classifyZone(position, size, 20), zone);
}

void RoiLogicTest::drags_data()
{
    QTest::addColumn<int>("zone");
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<QRect>("expected");
    const QPoint d(10, 7);
    QTest::newRow("none keeps the rectangle") << int(kZoneNone) << d << QRect(150, 125, 300, 250);
    QTest::newRow("right edge") << int(kZoneRight) << d << QRect(150, 125, 310, 250);
    QTest::newRow("left edge") << int(kZoneLeft) << d << QRect(160, 125, 290, 250);
    QTest::newRow("bottom edge") << int(kZoneBottom) << d << QRect(150, 125, 300, 257);
    QTest::newRow("top edge") << int(kZoneTop) << d << QRect(150, 132, 300, 243);
    QTest::newRow("top-left") << int(kZoneTopLeft) << d << QRect(160, 132, 290, 243);
    QTest::newRow("top-right") << int(kZoneTopRight) << d << QRect(150, 132, 310, 243);
    QTest::newRow("bottom-left") << int(kZoneBottomLeft) << d << QRect(160, 125, 290, 257);
    QTest::newRow("bottom-right grows by 10 x 10")
        << int(kZoneBottomRight) << QPoint(10, 10) << QRect(150, 125, 310, 260);
    QTest::newRow("interior moves, size kept")
        << int(kZoneInterior) << QPoint(-40, 33) << QRect(110, 158, 300, 250);
    QTest::newRow("no clamping to the preview")
        << int(kZoneInterior) << QPoint(-200, -200) << QRect(-50, -75, 300, 250);
}

void RoiLogicTest::drags()
{
    QFETCH(int, zone);
    QFETCH(QPoint, delta);
    QFETCH(QRect, expected);
    QCOMPARE(dragRectangle(QRect(150, 125, 300, 250), zone, delta), expected);
}

void RoiLogicTest::presetRectangles_data()
{
    QTest::addColumn<int>("preset");
    QTest::addColumn<QRect>("expected");
    using P = PresetPosition;
    QTest::newRow("left top") << int(P::LeftTop) << QRect(QPoint(0, 0), QPoint(299, 249));
    QTest::newRow("right top") << int(P::RightTop) << QRect(QPoint(300, 0), QPoint(599, 249));
    QTest::newRow("left bottom") << int(P::LeftBottom) << QRect(QPoint(0, 250), QPoint(299, 499));
    QTest::newRow("right bottom") << int(P::RightBottom)
                                  << QRect(QPoint(300, 250), QPoint(599, 499));
    QTest::newRow("max") << int(P::Max) << QRect(0, 0, 600, 500);
    QTest::newRow("center") << int(P::Center) << QRect(150, 125, 300, 250);
}

void RoiLogicTest::presetRectangles()
{
    QFETCH(int, preset);
    QFETCH(QRect, expected);
    QCOMPARE(presetRectangle(PresetPosition(preset), QSize(600, 500)), expected);
}

void RoiLogicTest::sensorMapping_data()
{
    QTest::addColumn<QRect>("sensorArea");
    QTest::addColumn<QRect>("previewRect");
    QTest::addColumn<QRect>("expected");
    const QRect full(0, 0, 1920, 1080);
    QTest::newRow("right bottom of 1920 x 1080")
        << full << QRect(300, 250, 300, 250) << QRect(960, 540, 960, 540);
    QTest::newRow("left top of 1920 x 1080")
        << full << QRect(0, 0, 300, 250) << QRect(0, 0, 960, 540);
    QTest::newRow("whole preview") << full << QRect(0, 0, 600, 500) << full;
    QTest::newRow("truncated toward zero")
        << full << QRect(1, 1, 313, 251) << QRect(3, 2, 1001, 542);
    QTest::newRow("negative offsets truncate toward zero")
        << full << QRect(-1, -1, 10, 10) << QRect(-3, -2, 32, 21);
    // The preview of a region applied earlier: what is drawn lies inside that region.
    QTest::newRow("inside a region at 960/540")
        << QRect(960, 540, 960, 540) << QRect(0, 0, 300, 250) << QRect(960, 540, 480, 270);
    QTest::newRow("odd sensor 2592 x 1944")
        << QRect(0, 0, 2592, 1944) << QRect(300, 250, 300, 250) << QRect(1296, 972, 1296, 972);
}

void RoiLogicTest::sensorMapping()
{
    QFETCH(QRect, sensorArea);
    QFETCH(QRect, previewRect);
    QFETCH(QRect, expected);
    const SensorView view{sensorArea, QSize(600, 500)};
    QVERIFY(view.isValid());
    QCOMPARE(view.toSensor(previewRect), expected);
}

void RoiLogicTest::sensorAreaFollowsTheDescriptor_data()
{
    QTest::addColumn<VexoResolution>("current");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<double>("scaleX");
    QTest::addColumn<double>("scaleY");
    QTest::newRow("full frame") << preset(0, "1920X1080", 0, 0, 1920, 1080, 1920, 1080)
                                << QSize(1920, 1080) << QRect(0, 0, 1920, 1080) << 3.2 << 2.16;
    // The binned frame is half size but shows the whole sensor.
    QTest::newRow("binned frame") << preset(3, "960X540 BIN2", 0, 0, 1920, 1080, 960, 540)
                                  << QSize(960, 540) << QRect(0, 0, 1920, 1080) << 3.2 << 2.16;
    QTest::newRow("centred region")
        << preset(1, "1280X720 ROI", 320, 180, 1280, 720, 1280, 720) << QSize(1280, 720)
        << QRect(320, 180, 1280, 720) << 1280.0 / 600 << 720.0 / 500;
    QTest::newRow("descriptor without region")
        << VexoResolution{} << QSize(640, 480) << QRect(0, 0, 640, 480) << 640.0 / 600
        << 480.0 / 500;
}

void RoiLogicTest::sensorAreaFollowsTheDescriptor()
{
    QFETCH(VexoResolution, current);
    QFETCH(QSize, frame);
    QFETCH(QRect, area);
    QFETCH(double, scaleX);
    QFETCH(double, scaleY);
    const SensorView view{sensorAreaOf(current, frame), QSize(600, 500)};
    QCOMPARE(view.sensorArea, area);
    QCOMPARE(view.scaleX(), scaleX);
    QCOMPARE(view.scaleY(), scaleY);
}

void RoiLogicTest::alignment_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("expected");
    QTest::newRow("width 1000 to 1024") << 1000 << 32 << 1024;
    QTest::newRow("height 541 to 542") << 541 << 2 << 542;
    QTest::newRow("aligned width kept") << 960 << 32 << 960;
    QTest::newRow("aligned height kept") << 540 << 2 << 540;
    QTest::newRow("one above a multiple") << 961 << 32 << 992;
    QTest::newRow("zero") << 0 << 32 << 0;
    QTest::newRow("negative rounds up toward zero") << -33 << 32 << -32;
    QTest::newRow("negative odd height") << -3 << 2 << -2;
    QTest::newRow("top of the range stays representable") << INT_MAX << 32 << INT_MAX - 31;
}

void RoiLogicTest::alignment()
{
    QFETCH(int, value);
    QFETCH(int, step);
    QFETCH(int, expected);
    QCOMPARE(alignUp(value, step), expected);
}

void RoiLogicTest::fullSensorTemplate_data()
{
    QTest::addColumn<QVector<VexoResolution>>("presets");
    QTest::addColumn<QString>("name");
    const VexoResolution full = preset(0, "1920X1080", 0, 0, 1920, 1080, 1920, 1080);
    const VexoResolution centred = preset(1, "1280X720 ROI", 320, 180, 1280, 720, 1280, 720);
    const VexoResolution binned = preset(2, "960X540 BIN2", 0, 0, 1920, 1080, 960, 540);
    QTest::newRow("binned preset listed last")
        << QVector<VexoResolution>{full, centred, binned} << QStringLiteral("1920X1080");
    QTest::newRow("full frame listed last")
        << QVector<VexoResolution>{binned, centred, full} << QStringLiteral("1920X1080");
    QTest::newRow("no full frame listed: first entry widened")
        << QVector<VexoResolution>{centred, binned} << QStringLiteral("1280X720 ROI");
}

void RoiLogicTest::fullSensorTemplate()
{
    QFETCH(QVector<VexoResolution>, presets);
    QFETCH(QString, name);
    const VexoResolution r =
        fullSensorDescriptor(presets.constData(), presets.size(), QSize(1920, 1080));
    QCOMPARE(QString::fromLatin1(r.name), name);
    QCOMPARE(r.offsetX, 0);
    QCOMPARE(r.offsetY, 0);
    QCOMPARE(r.regionWidth, 1920);
    QCOMPARE(r.regionHeight, 1080);
    QCOMPARE(r.outputWidth, 1920);
    QCOMPARE(r.outputHeight, 1080);
    QCOMPARE(r.binning, 1);
}

void RoiLogicTest::customDescriptor_data()
{
    QTest::addColumn<QRect>("drawn");
    QTest::addColumn<QSize>("sensor");
    QTest::addColumn<QRect>("sent");
    const QSize hd(1920, 1080);
    QTest::newRow("size aligned, offsets as drawn")
        << QRect(17, 3, 1000, 541) << hd << QRect(17, 3, 1024, 542);
    QTest::newRow("aligned already")
        << QRect(960, 540, 960, 540) << hd << QRect(960, 540, 960, 540);
    QTest::newRow("right half of a 2592 sensor: offset moves back by the excess")
        << QRect(1296, 972, 1296, 972) << QSize(2592, 1944) << QRect(1280, 972, 1312, 972);
    QTest::newRow("odd height at the bottom edge")
        << QRect(0, 901, 960, 179) << hd << QRect(0, 900, 960, 180);
    QTest::newRow("aligned width still fits: offset kept")
        << QRect(100, 0, 1001, 540) << hd << QRect(100, 0, 1024, 540);
    // Regions that do not lie on the sensor go as drawn; the camera refuses them.
    QTest::newRow("drawn past the right edge")
        << QRect(1600, 0, 960, 540) << hd << QRect(1600, 0, 960, 540);
    QTest::newRow("drawn left of the sensor")
        << QRect(-64, 0, 960, 540) << hd << QRect(-64, 0, 960, 540);
    QTest::newRow("empty") << QRect(320, 216, 0, 0) << hd << QRect(320, 216, 0, 0);
    // The aligned width never leaves the sensor: the whole sensor width is sent instead.
    QTest::newRow("whole width of a 650 sensor stays 650")
        << QRect(0, 0, 650, 480) << QSize(650, 480) << QRect(0, 0, 650, 480);
    QTest::newRow("whole width of a 2448 sensor stays 2448")
        << QRect(0, 0, 2448, 2048) << QSize(2448, 2048) << QRect(0, 0, 2448, 2048);
    QTest::newRow("width whose multiple of 32 passes a 2448 sensor")
        << QRect(10, 0, 2438, 1000) << QSize(2448, 2048) << QRect(0, 0, 2448, 1000);
    QTest::newRow("width whose multiple of 32 still fits a 2448 sensor")
        << QRect(0, 0, 2420, 1000) << QSize(2448, 2048) << QRect(0, 0, 2432, 1000);
}

void RoiLogicTest::customDescriptor()
{
    QFETCH(QRect, drawn);
    QFETCH(QSize, sensor);
    QFETCH(QRect, sent);
    const VexoResolution base = preset(0, "1920X1080", 0, 0, 1920, 1080, 1920, 1080);
    const VexoResolution r =
        customRegionDescriptor(base, drawn.x(), drawn.y(), drawn.width(), drawn.height(), sensor);
    QCOMPARE(QRect(r.offsetX, r.offsetY, r.regionWidth, r.regionHeight), sent);
    QCOMPARE(QSize(r.outputWidth, r.outputHeight), sent.size());
    QCOMPARE(r.index, int(VEXO_SDK_CUSTOM_RESOLUTION));
    QCOMPARE(r.binning, 1);
    QCOMPARE(QString::fromLatin1(r.name), QStringLiteral("1920X1080"));
    QCOMPARE(r.reserved80[0], 0x5A5A);
}

void RoiLogicTest::decimalText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("number") << "960" << 960;
    QTest::newRow("negative") << "-12" << -12;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("trailing letters") << "12px" << 0;
    QTest::newRow("beyond int") << "99999999999" << 0;
}

void RoiLogicTest::decimalText()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(parseDecimal(text), value);
}

QTEST_GUILESS_MAIN(RoiLogicTest)
#include "tst_roilogic.moc"
