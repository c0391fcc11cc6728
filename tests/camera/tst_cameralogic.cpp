// Rules of the camera window and the acquisition thread that need no widget.
#include <QtTest>

#include "AcquisitionLogic.h"
#include "CameraWindowLogic.h"
#include "PictureLogic.h"
#include "SettingsStore.h"
#include "ZoomLogic.h"

using namespace zoomlogic;

Q_DECLARE_METATYPE(windowlogic::CrosshairState)

class CameraLogicTest : public QObject {
    Q_OBJECT
private slots:
    void zoomSteps_data();
    void zoomSteps();
    void repeatedStepsReachTheLimitsExactly();
    void fitRatios_data();
    void fitRatios();
    void navigationGeometry_data();
    void navigationGeometry();
    void rectangleStaysInside_data();
    void rectangleStaysInside();
    void toolBar_data();
    void toolBar();
    void statusNumbers_data();
    void statusNumbers();
    void statusGroupsWrapWhole_data();
    void statusGroupsWrapWhole();
    void crosshairOverlay_data();
    void crosshairOverlay();
    void hotkeyText_data();
    void hotkeyText();
    void hotkeysMatchInOrder_data();
    void hotkeysMatchInOrder();
    void cameraPayload_data();
    void cameraPayload();
    void gridPayloadRoundTrip();
    void pictureNames_data();
    void pictureNames();
    void pictureTypeCodes_data();
    void pictureTypeCodes();
    void frameBuffer_data();
    void frameBuffer();
    void frameRates_data();
    void frameRates();
    void detachedDelays_data();
    void detachedDelays();
};

enum class Trigger { ButtonIn, ButtonOut, WheelUp, WheelDown, WheelStill };
Q_DECLARE_METATYPE(Trigger)

void CameraLogicTest::zoomSteps_data()
{
    QTest::addColumn<Trigger>("trigger");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<double>("expected");
    QTest::newRow("button in from 1") << Trigger::ButtonIn << 1.0 << 1.1;
    QTest::newRow("button in just under the top stops at 10") << Trigger::ButtonIn << 9.95 << 10.0;
    QTest::newRow("button in at 10 stays") << Trigger::ButtonIn << 10.0 << 10.0;
    QTest::newRow("button out from 1") << Trigger::ButtonOut << 1.0 << 0.9;
    QTest::newRow("button out from 0.25") << Trigger::ButtonOut << 0.25 << 0.15;
    QTest::newRow("button out from 0.2 gives 0.1") << Trigger::ButtonOut << 0.2 << 0.1;
    QTest::newRow("button out from 0.15 gives 0.1") << Trigger::ButtonOut << 0.15 << 0.1;
    QTest::newRow("button out below the button floor lifts to 0.1") << Trigger::ButtonOut << 0.05 << 0.1;
    QTest::newRow("wheel up from 1") << Trigger::WheelUp << 1.0 << 1.01;
    QTest::newRow("wheel up just under the top stops at 10") << Trigger::WheelUp << 9.995 << 10.0;
    QTest::newRow("wheel up at 10 stays") << Trigger::WheelUp << 10.0 << 10.0;
    QTest::newRow("wheel down from 1") << Trigger::WheelDown << 1.0 << 0.99;
    QTest::newRow("wheel down from 0.02 gives 0.01") << Trigger::WheelDown << 0.02 << 0.01;
    QTest::newRow("wheel down at 0.01 stays") << Trigger::WheelDown << 0.01 << 0.01;
    QTest::newRow("wheel without delta zooms out") << Trigger::WheelStill << 0.5 << 0.49;
}

void CameraLogicTest::zoomSteps()
{
    QFETCH(Trigger, trigger);
    QFETCH(double, zoom);
    QFETCH(double, expected);
    double result = 0;
    switch (trigger) {
    case Trigger::ButtonIn: result = zoomInStep(zoom); break;
    case Trigger::ButtonOut: result = zoomOutStep(zoom); break;
    case Trigger::WheelUp: result = wheelStep(zoom, 120); break;
    case Trigger::WheelDown: result = wheelStep(zoom, -120); break;
    case Trigger::WheelStill: result = wheelStep(zoom, 0); break;
    }
    QCOMPARE(result, expected);
}

void CameraLogicTest::repeatedStepsReachTheLimitsExactly()
{
    double zoom = 1.0;
    for (int i = 0; i < 200; ++i)
        zoom = zoomInStep(zoom);
    QCOMPARE(zoom, 10.0);
    for (int i = 0; i < 200; ++i)
        zoom = zoomOutStep(zoom);
    QCOMPARE(zoom, 0.1);
    for (int i = 0; i < 2000; ++i)
        zoom = wheelStep(zoom, -120);
    QCOMPARE(zoom, 0.01);
    for (int i = 0; i < 2000; ++i)
        zoom = wheelStep(zoom, 120);
    QCOMPARE(zoom, 10.0);
    // Ten wheel steps up from 1 are 1.1 on the nose, so the status line shows 121 %.
    zoom = 1.0;
    for (int i = 0; i < 10; ++i)
        zoom = wheelStep(zoom, 120);
    QCOMPARE(windowlogic::zoomPercentage(zoom), 121);
}

void CameraLogicTest::fitRatios_data()
{
    QTest::addColumn<QSizeF>("view");
    QTest::addColumn<QSizeF>("pixmap");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("horizontal");
    QTest::addColumn<double>("vertical");
    QTest::addColumn<double>("zoom");
    QTest::newRow("wide image in a 4:3 view fits the width")
        << QSizeF(640, 480) << QSizeF(1920, 1080) << true << 640.0 / 1920 << 480.0 / 1080 << 640.0 / 1920;
    QTest::newRow("tall image fits the height")
        << QSizeF(800, 400) << QSizeF(1000, 2000) << true << 0.8 << 0.2 << 0.2;
    QTest::newRow("small image is enlarged")
        << QSizeF(1280, 960) << QSizeF(640, 480) << true << 2.0 << 2.0 << 2.0;
    QTest::newRow("tiny image is enlarged no further than 10")
        << QSizeF(1920, 1080) << QSizeF(64, 64) << true << 30.0 << 1080.0 / 64 << 10.0;
    QTest::newRow("huge image in a tiny view is shrunk no further than 0.01")
        << QSizeF(10, 10) << QSizeF(8000, 8000) << true << 10.0 / 8000 << 10.0 / 8000 << 0.01;
    QTest::newRow("no picture yet") << QSizeF(640, 480) << QSizeF(0, 0) << false << 1.0 << 1.0 << 1.0;
    QTest::newRow("view not laid out") << QSizeF(0, 0) << QSizeF(640, 480) << false << 1.0 << 1.0 << 1.0;
}

void CameraLogicTest::fitRatios()
{
    QFETCH(QSizeF, view);
    QFETCH(QSizeF, pixmap);
    QFETCH(bool, valid);
    bool isValid = !valid;
    const FitRatios ratios = zoomlogic::fitRatios(view, pixmap, &isValid);
    QCOMPARE(isValid, valid);
    QFETCH(double, horizontal);
    QFETCH(double, vertical);
    QFETCH(double, zoom);
    QCOMPARE(ratios.horizontal, horizontal);
    QCOMPARE(ratios.vertical, vertical);
    QCOMPARE(ratios.zoom, zoom);
}

void CameraLogicTest::navigationGeometry_data()
{
    QTest::addColumn<QSize>("view");
    QTest::addColumn<QSizeF>("scene");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QPointF>("topLeft");
    QTest::addColumn<QSize>("navigation");
    QTest::addColumn<bool>("wholeImage");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("fitted image covers the whole navigation view")
        << QSize(640, 360) << QSizeF(1920, 1080) << 1.0 / 3 << QPointF(0, 0) << QSize(160, 90) << true
        << QRect(0, 0, 160, 90);
    QTest::newRow("zoom equal to both ratios still shows all")
        << QSize(960, 540) << QSizeF(1920, 1080) << 0.5 << QPointF(0, 0) << QSize(160, 90) << true
        << QRect(0, 0, 160, 90);
    QTest::newRow("1:1 at the top-left shows a third")
        << QSize(640, 360) << QSizeF(1920, 1080) << 1.0 << QPointF(0, 0) << QSize(160, 90) << false
        << QRect(0, 0, 53, 30);
    QTest::newRow("1:1 scrolled to the middle")
        << QSize(640, 360) << QSizeF(1920, 1080) << 1.0 << QPointF(640, 360) << QSize(160, 90) << false
        << QRect(53, 30, 53, 30);
    QTest::newRow("2x scrolled to the bottom-right corner")
        << QSize(640, 360) << QSizeF(1920, 1080) << 2.0 << QPointF(1600, 900) << QSize(160, 90) << false
        << QRect(133, 75, 26, 15);
    QTest::newRow("image wider than the view but lower: full height")
        << QSize(640, 480) << QSizeF(1280, 200) << 1.0 << QPointF(100, -140) << QSize(160, 120) << false
        << QRect(12, 0, 80, 120);
    QTest::newRow("no scene after a close") << QSize(640, 480) << QSizeF(0, 0) << 1.0 << QPointF(0, 0)
                                            << QSize(160, 120) << true << QRect(0, 0, 160, 120);
}

void CameraLogicTest::navigationGeometry()
{
    QFETCH(QSize, view);
    QFETCH(QSizeF, scene);
    QFETCH(double, zoom);
    QFETCH(QPointF, topLeft);
    QFETCH(QSize, navigation);
    QFETCH(bool, wholeImage);
    QFETCH(QRect, geometry);
    const NavigationGeometry result = zoomlogic::navigationGeometry(view, scene, zoom, topLeft, navigation);
    QCOMPARE(result.wholeImage, wholeImage);
    QCOMPARE(result.geometry, geometry);
    if (!wholeImage) {
        QCOMPARE(result.scaleX, navigation.width() / scene.width());
        QCOMPARE(result.scaleY, navigation.height() / scene.height());
    }
}

void CameraLogicTest::rectangleStaysInside_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("allowed");
    // Navigation view 160 wide, rectangle 40 wide.
    QTest::newRow("left edge") << 0 << true;
    QTest::newRow("left of the view") << -1 << false;
    QTest::newRow("last position inside") << 119 << true;
    QTest::newRow("touching the right edge") << 120 << false;
    QTest::newRow("beyond the right edge") << 150 << false;
}

void CameraLogicTest::rectangleStaysInside()
{
    QFETCH(int, position);
    QFETCH(bool, allowed);
    QCOMPARE(rectanglePositionAllowed(position, 160, 40), allowed);
    // A rectangle as large as the view cannot move at all.
    QVERIFY(!rectanglePositionAllowed(0, 160, 160));
}

Q_DECLARE_METATYPE(ToolBarChange)

void CameraLogicTest::toolBar_data()
{
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<bool>("cameraOpen");
    QTest::addColumn<ToolBarChange>("change");
    // View at (0, 30), 640 × 480: lower half starts at y = 30 + 240.
    QTest::newRow("outside the view hides") << QPoint(10, 5) << true << ToolBarChange::Hide;
    QTest::newRow("outside the view hides without camera") << QPoint(700, 100) << false << ToolBarChange::Hide;
    QTest::newRow("inside without camera keeps") << QPoint(300, 400) << false << ToolBarChange::Keep;
    QTest::newRow("upper half hides") << QPoint(300, 100) << true << ToolBarChange::Hide;
    QTest::newRow("exactly the middle hides") << QPoint(300, 270) << true << ToolBarChange::Hide;
    QTest::newRow("lower half shows") << QPoint(300, 271) << true << ToolBarChange::Show;
    QTest::newRow("left edge hides") << QPoint(0, 400) << true << ToolBarChange::Hide;
}

void CameraLogicTest::toolBar()
{
    QFETCH(QPoint, cursor);
    QFETCH(bool, cameraOpen);
    QFETCH(ToolBarChange, change);
    QCOMPARE(toolBarChange(QRect(0, 30, 640, 480), cursor, cameraOpen), change);
}

void CameraLogicTest::statusNumbers_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("text");
    QTest::newRow("cut, not rounded") << 29.97 << "29.9";
    QTest::newRow("whole number has no decimals") << 30.0 << "30";
    QTest::newRow("below a tenth is 0") << 0.05 << "0";
    QTest::newRow("high rate") << 1234.56 << "1234.5";
    QTest::newRow("not a number shows 0") << std::nan("") << "0";
}

void CameraLogicTest::crosshairOverlay_data()
{
    using windowlogic::CrosshairState;
    QTest::addColumn<QVector<CrosshairState>>("crosshairs");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QStringList>("lines");  // "h y" / "v x", then the colour
    const CrosshairState green{325, 240, 0x00FF00, true};
    QTest::newRow("1:1 needs none") << QVector<CrosshairState>{green} << 1.0 << QStringList();
    QTest::newRow("enlarged needs none") << QVector<CrosshairState>{green} << 2.5 << QStringList();
    QTest::newRow("scaled down: both lines through the pixel middles")
        << QVector<CrosshairState>{green} << 0.3
        << QStringList{"h 240.5 #00ff00", "v 325.5 #00ff00"};
    QTest::newRow("colour is red + green * 256 + blue * 65536")
        << QVector<CrosshairState>{{0, 479, 0x3020A0, true}} << 0.5
        << QStringList{"h 479.5 #a02030", "v 0.5 #a02030"};
    QTest::newRow("disabled ones are not drawn")
        << QVector<CrosshairState>{{10, 10, 0xFF, false}, green} << 0.3
        << QStringList{"h 240.5 #00ff00", "v 325.5 #00ff00"};
    QTest::newRow("a line outside the image is left out, the other stays")
        << QVector<CrosshairState>{{650, 100, 0xFF, true}, {20, 480, 0xFF, true}} << 0.3
        << QStringList{"h 100.5 #ff0000", "v 20.5 #ff0000"};
}

void CameraLogicTest::crosshairOverlay()
{
    QFETCH(QVector<windowlogic::CrosshairState>, crosshairs);
    QFETCH(double, scale);
    QFETCH(QStringList, lines);
    QStringList drawn;
    for (const windowlogic::OverlayLine& l :
         windowlogic::crosshairOverlay(crosshairs, QSize(650, 480), scale)) {
        const bool horizontal = l.line.y1() == l.line.y2();
        // Every line spans the whole image.
        QCOMPARE(horizontal ? l.line.dx() : l.line.dy(), horizontal ? 650.0 : 480.0);
        drawn << QStringLiteral("%1 %2 %3")
                     .arg(horizontal ? "h" : "v")
                     .arg(horizontal ? l.line.y1() : l.line.x1())
                     .arg(l.colour.name());
    }
    QCOMPARE(drawn, lines);
}

void CameraLogicTest::statusNumbers()
{
    QFETCH(double, rate);
    QFETCH(QString, text);
    QCOMPARE(windowlogic::rateText(rate), text);
    QCOMPARE(windowlogic::zoomPercentage(2.0), 400);
    QCOMPARE(windowlogic::zoomPercentage(1.2), 144);
    QCOMPARE(windowlogic::zoomPercentage(0.5), 25);
    QCOMPARE(windowlogic::zoomPercentage(0.01), 0);
}

void CameraLogicTest::statusGroupsWrapWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("wrapped");
    const QString line = QStringLiteral("ab 1 | cd 22 | e 3");
    QTest::newRow("fits") << line << 18 << line;
    QTest::newRow("one short") << line << 17 << QStringLiteral("ab 1 | cd 22\ne 3");
    QTest::newRow("two lines exactly") << line << 12 << QStringLiteral("ab 1 | cd 22\ne 3");
    QTest::newRow("one group per line") << line << 10 << QStringLiteral("ab 1\ncd 22\ne 3");
    // A group wider than the line breaks between its words, never before a number.
    QTest::newRow("narrower than a group") << line << 2 << QStringLiteral("ab 1\ncd 22\ne 3");
    QTest::newRow("group breaks at its names")
        << QStringLiteral("aa 1 bb 2 cc 3 | d 4") << 9 << QStringLiteral("aa 1 bb 2\ncc 3\nd 4");
    QTest::newRow("words of a wide group, then the next group")
        << QStringLiteral("aa 1 bb 2 cc 3 | d 4") << 11 << QStringLiteral("aa 1 bb 2\ncc 3 | d 4");
    QTest::newRow("names of several words")
        << QStringLiteral("x buffer underruns 7 (skipped while paused 9)") << 12
        << QStringLiteral("x buffer\nunderruns 7\n(skipped\nwhile\npaused 9)");
    QTest::newRow("no width") << line << 0 << QStringLiteral("ab 1\ncd 22\ne 3");
    QTest::newRow("wide group in the middle")
        << QStringLiteral("a | bbbbbbbb | c | d") << 5 << QStringLiteral("a\nbbbbbbbb\nc | d");
    QTest::newRow("single group") << QStringLiteral("abcdef") << 3 << QStringLiteral("abcdef");
    QTest::newRow("empty") << QString() << 10 << QString();
}

void CameraLogicTest::statusGroupsWrapWhole()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, wrapped);
    const auto characters = [](const QString& s) { return int(s.size()); };
    QCOMPARE(windowlogic::wrapGroups(text, QStringLiteral(" | "), width, characters), wrapped);
}

void CameraLogicTest::hotkeyText_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::newRow("control and a letter") << int(Qt::Key_P) << int(Qt::ControlModifier) << "Ctrl+P";
    QTest::newRow("three modifiers") << int(Qt::Key_F5)
                                     << int(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)
                                     << "Ctrl+Alt+Shift+F5";
    QTest::newRow("meta is not part of a combination")
        << int(Qt::Key_U) << int(Qt::ControlModifier | Qt::MetaModifier) << "Ctrl+U";
    QTest::newRow("keypad flag is dropped") << int(Qt::Key_5) << int(Qt::KeypadModifier) << "5";
}

void CameraLogicTest::hotkeyText()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QCOMPARE(windowlogic::hotkeyText(key, Qt::KeyboardModifiers(modifiers)), text);
    QVERIFY(windowlogic::isLoneModifier(Qt::Key_Shift));
    QVERIFY(windowlogic::isLoneModifier(Qt::Key_Control));
    QVERIFY(windowlogic::isLoneModifier(Qt::Key_Alt));
    QVERIFY(!windowlogic::isLoneModifier(Qt::Key_A));
}

Q_DECLARE_METATYPE(windowlogic::HotkeyAction)

void CameraLogicTest::hotkeysMatchInOrder_data()
{
    using windowlogic::HotkeyAction;
    QTest::addColumn<QString>("pressed");
    QTest::addColumn<QStringList>("settings");  // the eight keys in settings order
    QTest::addColumn<HotkeyAction>("action");
    const QStringList defaults{"Ctrl+P", "Ctrl+W", "Ctrl+E", "Ctrl+R", "Ctrl+T", "Ctrl+Y", "Ctrl+U", "Ctrl+I"};
    QTest::newRow("fit") << "Ctrl+P" << defaults << HotkeyAction::WindowSize;
    QTest::newRow("original size") << "Ctrl+W" << defaults << HotkeyAction::OriginalSize;
    QTest::newRow("enlarge") << "Ctrl+E" << defaults << HotkeyAction::Enlarge;
    QTest::newRow("narrow") << "Ctrl+R" << defaults << HotkeyAction::Narrow;
    QTest::newRow("recording") << "Ctrl+T" << defaults << HotkeyAction::Recording;
    QTest::newRow("picture") << "Ctrl+Y" << defaults << HotkeyAction::Photogrape;
    QTest::newRow("play and pause") << "Ctrl+U" << defaults << HotkeyAction::Onoff;
    QTest::newRow("full screen") << "Ctrl+I" << defaults << HotkeyAction::DisplaySwitch;
    QTest::newRow("unassigned") << "Ctrl+Q" << defaults << HotkeyAction::None;
    QTest::newRow("case matters") << "ctrl+p" << defaults << HotkeyAction::None;
    QStringList twice = defaults;
    twice[3] = "Ctrl+Y";  // narrow and picture share a combination
    QTest::newRow("shared combination: the earlier setting wins") << "Ctrl+Y" << twice << HotkeyAction::Narrow;
    QStringList empty = defaults;
    empty[0].clear();
    QTest::newRow("empty setting never matches") << "" << empty << HotkeyAction::None;
}

void CameraLogicTest::hotkeysMatchInOrder()
{
    QFETCH(QString, pressed);
    QFETCH(QStringList, settings);
    QFETCH(windowlogic::HotkeyAction, action);
    HotkeySettings hotkeys;
    hotkeys.windowSize = settings[0];
    hotkeys.originalSize = settings[1];
    hotkeys.enlarge = settings[2];
    hotkeys.narrow = settings[3];
    hotkeys.recording = settings[4];
    hotkeys.photogrape = settings[5];
    hotkeys.onoff = settings[6];
    hotkeys.displaySwitch = settings[7];
    QCOMPARE(windowlogic::matchHotkey(pressed, hotkeys), action);
}

void CameraLogicTest::cameraPayload_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("identifier");
    QTest::newRow("plain identifier") << QByteArray("VXG2301C0001") << "VXG2301C0001";
    QTest::newRow("cut at the first zero byte") << QByteArray("VXU0640C0001\0garbage", 20) << "VXU0640C0001";
    QTest::newRow("zero byte first") << QByteArray("\0abc", 4) << "";
    QTest::newRow("null data") << QByteArray() << "";
}

void CameraLogicTest::cameraPayload()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, identifier);
    QCOMPARE(windowlogic::decodeCameraPayload(payload), identifier);
}

void CameraLogicTest::gridPayloadRoundTrip()
{
    QCOMPARE(windowlogic::encodeGridValue(2), QByteArray("2"));
    QCOMPARE(windowlogic::decodeGridValue(windowlogic::encodeGridValue(-1)), -1);
    QCOMPARE(windowlogic::decodeGridValue("x"), 0);
}

void CameraLogicTest::pictureNames_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("withMilliseconds");
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<bool>("advances");
    QTest::addColumn<int>("nextIndex");
    QTest::newRow("date and time to the second") << 0 << 5 << false << "/pics/Image__20240305070809" << false << 0;
    QTest::newRow("chosen folder adds milliseconds") << 0 << 5 << true << "/pics/Image__20240305070809042" << false << 0;
    QTest::newRow("index 7 leaves 8") << 1 << 7 << false << "/pics/Image__7" << true << 8;
    QTest::newRow("index 0") << 1 << 0 << true << "/pics/Image__0" << true << 1;
    QTest::newRow("largest index starts again at 1")
        << 1 << 2147483647 << false << "/pics/Image__2147483647" << true << 1;
    QTest::newRow("unknown rule gives no name") << 2 << 7 << false << "" << false << 0;
}

void CameraLogicTest::pictureNames()
{
    QFETCH(int, rule);
    QFETCH(int, index);
    QFETCH(bool, withMilliseconds);
    QFETCH(QString, baseName);
    QFETCH(bool, advances);
    QFETCH(int, nextIndex);
    CaptureSettings capture;
    capture.nameRulePrefix = "Image_";
    capture.nameRuleFormat = rule;
    capture.nameRuleIndex = index;
    const QDateTime now(QDate(2024, 3, 5), QTime(7, 8, 9, 42));
    const picturelogic::PictureName name = picturelogic::pictureName("/pics", capture, now, withMilliseconds);
    QCOMPARE(name.baseName, baseName);
    QCOMPARE(name.advancesIndex, advances);
    if (advances)
        QCOMPARE(name.nextIndex, nextIndex);
}

void CameraLogicTest::pictureTypeCodes_data()
{
    QTest::addColumn<int>("pictureType");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("holds16Bits");
    QTest::newRow("BMP") << 0 << 2 << false;
    QTest::newRow("JPG") << 1 << 1 << false;
    QTest::newRow("PNG") << 2 << 8 << true;
    QTest::newRow("TIFF") << 3 << 16 << true;
    QTest::newRow("unknown") << 4 << 0 << false;
    QTest::newRow("negative") << -1 << 0 << false;
}

void CameraLogicTest::pictureTypeCodes()
{
    QFETCH(int, pictureType);
    QFETCH(int, code);
    QFETCH(bool, holds16Bits);
    QCOMPARE(picturelogic::pictureTypeCode(pictureType), code);
    CaptureSettings capture;
    capture.pictureType = pictureType;
    QVERIFY(!picturelogic::keepsBitDepth(capture));  // not asked for
    capture.keepBitDepth = 2;
    QCOMPARE(picturelogic::keepsBitDepth(capture), holds16Bits);
}

void CameraLogicTest::frameBuffer_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<quint32>("bytes");
    QTest::addColumn<int>("rowBytes");
    QTest::newRow("1080p") << 1920 << 1080 << quint32(1920 * 1080 * 4) << 5760;
    QTest::newRow("odd row length") << 650 << 480 << quint32(650 * 480 * 4) << 1950;
    QTest::newRow("largest sensor") << 8192 << 8192 << quint32(268435456u) << 24576;
    QTest::newRow("zero width") << 0 << 480 << quint32(0) << 0;
    QTest::newRow("negative height") << 640 << -1 << quint32(0) << 1920;
    QTest::newRow("beyond 32 bits") << 65536 << 65536 << quint32(0) << 196608;
}

void CameraLogicTest::frameBuffer()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(quint32, bytes);
    QFETCH(int, rowBytes);
    QCOMPARE(acquisitionlogic::frameBufferBytes(width, height), bytes);
    QCOMPARE(acquisitionlogic::frameRowBytes(width), rowBytes);
}

void CameraLogicTest::frameRates_data()
{
    QTest::addColumn<quint32>("now");
    QTest::addColumn<quint32>("atStart");
    QTest::addColumn<quint32>("shown");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<float>("capture");
    QTest::addColumn<float>("display");
    QTest::newRow("one second at 30") << 130u << 100u << 30u << qint64(1000) << 30.0f << 30.0f;
    QTest::newRow("dropped frames count for capture only") << 160u << 100u << 45u << qint64(1000) << 60.0f << 45.0f;
    QTest::newRow("long pause lowers both once") << 130u << 100u << 30u << qint64(10000) << 3.0f << 3.0f;
    QTest::newRow("camera counter wraps") << 10u << 4294967286u << 20u << qint64(1000) << 20.0f << 20.0f;
    QTest::newRow("camera stopped delivering") << 100u << 100u << 0u << qint64(1001) << 0.0f << 0.0f;
    QTest::newRow("no time elapsed") << 100u << 0u << 5u << qint64(0) << 0.0f << 0.0f;
}

void CameraLogicTest::frameRates()
{
    QFETCH(quint32, now);
    QFETCH(quint32, atStart);
    QFETCH(quint32, shown);
    QFETCH(qint64, elapsedMs);
    QFETCH(float, capture);
    QFETCH(float, display);
    const auto rates = acquisitionlogic::frameRates(now, atStart, shown, elapsedMs);
    QCOMPARE(rates.capture, capture);
    QCOMPARE(rates.display, display);
}

void CameraLogicTest::detachedDelays_data()
{
    QTest::addColumn<int>("previous");
    QTest::addColumn<int>("next");
    QTest::newRow("first refusal") << 0 << acquisitionlogic::kFirstDetachedDelayMs;
    QTest::newRow("doubles") << 20 << 40;
    QTest::newRow("doubles again") << 160 << 320;
    QTest::newRow("capped just below the limit") << 320 << acquisitionlogic::kMaxDetachedDelayMs;
    QTest::newRow("stays at the limit")
        << acquisitionlogic::kMaxDetachedDelayMs << acquisitionlogic::kMaxDetachedDelayMs;
    QTest::newRow("negative starts again") << -5 << acquisitionlogic::kFirstDetachedDelayMs;
}

void CameraLogicTest::detachedDelays()
{
    QFETCH(int, previous);
    QFETCH(int, next);
    QCOMPARE(acquisitionlogic::nextDetachedDelayMs(previous), next);
}

QTEST_GUILESS_MAIN(CameraLogicTest)
#include "tst_cameralogic.moc"
