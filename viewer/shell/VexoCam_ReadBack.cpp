// Read-back: fills the whole parameter panel from one camera without letting any of the
// panel's handlers write to a camera meanwhile.
#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QDoubleSpinBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolBox>

#include "DeviceText.h"
#include "ParameterPanelLogic.h"
#include "SuiteMessages.h"
#include "VexoCam.h"
#include "VexoCameraApi.h"
#include "ui_VexoCam.h"

namespace {

template <typename T>
T* child(const QObject* parent, const QString& name)
{
    return parent->findChild<T*>(name);
}

void checkIf(QAbstractButton* button, bool condition)
{
    if (condition)
        button->setChecked(true);
}

}  // namespace

void VexoCam::setPanelSignalsBlocked(bool blocked)
{
    for (const QString& name : panel::blockedControls()) {
        if (QWidget* control = child<QWidget>(this, name))
            control->blockSignals(blocked);
    }
}

void VexoCam::blockPanelSignals()
{
    setPanelSignalsBlocked(true);
}

void VexoCam::unblockPanelSignals()
{
    setPanelSignalsBlocked(false);
}

void VexoCam::connectReadBackSliders(bool connected)
{
    for (const QString& name : panel::readBackSliders()) {
        QSlider* slider = child<QSlider>(this, name);
        if (connected)
            connect(slider, SIGNAL(valueChanged(int)), this, SLOT(onSliderResult(int)));
        else
            disconnect(slider, SIGNAL(valueChanged(int)), this, SLOT(onSliderResult(int)));
    }
}

void VexoCam::readBack(int cameraHandle)
{
    // The camera's values and ranges can make the open page wider.
    QTimer::singleShot(0, this, &VexoCam::fitParameterPanel);
    // A panel without a camera behind it would show zeros and act on nothing.
    VexoCameraParameters parameters{};
    const int parametersResult = cameraHandle == 0
                                     ? VEXO_SDK_INVALID_HANDLE
                                     : SdkGetCameraParameters(cameraHandle, &parameters);
    if (parametersResult != VEXO_SDK_OK) {
        qDebug() << "SdkGetCameraParameters" << cameraHandle << "failed:" << parametersResult;
        disableParameterPanel();
        return;
    }

    // 1. Nothing the panel shows may reach a camera while it is filled.
    fillingPanel = true;
    blockPanelSignals();
    ui->tabWidget->setEnabled(true);
    ui->widget_settingToolbar->setEnabled(true);
    connectReadBackSliders(false);
    // The helpers shared with the handlers (lines, resolution labels, special page) read
    // through currentCamera, so it names the new camera from here on; no handler can run
    // meanwhile because every control that would reach one is blocked or disconnected.
    currentCamera = cameraHandle;

    // 2. Records and texts.
    VexoCapabilities capabilities{};
    uint32_t typeCode = 0;
    char firmware[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
    char interfaceText[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
    char sdkVersion[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
    SdkGetCapabilities(cameraHandle, &capabilities);
    SdkGetDeviceTypeCode(cameraHandle, &typeCode);
    SdkGetFirmwareVersion(cameraHandle, firmware);
    SdkGetInterfaceText(cameraHandle, interfaceText);
    SdkGetSdkVersion(sdkVersion);
    const VexoDeviceInfo& device = parameters.device;

    // 3. Device information.
    const QString nickname = recordText(device.deviceName);
    ui->label_deviceName->setText(nickname);
    ui->lineEdit_deviceName->setText(nickname);
    ui->label_deviceDrive->setText(panel::latin1Field(device.editionText));
    ui->label_productsseries->setText(panel::latin1Field(device.productSeries));
    ui->label_deviceSerial->setText(panel::latin1Field(device.cameraIdentifier));
    ui->label_communiType->setText(panel::latin1Field(device.interfaceText));
    ui->label_deviceFirmware->setText(panel::latin1Field(firmware));
    ui->label_deviceType->setText(QString::number(typeCode, 16));
    ui->label_deviceInterface->setText(panel::latin1Field(interfaceText));
    ui->label_sdkVersion->setText(panel::latin1Field(sdkVersion));

    // 4. White balance; the gain spin boxes move their (disconnected) sliders.
    const bool autoWhiteBalance = parameters.whiteBalanceMode == 1;
    (autoWhiteBalance ? ui->radioButton_autowb : ui->radioButton_manualwb)->setChecked(true);
    ui->groupBox_Manualwb->setEnabled(!autoWhiteBalance);
    ui->doubleSpinBox_gainred->setValue(parameters.redGain / 100.0);
    ui->doubleSpinBox_gainblue->setValue(parameters.blueGain / 100.0);
    ui->doubleSpinBox_gaingreen->setValue(parameters.greenGain / 100.0);

    // 5. Frame speed and image flags.
    checkIf(ui->radioButton_low, parameters.frameSpeed == 0);
    checkIf(ui->radioButton_medium, parameters.frameSpeed == 1);
    checkIf(ui->radioButton_high, parameters.frameSpeed == 2);
    ui->checkBox_mirror->setChecked(parameters.mirrorHorizontal == 1);
    ui->checkBox_vertical->setChecked(parameters.mirrorVertical == 1);
    ui->checkBox_bwmode->setChecked(parameters.monochrome == 1);
    ui->checkBox_bPoint->setChecked(parameters.defectPixelCorrection == 1);

    // 6. Image formats.
    ui->comboBox->clear();
    for (int i = 0; i < capabilities.imageFormatCount; ++i) {
        const VexoImageFormat& format = capabilities.imageFormats[i];
        ui->comboBox->addItem(panel::latin1Field(format.name), format.formatId);
    }
    uint32_t formatId = 0;
    SdkGetImageFormat(cameraHandle, &formatId);
    for (int i = 0; i < ui->comboBox->count(); ++i) {
        if (ui->comboBox->itemData(i).toUInt() == formatId)
            ui->comboBox->setCurrentIndex(i);
    }

    // 7. Image processing (the coupled sliders follow their spin boxes).
    ui->spinBox_iContrast->setValue(parameters.contrast);
    ui->spinBox_iSharpness->setValue(parameters.sharpness);
    ui->spinBox_iSaturation->setValue(parameters.saturation);

    // 8. Crosshairs.
    for (int n = 0; n < VEXO_SDK_CROSSHAIR_COUNT; ++n) {
        int x = 0, y = 0, enabled = 0;
        uint32_t colour = 0;
        if (SdkGetCrosshair(cameraHandle, n, &x, &y, &colour, &enabled) != VEXO_SDK_OK)
            continue;
        const QString number = QString::number(n + 1);
        child<QPushButton>(this, QStringLiteral("pushButton_color") + number)
            ->setStyleSheet(panel::colourStyleSheet(panel::unpackedColour(colour)));
        child<QLineEdit>(this, QStringLiteral("lineEdit_x") + number)->setText(QString::number(x));
        child<QLineEdit>(this, QStringLiteral("lineEdit_y") + number)->setText(QString::number(y));
        child<QCheckBox>(this, QStringLiteral("checkBox_display") + number)
            ->setChecked(enabled == 1);
    }

    // 9. Lookup table.
    int lutMode = 0, gamma = 0, lutContrast = 0, presetLut = 0;
    SdkGetLutMode(cameraHandle, &lutMode);
    SdkGetGamma(cameraHandle, &gamma);
    SdkGetLutContrast(cameraHandle, &lutContrast);
    SdkGetPresetLut(cameraHandle, &presetLut);
    if (lutMode == 0) {
        ui->radioButton_track->setChecked(true);
        ui->groupBox_preset->setEnabled(false);
        ui->groupBox_track->setEnabled(true);
    } else if (lutMode == 1) {
        ui->radioButton_preset->setChecked(true);
        ui->groupBox_preset->setEnabled(true);
        ui->groupBox_track->setEnabled(false);
    } else if (lutMode == 2) {
        suite::showMessage(QMessageBox::Critical, this, tr("错误"), tr("相机不支持LUT模式"),
                           tr("确定"));
    }
    ui->horizontalSlider_gamma->setValue(gamma);
    ui->horizontalSlider_contrast->setValue(lutContrast);
    ui->doubleSpinBox_gamma->setValue(gamma / 100.0);
    ui->doubleSpinBox_contrast->setValue(lutContrast / 100.0);

    // 10. Preset lookup tables; the three built-in names are shown translated.
    ui->comboBox_preset->clear();
    for (int i = 0; i < capabilities.presetLutCount; ++i) {
        const VexoPresetLut& lut = capabilities.presetLuts[i];
        QString name = recordText(lut.name);
        if (name == QStringLiteral("直线"))
            name = tr("直线");
        else if (name == QStringLiteral("曲线1"))
            name = tr("曲线1");
        else if (name == QStringLiteral("曲线2"))
            name = tr("曲线2");
        ui->comboBox_preset->addItem(name, lut.identifier);
    }
    ui->comboBox_preset->setCurrentIndex(ui->comboBox_preset->findData(presetLut));

    // 11. Resolutions, with the custom region as the last entry.
    ui->comboBox_resolution->clear();
    for (int i = 0; i < capabilities.resolutionCount; ++i) {
        const VexoResolution& resolution = capabilities.resolutions[i];
        ui->comboBox_resolution->addItem(panel::latin1Field(resolution.name), resolution.index);
    }
    ui->comboBox_resolution->addItem(tr("自定义", "resolution list: a region of interest"),
                                     VEXO_SDK_CUSTOM_RESOLUTION);
    int resolutionIndex = 0;
    SdkGetResolutionIndex(cameraHandle, &resolutionIndex);
    showResolutionLabels();
    ui->comboBox_resolution->setCurrentIndex(ui->comboBox_resolution->findData(resolutionIndex));

    // 12. Exposure.
    ui->lineEdit_maxExposureRange->setText(
        panel::exposureRangeText(parameters.autoExposureMaxTimeUs));
    ui->lineEdit_minExposureRange->setText(
        panel::exposureRangeText(parameters.autoExposureMinTimeUs));
    ui->lineEdit_maxGainRange->setText(panel::gainRangeText(parameters.autoExposureMaxGainMilli));
    ui->lineEdit_minGainRange->setText(panel::gainRangeText(parameters.autoExposureMinGainMilli));
    ui->spinBox_Light->setValue(parameters.targetBrightness);
    ui->doubleSpinBox_analogGain->setRange(capabilities.analogGainMinMilli / 1000.0,
                                           capabilities.analogGainMaxMilli / 1000.0);
    ui->horizontalSlider_analogGain->setRange(capabilities.analogGainMinMilli,
                                              capabilities.analogGainMaxMilli);
    ui->doubleSpinBox_analogGain->setValue(parameters.analogGainMilli / 1000.0);
    double step = 0;
    SdkGetExposureStepTime(cameraHandle, &step);
    ui->doubleSpinBox_exposureTime->setRange(capabilities.exposureMinSteps * step / 1000,
                                             capabilities.exposureMaxSteps * step / 1000);
    ui->horizontalSlider_exposureTime->setRange(capabilities.exposureMinSteps,
                                                capabilities.exposureMaxSteps);
    ui->doubleSpinBox_exposureTime->setValue(parameters.exposureTimeUs / 1000);
    ui->horizontalSlider_exposureTime->setValue(
        panel::exposureSliderPosition(parameters.exposureTimeUs, step));

    // 13. Exposure mode and anti-flicker.
    const bool autoExposure = parameters.exposureMode == 1;
    (autoExposure ? ui->radioButton_autoExposure : ui->radioButton_manualExposure)
        ->setChecked(true);
    ui->groupBox_ManualExposure->setEnabled(!autoExposure);
    ui->groupBox_AutoExposure->setEnabled(autoExposure);
    ui->checkBox_flashScreen->setChecked(parameters.antiFlicker == 1);
    ui->radioButton_50Hz->setEnabled(parameters.antiFlicker == 1);
    ui->radioButton_60Hz->setEnabled(parameters.antiFlicker == 1);
    checkIf(ui->radioButton_50Hz, parameters.lightFrequency == 1);
    checkIf(ui->radioButton_60Hz, parameters.lightFrequency == 2);

    // 14. Trigger. Hardware trigger needs an input line; the output groups need an output.
    const int inputLines = capabilities.inputLineCount;
    const int outputLines = capabilities.outputLineCount;
    ui->radioButton_hardtirgger->setEnabled(panel::hardwareTriggerOffered(inputLines));
    ui->groupBox_iosignal->setEnabled(outputLines > 0);
    ui->stackedWidget_pwm->setEnabled(outputLines > 0);
    int triggerMode = 0;
    SdkGetTriggerMode(cameraHandle, &triggerMode);
    checkIf(ui->radioButton_continuity, triggerMode == 0);
    checkIf(ui->radioButton_softrigger, triggerMode == 1);
    checkIf(ui->radioButton_hardtirgger, triggerMode != 0 && triggerMode != 1);
    showTriggerMode(triggerMode, inputLines, outputLines);
    ui->lineEdit_ldelay->clear();
    ui->lineEdit_time->clear();
    ui->lineEdit_lpulsewidth->clear();
    ui->lineEdit_pwmcycle->clear();
    ui->lineEdit_pwmhighttime->clear();
    int frames = 0, delay = 0;
    SdkGetTriggerFrameCount(cameraHandle, &frames);
    SdkGetTriggerDelay(cameraHandle, &delay);
    ui->lineEdit_tirggerframes->setText(QString::number(frames));
    ui->lineEdit_tirggerdelay->setText(QString::number(delay));

    // 15. Input and output lines.
    ui->comboBox_input->clear();
    ui->comboBox_output->clear();
    for (int line = 0; line < inputLines; ++line)
        ui->comboBox_input->addItem(QString::number(line));
    for (int line = 0; line < outputLines; ++line)
        ui->comboBox_output->addItem(QString::number(line));
    ui->comboBox_tirggermode->setEnabled(true);
    ui->lineEdit_time->setEnabled(true);
    showInputLine(0, true);
    showOutputLine(0, true);

    // 16. GigE page: only network cameras have a network configuration.
    const QByteArray identifier = panel::latin1Field(device.cameraIdentifier).toLatin1();
    if (!showNetworkConfig(identifier)) {
        ui->page_cameragige->setEnabled(false);
    } else {
        ui->page_cameragige->setEnabled(true);
        int packetSize = 0, interval = 0;
        SdkGetPacketSize(cameraHandle, &packetSize);
        SdkGetPacketInterval(cameraHandle, &interval);
        ui->lineEdit_PacketSize->setText(QString::number(packetSize));
        ui->lineEdit_netWorkIntervalTime->setText(QString::number(interval));
    }

    // 17. Special page: illumination channels and focus.
    readBackSpecialPage();

    // 18. Parameter groups.
    int loadMode = -1, group = -1;
    SdkGetParameterLoadMode(cameraHandle, &loadMode);
    SdkGetCurrentParameterGroup(cameraHandle, &group);
    checkIf(ui->radioButton_model, loadMode == 0);
    checkIf(ui->radioButton_name, loadMode == 1);
    checkIf(ui->radioButton_number, loadMode == 2);
    checkIf(ui->radioButton_A, group == 0);
    checkIf(ui->radioButton_B, group == 1);
    checkIf(ui->radioButton_C, group == 2);
    checkIf(ui->radioButton_D, group == 3);

    // 19. The panel now acts on this camera.
    currentCamera = cameraHandle;
    unblockPanelSignals();
    connectReadBackSliders(true);
    fillingPanel = false;
    showPanelHints();
}

void VexoCam::readBackSpecialPage()
{
    QWidget* page = parameterPageSetAside;
    int channels = -1, focusSupported = -1;
    const int channelResult =
        SdkGetExtendedParameter(currentCamera, VEXO_SDK_EXT_CHANNEL_COUNT, &channels);
    const int focusResult =
        channelResult == VEXO_SDK_OK
            ? SdkGetExtendedParameter(currentCamera, VEXO_SDK_EXT_FOCUS_SUPPORTED, &focusSupported)
            : VEXO_SDK_FAILED;
    switch (panel::specialPageChange(channelResult, channels, focusResult, focusSupported)) {
        case panel::SpecialPage::Hide:
            page->hide();
            if (ui->toolBox_2->indexOf(page) >= 0)
                ui->toolBox_2->removeItem(ui->toolBox_2->indexOf(page));
            break;
        case panel::SpecialPage::Show:
            if (ui->toolBox_2->indexOf(page) < 0) {
                page->show();
                ui->toolBox_2->insertItem(9, page, QIcon(QStringLiteral(":/images/ICO/camera.png")),
                                          tr("特殊设置"));
            }
            break;
        case panel::SpecialPage::Keep:
            break;
    }
    if (ui->toolBox_2->indexOf(page) < 0)
        return;

    if (channels > 1) {
        ui->groupBox_channel->setEnabled(true);
        rebuildChannelBoxes(channels);
    } else {
        ui->groupBox_channel->setEnabled(false);
    }
    if (focusSupported == 1) {
        ui->groupBox_supportFocusing->setEnabled(true);
        int minimum = 0, maximum = 0, position = 0;
        SdkGetExtendedParameter(currentCamera, VEXO_SDK_EXT_FOCUS_MIN, &minimum);
        SdkGetExtendedParameter(currentCamera, VEXO_SDK_EXT_FOCUS_MAX, &maximum);
        SdkGetExtendedParameter(currentCamera, VEXO_SDK_EXT_FOCUS_POSITION, &position);
        QSlider* focus = ui->horizontalSlider_supportFocusing;
        const bool wasBlocked = focus->blockSignals(true);
        focus->setMinimum(minimum);
        focus->setMaximum(maximum);
        focus->setValue(position);
        focus->blockSignals(wasBlocked);
    } else {
        ui->groupBox_supportFocusing->setEnabled(false);
    }
}

void VexoCam::rebuildChannelBoxes(int channels)
{
    for (QCheckBox* box : qAsConst(channelBoxes)) {
        ui->groupBox_channel->layout()->removeWidget(box);
        delete box;
    }
    channelBoxes.clear();
    int mask = -1;
    SdkGetExtendedParameter(currentCamera, VEXO_SDK_EXT_CHANNEL_MASK, &mask);
    if (mask == -1)
        mask = 0;
    for (int i = 0; i < channels; ++i) {
        auto* box = new QCheckBox(tr("通道%1").arg(i), ui->groupBox_channel);
        box->setObjectName(QStringLiteral("checkBox_channel%1").arg(i));
        ui->groupBox_channel->layout()->addWidget(box);
        connect(box, SIGNAL(toggled(bool)), this, SLOT(onCheckStatsResult(bool)));
        channelBoxes.append(box);
        box->blockSignals(true);
        box->setChecked((mask >> i) & 1);
        box->blockSignals(false);
    }
}
