// Trigger, input and output lines, GigE transport and extended parameters.
#include "ApiSupport.h"

using namespace vexo::sdk;

namespace {

// Runs edit on input line `line` of the settings, or returns OUT_OF_RANGE.
template <typename Edit>
int changeInput(int handle, int line, Edit edit)
{
    return changeSettings(handle, [&](CameraSettings& s) {
        if (line < 0 || line >= static_cast<int>(s.inputs.size()))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        return static_cast<int>(edit(s.inputs[static_cast<size_t>(line)]));
    });
}

template <typename Edit>
int changeOutput(int handle, int line, Edit edit)
{
    return changeSettings(handle, [&](CameraSettings& s) {
        if (line < 0 || line >= static_cast<int>(s.outputs.size()))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        return static_cast<int>(edit(s.outputs[static_cast<size_t>(line)]));
    });
}

template <typename Read>
int readInput(int handle, int line, int* value, Read read)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!value)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        const CameraSettings s = camera.settings();
        if (line < 0 || line >= static_cast<int>(s.inputs.size()))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        *value = read(s.inputs[static_cast<size_t>(line)]);
        return static_cast<int>(VEXO_SDK_OK);
    });
}

template <typename Read>
int readOutput(int handle, int line, int* value, Read read)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!value)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        const CameraSettings s = camera.settings();
        if (line < 0 || line >= static_cast<int>(s.outputs.size()))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        *value = read(s.outputs[static_cast<size_t>(line)]);
        return static_cast<int>(VEXO_SDK_OK);
    });
}

// Setter of one ranged field of an input or output line.
#define VEXO_LINE_SETTER(function, change, Line, field, low, high)            \
    int function(int handle, int line, int value)                             \
    {                                                                         \
        return change(handle, line, [&](Line& l) {                           \
            if (!inRange(value, low, high))                                   \
                return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);               \
            l.field = value;                                                  \
            return static_cast<int>(VEXO_SDK_OK);                             \
        });                                                                   \
    }

#define VEXO_LINE_GETTER(function, read, Line, field)                                 \
    int function(int handle, int line, int* value)                                    \
    {                                                                                 \
        return read(handle, line, value, [](const Line& l) { return l.field; });      \
    }

}  // namespace

extern "C" {

// ---- Trigger ----------------------------------------------------------------------------

int SdkSetTriggerMode(int handle, int mode)
{
    return changeSettings(handle, [&](CameraSettings& s) {
        if (!inRange(mode, 0, 2) || (mode == 2 && s.inputs.empty()))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        s.triggerMode = mode;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkGetTriggerMode(int handle, int* mode)
{
    return readSetting(handle, mode, [](const CameraSettings& s, Camera&) { return s.triggerMode; });
}

int SdkSoftwareTriggerOnce(int handle)
{
    return withCamera(handle, [](Camera& camera) { return camera.softwareTrigger(); });
}

int SdkSetTriggerFrameCount(int handle, int frames)
{
    return changeSettings(handle, [&](CameraSettings& s) {
        if (!inRange(frames, 1, 1000))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        s.triggerFrames = frames;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkGetTriggerFrameCount(int handle, int* frames)
{
    return readSetting(handle, frames, [](const CameraSettings& s, Camera&) { return s.triggerFrames; });
}

int SdkSetTriggerDelay(int handle, int delayUs)
{
    return changeSettings(handle, [&](CameraSettings& s) {
        if (!inRange(delayUs, 0, 10000000))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        s.triggerDelayUs = delayUs;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkGetTriggerDelay(int handle, int* delayUs)
{
    return readSetting(handle, delayUs, [](const CameraSettings& s, Camera&) { return s.triggerDelayUs; });
}

// ---- Input lines ------------------------------------------------------------------------

VEXO_LINE_SETTER(SdkSetInputMode, changeInput, InputLineSetting, mode, 0, 1)
VEXO_LINE_GETTER(SdkGetInputMode, readInput, InputLineSetting, mode)
VEXO_LINE_SETTER(SdkSetInputTriggerEdge, changeInput, InputLineSetting, edge, 0, 3)
VEXO_LINE_GETTER(SdkGetInputTriggerEdge, readInput, InputLineSetting, edge)
VEXO_LINE_GETTER(SdkGetInputDebounceTime, readInput, InputLineSetting, debounceUs)

// ---- Output lines -----------------------------------------------------------------------

VEXO_LINE_SETTER(SdkSetOutputMode, changeOutput, OutputLineSetting, mode, 0, 2)
VEXO_LINE_GETTER(SdkGetOutputMode, readOutput, OutputLineSetting, mode)
VEXO_LINE_SETTER(SdkSetStrobeMode, changeOutput, OutputLineSetting, strobeMode, 0, 1)
VEXO_LINE_GETTER(SdkGetStrobeMode, readOutput, OutputLineSetting, strobeMode)
VEXO_LINE_SETTER(SdkSetStrobePolarity, changeOutput, OutputLineSetting, polarity, 0, 1)
VEXO_LINE_GETTER(SdkGetStrobePolarity, readOutput, OutputLineSetting, polarity)
VEXO_LINE_GETTER(SdkGetStrobeDelay, readOutput, OutputLineSetting, strobeDelayUs)
VEXO_LINE_GETTER(SdkGetStrobePulseWidth, readOutput, OutputLineSetting, strobeWidthUs)
VEXO_LINE_SETTER(SdkSetOutputLevel, changeOutput, OutputLineSetting, level, 0, 1)
VEXO_LINE_GETTER(SdkGetOutputLevel, readOutput, OutputLineSetting, level)

int SdkGetPwmParameters(int handle, int line, int* periodUs, int* highUs)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!periodUs || !highUs)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        const CameraSettings s = camera.settings();
        if (line < 0 || line >= static_cast<int>(s.outputs.size()))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        *periodUs = s.outputs[static_cast<size_t>(line)].pwmPeriodUs;
        *highUs = s.outputs[static_cast<size_t>(line)].pwmHighUs;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

// ---- GigE transport ---------------------------------------------------------------------

int SdkSetPacketSize(int handle, int bytes)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!camera.model().isGigE())
            return static_cast<int>(VEXO_SDK_NOT_MATCHING);
        if (!inRange(bytes, 576, 9000))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        return camera.change([&](CameraSettings& s) {
            s.packetSize = bytes;
            return static_cast<int>(VEXO_SDK_OK);
        });
    });
}

int SdkGetPacketSize(int handle, int* bytes)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!bytes)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        if (!camera.model().isGigE())
            return static_cast<int>(VEXO_SDK_NOT_MATCHING);
        *bytes = camera.settings().packetSize;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkSetPacketInterval(int handle, int intervalUs)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!camera.model().isGigE())
            return static_cast<int>(VEXO_SDK_NOT_MATCHING);
        if (!inRange(intervalUs, 0, 100000))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        return camera.change([&](CameraSettings& s) {
            s.packetIntervalUs = intervalUs;
            return static_cast<int>(VEXO_SDK_OK);
        });
    });
}

int SdkGetPacketInterval(int handle, int* intervalUs)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!intervalUs)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        if (!camera.model().isGigE())
            return static_cast<int>(VEXO_SDK_NOT_MATCHING);
        *intervalUs = camera.settings().packetIntervalUs;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

// ---- Extended parameters ----------------------------------------------------------------

int SdkSetExtendedParameter(int handle, int id, int value)
{
    return withCamera(handle, [&](Camera& camera) {
        const CameraModel& m = camera.model();
        if (id == VEXO_SDK_EXT_CHANNEL_MASK) {
            const long long allChannels = (1LL << m.channelCount) - 1;
            if (!inRange(value, 0, allChannels))
                return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
            return camera.change([&](CameraSettings& s) {
                s.channelMask = static_cast<uint32_t>(value);
                return static_cast<int>(VEXO_SDK_OK);
            });
        }
        if (id == VEXO_SDK_EXT_FOCUS_POSITION) {
            if (!m.focusDrive)
                return static_cast<int>(VEXO_SDK_NOT_MATCHING);
            if (!inRange(value, m.focusMin, m.focusMax))
                return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
            return camera.change([&](CameraSettings& s) {
                s.focusPosition = value;
                return static_cast<int>(VEXO_SDK_OK);
            });
        }
        return static_cast<int>(VEXO_SDK_NOT_MATCHING);   // unknown or read-only
    });
}

int SdkGetExtendedParameter(int handle, int id, int* value)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!value)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        const CameraModel& m = camera.model();
        switch (id) {
        case VEXO_SDK_EXT_CHANNEL_MASK:
            *value = static_cast<int>(camera.settings().channelMask);
            return static_cast<int>(VEXO_SDK_OK);
        case VEXO_SDK_EXT_FOCUS_SUPPORTED:
            *value = m.focusDrive ? 1 : 0;
            return static_cast<int>(VEXO_SDK_OK);
        case VEXO_SDK_EXT_CHANNEL_COUNT:
            *value = m.channelCount;
            return static_cast<int>(VEXO_SDK_OK);
        case VEXO_SDK_EXT_FOCUS_POSITION:
        case VEXO_SDK_EXT_FOCUS_MIN:
        case VEXO_SDK_EXT_FOCUS_MAX:
        case VEXO_SDK_EXT_FOCUS_DEFAULT:
            if (!m.focusDrive)
                return static_cast<int>(VEXO_SDK_NOT_MATCHING);
            *value = id == VEXO_SDK_EXT_FOCUS_POSITION ? camera.settings().focusPosition
                     : id == VEXO_SDK_EXT_FOCUS_MIN    ? m.focusMin
                     : id == VEXO_SDK_EXT_FOCUS_MAX    ? m.focusMax
                                                       : m.focusDefault;
            return static_cast<int>(VEXO_SDK_OK);
        default:
            return static_cast<int>(VEXO_SDK_NOT_MATCHING);
        }
    });
}

}  // extern "C"
