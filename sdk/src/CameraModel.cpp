#include "CameraModel.h"

#include <cstdio>

#include "DottedNumbers.h"
#include "Imaging.h"
#include "VexoCameraApi.h"

namespace vexo::sdk {

namespace {

std::string sizeName(int width, int height, const char* suffix)
{
    return std::to_string(width) + "X" + std::to_string(height) + suffix;
}

ResolutionPreset centred(const CameraModel& m, int width, int height)
{
    ResolutionPreset p;
    p.name = sizeName(width, height, " ROI");
    p.offsetX = ((m.sensorWidth - width) / 2) & ~1;
    p.offsetY = ((m.sensorHeight - height) / 2) & ~1;
    p.regionWidth = p.outputWidth = width;
    p.regionHeight = p.outputHeight = height;
    return p;
}

// Full sensor, a binned half-size frame and a few centred regions that fit.
std::vector<ResolutionPreset> standardPresets(const CameraModel& m)
{
    std::vector<ResolutionPreset> presets;
    ResolutionPreset full;
    full.name = sizeName(m.sensorWidth, m.sensorHeight, "");
    full.regionWidth = full.outputWidth = m.sensorWidth;
    full.regionHeight = full.outputHeight = m.sensorHeight;
    presets.push_back(full);
    const int regions[][2] = {{1920, 1080}, {1280, 720}, {640, 480}};
    for (const auto& r : regions)
        if (r[0] < m.sensorWidth && r[1] < m.sensorHeight)
            presets.push_back(centred(m, r[0], r[1]));
    if (m.sensorWidth >= 640) {
        ResolutionPreset binned = full;
        binned.outputWidth = m.sensorWidth / 2;
        binned.outputHeight = m.sensorHeight / 2;
        binned.name = sizeName(binned.outputWidth, binned.outputHeight, " BIN2");
        presets.push_back(binned);
    }
    return presets;
}

}  // namespace

int checkRegion(const CameraModel& m, const ResolutionPreset& r)
{
    if (r.regionWidth <= 0 || r.regionHeight <= 0 || r.outputWidth <= 0 || r.outputHeight <= 0)
        return VEXO_SDK_INVALID_ARGUMENT;
    const bool sameSize = r.outputWidth == r.regionWidth && r.outputHeight == r.regionHeight;
    const bool binned = static_cast<long long>(r.outputWidth) * 2 == r.regionWidth &&
                        static_cast<long long>(r.outputHeight) * 2 == r.regionHeight;
    if (!sameSize && !binned)
        return VEXO_SDK_INVALID_ARGUMENT;
    if (r.offsetX < 0 || r.offsetY < 0 ||
        static_cast<long long>(r.offsetX) + r.regionWidth > m.sensorWidth ||
        static_cast<long long>(r.offsetY) + r.regionHeight > m.sensorHeight)
        return VEXO_SDK_OUT_OF_RANGE;
    if (r.regionWidth < 16 || r.regionHeight < 16)
        return VEXO_SDK_OUT_OF_RANGE;
    return VEXO_SDK_OK;
}

bool isUtf8(const std::string& text)
{
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        uint32_t point = c;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            point = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            point = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            point = c & 0x07;
        } else if (c >= 0x80) {
            return false;  // continuation byte, overlong lead byte or past U+10FFFF
        }
        if (text.size() - i <= extra)
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            point = point << 6 | (next & 0x3F);
        }
        const bool overlong = (extra == 2 && point < 0x800) || (extra == 3 && point < 0x10000);
        if (overlong || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF)
            return false;
        i += extra + 1;
    }
    return true;
}

bool isValidIdentifier(const std::string& identifier)
{
    if (identifier.empty() || identifier.size() > VEXO_SDK_IDENTIFIER_MAX_LENGTH)
        return false;
    if (identifier[0] == '.')
        return false;
    for (char c : identifier) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        if (!ok)
            return false;
    }
    return true;
}

std::string firmwareVersionText(uint16_t version)
{
    char text[32];
    std::snprintf(text, sizeof text, "v%d.%d.%d.%d", (version >> 12) & 0xF, (version >> 8) & 0xF,
                  (version >> 4) & 0xF, version & 0xF);
    return text;
}

bool parseFirmwareVersion(const std::string& text, uint16_t& version)
{
    const size_t start = (!text.empty() && (text[0] == 'v' || text[0] == 'V')) ? 1 : 0;
    std::array<unsigned, 4> parts{};
    if (!parseDottedNumbers(text, start, std::string::npos, 15, parts))
        return false;
    version = static_cast<uint16_t>(parts[0] << 12 | parts[1] << 8 | parts[2] << 4 | parts[3]);
    return true;
}

std::string completeCameraModel(CameraModel& m)
{
    if (!isValidIdentifier(m.identifier))
        return "identifier \"" + m.identifier + "\" must be 1 to 35 characters of A-Z, a-z, 0-9, '.', '_', '-'";
    if (m.sensorWidth < 64 || m.sensorHeight < 64 || m.sensorWidth > 8192 || m.sensorHeight > 8192)
        return m.identifier + ": sensor size must be 64 .. 8192 pixels";
    if (m.sensorWidth % 2 || m.sensorHeight % 2)
        return m.identifier + ": sensor size must be even";
    // A camera slower than this would take minutes per frame at its low speed, and a rate
    // near zero made the frame period overflow the clock, so such a camera free-ran.
    if (!(m.maxFramesPerSecond >= kSlowestFramesPerSecond && m.maxFramesPerSecond <= 2000))
        return m.identifier + ": maxFramesPerSecond must be 0.1 .. 2000";
    if (!(m.exposureStepUs > 0 && m.exposureStepUs <= 1e6) || m.exposureMinSteps < 1 ||
        m.exposureMaxSteps < m.exposureMinSteps)
        return m.identifier + ": exposure step (at most one second) and range are inconsistent";
    // Frame records carry the exposure in whole microseconds of 32 bits.
    if (m.exposureMaxSteps * m.exposureStepUs > kLongestExposureUs)
        return m.identifier +
               ": the longest exposure (exposureMaxSteps x exposureStepUs) must be at most " +
               std::to_string(kLongestExposureUs) + " us";
    if (m.gainMinMilli < 1 || m.gainMaxMilli < m.gainMinMilli)
        return m.identifier + ": gain range is inconsistent";
    if (m.inputLines < 0 || m.inputLines > 8 || m.outputLines < 0 || m.outputLines > 8)
        return m.identifier + ": 0 to 8 input and output lines";
    if (m.channelCount < 1 || m.channelCount > 8)
        return m.identifier + ": 1 to 8 illumination channels";
    if (m.focusDrive && (m.focusMax <= m.focusMin || m.focusDefault < m.focusMin || m.focusDefault > m.focusMax))
        return m.identifier + ": focus range is inconsistent";
    // The simulated lens measures defocus against max - min, an int.
    if (m.focusDrive && static_cast<long long>(m.focusMax) - m.focusMin > INT32_MAX)
        return m.identifier + ": focus range (max - min) must be at most 2147483647";
    const size_t fieldLimit = 31;
    for (const std::string* text : {&m.productSeries, &m.productName, &m.edition, &m.sensorText})
        if (text->size() > fieldLimit)
            return m.identifier + ": texts are limited to 31 bytes";
    if (m.interfaceText.size() > 35 || m.nickname.size() > VEXO_SDK_NICKNAME_MAX_LENGTH)
        return m.identifier + ": interface text or nickname too long";

    if (m.resolutions.empty())
        m.resolutions = standardPresets(m);
    for (const auto& preset : m.resolutions) {
        if (checkRegion(m, preset) != VEXO_SDK_OK)
            return m.identifier + ": resolution \"" + preset.name +
                   "\" must lie on the sensor, be at least 16 pixels each way and bin 1 or 2";
        if (preset.name.size() > sizeof(VexoResolution::name))
            return m.identifier + ": resolution names are limited to 48 bytes";
    }
    if (m.bitDepth != 8 && m.bitDepth != 10 && m.bitDepth != 12 && m.bitDepth != 16)
        return m.identifier + ": bitDepth must be 8, 10, 12 or 16";
    m.imageFormats.clear();
    const std::string depth = std::to_string(m.bitDepth);
    const bool deep = m.bitDepth > 8;
    if (m.colorSensor) {
        if (deep)
            m.imageFormats.push_back(
                {"BayerRG" + depth,
                 imaging::rawPixelFormat(imaging::RawLayout::BayerRG8, m.bitDepth)});
        m.imageFormats.push_back({"BayerRG8", VEXO_SDK_PIXEL_BAYER_RG8});
    }
    if (deep)
        m.imageFormats.push_back(
            {"Mono" + depth, imaging::rawPixelFormat(imaging::RawLayout::Mono8, m.bitDepth)});
    m.imageFormats.push_back({"Mono8", VEXO_SDK_PIXEL_MONO8});
    if (deep && m.colorSensor)
        std::swap(m.imageFormats[1], m.imageFormats[2]);  // both deep formats first

    if (m.isGigE()) {
        if (m.ipAddress.empty()) {
            m.ipAddress = "192.168.1." + std::to_string(100 + m.sceneSeed % 100);
            m.subnetMask = "255.255.255.0";
            m.gateway = "192.168.1.1";
        }
        bool macSet = false;
        for (uint8_t b : m.macAddress)
            macSet = macSet || b != 0;
        if (!macSet) {
            const uint8_t mac[6] = {0x00, 0x0A, 0x1B, static_cast<uint8_t>(m.sceneSeed >> 16),
                                    static_cast<uint8_t>(m.sceneSeed >> 8),
                                    static_cast<uint8_t>(m.sceneSeed)};
            std::copy(mac, mac + 6, m.macAddress);
        }
    }
    if (m.nickname.empty())
        m.nickname = m.productName;
    return {};
}

std::vector<CameraModel> defaultCameraModels()
{
    std::vector<CameraModel> models;

    CameraModel a;
    a.identifier = "VXG2301C0001";
    a.productSeries = "VX-G Series";
    a.productName = "VX-G230C";
    a.nickname = "GigE 1080p colour";
    a.edition = "2.4.1";
    a.sensorText = "CMOS 1/1.2\" 2.3MP GS";
    a.interfaceText = "GigE";
    a.firmwareVersion = 0x1203;
    a.deviceTypeCode = 0x2301;
    a.sensorWidth = 1920;
    a.sensorHeight = 1080;
    a.colorSensor = true;
    a.maxFramesPerSecond = 60;
    a.exposureStepUs = 14.8;
    a.exposureMinSteps = 2;
    a.exposureMaxSteps = 67567;   // about one second
    a.gainMinMilli = 1000;
    a.gainMaxMilli = 16000;
    a.inputLines = 1;
    a.outputLines = 2;
    a.sceneSeed = 0x012301;
    a.ipAddress = "192.168.1.101";
    a.subnetMask = "255.255.255.0";
    a.gateway = "192.168.1.1";
    models.push_back(a);

    CameraModel b;
    b.identifier = "VXG5002M0001";
    b.productSeries = "VX-G Series";
    b.productName = "VX-G500M";
    b.nickname = "GigE 5MP mono";
    b.edition = "2.4.1";
    b.sensorText = "CMOS 1/2.5\" 5MP RS";
    b.interfaceText = "GigE";
    b.firmwareVersion = 0x1105;
    b.deviceTypeCode = 0x5002;
    b.sensorWidth = 2592;
    b.sensorHeight = 1944;
    b.colorSensor = false;
    b.maxFramesPerSecond = 22;
    b.exposureStepUs = 36.2;
    b.exposureMinSteps = 1;
    b.exposureMaxSteps = 55248;
    b.gainMinMilli = 1000;
    b.gainMaxMilli = 12000;
    b.inputLines = 1;
    b.outputLines = 1;
    b.sceneSeed = 0x025002;
    b.ipAddress = "192.168.1.102";
    b.subnetMask = "255.255.255.0";
    b.gateway = "192.168.1.1";
    models.push_back(b);

    CameraModel c;
    c.identifier = "VXU1301C0001";
    c.productSeries = "VX-U Series";
    c.productName = "VX-U130C";
    c.nickname = "USB focus 4-channel";
    c.edition = "3.1.0";
    c.sensorText = "CMOS 1/2\" 1.3MP GS";
    c.interfaceText = "USB3.0";
    c.firmwareVersion = 0x2010;
    c.deviceTypeCode = 0x1301;
    c.sensorWidth = 1280;
    c.sensorHeight = 1024;
    c.colorSensor = true;
    c.maxFramesPerSecond = 90;
    c.exposureStepUs = 10.5;
    c.exposureMinSteps = 2;
    c.exposureMaxSteps = 95238;
    c.gainMinMilli = 1000;
    c.gainMaxMilli = 24000;
    c.inputLines = 2;
    c.outputLines = 2;
    c.channelCount = 4;
    c.focusDrive = true;
    c.focusMin = 0;
    c.focusMax = 1000;
    c.focusDefault = 420;
    c.sceneSeed = 0x031301;
    models.push_back(c);

    CameraModel d;
    d.identifier = "VXU0302C0001";
    d.productSeries = "VX-U Series";
    d.productName = "VX-U03HS";
    d.nickname = "USB high-speed VGA";
    d.edition = "3.1.0";
    d.sensorText = "CMOS 1/4\" VGA GS";
    d.interfaceText = "USB3.0";
    d.firmwareVersion = 0x2003;
    d.deviceTypeCode = 0x0302;
    d.sensorWidth = 640;
    d.sensorHeight = 480;
    d.colorSensor = true;
    d.maxFramesPerSecond = 240;
    d.exposureStepUs = 4.2;
    d.exposureMinSteps = 2;
    d.exposureMaxSteps = 238095;
    d.gainMinMilli = 1000;
    d.gainMaxMilli = 8000;
    d.inputLines = 1;
    d.outputLines = 0;
    d.sceneSeed = 0x040302;
    d.resolutions = {{"640X480", 0, 0, 640, 480, 640, 480},
                     {"320X240 ROI", 160, 120, 320, 240, 320, 240},
                     {"320X240 BIN2", 0, 0, 640, 480, 320, 240}};
    models.push_back(d);

    // A measurement camera: 12-bit samples, so pictures and measurements keep the
    // sensor's own depth.
    CameraModel e;
    e.identifier = "VXU1212M0001";
    e.productSeries = "VX-U Series";
    e.productName = "VX-U121M-12";
    e.nickname = "USB 12-bit mono";
    e.edition = "3.1.0";
    e.sensorText = "CMOS 1/1.8\" 1.2MP GS 12-bit";
    e.interfaceText = "USB3.0";
    e.firmwareVersion = 0x2101;
    e.deviceTypeCode = 0x1212;
    e.sensorWidth = 1280;
    e.sensorHeight = 960;
    e.colorSensor = false;
    e.bitDepth = 12;
    e.maxFramesPerSecond = 60;
    e.exposureStepUs = 10;
    e.exposureMinSteps = 2;
    e.exposureMaxSteps = 100000;
    e.gainMinMilli = 1000;
    e.gainMaxMilli = 16000;
    e.inputLines = 1;
    e.outputLines = 1;
    e.sceneSeed = 0x051212;
    models.push_back(e);

    for (auto& m : models)
        completeCameraModel(m);
    return models;
}

}  // namespace vexo::sdk
