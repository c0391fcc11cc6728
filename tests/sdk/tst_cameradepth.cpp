// Sample depth through the C interface: raw frames of the 12-bit simulated camera keep
// their 12 bits, the 16-bit output relates to them as the header documents, the 8-bit
// outputs are their top eight bits, and 16-bit pictures read back with the same values.
#include <QElapsedTimer>
#include <QImage>
#include <QtTest>

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "CameraTestSupport.h"
#include "VexoCameraApi.h"

using namespace cameratest;

namespace {

constexpr int kDeadlineMs = 30000;

// Manual exposure in the middle of the range, so frames are neither black nor clipped.
void settle(int handle)
{
    QCOMPARE(SdkSetExposureMode(handle, 0), VEXO_SDK_OK);
    QCOMPARE(SdkSetExposureTime(handle, 10000.0), VEXO_SDK_OK);
    QCOMPARE(SdkSetAnalogGain(handle, 1000), VEXO_SDK_OK);
}

}  // namespace

class CameraDepthTest : public QObject {
    Q_OBJECT
private slots:
    void twelveBitCameraOffersItsDepthFirst();
    void rawFramesKeepTheirDepth_data();
    void rawFramesKeepTheirDepth();
    void outputsRelateToTheRawValues_data();
    void outputsRelateToTheRawValues();
    void automaticExposureJudgesTheTopBits();
    void deepOutputIsRefusedWhereItMeansNothing();
    void formatOfOneCallLeavesTheHandlesFormat();
    void sixteenBitPicturesReadBack_data();
    void sixteenBitPicturesReadBack();
    void sixteenBitPicturesOnlyAsPngOrTiff_data();
    void sixteenBitPicturesOnlyAsPngOrTiff();

private:
    QTemporaryDir scratch;
};

void CameraDepthTest::twelveBitCameraOffersItsDepthFirst()
{
    OpenCamera camera(kUsbMono12);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    VexoCapabilities caps{};
    QCOMPARE(SdkGetCapabilities(camera.handle, &caps), VEXO_SDK_OK);
    QCOMPARE(caps.colorSensor, 0);
    QCOMPARE(caps.imageFormatCount, 2);
    QCOMPARE(QByteArray(caps.imageFormats[0].name), QByteArray("Mono12"));
    QCOMPARE(caps.imageFormats[0].formatId, VEXO_SDK_PIXEL_MONO12);
    QCOMPARE(caps.imageFormats[1].formatId, VEXO_SDK_PIXEL_MONO8);
    uint32_t format = 0;
    QCOMPARE(SdkGetImageFormat(camera.handle, &format), VEXO_SDK_OK);
    QCOMPARE(format, VEXO_SDK_PIXEL_MONO12);
}

void CameraDepthTest::rawFramesKeepTheirDepth_data()
{
    QTest::addColumn<QByteArray>("identifier");
    QTest::addColumn<uint>("imageFormat");  // 0: as the camera opens
    QTest::addColumn<uint>("rawFormat");
    QTest::addColumn<int>("bytesPerSample");
    QTest::addColumn<unsigned>("largest");

    QTest::newRow("12-bit camera as it opens")
        << QByteArray(kUsbMono12) << 0u << uint(VEXO_SDK_PIXEL_MONO12) << 2 << 4095u;
    QTest::newRow("12-bit camera set to Mono8")
        << QByteArray(kUsbMono12) << uint(VEXO_SDK_PIXEL_MONO8) << uint(VEXO_SDK_PIXEL_MONO8) << 1
        << 255u;
    QTest::newRow("8-bit mono camera")
        << QByteArray(kGigEMono) << 0u << uint(VEXO_SDK_PIXEL_MONO8) << 1 << 255u;
}

void CameraDepthTest::rawFramesKeepTheirDepth()
{
    QFETCH(QByteArray, identifier);
    QFETCH(uint, imageFormat);
    QFETCH(uint, rawFormat);
    QFETCH(int, bytesPerSample);
    QFETCH(unsigned, largest);

    OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    if (imageFormat)
        QCOMPARE(SdkSetImageFormat(camera.handle, imageFormat), VEXO_SDK_OK);
    settle(camera.handle);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    const ProcessedFrame frame = takeFrame(camera.handle, kDeadlineMs);
    QCOMPARE(frame.result, VEXO_SDK_OK);
    QCOMPARE(uint(frame.info.rawFormat), rawFormat);
    const size_t count = static_cast<size_t>(frame.info.width) * frame.info.height;
    // frame.raw is what SdkGetRawImage said (its dataSize); frame.info is the output's.
    QCOMPARE(frame.raw.size(), count * bytesPerSample);

    unsigned top = 0;
    bool fineSteps = false;  // a value that is no multiple of 16: detail below 8 bits
    for (size_t i = 0; i < count; ++i) {
        const unsigned v = bytesPerSample == 2 ? wordAt(frame.raw, i) : frame.raw[i];
        top = std::max(top, v);
        fineSteps = fineSteps || (v % 16) != 0;
    }
    QVERIFY2(top <= largest, qPrintable(QString::number(top)));
    if (bytesPerSample == 2) {
        QVERIFY2(top > 255, "a 12-bit frame that uses only 8 bits");
        QVERIFY2(fineSteps, "a 12-bit frame whose low four bits are always zero");
    }
}

void CameraDepthTest::outputsRelateToTheRawValues_data()
{
    QTest::addColumn<QByteArray>("identifier");
    QTest::addColumn<int>("mirror");  // bit 0 horizontal, bit 1 vertical
    QTest::addColumn<bool>("toneSettings");

    QTest::newRow("12-bit, plain") << QByteArray(kUsbMono12) << 0 << false;
    QTest::newRow("12-bit, mirrored left-right") << QByteArray(kUsbMono12) << 1 << false;
    QTest::newRow("12-bit, mirrored top-bottom") << QByteArray(kUsbMono12) << 2 << false;
    QTest::newRow("12-bit, mirrored both ways") << QByteArray(kUsbMono12) << 3 << false;
    // Gamma, contrast, lookup table, sharpening and a crosshair change the 8-bit picture
    // but never the 16-bit one.
    QTest::newRow("12-bit, tone settings") << QByteArray(kUsbMono12) << 1 << true;
    QTest::newRow("8-bit mono camera") << QByteArray(kGigEMono) << 2 << false;
}

void CameraDepthTest::outputsRelateToTheRawValues()
{
    QFETCH(QByteArray, identifier);
    QFETCH(int, mirror);
    QFETCH(bool, toneSettings);

    OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    settle(camera.handle);
    QCOMPARE(SdkSetMirror(camera.handle, 0, mirror & 1), VEXO_SDK_OK);
    QCOMPARE(SdkSetMirror(camera.handle, 1, (mirror >> 1) & 1), VEXO_SDK_OK);
    if (toneSettings) {
        QCOMPARE(SdkSetGamma(camera.handle, 250), VEXO_SDK_OK);
        QCOMPARE(SdkSetContrast(camera.handle, 80), VEXO_SDK_OK);
        QCOMPARE(SdkSetSharpness(camera.handle, 60), VEXO_SDK_OK);
        QCOMPARE(SdkSetCrosshair(camera.handle, 0, 100, 100, 0xFFFFFF, 1), VEXO_SDK_OK);
    }
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    const Outputs o = outputsOfOneFrame(
        camera.handle, {VEXO_SDK_PIXEL_MONO16, VEXO_SDK_PIXEL_MONO8, VEXO_SDK_PIXEL_RGB8});
    QCOMPARE(o.result, VEXO_SDK_OK);
    const int w = o.raw.width, h = o.raw.height;
    const int depth = o.raw.rawFormat == int(VEXO_SDK_PIXEL_MONO12) ? 12 : 8;
    QCOMPARE(depth, identifier == kUsbMono12 ? 12 : 8);
    QCOMPARE(o.outInfo[0].pixelFormat, VEXO_SDK_PIXEL_MONO16);
    QCOMPARE(o.outInfo[0].dataSize, w * h * 2);
    QCOMPARE(o.outInfo[0].rawFormat, o.raw.rawFormat);
    QCOMPARE(o.outInfo[1].dataSize, w * h);

    auto rawAt = [&](int x, int y) {
        const size_t i = static_cast<size_t>(y) * w + x;
        return depth == 12 ? wordAt(o.rawData, i) : o.rawData[i];
    };
    int mismatches = 0, eightBitOff = 0;
    QString first;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int sx = (mirror & 1) ? w - 1 - x : x;
            const int sy = (mirror & 2) ? h - 1 - y : y;
            const unsigned native = rawAt(sx, sy);
            const size_t i = static_cast<size_t>(y) * w + x;
            // 16 bits: the native value moved up to the top of the word.
            if (wordAt(o.out[0], i) != native << (16 - depth)) {
                if (mismatches++ == 0)
                    first = QString("(%1, %2): %3 for raw %4")
                                .arg(x)
                                .arg(y)
                                .arg(wordAt(o.out[0], i))
                                .arg(native);
            }
            // 8 bits: the top eight bits, as an 8-bit frame would give them (within one
            // level; with neutral settings exactly).
            if (!toneSettings) {
                const int expected = static_cast<int>(native >> (depth - 8));
                const int grey = o.out[1][i];
                const BYTE* rgb = &o.out[2][3 * i];
                if (std::abs(grey - expected) > 1 || rgb[0] != grey || rgb[1] != grey ||
                    rgb[2] != grey)
                    ++eightBitOff;
            }
        }
    }
    QVERIFY2(mismatches == 0,
             qPrintable(QString("%1 pixels differ, first %2").arg(mismatches).arg(first)));
    QCOMPARE(eightBitOff, 0);
    if (toneSettings) {
        // The 8-bit picture did take the settings: it is no longer the top eight bits.
        int differing = 0;
        for (size_t i = 0; i < size_t(w) * h; ++i) {
            const int sx = (mirror & 1) ? w - 1 - int(i % w) : int(i % w);
            differing += o.out[1][i] != (rawAt(sx, int(i / w)) >> (depth - 8));
        }
        QVERIFY(differing > w * h / 2);
    }
}

// The target brightness is on the 0..255 scale of the 8-bit picture, whatever the depth.
void CameraDepthTest::automaticExposureJudgesTheTopBits()
{
    OpenCamera camera(kUsbMono12);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    const int target = 90;
    QCOMPARE(SdkSetExposureMode(camera.handle, 1), VEXO_SDK_OK);
    QCOMPARE(SdkSetTargetBrightness(camera.handle, target), VEXO_SDK_OK);
    QCOMPARE(SdkSetOutputFormat(camera.handle, VEXO_SDK_PIXEL_MONO8), VEXO_SDK_OK);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    double mean = 0;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        const ProcessedFrame frame = takeFrame(camera.handle, kDeadlineMs);
        QCOMPARE(frame.result, VEXO_SDK_OK);
        mean = meanOf(frame.pixels, static_cast<size_t>(frame.info.dataSize));
        if (std::abs(mean - target) < target * 0.15)
            break;
    }
    QVERIFY2(std::abs(mean - target) < target * 0.15, qPrintable(QString::number(mean)));
}

void CameraDepthTest::deepOutputIsRefusedWhereItMeansNothing()
{
    {
        // A colour camera sends a mosaic: no grey words to give.
        OpenCamera colour(kGigEColour);
        QCOMPARE(colour.result, VEXO_SDK_OK);
        QCOMPARE(SdkSetOutputFormat(colour.handle, VEXO_SDK_PIXEL_MONO16),
                 VEXO_SDK_INVALID_ARGUMENT);
        // The refusal changed nothing: frames still come as RGB.
        QCOMPARE(SdkStartAcquisition(colour.handle), VEXO_SDK_OK);
        ProcessedFrame frame = takeFrame(colour.handle, kDeadlineMs);
        QCOMPARE(frame.result, VEXO_SDK_OK);
        QCOMPARE(frame.info.pixelFormat, VEXO_SDK_PIXEL_RGB8);
        // Grey frames of the same camera can; a mosaic chosen again afterwards is refused
        // frame by frame, writing nothing.
        QCOMPARE(SdkSetImageFormat(colour.handle, VEXO_SDK_PIXEL_MONO8), VEXO_SDK_OK);
        QCOMPARE(SdkSetOutputFormat(colour.handle, VEXO_SDK_PIXEL_MONO16), VEXO_SDK_OK);
        QCOMPARE(SdkSetImageFormat(colour.handle, VEXO_SDK_PIXEL_BAYER_RG8), VEXO_SDK_OK);
        bool mosaicSeen = false;
        for (int attempt = 0; attempt < 20 && !mosaicSeen; ++attempt) {
            frame = takeFrame(colour.handle, kDeadlineMs);
            if (uint(frame.info.rawFormat) != VEXO_SDK_PIXEL_BAYER_RG8)
                continue;  // a grey frame taken before the change
            mosaicSeen = true;
            QCOMPARE(frame.result, VEXO_SDK_WRONG_MODE);
            QVERIFY(std::all_of(frame.pixels.begin(), frame.pixels.end(),
                                [](BYTE b) { return b == 0; }));
        }
        QVERIFY(mosaicSeen);
    }
    OpenCamera mono(kUsbMono12);
    QCOMPARE(mono.result, VEXO_SDK_OK);
    // Formats that are no output format, among them the raw deep ones.
    for (uint32_t format :
         {VEXO_SDK_PIXEL_MONO12, VEXO_SDK_PIXEL_MONO10, VEXO_SDK_PIXEL_BAYER_RG16, 0x01100006u})
        QCOMPARE(SdkSetOutputFormat(mono.handle, format), VEXO_SDK_INVALID_ARGUMENT);
    QCOMPARE(SdkSetOutputFormat(mono.handle, VEXO_SDK_PIXEL_MONO16), VEXO_SDK_OK);
    // A colour camera's format cannot be chosen on a mono camera.
    QCOMPARE(SdkSetImageFormat(mono.handle, VEXO_SDK_PIXEL_BAYER_RG12), VEXO_SDK_OUT_OF_RANGE);
}

// Two parts of a program sharing a handle: one asks for its own format per call, the
// other keeps getting the handle's. Both outputs are of the same frame, alike.
void CameraDepthTest::formatOfOneCallLeavesTheHandlesFormat()
{
    for (const char* identifier : {kGigEColour, kUsbMono12}) {
        OpenCamera camera(identifier);
        QCOMPARE(camera.result, VEXO_SDK_OK);
        settle(camera.handle);
        QCOMPARE(SdkSetSharpness(camera.handle, 60), VEXO_SDK_OK);
        QCOMPARE(SdkSetCrosshair(camera.handle, 0, 100, 100, 0x00FF00, 1), VEXO_SDK_OK);
        QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
        uint32_t token = 0;
        QCOMPARE(SdkGetFrame(camera.handle, &token, kDeadlineMs), VEXO_SDK_OK);
        VexoImageInfo raw{};
        BYTE* data = SdkGetRawImage(camera.handle, token, &raw);
        QVERIFY(data);
        // No more frames, so no automatic white balance step changes the settings between
        // the calls; the held frame stays held.
        QCOMPARE(SdkStopAcquisition(camera.handle), VEXO_SDK_OK);
        const size_t count = size_t(raw.width) * size_t(raw.height);
        std::vector<BYTE> bgra(count * 4), rgb(count * 4), deep(count * 4), handleDeep(count * 4);

        VexoImageInfo info = raw;
        QCOMPARE(SdkProcessImageAs(camera.handle, &info, data, bgra.data(), VEXO_SDK_PIXEL_BGRA8),
                 VEXO_SDK_OK);
        QCOMPARE(info.pixelFormat, VEXO_SDK_PIXEL_BGRA8);
        QCOMPARE(size_t(info.dataSize), count * 4);
        info = raw;
        QCOMPARE(SdkProcessImage(camera.handle, &info, data, rgb.data()), VEXO_SDK_OK);
        QCOMPARE(info.pixelFormat, VEXO_SDK_PIXEL_RGB8);  // the handle's, untouched
        size_t off = 0;
        for (size_t i = 0; i < count; ++i)
            off += bgra[4 * i] != rgb[3 * i + 2] || bgra[4 * i + 1] != rgb[3 * i + 1] ||
                   bgra[4 * i + 2] != rgb[3 * i] || bgra[4 * i + 3] != 255;
        QCOMPARE(off, size_t(0));

        // Refused formats leave the record as it was.
        info = raw;
        QCOMPARE(SdkProcessImageAs(camera.handle, &info, data, bgra.data(), 0x12345678u),
                 VEXO_SDK_INVALID_ARGUMENT);
        QCOMPARE(info.pixelFormat, raw.pixelFormat);
        if (QByteArray(identifier) == kGigEColour) {
            // A colour mosaic has no 16-bit grey.
            QCOMPARE(SdkProcessImageAs(camera.handle, &info, data, deep.data(),
                                       VEXO_SDK_PIXEL_MONO16),
                     VEXO_SDK_WRONG_MODE);
        } else {
            // The same 16-bit words as through the handle's own format.
            QCOMPARE(SdkProcessImageAs(camera.handle, &info, data, deep.data(),
                                       VEXO_SDK_PIXEL_MONO16),
                     VEXO_SDK_OK);
            QCOMPARE(info.pixelFormat, VEXO_SDK_PIXEL_MONO16);
            QCOMPARE(SdkSetOutputFormat(camera.handle, VEXO_SDK_PIXEL_MONO16), VEXO_SDK_OK);
            VexoImageInfo handleInfo = raw;
            QCOMPARE(SdkProcessImage(camera.handle, &handleInfo, data, handleDeep.data()),
                     VEXO_SDK_OK);
            QVERIFY(std::equal(deep.begin(), deep.begin() + long(count * 2), handleDeep.begin()));
            // ... and the other way round: a call's own format over the handle's MONO16.
            info = raw;
            QCOMPARE(SdkProcessImageAs(camera.handle, &info, data, bgra.data(),
                                       VEXO_SDK_PIXEL_RGB8),
                     VEXO_SDK_OK);
            QVERIFY(std::equal(bgra.begin(), bgra.begin() + long(count * 3), rgb.begin()));
        }
        QCOMPARE(SdkReleaseFrame(camera.handle, token), VEXO_SDK_OK);
    }
}

void CameraDepthTest::sixteenBitPicturesReadBack_data()
{
    QTest::addColumn<int>("typeCode");
    QTest::addColumn<QString>("extension");
    QTest::newRow("PNG") << int(VEXO_SDK_FILE_PNG) << ".png";
    QTest::newRow("TIFF") << int(VEXO_SDK_FILE_TIFF) << ".tif";
}

// The values of a 16-bit grey picture file, row by row; empty when it is not one.
static std::vector<unsigned> sixteenBitGreyOf(const QString& path, int& width, int& height)
{
    std::vector<unsigned> values;
    if (path.endsWith(".png")) {
        const QImage image(path);
        if (image.format() != QImage::Format_Grayscale16)
            return values;
        width = image.width();
        height = image.height();
        for (int y = 0; y < height; ++y) {
            const auto* line = reinterpret_cast<const quint16*>(image.constScanLine(y));
            values.insert(values.end(), line, line + width);
        }
        return values;
    }
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tiff)
        return values;
    uint32_t w = 0, h = 0;
    uint16_t bits = 0, samples = 0, photometric = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    if (bits == 16 && samples == 1 && photometric == PHOTOMETRIC_MINISBLACK) {
        width = int(w);
        height = int(h);
        std::vector<uint16_t> line(w);
        for (uint32_t y = 0; y < h; ++y) {
            if (TIFFReadScanline(tiff, line.data(), y, 0) != 1) {
                values.clear();
                break;
            }
            values.insert(values.end(), line.begin(), line.end());
        }
    }
    TIFFClose(tiff);
    return values;
}

void CameraDepthTest::sixteenBitPicturesReadBack()
{
    QFETCH(int, typeCode);
    QFETCH(QString, extension);

    OpenCamera camera(kUsbMono12);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    settle(camera.handle);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    Outputs o = outputsOfOneFrame(camera.handle, {VEXO_SDK_PIXEL_MONO16});
    QCOMPARE(o.result, VEXO_SDK_OK);
    const QString base = scratch.filePath("deep-" + extension.mid(1));
    const QByteArray name = QFile::encodeName(base);
    QCOMPARE(SdkSaveImageFile(camera.handle, name.constData(), o.out[0].data(), &o.outInfo[0],
                              typeCode, 100),
             VEXO_SDK_OK);
    int width = 0, height = 0;
    const std::vector<unsigned> read = sixteenBitGreyOf(base + extension, width, height);
    QVERIFY2(!read.empty(), "not a 16-bit grey picture");
    QCOMPARE(width, o.outInfo[0].width);
    QCOMPARE(height, o.outInfo[0].height);
    size_t differing = 0;
    for (size_t i = 0; i < read.size(); ++i)
        differing += read[i] != wordAt(o.out[0], i);
    QCOMPARE(differing, size_t(0));
    // Only the picture is there, and a second picture of that name replaces nothing.
    QDir folder(scratch.path());
    QCOMPARE(
        folder.entryList(QStringList{"*deep-" + extension.mid(1) + "*"}, QDir::Files | QDir::Hidden)
            .size(),
        1);
    const QByteArray before = [&] {
        QFile f(base + extension);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    std::vector<BYTE> other(o.out[0].size(), 0);
    QCOMPARE(SdkSaveImageFile(camera.handle, name.constData(), other.data(), &o.outInfo[0],
                              typeCode, 100),
             VEXO_SDK_FILE_EXISTS);
    QFile after(base + extension);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before);
}

void CameraDepthTest::sixteenBitPicturesOnlyAsPngOrTiff_data()
{
    QTest::addColumn<uint>("format");
    QTest::addColumn<int>("typeCode");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("identifier");
    QTest::addColumn<int>("samples");  // of the TIFF written
    const QByteArray mono(kUsbMono12), colour(kGigEColour);
    QTest::newRow("16-bit as JPG") << uint(VEXO_SDK_PIXEL_MONO16) << int(VEXO_SDK_FILE_JPG)
                                   << int(VEXO_SDK_INVALID_ARGUMENT) << mono << 0;
    QTest::newRow("16-bit as BMP") << uint(VEXO_SDK_PIXEL_MONO16) << int(VEXO_SDK_FILE_BMP)
                                   << int(VEXO_SDK_INVALID_ARGUMENT) << mono << 0;
    QTest::newRow("unknown type code")
        << uint(VEXO_SDK_PIXEL_MONO16) << 4 << int(VEXO_SDK_INVALID_ARGUMENT) << mono << 0;
    // The 8-bit outputs make TIFF pictures too; a mono camera's RGB is grey, so its
    // picture is 8-bit grey as with the other file types.
    QTest::newRow("colour RGB as TIFF")
        << uint(VEXO_SDK_PIXEL_RGB8) << int(VEXO_SDK_FILE_TIFF) << int(VEXO_SDK_OK) << colour << 3;
    QTest::newRow("colour BGRA as TIFF")
        << uint(VEXO_SDK_PIXEL_BGRA8) << int(VEXO_SDK_FILE_TIFF) << int(VEXO_SDK_OK) << colour << 3;
    QTest::newRow("mono RGB as TIFF")
        << uint(VEXO_SDK_PIXEL_RGB8) << int(VEXO_SDK_FILE_TIFF) << int(VEXO_SDK_OK) << mono << 1;
    QTest::newRow("grey as TIFF") << uint(VEXO_SDK_PIXEL_MONO8) << int(VEXO_SDK_FILE_TIFF)
                                  << int(VEXO_SDK_OK) << mono << 1;
}

void CameraDepthTest::sixteenBitPicturesOnlyAsPngOrTiff()
{
    QFETCH(uint, format);
    QFETCH(int, typeCode);
    QFETCH(int, result);
    QFETCH(QByteArray, identifier);
    QFETCH(int, samples);

    OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    settle(camera.handle);
    QCOMPARE(SdkStartAcquisition(camera.handle), VEXO_SDK_OK);
    Outputs o = outputsOfOneFrame(camera.handle, {format});
    QCOMPARE(o.result, VEXO_SDK_OK);
    const QString base =
        scratch.filePath(QString("only-%1").arg(QTest::currentDataTag()).replace(' ', '-'));
    QCOMPARE(SdkSaveImageFile(camera.handle, QFile::encodeName(base).constData(), o.out[0].data(),
                              &o.outInfo[0], typeCode, 100),
             result);
    const QStringList written =
        QDir(scratch.path())
            .entryList(QStringList{QFileInfo(base).fileName() + "*"}, QDir::Files | QDir::Hidden);
    if (result != VEXO_SDK_OK) {
        QVERIFY2(written.isEmpty(), qPrintable(written.join(", ")));
        return;
    }
    QCOMPARE(written.size(), 1);
    // Read back with libtiff: the same 8-bit values, in red, green, blue order or grey.
    TIFF* tiff = TIFFOpen(QFile::encodeName(base + ".tif").constData(), "r");
    QVERIFY(tiff);
    uint16_t bits = 0, samplesRead = 0;
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesRead);
    QCOMPARE(int(bits), 8);
    QCOMPARE(int(samplesRead), samples);
    const size_t bpp = format == VEXO_SDK_PIXEL_MONO8 ? 1 : format == VEXO_SDK_PIXEL_BGRA8 ? 4 : 3;
    const bool bgr = format == VEXO_SDK_PIXEL_BGRA8;
    std::vector<BYTE> line(static_cast<size_t>(o.raw.width) * samples);
    size_t differing = 0;
    for (int y = 0; y < o.raw.height; ++y) {
        QCOMPARE(TIFFReadScanline(tiff, line.data(), uint32_t(y), 0), 1);
        const BYTE* src = o.out[0].data() + size_t(y) * o.raw.width * bpp;
        for (int x = 0; x < o.raw.width; ++x) {
            const BYTE* p = src + size_t(x) * bpp;
            for (int c = 0; c < samples; ++c)
                differing += line[size_t(x) * samples + c] != p[bgr ? 2 - c : c];
        }
    }
    TIFFClose(tiff);
    QCOMPARE(differing, size_t(0));
}

QTEST_GUILESS_MAIN(CameraDepthTest)
#include "tst_cameradepth.moc"
