// Camera features by name. A camera with its own description (GenICam) answers through
// its device; for the others the library offers the settings it holds, each read and
// written through the same operation a program would call, so the parameter operations
// and the feature operations always agree.
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>

#include "ApiSupport.h"
#include "FeatureValues.h"

using namespace vexo::sdk;

namespace {

// One setting the library holds, as a feature.
struct LibraryFeature {
    FeatureDescription description;
    std::function<int(int handle, std::string& value)> read;
    std::function<int(int handle, const std::string& value)> write;  // null: read-only
    std::function<int(int handle)> execute;                          // commands
};

VexoCameraParameters parametersOf(int handle)
{
    VexoCameraParameters p{};
    SdkGetCameraParameters(handle, &p);
    return p;
}

FeatureDescription described(const char* name, const char* displayName, const char* category,
                             FeatureType type, FeatureVisibility visibility,
                             const char* description, const char* unit = "")
{
    FeatureDescription d;
    d.name = name;
    d.displayName = displayName;
    d.category = category;
    d.type = type;
    d.visibility = visibility;
    d.description = description;
    d.unit = unit;
    return d;
}

// An integer setting read from the parameter record (or another getter) and written with
// one setter.
LibraryFeature integerFeature(FeatureDescription d, double minimum, double maximum,
                              std::function<int(int, int&)> get, std::function<int(int, int)> set)
{
    d.type = FeatureType::Integer;
    d.minimum = minimum;
    d.maximum = maximum;
    d.increment = 1;
    LibraryFeature f{std::move(d), {}, {}, {}};
    f.read = [get](int handle, std::string& value) {
        int v = 0;
        if (int r = get(handle, v))
            return r;
        value = std::to_string(v);
        return static_cast<int>(VEXO_SDK_OK);
    };
    if (set)
        f.write = [set](int handle, const std::string& value) {
            int64_t v = 0;
            parseFeatureInteger(value, v);
            return set(handle, static_cast<int>(v));
        };
    else
        f.description.access = FeatureAccess::ReadOnly;
    return f;
}

LibraryFeature booleanFeature(FeatureDescription d, std::function<int(int, int&)> get,
                              std::function<int(int, int)> set)
{
    d.type = FeatureType::Boolean;
    LibraryFeature f{std::move(d), {}, {}, {}};
    f.read = [get](int handle, std::string& value) {
        int v = 0;
        if (int r = get(handle, v))
            return r;
        value = formatFeatureBoolean(v != 0);
        return static_cast<int>(VEXO_SDK_OK);
    };
    f.write = [set](int handle, const std::string& value) {
        bool v = false;
        parseFeatureBoolean(value, v);
        return set(handle, v ? 1 : 0);
    };
    return f;
}

// entries[i] stands for the number codes[i].
LibraryFeature enumerationFeature(FeatureDescription d, std::vector<std::string> entries,
                                  std::vector<int64_t> codes, std::function<int(int, int64_t&)> get,
                                  std::function<int(int, int64_t)> set)
{
    d.type = FeatureType::Enumeration;
    d.entries = entries;
    LibraryFeature f{std::move(d), {}, {}, {}};
    f.read = [get, entries, codes](int handle, std::string& value) {
        int64_t v = 0;
        if (int r = get(handle, v))
            return r;
        for (size_t i = 0; i < codes.size(); ++i)
            if (codes[i] == v) {
                value = entries[i];
                return static_cast<int>(VEXO_SDK_OK);
            }
        value = std::to_string(v);
        return static_cast<int>(VEXO_SDK_OK);
    };
    f.write = [set, entries, codes](int handle, const std::string& value) {
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i] == value)
                return set(handle, codes[i]);
        return static_cast<int>(VEXO_SDK_NOT_MATCHING);
    };
    return f;
}

LibraryFeature textFeature(FeatureDescription d, std::function<std::string(int)> get)
{
    d.type = FeatureType::String;
    d.access = FeatureAccess::ReadOnly;
    LibraryFeature f{std::move(d), {}, {}, {}};
    f.read = [get](int handle, std::string& value) {
        value = get(handle);
        return static_cast<int>(VEXO_SDK_OK);
    };
    return f;
}

LibraryFeature commandFeature(FeatureDescription d, std::function<int(int)> execute)
{
    d.type = FeatureType::Command;
    return LibraryFeature{std::move(d), {}, {}, std::move(execute)};
}

// Reads a field of the parameter record.
template <typename Field>
std::function<int(int, int&)> parameter(Field field)
{
    return [field](int handle, int& value) {
        VexoCameraParameters p{};
        if (int r = SdkGetCameraParameters(handle, &p))
            return r;
        value = static_cast<int>(p.*field);
        return static_cast<int>(VEXO_SDK_OK);
    };
}

std::function<int(int, int&)> getter(int (*get)(int, int*))
{
    return [get](int handle, int& value) { return get(handle, &value); };
}

std::function<int(int, int64_t&)> wide(std::function<int(int, int&)> get)
{
    return [get](int handle, int64_t& value) {
        int v = 0;
        const int r = get(handle, v);
        value = v;
        return r;
    };
}

std::function<int(int, int64_t)> narrow(int (*set)(int, int))
{
    return [set](int handle, int64_t value) { return set(handle, static_cast<int>(value)); };
}

int setBalance(int handle, int channel, int value)
{
    const VexoCameraParameters p = parametersOf(handle);
    int gains[3] = {static_cast<int>(p.redGain), static_cast<int>(p.greenGain),
                    static_cast<int>(p.blueGain)};
    gains[channel] = value;
    return SdkSetWhiteBalanceGains(handle, gains[0], gains[1], gains[2]);
}

// The settings the library holds for camera, with their ranges.
std::vector<LibraryFeature> libraryFeatures(int handle, Camera& camera)
{
    VexoCapabilities caps{};
    SdkGetCapabilities(handle, &caps);
    double stepUs = 1;
    SdkGetExposureStepTime(handle, &stepUs);
    const CameraModel& m = camera.model();
    const auto B = FeatureVisibility::Beginner, E = FeatureVisibility::Expert,
               G = FeatureVisibility::Guru;
    std::vector<LibraryFeature> out;

    const char* device = "Device Control";
    out.push_back(
        textFeature(described("DeviceVendorName", "Vendor Name", device, FeatureType::String, B,
                              "Product series of the camera."),
                    [](int h) { return std::string(parametersOf(h).device.productSeries); }));
    out.push_back(
        textFeature(described("DeviceModelName", "Model Name", device, FeatureType::String, B,
                              "Model of the camera."),
                    [](int h) { return std::string(parametersOf(h).device.productName); }));
    out.push_back(
        textFeature(described("DeviceSerialNumber", "Serial Number", device, FeatureType::String, B,
                              "Identifier the camera is opened by."),
                    [](int h) { return std::string(parametersOf(h).device.cameraIdentifier); }));
    out.push_back(textFeature(described("DeviceFirmwareVersion", "Firmware Version", device,
                                        FeatureType::String, E, "Firmware the camera runs."),
                              [](int h) {
                                  char text[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
                                  SdkGetFirmwareVersion(h, text);
                                  return std::string(text);
                              }));

    const char* format = "Image Format Control";
    out.push_back(integerFeature(described("SensorWidth", "Sensor Width", format,
                                           FeatureType::Integer, E, "Width of the sensor.", "px"),
                                 caps.sensorWidth, caps.sensorWidth,
                                 [](int h, int& v) {
                                     VexoCapabilities c{};
                                     int r = SdkGetCapabilities(h, &c);
                                     v = c.sensorWidth;
                                     return r;
                                 },
                                 {}));
    out.push_back(integerFeature(described("SensorHeight", "Sensor Height", format,
                                           FeatureType::Integer, E, "Height of the sensor.", "px"),
                                 caps.sensorHeight, caps.sensorHeight,
                                 [](int h, int& v) {
                                     VexoCapabilities c{};
                                     int r = SdkGetCapabilities(h, &c);
                                     v = c.sensorHeight;
                                     return r;
                                 },
                                 {}));
    out.push_back(
        integerFeature(described("Width", "Width", format, FeatureType::Integer, B,
                                 "Width of the frames delivered (set with the region).", "px"),
                       0, caps.sensorWidth,
                       [](int h, int& v) {
                           int hh = 0;
                           return SdkGetResolution(h, &v, &hh);
                       },
                       {}));
    out.push_back(
        integerFeature(described("Height", "Height", format, FeatureType::Integer, B,
                                 "Height of the frames delivered (set with the region).", "px"),
                       0, caps.sensorHeight,
                       [](int h, int& v) {
                           int w = 0;
                           return SdkGetResolution(h, &w, &v);
                       },
                       {}));
    {
        std::vector<std::string> names;
        std::vector<int64_t> codes;
        for (int i = 0; i < caps.imageFormatCount; ++i) {
            names.emplace_back(caps.imageFormats[i].name);
            codes.push_back(caps.imageFormats[i].formatId);
        }
        out.push_back(enumerationFeature(
            described("PixelFormat", "Pixel Format", format, FeatureType::Enumeration, B,
                      "Format of the sensor data."),
            names, codes,
            [](int h, int64_t& v) {
                uint32_t id = 0;
                const int r = SdkGetImageFormat(h, &id);
                v = id;
                return r;
            },
            [](int h, int64_t v) { return SdkSetImageFormat(h, static_cast<uint32_t>(v)); }));
    }
    out.push_back(booleanFeature(described("ReverseX", "Reverse X", format, FeatureType::Boolean, E,
                                           "Mirrors the picture left to right."),
                                 parameter(&VexoCameraParameters::mirrorHorizontal),
                                 [](int h, int v) { return SdkSetMirror(h, 0, v); }));
    out.push_back(booleanFeature(described("ReverseY", "Reverse Y", format, FeatureType::Boolean, E,
                                           "Mirrors the picture top to bottom."),
                                 parameter(&VexoCameraParameters::mirrorVertical),
                                 [](int h, int v) { return SdkSetMirror(h, 1, v); }));

    const char* acquisition = "Acquisition Control";
    out.push_back(enumerationFeature(
        described("FrameSpeed", "Frame Speed", acquisition, FeatureType::Enumeration, B,
                  "Frame rate of the sensor."),
        {"Low", "Medium", "High"}, {0, 1, 2}, wide(parameter(&VexoCameraParameters::frameSpeed)),
        narrow(&SdkSetFrameSpeed)));
    out.push_back(booleanFeature(
        described("ExposureAuto", "Exposure Auto", acquisition, FeatureType::Boolean, B,
                  "The library sets exposure time and gain for the target brightness."),
        parameter(&VexoCameraParameters::exposureMode), &SdkSetExposureMode));
    {
        FeatureDescription d =
            described("ExposureTime", "Exposure Time", acquisition, FeatureType::Float, B,
                      "Exposure time of each frame; rounded to the exposure step.", "us");
        d.minimum = caps.exposureMinSteps * stepUs;
        d.maximum = caps.exposureMaxSteps * stepUs;
        d.increment = stepUs;
        LibraryFeature f{std::move(d), {}, {}, {}};
        f.read = [](int h, std::string& value) {
            value = formatFeatureFloat(parametersOf(h).exposureTimeUs);
            return static_cast<int>(VEXO_SDK_OK);
        };
        f.write = [](int h, const std::string& value) {
            double v = 0;
            parseFeatureFloat(value, v);
            return SdkSetExposureTime(h, v);
        };
        out.push_back(std::move(f));
    }
    {
        FeatureDescription d = described("Gain", "Gain", acquisition, FeatureType::Float, B,
                                         "Analog gain as a factor.", "x");
        d.minimum = caps.analogGainMinMilli / 1000.0;
        d.maximum = caps.analogGainMaxMilli / 1000.0;
        d.increment = 0.001;
        LibraryFeature f{std::move(d), {}, {}, {}};
        f.read = [](int h, std::string& value) {
            value = formatFeatureFloat(parametersOf(h).analogGainMilli / 1000.0);
            return static_cast<int>(VEXO_SDK_OK);
        };
        f.write = [](int h, const std::string& value) {
            double v = 0;
            parseFeatureFloat(value, v);
            return SdkSetAnalogGain(h, static_cast<int>(std::lround(v * 1000)));
        };
        out.push_back(std::move(f));
    }
    out.push_back(integerFeature(
        described("TargetBrightness", "Target Brightness", acquisition, FeatureType::Integer, E,
                  "Mean brightness automatic exposure aims at."),
        0, 255, parameter(&VexoCameraParameters::targetBrightness), &SdkSetTargetBrightness));
    out.push_back(
        booleanFeature(described("AntiFlicker", "Anti-Flicker", acquisition, FeatureType::Boolean,
                                 E, "Keeps exposures in step with the mains light."),
                       parameter(&VexoCameraParameters::antiFlicker), &SdkSetAntiFlicker));
    out.push_back(enumerationFeature(
        described("LightFrequency", "Light Frequency", acquisition, FeatureType::Enumeration, E,
                  "Mains frequency of the lights."),
        {"Hz50", "Hz60"}, {1, 2}, wide(parameter(&VexoCameraParameters::lightFrequency)),
        narrow(&SdkSetLightFrequency)));

    const char* trigger = "Acquisition Control/Trigger";
    {
        std::vector<std::string> names{"Continuous", "Software"};
        std::vector<int64_t> codes{0, 1};
        if (caps.inputLineCount > 0) {
            names.emplace_back("Hardware");
            codes.push_back(2);
        }
        out.push_back(enumerationFeature(
            described("TriggerMode", "Trigger Mode", trigger, FeatureType::Enumeration, B,
                      "What starts a frame."),
            names, codes, wide(getter(&SdkGetTriggerMode)), narrow(&SdkSetTriggerMode)));
    }
    out.push_back(commandFeature(
        described("TriggerSoftware", "Trigger Software", trigger, FeatureType::Command, B,
                  "Takes frames now in software trigger mode."),
        &SdkSoftwareTriggerOnce));
    out.push_back(
        integerFeature(described("TriggerFrameCount", "Trigger Frame Count", trigger,
                                 FeatureType::Integer, E, "Frames taken for each trigger."),
                       1, 1000, getter(&SdkGetTriggerFrameCount), &SdkSetTriggerFrameCount));
    out.push_back(
        integerFeature(described("TriggerDelay", "Trigger Delay", trigger, FeatureType::Integer, E,
                                 "Time from the trigger to the exposure.", "us"),
                       0, 10000000, getter(&SdkGetTriggerDelay), &SdkSetTriggerDelay));

    const char* processing = "Image Processing";
    if (caps.colorSensor) {
        out.push_back(booleanFeature(
            described("BalanceWhiteAuto", "Balance White Auto", processing, FeatureType::Boolean, B,
                      "The library balances the colours itself."),
            parameter(&VexoCameraParameters::whiteBalanceMode), &SdkSetWhiteBalanceMode));
        const char* names[] = {"BalanceRatioRed", "BalanceRatioGreen", "BalanceRatioBlue"};
        const char* shown[] = {"Balance Ratio Red", "Balance Ratio Green", "Balance Ratio Blue"};
        for (int c = 0; c < 3; ++c)
            out.push_back(integerFeature(
                described(names[c], shown[c], processing, FeatureType::Integer, E,
                          "Gain of the colour channel in hundredths (100 = 1.00).", "%"),
                0, 400,
                [c](int h, int& v) {
                    const VexoCameraParameters p = parametersOf(h);
                    v = static_cast<int>(c == 0 ? p.redGain : c == 1 ? p.greenGain : p.blueGain);
                    return static_cast<int>(VEXO_SDK_OK);
                },
                [c](int h, int v) { return setBalance(h, c, v); }));
        out.push_back(commandFeature(
            described("BalanceWhiteOnce", "Balance White Once", processing, FeatureType::Command, B,
                      "Balances the colours once from the current picture."),
            &SdkOneTouchWhiteBalance));
        out.push_back(integerFeature(
            described("Saturation", "Saturation", processing, FeatureType::Integer, E,
                      "0 grey, 100 neutral, up to 255."),
            0, 255, parameter(&VexoCameraParameters::saturation), &SdkSetSaturation));
        out.push_back(
            booleanFeature(described("Monochrome", "Monochrome", processing, FeatureType::Boolean,
                                     E, "Shows the colour picture in grey."),
                           parameter(&VexoCameraParameters::monochrome), &SdkSetMonochrome));
    }
    out.push_back(integerFeature(
        described("Contrast", "Contrast", processing, FeatureType::Integer, E, "0 .. 100."), 0, 100,
        parameter(&VexoCameraParameters::contrast), &SdkSetContrast));
    out.push_back(integerFeature(
        described("Sharpness", "Sharpness", processing, FeatureType::Integer, E, "0 (off) .. 100."),
        0, 100, parameter(&VexoCameraParameters::sharpness), &SdkSetSharpness));
    out.push_back(booleanFeature(
        described("DefectPixelCorrection", "Defect Pixel Correction", processing,
                  FeatureType::Boolean, G, "Replaces known defective pixels."),
        [](int h, int& v) {
            v = parametersOf(h).defectPixelCorrection;
            return static_cast<int>(VEXO_SDK_OK);
        },
        &SdkSetDefectPixelCorrection));
    const char* lut = "Image Processing/LUT";
    out.push_back(enumerationFeature(
        described("LUTMode", "LUT Mode", lut, FeatureType::Enumeration, E,
                  "Lookup table from gamma and contrast, or a preset one."),
        {"GammaContrast", "Preset"}, {0, 1}, wide(getter(&SdkGetLutMode)), narrow(&SdkSetLutMode)));
    out.push_back(integerFeature(described("Gamma", "Gamma", lut, FeatureType::Integer, E,
                                           "Gamma in hundredths (100 = 1.0)."),
                                 1, 1000, getter(&SdkGetGamma), &SdkSetGamma));
    out.push_back(integerFeature(described("LUTContrast", "LUT Contrast", lut, FeatureType::Integer,
                                           E, "Contrast of the lookup table, 100 neutral."),
                                 0, 200, getter(&SdkGetLutContrast), &SdkSetLutContrast));
    if (caps.presetLutCount > 0)
        out.push_back(integerFeature(described("LUTPreset", "LUT Preset", lut, FeatureType::Integer,
                                               G, "Preset lookup table used in preset mode."),
                                     0, caps.presetLutCount - 1, getter(&SdkGetPresetLut),
                                     &SdkSelectPresetLut));

    if (m.focusDrive) {
        const char* lens = "Lens Control";
        out.push_back(integerFeature(
            described("FocusPosition", "Focus Position", lens, FeatureType::Integer, B,
                      "Position of the focus drive."),
            m.focusMin, m.focusMax,
            [](int h, int& v) {
                return SdkGetExtendedParameter(h, VEXO_SDK_EXT_FOCUS_POSITION, &v);
            },
            [](int h, int v) {
                return SdkSetExtendedParameter(h, VEXO_SDK_EXT_FOCUS_POSITION, v);
            }));
    }
    if (m.channelCount > 1) {
        out.push_back(integerFeature(
            described("LightChannels", "Light Channels", "Lens Control", FeatureType::Integer, E,
                      "Bit i lights illumination channel i."),
            0, (1 << m.channelCount) - 1,
            [](int h, int& v) { return SdkGetExtendedParameter(h, VEXO_SDK_EXT_CHANNEL_MASK, &v); },
            [](int h, int v) { return SdkSetExtendedParameter(h, VEXO_SDK_EXT_CHANNEL_MASK, v); }));
    }
    if (m.isGigE()) {
        const char* transport = "Transport Layer Control";
        out.push_back(
            integerFeature(described("PacketSize", "Packet Size", transport, FeatureType::Integer,
                                     G, "Size of the stream's network packets.", "B"),
                           576, 9000, getter(&SdkGetPacketSize), &SdkSetPacketSize));
        out.push_back(
            integerFeature(described("PacketInterval", "Packet Interval", transport,
                                     FeatureType::Integer, G, "Pause between two packets.", "us"),
                           0, 100000, getter(&SdkGetPacketInterval), &SdkSetPacketInterval));
    }
    return out;
}

// The feature snapshots of the open handles (SdkGetFeatureCount).
struct Snapshots {
    std::mutex mutex;
    std::map<int, std::vector<FeatureDescription>> byHandle;
};
Snapshots& snapshots()
{
    static Snapshots s;
    return s;
}

// Runs body with feature index of handle's last snapshot, or returns OUT_OF_RANGE.
template <typename Body>
int inSnapshot(int handle, int index, Body body)
{
    Snapshots& s = snapshots();
    std::lock_guard<std::mutex> guard(s.mutex);
    const auto it = s.byHandle.find(handle);
    if (it == s.byHandle.end() || !inRange(index, 0, static_cast<long long>(it->second.size()) - 1))
        return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
    return static_cast<int>(body(it->second[static_cast<size_t>(index)]));
}

void copyText(char* buffer, size_t size, const std::string& text)
{
    size_t n = std::min(text.size(), size - 1);
    // Never cut a UTF-8 character in two.
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

void giveReason(char* reason, const std::string& text)
{
    if (reason)
        copyText(reason, VEXO_SDK_FEATURE_REASON_SIZE, text);
}

// Whether the camera's device describes its features itself; nullopt while it is away.
std::optional<bool> ownFeatures(Camera& camera)
{
    bool own = false;
    const auto r = camera.withDevice([&](CameraDevice& d) -> std::optional<int> {
        own = d.hasOwnFeatures();
        return VEXO_SDK_OK;
    });
    if (!r)
        return std::nullopt;
    return own;
}

// Features that change the size or layout of the frames: the stream's buffers are made
// for the frames of its start, so they change only while the camera is stopped.
bool changesFrameLayout(const std::string& name)
{
    static const char* const names[] = {"Width",
                                        "Height",
                                        "BinningHorizontal",
                                        "BinningVertical",
                                        "DecimationHorizontal",
                                        "DecimationVertical",
                                        "PixelFormat"};
    for (const char* n : names)
        if (name == n)
            return true;
    return false;
}

const LibraryFeature* findLibraryFeature(const std::vector<LibraryFeature>& features,
                                         const std::string& name)
{
    for (const LibraryFeature& f : features)
        if (f.description.name == name)
            return &f;
    return nullptr;
}

// A write or a command: on the device for cameras with a description of their own (the
// library's copy of the settings it maps, exposure, gain, region ..., then follows the
// camera, so the parameter operations show what was written here), else on the library's
// settings. reason gets why whenever the result is not OK.
template <typename OnDevice, typename OnLibrary>
int changeFeature(int handle, bool argumentsGiven, char* reason, OnDevice onDevice,
                  OnLibrary onLibrary)
{
    std::string why;
    const int result = withCamera(handle, [&](Camera& camera) {
        if (!argumentsGiven) {
            why = "no feature name or value";
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        }
        const std::optional<bool> own = ownFeatures(camera);
        if (!own) {
            why = "the camera is unplugged";
            return static_cast<int>(VEXO_SDK_DETACHED);
        }
        if (!*own)
            return static_cast<int>(onLibrary(camera, why));
        const auto r = camera.withDevice(
            [&](CameraDevice& d) -> std::optional<int> { return onDevice(camera, d, why); });
        const int code = r.value_or(VEXO_SDK_DETACHED);
        if (code == VEXO_SDK_OK)
            camera.adoptHeldSettings(camera.settings());
        return code;
    });
    if (result == VEXO_SDK_INVALID_HANDLE)
        why = "no such camera handle";
    giveReason(reason, result == VEXO_SDK_OK ? std::string() : why);
    return result;
}

}  // namespace

extern "C" {

int SdkGetFeatureCount(int handle, int* count)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!count)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        std::vector<FeatureDescription> list;
        std::optional<std::vector<FeatureDescription>> own;
        const auto r = camera.withDevice([&](CameraDevice& d) -> std::optional<int> {
            own = d.describeFeatures();
            return VEXO_SDK_OK;
        });
        if (!r)
            return static_cast<int>(VEXO_SDK_DETACHED);
        if (own) {
            list = std::move(*own);
        } else {
            for (LibraryFeature& f : libraryFeatures(handle, camera))
                list.push_back(std::move(f.description));
        }
        Snapshots& s = snapshots();
        std::lock_guard<std::mutex> guard(s.mutex);
        // Snapshots of closed handles go with the next one taken.
        for (auto it = s.byHandle.begin(); it != s.byHandle.end();)
            it = CameraLibrary::instance().find(it->first) ? std::next(it) : s.byHandle.erase(it);
        *count = static_cast<int>(list.size());
        s.byHandle[handle] = std::move(list);
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkGetFeatureInfo(int handle, int index, VexoFeatureInfo* info)
{
    return withCamera(handle, [&](Camera&) {
        if (!info)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        return inSnapshot(handle, index, [&](const FeatureDescription& d) {
            VexoFeatureInfo out{};
            copyText(out.name, sizeof out.name, d.name);
            copyText(out.displayName, sizeof out.displayName, d.displayName);
            copyText(out.category, sizeof out.category, d.category);
            copyText(out.description, sizeof out.description, d.description);
            copyText(out.unit, sizeof out.unit, d.unit);
            out.type = static_cast<int32_t>(d.type);
            out.access = static_cast<int32_t>(d.access);
            out.visibility = static_cast<int32_t>(d.visibility);
            out.entryCount = static_cast<int32_t>(d.entries.size());
            out.minimum = d.minimum;
            out.maximum = d.maximum;
            out.increment = d.increment;
            *info = out;
            return static_cast<int>(VEXO_SDK_OK);
        });
    });
}

int SdkGetFeatureEntry(int handle, int index, int entry, char* buffer)
{
    return withCamera(handle, [&](Camera&) {
        if (!buffer)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        return inSnapshot(handle, index, [&](const FeatureDescription& d) {
            if (!inRange(entry, 0, static_cast<long long>(d.entries.size()) - 1))
                return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
            copyText(buffer, VEXO_SDK_TEXT_BUFFER_SIZE, d.entries[static_cast<size_t>(entry)]);
            return static_cast<int>(VEXO_SDK_OK);
        });
    });
}

int SdkGetFeatureValue(int handle, const char* name, char* buffer, int* access)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!name || !buffer)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        const std::optional<bool> own = ownFeatures(camera);
        std::string value, reason;
        FeatureAccess now = FeatureAccess::ReadWrite;
        int result = VEXO_SDK_OK;
        if (own.value_or(false)) {
            const auto r = camera.withDevice([&](CameraDevice& d) -> std::optional<int> {
                return d.readFeature(name, value, now, reason);
            });
            result = r.value_or(VEXO_SDK_DETACHED);
        } else if (!own) {
            result = VEXO_SDK_DETACHED;
        } else {
            const auto features = libraryFeatures(handle, camera);
            const LibraryFeature* f = findLibraryFeature(features, name);
            if (!f || !f->read)
                return static_cast<int>(VEXO_SDK_NOT_MATCHING);
            now = f->description.access;
            result = f->read(handle, value);
        }
        if (result != VEXO_SDK_OK)
            return result;
        copyText(buffer, VEXO_SDK_FEATURE_VALUE_SIZE, value);
        if (access)
            *access = static_cast<int>(now);
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkSetFeatureValue(int handle, const char* name, const char* value, char* reason)
{
    return changeFeature(
        handle, name && value, reason,
        [&](Camera& camera, CameraDevice& device, std::string& why) {
            if (camera.running() && changesFrameLayout(name)) {
                why = std::string(name) +
                      " changes the frames: it is refused while the camera streams "
                      "(stop the acquisition first)";
                return static_cast<int>(VEXO_SDK_WRONG_MODE);
            }
            return device.writeFeature(name, value, why);
        },
        [&](Camera& camera, std::string& why) {
            const auto features = libraryFeatures(handle, camera);
            const LibraryFeature* f = findLibraryFeature(features, name);
            if (!f) {
                why = std::string("the camera has no feature ") + name;
                return static_cast<int>(VEXO_SDK_NOT_MATCHING);
            }
            if (int r = checkFeatureValue(
                    f->description, f->write ? FeatureAccess::ReadWrite : FeatureAccess::ReadOnly,
                    value, why))
                return r;
            const int code = f->write(handle, value);
            if (code == VEXO_SDK_NOT_MATCHING)
                why = std::string("the camera cannot take ") + value + " for " + name;
            else if (code != VEXO_SDK_OK)
                why = std::string("the camera refused ") + value + " for " + name + " (code " +
                      std::to_string(code) + ")";
            return code;
        });
}

int SdkExecuteFeature(int handle, const char* name, char* reason)
{
    return changeFeature(
        handle, name != nullptr, reason,
        [&](Camera&, CameraDevice& device, std::string& why) {
            return device.executeFeature(name, why);
        },
        [&](Camera& camera, std::string& why) {
            const auto features = libraryFeatures(handle, camera);
            const LibraryFeature* f = findLibraryFeature(features, name);
            if (!f || !f->execute) {
                why = std::string("the camera has no command ") + name;
                return static_cast<int>(VEXO_SDK_NOT_MATCHING);
            }
            const int code = f->execute(handle);
            if (code != VEXO_SDK_OK)
                why = std::string("the camera refused ") + name + " (code " + std::to_string(code) +
                      ")";
            return code;
        });
}

}  // extern "C"
