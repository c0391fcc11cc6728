#pragma once
// Every setting of an open camera: what parameter groups and files hold, what the image
// pipeline and the simulated sensor are configured from.
#include <array>
#include <cstdint>
#include <vector>

#include "CameraModel.h"
#include "Imaging.h"

namespace vexo::sdk {

struct CrosshairSetting {
    int x = 0, y = 0;
    uint32_t colour = 0x0000FF;   // red + green * 256 + blue * 65536
    int enabled = 0;
};

struct InputLineSetting {
    int mode = 0;          // 0 trigger input, 1 plain input
    int edge = 0;          // 0 rising, 1 falling, 2 high level, 3 low level
    int debounceUs = 10;
};

struct OutputLineSetting {
    int mode = 0;          // 0 strobe, 1 plain output, 2 PWM
    int strobeMode = 0;    // 0 automatic, 1 semi-automatic
    int polarity = 1;      // 0 active low, 1 active high
    int strobeDelayUs = 0;
    int strobeWidthUs = 1000;
    int level = 0;
    int pwmPeriodUs = 1000;
    int pwmHighUs = 500;
};

struct CameraSettings {
    // Exposure
    int exposureMode = 1;                 // 1 automatic
    double exposureUs = 10000;
    int gainMilli = 1000;
    int targetBrightness = 120;
    double autoExposureMinUs = 100;
    double autoExposureMaxUs = 40000;
    int autoExposureMinGainMilli = 1000;
    int autoExposureMaxGainMilli = 8000;
    int antiFlicker = 0;
    int lightFrequency = 1;               // 1 50 Hz, 2 60 Hz
    // White balance, hundredths
    int whiteBalanceMode = 1;
    int redGain = 100, greenGain = 100, blueGain = 100;
    // Processing
    int frameSpeed = 1;
    int contrast = 50;                    // 50 neutral
    int sharpness = 0;
    int saturation = 100;
    int mirrorHorizontal = 0, mirrorVertical = 0;
    int monochrome = 0;
    int defectCorrection = 0;
    std::array<CrosshairSetting, 9> crosshairs{};
    int lutMode = 0;
    int gamma = 100;
    int lutContrast = 100;
    int presetLut = 0;
    // Format and resolution
    uint32_t imageFormat = 0;
    int resolutionIndex = 0;              // preset index or 0xFF
    ResolutionPreset customRegion;
    // Trigger and lines
    int triggerMode = 0;
    int triggerFrames = 1;
    int triggerDelayUs = 0;
    std::vector<InputLineSetting> inputs;
    std::vector<OutputLineSetting> outputs;
    // Transport and extended
    int packetSize = 1500;
    int packetIntervalUs = 0;
    uint32_t channelMask = 1;
    int focusPosition = 0;
};

// Factory defaults of a camera model.
CameraSettings factorySettings(const CameraModel& model);

// Geometry the camera currently delivers (preset or custom region).
const ResolutionPreset& currentRegion(const CameraModel& model, const CameraSettings& settings);

// Whether an exposure time may be set at all: inside the model's range with half a step
// of slack, so a value computed as steps * step length always passes.
bool exposureInRange(const CameraModel& model, double exposureUs);
// Exposure time rounded to whole steps and kept inside the model's range.
double snapExposureUs(const CameraModel& model, double exposureUs);

// Time from one frame to the next: sensor readout at the chosen speed, or the exposure
// when that is longer.
double framePeriodUs(const CameraModel& model, const CameraSettings& settings);

// What the simulated sensor and the image pipeline are configured from.
imaging::SensorSettings sensorSettings(const CameraModel& model, const CameraSettings& settings);
imaging::PipelineSettings pipelineSettings(const CameraSettings& settings, uint32_t outputFormat);

}  // namespace vexo::sdk
