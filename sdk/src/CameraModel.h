#pragma once
// What a camera is, independent of whether it is open: identity, sensor, presets, lines
// and limits. Filled from the built-in camera set or a camera list file.
#include <cstdint>
#include <string>
#include <vector>

namespace vexo::sdk {

struct ResolutionPreset {
    std::string name;
    int offsetX = 0, offsetY = 0;
    int regionWidth = 0, regionHeight = 0;
    int outputWidth = 0, outputHeight = 0;   // half the region when binning 2x2
};

struct ImageFormatEntry {
    std::string name;
    uint32_t formatId = 0;
};

struct CameraModel {
    std::string identifier;         // serial number, the key everywhere
    std::string productSeries;
    std::string productName;
    std::string nickname;           // factory nickname until the user sets one
    std::string edition;            // edition / driver version text
    std::string sensorText;
    std::string interfaceText;      // contains "GigE" for network cameras
    uint16_t firmwareVersion = 0x1000;
    uint32_t deviceTypeCode = 0;

    int sensorWidth = 0, sensorHeight = 0;
    bool colorSensor = true;
    // Bits a sample of the sensor holds: 8, 10, 12 or 16. A deeper sensor offers its own
    // depth first (Mono12, or BayerRG12 and Mono12 for colour) and the 8-bit formats after.
    int bitDepth = 8;
    double maxFramesPerSecond = 30;  // full sensor at high frame speed
    double exposureStepUs = 10;
    int exposureMinSteps = 1, exposureMaxSteps = 100000;
    int gainMinMilli = 1000, gainMaxMilli = 16000;
    int inputLines = 1, outputLines = 1;
    int channelCount = 1;
    bool focusDrive = false;
    int focusMin = 0, focusMax = 0, focusDefault = 0;
    uint32_t sceneSeed = 1;

    // Network defaults of a GigE camera.
    std::string ipAddress, subnetMask, gateway;
    uint8_t macAddress[6] = {0, 0, 0, 0, 0, 0};

    std::vector<ResolutionPreset> resolutions;   // at least one; the first is the default
    std::vector<ImageFormatEntry> imageFormats;  // derived from colorSensor and bitDepth

    // What the library itself may do for the camera: simulated cameras take upgrade files
    // and keep their network settings in the library; GenICam cameras have no standard for
    // either.
    bool firmwareUpgrade = true;
    bool networkSettings = true;

    bool isGigE() const { return interfaceText.find("GigE") != std::string::npos; }
};

// Limits every camera model keeps: the slowest full-sensor frame rate, and the longest
// exposure, which frame records carry as 32-bit whole microseconds.
constexpr double kSlowestFramesPerSecond = 0.1;
constexpr long long kLongestExposureUs = 2147483647;

// Fills what a camera list may leave out (formats, presets, network defaults) and
// returns an empty text, or describes why the model cannot be used.
std::string completeCameraModel(CameraModel& model);

// The cameras a new user sees: two GigE and three USB cameras with different sensors,
// one of them 12-bit.
std::vector<CameraModel> defaultCameraModels();

// Reads a camera list file (JSON, format in sdk/README.md). On any error returns false
// with a message naming the problem; models is then left empty.
bool readCameraListFile(const std::string& path, std::vector<CameraModel>& models,
                        std::string& error);
// The same for the text of such a file; origin names it in messages.
bool parseCameraList(const std::string& text, const std::string& origin,
                     std::vector<CameraModel>& models, std::string& error);

// "v1.2.0.3" for 0x1203.
std::string firmwareVersionText(uint16_t version);
// Parses "1.2.0.3" (optional leading 'v'); false when malformed.
bool parseFirmwareVersion(const std::string& text, uint16_t& version);

// The one rule for a region of the sensor, preset or custom: sizes above zero, the output
// the region or half of it in both directions (binning), at least 16 pixels each way (the
// sensor reads no fewer rows or columns) and inside the sensor. Returns VEXO_SDK_OK,
// INVALID_ARGUMENT (sizes) or OUT_OF_RANGE (too small or off the sensor).
int checkRegion(const CameraModel& model, const ResolutionPreset& region);

// Strict UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
bool isUtf8(const std::string& text);

// Identifiers become file names, so only [A-Za-z0-9._-] and at most 35 characters.
bool isValidIdentifier(const std::string& identifier);

}  // namespace vexo::sdk
