// The parameter panel's controls: every control of one widget kind goes to one generic
// slot, which looks the sender up in its dispatch table and calls the camera library for
// the selected camera.
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDebug>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <cmath>

#include "CameraThread.h"
#include "DeviceText.h"
#include "ParameterPanelLogic.h"
#include "RoiWidget.h"
#include "SpinBoxInputNotice.h"
#include "SuiteMessages.h"
#include "VexoCam.h"
#include "VexoCameraApi.h"
#include "WindowPlacement.h"
#include "ui_VexoCam.h"

namespace {

// A refusal is worth a line in the log besides what the user is told.
void logResult(const char* operation, int result)
{
    if (result != VEXO_SDK_OK)
        qDebug() << operation << "failed:" << result;
}

template <typename T>
T* child(const QObject* parent, const QString& name)
{
    return parent->findChild<T*>(name);
}

// Sets a control to the camera's value without any handler hearing of it.
template <typename Control, typename Value>
void showQuietly(Control* control, Value value)
{
    const bool wasBlocked = control->blockSignals(true);
    control->setValue(value);
    control->blockSignals(wasBlocked);
}

void setHint(QWidget* control, const QString& hint)
{
    control->setToolTip(hint);
    control->setStatusTip(hint);
}

// The slider whose value a spin box edits.
panel::SliderAction sliderActionOf(panel::SpinBoxAction action)
{
    using S = panel::SpinBoxAction;
    using A = panel::SliderAction;
    switch (action) {
        case S::WhiteBalanceGain:
            return A::WhiteBalanceGain;
        case S::Gamma:
            return A::Gamma;
        case S::LutContrast:
            return A::LutContrast;
        case S::AnalogGain:
            return A::AnalogGain;
        case S::ExposureTime:
            break;
    }
    return A::ExposureTime;
}

const int kStatusMs = 20000;

}  // namespace

void VexoCam::connectParameterPanel()
{
    for (const QString& name : panel::radioButtonsToConnect())
        connect(child<QRadioButton>(this, name), SIGNAL(toggled(bool)), this,
                SLOT(onRadioClickResult(bool)));
    for (const QString& name : panel::doubleSpinBoxesToConnect())
        connect(child<QDoubleSpinBox>(this, name), SIGNAL(valueChanged(double)), this,
                SLOT(onDoubleSpinBoxFruits(double)));
    for (const QString& name : panel::comboBoxesToConnect())
        connect(child<QComboBox>(this, name), SIGNAL(currentIndexChanged(int)), this,
                SLOT(onConboxResult(int)));
    for (const QString& name : panel::checkBoxesToConnect())
        connect(child<QCheckBox>(this, name), SIGNAL(toggled(bool)), this,
                SLOT(onCheckStatsResult(bool)));
    // A field's text goes to the camera once editing has finished (Enter or leaving the
    // field), never keystroke by keystroke, so half-typed numbers never reach it.
    for (const QString& name : panel::lineEditsToConnect())
        connect(child<QLineEdit>(this, name), SIGNAL(editingFinished()), this,
                SLOT(onLineEditFinished()));
    // Spin boxes likewise report their value when editing ends, so what the camera makes
    // of a value is written back only then and never under the cursor.
    // A character the spin box refuses (it would leave the range or the decimals) is
    // told in the status line with the range, instead of vanishing without a word.
    auto* notice = new SpinBoxInputNotice(this);
    for (QAbstractSpinBox* spin : findChildren<QAbstractSpinBox*>()) {
        spin->setKeyboardTracking(false);
        notice->watch(spin);
    }
    connect(notice, &SpinBoxInputNotice::refused, this,
            [this](QAbstractSpinBox* spin, const QString& attempted) {
                // Not a refused setting: the value the field keeps is still written when
                // editing ends, and this notice stays to say why it is not what was typed.
                ui->statusBar->showMessage(refusedInputText(spin, attempted), kStatusMs);
            });

    const QList<QPair<QSlider*, QSpinBox*>> coupled = {
        {ui->horizontalSlider_iContrast, ui->spinBox_iContrast},
        {ui->horizontalSlider_iSharpness, ui->spinBox_iSharpness},
        {ui->horizontalSlider_iSaturation, ui->spinBox_iSaturation},
        {ui->horizontalSlider_light, ui->spinBox_Light},
    };
    for (const auto& pair : coupled) {
        connect(pair.first, SIGNAL(valueChanged(int)), pair.second, SLOT(setValue(int)));
        connect(pair.second, SIGNAL(valueChanged(int)), pair.first, SLOT(setValue(int)));
    }

    for (int n = 1; n <= VEXO_SDK_CROSSHAIR_COUNT; ++n) {
        QPushButton* button = child<QPushButton>(this, QStringLiteral("pushButton_color%1").arg(n));
        connect(button, &QPushButton::clicked, this, [this, n] { chooseCrosshairColour(n); });
    }
    connect(ui->pushButton_packetSizeSett, &QPushButton::clicked, this,
            [this] { applyTransportSettings(); });
    // The address fields belong to a static address; DHCP hands out its own.
    connect(ui->radioButton_autoip, &QRadioButton::toggled, this,
            [this] { showAddressModeFields(); });

    // Controls the camera library has no operation for only show what the camera holds.
    for (QLineEdit* edit : {ui->lineEdit_time, ui->lineEdit_ldelay, ui->lineEdit_lpulsewidth,
                            ui->lineEdit_pwmcycle, ui->lineEdit_pwmhighttime})
        edit->setReadOnly(true);
    ui->checkBox_negativeMode->setEnabled(false);
    ui->comboBox_2->setEnabled(false);
    // The library takes gamma from 0.01 up.
    ui->horizontalSlider_gamma->setMinimum(1);
    ui->doubleSpinBox_gamma->setMinimum(0.01);
    showPanelHints();
}

void VexoCam::showPanelHints()
{
    const QString displayOnly =
        tr("相机的当前值（微秒）。相机库没有写入此值的操作，这里只能查看。");
    for (QLineEdit* edit : {ui->lineEdit_time, ui->lineEdit_ldelay, ui->lineEdit_lpulsewidth,
                            ui->lineEdit_pwmcycle, ui->lineEdit_pwmhighttime})
        setHint(edit, displayOnly);
    setHint(ui->checkBox_negativeMode, tr("相机库不支持底片模式，此选项不可用。"));
    setHint(ui->comboBox_2,
            tr("相机库没有色温预设，此选项不可用。请用下面的增益或一键白平衡调整白平衡。"));
    const QString addressMode = tr("地址方式，点击“设置”后写入相机");
    setHint(ui->radioButton_dhcp, addressMode);
    setHint(ui->radioButton_autoip, addressMode);

    // Ranges of the camera shown; the form's ranges while none is.
    panel::Limits exposure{ui->doubleSpinBox_exposureTime->minimum(),
                           ui->doubleSpinBox_exposureTime->maximum()};
    panel::Limits gain{ui->doubleSpinBox_analogGain->minimum(),
                       ui->doubleSpinBox_analogGain->maximum()};
    VexoCapabilities capabilities{};
    double step = 0;
    if (currentCamera != 0 && SdkGetCapabilities(currentCamera, &capabilities) == VEXO_SDK_OK &&
        SdkGetExposureStepTime(currentCamera, &step) == VEXO_SDK_OK) {
        exposure = panel::exposureLimitsMs(capabilities.exposureMinSteps,
                                           capabilities.exposureMaxSteps, step);
        gain = panel::gainLimits(capabilities.analogGainMinMilli, capabilities.analogGainMaxMilli);
    }
    const QString exposureHint = tr("范围：%1 毫秒").arg(panel::limitsText(exposure, 3));
    const QString gainHint = tr("范围：%1 倍").arg(panel::limitsText(gain, 3));
    for (QWidget* control :
         QList<QWidget*>{ui->doubleSpinBox_exposureTime, ui->horizontalSlider_exposureTime,
                         ui->lineEdit_minExposureRange, ui->lineEdit_maxExposureRange})
        setHint(control, exposureHint);
    for (QWidget* control :
         QList<QWidget*>{ui->doubleSpinBox_analogGain, ui->horizontalSlider_analogGain,
                         ui->lineEdit_minGainRange, ui->lineEdit_maxGainRange})
        setHint(control, gainHint);
    const QString whiteBalanceHint = tr("范围：%1 倍").arg(panel::limitsText({0, 4}, 2));
    for (QWidget* control :
         QList<QWidget*>{ui->doubleSpinBox_gainred, ui->doubleSpinBox_gaingreen,
                         ui->doubleSpinBox_gainblue, ui->horizontalSlider_gainred,
                         ui->horizontalSlider_gaingreen, ui->horizontalSlider_gainblue})
        setHint(control, whiteBalanceHint);
    const auto plainRange = [this](QWidget* a, QWidget* b, double lowest, double highest,
                                   int decimals) {
        const QString hint = tr("范围：%1").arg(panel::limitsText({lowest, highest}, decimals));
        setHint(a, hint);
        setHint(b, hint);
    };
    plainRange(ui->doubleSpinBox_gamma, ui->horizontalSlider_gamma, 0.01, 10, 2);
    plainRange(ui->doubleSpinBox_contrast, ui->horizontalSlider_contrast, 0, 2, 2);
    for (const auto& pair : {qMakePair(ui->horizontalSlider_iContrast, ui->spinBox_iContrast),
                             qMakePair(ui->horizontalSlider_iSharpness, ui->spinBox_iSharpness),
                             qMakePair(ui->horizontalSlider_iSaturation, ui->spinBox_iSaturation),
                             qMakePair(ui->horizontalSlider_light, ui->spinBox_Light)})
        plainRange(pair.first, pair.second, pair.second->minimum(), pair.second->maximum(), 0);
    QSlider* focus = ui->horizontalSlider_supportFocusing;
    setHint(focus,
            tr("范围：%1")
                .arg(panel::limitsText({double(focus->minimum()), double(focus->maximum())}, 0)));
    setHint(ui->lineEdit_tirggerframes,
            tr("范围：%1 帧").arg(panel::limitsText(panel::kTriggerFrameLimits, 0)));
    setHint(ui->lineEdit_tirggerdelay,
            tr("范围：%1 微秒").arg(panel::limitsText(panel::kTriggerDelayLimitsUs, 0)));
    setHint(ui->lineEdit_PacketSize, tr("范围：576–9000 字节"));
    setHint(ui->lineEdit_netWorkIntervalTime, tr("范围：0–100000 微秒"));
    for (int n = 1; n <= VEXO_SDK_CROSSHAIR_COUNT; ++n) {
        for (const char* axis : {"lineEdit_x%1", "lineEdit_y%1"})
            setHint(child<QLineEdit>(this, QString::fromLatin1(axis).arg(n)),
                    tr("图像中的位置（像素），勾选“显示”后写入相机"));
    }
}

void VexoCam::showPanelStatus(const QString& text)
{
    lastPanelStatus = text;
    ui->statusBar->showMessage(text, kStatusMs);
}

QString VexoCam::refusedInputText(QAbstractSpinBox* spin, const QString& attempted) const
{
    if (auto* real = qobject_cast<QDoubleSpinBox*>(spin))
        return tr("不接受“%1”：范围 %2，最多 %3 位小数")
            .arg(attempted, panel::limitsText({real->minimum(), real->maximum()}, real->decimals()))
            .arg(real->decimals());
    if (auto* whole = qobject_cast<QSpinBox*>(spin))
        return tr("不接受“%1”：范围 %2")
            .arg(attempted, panel::limitsText({double(whole->minimum()), double(whole->maximum())}, 0));
    return tr("不接受“%1”").arg(attempted);
}

void VexoCam::disableParameterPanel()
{
    currentCamera = 0;
    ui->tabWidget->setEnabled(false);
    ui->widget_settingToolbar->setEnabled(false);
}

// Every write from the panel ends here: a refusal is logged and told in the status line,
// and the panel is refilled from the camera afterwards so no control keeps a value the
// camera did not take. A write the camera took counts as an edit not yet saved.
bool VexoCam::reportSetting(const char* operation, int result, const QString& what,
                            bool parameterEdit)
{
    logResult(operation, result);
    if (result == VEXO_SDK_OK) {
        if (parameterEdit)
            editedCameras.insert(currentCamera);
        // A refusal told earlier no longer holds once the camera takes a value.
        if (!lastPanelStatus.isEmpty() && ui->statusBar->currentMessage() == lastPanelStatus)
            ui->statusBar->clearMessage();
        return true;
    }
    QString reason;
    switch (panel::settingRefusal(result)) {
        case panel::SettingRefusal::OutOfRange:
            reason = tr("超出相机的范围");
            break;
        case panel::SettingRefusal::WrongMode:
            reason = tr("当前模式下不可用");
            break;
        case panel::SettingRefusal::NotSupported:
            reason = tr("相机不支持此功能");
            break;
        case panel::SettingRefusal::CameraClosed:
            reason = tr("相机已关闭");
            break;
        case panel::SettingRefusal::None:
        case panel::SettingRefusal::Other:
            reason = tr("错误码%1").arg(result);
            break;
    }
    showPanelStatus(tr("相机未接受%1：%2").arg(what, reason));
    const int camera = currentCamera;
    if (!readBackPending && camera != 0) {
        readBackPending = true;
        QMetaObject::invokeMethod(
            this,
            [this, camera] {
                readBackPending = false;
                if (currentCamera == camera)
                    readBack(camera);
            },
            Qt::QueuedConnection);
    }
    return false;
}

void VexoCam::onRadioClickResult(bool status)
{
    auto* button = qobject_cast<QRadioButton*>(sender());
    if (!button)
        return;
    const auto* row = panel::findRow(panel::radioTable(), button->objectName());
    if (!row)
        return;
    using A = panel::RadioAction;
    switch (row->action) {
        case A::ManualWhiteBalance:
            ui->groupBox_Manualwb->setEnabled(true);
            if (reportSetting("SdkSetWhiteBalanceMode",
                              SdkSetWhiteBalanceMode(currentCamera, row->value), tr("白平衡模式")))
                reportSetting("SdkOneTouchWhiteBalance", SdkOneTouchWhiteBalance(currentCamera),
                              tr("一键白平衡"));
            break;
        case A::AutoWhiteBalance:
            ui->groupBox_Manualwb->setEnabled(false);
            reportSetting("SdkSetWhiteBalanceMode",
                          SdkSetWhiteBalanceMode(currentCamera, row->value), tr("白平衡模式"));
            break;
        case A::FrameSpeed:
            reportSetting("SdkSetFrameSpeed", SdkSetFrameSpeed(currentCamera, row->value),
                          tr("帧率"));
            break;
        case A::LutTrack:
        case A::LutPreset:
            reportSetting("SdkSetLutMode", SdkSetLutMode(currentCamera, row->value), tr("LUT模式"));
            ui->groupBox_preset->setEnabled(row->action == A::LutPreset);
            ui->groupBox_track->setEnabled(row->action == A::LutTrack);
            break;
        case A::AutoExposure:
        case A::ManualExposure:
            reportSetting("SdkSetExposureMode", SdkSetExposureMode(currentCamera, row->value),
                          tr("曝光模式"));
            ui->groupBox_ManualExposure->setEnabled(row->action == A::ManualExposure);
            ui->groupBox_AutoExposure->setEnabled(row->action == A::AutoExposure);
            // Automatic exposure changed time and gain meanwhile; the manual fields show
            // where it left them.
            if (row->action == A::ManualExposure && status) {
                showHeldValue(panel::SliderAction::ExposureTime);
                showHeldValue(panel::SliderAction::AnalogGain);
            }
            break;
        case A::LightFrequency:
            reportSetting("SdkSetLightFrequency", SdkSetLightFrequency(currentCamera, row->value),
                          tr("光源频率"));
            break;
        case A::TriggerContinuous:
        case A::TriggerSoftware:
        case A::TriggerHardware:
            reportSetting("SdkSetTriggerMode", SdkSetTriggerMode(currentCamera, row->value),
                          tr("触发模式"));
            showTriggerMode(row->value, ui->comboBox_input->count(), ui->comboBox_output->count());
            break;
        case A::LoadMode:
            // The load mode is kept apart from the parameter groups: no edit to save.
            reportSetting("SdkSetParameterLoadMode",
                          SdkSetParameterLoadMode(currentCamera, row->value), tr("加载模式"),
                          false);
            break;
        case A::ParameterGroup:
            selectParameterGroup(row->value, status);
            break;
    }
}

// Enabled states of the trigger page for a trigger mode. The hardware-trigger groups are
// only offered where the camera has the lines they act on.
void VexoCam::showTriggerMode(int mode, int inputLines, int outputLines)
{
    const bool software = mode == 1;
    const bool hardware = mode != 0 && mode != 1;
    ui->pushButton_tirggeronce->setEnabled(software);
    ui->groupBox_13->setEnabled(software);
    ui->groupBox_hardtrigger->setEnabled(hardware && inputLines > 0);
    ui->groupBox_iosignal->setEnabled(hardware && outputLines > 0);
}

void VexoCam::onSliderResult(int value)
{
    auto* slider = qobject_cast<QSlider*>(sender());
    if (!slider)
        return;
    const auto* row = panel::findRow(panel::sliderTable(), slider->objectName());
    if (!row)
        return;
    using A = panel::SliderAction;
    switch (row->action) {
        case A::WhiteBalanceGain:
            reportSetting("SdkSetWhiteBalanceGains",
                          SdkSetWhiteBalanceGains(currentCamera,
                                                  uint16_t(ui->horizontalSlider_gainred->value()),
                                                  uint16_t(ui->horizontalSlider_gaingreen->value()),
                                                  uint16_t(ui->horizontalSlider_gainblue->value())),
                          tr("白平衡增益"));
            break;
        case A::Contrast:
            reportSetting("SdkSetContrast", SdkSetContrast(currentCamera, value), tr("对比度"));
            break;
        case A::Sharpness:
            reportSetting("SdkSetSharpness", SdkSetSharpness(currentCamera, value), tr("锐度"));
            break;
        case A::Saturation:
            reportSetting("SdkSetSaturation", SdkSetSaturation(currentCamera, value), tr("饱和度"));
            break;
        case A::Gamma:
            reportSetting("SdkSetGamma", SdkSetGamma(currentCamera, value), tr("伽玛"));
            break;
        case A::LutContrast:
            reportSetting("SdkSetLutContrast", SdkSetLutContrast(currentCamera, value),
                          tr("LUT对比度"));
            break;
        case A::TargetBrightness:
            reportSetting("SdkSetTargetBrightness",
                          SdkSetTargetBrightness(currentCamera, uint16_t(value)), tr("亮度目标"));
            break;
        case A::AnalogGain:
            reportSetting("SdkSetAnalogGain", SdkSetAnalogGain(currentCamera, value),
                          tr("模拟增益"));
            break;
        case A::ExposureTime: {
            double step = 0;
            SdkGetExposureStepTime(currentCamera, &step);
            reportSetting("SdkSetExposureTime", SdkSetExposureTime(currentCamera, value * step),
                          tr("曝光时间"));
            break;
        }
        case A::Focus:
            reportSetting("SdkSetExtendedParameter",
                          SdkSetExtendedParameter(currentCamera, row->value, value),
                          tr("调焦位置"));
            break;
    }
    showHeldValue(row->action);
}

// Slider and spin box of a value show what the camera holds: the exposure in whole steps,
// a refused value as it was before.
void VexoCam::showHeldValue(panel::SliderAction action)
{
    if (currentCamera == 0)
        return;
    VexoCameraParameters p{};
    if (SdkGetCameraParameters(currentCamera, &p) != VEXO_SDK_OK)
        return;
    using A = panel::SliderAction;
    int value = 0;
    switch (action) {
        case A::WhiteBalanceGain:
            showQuietly(ui->horizontalSlider_gainred, int(p.redGain));
            showQuietly(ui->horizontalSlider_gaingreen, int(p.greenGain));
            showQuietly(ui->horizontalSlider_gainblue, int(p.blueGain));
            showQuietly(ui->doubleSpinBox_gainred, p.redGain / 100.0);
            showQuietly(ui->doubleSpinBox_gaingreen, p.greenGain / 100.0);
            showQuietly(ui->doubleSpinBox_gainblue, p.blueGain / 100.0);
            break;
        case A::Contrast:
            showQuietly(ui->horizontalSlider_iContrast, p.contrast);
            showQuietly(ui->spinBox_iContrast, p.contrast);
            break;
        case A::Sharpness:
            showQuietly(ui->horizontalSlider_iSharpness, p.sharpness);
            showQuietly(ui->spinBox_iSharpness, p.sharpness);
            break;
        case A::Saturation:
            showQuietly(ui->horizontalSlider_iSaturation, p.saturation);
            showQuietly(ui->spinBox_iSaturation, p.saturation);
            break;
        case A::Gamma:
            if (SdkGetGamma(currentCamera, &value) == VEXO_SDK_OK) {
                showQuietly(ui->horizontalSlider_gamma, value);
                showQuietly(ui->doubleSpinBox_gamma, value / 100.0);
            }
            break;
        case A::LutContrast:
            if (SdkGetLutContrast(currentCamera, &value) == VEXO_SDK_OK) {
                showQuietly(ui->horizontalSlider_contrast, value);
                showQuietly(ui->doubleSpinBox_contrast, value / 100.0);
            }
            break;
        case A::TargetBrightness:
            showQuietly(ui->horizontalSlider_light, p.targetBrightness);
            showQuietly(ui->spinBox_Light, p.targetBrightness);
            break;
        case A::AnalogGain:
            showQuietly(ui->horizontalSlider_analogGain, p.analogGainMilli);
            showQuietly(ui->doubleSpinBox_analogGain, p.analogGainMilli / 1000.0);
            break;
        case A::ExposureTime: {
            double step = 0;
            SdkGetExposureStepTime(currentCamera, &step);
            showQuietly(ui->horizontalSlider_exposureTime,
                        panel::exposureSliderPosition(p.exposureTimeUs, step));
            showQuietly(ui->doubleSpinBox_exposureTime, p.exposureTimeUs / 1000);
            break;
        }
        case A::Focus:
            if (SdkGetExtendedParameter(currentCamera, VEXO_SDK_EXT_FOCUS_POSITION, &value) ==
                VEXO_SDK_OK)
                showQuietly(ui->horizontalSlider_supportFocusing, value);
            break;
    }
}

void VexoCam::onCheckStatsResult(bool checked)
{
    auto* box = qobject_cast<QCheckBox*>(sender());
    if (!box)
        return;
    const auto* row = panel::findRow(panel::checkTable(), box->objectName());
    if (!row)
        return;
    const int on = checked ? 1 : 0;
    using A = panel::CheckAction;
    switch (row->action) {
        case A::Mirror:
            reportSetting("SdkSetMirror", SdkSetMirror(currentCamera, row->value, on),
                          row->value == 0 ? tr("水平镜像") : tr("垂直翻转"));
            break;
        case A::Monochrome:
            reportSetting("SdkSetMonochrome", SdkSetMonochrome(currentCamera, on), tr("黑白模式"));
            break;
        case A::DefectCorrection:
            reportSetting("SdkSetDefectPixelCorrection",
                          SdkSetDefectPixelCorrection(currentCamera, on), tr("坏点修正"));
            break;
        case A::Crosshair: {
            const int n = row->value;
            const int x = panel::integerOf(
                child<QLineEdit>(this, QStringLiteral("lineEdit_x%1").arg(n))->text());
            const int y = panel::integerOf(
                child<QLineEdit>(this, QStringLiteral("lineEdit_y%1").arg(n))->text());
            const QColor colour =
                child<QPushButton>(this, QStringLiteral("pushButton_color%1").arg(n))
                    ->palette()
                    .color(QPalette::Window);
            reportSetting(
                "SdkSetCrosshair",
                SdkSetCrosshair(currentCamera, n - 1, x, y, panel::packedColour(colour), on),
                tr("十字线%1").arg(n));
            break;
        }
        case A::AntiFlicker:
            reportSetting("SdkSetAntiFlicker", SdkSetAntiFlicker(currentCamera, on), tr("抗闪频"));
            ui->radioButton_50Hz->setEnabled(checked);
            ui->radioButton_60Hz->setEnabled(checked);
            break;
        case A::Channel: {
            QList<bool> states;
            for (QCheckBox* channel : qAsConst(channelBoxes))
                states.append(channel->isChecked());
            reportSetting("SdkSetExtendedParameter",
                          SdkSetExtendedParameter(currentCamera, VEXO_SDK_EXT_CHANNEL_MASK,
                                                  panel::channelMask(states)),
                          tr("多通道"));
            break;
        }
    }
}

void VexoCam::onLineEditFinished()
{
    if (auto* edit = qobject_cast<QLineEdit*>(sender()))
        onLineEditResult(edit->text());
}

// What is wrong with a typed value, told in the status line; the field then shows the
// camera's value again.
void VexoCam::reportEntry(const QString& what, panel::Entry entry, const QString& text,
                          const QString& limits)
{
    QString reason;
    switch (entry) {
        case panel::Entry::Ok:
            return;
        case panel::Entry::Empty:
            reason = tr("请输入数值");
            break;
        case panel::Entry::NotANumber:
            reason = tr("“%1”不是数字").arg(text);
            break;
        case panel::Entry::NotWhole:
            reason = tr("请输入整数");
            break;
        case panel::Entry::OutOfRange:
            reason = tr("%1超出范围%2").arg(text, limits);
            break;
        case panel::Entry::MinAboveMax:
            reason = tr("最小值大于最大值");
            break;
    }
    showPanelStatus(tr("%1未设置：%2").arg(what, reason));
}

void VexoCam::onLineEditResult(QString text)
{
    auto* edit = qobject_cast<QLineEdit*>(sender());
    if (!edit || currentCamera == 0)
        return;
    const auto* row = panel::findRow(panel::lineEditTable(), edit->objectName());
    if (!row)
        return;
    using A = panel::LineEditAction;
    switch (row->action) {
        case A::ExposureRange: {
            VexoCapabilities capabilities{};
            double step = 0;
            SdkGetCapabilities(currentCamera, &capabilities);
            SdkGetExposureStepTime(currentCamera, &step);
            const panel::Limits limits = panel::exposureLimitsMs(
                capabilities.exposureMinSteps, capabilities.exposureMaxSteps, step);
            const panel::RangeEntry range =
                panel::checkRange(ui->lineEdit_minExposureRange->text(),
                                  ui->lineEdit_maxExposureRange->text(), limits);
            if (range.entry == panel::Entry::Ok)
                reportSetting("SdkSetAutoExposureTimeRange",
                              SdkSetAutoExposureTimeRange(currentCamera, range.minimum * 1000.0,
                                                          range.maximum * 1000.0),
                              tr("曝光范围"));
            else
                reportEntry(tr("曝光范围"), range.entry,
                            (range.field == 0 ? ui->lineEdit_minExposureRange
                                              : ui->lineEdit_maxExposureRange)
                                ->text(),
                            tr("%1 毫秒").arg(panel::limitsText(limits, 3)));
            break;
        }
        case A::GainRange: {
            VexoCapabilities capabilities{};
            SdkGetCapabilities(currentCamera, &capabilities);
            const panel::Limits limits =
                panel::gainLimits(capabilities.analogGainMinMilli, capabilities.analogGainMaxMilli);
            const panel::RangeEntry range = panel::checkRange(
                ui->lineEdit_minGainRange->text(), ui->lineEdit_maxGainRange->text(), limits);
            if (range.entry == panel::Entry::Ok)
                reportSetting("SdkSetAutoExposureGainRange",
                              SdkSetAutoExposureGainRange(currentCamera,
                                                          int(std::lround(range.minimum * 1000)),
                                                          int(std::lround(range.maximum * 1000))),
                              tr("增益范围"));
            else
                reportEntry(
                    tr("增益范围"), range.entry,
                    (range.field == 0 ? ui->lineEdit_minGainRange : ui->lineEdit_maxGainRange)
                        ->text(),
                    tr("%1 倍").arg(panel::limitsText(limits, 3)));
            break;
        }
        case A::TriggerFrames:
        case A::TriggerDelay: {
            const bool frames = row->action == A::TriggerFrames;
            const panel::Limits limits =
                frames ? panel::kTriggerFrameLimits : panel::kTriggerDelayLimitsUs;
            const QString what = frames ? tr("触发帧数") : tr("触发延迟");
            double value = 0;
            const panel::Entry entry = panel::checkValue(text, limits, true, &value);
            if (entry != panel::Entry::Ok)
                reportEntry(
                    what, entry, text,
                    (frames ? tr("%1 帧") : tr("%1 微秒")).arg(panel::limitsText(limits, 0)));
            else if (frames)
                reportSetting("SdkSetTriggerFrameCount",
                              SdkSetTriggerFrameCount(currentCamera, int(value)), what);
            else
                reportSetting("SdkSetTriggerDelay", SdkSetTriggerDelay(currentCamera, int(value)),
                              what);
            break;
        }
    }
    showHeldTexts(row->action);
}

// The line edits of the exposure and trigger pages show what the camera holds.
void VexoCam::showHeldTexts(panel::LineEditAction action)
{
    using A = panel::LineEditAction;
    VexoCameraParameters p{};
    int value = 0;
    switch (action) {
        case A::ExposureRange:
            if (SdkGetCameraParameters(currentCamera, &p) == VEXO_SDK_OK) {
                ui->lineEdit_minExposureRange->setText(
                    panel::exposureRangeText(p.autoExposureMinTimeUs));
                ui->lineEdit_maxExposureRange->setText(
                    panel::exposureRangeText(p.autoExposureMaxTimeUs));
            }
            break;
        case A::GainRange:
            if (SdkGetCameraParameters(currentCamera, &p) == VEXO_SDK_OK) {
                ui->lineEdit_minGainRange->setText(
                    panel::gainRangeText(p.autoExposureMinGainMilli));
                ui->lineEdit_maxGainRange->setText(
                    panel::gainRangeText(p.autoExposureMaxGainMilli));
            }
            break;
        case A::TriggerFrames:
            if (SdkGetTriggerFrameCount(currentCamera, &value) == VEXO_SDK_OK)
                ui->lineEdit_tirggerframes->setText(QString::number(value));
            break;
        case A::TriggerDelay:
            if (SdkGetTriggerDelay(currentCamera, &value) == VEXO_SDK_OK)
                ui->lineEdit_tirggerdelay->setText(QString::number(value));
            break;
    }
}

void VexoCam::onDoubleSpinBoxFruits(double value)
{
    auto* spin = qobject_cast<QDoubleSpinBox*>(sender());
    if (!spin)
        return;
    const auto* row = panel::findRow(panel::spinBoxTable(), spin->objectName());
    if (!row)
        return;
    QSlider* slider = nullptr;
    int position = 0;
    using A = panel::SpinBoxAction;
    switch (row->action) {
        case A::WhiteBalanceGain: {
            QSlider* sliders[] = {ui->horizontalSlider_gainred, ui->horizontalSlider_gaingreen,
                                  ui->horizontalSlider_gainblue};
            slider = sliders[row->value];
            position = panel::sliderPosition(value, 100);
            break;
        }
        case A::Gamma:
            slider = ui->horizontalSlider_gamma;
            position = panel::sliderPosition(value, 100);
            break;
        case A::LutContrast:
            slider = ui->horizontalSlider_contrast;
            position = panel::sliderPosition(value, 100);
            break;
        case A::AnalogGain:
            slider = ui->horizontalSlider_analogGain;
            position = panel::sliderPosition(value, 1000);
            break;
        case A::ExposureTime: {
            double step = 0;
            SdkGetExposureStepTime(currentCamera, &step);
            slider = ui->horizontalSlider_exposureTime;
            position = panel::exposureSliderPositionForMilliseconds(
                value, step, ui->doubleSpinBox_exposureTime->decimals());
            break;
        }
    }
    const int before = slider->value();
    slider->setValue(position);
    // A value inside the slider's current position writes nothing; the spin box then
    // shows the camera's value again instead of the one typed.
    if (slider->value() == before && !fillingPanel)
        showHeldValue(sliderActionOf(row->action));
}

void VexoCam::onConboxResult(int index)
{
    auto* combo = qobject_cast<QComboBox*>(sender());
    if (!combo)
        return;
    const auto* row = panel::findRow(panel::comboTable(), combo->objectName());
    if (!row)
        return;
    const int input = ui->comboBox_input->currentIndex();
    const int output = ui->comboBox_output->currentIndex();
    using A = panel::ComboAction;
    switch (row->action) {
        case A::PresetLut:
            if (combo->count() > 0)
                reportSetting("SdkSelectPresetLut",
                              SdkSelectPresetLut(currentCamera, combo->itemData(index).toInt()),
                              tr("预置LUT表"));
            break;
        case A::ImageFormat:
            if (combo->count() > 0)
                reportSetting("SdkSetImageFormat",
                              SdkSetImageFormat(currentCamera, combo->itemData(index).toUInt()),
                              tr("图像格式"));
            break;
        case A::Resolution:
            if (combo->count() > 0)
                changeResolution(index);
            break;
        case A::InputLine:
            showInputLine(index, false);
            break;
        case A::OutputLine:
            showOutputLine(index, false);
            break;
        case A::InputMode:
            reportSetting("SdkSetInputMode", SdkSetInputMode(currentCamera, input, index),
                          tr("输入工作模式"));
            ui->comboBox_tirggermode->setEnabled(index != 1);
            ui->lineEdit_time->setEnabled(index != 1);
            break;
        case A::TriggerEdge:
            reportSetting("SdkSetInputTriggerEdge",
                          SdkSetInputTriggerEdge(currentCamera, input, index), tr("触发方式"));
            break;
        case A::OutputMode:
            reportSetting("SdkSetOutputMode", SdkSetOutputMode(currentCamera, output, index),
                          tr("输出模式"));
            ui->stackedWidget_pwm->setCurrentIndex(index);
            break;
        case A::StrobeMode:
            reportSetting("SdkSetStrobeMode", SdkSetStrobeMode(currentCamera, output, index),
                          tr("闪光灯模式"));
            ui->lineEdit_ldelay->setEnabled(index != 0);
            ui->lineEdit_lpulsewidth->setEnabled(index != 0);
            break;
        case A::StrobePolarity:
            reportSetting("SdkSetStrobePolarity",
                          SdkSetStrobePolarity(currentCamera, output, index), tr("有效电平极性"));
            break;
        case A::OutputLevel:
            reportSetting("SdkSetOutputLevel", SdkSetOutputLevel(currentCamera, output, index),
                          tr("输出电平"));
            break;
    }
}

// Shows an input line's settings. The read-back shows only values whose read succeeded;
// a line picked in the combo box shows whatever the library left.
void VexoCam::showInputLine(int line, bool onlyWhenRead)
{
    int debounce = 0, mode = 0, edge = 0;
    int result = SdkGetInputDebounceTime(currentCamera, line, &debounce);
    if (!onlyWhenRead || result == VEXO_SDK_OK)
        ui->lineEdit_time->setText(QString::number(debounce));
    result = SdkGetInputMode(currentCamera, line, &mode);
    if (!onlyWhenRead || result == VEXO_SDK_OK) {
        ui->comboBox_workmode->setCurrentIndex(mode);
        if (mode == 1) {
            ui->comboBox_tirggermode->setEnabled(false);
            ui->lineEdit_time->setEnabled(false);
        }
    }
    result = SdkGetInputTriggerEdge(currentCamera, line, &edge);
    if (!onlyWhenRead || result == VEXO_SDK_OK)
        ui->comboBox_tirggermode->setCurrentIndex(edge);
}

void VexoCam::showOutputLine(int line, bool onlyWhenRead)
{
    int mode = 0;
    int result = SdkGetOutputMode(currentCamera, line, &mode);
    if (!onlyWhenRead || result == VEXO_SDK_OK) {
        ui->comboBox_owordmode->setCurrentIndex(mode);
        ui->stackedWidget_pwm->setCurrentIndex(mode);
    }
    int strobe = 0;
    result = SdkGetStrobeMode(currentCamera, line, &strobe);
    if (onlyWhenRead && result != VEXO_SDK_OK)
        return;
    ui->comboBox_imode->setCurrentIndex(strobe);
    ui->lineEdit_ldelay->setEnabled(strobe != 0);
    ui->lineEdit_lpulsewidth->setEnabled(strobe != 0);
    int polarity = 0, delay = 0, width = 0, level = 0, period = 0, high = 0;
    if ((result = SdkGetStrobePolarity(currentCamera, line, &polarity)) == VEXO_SDK_OK ||
        !onlyWhenRead)
        ui->comboBox_polarity->setCurrentIndex(polarity);
    if ((result = SdkGetStrobeDelay(currentCamera, line, &delay)) == VEXO_SDK_OK || !onlyWhenRead)
        ui->lineEdit_ldelay->setText(QString::number(delay));
    if ((result = SdkGetStrobePulseWidth(currentCamera, line, &width)) == VEXO_SDK_OK ||
        !onlyWhenRead)
        ui->lineEdit_lpulsewidth->setText(QString::number(width));
    if ((result = SdkGetOutputLevel(currentCamera, line, &level)) == VEXO_SDK_OK || !onlyWhenRead)
        ui->comboBox_iostatus->setCurrentIndex(level);
    if ((result = SdkGetPwmParameters(currentCamera, line, &period, &high)) == VEXO_SDK_OK ||
        !onlyWhenRead) {
        ui->lineEdit_pwmcycle->setText(QString::number(period));
        ui->lineEdit_pwmhighttime->setText(QString::number(high));
    }
}

void VexoCam::changeResolution(int index)
{
    const int data = ui->comboBox_resolution->itemData(index).toInt();
    if (data == VEXO_SDK_CUSTOM_RESOLUTION) {
        RoiWidget* dialog = openRegionDialog();
        const int lastPreset =
            ui->comboBox_resolution->itemData(ui->comboBox_resolution->count() - 2).toInt();
        VexoResolution descriptor{};
        if (SdkGetResolutionDescriptor(currentCamera, lastPreset, &descriptor) == VEXO_SDK_OK)
            reportSetting("SdkApplyResolution", SdkApplyResolution(currentCamera, &descriptor),
                          tr("分辨率"));
        dialog->on_pushButton_refresh_clicked();
    } else {
        reportSetting("SdkSelectPresetResolution", SdkSelectPresetResolution(currentCamera, data),
                      tr("分辨率"));
        // The window fits the new frame size again when its first frame arrives.
        for (CameraThread* window : qAsConst(cameraWindows)) {
            if (window->cameraHandle() == currentCamera) {
                window->fitToWindow();
                break;
            }
        }
    }
    showResolutionLabels();
}

void VexoCam::showResolutionLabels()
{
    int index = 0;
    SdkGetResolutionIndex(currentCamera, &index);
    ui->pushButton_roi->setEnabled(index == VEXO_SDK_CUSTOM_RESOLUTION);
    VexoResolution descriptor{};
    SdkGetResolutionDescriptor(currentCamera, index, &descriptor);
    ui->label_hoffset->setText(QString::number(descriptor.offsetX));
    ui->label_voffset->setText(QString::number(descriptor.offsetY));
    ui->label_hwidth->setText(QString::number(descriptor.regionWidth));
    ui->label_vheight->setText(QString::number(descriptor.regionHeight));
}

void VexoCam::on_pushButton_tirggeronce_clicked()
{
    const int result = SdkSoftwareTriggerOnce(currentCamera);
    logResult("SdkSoftwareTriggerOnce", result);
    if (result == VEXO_SDK_BUSY)
        showPanelStatus(tr("相机还在处理之前的触发，请稍后再触发"));
    else if (result != VEXO_SDK_OK)
        showPanelStatus(tr("触发失败（错误码%1）").arg(result));
}

// The camera stores the gains it measured as its manual gains; the panel shows them.
void VexoCam::on_pushButton_onetouth_clicked()
{
    reportSetting("SdkOneTouchWhiteBalance", SdkOneTouchWhiteBalance(currentCamera),
                  tr("一键白平衡"));
    showHeldValue(panel::SliderAction::WhiteBalanceGain);
}

void VexoCam::on_pushButton_roi_clicked()
{
    openRegionDialog()->on_pushButton_refresh_clicked();
}

// The region dialog for the current camera; what it applies shows on the resolution page
// at once, while that camera is the one shown.
RoiWidget* VexoCam::openRegionDialog()
{
    auto* dialog = new RoiWidget;
    dialog->camera = currentCamera;
    connect(dialog, &RoiWidget::resolutionChanged, this, [this](int camera) {
        if (camera != currentCamera)
            return;
        int index = 0;
        SdkGetResolutionIndex(camera, &index);
        const bool wasBlocked = ui->comboBox_resolution->blockSignals(true);
        ui->comboBox_resolution->setCurrentIndex(ui->comboBox_resolution->findData(index));
        ui->comboBox_resolution->blockSignals(wasBlocked);
        showResolutionLabels();
    });
    suite::showAttached(dialog, this);
    return dialog;
}

void VexoCam::on_pushButton_restore_clicked()
{
    int focus = -1;
    const int result = SdkGetExtendedParameter(currentCamera, VEXO_SDK_EXT_FOCUS_DEFAULT, &focus);
    QSlider* slider = ui->horizontalSlider_supportFocusing;
    if (!panel::focusDefaultKnown(result, focus, slider->minimum(), slider->maximum())) {
        qDebug() << "no default focus position:" << result << focus;
        showPanelStatus(tr("相机没有默认调焦位置，调焦位置未改变"));
        return;
    }
    if (reportSetting("SdkSetExtendedParameter",
                      SdkSetExtendedParameter(currentCamera, VEXO_SDK_EXT_FOCUS_POSITION, focus),
                      tr("调焦位置")))
        showPanelStatus(tr("调焦位置已恢复为默认值%1").arg(focus));
    showHeldValue(panel::SliderAction::Focus);
}

void VexoCam::chooseCrosshairColour(int crosshair)
{
    QPushButton* button =
        child<QPushButton>(this, QStringLiteral("pushButton_color%1").arg(crosshair));
    const QColor colour =
        QColorDialog::getColor(button->palette().color(QPalette::Button), this, QString());
    if (colour.isValid())
        button->setStyleSheet(panel::colourStyleSheet(colour));
}

void VexoCam::applyTransportSettings()
{
    const int packetSize = panel::integerOf(ui->lineEdit_PacketSize->text());
    const int interval = panel::integerOf(ui->lineEdit_netWorkIntervalTime->text());
    const panel::TransportRefusal refused = panel::transportRefusal(
        SdkSetPacketSize(currentCamera, packetSize), SdkSetPacketInterval(currentCamera, interval));
    if (!refused.any()) {
        suite::showMessage(QMessageBox::Information, this, tr("成功"), tr("修改成功"), tr("确定"));
        return;
    }
    QStringList reasons;
    if (refused.packetSize)
        reasons << tr("相机不接受最大传输大小%1").arg(packetSize);
    if (refused.interval)
        reasons << tr("相机不接受网络包间隔时间%1微秒").arg(interval);
    suite::showMessage(QMessageBox::Critical, this, tr("提示"),
                       tr("修改失败：%1").arg(reasons.join(QLatin1Char('\n'))), tr("确定"));
}

void VexoCam::on_pushButton_ipsett_clicked()
{
    VexoCameraParameters parameters{};
    SdkGetCameraParameters(currentCamera, &parameters);
    const QByteArray identifier = panel::latin1Field(parameters.device.cameraIdentifier).toLatin1();
    VexoNetworkConfig config{};
    SdkGetNetworkConfig(identifier.constData(), &config);
    const QString address = ui->lineEdit_ip->text();
    const QString mask = ui->lineEdit_netMask->text();
    const QString gateway = ui->lineEdit_gateway->text();
    panel::setAddressField(config.ipAddress, address);
    panel::setAddressField(config.subnetMask, mask);
    panel::setAddressField(config.gateway, gateway);
    const bool staticAddress = ui->radioButton_autoip->isChecked();
    config.addressMode = staticAddress ? 1 : 0;
    const int result = SdkSetNetworkConfig(identifier.constData(), &config);
    QString text;
    switch (panel::addressRefusal(result, address, mask, gateway)) {
        case panel::AddressRefusal::None:
            showNetworkConfig(identifier);
            showPanelStatus(staticAddress ? tr("已将固定IP地址%1写入相机").arg(address)
                                          : tr("已将DHCP写入相机"));
            return;
        case panel::AddressRefusal::Address:
            text = tr("IP地址%1无效").arg(address);
            break;
        case panel::AddressRefusal::Mask:
            text = tr("子网掩码%1无效").arg(mask);
            break;
        case panel::AddressRefusal::Gateway:
            text = tr("网关%1不在IP地址所在的子网内").arg(gateway);
            break;
        case panel::AddressRefusal::OpenElsewhere:
            text = tr("相机已在其它程序中打开，无法修改IP地址");
            break;
        case panel::AddressRefusal::Other:
            text = staticAddress ? tr("相机未接受IP地址%1（错误码%2）").arg(address).arg(result)
                                 : tr("相机未接受DHCP（错误码%1）").arg(result);
            break;
    }
    suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("设置失败：%1").arg(text),
                       tr("确定"));
}

// The network page as the camera's configuration reads: addresses, MAC, address mode.
bool VexoCam::showNetworkConfig(const QByteArray& identifier)
{
    VexoNetworkConfig network{};
    if (SdkGetNetworkConfig(identifier.constData(), &network) != VEXO_SDK_OK)
        return false;
    ui->lineEdit_ip->setText(panel::latin1Field(network.ipAddress));
    ui->lineEdit_gateway->setText(panel::latin1Field(network.gateway));
    ui->lineEdit_netMask->setText(panel::latin1Field(network.subnetMask));
    ui->lineEdit_mac->setText(macAddressText(network.macAddress));
    const bool wasBlocked = ui->radioButton_autoip->blockSignals(true);
    (network.addressMode == 1 ? ui->radioButton_autoip : ui->radioButton_dhcp)->setChecked(true);
    ui->radioButton_autoip->blockSignals(wasBlocked);
    showAddressModeFields();
    return true;
}

void VexoCam::showAddressModeFields()
{
    const bool staticAddress = ui->radioButton_autoip->isChecked();
    ui->lineEdit_ip->setEnabled(staticAddress);
    ui->lineEdit_netMask->setEnabled(staticAddress);
    ui->lineEdit_gateway->setEnabled(staticAddress);
}
