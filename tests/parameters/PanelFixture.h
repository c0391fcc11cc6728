#pragma once
// Shared steps of the parameter panel tests: a main window with its grid, cameras opened
// through it, controls driven by object name and camera values read back through the
// camera library's own getters.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>

#include "CameraThread.h"
#include "VexoCam.h"
#include "VexoCameraApi.h"

namespace panelfixture {

inline QString programDir()
{
    return qEnvironmentVariable("VEXO_PROGRAM_DIR");
}

// Waits for the grid the window builds after start-up; with four windows when asked.
inline bool waitForGrid(VexoCam& window, bool fourWindows = false)
{
    if (!QTest::qWaitFor([&] { return !window.cameraWindowList().isEmpty(); }, 20000))
        return false;
    if (fourWindows) {
        window.findChild<QAction*>("action_fourframe")->trigger();
        return QTest::qWaitFor([&] { return window.cameraWindowList().size() == 4; }, 20000);
    }
    return true;
}

// Opens a camera as the device tree does; returns the handle the panel now acts on.
inline int openCamera(VexoCam& window, const QString& identifier)
{
    window.cameraWidget_open(identifier);
    for (CameraThread* camera : window.cameraWindowList()) {
        if (camera->isShowingCamera(identifier))
            return camera->cameraHandle();
    }
    return 0;
}

// Types into a line edit as a user does: what it holds is selected and replaced key by
// key, and Return ends the editing. A field the user cannot type into refuses.
inline bool typeText(QLineEdit* edit, const QString& text)
{
    if (!edit->isEnabled() || edit->isReadOnly())
        return false;
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    return true;
}

// Drives one control the way a user would change it: "name=value".
inline bool apply(QObject* root, const QString& step)
{
    const int split = step.indexOf('=');
    const QString name = step.left(split);
    const QString value = step.mid(split + 1);
    QObject* object = root->findChild<QObject*>(name);
    if (!object)
        return false;
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(object))
        spin->setValue(value.toDouble());
    else if (auto* spin = qobject_cast<QSpinBox*>(object))
        spin->setValue(value.toInt());
    else if (auto* slider = qobject_cast<QSlider*>(object))
        slider->setValue(value.toInt());
    else if (auto* edit = qobject_cast<QLineEdit*>(object))
        return typeText(edit, value);
    else if (auto* combo = qobject_cast<QComboBox*>(object))
        combo->setCurrentIndex(value.toInt());
    else if (auto* button = qobject_cast<QPushButton*>(object))
        value == "click" ? button->click() : button->setStyleSheet(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(object))
        button->setChecked(value == "1");
    else
        return false;
    return true;
}

// A camera value as text, read through the library: the probes name what they read.
inline QString probe(int handle, const QString& name)
{
    VexoCameraParameters p{};
    SdkGetCameraParameters(handle, &p);
    auto number = [](int v) { return QString::number(v); };
    int value = -1, other = -1;
    if (name == "whiteBalanceMode")
        return number(p.whiteBalanceMode);
    if (name == "gains")
        return QString("%1,%2,%3").arg(p.redGain).arg(p.greenGain).arg(p.blueGain);
    if (name == "redGain")
        return number(int(p.redGain));
    if (name == "frameSpeed")
        return number(p.frameSpeed);
    if (name == "mirror")
        return QString("%1,%2").arg(p.mirrorHorizontal).arg(p.mirrorVertical);
    if (name == "monochrome")
        return number(p.monochrome);
    if (name == "defectCorrection")
        return number(p.defectPixelCorrection);
    if (name == "contrast")
        return number(p.contrast);
    if (name == "sharpness")
        return number(p.sharpness);
    if (name == "saturation")
        return number(p.saturation);
    if (name == "exposureMode")
        return number(p.exposureMode);
    if (name == "exposureUs")
        return QString::number(p.exposureTimeUs);
    if (name == "analogGain")
        return number(p.analogGainMilli);
    if (name == "targetBrightness")
        return number(p.targetBrightness);
    if (name == "autoExposureTimeRange")
        return QString("%1,%2").arg(p.autoExposureMinTimeUs).arg(p.autoExposureMaxTimeUs);
    if (name == "autoExposureGainRange")
        return QString("%1,%2").arg(p.autoExposureMinGainMilli).arg(p.autoExposureMaxGainMilli);
    if (name == "antiFlicker")
        return number(p.antiFlicker);
    if (name == "lightFrequency")
        return number(p.lightFrequency);
    if (name == "lutMode")
        return SdkGetLutMode(handle, &value), number(value);
    if (name == "gamma")
        return SdkGetGamma(handle, &value), number(value);
    if (name == "lutContrast")
        return SdkGetLutContrast(handle, &value), number(value);
    if (name == "presetLut")
        return SdkGetPresetLut(handle, &value), number(value);
    if (name == "imageFormat") {
        uint32_t format = 0;
        SdkGetImageFormat(handle, &format);
        return QString::number(format);
    }
    if (name == "resolutionIndex")
        return SdkGetResolutionIndex(handle, &value), number(value);
    if (name == "triggerMode")
        return SdkGetTriggerMode(handle, &value), number(value);
    if (name == "triggerFrames")
        return SdkGetTriggerFrameCount(handle, &value), number(value);
    if (name == "triggerDelay")
        return SdkGetTriggerDelay(handle, &value), number(value);
    if (name == "loadMode")
        return SdkGetParameterLoadMode(handle, &value), number(value);
    if (name == "currentGroup")
        return SdkGetCurrentParameterGroup(handle, &value), number(value);
    if (name == "focus")
        return SdkGetExtendedParameter(handle, VEXO_SDK_EXT_FOCUS_POSITION, &value), number(value);
    if (name == "channelMask")
        return SdkGetExtendedParameter(handle, VEXO_SDK_EXT_CHANNEL_MASK, &value), number(value);
    if (name == "packetSize")
        return SdkGetPacketSize(handle, &value), number(value);
    if (name == "packetInterval")
        return SdkGetPacketInterval(handle, &value), number(value);
    // Per-line probes end in the line number: "inputMode1", "strobeMode0".
    const int line = name.right(1).toInt();
    const QString kind = name.left(name.size() - 1);
    if (kind == "inputMode")
        return SdkGetInputMode(handle, line, &value), number(value);
    if (kind == "triggerEdge")
        return SdkGetInputTriggerEdge(handle, line, &value), number(value);
    if (kind == "outputMode")
        return SdkGetOutputMode(handle, line, &value), number(value);
    if (kind == "strobeMode")
        return SdkGetStrobeMode(handle, line, &value), number(value);
    if (kind == "strobePolarity")
        return SdkGetStrobePolarity(handle, line, &value), number(value);
    if (kind == "outputLevel")
        return SdkGetOutputLevel(handle, line, &value), number(value);
    if (kind == "crosshair") {
        uint32_t colour = 0;
        SdkGetCrosshair(handle, line, &value, &other, &colour, &p.exposureMode);
        return QString("%1,%2,%3,%4").arg(value).arg(other).arg(colour).arg(p.exposureMode);
    }
    return QString("unknown probe ") + name;
}

}  // namespace panelfixture
