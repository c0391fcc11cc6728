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

#include "CameraThread.h"
#include "ParameterPanelLogic.h"
#include "RoiWidget.h"
#include "SuiteMessages.h"
#include "VexoCam.h"
#include "VexoCameraApi.h"
#include "WindowPlacement.h"
#include "ui_VexoCam.h"

namespace {

// Setter results are not shown to the user, but a refusal is worth a line in the log.
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
    for (const QString& name : panel::lineEditsToConnect())
        connect(child<QLineEdit>(this, name), SIGNAL(textChanged(QString)), this,
                SLOT(onLineEditResult(QString)));

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
            logResult("SdkSetWhiteBalanceMode", SdkSetWhiteBalanceMode(currentCamera, row->value));
            logResult("SdkOneTouchWhiteBalance", SdkOneTouchWhiteBalance(currentCamera));
            break;
        case A::AutoWhiteBalance:
            ui->groupBox_Manualwb->setEnabled(false);
            logResult("SdkSetWhiteBalanceMode", SdkSetWhiteBalanceMode(currentCamera, row->value));
            break;
        case A::FrameSpeed:
            logResult("SdkSetFrameSpeed", SdkSetFrameSpeed(currentCamera, row->value));
            break;
        case A::LutTrack:
            logResult("SdkSetLutMode", SdkSetLutMode(currentCamera, row->value));
            ui->groupBox_preset->setEnabled(false);
            ui->groupBox_track->setEnabled(true);
            break;
        case A::LutPreset:
            logResult("SdkSetLutMode", SdkSetLutMode(currentCamera, row->value));
            ui->groupBox_preset->setEnabled(true);
            ui->groupBox_track->setEnabled(false);
            break;
        case A::AutoExposure:
            logResult("SdkSetExposureMode", SdkSetExposureMode(currentCamera, row->value));
            ui->groupBox_ManualExposure->setEnabled(false);
            ui->groupBox_AutoExposure->setEnabled(true);
            break;
        case A::ManualExposure:
            logResult("SdkSetExposureMode", SdkSetExposureMode(currentCamera, row->value));
            ui->groupBox_ManualExposure->setEnabled(true);
            ui->groupBox_AutoExposure->setEnabled(false);
            break;
        case A::LightFrequency:
            logResult("SdkSetLightFrequency", SdkSetLightFrequency(currentCamera, row->value));
            break;
        case A::TriggerContinuous:
        case A::TriggerSoftware:
        case A::TriggerHardware:
            logResult("SdkSetTriggerMode", SdkSetTriggerMode(currentCamera, row->value));
            showTriggerMode(row->value, ui->comboBox_input->count(), ui->comboBox_output->count());
            break;
        case A::LoadMode:
            logResult("SdkSetParameterLoadMode",
                      SdkSetParameterLoadMode(currentCamera, row->value));
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
        case A::WhiteBalanceGain: {
            QDoubleSpinBox* spins[] = {ui->doubleSpinBox_gainred, ui->doubleSpinBox_gaingreen,
                                       ui->doubleSpinBox_gainblue};
            spins[row->value]->setValue(value / 100.0);
            logResult("SdkSetWhiteBalanceGains",
                      SdkSetWhiteBalanceGains(currentCamera,
                                              uint16_t(ui->horizontalSlider_gainred->value()),
                                              uint16_t(ui->horizontalSlider_gaingreen->value()),
                                              uint16_t(ui->horizontalSlider_gainblue->value())));
            break;
        }
        case A::Contrast:
            logResult("SdkSetContrast", SdkSetContrast(currentCamera, value));
            break;
        case A::Sharpness:
            logResult("SdkSetSharpness", SdkSetSharpness(currentCamera, value));
            break;
        case A::Saturation:
            logResult("SdkSetSaturation", SdkSetSaturation(currentCamera, value));
            break;
        case A::Gamma:
            ui->doubleSpinBox_gamma->setValue(value / 100.0);
            logResult("SdkSetGamma",
                      SdkSetGamma(currentCamera, ui->horizontalSlider_gamma->value()));
            break;
        case A::LutContrast:
            ui->doubleSpinBox_contrast->setValue(value / 100.0);
            logResult("SdkSetLutContrast",
                      SdkSetLutContrast(currentCamera, ui->horizontalSlider_contrast->value()));
            break;
        case A::TargetBrightness:
            logResult("SdkSetTargetBrightness",
                      SdkSetTargetBrightness(currentCamera, uint16_t(value)));
            break;
        case A::AnalogGain:
            ui->doubleSpinBox_analogGain->setValue(value / 1000.0);
            logResult("SdkSetAnalogGain", SdkSetAnalogGain(currentCamera, value));
            break;
        case A::ExposureTime: {
            double step = 0;
            SdkGetExposureStepTime(currentCamera, &step);
            ui->doubleSpinBox_exposureTime->setValue(value * step / 1000);
            logResult("SdkSetExposureTime", SdkSetExposureTime(currentCamera, value * step));
            break;
        }
        case A::Focus:
            logResult("SdkSetExtendedParameter",
                      SdkSetExtendedParameter(currentCamera, row->value, value));
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
            logResult("SdkSetMirror", SdkSetMirror(currentCamera, row->value, on));
            break;
        case A::Monochrome:
            logResult("SdkSetMonochrome", SdkSetMonochrome(currentCamera, on));
            break;
        case A::DefectCorrection:
            logResult("SdkSetDefectPixelCorrection",
                      SdkSetDefectPixelCorrection(currentCamera, on));
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
            logResult("SdkSetCrosshair",
                      SdkSetCrosshair(currentCamera, n - 1, x, y, panel::packedColour(colour), on));
            break;
        }
        case A::AntiFlicker:
            logResult("SdkSetAntiFlicker", SdkSetAntiFlicker(currentCamera, on));
            ui->radioButton_50Hz->setEnabled(checked);
            ui->radioButton_60Hz->setEnabled(checked);
            break;
        case A::Channel: {
            QList<bool> states;
            for (QCheckBox* channel : qAsConst(channelBoxes))
                states.append(channel->isChecked());
            logResult("SdkSetExtendedParameter",
                      SdkSetExtendedParameter(currentCamera, VEXO_SDK_EXT_CHANNEL_MASK,
                                              panel::channelMask(states)));
            break;
        }
    }
}

void VexoCam::onLineEditResult(QString text)
{
    Q_UNUSED(text);
    auto* edit = qobject_cast<QLineEdit*>(sender());
    if (!edit)
        return;
    const auto* row = panel::findRow(panel::lineEditTable(), edit->objectName());
    if (!row)
        return;
    using A = panel::LineEditAction;
    switch (row->action) {
        case A::ExposureRange:
            logResult(
                "SdkSetAutoExposureTimeRange",
                SdkSetAutoExposureTimeRange(
                    currentCamera, panel::doubleOf(ui->lineEdit_minExposureRange->text()) * 1000.0,
                    panel::doubleOf(ui->lineEdit_maxExposureRange->text()) * 1000.0));
            break;
        case A::GainRange:
            logResult("SdkSetAutoExposureGainRange",
                      SdkSetAutoExposureGainRange(
                          currentCamera, panel::integerOf(ui->lineEdit_minGainRange->text()) * 1000,
                          panel::integerOf(ui->lineEdit_maxGainRange->text()) * 1000));
            break;
        case A::TriggerFrames:
            logResult("SdkSetTriggerFrameCount",
                      SdkSetTriggerFrameCount(currentCamera, panel::integerOf(edit->text())));
            break;
        case A::TriggerDelay:
            logResult("SdkSetTriggerDelay",
                      SdkSetTriggerDelay(currentCamera, panel::integerOf(edit->text())));
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
    using A = panel::SpinBoxAction;
    switch (row->action) {
        case A::WhiteBalanceGain: {
            QSlider* sliders[] = {ui->horizontalSlider_gainred, ui->horizontalSlider_gaingreen,
                                  ui->horizontalSlider_gainblue};
            sliders[row->value]->setValue(panel::sliderPosition(value, 100));
            break;
        }
        case A::Gamma:
            ui->horizontalSlider_gamma->setValue(panel::sliderPosition(value, 100));
            break;
        case A::LutContrast:
            ui->horizontalSlider_contrast->setValue(panel::sliderPosition(value, 100));
            break;
        case A::AnalogGain:
            ui->horizontalSlider_analogGain->setValue(panel::sliderPosition(value, 1000));
            break;
        case A::ExposureTime: {
            double step = 0;
            SdkGetExposureStepTime(currentCamera, &step);
            ui->horizontalSlider_exposureTime->setValue(
                panel::exposureSliderPositionForMilliseconds(
                    value, step, ui->doubleSpinBox_exposureTime->decimals()));
            break;
        }
    }
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
                logResult("SdkSelectPresetLut",
                          SdkSelectPresetLut(currentCamera, combo->itemData(index).toInt()));
            break;
        case A::ImageFormat:
            if (combo->count() > 0)
                logResult("SdkSetImageFormat",
                          SdkSetImageFormat(currentCamera, combo->itemData(index).toUInt()));
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
            logResult("SdkSetInputMode", SdkSetInputMode(currentCamera, input, index));
            ui->comboBox_tirggermode->setEnabled(index != 1);
            ui->lineEdit_time->setEnabled(index != 1);
            break;
        case A::TriggerEdge:
            logResult("SdkSetInputTriggerEdge",
                      SdkSetInputTriggerEdge(currentCamera, input, index));
            break;
        case A::OutputMode:
            logResult("SdkSetOutputMode", SdkSetOutputMode(currentCamera, output, index));
            ui->stackedWidget_pwm->setCurrentIndex(index);
            break;
        case A::StrobeMode:
            logResult("SdkSetStrobeMode", SdkSetStrobeMode(currentCamera, output, index));
            ui->lineEdit_ldelay->setEnabled(index != 0);
            ui->lineEdit_lpulsewidth->setEnabled(index != 0);
            break;
        case A::StrobePolarity:
            logResult("SdkSetStrobePolarity", SdkSetStrobePolarity(currentCamera, output, index));
            break;
        case A::OutputLevel:
            logResult("SdkSetOutputLevel", SdkSetOutputLevel(currentCamera, output, index));
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
        auto* dialog = new RoiWidget;
        const int lastPreset =
            ui->comboBox_resolution->itemData(ui->comboBox_resolution->count() - 2).toInt();
        VexoResolution descriptor{};
        if (SdkGetResolutionDescriptor(currentCamera, lastPreset, &descriptor) == VEXO_SDK_OK)
            logResult("SdkApplyResolution", SdkApplyResolution(currentCamera, &descriptor));
        dialog->camera = currentCamera;
        suite::showAttached(dialog, this);
        dialog->on_pushButton_refresh_clicked();
    } else {
        logResult("SdkSelectPresetResolution", SdkSelectPresetResolution(currentCamera, data));
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
    logResult("SdkSoftwareTriggerOnce", SdkSoftwareTriggerOnce(currentCamera));
}

void VexoCam::on_pushButton_onetouth_clicked()
{
    logResult("SdkOneTouchWhiteBalance", SdkOneTouchWhiteBalance(currentCamera));
    VexoCameraParameters parameters{};
    SdkGetCameraParameters(currentCamera, &parameters);
    ui->doubleSpinBox_gainred->setValue(parameters.redGain / 100.0);
    ui->doubleSpinBox_gainblue->setValue(parameters.blueGain / 100.0);
    ui->doubleSpinBox_gaingreen->setValue(parameters.greenGain / 100.0);
}

void VexoCam::on_pushButton_roi_clicked()
{
    auto* dialog = new RoiWidget;
    dialog->camera = currentCamera;
    suite::showAttached(dialog, this);
    dialog->on_pushButton_refresh_clicked();
}

void VexoCam::on_pushButton_restore_clicked()
{
    int focus = -1;
    SdkGetExtendedParameter(currentCamera, VEXO_SDK_EXT_FOCUS_DEFAULT, &focus);
    if (focus != -1)
        logResult("SdkSetExtendedParameter",
                  SdkSetExtendedParameter(currentCamera, VEXO_SDK_EXT_FOCUS_POSITION, focus));
    ui->horizontalSlider_supportFocusing->setValue(focus);
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
    const int result = SdkSetNetworkConfig(identifier.constData(), &config);
    QString text;
    switch (panel::addressRefusal(result, address, mask, gateway)) {
        case panel::AddressRefusal::None:
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
            text = tr("相机未接受IP地址%1（错误码%2）").arg(address).arg(result);
            break;
    }
    suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("设置失败：%1").arg(text),
                       tr("确定"));
}
