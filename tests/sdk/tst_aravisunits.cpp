// Rules of the Aravis backend that need no camera: pixel conversion, identity mapping,
// firmware texts and the backend list; and the read-back of what a camera holds, against
// Aravis' in-process fake camera.
// The library's headers come before Qt's, whose "slots" keyword would clash with them.
#include "BackendSelection.h"
#include "aravis/AravisDevice.h"
#include "aravis/AravisIdentity.h"
#include "aravis/AravisPixels.h"
#include "aravis/StreamSetup.h"
#include "VexoCameraApi.h"

#include <arv.h>

#include <string>
#include <vector>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vexo::sdk;
using namespace vexo::sdk::aravis;
using Bytes = std::vector<uint8_t>;

Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(std::string)

namespace {

constexpr uint32_t kMono8 = 0x01080001, kMono10 = 0x01100003, kMono12 = 0x01100005,
                   kMono16 = 0x01100007;
constexpr uint32_t kBayerGR8 = 0x01080008, kBayerRG8 = 0x01080009, kBayerGB8 = 0x0108000A,
                   kBayerBG8 = 0x0108000B;
constexpr uint32_t kBayerBG12 = 0x01100013, kBayerGR16 = 0x0110002E, kBayerRG10 = 0x0110000D,
                   kBayerGB10 = 0x0110000E, kBayerRG12 = 0x01100011, kBayerRG16 = 0x0110002F;
constexpr uint32_t kRGB8 = 0x02180014, kBGR8 = 0x02180015;
constexpr uint32_t kMono12Packed = 0x010C0006;

Bytes littleEndian16(std::initializer_list<unsigned> values)
{
    Bytes bytes;
    for (unsigned v : values) {
        bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    return bytes;
}

}  // namespace

class AravisUnitsTest : public QObject {
    Q_OBJECT
private slots:
    void convertsPixels_data();
    void convertsPixels();
    void mapsCameraFormatsToLibraryFormats_data();
    void mapsCameraFormatsToLibraryFormats();
    void refusesBadFrames_data();
    void refusesBadFrames();
    void mapsIdentifiers_data();
    void mapsIdentifiers();
    void readsFirmwareTexts_data();
    void readsFirmwareTexts();
    void parsesMacAddresses_data();
    void parsesMacAddresses();
    void buildsModelsFromDiscovery();
    void parsesBackendList_data();
    void parsesBackendList();
    void mapsFrameSpeed_data();
    void mapsFrameSpeed();
    void readsBackWhatTheCameraHolds();
    void keptFramesOutliveTheStream_data();
    void keptFramesOutliveTheStream();
    void adviceOnReceivingTheStream_data();
    void adviceOnReceivingTheStream();
    void readsSysctlNumbers();
};

void AravisUnitsTest::convertsPixels_data()
{
    QTest::addColumn<uint32_t>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<Bytes>("input");
    QTest::addColumn<bool>("bayer");
    QTest::addColumn<Bytes>("expected");
    QTest::addColumn<bool>("inPlace");  // shown from the camera's buffer as it is

    // Bayer rows below: each sample's tens digit names its colour (1 red, 2 and 3 green,
    // 4 blue), so an RGGB result reads 1x 2x / 3x 4x in every 2x2 cell.
    QTest::newRow("Mono8 copied") << kMono8 << 4 << 2 << Bytes{1, 2, 3, 4, 5, 6, 7, 8} << false
                                  << Bytes{1, 2, 3, 4, 5, 6, 7, 8} << true;
    QTest::newRow("BayerRG8 kept") << kBayerRG8 << 4 << 2 << Bytes{10, 20, 11, 21, 30, 40, 31, 41}
                                   << true << Bytes{10, 20, 11, 21, 30, 40, 31, 41} << true;
    QTest::newRow("BayerGR8 moved one column")
        << kBayerGR8 << 4 << 2 << Bytes{20, 10, 21, 11, 40, 30, 41, 31} << true
        << Bytes{10, 21, 11, 21, 30, 41, 31, 41} << false;
    QTest::newRow("BayerGB8 moved one row")
        << kBayerGB8 << 4 << 2 << Bytes{30, 40, 31, 41, 10, 20, 11, 21} << true
        << Bytes{10, 20, 11, 21, 30, 40, 31, 41} << false;
    QTest::newRow("BayerBG8 moved a column and a row")
        << kBayerBG8 << 4 << 2 << Bytes{40, 30, 41, 31, 20, 10, 21, 11} << true
        << Bytes{10, 21, 11, 21, 30, 41, 31, 41} << false;
    QTest::newRow("odd width repeats the same colour")
        << kBayerGR8 << 3 << 2 << Bytes{20, 10, 21, 40, 30, 41} << true
        << Bytes{10, 21, 10, 30, 41, 30} << false;
    // Deeper samples keep their depth, in 16-bit little-endian words.
    QTest::newRow("Mono10 keeps its ten bits")
        << kMono10 << 3 << 1 << littleEndian16({0x3FF, 0x200, 0x004}) << false
        << littleEndian16({0x3FF, 0x200, 0x004}) << true;
    QTest::newRow("Mono12 keeps its twelve bits")
        << kMono12 << 3 << 1 << littleEndian16({0xFFF, 0x800, 0x013}) << false
        << littleEndian16({0xFFF, 0x800, 0x013}) << true;
    QTest::newRow("Mono12 out-of-range samples saturate")
        << kMono12 << 2 << 1 << littleEndian16({0xFFFF, 0x1000}) << false
        << littleEndian16({0xFFF, 0xFFF}) << false;
    QTest::newRow("Mono16 kept whole") << kMono16 << 2 << 1 << littleEndian16({0xFF00, 0x1234})
                                       << false << littleEndian16({0xFF00, 0x1234}) << true;
    QTest::newRow("BayerBG12 moved, deep")
        << kBayerBG12 << 2 << 2 << littleEndian16({0x403, 0x302, 0x201, 0x100}) << true
        << littleEndian16({0x100, 0x201, 0x302, 0x403}) << false;
    QTest::newRow("BayerGR16 moved one column, deep")
        << kBayerGR16 << 4 << 1 << littleEndian16({0x2000, 0x1001, 0x2002, 0x1003}) << true
        << littleEndian16({0x1001, 0x2002, 0x1003, 0x2002}) << false;
    QTest::newRow("RGB8 sampled into RGGB")
        << kRGB8 << 2 << 2 << Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12} << true
        << Bytes{1, 5, 8, 12} << false;
    QTest::newRow("BGR8 sampled into RGGB")
        << kBGR8 << 2 << 2 << Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12} << true
        << Bytes{3, 5, 8, 10} << false;
    QTest::newRow("Mono10 one word above its range")
        << kMono10 << 2 << 1 << littleEndian16({0x3FF, 0x400}) << false
        << littleEndian16({0x3FF, 0x3FF}) << false;
    QTest::newRow("BayerRG12 kept, deep")
        << kBayerRG12 << 2 << 1 << littleEndian16({0xFFF, 0x001}) << true
        << littleEndian16({0xFFF, 0x001}) << true;
    QTest::newRow("BayerRG16 kept whole")
        << kBayerRG16 << 2 << 1 << littleEndian16({0xFFFF, 0x8001}) << true
        << littleEndian16({0xFFFF, 0x8001}) << true;
    QTest::newRow("Mono8 in a longer buffer") << kMono8 << 2 << 2 << Bytes{1, 2, 3, 4, 5, 6}
                                              << false << Bytes{1, 2, 3, 4} << true;
}

void AravisUnitsTest::convertsPixels()
{
    QFETCH(uint32_t, format);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(Bytes, input);
    QFETCH(bool, bayer);
    QFETCH(Bytes, expected);
    QFETCH(bool, inPlace);

    vexo::imaging::RawFrame frame;
    QVERIFY(convertPixels(format, width, height, input.data(), input.size(), frame));
    QVERIFY(!frame.borrowed());
    QCOMPARE(frame.width, width);
    QCOMPARE(frame.height, height);
    QCOMPARE(frame.layout == vexo::imaging::RawLayout::BayerRG8, bayer);
    PixelLayout layout;
    QVERIFY(describePixelFormat(format, layout));
    QCOMPARE(frame.bitDepth, layout.threeColours ? 8 : layout.bitsPerSample);
    QCOMPARE(frame.pixels, expected);
    // A buffer the ring reuses gets its depth set again: a deep frame after an 8-bit one
    // (and the other way round) is never read with the depth of the one before.
    vexo::imaging::RawFrame reused;
    reused.bitDepth = frame.bitDepth > 8 ? 8 : 16;
    QVERIFY(convertPixels(format, width, height, input.data(), input.size(), reused));
    QCOMPARE(reused.bitDepth, frame.bitDepth);
    QCOMPARE(reused.pixels, expected);

    // A buffer is shown as it is only where converting it would change nothing, and then
    // as the converted frame would be.
    vexo::imaging::RawFrame shown;
    const size_t bytes = describeInPlace(format, width, height, input.data(), input.size(), shown);
    QCOMPARE(bytes != 0, inPlace);
    if (inPlace) {
        QCOMPARE(Bytes(input.begin(), input.begin() + std::ptrdiff_t(bytes)), expected);
        QCOMPARE(shown.width, width);
        QCOMPARE(shown.height, height);
        QCOMPARE(shown.layout, frame.layout);
        QCOMPARE(shown.bitDepth, frame.bitDepth);
    }

    // A frame that showed a camera buffer and is converted into next shows its own
    // pixels, and lets the buffer go.
    auto keeper = std::make_shared<int>(0);
    reused.borrow(input.data(), input.size(), keeper);
    QVERIFY(convertPixels(format, width, height, input.data(), input.size(), reused));
    QVERIFY(!reused.borrowed());
    QCOMPARE(reused.pixelData(), reused.pixels.data());
    QCOMPARE(Bytes(reused.pixelData(), reused.pixelData() + reused.pixelBytes()), expected);
    QCOMPARE(keeper.use_count(), 1L);
}

void AravisUnitsTest::mapsCameraFormatsToLibraryFormats_data()
{
    QTest::addColumn<uint32_t>("camera");
    QTest::addColumn<uint32_t>("library");
    QTest::newRow("Mono8") << kMono8 << kMono8;
    QTest::newRow("Mono10") << kMono10 << kMono10;
    QTest::newRow("Mono12") << kMono12 << kMono12;
    QTest::newRow("Mono16") << kMono16 << kMono16;
    QTest::newRow("BayerGR8") << kBayerGR8 << kBayerRG8;
    QTest::newRow("BayerGB10") << kBayerGB10 << kBayerRG10;
    QTest::newRow("BayerBG12") << kBayerBG12 << kBayerRG12;
    QTest::newRow("BayerGR16") << kBayerGR16 << kBayerRG16;
    QTest::newRow("RGB8") << kRGB8 << kBayerRG8;
    QTest::newRow("packed Mono12 is unknown") << kMono12Packed << uint32_t(0);
}

void AravisUnitsTest::mapsCameraFormatsToLibraryFormats()
{
    QFETCH(uint32_t, camera);
    QFETCH(uint32_t, library);
    QCOMPARE(libraryFormatOf(camera), library);
}

void AravisUnitsTest::refusesBadFrames_data()
{
    QTest::addColumn<uint32_t>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bytes");

    QTest::newRow("buffer one byte short") << kMono8 << 4 << 4 << 15;
    QTest::newRow("16-bit frame in an 8-bit sized buffer") << kMono12 << 4 << 4 << 16;
    QTest::newRow("packed format") << kMono12Packed << 4 << 4 << 64;
    QTest::newRow("zero width") << kMono8 << 0 << 4 << 64;
    QTest::newRow("negative height") << kMono8 << 4 << -4 << 64;
    QTest::newRow("absurd size") << kMono8 << 1 << 1000000 << 1000000;
}

void AravisUnitsTest::refusesBadFrames()
{
    QFETCH(uint32_t, format);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bytes);

    const Bytes input(static_cast<size_t>(bytes), 7);
    vexo::imaging::RawFrame frame;
    frame.width = 9;
    frame.pixels = {1, 2, 3};
    QVERIFY(!convertPixels(format, width, height, input.data(), input.size(), frame));
    QCOMPARE(describeInPlace(format, width, height, input.data(), input.size(), frame), size_t(0));
    QCOMPARE(frame.width, 9);
    QCOMPARE(frame.pixels, Bytes({1, 2, 3}));
}

void AravisUnitsTest::mapsIdentifiers_data()
{
    QTest::addColumn<std::string>("serial");
    QTest::addColumn<std::string>("identifier");

    QTest::newRow("plain serial kept") << std::string("ABC-123_x.9") << std::string("ABC-123_x.9");
    QTest::newRow("blanks and slashes mapped")
        << std::string("SN 12/34") << std::string("SN_12_34");
    QTest::newRow("trailing padding dropped") << std::string("A1  ") << std::string("A1");
    QTest::newRow("non-ASCII bytes mapped") << std::string(
                                                   "\xC3\x9C"
                                                   "1")
                                            << std::string("__1");
    QTest::newRow("control characters dropped") << std::string("A\tB\n") << std::string("AB");
    QTest::newRow("long serial cut to 35") << std::string(40, 'K') << std::string(35, 'K');
    QTest::newRow("nothing usable") << std::string("\x01\x02") << std::string();
}

void AravisUnitsTest::mapsIdentifiers()
{
    QFETCH(std::string, serial);
    QFETCH(std::string, identifier);
    const std::string mapped = identifierFromSerial(serial);
    QCOMPARE(mapped, identifier);
    if (!mapped.empty())
        QVERIFY(isValidIdentifier(mapped));
}

void AravisUnitsTest::readsFirmwareTexts_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<int>("word");

    QTest::newRow("three parts") << std::string("1.2.3") << 0x1230;
    QTest::newRow("four parts with v") << std::string("v2.0.1.4") << 0x2014;
    QTest::newRow("words around numbers") << std::string("Version 3.1 build 7") << 0x3170;
    QTest::newRow("parts above 15 saturate") << std::string("20.1") << 0xF100;
    QTest::newRow("huge number does not overflow")
        << std::string("99999999999999999999.1") << 0xF100;
    QTest::newRow("more than four parts") << std::string("1.2.3.4.5") << 0x1234;
    QTest::newRow("no number") << std::string("beta") << 0;
    QTest::newRow("empty") << std::string() << 0;
}

void AravisUnitsTest::readsFirmwareTexts()
{
    QFETCH(std::string, text);
    QFETCH(int, word);
    QCOMPARE(static_cast<int>(firmwareWordFromText(text)), word);
}

void AravisUnitsTest::parsesMacAddresses_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<bool>("valid");

    QTest::newRow("colons") << std::string("00:0a:1b:2c:3d:4e") << true;
    QTest::newRow("dashes, upper case") << std::string("00-0A-1B-2C-3D-4E") << true;
    QTest::newRow("short groups") << std::string("0:a:1b:2c:3d:4e") << false;
    QTest::newRow("not hexadecimal") << std::string("zz:0a:1b:2c:3d:4e") << false;
    QTest::newRow("wrong separator") << std::string("00.0a.1b.2c.3d.4e") << false;
    QTest::newRow("empty") << std::string() << false;
}

void AravisUnitsTest::parsesMacAddresses()
{
    QFETCH(std::string, text);
    QFETCH(bool, valid);
    uint8_t mac[6] = {9, 9, 9, 9, 9, 9};
    QCOMPARE(parseMacAddress(text, mac), valid);
    if (valid) {
        const uint8_t expected[6] = {0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E};
        QVERIFY(std::equal(mac, mac + 6, expected));
    } else {
        QCOMPARE(mac[0], uint8_t(9));  // untouched
    }
}

void AravisUnitsTest::buildsModelsFromDiscovery()
{
    std::vector<DiscoveredCamera> found(4);
    found[0] = {"Maker-A-1",        "Maker", "Cam A", "SN 1", "GigEVision", "192.168.7.20",
                "00:11:22:33:44:55"};
    found[1] = {"Maker-A-2", "Maker", "Cam A", "SN/1", "USB3Vision", "", ""};
    found[2] = {"Fake_1", "Aravis", "Fake", "", "Fake", "0.0.0.0", "Fake_1"};
    found[3] = {"\x01", "X", "Y", "", "USB3Vision", "", ""};
    const std::vector<CameraModel> models = modelsFromDiscovery(found);

    QCOMPARE(models.size(), size_t(4));
    QVERIFY(models[3].identifier.empty());  // nothing to name it by
    QCOMPARE(models[0].identifier, std::string("SN_1"));
    QCOMPARE(models[1].identifier, std::string("SN_1-2"));  // two serials map onto one
    QCOMPARE(models[2].identifier, std::string("Fake_1"));  // no serial: the device id

    QCOMPARE(models[0].interfaceText, std::string("GigE"));
    QVERIFY(models[0].isGigE());
    QCOMPARE(models[0].ipAddress, std::string("192.168.7.20"));
    QCOMPARE(models[0].macAddress[5], uint8_t(0x55));
    QCOMPARE(models[1].interfaceText, std::string("USB3.0"));
    QVERIFY(!models[1].isGigE());
    QVERIFY(models[1].ipAddress.empty());
    QCOMPARE(models[2].interfaceText, std::string("USB3.0"));

    QCOMPARE(models[0].productSeries, std::string("Maker"));
    QCOMPARE(models[0].productName, std::string("Cam A"));
    QCOMPARE(models[0].nickname, std::string("Cam A"));
}

void AravisUnitsTest::parsesBackendList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("kinds");
    QTest::addColumn<bool>("complaint");

    const int sim = static_cast<int>(BackendKind::Simulated);
    const int aravis = static_cast<int>(BackendKind::Aravis);
    const int fake = static_cast<int>(BackendKind::AravisFake);
    QTest::newRow("unset means simulated") << QString() << QList<int>{sim} << false;
    QTest::newRow("blanks only") << QString(" , ") << QList<int>{sim} << false;
    QTest::newRow("fake alone") << QString("aravis-fake") << QList<int>{fake} << false;
    QTest::newRow("order kept, blanks ignored")
        << QString(" simulated , aravis") << QList<int>{sim, aravis} << false;
    QTest::newRow("repeats dropped")
        << QString("aravis,aravis-fake,aravis") << QList<int>{aravis, fake} << false;
    QTest::newRow("unknown name reported") << QString("aravis,usb2") << QList<int>{aravis} << true;
    QTest::newRow("nothing usable gives simulated")
        << QString("Simulated") << QList<int>{sim} << true;
}

void AravisUnitsTest::parsesBackendList()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, kinds);
    QFETCH(bool, complaint);
    std::string error;
    const std::vector<BackendKind> parsed = parseBackendList(text.toStdString(), error);
    QList<int> got;
    for (BackendKind k : parsed)
        got << static_cast<int>(k);
    QCOMPARE(got, kinds);
    QCOMPARE(!error.empty(), complaint);
}

void AravisUnitsTest::mapsFrameSpeed_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<double>("setUpRate");
    QTest::addColumn<double>("maxRate");
    QTest::addColumn<double>("rate");

    // Medium, the library's default, must leave a camera at the rate it was set up with.
    QTest::newRow("medium keeps the set-up rate") << 1 << 30.0 << 1000.0 << 30.0;
    QTest::newRow("low halves it") << 0 << 30.0 << 1000.0 << 15.0;
    QTest::newRow("high is the maximum") << 2 << 30.0 << 1000.0 << 1000.0;
    QTest::newRow("unknown set-up rate uses the maximum") << 1 << 0.0 << 120.0 << 120.0;
    QTest::newRow("speed out of range counts as medium") << 7 << 25.0 << 100.0 << 25.0;
}

void AravisUnitsTest::mapsFrameSpeed()
{
    QFETCH(int, speed);
    QFETCH(double, setUpRate);
    QFETCH(double, maxRate);
    QFETCH(double, rate);
    QCOMPARE(frameRateForSpeed(speed, setUpRate, maxRate), rate);
}

// What a camera holds after loading one of its own user sets (changed here directly, as a
// set would) replaces the library's values for the features it has; the rest stays.
namespace {

void onlyTheFakeInterface()
{
    // Aravis enables GigE Vision and USB3 Vision by default; their discovery broadcasts on
    // every network, so only the in-process fake interface may be on here.
    arv_disable_interface("GigEVision");
    arv_disable_interface("USB3Vision");
    arv_enable_interface("Fake");
    arv_update_device_list();
}

}  // namespace

void AravisUnitsTest::readsBackWhatTheCameraHolds()
{
    onlyTheFakeInterface();
    std::string error;
    std::shared_ptr<AravisCamera> camera = AravisCamera::open("Fake_1", error);
    QVERIFY2(camera, error.c_str());
    CameraModel identity = modelsFromDiscovery(
        {{"Fake_1", "Aravis", "Fake", "", "Fake", "0.0.0.0", "Fake_1"}}).front();
    const std::shared_ptr<const CameraModel> model = describeCamera(*camera, identity, error);
    QVERIFY2(model, error.c_str());
    AravisDevice device(camera, model, [] { return true; });

    QCOMPARE(camera->setExposureUs(12500), VEXO_SDK_OK);
    QCOMPARE(camera->setRegion(64, 32, 320, 240, 1), VEXO_SDK_OK);
    QCOMPARE(camera->setPixelFormat(kMono8), VEXO_SDK_OK);
    QCOMPARE(camera->setTrigger(1, {}, 0, 0), VEXO_SDK_OK);
    CameraSettings held = factorySettings(*model);
    held.gamma = 140;  // the library's own: untouched
    held.inputs.assign(std::max<size_t>(1, held.inputs.size()), InputLineSetting{1, 1, 10});
    device.readHeld(held);
    QCOMPARE(held.exposureUs, 12500.0);
    QCOMPARE(held.triggerMode, 1);
    QCOMPARE(held.imageFormat, uint32_t(VEXO_SDK_PIXEL_MONO8));
    QCOMPARE(held.gamma, 140);
    const ResolutionPreset& region = currentRegion(*model, held);
    QCOMPARE(held.resolutionIndex, 0xFF);  // no preset is this region
    QCOMPARE(region.offsetX, 64);
    QCOMPARE(region.offsetY, 32);
    QCOMPARE(region.outputWidth, 320);
    QCOMPARE(region.outputHeight, 240);

    // A preset region is found as that preset; hardware trigger names its line.
    const ResolutionPreset& full = model->resolutions.front();
    QCOMPARE(camera->setRegion(full.offsetX, full.offsetY, full.regionWidth, full.regionHeight, 1),
             VEXO_SDK_OK);
    QCOMPARE(camera->setPixelFormat(kBayerRG8), VEXO_SDK_OK);
    QVERIFY(!camera->inputLineNames().empty());
    QCOMPARE(camera->setTrigger(2, camera->inputLineNames().front(), 0, 0), VEXO_SDK_OK);
    device.readHeld(held);
    QCOMPARE(held.resolutionIndex, 0);
    QCOMPARE(held.imageFormat, uint32_t(VEXO_SDK_PIXEL_BAYER_RG8));
    QCOMPARE(held.triggerMode, 2);
    QCOMPARE(held.inputs.front().mode, 0);
    QCOMPARE(held.inputs.front().edge, 0);
}

void AravisUnitsTest::keptFramesOutliveTheStream_data()
{
    QTest::addColumn<uint32_t>("format");
    QTest::addColumn<bool>("lent");  // the frame shows the stream's buffer itself
    QTest::addColumn<int>("bytesPerPixel");

    QTest::newRow("Mono8, lent") << kMono8 << true << 1;
    QTest::newRow("BayerRG8, lent") << kBayerRG8 << true << 1;
    QTest::newRow("Mono16, lent") << kMono16 << true << 2;
    QTest::newRow("BayerGR8, converted") << kBayerGR8 << false << 1;
    QTest::newRow("RGB8, converted") << kRGB8 << false << 1;
}

void AravisUnitsTest::keptFramesOutliveTheStream()
{
    QFETCH(uint32_t, format);
    QFETCH(bool, lent);
    QFETCH(int, bytesPerPixel);
    onlyTheFakeInterface();
    std::string error;
    std::unique_ptr<AravisCamera> camera = AravisCamera::open("Fake_1", error);
    QVERIFY2(camera, error.c_str());
    QCOMPARE(camera->setRegion(0, 0, 128, 64, 1), VEXO_SDK_OK);
    QCOMPARE(camera->setPixelFormat(format), VEXO_SDK_OK);
    QCOMPARE(camera->startStream(), VEXO_SDK_OK);
    FrameMeta meta;
    vexo::imaging::RawFrame kept;
    QCOMPARE(camera->nextFrame(kept, meta, 30000), VEXO_SDK_OK);
    QCOMPARE(meta.pixelFormat, format);
    QCOMPARE(kept.borrowed(), lent);
    if (!lent)
        QCOMPARE(kept.pixelData(), kept.pixels.data());
    QCOMPARE(kept.pixelBytes(), size_t(128 * 64 * bytesPerPixel));
    const Bytes copy(kept.pixelData(), kept.pixelData() + kept.pixelBytes());

    // The stream goes round all its buffers many times while the frame is kept, then
    // stops, and the camera closes.
    vexo::imaging::RawFrame next;
    for (int i = 0; i < 40; ++i)
        QCOMPARE(camera->nextFrame(next, meta, 30000), VEXO_SDK_OK);
    QVERIFY(next.frameNumber > kept.frameNumber);
    QVERIFY(std::equal(copy.begin(), copy.end(), kept.pixelData()));
    QCOMPARE(camera->stopStream(), VEXO_SDK_OK);
    QVERIFY(std::equal(copy.begin(), copy.end(), kept.pixelData()));
    camera.reset();
    QVERIFY(std::equal(copy.begin(), copy.end(), kept.pixelData()));
    // A copy of the frame keeps the buffer too; the last one to go frees it.
    vexo::imaging::RawFrame second = kept;
    kept = vexo::imaging::RawFrame();
    QVERIFY(std::equal(copy.begin(), copy.end(), second.pixelData()));
}

void AravisUnitsTest::adviceOnReceivingTheStream_data()
{
    QTest::addColumn<bool>("gigE");
    QTest::addColumn<bool>("packetSocket");
    QTest::addColumn<qulonglong>("limit");
    QTest::addColumn<qulonglong>("frameBytes");
    QTest::addColumn<uint>("flags");
    const qulonglong debianDefault = 212992, frame1080 = 1920 * 1080;
    QTest::newRow("USB camera") << false << false << debianDefault << frame1080 << 0u;
    QTest::newRow("packet socket, small buffer") << true << true << debianDefault << frame1080 << 0u;
    QTest::newRow("UDP, small buffer")
        << true << false << debianDefault << frame1080
        << uint(VEXO_SDK_STREAM_UDP_SOCKET | VEXO_SDK_STREAM_SMALL_SOCKET_BUFFER);
    QTest::newRow("UDP, raised buffer")
        << true << false << qulonglong(33554432) << frame1080 << uint(VEXO_SDK_STREAM_UDP_SOCKET);
    QTest::newRow("UDP, buffer exactly one frame")
        << true << false << frame1080 << frame1080 << uint(VEXO_SDK_STREAM_UDP_SOCKET);
    QTest::newRow("UDP, limit unreadable")
        << true << false << qulonglong(0) << frame1080 << uint(VEXO_SDK_STREAM_UDP_SOCKET);
    QTest::newRow("UDP, before the first stream")
        << true << false << debianDefault << qulonglong(0) << uint(VEXO_SDK_STREAM_UDP_SOCKET);
}

void AravisUnitsTest::adviceOnReceivingTheStream()
{
    QFETCH(bool, gigE);
    QFETCH(bool, packetSocket);
    QFETCH(qulonglong, limit);
    QFETCH(qulonglong, frameBytes);
    QFETCH(uint, flags);
    const StreamAdvice advice = adviceFor(gigE, StreamSetup{packetSocket, limit}, frameBytes);
    QCOMPARE(uint(advice.flags), flags);
    if (gigE) {
        QCOMPARE(qulonglong(advice.socketBufferLimit), limit);
        QCOMPARE(qulonglong(advice.frameBytes), frameBytes);
    }
}

void AravisUnitsTest::readsSysctlNumbers()
{
    QTemporaryDir dir;
    const auto valueOf = [&](const QByteArray& text) {
        QFile file(dir.filePath(QStringLiteral("value")));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text);
        file.close();
        return readSysctlNumber(file.fileName().toStdString());
    };
    QCOMPARE(valueOf("212992\n"), uint64_t(212992));
    QCOMPARE(valueOf("33554432"), uint64_t(33554432));
    QCOMPARE(valueOf(""), uint64_t(0));
    QCOMPARE(valueOf("-5\n"), uint64_t(0));
    QCOMPARE(valueOf("12abc\n"), uint64_t(0));
    QCOMPARE(valueOf("99999999999999999999999\n"), uint64_t(0));  // too long for 64 bits
    QCOMPARE(readSysctlNumber(dir.filePath(QStringLiteral("missing")).toStdString()), uint64_t(0));
    // This machine's own limit reads as a number.
    if (QFile::exists(QStringLiteral("/proc/sys/net/core/rmem_max")))
        QVERIFY(readSysctlNumber("/proc/sys/net/core/rmem_max") > 0);
}

QTEST_GUILESS_MAIN(AravisUnitsTest)
#include "tst_aravisunits.moc"
