// Parameter groups, parameter files and firmware upgrades: the camera-side memory users
// trust with their set-ups. This program uses its own camera list with two cameras of
// one model, so sharing groups by model can be told apart from sharing by serial number.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

#include "CameraTestSupport.h"

using namespace cameratest;

namespace {

const char* const kTwinA = "TWIN-A";
const char* const kTwinB = "TWIN-B";
const char* const kOther = "OTHER-1";

uint32_t crc32(const QByteArray& data)
{
    uint32_t c = 0xFFFFFFFFu;
    for (char byte : data) {
        c ^= static_cast<uint8_t>(byte);
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

void putUint32(QByteArray& data, int offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        data[offset + i] = char((value >> (8 * i)) & 0xFF);
}

int gainOf(int handle)
{
    VexoCameraParameters p{};
    SdkGetCameraParameters(handle, &p);
    return p.analogGainMilli;
}

struct ProgressLog {
    std::mutex mutex;
    QList<int> percents;
    std::vector<std::thread::id> threads;
    static void record(int percent, void* context)
    {
        auto* log = static_cast<ProgressLog*>(context);
        std::lock_guard<std::mutex> lock(log->mutex);
        log->percents << percent;
        log->threads.push_back(std::this_thread::get_id());
    }
    int last()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return percents.isEmpty() ? -1 : percents.last();
    }
};

}  // namespace

class CameraParameterSetsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void savedGroupRestoresParameters();
    void emptyGroupChangesNothing();
    void factoryGroupRestoresDefaults();
    void cameraStartsWithItsLastGroup();
    void loadModeDecidesWhoSharesGroups_data();
    void loadModeDecidesWhoSharesGroups();
    void exportedFileRoundTrips();
    void exportReplacesAnExistingFile();
    void exportToAMissingFolder();
    void importRejectsBadFiles_data();
    void importRejectsBadFiles();
    void importAcceptsAnOlderFormatVersion();
    void upgradeReportsProgressAndChangesTheVersion();
    void upgradeRefusesBadFiles_data();
    void upgradeRefusesBadFiles();
    void upgradeInterruptedByDetach();

private:
    QString exportFile(const char* identifier, const QString& name);
    QTemporaryDir scratch;
};

void CameraParameterSetsTest::initTestCase()
{
    QVERIFY(scratch.isValid());
    QFile list(scratch.filePath("cameras.json"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write(R"({"cameras":[
        {"identifier":"TWIN-A","productName":"VX-TWIN","sensorWidth":640,"sensorHeight":480,"maxFramesPerSecond":60},
        {"identifier":"TWIN-B","productName":"VX-TWIN","sensorWidth":640,"sensorHeight":480,"maxFramesPerSecond":60},
        {"identifier":"OTHER-1","productName":"VX-OTHER","sensorWidth":320,"sensorHeight":240,"interface":"GigE"}]})");
    list.close();
    // Read by the library at its first call, and by vexocam-sim through the environment.
    qputenv("VEXOCAM_CAMERAS", QFile::encodeName(list.fileName()));
    int count = 0;
    QCOMPARE(SdkEnumerateDevices(&count), VEXO_SDK_OK);
    QCOMPARE(count, 3);
}

QString CameraParameterSetsTest::exportFile(const char* identifier, const QString& name)
{
    OpenCamera camera(identifier);
    const QString path = scratch.filePath(name);
    if (SdkExportParameterFile(camera.handle, QFile::encodeName(path).constData()) != VEXO_SDK_OK)
        return {};
    return path;
}

void CameraParameterSetsTest::savedGroupRestoresParameters()
{
    OpenCamera camera(kTwinA);
    QCOMPARE(SdkSetAnalogGain(camera.handle, 3500), VEXO_SDK_OK);
    QCOMPARE(SdkSetCrosshair(camera.handle, 4, 100, 120, 0x00FF00, 1), VEXO_SDK_OK);
    QCOMPARE(SdkSelectPresetResolution(camera.handle, 1), VEXO_SDK_OK);
    QCOMPARE(SdkSaveParameterGroup(camera.handle, 0), VEXO_SDK_OK);
    int group = -1;
    QCOMPARE(SdkGetCurrentParameterGroup(camera.handle, &group), VEXO_SDK_OK);
    QCOMPARE(group, 0);

    QCOMPARE(SdkSetAnalogGain(camera.handle, 1200), VEXO_SDK_OK);
    QCOMPARE(SdkSetCrosshair(camera.handle, 4, 1, 1, 0xFF, 0), VEXO_SDK_OK);
    QCOMPARE(SdkSelectPresetResolution(camera.handle, 0), VEXO_SDK_OK);
    QCOMPARE(SdkLoadParameterGroup(camera.handle, 0), VEXO_SDK_OK);
    QCOMPARE(gainOf(camera.handle), 3500);
    int x = 0, y = 0, enabled = 0, index = -1;
    uint32_t colour = 0;
    QCOMPARE(SdkGetCrosshair(camera.handle, 4, &x, &y, &colour, &enabled), VEXO_SDK_OK);
    QCOMPARE(x, 100);
    QCOMPARE(colour, 0x00FF00u);
    QCOMPARE(enabled, 1);
    QCOMPARE(SdkGetResolutionIndex(camera.handle, &index), VEXO_SDK_OK);
    QCOMPARE(index, 1);
    QCOMPARE(SdkSaveParameterGroup(camera.handle, 4), VEXO_SDK_OUT_OF_RANGE);
    QCOMPARE(SdkLoadParameterGroup(camera.handle, -1), VEXO_SDK_OUT_OF_RANGE);
}

void CameraParameterSetsTest::emptyGroupChangesNothing()
{
    OpenCamera camera(kOther);
    QCOMPARE(SdkSetAnalogGain(camera.handle, 2222), VEXO_SDK_OK);
    QCOMPARE(SdkLoadParameterGroup(camera.handle, 3), VEXO_SDK_EMPTY_GROUP);
    QCOMPARE(gainOf(camera.handle), 2222);
    int group = -1;
    SdkGetCurrentParameterGroup(camera.handle, &group);
    QCOMPARE(group, VEXO_SDK_FACTORY_GROUP);
}

void CameraParameterSetsTest::factoryGroupRestoresDefaults()
{
    OpenCamera camera(kOther);
    const int factoryGain = gainOf(camera.handle);
    QCOMPARE(SdkSetAnalogGain(camera.handle, 5000), VEXO_SDK_OK);
    QCOMPARE(SdkLoadParameterGroup(camera.handle, VEXO_SDK_FACTORY_GROUP), VEXO_SDK_OK);
    QCOMPARE(gainOf(camera.handle), factoryGain);
    int group = -1;
    SdkGetCurrentParameterGroup(camera.handle, &group);
    QCOMPARE(group, VEXO_SDK_FACTORY_GROUP);
}

void CameraParameterSetsTest::cameraStartsWithItsLastGroup()
{
    {
        OpenCamera camera(kOther);
        QCOMPARE(SdkSetAnalogGain(camera.handle, 4100), VEXO_SDK_OK);
        QCOMPARE(SdkSaveParameterGroup(camera.handle, 2), VEXO_SDK_OK);
    }
    {
        OpenCamera camera(kOther);
        QCOMPARE(gainOf(camera.handle), 4100);
        int group = -1;
        SdkGetCurrentParameterGroup(camera.handle, &group);
        QCOMPARE(group, 2);
        QCOMPARE(SdkLoadParameterGroup(camera.handle, VEXO_SDK_FACTORY_GROUP), VEXO_SDK_OK);
    }
    OpenCamera camera(kOther);
    QVERIFY(gainOf(camera.handle) != 4100);
}

void CameraParameterSetsTest::loadModeDecidesWhoSharesGroups_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("shared");
    QTest::newRow("by model") << 0 << true;
    QTest::newRow("by nickname, both named alike") << 1 << true;
    QTest::newRow("by serial number") << 2 << false;
}

void CameraParameterSetsTest::loadModeDecidesWhoSharesGroups()
{
    QFETCH(int, mode);
    QFETCH(bool, shared);
    const int group = 1;
    {
        OpenCamera a(kTwinA);
        OpenCamera b(kTwinB);
        QCOMPARE(SdkSetDeviceNickname(a.handle, "twin"), VEXO_SDK_OK);
        QCOMPARE(SdkSetDeviceNickname(b.handle, "twin"), VEXO_SDK_OK);
        QCOMPARE(SdkSetParameterLoadMode(a.handle, mode), VEXO_SDK_OK);
        QCOMPARE(SdkSetParameterLoadMode(b.handle, mode), VEXO_SDK_OK);
        QCOMPARE(SdkSetAnalogGain(a.handle, 1000 + 100 * (mode + 1)), VEXO_SDK_OK);
        QCOMPARE(SdkSaveParameterGroup(a.handle, group), VEXO_SDK_OK);
    }
    OpenCamera b(kTwinB);
    int stored = -1;
    QCOMPARE(SdkGetParameterLoadMode(b.handle, &stored), VEXO_SDK_OK);
    QCOMPARE(stored, mode);   // the mode persists per camera
    const int result = SdkLoadParameterGroup(b.handle, group);
    if (shared) {
        QCOMPARE(result, VEXO_SDK_OK);
        QCOMPARE(gainOf(b.handle), 1000 + 100 * (mode + 1));
    } else {
        QCOMPARE(result, VEXO_SDK_EMPTY_GROUP);
    }
    QCOMPARE(SdkSetParameterLoadMode(b.handle, 3), VEXO_SDK_OUT_OF_RANGE);
}

void CameraParameterSetsTest::exportedFileRoundTrips()
{
    OpenCamera camera(kTwinA);
    QCOMPARE(SdkSetAnalogGain(camera.handle, 2600), VEXO_SDK_OK);
    QCOMPARE(SdkSetGamma(camera.handle, 180), VEXO_SDK_OK);
    VexoResolution region{};
    QCOMPARE(SdkGetResolutionDescriptor(camera.handle, 0, &region), VEXO_SDK_OK);
    region.index = VEXO_SDK_CUSTOM_RESOLUTION;
    region.offsetX = 32;
    region.regionWidth = region.outputWidth = 320;
    region.regionHeight = region.outputHeight = 200;
    QCOMPARE(SdkSetRegionOfInterest(camera.handle, &region), VEXO_SDK_OK);
    const QByteArray path = QFile::encodeName(scratch.filePath("TWIN_Cfg_A.bin"));
    QCOMPARE(SdkExportParameterFile(camera.handle, path.constData()), VEXO_SDK_OK);

    QCOMPARE(SdkLoadParameterGroup(camera.handle, VEXO_SDK_FACTORY_GROUP), VEXO_SDK_OK);
    QCOMPARE(SdkImportParameterFile(camera.handle, path.constData()), VEXO_SDK_OK);
    QCOMPARE(gainOf(camera.handle), 2600);
    int gamma = 0, width = 0, height = 0;
    SdkGetGamma(camera.handle, &gamma);
    QCOMPARE(gamma, 180);
    SdkGetResolution(camera.handle, &width, &height);
    QCOMPARE(width, 320);
    QCOMPARE(height, 200);
    // A camera of the same model takes the file too.
    OpenCamera twin(kTwinB);
    QCOMPARE(SdkImportParameterFile(twin.handle, path.constData()), VEXO_SDK_OK);
    QCOMPARE(gainOf(twin.handle), 2600);
}

void CameraParameterSetsTest::exportReplacesAnExistingFile()
{
    const QString path = scratch.filePath("replace.bin");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();
    QCOMPARE(exportFile(kTwinA, "replace.bin"), path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(4) == "VXPF");
    QVERIFY(file.size() < 100000);
    QCOMPARE(QDir(scratch.path()).entryList({"replace.bin*"}, QDir::Files).size(), 1);
}

void CameraParameterSetsTest::exportToAMissingFolder()
{
    OpenCamera camera(kTwinA);
    const QByteArray path = QFile::encodeName(scratch.filePath("no/such/folder/x.bin"));
    QCOMPARE(SdkExportParameterFile(camera.handle, path.constData()), VEXO_SDK_WRONG_PATH);
    QCOMPARE(SdkExportParameterFile(camera.handle, nullptr), VEXO_SDK_INVALID_ARGUMENT);
}

void CameraParameterSetsTest::importRejectsBadFiles_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("expected");
    QTest::newRow("missing file") << "missing" << int(VEXO_SDK_WRONG_PATH);
    QTest::newRow("a folder") << "folder" << int(VEXO_SDK_WRONG_PATH);
    QTest::newRow("empty file") << "empty" << int(VEXO_SDK_FILE_TRUNCATED);
    QTest::newRow("cut in the header") << "cut header" << int(VEXO_SDK_FILE_TRUNCATED);
    QTest::newRow("cut in the payload") << "cut payload" << int(VEXO_SDK_FILE_TRUNCATED);
    QTest::newRow("one byte flipped") << "flip" << int(VEXO_SDK_FILE_CORRUPT);
    QTest::newRow("extra bytes at the end") << "append" << int(VEXO_SDK_FILE_CORRUPT);
    QTest::newRow("a picture, not parameters") << "foreign" << int(VEXO_SDK_FILE_FOREIGN);
    QTest::newRow("a newer format version") << "newer" << int(VEXO_SDK_FILE_FOREIGN);
    QTest::newRow("another camera model") << "other model" << int(VEXO_SDK_NOT_MATCHING);
    QTest::newRow("valid checksum, gain out of range") << "bad value" << int(VEXO_SDK_FILE_CORRUPT);
}

void CameraParameterSetsTest::importRejectsBadFiles()
{
    QFETCH(QString, damage);
    QFETCH(int, expected);
    const QString good = exportFile(kTwinA, "good.bin");
    QVERIFY(!good.isEmpty());
    QFile source(good);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray bytes = source.readAll();
    const QString path = scratch.filePath("damaged.bin");
    QFile::remove(path);
    auto resign = [](QByteArray& data) {
        data.chop(4);
        data.append(4, '\0');
        putUint32(data, data.size() - 4, crc32(data.left(data.size() - 4)));
    };
    if (damage == "cut header")
        bytes.truncate(20);
    else if (damage == "cut payload")
        bytes.truncate(bytes.size() - 30);
    else if (damage == "flip")
        bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x01);
    else if (damage == "append")
        bytes.append("junk");
    else if (damage == "foreign")
        bytes = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(200, '\0');
    else if (damage == "newer") {
        bytes[4] = 99;
        resign(bytes);
    } else if (damage == "other model") {
        QFile other(exportFile(kOther, "other.bin"));
        QVERIFY(other.open(QIODevice::ReadOnly));
        bytes = other.readAll();
    } else if (damage == "bad value") {
        const int start = 44;
        QByteArray json = bytes.mid(start, bytes.size() - start - 4);
        QJsonObject object = QJsonDocument::fromJson(json).object();
        QVERIFY(!object.isEmpty());
        object["gainMilli"] = 999999;
        json = QJsonDocument(object).toJson(QJsonDocument::Compact);
        bytes = bytes.left(start) + json + QByteArray(4, '\0');
        putUint32(bytes, 40, uint32_t(json.size()));
        resign(bytes);
    }
    if (damage == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (damage != "missing") {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        if (damage != "empty")
            out.write(bytes);
    }

    OpenCamera camera(kTwinA);
    QCOMPARE(SdkSetAnalogGain(camera.handle, 1777), VEXO_SDK_OK);
    VexoCameraParameters before{}, after{};
    SdkGetCameraParameters(camera.handle, &before);
    QCOMPARE(SdkImportParameterFile(camera.handle, QFile::encodeName(path).constData()), expected);
    SdkGetCameraParameters(camera.handle, &after);
    QCOMPARE(std::memcmp(&before, &after, sizeof before), 0);
    if (damage == "folder")
        QDir(path).removeRecursively();
}

void CameraParameterSetsTest::importAcceptsAnOlderFormatVersion()
{
    // A version 1 file: the same header, a payload without the newer fields.
    const QString good = exportFile(kTwinA, "current.bin");
    QFile source(good);
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    QJsonObject object = QJsonDocument::fromJson(bytes.mid(44, bytes.size() - 48)).object();
    for (const char* newer : {"crosshairs", "inputs", "outputs", "channelMask", "focusPosition"})
        object.remove(newer);
    object["gainMilli"] = 3300;
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    QByteArray old = bytes.left(44) + json + QByteArray(4, '\0');
    old[4] = 1;
    old[5] = 0;
    putUint32(old, 40, uint32_t(json.size()));
    putUint32(old, old.size() - 4, crc32(old.left(old.size() - 4)));
    const QString path = scratch.filePath("version1.bin");
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(old);
    out.close();
    OpenCamera camera(kTwinA);
    QCOMPARE(SdkImportParameterFile(camera.handle, QFile::encodeName(path).constData()), VEXO_SDK_OK);
    QCOMPARE(gainOf(camera.handle), 3300);
}

void CameraParameterSetsTest::upgradeReportsProgressAndChangesTheVersion()
{
    const QString file = scratch.filePath("good.upg");
    QCOMPARE(runSimulator({"make-upgrade", kOther, "2.1.0.7", file}), 0);
    ProgressLog log;
    {
        OpenCamera camera(kOther);
        QCOMPARE(SdkUpgradeFirmware(camera.handle, QFile::encodeName(file).constData(), &ProgressLog::record, &log),
                 VEXO_SDK_OK);
        char text[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
        QCOMPARE(SdkGetFirmwareVersion(camera.handle, text), VEXO_SDK_OK);
        QCOMPARE(QByteArray(text), QByteArray("v2.1.0.7"));
    }
    QCOMPARE(log.percents.first(), 0);
    QCOMPARE(log.percents.last(), 100);
    QVERIFY(log.percents.size() > 10);
    for (int i = 1; i < log.percents.size(); ++i)
        QVERIFY(log.percents[i] >= log.percents[i - 1]);
    // Reported from a library thread, not the caller's.
    QVERIFY(std::find(log.threads.begin(), log.threads.end(), std::this_thread::get_id()) == log.threads.end());
    VexoDeviceInfo info{};
    QVERIFY(enumerationIndex(kOther, &info) >= 0);
    QCOMPARE(info.firmwareVersion, uint16_t(0x2107));
    // Another process sees the new version.
    QByteArray listing;
    QCOMPARE(runSimulator({"list"}, &listing), 0);
    QVERIFY2(listing.contains(QByteArray(kOther) + "\tVX-OTHER\tGigE\t320x240 colour\tattached\tclosed\tv2.1.0.7\t"),
             listing.constData());
}

void CameraParameterSetsTest::upgradeRefusesBadFiles_data()
{
    QTest::addColumn<QStringList>("make");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("expected");
    QTest::newRow("broken checksum") << QStringList{"make-upgrade", kOther, "3.0.0.0", "broken.upg", "broken"}
                                     << "broken.upg" << int(VEXO_SDK_NOT_MATCHING);
    QTest::newRow("firmware for another product") << QStringList{"make-upgrade", kTwinA, "3.0.0.0", "twin.upg"}
                                                  << "twin.upg" << int(VEXO_SDK_NOT_MATCHING);
    QTest::newRow("not an upgrade file") << QStringList() << "cameras.json" << int(VEXO_SDK_NOT_MATCHING);
    QTest::newRow("no such file") << QStringList() << "nothing-here.upg" << int(VEXO_SDK_WRONG_PATH);
    QTest::newRow("a folder") << QStringList() << "." << int(VEXO_SDK_WRONG_PATH);
}

void CameraParameterSetsTest::upgradeRefusesBadFiles()
{
    QFETCH(QStringList, make);
    QFETCH(QString, path);
    QFETCH(int, expected);
    if (!make.isEmpty()) {
        make[3] = scratch.filePath(make[3]);
        QCOMPARE(runSimulator(make), 0);
    }
    OpenCamera camera(kOther);
    char before[VEXO_SDK_TEXT_BUFFER_SIZE] = {}, after[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
    SdkGetFirmwareVersion(camera.handle, before);
    ProgressLog log;
    QCOMPARE(SdkUpgradeFirmware(camera.handle, QFile::encodeName(scratch.filePath(path)).constData(),
                                &ProgressLog::record, &log),
             expected);
    SdkGetFirmwareVersion(camera.handle, after);
    QCOMPARE(QByteArray(after), QByteArray(before));
    QVERIFY(log.percents.isEmpty());
    QCOMPARE(SdkUpgradeFirmware(camera.handle, nullptr, nullptr, nullptr), VEXO_SDK_WRONG_PATH);
}

void CameraParameterSetsTest::upgradeInterruptedByDetach()
{
    const QString file = scratch.filePath("interrupted.upg");
    QCOMPARE(runSimulator({"make-upgrade", kTwinB, "4.0.0.0", file}), 0);
    OpenCamera camera(kTwinB);
    char before[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
    SdkGetFirmwareVersion(camera.handle, before);
    ProgressLog log;
    int result = 1;
    std::thread worker([&] {
        result = SdkUpgradeFirmware(camera.handle, QFile::encodeName(file).constData(), &ProgressLog::record, &log);
    });
    QTRY_VERIFY(log.last() >= 10);
    QCOMPARE(runSimulator({"detach", kTwinB}), 0);
    worker.join();
    QCOMPARE(result, VEXO_SDK_FAILED);
    QVERIFY(log.last() < 100);
    QCOMPARE(runSimulator({"attach", kTwinB}), 0);
    QCOMPARE(SdkCloseCamera(camera.handle), VEXO_SDK_OK);
    camera.handle = 0;
    OpenCamera reopened(kTwinB);
    char after[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
    SdkGetFirmwareVersion(reopened.handle, after);
    QCOMPARE(QByteArray(after), QByteArray(before));
}

QTEST_GUILESS_MAIN(CameraParameterSetsTest)
#include "tst_cameraparametersets.moc"
