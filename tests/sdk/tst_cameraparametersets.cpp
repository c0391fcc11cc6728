// Parameter groups, parameter files and firmware upgrades: the camera-side memory users
// trust with their set-ups. This program uses its own camera list with two cameras of
// one model, so sharing groups by model can be told apart from sharing by serial number.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "CameraTestSupport.h"

using namespace cameratest;

namespace {

const char* const kTwinA = "TWIN-A";
const char* const kTwinB = "TWIN-B";
const char* const kOther = "OTHER-1";

// CRC-32 (IEEE) continued over data; crc is that of the bytes before, 0 for none.
void putUint32(QByteArray& data, int offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        data[offset + i] = char((value >> (8 * i)) & 0xFF);
}

uint32_t crc32Update(uint32_t crc, const char* data, qint64 size)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (qint64 i = 0; i < size; ++i)
        c = table[(c ^ static_cast<uint8_t>(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t crc32(const QByteArray& data)
{
    return crc32Update(0, data.constData(), data.size());
}

QString stateFolder()
{
    return qEnvironmentVariable("VEXOCAM_STATE_DIR");
}

// Peak resident memory of this process so far, KiB.
long peakMemoryKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The payload of a parameter file as a JSON object, and the file rebuilt around a new one.
QJsonObject payloadOf(const QByteArray& file)
{
    return QJsonDocument::fromJson(file.mid(44, file.size() - 48)).object();
}

QByteArray withPayload(const QByteArray& file, const QJsonObject& payload)
{
    const QByteArray json = QJsonDocument(payload).toJson(QJsonDocument::Compact);
    QByteArray out = file.left(44) + json + QByteArray(4, '\0');
    putUint32(out, 40, uint32_t(json.size()));
    putUint32(out, out.size() - 4, crc32(out.left(out.size() - 4)));
    return out;
}

// Name bytes of the camera's custom region as the descriptor shows them.
QByteArray regionName(int handle)
{
    VexoResolution region{};
    if (SdkGetResolutionDescriptor(handle, VEXO_SDK_CUSTOM_RESOLUTION, &region) != VEXO_SDK_OK)
        return "(no region)";
    return QByteArray(region.name, int(strnlen(region.name, sizeof region.name)));
}

int setRegion(int handle, const QByteArray& name, int offsetX)
{
    VexoResolution region{};
    SdkGetResolutionDescriptor(handle, 0, &region);
    region.index = VEXO_SDK_CUSTOM_RESOLUTION;
    std::memset(region.name, 0, sizeof region.name);
    std::memcpy(region.name, name.constData(), std::min(size_t(name.size()), sizeof region.name));
    region.offsetX = offsetX;
    region.offsetY = 0;
    region.regionWidth = region.outputWidth = 304;
    region.regionHeight = region.outputHeight = 208;
    return SdkSetRegionOfInterest(handle, &region);
}

int currentGroupOf(int handle)
{
    int group = -1;
    SdkGetCurrentParameterGroup(handle, &group);
    return group;
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

// Holds the library's upgrade thread in its progress report at holdAt percent until the
// test releases it, so a test can act mid-upgrade however slow the machine is.
struct HeldProgress : ProgressLog {
    int holdAt = 10;
    std::condition_variable released;
    bool free = false;
    static void report(int percent, void* context)
    {
        auto* self = static_cast<HeldProgress*>(context);
        record(percent, static_cast<ProgressLog*>(self));
        std::unique_lock<std::mutex> lock(self->mutex);
        if (percent >= self->holdAt)
            self->released.wait_for(lock, std::chrono::seconds(120), [self] { return self->free; });
    }
    void release()
    {
        std::lock_guard<std::mutex> lock(mutex);
        free = true;
        released.notify_all();
    }
};

bool isFifo(const QString& path)
{
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// Runs call on a thread of its own and waits for it up to 30 s: false when it took
// longer. A call stuck opening fifo is then freed by opening the FIFO's writing end (the
// reader sees end-of-file), so a regression fails the test instead of hanging the suite.
bool finishesPromptly(std::function<int()> call, const QString& fifo, int& result)
{
    std::packaged_task<int()> task(std::move(call));
    std::future<int> done = task.get_future();
    std::thread(std::move(task)).detach();
    const bool prompt = done.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    for (int i = 0;
         i < 600 && done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready;
         ++i) {
        const int fd =
            ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
    }
    if (done.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
        result = done.get();
    return prompt;
}

using Operation = std::function<int(int handle, const QByteArray& path)>;

}  // namespace

Q_DECLARE_METATYPE(Operation)

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
    void importTakesExposureAsTheSettersDo_data();
    void importTakesExposureAsTheSettersDo();
    void upgradeReportsProgressAndChangesTheVersion();
    void upgradeRefusesBadFiles_data();
    void upgradeRefusesBadFiles();
    void upgradeInterruptedByDetach();
    void upgradeFileSizes_data();
    void upgradeFileSizes();
    void groupsWorkForEveryNickname_data();
    void groupsWorkForEveryNickname();
    void groupsFiledByEarlierVersionsStillLoad();
    void damagedStoredGroup_data();
    void damagedStoredGroup();
    void groupChoiceThatCannotBeRecorded_data();
    void groupChoiceThatCannotBeRecorded();
    void regionNamesSurviveGroupsAndFiles_data();
    void regionNamesSurviveGroupsAndFiles();
    void exportKeepsPermissions_data();
    void exportKeepsPermissions();
    void writesRemoveTemporaryFilesOfKilledWriters();
    void exportNeverReplacesWhatIsNotAFile_data();
    void exportNeverReplacesWhatIsNotAFile();
    void fifosNeverHoldACall_data();
    void fifosNeverHoldACall();

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
    QCOMPARE(stored, mode);  // the mode persists per camera
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
    QTest::newRow("valid checksum, gain missing") << "missing gain" << int(VEXO_SDK_FILE_CORRUPT);
    QTest::newRow("valid checksum, focus missing") << "missing focus" << int(VEXO_SDK_FILE_CORRUPT);
    QTest::newRow("valid checksum, region without its width")
        << "missing width" << int(VEXO_SDK_FILE_CORRUPT);
    QTest::newRow("valid checksum, empty parameter set")
        << "empty set" << int(VEXO_SDK_FILE_CORRUPT);
    QTest::newRow("version 1 file without its exposure")
        << "old missing exposure" << int(VEXO_SDK_FILE_CORRUPT);
    QTest::newRow("17 MiB of something else") << "huge foreign" << int(VEXO_SDK_FILE_FOREIGN);
    QTest::newRow("parameter file padded to 17 MiB") << "huge padded" << int(VEXO_SDK_FILE_CORRUPT);
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
        QJsonObject object = payloadOf(bytes);
        QVERIFY(!object.isEmpty());
        object["gainMilli"] = 999999;
        bytes = withPayload(bytes, object);
    } else if (damage == "missing gain" || damage == "missing focus") {
        QJsonObject object = payloadOf(bytes);
        QVERIFY(object.contains("gainMilli") && object.contains("focusPosition"));
        object.remove(damage == "missing gain" ? "gainMilli" : "focusPosition");
        bytes = withPayload(bytes, object);
    } else if (damage == "missing width") {
        QJsonObject object = payloadOf(bytes);
        QJsonObject region = object["customRegion"].toObject();
        QVERIFY(region.contains("width"));
        region.remove("width");
        object["customRegion"] = region;
        bytes = withPayload(bytes, object);
    } else if (damage == "empty set") {
        bytes = withPayload(bytes, QJsonObject());
    } else if (damage == "old missing exposure") {
        QJsonObject object = payloadOf(bytes);
        for (const char* newer :
             {"crosshairs", "inputs", "outputs", "channelMask", "focusPosition", "exposureUs"})
            object.remove(newer);
        bytes[4] = 1;
        bytes = withPayload(bytes, object);
    } else if (damage == "huge foreign") {
        bytes = QByteArray(17 << 20, 'z');
    } else if (damage == "huge padded") {
        bytes.append(QByteArray(17 << 20, '\0'));
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
    QCOMPARE(SdkImportParameterFile(camera.handle, QFile::encodeName(path).constData()),
             VEXO_SDK_OK);
    QCOMPARE(gainOf(camera.handle), 3300);
}

void CameraParameterSetsTest::importTakesExposureAsTheSettersDo_data()
{
    // The twins' exposure runs from 1 to 100000 steps of 10 µs.
    QTest::addColumn<QString>("field");  // "exposureUs", or "range" for the automatic range
    QTest::addColumn<double>("low");     // the time, or the range's minimum
    QTest::addColumn<double>("high");    // the range's maximum
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("lowAfter");
    QTest::addColumn<double>("highAfter");
    QTest::newRow("time on a step") << "exposureUs" << 12340.0 << 0.0 << true << 12340.0 << 0.0;
    QTest::newRow("time between steps rounds down")
        << "exposureUs" << 12344.0 << 0.0 << true << 12340.0 << 0.0;
    QTest::newRow("time between steps rounds up")
        << "exposureUs" << 12346.0 << 0.0 << true << 12350.0 << 0.0;
    QTest::newRow("time just under the shortest becomes the shortest")
        << "exposureUs" << 9.99 << 0.0 << true << 10.0 << 0.0;
    QTest::newRow("time half a step under the shortest")
        << "exposureUs" << 4.9 << 0.0 << false << 0.0 << 0.0;
    QTest::newRow("time within half a step over the longest")
        << "exposureUs" << 1000004.0 << 0.0 << true << 1000000.0 << 0.0;
    QTest::newRow("time a thousandth over the longest")
        << "exposureUs" << 1000900.0 << 0.0 << false << 0.0 << 0.0;
    QTest::newRow("automatic range between steps")
        << "range" << 1234.5 << 56789.0 << true << 1230.0 << 56790.0;
    QTest::newRow("automatic range just under the shortest")
        << "range" << 9.99 << 20.0 << true << 10.0 << 20.0;
    QTest::newRow("automatic range past the longest")
        << "range" << 100.0 << 1000900.0 << false << 0.0 << 0.0;
    QTest::newRow("automatic range reversed before rounding")
        << "range" << 12344.0 << 12343.0 << false << 0.0 << 0.0;
}

void CameraParameterSetsTest::importTakesExposureAsTheSettersDo()
{
    QFETCH(QString, field);
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(bool, accepted);
    const QString good = exportFile(kTwinA, "exposure.bin");
    QFile source(good);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QJsonObject object = payloadOf(source.readAll());
    const bool range = field == "range";
    if (range) {
        object["autoExposureMinUs"] = low;
        object["autoExposureMaxUs"] = high;
    } else {
        object["exposureUs"] = low;
    }
    source.seek(0);
    const QString path = scratch.filePath("exposure-edited.bin");
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(withPayload(source.readAll(), object));
    out.close();

    OpenCamera camera(kTwinA);
    QCOMPARE(SdkLoadParameterGroup(camera.handle, VEXO_SDK_FACTORY_GROUP), VEXO_SDK_OK);
    VexoCameraParameters before{}, imported{}, set{};
    SdkGetCameraParameters(camera.handle, &before);
    const int result = SdkImportParameterFile(camera.handle, QFile::encodeName(path).constData());
    SdkGetCameraParameters(camera.handle, &imported);
    QCOMPARE(result, accepted ? int(VEXO_SDK_OK) : int(VEXO_SDK_FILE_CORRUPT));
    if (!accepted) {
        QCOMPARE(std::memcmp(&before, &imported, sizeof before), 0);
    } else if (range) {
        QTEST(imported.autoExposureMinTimeUs, "lowAfter");
        QTEST(imported.autoExposureMaxTimeUs, "highAfter");
    } else {
        QTEST(imported.exposureTimeUs, "lowAfter");
    }

    // The setter takes or refuses the same value and leaves the same time.
    QCOMPARE(SdkLoadParameterGroup(camera.handle, VEXO_SDK_FACTORY_GROUP), VEXO_SDK_OK);
    const int setResult = range ? SdkSetAutoExposureTimeRange(camera.handle, low, high)
                                : SdkSetExposureTime(camera.handle, low);
    QCOMPARE(setResult, accepted ? int(VEXO_SDK_OK) : int(VEXO_SDK_OUT_OF_RANGE));
    SdkGetCameraParameters(camera.handle, &set);
    if (accepted && range) {
        QCOMPARE(set.autoExposureMinTimeUs, imported.autoExposureMinTimeUs);
        QCOMPARE(set.autoExposureMaxTimeUs, imported.autoExposureMaxTimeUs);
    } else if (accepted) {
        QCOMPARE(set.exposureTimeUs, imported.exposureTimeUs);
    }
}

void CameraParameterSetsTest::upgradeReportsProgressAndChangesTheVersion()
{
    const QString file = scratch.filePath("good.upg");
    QCOMPARE(runSimulator({"make-upgrade", kOther, "2.1.0.7", file}), 0);
    ProgressLog log;
    {
        OpenCamera camera(kOther);
        QCOMPARE(SdkUpgradeFirmware(camera.handle, QFile::encodeName(file).constData(),
                                    &ProgressLog::record, &log),
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
    QVERIFY(std::find(log.threads.begin(), log.threads.end(), std::this_thread::get_id()) ==
            log.threads.end());
    VexoDeviceInfo info{};
    QVERIFY(enumerationIndex(kOther, &info) >= 0);
    QCOMPARE(info.firmwareVersion, uint16_t(0x2107));
    // Another process sees the new version.
    QByteArray listing;
    QCOMPARE(runSimulator({"list"}, &listing), 0);
    QVERIFY2(listing.contains(QByteArray(kOther) +
                              "\tVX-OTHER\tGigE\t320x240 colour\tattached\tclosed\tv2.1.0.7\t"),
             listing.constData());
}

void CameraParameterSetsTest::upgradeRefusesBadFiles_data()
{
    QTest::addColumn<QStringList>("make");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("expected");
    QTest::newRow("broken checksum")
        << QStringList{"make-upgrade", kOther, "3.0.0.0", "broken.upg", "broken"} << "broken.upg"
        << int(VEXO_SDK_NOT_MATCHING);
    QTest::newRow("firmware for another product")
        << QStringList{"make-upgrade", kTwinA, "3.0.0.0", "twin.upg"} << "twin.upg"
        << int(VEXO_SDK_NOT_MATCHING);
    QTest::newRow("not an upgrade file")
        << QStringList() << "cameras.json" << int(VEXO_SDK_NOT_MATCHING);
    QTest::newRow("no such file") << QStringList() << "nothing-here.upg"
                                  << int(VEXO_SDK_WRONG_PATH);
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
    QCOMPARE(
        SdkUpgradeFirmware(camera.handle, QFile::encodeName(scratch.filePath(path)).constData(),
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
    HeldProgress log;
    int result = 1;
    std::thread worker([&] {
        result = SdkUpgradeFirmware(camera.handle, QFile::encodeName(file).constData(),
                                    &HeldProgress::report, &log);
    });
    QTRY_VERIFY_WITH_TIMEOUT(log.last() >= 10, 60000);
    const int detached = runSimulator({"detach", kTwinB});
    log.release();
    worker.join();
    QCOMPARE(detached, 0);
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

void CameraParameterSetsTest::upgradeFileSizes_data()
{
    QTest::addColumn<qint64>("imageBytes");
    QTest::addColumn<QByteArray>("magic");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<int>("expected");
    const qint64 mebibyte = 1 << 20;
    QTest::newRow("20 MiB image") << 20 * mebibyte << QByteArray("VXUP") << QByteArray("5.1.2.3")
                                  << int(VEXO_SDK_OK);
    QTest::newRow("largest image, 64 MiB")
        << 64 * mebibyte << QByteArray("VXUP") << QByteArray("6.4.0.0") << int(VEXO_SDK_OK);
    QTest::newRow("one byte past 64 MiB") << 64 * mebibyte + 1 << QByteArray("VXUP")
                                          << QByteArray("7.0.0.1") << int(VEXO_SDK_NOT_MATCHING);
    QTest::newRow("empty image") << qint64(0) << QByteArray("VXUP") << QByteArray("7.0.0.2")
                                 << int(VEXO_SDK_NOT_MATCHING);
    QTest::newRow("100 MiB of something else")
        << 100 * mebibyte << QByteArray("ZZZZ") << QByteArray("7.0.0.3")
        << int(VEXO_SDK_NOT_MATCHING);
}

void CameraParameterSetsTest::upgradeFileSizes()
{
    QFETCH(qint64, imageBytes);
    QFETCH(QByteArray, magic);
    QFETCH(QByteArray, version);
    QFETCH(int, expected);
    // Header, an image of zeros (a sparse file, so the test costs no disk) and the CRC.
    const QList<QByteArray> parts = version.split('.');
    const uint16_t word = uint16_t(parts[0].toInt() << 12 | parts[1].toInt() << 8 |
                                   parts[2].toInt() << 4 | parts[3].toInt());
    QByteArray header = magic + QByteArray("\x01\x00", 2) + QByteArray(2, '\0') +
                        QByteArray(32, '\0') + QByteArray(4, '\0');
    header[6] = char(word & 0xFF);
    header[7] = char(word >> 8);
    header.replace(8, 8, "VX-OTHER");
    putUint32(header, 40, uint32_t(imageBytes));
    uint32_t crc = crc32(header);
    const QByteArray zeros(1 << 20, '\0');
    for (qint64 done = 0; magic == "VXUP" && done < imageBytes; done += zeros.size())
        crc =
            crc32Update(crc, zeros.constData(), std::min<qint64>(zeros.size(), imageBytes - done));
    const QString path = scratch.filePath("sized.upg");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(header), qint64(header.size()));
    QVERIFY(file.resize(header.size() + imageBytes));
    QVERIFY(file.seek(header.size() + imageBytes));
    QByteArray trailer(4, '\0');
    putUint32(trailer, 0, crc);
    QCOMPARE(file.write(trailer), qint64(4));
    file.close();

    OpenCamera camera(kOther);
    char before[VEXO_SDK_TEXT_BUFFER_SIZE] = {}, after[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
    SdkGetFirmwareVersion(camera.handle, before);
    const long peakBefore = peakMemoryKiB();
    QCOMPARE(
        SdkUpgradeFirmware(camera.handle, QFile::encodeName(path).constData(), nullptr, nullptr),
        expected);
    // The file is checked as it is read: it never sits in memory whole.
    QVERIFY2(peakMemoryKiB() - peakBefore < 16 * 1024,
             qPrintable(QString("peak memory grew by %1 KiB").arg(peakMemoryKiB() - peakBefore)));
    SdkGetFirmwareVersion(camera.handle, after);
    QCOMPARE(QByteArray(after), expected == VEXO_SDK_OK ? "v" + version : QByteArray(before));
    QFile::remove(path);
}

void CameraParameterSetsTest::groupsWorkForEveryNickname_data()
{
    QTest::addColumn<QByteArray>("nickname");
    QTest::addColumn<QString>("plainFile");  // the file short keys have always had
    QTest::newRow("short name") << QByteArray("line 3") << "nickname-line%203.json";
    QTest::newRow("longest ASCII name")
        << QByteArray(VEXO_SDK_NICKNAME_MAX_LENGTH, 'n')
        << "nickname-" + QString(VEXO_SDK_NICKNAME_MAX_LENGTH, 'n') + ".json";
    QTest::newRow("long Chinese name") << QString(42, QChar(0x68C0)).toUtf8() << QString();
    QTest::newRow("long accented name") << QString(63, QChar(0xE9)).toUtf8() << QString();
    QTest::newRow("path characters")
        << QByteArray("../x/y:*?") << "nickname-%2e%2e%2fx%2fy%3a%2a%3f.json";
    QTest::newRow("empty name") << QByteArray() << "nickname-.json";
}

void CameraParameterSetsTest::groupsWorkForEveryNickname()
{
    QFETCH(QByteArray, nickname);
    QFETCH(QString, plainFile);
    QVERIFY(nickname.size() <= VEXO_SDK_NICKNAME_MAX_LENGTH);
    const int gain = 3000 + nickname.size();
    {
        OpenCamera camera(kTwinA);
        QCOMPARE(SdkSetDeviceNickname(camera.handle, nickname.constData()), VEXO_SDK_OK);
        QCOMPARE(SdkSetParameterLoadMode(camera.handle, 1), VEXO_SDK_OK);
        QCOMPARE(SdkSetAnalogGain(camera.handle, gain), VEXO_SDK_OK);
        QCOMPARE(SdkSaveParameterGroup(camera.handle, 2), VEXO_SDK_OK);
        QCOMPARE(SdkSetAnalogGain(camera.handle, 1000), VEXO_SDK_OK);
        QCOMPARE(SdkLoadParameterGroup(camera.handle, 2), VEXO_SDK_OK);
        QCOMPARE(gainOf(camera.handle), gain);
        if (!plainFile.isEmpty())
            QVERIFY2(QFile::exists(stateFolder() + "/groups/" + plainFile), qPrintable(plainFile));
    }
    OpenCamera reopened(kTwinA);
    QCOMPARE(gainOf(reopened.handle), gain);
    QCOMPARE(currentGroupOf(reopened.handle), 2);
    // The twin under the same nickname shares the group; the key, not a file name, decides.
    OpenCamera twin(kTwinB);
    QCOMPARE(SdkSetDeviceNickname(twin.handle, nickname.constData()), VEXO_SDK_OK);
    QCOMPARE(SdkSetParameterLoadMode(twin.handle, 1), VEXO_SDK_OK);
    QCOMPARE(SdkLoadParameterGroup(twin.handle, 2), VEXO_SDK_OK);
    QCOMPARE(gainOf(twin.handle), gain);
}

void CameraParameterSetsTest::groupsFiledByEarlierVersionsStillLoad()
{
    // A key whose escaped file name (214 bytes) earlier versions could still write.
    const QByteArray nickname = QByteArray(20, 'a') + QString(30, QChar(0xE9)).toUtf8();
    const QString legacy = stateFolder() + "/groups/nickname-" + QString(20, 'a') +
                           QString("%c3%a9").repeated(30) + ".json";
    OpenCamera camera(kTwinA);
    QCOMPARE(SdkSetParameterLoadMode(camera.handle, 1), VEXO_SDK_OK);
    QCOMPARE(SdkSetDeviceNickname(camera.handle, "donor"), VEXO_SDK_OK);
    QCOMPARE(SdkSetAnalogGain(camera.handle, 2345), VEXO_SDK_OK);
    QCOMPARE(SdkSaveParameterGroup(camera.handle, 0), VEXO_SDK_OK);
    const QString donor = stateFolder() + "/groups/nickname-donor.json";
    QVERIFY(QFile::exists(donor));
    QVERIFY(QFile::rename(donor, legacy));

    QCOMPARE(SdkSetDeviceNickname(camera.handle, nickname.constData()), VEXO_SDK_OK);
    QCOMPARE(SdkSetAnalogGain(camera.handle, 1000), VEXO_SDK_OK);
    QCOMPARE(SdkLoadParameterGroup(camera.handle, 0), VEXO_SDK_OK);
    QCOMPARE(gainOf(camera.handle), 2345);
    // Saving another group keeps the one filed before.
    QCOMPARE(SdkSetAnalogGain(camera.handle, 1500), VEXO_SDK_OK);
    QCOMPARE(SdkSaveParameterGroup(camera.handle, 3), VEXO_SDK_OK);
    QCOMPARE(SdkLoadParameterGroup(camera.handle, 0), VEXO_SDK_OK);
    QCOMPARE(gainOf(camera.handle), 2345);
    QCOMPARE(SdkLoadParameterGroup(camera.handle, 3), VEXO_SDK_OK);
    QCOMPARE(gainOf(camera.handle), 1500);
}

void CameraParameterSetsTest::damagedStoredGroup_data()
{
    QTest::addColumn<QString>("removed");
    QTest::addColumn<int>("expected");
    QTest::newRow("gain missing") << "gainMilli" << int(VEXO_SDK_FILE_CORRUPT);
    QTest::newRow("region missing") << "customRegion" << int(VEXO_SDK_FILE_CORRUPT);
    QTest::newRow("crosshairs missing, as in older sets") << "crosshairs" << int(VEXO_SDK_OK);
}

void CameraParameterSetsTest::damagedStoredGroup()
{
    QFETCH(QString, removed);
    QFETCH(int, expected);
    OpenCamera camera(kOther);
    QCOMPARE(SdkSetParameterLoadMode(camera.handle, 0), VEXO_SDK_OK);
    QCOMPARE(SdkSetAnalogGain(camera.handle, 4400), VEXO_SDK_OK);
    QCOMPARE(SdkSaveParameterGroup(camera.handle, 1), VEXO_SDK_OK);
    QFile file(stateFolder() + "/groups/model-VX-OTHER.json");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QJsonObject groups = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    QJsonObject group = groups["1"].toObject();
    QVERIFY(group.contains(removed));
    group.remove(removed);
    groups["1"] = group;
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(groups).toJson());
    file.close();

    QCOMPARE(SdkSetAnalogGain(camera.handle, 1300), VEXO_SDK_OK);
    QCOMPARE(SdkLoadParameterGroup(camera.handle, 1), expected);
    QCOMPARE(gainOf(camera.handle), expected == VEXO_SDK_OK ? 4400 : 1300);
}

void CameraParameterSetsTest::groupChoiceThatCannotBeRecorded_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("save into another group") << true;
    QTest::newRow("load a saved group") << false;
}

void CameraParameterSetsTest::groupChoiceThatCannotBeRecorded()
{
    QFETCH(bool, save);
    const QString record = stateFolder() + "/cameras/" + kTwinA + ".json";
    {
        OpenCamera camera(kTwinA);
        QCOMPARE(SdkSetParameterLoadMode(camera.handle, 2), VEXO_SDK_OK);
        QCOMPARE(SdkSetAnalogGain(camera.handle, 2100), VEXO_SDK_OK);
        QCOMPARE(SdkSaveParameterGroup(camera.handle, 1), VEXO_SDK_OK);
        QCOMPARE(SdkSetAnalogGain(camera.handle, 2900), VEXO_SDK_OK);

        // A folder where the camera's record belongs: the record cannot be replaced.
        QVERIFY(QFile::remove(record));
        QVERIFY(QDir().mkpath(record + "/blocked"));
        if (save) {
            QCOMPARE(SdkSaveParameterGroup(camera.handle, 3), VEXO_SDK_FAILED);
        } else {
            QCOMPARE(SdkLoadParameterGroup(camera.handle, 1), VEXO_SDK_FAILED);
            QCOMPARE(gainOf(camera.handle), 2900);
        }
        QCOMPARE(currentGroupOf(camera.handle), 1);
        QVERIFY(QDir(record).removeRecursively());

        // Nothing was stored by the failed save; the earlier group is intact.
        QCOMPARE(SdkSetParameterLoadMode(camera.handle, 2), VEXO_SDK_OK);
        QCOMPARE(SdkLoadParameterGroup(camera.handle, 3), VEXO_SDK_EMPTY_GROUP);
        QCOMPARE(SdkLoadParameterGroup(camera.handle, 1), VEXO_SDK_OK);
        QCOMPARE(gainOf(camera.handle), 2100);
    }
    OpenCamera reopened(kTwinA);
    QCOMPARE(currentGroupOf(reopened.handle), 1);
    QCOMPARE(gainOf(reopened.handle), 2100);
}

void CameraParameterSetsTest::regionNamesSurviveGroupsAndFiles_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>(
        "shown");  // what the descriptor shows: the name set, up to the field's 48 bytes
    QTest::newRow("48 bytes without a terminator") << QByteArray(48, 'R') << QByteArray(48, 'R');
    QTest::newRow("47 bytes and a terminator") << QByteArray(47, 'r') << QByteArray(47, 'r');
    QTest::newRow("Latin-1 bytes") << QByteArray(
                                          "Zone \xe9t\xe9 \xb0"
                                          "C")
                                   << QByteArray(
                                          "Zone \xe9t\xe9 \xb0"
                                          "C");
    QTest::newRow("UTF-8 text") << QString::fromUtf8("区域 1").toUtf8()
                                << QString::fromUtf8("区域 1").toUtf8();
    QTest::newRow("no name") << QByteArray() << QByteArray("Custom");
}

void CameraParameterSetsTest::regionNamesSurviveGroupsAndFiles()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, shown);
    const QByteArray file = QFile::encodeName(scratch.filePath("region.bin"));
    {
        OpenCamera camera(kTwinA);
        QCOMPARE(SdkSetParameterLoadMode(camera.handle, 0), VEXO_SDK_OK);
        QCOMPARE(setRegion(camera.handle, name, 16), VEXO_SDK_OK);
        QCOMPARE(regionName(camera.handle), shown);
        QCOMPARE(SdkSaveParameterGroup(camera.handle, 0), VEXO_SDK_OK);
        QCOMPARE(SdkExportParameterFile(camera.handle, file.constData()), VEXO_SDK_OK);

        QCOMPARE(setRegion(camera.handle, "other", 32), VEXO_SDK_OK);
        QCOMPARE(SdkLoadParameterGroup(camera.handle, 0), VEXO_SDK_OK);
        QCOMPARE(regionName(camera.handle), shown);
        QCOMPARE(setRegion(camera.handle, "other", 32), VEXO_SDK_OK);
        QCOMPARE(SdkImportParameterFile(camera.handle, file.constData()), VEXO_SDK_OK);
        QCOMPARE(regionName(camera.handle), shown);
    }
    // The camera starts with the saved group, region and all.
    OpenCamera reopened(kTwinA);
    QCOMPARE(currentGroupOf(reopened.handle), 0);
    int index = -1;
    QCOMPARE(SdkGetResolutionIndex(reopened.handle, &index), VEXO_SDK_OK);
    QCOMPARE(index, VEXO_SDK_CUSTOM_RESOLUTION);
    QCOMPARE(regionName(reopened.handle), shown);
}

void CameraParameterSetsTest::exportKeepsPermissions_data()
{
    QTest::addColumn<int>("existingMode");  // -1: no file yet
    QTest::addColumn<int>("expectedMode");  // -1: what a new file gets under the umask
    QTest::addColumn<int>("expected");
    QTest::newRow("new file") << -1 << -1 << int(VEXO_SDK_OK);
    QTest::newRow("readable by all") << 0644 << 0644 << int(VEXO_SDK_OK);
    QTest::newRow("writable by the group") << 0664 << 0664 << int(VEXO_SDK_OK);
    QTest::newRow("private") << 0600 << 0600 << int(VEXO_SDK_OK);
    QTest::newRow("read-only") << 0444 << 0444 << int(VEXO_SDK_FAILED);
}

void CameraParameterSetsTest::exportKeepsPermissions()
{
    QFETCH(int, existingMode);
    QFETCH(int, expectedMode);
    QFETCH(int, expected);
    if (existingMode == 0444 && ::geteuid() == 0)
        QSKIP("the superuser may write any file");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (expectedMode < 0)
        expectedMode = int(0666 & ~mask);
    const QString path = scratch.filePath("permissions.bin");
    QFile::remove(path);
    if (existingMode >= 0) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old content");
        old.close();
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(existingMode)), 0);
    }
    OpenCamera camera(kTwinA);
    QCOMPARE(SdkExportParameterFile(camera.handle, QFile::encodeName(path).constData()), expected);
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), expectedMode);
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.read(4), expected == VEXO_SDK_OK ? QByteArray("VXPF") : QByteArray("old "));
    written.close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(path);
}

void CameraParameterSetsTest::writesRemoveTemporaryFilesOfKilledWriters()
{
    // The process id of a writer that is gone: a program that has ended.
    QProcess ended;
    ended.start(simulatorProgram(), {"folders"});
    QVERIFY(ended.waitForStarted(30000));
    const QString dead = QString::number(ended.processId());
    QVERIFY(ended.waitForFinished(30000));
    const QString self = QString::number(::getpid());
    const QString parent = QString::number(::getppid());

    const QString folder = scratch.filePath("temporaries");
    QVERIFY(QDir().mkpath(folder));
    const QStringList stale{".M_Cfg_A.bin.vxtmp-" + dead + "-0", ".other.bin.vxtmp-" + dead + "-7",
                            "M_Cfg_A.bin.tmp." + dead + ".2"};
    // Writes under way in live processes, and the user's own files that merely look alike.
    const QStringList kept{".M_Cfg_A.bin.vxtmp-" + self + "-0",
                           ".M_Cfg_A.bin.vxtmp-" + parent + "-1", "notes.vxtmp-" + dead + "-0",
                           "other.bin.tmp." + dead + ".1", "M_Cfg_A.bin.tmp." + dead};
    for (const QString& name : stale + kept) {
        QFile file(folder + "/" + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString stateStale = stateFolder() + "/cameras/." + kOther + ".json.vxtmp-" + dead + "-3";
    {
        QFile file(stateStale);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    OpenCamera camera(kOther);
    QCOMPARE(SdkExportParameterFile(camera.handle,
                                    QFile::encodeName(folder + "/M_Cfg_A.bin").constData()),
             VEXO_SDK_OK);
    QStringList expected = kept;
    expected << "M_Cfg_A.bin";
    expected.sort();
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    QCOMPARE(SdkSetDeviceNickname(camera.handle, "tidy"), VEXO_SDK_OK);
    QVERIFY(!QFile::exists(stateStale));
}

void CameraParameterSetsTest::exportNeverReplacesWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("a FIFO") << "fifo";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("a symbolic link to a FIFO") << "link to fifo";
    QTest::newRow("a symbolic link to a folder") << "link to folder";
}

void CameraParameterSetsTest::exportNeverReplacesWhatIsNotAFile()
{
    QFETCH(QString, what);
    QTemporaryDir dir;
    const QString path = dir.filePath("M_Cfg_A.bin");
    const QString target = what.startsWith("link") ? dir.filePath("target") : path;
    if (what.endsWith("fifo"))
        QCOMPARE(mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    else
        QVERIFY(QDir().mkdir(target));
    if (what.startsWith("link"))
        QVERIFY(QFile::link(target, path));
    const QStringList before =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden);

    OpenCamera camera(kTwinA);
    QCOMPARE(SdkExportParameterFile(camera.handle, QFile::encodeName(path).constData()),
             VEXO_SDK_WRONG_PATH);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden), before);
    QVERIFY(what.endsWith("fifo") ? isFifo(target) : QFileInfo(target).isDir());
    if (what.startsWith("link"))
        QVERIFY(QFileInfo(path).isSymLink());
}

void CameraParameterSetsTest::fifosNeverHoldACall_data()
{
    QTest::addColumn<QString>("fifo");  // relative to the state folder, or "scratch/..."
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("expected");
    const QString group = "groups/model-VX-OTHER.json";
    const QString record = QString("cameras/%1.json").arg(kOther);
    QTest::newRow("stored group, load")
        << group << Operation([](int h, const QByteArray&) { return SdkLoadParameterGroup(h, 2); })
        << int(VEXO_SDK_EMPTY_GROUP);
    QTest::newRow("stored group, save")
        << group << Operation([](int h, const QByteArray&) { return SdkSaveParameterGroup(h, 2); })
        << int(VEXO_SDK_FAILED);
    QTest::newRow("camera record, nickname") << record << Operation([](int h, const QByteArray&) {
        return SdkSetDeviceNickname(h, "piped");
    }) << int(VEXO_SDK_FAILED);
    QTest::newRow("camera record, load factory group")
        << record << Operation([](int h, const QByteArray&) {
               return SdkLoadParameterGroup(h, VEXO_SDK_FACTORY_GROUP);
           })
        << int(VEXO_SDK_FAILED);
    QTest::newRow("upgrade file") << "scratch/pipe.upg"
                                  << Operation([](int h, const QByteArray& path) {
                                         return SdkUpgradeFirmware(h, path.constData(), nullptr,
                                                                   nullptr);
                                     })
                                  << int(VEXO_SDK_WRONG_PATH);
    QTest::newRow("parameter file to import")
        << "scratch/pipe.bin" << Operation([](int h, const QByteArray& path) {
               return SdkImportParameterFile(h, path.constData());
           })
        << int(VEXO_SDK_WRONG_PATH);
}

void CameraParameterSetsTest::fifosNeverHoldACall()
{
    QFETCH(QString, fifo);
    QFETCH(Operation, operation);
    QFETCH(int, expected);
    OpenCamera camera(kOther);
    QCOMPARE(camera.result, VEXO_SDK_OK);
    // The group file and the camera record exist before they are swapped for FIFOs.
    QCOMPARE(SdkSetParameterLoadMode(camera.handle, 0), VEXO_SDK_OK);
    QCOMPARE(SdkSaveParameterGroup(camera.handle, 2), VEXO_SDK_OK);
    const QString path =
        fifo.startsWith("scratch/") ? scratch.filePath(fifo.mid(8)) : stateFolder() + "/" + fifo;
    QFile::remove(path);
    QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);

    int result = 1;
    const int handle = camera.handle;
    const QByteArray name = QFile::encodeName(path);
    const bool prompt = finishesPromptly([=] { return operation(handle, name); }, path, result);
    const bool stillFifo = isFifo(path);
    QFile::remove(path);
    QVERIFY2(prompt, "the call waited for a writer of the FIFO");
    QCOMPARE(result, expected);
    QVERIFY(stillFifo);
}

QTEST_GUILESS_MAIN(CameraParameterSetsTest)
#include "tst_cameraparametersets.moc"
